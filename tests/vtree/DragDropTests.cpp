// Drag and drop, called as OLE would call it: the effect a drag gets, the drop source's answer
// to the keys, the drop target node and mode following the mouse, the drop handed to the
// application and inserted by ProcessDrop, opening a collapsed target, and a manager that
// outlives its window.
#include "TransferFixture.h"

namespace vtree_test {
namespace {

// Accepts every drag with the effect offered and inserts what is dropped as children of the
// target (or at the top level).
struct TDropHandler {
    TVirtualStringTreeWindow* Window = nullptr;
    std::vector<TDropMode> Modes;
    TFormatArray Formats;
    bool Inserted = false;
    void DragOver(TVirtualTreeWindow*, TObject*, TShiftState, TDragState State, TPoint,
                  TDropMode Mode, DWORD&, bool& Accept) {
        if (State != dsDragLeave) Modes.push_back(Mode);
        Accept = true;
    }
    void DragDrop(TVirtualTreeWindow*, TObject*, IDataObject* Data, const TFormatArray& Offered,
                  TShiftState, TPoint, DWORD& Effect, TDropMode) {
        Formats = Offered;
        Inserted =
            Window->ProcessDrop(Data, Window->Tree()->DropTargetNode(), Effect, amAddChildLast);
    }
};

class TDragDropFixture : public TTransferFixture {
protected:
    TDropHandler Handler;
    TDragDropFixture() {
        Handler.Window = B.get();
        B->OnDragOver = TVTDragOverEvent(&Handler, &TDropHandler::DragOver);
        B->OnDragDrop = TVTDragDropEvent(&Handler, &TDropHandler::DragDrop);
    }
    ~TDragDropFixture() override {
        if (!B) return;
        B->OnDragOver = {};
        B->OnDragDrop = {};
    }
    IDropTarget* Target(TVirtualTreeWindow& Window) {
        TComPtr<IDropTarget> target;
        Supports(Window.DragManager(), target);
        return target.Get(); // the window's manager keeps it
    }
    // A screen point in the node's row: on its text, or in the row's upper or lower part
    // beyond the text.
    POINTL At(TVirtualTreeWindow& Window, PVirtualNode Node, bool OnText, bool Upper = true) {
        const TRect text = Window.GetDisplayRect(Node, NoColumn, true);
        const TRect row = Window.GetDisplayRect(Node, NoColumn, false);
        const TPoint client = OnText ? TPoint{text.left + 2, (text.top + text.bottom) / 2}
                                     : TPoint{row.right - 3, Upper ? row.top + 2 : row.bottom - 2};
        const TPoint screen = Window.ClientToScreen(client);
        return {screen.x, screen.y};
    }
};

using DragDrop = TDragDropFixture;

TEST(DragDropEffects, TheSourceAndTheKeysChooseTheEffect) {
    TThemesOff themes;
    TOwned<TVirtualStringTreeWindow> self(Construct<TVirtualStringTreeWindow>(nullptr));
    TOwned<TVirtualStringTreeWindow> other(Construct<TVirtualStringTreeWindow>(nullptr));
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    struct TCase {
        TVirtualTreeWindow* Source;
        TShiftState Shift;
        DWORD Allowed, Expected;
    };
    const TCase cases[] = {
        {self.get(), {}, all, DROPEFFECT_MOVE},
        {other.get(), {}, all, DROPEFFECT_COPY},
        {nullptr, {}, all, DROPEFFECT_COPY},
        {self.get(), {ssCtrl}, all, DROPEFFECT_COPY},
        {other.get(), {ssShift}, all, DROPEFFECT_MOVE},
        {other.get(), {ssCtrl, ssShift}, all, DROPEFFECT_LINK},
        {other.get(), {ssAlt}, all, DROPEFFECT_LINK},
        {other.get(), {ssCtrl, ssShift}, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
        {self.get(), {ssShift}, DROPEFFECT_COPY, DROPEFFECT_COPY},
        {self.get(), {}, DROPEFFECT_LINK, DROPEFFECT_LINK},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(self->ChooseDropEffect(cases[i].Source, cases[i].Shift, cases[i].Allowed),
                  cases[i].Expected)
            << "case " << i;
    self->DragOperations = {};
    EXPECT_EQ(self->AllowedDropEffects(), all);
    self->DragOperations = {doCopy};
    EXPECT_EQ(self->AllowedDropEffects(), static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(DragDropEffects, TheDropSourceFollowsEscapeAndTheButtons) {
    TThemesOff themes;
    TOwned<TVirtualStringTreeWindow> window(Construct<TVirtualStringTreeWindow>(nullptr));
    TComPtr<IDropSource> source;
    ASSERT_TRUE(Supports(window->DragManager(), source));
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST_F(DragDrop, TheDropTargetAndModeFollowTheMouse) {
    AddNodes(*B, NamesB, {L"b0", L"b1"});
    PVirtualNode b1 = Named(*B, NamesB, L"b1");
    TComPtr<IDataObject> data = A->DragManager()->DragDataObject();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    IDropTarget* target = Target(*B);
    ASSERT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, At(*B, b1, true), &effect), S_OK);
    EXPECT_EQ(B->Tree()->DropTargetNode(), b1);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "from another tree: a copy";
    EXPECT_TRUE(B->DragManager()->IsDropTargetNow());
    EXPECT_EQ(B->DragManager()->DragSourceTree(), A.get());
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, At(*B, b1, false, true), &effect);
    EXPECT_EQ(B->LastDropMode(), dmAbove);
    target->DragOver(MK_LBUTTON, At(*B, b1, false, false), &effect);
    EXPECT_EQ(B->LastDropMode(), dmBelow);
    target->DragOver(MK_LBUTTON, At(*B, b1, true), &effect);
    EXPECT_EQ(B->LastDropMode(), dmOnNode);
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(B->Tree()->DropTargetNode(), nullptr);
    EXPECT_FALSE(B->DragManager()->IsDropTargetNow());
}

TEST_F(DragDrop, WithoutAHandlerEveryDragIsRefused) {
    AddNodes(*A, NamesA, {L"a0"});
    DWORD effect = DROPEFFECT_COPY;
    TComPtr<IDataObject> data = B->DragManager()->DragDataObject();
    ASSERT_EQ(
        Target(*A)->DragEnter(data.Get(), MK_LBUTTON, At(*A, A->Tree()->GetFirst(), true), &effect),
        S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    Target(*A)->DragLeave();
}

TEST_F(DragDrop, ReportModeCountsOnlyTheMainColumnsText) {
    for (int width : {100, 100}) B->Header()->Columns()->Add()->SetWidth(width);
    B->Header()->SetMainColumn(0);
    TCustomVirtualTreeOptions* options = B->Tree()->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toReportMode});
    AddNodes(*B, NamesB, {L"b0"});
    PVirtualNode b0 = Named(*B, NamesB, L"b0");
    const TRect row = B->GetDisplayRect(b0, 1, false);
    const TPoint screen =
        B->ClientToScreen({(row.left + row.right) / 2, (row.top + row.bottom) / 2});
    DWORD effect = DROPEFFECT_COPY;
    TComPtr<IDataObject> data = A->DragManager()->DragDataObject();
    Target(*B)->DragEnter(data.Get(), MK_LBUTTON, {screen.x, screen.y}, &effect);
    effect = DROPEFFECT_COPY;
    Target(*B)->DragOver(MK_LBUTTON, {screen.x, screen.y}, &effect);
    EXPECT_EQ(B->Tree()->DropTargetNode(), nullptr);
    EXPECT_EQ(B->LastDropMode(), dmNowhere);
    Target(*B)->DragLeave();
}

TEST_F(DragDrop, ADropIsHandedOverAndInsertedAsACopy) {
    AddNodes(*A, NamesA, {L"a0", L"a1"});
    A->Tree()->SetSelected(Named(*A, NamesA, L"a1"), true);
    AddNodes(*B, NamesB, {L"b0"});
    PVirtualNode b0 = Named(*B, NamesB, L"b0");
    TComPtr<IDataObject> data = A->DragManager()->DragDataObject();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    IDropTarget* target = Target(*B);
    target->DragEnter(data.Get(), MK_LBUTTON, At(*B, b0, true), &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target->Drop(data.Get(), MK_LBUTTON, At(*B, b0, true), &effect), S_OK);
    EXPECT_TRUE(Handler.Inserted);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_NE(std::find(Handler.Formats.begin(), Handler.Formats.end(), vtree_formats::TreeData()),
              Handler.Formats.end());
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"b0(a1)");
    EXPECT_EQ(NamesA.Shape(*A->Tree()), L"a0,a1");
    EXPECT_EQ(B->Tree()->DropTargetNode(), nullptr) << "cleared after the drop";
}

TEST_F(DragDrop, ProcessDropNowhereInsertsNothing) {
    AddNodes(*A, NamesA, {L"a0"});
    A->Tree()->SetSelected(A->Tree()->GetFirst(), true);
    TComPtr<IDataObject> data = A->DragManager()->DragDataObject();
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_FALSE(B->ProcessDrop(data.Get(), nullptr, effect, amNoWhere));
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(B->Tree()->TotalCount(), 0u);
}

TEST_F(DragDrop, HoveringOverACollapsedNodeOpensItWhenTheExpandTimerExpires) {
    TCustomVirtualTreeOptions* options = B->Tree()->TreeOptions();
    options->SetAutoOptions(options->AutoOptions() + TVTAutoOptions{toAutoDropExpand});
    AddNodes(*B, NamesB, {L"b0"});
    PVirtualNode b0 = Named(*B, NamesB, L"b0");
    NamesB.Map[B->Tree()->AddChild(b0)] = L"b0x";
    B->Tree()->SetExpanded(b0, false);
    DWORD effect = DROPEFFECT_COPY;
    TComPtr<IDataObject> data = A->DragManager()->DragDataObject();
    Target(*B)->DragEnter(data.Get(), MK_LBUTTON, At(*B, b0, true), &effect);
    EXPECT_FALSE(B->Tree()->Expanded(b0));
    B->Perform(WM_TIMER, ExpandTimer, 0);
    EXPECT_TRUE(B->Tree()->Expanded(b0));
    Target(*B)->DragLeave();
}

TEST_F(DragDrop, NodesFreedDuringTheDragLeaveTheDragSelection) {
    AddNodes(*A, NamesA, {L"a0", L"a1"});
    A->Tree()->SetDragSelection({Named(*A, NamesA, L"a0"), Named(*A, NamesA, L"a1")});
    A->Tree()->DeleteNode(Named(*A, NamesA, L"a0"));
    ASSERT_EQ(A->Tree()->DragSelection().size(), 1u);
    EXPECT_EQ(NamesA.Map[A->Tree()->DragSelection()[0]], L"a1");
    A->Tree()->SetDragSelection({});
}

TEST_F(DragDrop, AManagerOutlivingItsWindowRefusesEverything) {
    TComPtr<IDropTarget> target;
    Supports(B->DragManager(), target);
    B->OnDragOver = {};
    B->OnDragDrop = {};
    NamesB.Detach();
    B.reset();
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(nullptr, MK_LBUTTON, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(nullptr, MK_LBUTTON, {0, 0}, &effect), E_UNEXPECTED);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

// ---- the class library's own drag (dtVCL) ------------------------------------------------------

// Notes what a tree hears as the target and the source of a library drag.
struct TLibraryDragLog {
    struct TOver {
        TObject* Source;
        TDragState State;
        TDropMode Mode;
        DWORD Effect;
    };
    struct TDrop {
        TObject* Source;
        IDataObject* Data;
        std::size_t Formats;
        DWORD Effect;
        TDropMode Mode;
        PVirtualNode Node;
    };
    std::vector<TOver> Overs;
    std::vector<TDrop> Drops;
    std::vector<TObject*> EndTargets;
    void DragOver(TVirtualTreeWindow*, TObject* Source, TShiftState, TDragState State, TPoint,
                  TDropMode Mode, DWORD& Effect, bool& Accept) {
        Overs.push_back({Source, State, Mode, Effect});
        Accept = true;
    }
    void DragDrop(TVirtualTreeWindow* Sender, TObject* Source, IDataObject* Data,
                  const TFormatArray& Formats, TShiftState, TPoint, DWORD& Effect, TDropMode Mode) {
        Drops.push_back(
            {Source, Data, Formats.size(), Effect, Mode, Sender->Tree()->DropTargetNode()});
    }
    void DragAllowed(TVirtualTreeWindow*, PVirtualNode, TColumnIndex, bool& Allowed) {
        Allowed = true;
    }
    void EndDrag(TObject*, TObject* Target, int, int) { EndTargets.push_back(Target); }
};

// The trees are shown above everything in a corner of the screen that the windows of test
// programs running beside this one leave free: the library finds its target under the pointer.
class TLibraryDragFixture : public TDragDropFixture {
protected:
    TLibraryDragLog Log;
    TLibraryDragFixture() {
        Host->SetBounds(560, 600, 700, 400);
        Host->SetVisible(true);
        SetWindowPos(Host->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        for (TVirtualStringTreeWindow* window : {A.get(), B.get()}) {
            window->OnDragOver = TVTDragOverEvent(&Log, &TLibraryDragLog::DragOver);
            window->OnDragDrop = TVTDragDropEvent(&Log, &TLibraryDragLog::DragDrop);
        }
        A->DragType = dtVCL;
        A->OnDragAllowed = TVTDragAllowedEvent(&Log, &TLibraryDragLog::DragAllowed);
        A->OnEndDrag = TEndDragEvent(&Log, &TLibraryDragLog::EndDrag);
        AddNodes(*A, NamesA, {L"a0", L"a1"});
        AddNodes(*B, NamesB, {L"b0", L"b1"});
    }
    ~TLibraryDragFixture() override {
        for (TVirtualStringTreeWindow* window : {A.get(), B.get()}) {
            window->OnDragOver = {};
            window->OnDragDrop = {};
        }
    }
    // A point of the node's row in client coordinates: on its text, or beyond it in the row's
    // upper part.
    TPoint ClientAt(TVirtualTreeWindow& Window, PVirtualNode Node, bool OnText) {
        const POINTL screen = At(Window, Node, OnText);
        return Window.ScreenToClient({screen.x, screen.y});
    }
    void Press(TVirtualTreeWindow& Window, PVirtualNode Node) {
        const TPoint p = ClientAt(Window, Node, true);
        SendMessageW(Window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
    // A mouse message where the system sends it during the drag: the window holding the
    // capture.
    static void AtCapture(UINT Msg, TVirtualTreeWindow& Window, TPoint Client) {
        HWND capture = GetCapture();
        ASSERT_NE(capture, nullptr) << "the drag holds the capture";
        POINT p = Window.ClientToScreen(Client);
        ScreenToClient(capture, &p);
        SendMessageW(capture, Msg, Msg == WM_MOUSEMOVE ? MK_LBUTTON : 0, MAKELPARAM(p.x, p.y));
    }
};

using LibraryDrag = TLibraryDragFixture;

TEST_F(LibraryDrag, ANodeDraggedOntoAnotherTreeIsDroppedThereWithoutData) {
    Press(*A, Named(*A, NamesA, L"a1"));
    EXPECT_TRUE(A->Tree()->TreeStates().Contains(tsVCLDragPending));
    EXPECT_TRUE(A->Dragging());
    PVirtualNode b0 = Named(*B, NamesB, L"b0"), b1 = Named(*B, NamesB, L"b1");
    AtCapture(WM_MOUSEMOVE, *B, ClientAt(*B, b1, true));
    EXPECT_TRUE(B->Tree()->TreeStates().Contains(tsVCLDragging));
    EXPECT_EQ(B->Tree()->DropTargetNode(), b1);
    AtCapture(WM_MOUSEMOVE, *B, ClientAt(*B, b0, false));
    AtCapture(WM_LBUTTONUP, *B, ClientAt(*B, b0, false));
    ASSERT_EQ(Log.Overs.size(), 2u);
    EXPECT_EQ(Log.Overs[0].Source, A.get()) << "the dragged control";
    EXPECT_EQ(Log.Overs[0].State, dsDragEnter);
    EXPECT_EQ(Log.Overs[0].Effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "from another tree";
    EXPECT_EQ(Log.Overs[1].State, dsDragMove);
    EXPECT_EQ(Log.Overs[1].Mode, dmAbove);
    ASSERT_EQ(Log.Drops.size(), 1u);
    EXPECT_EQ(Log.Drops[0].Source, A.get());
    EXPECT_EQ(Log.Drops[0].Data, nullptr);
    EXPECT_EQ(Log.Drops[0].Formats, 0u);
    EXPECT_EQ(Log.Drops[0].Effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(Log.Drops[0].Mode, dmAbove);
    EXPECT_EQ(Log.Drops[0].Node, b0) << "the target of the last move";
    EXPECT_EQ(B->Tree()->DropTargetNode(), nullptr) << "cleared after the drop";
    EXPECT_FALSE(B->Tree()->TreeStates().Contains(tsVCLDragging));
    EXPECT_EQ(Log.EndTargets, (std::vector<TObject*>{B.get()}));
    const TVirtualTreeStates states = A->Tree()->TreeStates();
    EXPECT_FALSE(states.Contains(tsVCLDragPending) || states.Contains(tsVCLDragging));
    EXPECT_FALSE(states.Contains(tsLeftButtonDown)) << "the release completed the press";
    EXPECT_FALSE(A->Dragging());
}

TEST_F(LibraryDrag, WithinOneTreeTheDragRunsAsAMove) {
    PVirtualNode a0 = Named(*A, NamesA, L"a0"), a1 = Named(*A, NamesA, L"a1");
    Press(*A, a0);
    AtCapture(WM_MOUSEMOVE, *A, ClientAt(*A, a1, true));
    const TVirtualTreeStates states = A->Tree()->TreeStates();
    EXPECT_TRUE(states.Contains(tsVCLDragging));
    EXPECT_FALSE(states.Contains(tsVCLDragPending));
    AtCapture(WM_LBUTTONUP, *A, ClientAt(*A, a1, true));
    ASSERT_EQ(Log.Drops.size(), 1u);
    EXPECT_EQ(Log.Drops[0].Source, A.get());
    EXPECT_EQ(Log.Drops[0].Effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(Log.Drops[0].Mode, dmOnNode);
    EXPECT_EQ(Log.Drops[0].Node, a1);
    EXPECT_EQ(Log.EndTargets, (std::vector<TObject*>{A.get()}));
}

TEST_F(LibraryDrag, AReleaseBeforeTheThresholdIsStillAClick) {
    TCustomVirtualTreeOptions* options = A->Tree()->TreeOptions();
    options->SetSelectionOptions(options->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
    PVirtualNode a0 = Named(*A, NamesA, L"a0"), a1 = Named(*A, NamesA, L"a1");
    A->Tree()->SetSelected(a0, true);
    A->Tree()->SetSelected(a1, true);
    Press(*A, a1);
    EXPECT_EQ(A->Tree()->SelectedCount(), 2u) << "a drag may still take both";
    AtCapture(WM_LBUTTONUP, *A, ClientAt(*A, a1, true));
    EXPECT_EQ(A->Tree()->SelectedCount(), 1u) << "the click selects the pressed node alone";
    EXPECT_TRUE(A->Tree()->Selected(a1));
    EXPECT_TRUE(Log.Overs.empty());
    EXPECT_EQ(Log.EndTargets, (std::vector<TObject*>{nullptr}));
    EXPECT_FALSE(A->Dragging());
}

TEST_F(LibraryDrag, EscapeLeavesTheTargetWithoutADrop) {
    Press(*A, Named(*A, NamesA, L"a0"));
    AtCapture(WM_MOUSEMOVE, *B, ClientAt(*B, Named(*B, NamesB, L"b1"), true));
    SendMessageW(A->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Log.Drops.empty());
    ASSERT_FALSE(Log.Overs.empty());
    EXPECT_EQ(Log.Overs.back().State, dsDragLeave);
    EXPECT_EQ(B->Tree()->DropTargetNode(), nullptr);
    EXPECT_FALSE(B->Tree()->TreeStates().Contains(tsVCLDragging));
    EXPECT_EQ(Log.EndTargets, (std::vector<TObject*>{nullptr}));
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
} // namespace vtree_test
