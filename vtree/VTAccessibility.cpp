// The accessibility factory and the tree window's answer to WM_GETOBJECT. The window hands its
// object to the asking client through LresultFromObject, which oleacc exports; the library is
// bound by name on first use (it is optional: without it no object is handed out).
#include "vtree/VTAccessibility.h"
#include "vtree/VTWindow.h"

#include "framework/LibraryBinder.h"

#include <algorithm>

namespace {

using TLresultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

// {618736E0-3C3D-11CF-810C-00AA00389B71}
constexpr TGUID AccessibleId = GUIDFromText("{618736E0-3C3D-11CF-810C-00AA00389B71}");

// oleacc, loaded on first use and freed when the module shuts down.
class TOleAccBinding {
public:
    TOleAccBinding() {
        if (FLibrary.Load()) FLibrary.Bind(FLresultFromObject, "LresultFromObject");
    }
    TLresultFromObject LresultFromObject() const noexcept { return FLresultFromObject; }

private:
    TLresultFromObject FLresultFromObject = nullptr;
    TLibraryBinder FLibrary{L"oleacc.dll"}; // after the pointer: it clears it when it goes
};

LRESULT ResultFromObject(WPARAM Flags, IAccessible* Object) {
    static TOleAccBinding binding;
    if (!binding.LresultFromObject()) return 0;
    return binding.LresultFromObject()(AccessibleId, Flags, Object);
}

} // namespace

// ---- the factory ------------------------------------------------------------------------------

TVTAccessibilityFactory& GetAccessibilityFactory() {
    static TVTAccessibilityFactory factory;
    return factory;
}

void TVTAccessibilityFactory::RegisterAccessibleProvider(IVTAccessibleProvider* AProvider) {
    if (!AProvider) return;
    if (std::find(FAccessibleProviders.begin(), FAccessibleProviders.end(), AProvider) ==
        FAccessibleProviders.end())
        FAccessibleProviders.push_back(AProvider);
}

void TVTAccessibilityFactory::UnRegisterAccessibleProvider(IVTAccessibleProvider* AProvider) {
    std::erase(FAccessibleProviders, AProvider);
}

TComPtr<IAccessible> TVTAccessibilityFactory::CreateIAccessible(TVirtualTreeWindow* ATree) {
    if (!ATree || FAccessibleProviders.empty()) return nullptr;
    if (!ATree->Accessible()) return FAccessibleProviders.front()->CreateIAccessible(ATree);
    if (ATree->AccessibleItem()) return ATree->AccessibleItem();
    for (std::size_t i = FAccessibleProviders.size() - 1; i >= 1; --i)
        if (TComPtr<IAccessible> made = FAccessibleProviders[i]->CreateIAccessible(ATree))
            return made;
    return FAccessibleProviders.front()->CreateIAccessible(ATree);
}

// ---- the window's side --------------------------------------------------------------------------

void TVirtualTreeWindow::WMGetObject(TMessage& Message) {
    Message.Result = 0;
    if (FMakingAccessible) return;
    TVTAccessibilityFactory& factory = GetAccessibilityFactory();
    FMakingAccessible = true;
    try {
        if (!FAccessible) FAccessible = factory.CreateIAccessible(this);
        if (!FAccessibleItem) FAccessibleItem = factory.CreateIAccessible(this);
    } catch (...) {
        FMakingAccessible = false;
        throw;
    }
    FMakingAccessible = false;
    if (static_cast<LONG>(Message.LParam) == OBJID_CLIENT && FAccessible)
        Message.Result = ResultFromObject(Message.WParam, FAccessible.Get());
}

void TVirtualTreeWindow::NotifyAccessibleNameChange() {
    if (FAccessibleItem && HandleAllocated())
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

void TVirtualTreeWindow::DoGetImageText(PVirtualNode Node, TVTImageKind Kind, TColumnIndex Column,
                                        UnicodeString& ImageText) {
    OnGetImageText(this, Node, Kind, Column, ImageText);
}
