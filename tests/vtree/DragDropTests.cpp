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
    void DragOver(TVirtualTreeWindow*, TVirtualTreeWindow*, TShiftState, TDragState State, TPoint,
                  TDropMode Mode, DWORD&, bool& Accept) {
        if (State != dsDragLeave) Modes.push_back(Mode);
        Accept = true;
    }
    void DragDrop(TVirtualTreeWindow*, TVirtualTreeWindow*, IDataObject* Data,
                  const TFormatArray& Offered, TShiftState, TPoint, DWORD& Effect, TDropMode) {
        Formats = Offered;
        Inserted = Window->ProcessDrop(Data, Window->Tree()->DropTargetNode(), Effect,
                                       amAddChildLast);
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
    ASSERT_EQ(Target(*A)->DragEnter(data.Get(), MK_LBUTTON, At(*A, A->Tree()->GetFirst(), true),
                                    &effect),
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
    const TPoint screen = B->ClientToScreen({(row.left + row.right) / 2, (row.top + row.bottom) / 2});
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

} // namespace
} // namespace vtree_test
