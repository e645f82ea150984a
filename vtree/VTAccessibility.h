// The accessibility factory: one per process, holding the accessibility providers in the order
// they were registered. A tree window asked for its accessibility object (WM_GETOBJECT) lets
// the factory choose a provider and keeps what it made: the first request makes the tree's own
// object with the first (default) provider, the second the focused item's object from the
// others. Providers come from outside the tree control; with none registered a tree answers
// every request without an object. GUI thread only.
//
// Classes here: IVTAccessibleProvider, TVTAccessibilityFactory.
#pragma once

#include "framework/Interfaces.h"

#include <oleacc.h>

#include <vector>

class TVirtualTreeWindow;

class IVTAccessibleProvider {
public:
    virtual ~IVTAccessibleProvider() = default;
    // An accessible object for the tree, or null.
    virtual TComPtr<IAccessible> CreateIAccessible(TVirtualTreeWindow* ATree) = 0;
};

class TVTAccessibilityFactory {
public:
    // The provider must stay alive while it is registered. Registering twice keeps one entry.
    void RegisterAccessibleProvider(IVTAccessibleProvider* AProvider);
    void UnRegisterAccessibleProvider(IVTAccessibleProvider* AProvider);
    std::size_t ProviderCount() const noexcept { return FAccessibleProviders.size(); }
    // The default provider for a tree without its own object; otherwise the tree's item object,
    // or else the first answer of the providers registered after the default one (newest
    // first), falling back to the default provider.
    TComPtr<IAccessible> CreateIAccessible(TVirtualTreeWindow* ATree);

private:
    std::vector<IVTAccessibleProvider*> FAccessibleProviders;
};

// The process's factory, made on first use.
TVTAccessibilityFactory& GetAccessibilityFactory();
