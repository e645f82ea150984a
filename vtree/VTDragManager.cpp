// The drag manager: the window's OLE drop target and drop source. It keeps the data object of
// the drag over the window and who the drag comes from, talks to the system's drop-image helper
// when there is one, and leaves every decision to its window. OLE calls every method here: no
// exception leaves one, and once the window is gone the manager refuses everything.
#include "vtree/VTWindow.h"

#include "framework/ExceptionBoundary.h"

namespace {

// The shell's drop-image object and its target-side interface.
constexpr CLSID DragDropHelper = GUIDFromText("{4657278A-411B-11D2-839A-00C04FD918D0}");
constexpr IID DropTargetHelperId = GUIDFromText("{4657278B-411B-11D2-839A-00C04FD918D0}");

HRESULT Refused(DWORD* Effect) {
    if (Effect) *Effect = DROPEFFECT_NONE;
    return S_OK;
}

} // namespace

TVTDragManager::TVTDragManager(TVirtualTreeWindow* AOwner, bool UseDropHelper)
    : FOwner(AOwner->OwnerRef()) {
    if (!UseDropHelper) return;
    void* helper = nullptr;
    if (SUCCEEDED(CoCreateInstance(DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                   DropTargetHelperId, &helper)))
        FDropTargetHelper.Attach(static_cast<IDropTargetHelper*>(helper));
}

void TVTDragManager::ForceDragLeave() {
    if (UsesHelper()) FDropTargetHelper->DragLeave();
}

TComPtr<IDataObject> TVTDragManager::DragDataObject() {
    if (FDataObject) return FDataObject;
    TVirtualTreeWindow* owner = FOwner->Window;
    if (!owner) return nullptr;
    TComPtr<IDataObject> data = owner->DoCreateDataObject();
    if (!data) data = TComPtr<IDataObject>(new TVTDataObject(owner, false));
    return data;
}

TVirtualTreeWindow* TVTDragManager::DragSourceTree() {
    return vtree_formats::FindLiveTree(FDragSource.ProcessId, FDragSource.Serial, FDragSource.Tree);
}

HRESULT TVTDragManager::DragEnter(IDataObject* DataObject, DWORD KeyState, POINTL Pt,
                                  DWORD* Effect) {
    TVirtualTreeWindow* owner = FOwner->Window;
    if (!owner || !Effect) return Refused(Effect);
    return GuardBoundary(
        [&] {
            FDataObject = TComPtr<IDataObject>(DataObject);
            FIsDropTarget = true;
            BOOL full = FALSE;
            SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
            FFullDragging = full != FALSE;
            if (UsesHelper()) {
                POINT point{Pt.x, Pt.y};
                FDropTargetHelper->DragEnter(owner->Handle(), DataObject, &point, *Effect);
            }
            FDragSource = vtree_formats::TReferenceBlock{};
            if (TVirtualTreeWindow* source = FindSourceTree(DataObject))
                FDragSource = {GetCurrentProcessId(), source->LiveSerial(),
                               reinterpret_cast<UINT_PTR>(source)};
            return owner->HandleOLEDragEnter(KeyState, Pt, *Effect);
        },
        E_UNEXPECTED);
}

HRESULT TVTDragManager::DragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) {
    TVirtualTreeWindow* owner = FOwner->Window;
    if (!owner || !Effect) return Refused(Effect);
    return GuardBoundary(
        [&] {
            if (UsesHelper()) {
                POINT point{Pt.x, Pt.y};
                FDropTargetHelper->DragOver(&point, *Effect);
            }
            return owner->HandleDragOver(DragSourceTree(), KeyState, dsDragMove, Pt, *Effect);
        },
        E_UNEXPECTED);
}

HRESULT TVTDragManager::DragLeave() {
    GuardBoundary([&] {
        if (UsesHelper()) FDropTargetHelper->DragLeave();
        if (TVirtualTreeWindow* owner = FOwner->Window) owner->HandleOLEDragLeave();
    });
    FIsDropTarget = false;
    FDragSource = vtree_formats::TReferenceBlock{};
    FDataObject.Reset();
    return S_OK;
}

HRESULT TVTDragManager::Drop(IDataObject* DataObject, DWORD KeyState, POINTL Pt, DWORD* Effect) {
    TVirtualTreeWindow* owner = FOwner->Window;
    HRESULT result = E_UNEXPECTED;
    if (owner && Effect) {
        result = GuardBoundary(
            [&] {
                if (UsesHelper()) {
                    POINT point{Pt.x, Pt.y};
                    FDropTargetHelper->Drop(DataObject, &point, *Effect);
                }
                return owner->HandleOLEDrop(DataObject, KeyState, Pt, *Effect);
            },
            E_UNEXPECTED);
    } else {
        Refused(Effect);
    }
    FIsDropTarget = false;
    FDataObject.Reset();
    return result;
}

HRESULT TVTDragManager::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) {
    const bool left = KeyState & MK_LBUTTON, right = KeyState & MK_RBUTTON;
    if (EscapePressed || (left && right)) return DRAGDROP_S_CANCEL;
    if (left || right) return S_OK;
    return DRAGDROP_S_DROP;
}
