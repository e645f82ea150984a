// The relay route: a host route to the route target that the account server names, through
// the gateway of the first row of the system's route table, and its removal.
//
//   PrepareRelayRoute  reads the gateway and fills routerlist[0] (target, 255.255.255.255,
//                      gateway)
//   AddRelayRoute      creates the host route of routerlist[0], on the interface whose ARP
//                      entry holds the gateway (0x10004 when none does); the first route row
//                      is the template for the fields it does not set
//   DeleteRelayRoutes  deletes every route whose destination is a relay destination
//   CleanUpAtClose     what the main window does when it closes
//
// RouteAdded() turns true only when the system created the route, so that the close deletes
// only what was added. Every call runs on the GUI thread.
#pragma once

#include "client/IPHelper.h"

#include <vector>

struct Tmyrouter {
    UnicodeString destionation;
    UnicodeString mask;
    UnicodeString gateway;
};

class TRelayRoute {
public:
    static constexpr std::size_t RouterListSize = 2000;
    // Interface used when no ARP entry holds the gateway.
    static constexpr DWORD DefaultInterface = 0x10004;

    TRelayRoute() : routerlist(RouterListSize) {}

    // False, with routerlist unchanged, when the route table has no route row to take the
    // gateway from.
    bool PrepareRelayRoute(const UnicodeString& routeTarget);
    // The system's answer to the creation; ERROR_INVALID_FUNCTION when nothing was tried (no
    // library, no route table, no prepared target), ERROR_INVALID_PARAMETER when the target or
    // the gateway is not an address (the server's reply is not trusted to be one).
    DWORD AddRelayRoute();
    // The number of routes deleted.
    int DeleteRelayRoutes();
    // Deletes the relay routes when one was added, then the files "delroute.bat" and
    // "route.bat" in `programDir` (a missing file is no error).
    void CleanUpAtClose(const UnicodeString& programDir);

    bool RouteAdded() const noexcept { return FRouteAdded; }

    std::vector<Tmyrouter> routerlist;

private:
    DWORD GatewayInterface() const;

    bool FRouteAdded = false;
};
