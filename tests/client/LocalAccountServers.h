// The local account servers the protocol tests talk to: where they listen, their behaviour
// tables and the requests they recorded. ctest starts them (account-servers/fixture.py) and
// lists them in account-servers/servers.txt beside the test program.
#pragma once

#include "framework/System.h"

#include <vector>

struct TRecordedRequest {
    UnicodeString Method;
    UnicodeString Target; // path and query
    UnicodeString Body;   // one character per byte
    UnicodeString UserAgent;
    UnicodeString Accept;
    UnicodeString ContentType;
};

namespace localservers {

// "primary", "backup" or "second"; "host:port" of the running server. Raises when the servers
// were not started (run the tests through ctest).
UnicodeString Address(const UnicodeString& role);
// An address nothing listens on: a loopback address no server is bound to.
UnicodeString DeadAddress();

// Replaces the server's behaviour table (JSON, as tools/account-server/README.md describes it).
void SetBehaviour(const UnicodeString& role, const std::string& table);
// Forgets the server's recorded requests.
void ClearRequests(const UnicodeString& role);
// The requests the server recorded since the last ClearRequests, oldest first.
std::vector<TRecordedRequest> Requests(const UnicodeString& role);

} // namespace localservers
