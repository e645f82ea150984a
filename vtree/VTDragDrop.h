// Drag and drop through OLE: each tree window has one drag manager, which is the window's drop
// target and, while a drag starts from the window, its drop source. The window decides where
// a drop would go (the node under the mouse and whether above, on or below it), asks the
// application through OnDragOver whether to accept and with which effect, and hands the drop to
// OnDragDrop, whose handler normally calls ProcessDrop.
//
// The manager refers to its window weakly (the window may go while OLE still holds the manager)
// and to the source of a drag over it by a reference block, checked against the live trees
// each time it is used. When the system's drop-image helper exists it draws the picture of a
// drag over us; otherwise the source tree shows its own picture.
//
// Classes here: IVTDragManager, TVTDragManager.
#pragma once

#include "framework/Controls.h"
#include "framework/Interfaces.h"
#include "vtree/VTDataObject.h"

#include <oleidl.h>
#include <shlobj.h>

class TVirtualTreeWindow;

// dtOLE: drags between windows and programs through OLE; dtVCL: the class library's drag
// inside this program.
enum TVTDragType { dtOLE, dtVCL };
enum TDragOperation { doCopy, doMove, doLink };
using TDragOperations = TSet<TDragOperation>;

struct IVTDragManager : IInterface {
    INTERFACE_ID(IVTDragManager, IInterface, "{C4B25559-14DA-446B-8901-0C879000EB16}")
    // Tells the drop-image helper that the drag left.
    virtual void STDMETHODCALLTYPE ForceDragLeave() = 0;
    // The data object of the drag over the window, or a new one of the window's for a drag
    // from it.
    virtual TComPtr<IDataObject> STDMETHODCALLTYPE DragDataObject() = 0;
    // The tree of this process the drag over the window comes from, or null.
    virtual TVirtualTreeWindow* STDMETHODCALLTYPE DragSourceTree() = 0;
    virtual bool STDMETHODCALLTYPE DropHelperAvailable() = 0;
    virtual bool STDMETHODCALLTYPE IsDropTargetNow() = 0;
};

class TVTDragManager
    : public TImplements<TInterfacedObject, IVTDragManager, IDropTarget, IDropSource> {
    CLASS_INFO(TVTDragManager, TInterfacedObject)
public:
    // UseDropHelper False keeps the system's helper out (the tree draws its own picture).
    explicit TVTDragManager(TVirtualTreeWindow* AOwner, bool UseDropHelper = true);

    void STDMETHODCALLTYPE ForceDragLeave() override;
    TComPtr<IDataObject> STDMETHODCALLTYPE DragDataObject() override;
    TVirtualTreeWindow* STDMETHODCALLTYPE DragSourceTree() override;
    bool STDMETHODCALLTYPE DropHelperAvailable() override { return bool(FDropTargetHelper); }
    bool STDMETHODCALLTYPE IsDropTargetNow() override { return FIsDropTarget; }

    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* DataObject, DWORD KeyState, POINTL Pt,
                                        DWORD* Effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD KeyState, POINTL Pt, DWORD* Effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* DataObject, DWORD KeyState, POINTL Pt,
                                   DWORD* Effect) override;
    // IDropSource
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    bool UsesHelper() const { return FDropTargetHelper && FFullDragging; }

    TVTOwnerRef FOwner;
    vtree_formats::TReferenceBlock FDragSource{}; // checked against the live trees on use
    bool FIsDropTarget = false;
    TComPtr<IDataObject> FDataObject;
    TComPtr<IDropTargetHelper> FDropTargetHelper;
    bool FFullDragging = false;
};

// Source: the tree (or control) a drag comes from, an application's own drag object, or null
// for data from another process.
using TVTDragOverEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TObject* Source, TShiftState Shift,
                      TDragState State, TPoint Pt, TDropMode Mode, DWORD& Effect, bool& Accept)>;
using TVTDragDropEvent = TMethodEvent<void(
    TVirtualTreeWindow* Sender, TObject* Source, IDataObject* DataObject,
    const TFormatArray& Formats, TShiftState Shift, TPoint Pt, DWORD& Effect, TDropMode Mode)>;
using TVTCreateDragManagerEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TComPtr<IVTDragManager>& DragManager)>;
