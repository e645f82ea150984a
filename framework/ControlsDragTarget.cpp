// A control's own part in in-process dragging: the events on its source side and its answers
// as a target of CM_DRAG. A control accepts a drag only when it has an OnDragOver handler.
#include "framework/Controls.h"

void TControl::DoStartDrag(TDragObject*& DragObject) { OnStartDrag(this, DragObject); }

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = static_cast<bool>(OnDragOver);
    if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) { OnDragDrop(this, Source, X, Y); }

void TControl::DoEndDrag(TObject* Target, int X, int Y) { OnEndDrag(this, Target, X, Y); }

void TControl::CMDrag(TMessage& Message) {
    const auto& rec = *reinterpret_cast<const TDragRec*>(Message.LParam);
    const auto message = static_cast<TDragMessage>(Message.WParam);
    if (message == dmFindTarget) {
        TControl* target = this;
        if (auto* windowed = dynamic_cast<TWinControl*>(this))
            if (TControl* child = windowed->ControlAtPos(rec.Pos, rec.AllowDisabled))
                target = child;
        Message.Result = reinterpret_cast<LRESULT>(target);
        return;
    }
    TObject* source = rec.Source->Control;
    bool accept = false;
    switch (message) {
    case dmDragEnter: DragOver(source, rec.Pos.x, rec.Pos.y, dsDragEnter, accept); break;
    case dmDragLeave: DragOver(source, rec.Pos.x, rec.Pos.y, dsDragLeave, accept); break;
    case dmDragMove: DragOver(source, rec.Pos.x, rec.Pos.y, dsDragMove, accept); break;
    case dmDragDrop: DragDrop(source, rec.Pos.x, rec.Pos.y); break;
    default: break;
    }
    Message.Result = accept ? 1 : 0;
}
