// The tree window in the class library's component model: copying another tree window's
// settings, and forgetting the image lists and the pop-up menu it points at when they are
// freed (it asks to be told whenever it is given an image list).
#include "vtree/VTWindow.h"

#include "framework/Menus.h"

void TVirtualTreeWindow::ReferImageList(TCustomImageList*& Field, TCustomImageList* Value) {
    if (Value && Value != Field) Value->FreeNotification(this);
    StoreAndInvalidate(Field, Value);
}

void TVirtualTreeWindow::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent != this) {
        const bool repaint = !ComponentState().Contains(csDestroying);
        auto forget = [&](TCustomImageList*& Field) {
            if (Field != AComponent) return false;
            Field = nullptr;
            if (repaint) Invalidate();
            return true;
        };
        forget(FImages);
        forget(FStateImages);
        forget(FHeaderImages);
        if (forget(FCustomCheckImages)) FCheckImageKind = ckSystemDefault;
        if (PopupMenu() && static_cast<TComponent*>(PopupMenu()) == AComponent)
            SetPopupMenu(nullptr);
    }
    TCustomControl::Notification(AComponent, Operation);
}

// Nodes, node data, the default text and the settings not listed stay as they are; the node
// count is copied, so the target gets that many new, uninitialised top-level nodes.
void TVirtualTreeWindow::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TVirtualTreeWindow*>(Source);
    if (!source || HasMisc(toReadOnly)) return TCustomControl::Assign(Source);
    TBaseVirtualTree* from = source->Tree();
    SetAlign(source->Align());
    SetAnchors(source->Anchors());
    AutoScrollDelay = source->AutoScrollDelay;
    AutoScrollInterval = source->AutoScrollInterval;
    SetAutoSize(source->AutoSize());
    SetBackground(source->Background());
    SetBevelEdges(source->BevelEdges());
    SetBevelInner(source->BevelInner());
    SetBevelKind(source->BevelKind());
    SetBevelOuter(source->BevelOuter());
    SetBevelWidth(source->BevelWidth());
    SetBiDiMode(source->BiDiMode());
    SetBorderStyle(source->BorderStyle());
    SetBorderWidth(source->BorderWidth());
    FTree->SetChangeDelay(from->ChangeDelay());
    SetCheckImageKind(source->CheckImageKind());
    SetColor(source->Color());
    FTree->Color = from->Color;
    SetColors(source->Colors());
    Constraints()->Assign(source->Constraints());
    SetCtl3D(source->Ctl3D());
    FTree->SetDefaultNodeHeight(from->DefaultNodeHeight());
    DefaultPasteMode = source->DefaultPasteMode;
    SetDragCursor(source->DragCursor());
    DragImageKind = source->DragImageKind;
    SetDragMode(source->DragMode());
    SetEnabled(source->Enabled());
    SetFont(source->Font());
    FTree->SetHeader(from->Header());
    HeaderFont()->Assign(source->HeaderFont());
    HintAnimation = source->HintAnimation;
    HintMode = source->HintMode;
    HotCursor = source->HotCursor;
    SetImages(source->Images());
    SetIndent(from->Indent);
    SetMargin(from->Margin);
    SetNodeAlignment(source->NodeAlignment());
    FTree->SetNodeDataSize(from->NodeDataSize());
    FTree->SetTreeOptions(from->TreeOptions());
    SetParentBiDiMode(source->ParentBiDiMode());
    SetParentColor(source->ParentColor());
    SetParentCtl3D(source->ParentCtl3D());
    SetParentFont(source->ParentFont());
    SetParentShowHint(source->ParentShowHint());
    SetPopupMenu(source->PopupMenu());
    ScrollBarOptions()->Assign(source->ScrollBarOptions());
    SetShowHint(source->ShowHint());
    SetStateImages(source->StateImages());
    SetTabOrder(source->TabOrder());
    SetTabStop(source->TabStop());
    SetVisible(source->Visible());
    SetSelectionCurveRadius(source->SelectionCurveRadius());
    SetSelectionBlendFactor(source->SelectionBlendFactor());
    // Last: the settings above must not make the new nodes initialise themselves. Nor may the
    // scroll bar update that follows: without columns, measuring the content width initialises
    // the rows in view, so it waits for the next change of the tree.
    FContentWidthDeferred = true;
    try {
        FTree->SetRootNodeCount(from->RootNodeCount());
    } catch (...) {
        FContentWidthDeferred = false;
        throw;
    }
    FContentWidthDeferred = false;
}
