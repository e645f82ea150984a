// Editing a cell through the edit link: starting (EditNode, F2, the edit timer after a click),
// accepting and cancelling (Enter, Ctrl+Enter, Escape, focus loss), the edit's size, the link's
// deferred release, and the window going away while an edit runs.
#include "InputFixture.h"

namespace vtree_test {
namespace {

// Pumps the posted messages of the thread, so that deferred releases arrive.
void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class TEditFixture : public TInputFixture {
protected:
    std::vector<std::wstring> Events;

    TEditFixture() {
        AddRows(3);
        SetMisc(toEditable, true);
        StringTree().OnNewText = TVSTNewTextEvent(this, &TEditFixture::NewText);
        Window->OnEdited = TVTEditChangeEvent(this, &TEditFixture::Edited);
        Window->OnEditCancelled = TVTEditCancelEvent(this, &TEditFixture::Cancelled);
    }
    ~TEditFixture() override {
        if (!Window) return;
        StringTree().OnNewText = {};
        Window->OnEdited = {};
        Window->OnEditCancelled = {};
    }

    TCustomVirtualStringTree& StringTree() { return *Window->StringTree(); }
    void SetMisc(TVTMiscOption Option, bool On) {
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        TVTMiscOptions misc = options->MiscOptions();
        if (On)
            misc.Include(Option);
        else
            misc.Exclude(Option);
        options->SetMiscOptions(misc);
    }
    void SetAutoAccept(bool On) {
        TCustomStringTreeOptions* options = StringTree().StringTreeOptions();
        TVTStringOptions value = options->StringOptions();
        if (On)
            value.Include(toAutoAcceptEditChange);
        else
            value.Exclude(toAutoAcceptEditChange);
        options->SetStringOptions(value);
    }
    TVTEdit* Editor() {
        auto* link = dynamic_cast<TStringEditLink*>(Window->EditLink());
        return link ? link->Edit() : nullptr;
    }
    // Types a new text into the running edit as the user would leave it.
    void TypeText(const UnicodeString& Text) {
        ASSERT_NE(Editor(), nullptr);
        Editor()->SetText(Text);
        Editor()->SetModified(true);
    }
    void EditKey(Word Code, bool Ctrl = false) {
        TKeysHeld held(false, Ctrl);
        Editor()->Perform(WM_KEYDOWN, Code, 1);
    }

    void NewText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, const UnicodeString& Text) {
        Events.push_back(L"new " + Recorder.Name(Node) + L"=" + Text);
        Recorder.Names[Node] = Text;
    }
    void Edited(TVirtualTreeWindow*, PVirtualNode Node, TColumnIndex) {
        Events.push_back(L"edited " + Recorder.Name(Node));
    }
    void Cancelled(TVirtualTreeWindow*, TColumnIndex) { Events.push_back(L"cancelled"); }
};

using Edit = TEditFixture;

TEST_F(Edit, EditNodeNeedsAnEditableWritableTree) {
    SetMisc(toEditable, false);
    EXPECT_FALSE(Window->EditNode(Row(0), NoColumn));
    EXPECT_EQ(Window->EditLink(), nullptr);

    SetMisc(toEditable, true);
    ASSERT_TRUE(Window->EditNode(Row(0), NoColumn));
    SetMisc(toReadOnly, true);
    // Read-only starts nothing and reports the edit that runs.
    EXPECT_TRUE(Window->EditNode(Row(1), NoColumn));
    EXPECT_EQ(Tree().FocusedNode(), Row(0));
    EXPECT_TRUE(Window->CancelEditNode());
    EXPECT_FALSE(Window->EditNode(Row(1), NoColumn));
}

TEST_F(Edit, OnEditingMayRefuseAfterTheNodeIsFocused) {
    struct TRefuser {
        void Editing(TVirtualTreeWindow*, PVirtualNode, TColumnIndex, bool& Allowed) {
            Allowed = false;
        }
    } refuser;
    Window->OnEditing = TVTEditChangingEvent(&refuser, &TRefuser::Editing);
    EXPECT_FALSE(Window->EditNode(Row(1), NoColumn));
    EXPECT_EQ(Tree().FocusedNode(), Row(1));
    EXPECT_FALSE(Window->IsEditing());
    Window->OnEditing = {};
}

TEST_F(Edit, EditNodeRejectsANilNodeAndABadColumn) {
    EXPECT_THROW(Window->EditNode(nullptr, NoColumn), EAssertionFailed);
    EXPECT_THROW(Window->EditNode(Row(0), 0), EAssertionFailed); // no columns
    EXPECT_THROW(Window->EditNode(Row(0), -2), EAssertionFailed);
}

TEST_F(Edit, EnterAcceptsAChangedTextBeforeOnEdited) {
    ASSERT_TRUE(Window->EditNode(Row(1), NoColumn));
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(Editor()->Visible());
    EXPECT_EQ(Editor()->Text(), L"Row1");
    TypeText(L"Renamed");
    EditKey(VK_RETURN);
    EXPECT_FALSE(Window->IsEditing());
    EXPECT_EQ(Window->EditLink(), nullptr);
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"new Row1=Renamed", L"edited Renamed"}));
    EXPECT_EQ(StringTree().CellText(Row(1), NoColumn), L"Renamed");
}

TEST_F(Edit, AcceptingAnUnchangedTextFiresOnlyOnEdited) {
    ASSERT_TRUE(Window->EditNode(Row(0), NoColumn));
    EXPECT_TRUE(Window->EndEditNode());
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"edited Row0"}));
}

TEST_F(Edit, EscapeCancelsAndDropsTheChange) {
    ASSERT_TRUE(Window->EditNode(Row(2), NoColumn));
    TypeText(L"Lost");
    EditKey(VK_ESCAPE);
    EXPECT_FALSE(Window->IsEditing());
    EXPECT_EQ(Window->EditLink(), nullptr);
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"cancelled"}));
    EXPECT_EQ(StringTree().CellText(Row(2), NoColumn), L"Row2");
}

TEST_F(Edit, FocusLossAcceptsOrCancelsByAutoAccept) {
    SetAutoAccept(true);
    ASSERT_TRUE(Window->EditNode(Row(0), NoColumn));
    TypeText(L"Kept");
    Editor()->Perform(CM_EXIT, 0, 0);
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"new Row0=Kept", L"edited Kept"}));

    Events.clear();
    SetAutoAccept(false);
    ASSERT_TRUE(Window->EditNode(Row(1), NoColumn));
    TypeText(L"Dropped");
    Editor()->Perform(CM_EXIT, 0, 0);
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"cancelled"}));
    EXPECT_EQ(StringTree().CellText(Row(1), NoColumn), L"Row1");
}

TEST_F(Edit, MultiLineEditAcceptsOnCtrlEnterOnly) {
    Row(1)->States.Include(vsMultiline);
    ASSERT_TRUE(Window->EditNode(Row(1), NoColumn));
    EXPECT_TRUE(GetWindowLongW(Editor()->Handle(), GWL_STYLE) & WS_VSCROLL);
    TypeText(L"Two");
    EditKey(VK_RETURN);
    EXPECT_TRUE(Window->IsEditing());
    EditKey(VK_RETURN, true);
    EXPECT_FALSE(Window->IsEditing());
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"new Row1=Two", L"edited Two"}));
}

TEST_F(Edit, F2EditsTheFocusedNodeAndEscapeOnTheTreeCancels) {
    Tree().SetFocusedNode(Row(2));
    Key(VK_F2);
    ASSERT_TRUE(Window->IsEditing());
    EXPECT_EQ(Tree().EditNode(), Row(2));
    Key(VK_ESCAPE);
    EXPECT_FALSE(Window->IsEditing());
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"cancelled"}));
    Key(VK_F2, false, true); // with a modifier F2 does nothing
    EXPECT_FALSE(Window->IsEditing());
}

TEST_F(Edit, ClickOnTheSelectedNodeEditsWhenTheEditTimerExpires) {
    SetMisc(toEditOnClick, true);
    Host->SetVisible(true);
    SetForegroundWindow(Host->Handle());
    Window->SetFocus();
    Click(OnText(Row(1))); // selects
    EXPECT_FALSE(Tree().TreeStates().Contains(tsEditPending));
    Click(OnText(Row(1))); // on the selected, focused node: the edit is pending
    ASSERT_TRUE(Tree().TreeStates().Contains(tsEditPending));
    EXPECT_FALSE(Window->IsEditing());
    Window->Perform(WM_TIMER, EditTimer, 0);
    EXPECT_TRUE(Window->IsEditing());
    EXPECT_FALSE(Tree().TreeStates().Contains(tsEditPending));
    EXPECT_TRUE(Window->CancelEditNode());
    Host->SetVisible(false);
}

TEST_F(Edit, OneLineEditFollowsItsTextWithinLimits) {
    ASSERT_TRUE(Window->EditNode(Row(0), NoColumn));
    TVTEdit* edit = Editor();
    const int left = edit->Left();
    edit->SetText(L"");
    edit->FitToText();
    EXPECT_EQ(edit->Width(), 30);
    edit->SetText(std::wstring(40, L'W'));
    edit->FitToText();
    EXPECT_GT(edit->Width(), 100);
    EXPECT_EQ(edit->Left(), left);
    edit->SetText(std::wstring(400, L'W'));
    edit->FitToText();
    EXPECT_EQ(edit->Left() + edit->Width(), Window->ClientWidth());
}

TEST_F(Edit, UpAndDownMoveTheCaretSidewaysInAOneLineEdit) {
    ASSERT_TRUE(Window->EditNode(Row(0), NoColumn));
    SendMessageW(Editor()->Handle(), EM_SETSEL, 0, 0);
    EditKey(VK_DOWN);
    DWORD start = 0;
    SendMessageW(Editor()->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, 1u);
    EditKey(VK_UP);
    SendMessageW(Editor()->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, 0u);
}

TEST_F(Edit, TheEditIsFreedAfterTheMessageThatEndedIt) {
    ASSERT_TRUE(Window->EditNode(Row(0), NoColumn));
    const HWND edit = Editor()->Handle();
    EditKey(VK_RETURN);
    EXPECT_TRUE(IsWindow(edit)); // still inside its own key message's aftermath
    PumpMessages();
    EXPECT_FALSE(IsWindow(edit));
}

// An edit control that reports its end.
class TWatchedEdit : public TVTEdit {
public:
    TWatchedEdit(TStringEditLink* Link, bool& Freed) : TVTEdit(Link), FFreed(Freed) {}
    ~TWatchedEdit() override { FFreed = true; }

private:
    bool& FFreed;
};

struct TWatchedLinks {
    bool EditFreed = false;
    void Create(TVirtualTreeWindow*, PVirtualNode, TColumnIndex, TComPtr<IVTEditLink>& Link) {
        auto* link = new TStringEditLink;
        link->SetEdit(new TWatchedEdit(link, EditFreed));
        Link = TComPtr<IVTEditLink>(link);
    }
    void CreateNone(TVirtualTreeWindow*, PVirtualNode, TColumnIndex, TComPtr<IVTEditLink>&) {}
};

TEST(EditLifetime, AnEditWhoseWindowWasNeverMadeIsFreedWithItsLink) {
    TThemesOff themes;
    TOwned<TWinControl> host(new TWinControl(nullptr));
    host->SetVisible(false);
    TOwned<TVirtualTreeWindow> window(Construct<TVirtualTreeWindow>(nullptr));
    window->SetParent(host.get());
    host->HandleNeeded();
    window->Tree()->AddChild(nullptr);
    TCustomVirtualTreeOptions* options = window->Tree()->TreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toEditable});
    TWatchedLinks links;
    window->OnCreateEditor = TVTCreateEditorEvent(&links, &TWatchedLinks::Create);
    // The string link cannot prepare on a window that is not a string tree's.
    EXPECT_FALSE(window->EditNode(window->Tree()->GetFirst(), NoColumn));
    EXPECT_EQ(window->EditLink(), nullptr);
    EXPECT_TRUE(links.EditFreed);

    window->OnCreateEditor = TVTCreateEditorEvent(&links, &TWatchedLinks::CreateNone);
    EXPECT_THROW(window->EditNode(window->Tree()->GetFirst(), NoColumn), EVirtualTreeError);
    EXPECT_FALSE(window->IsEditing());
    window->OnCreateEditor = {};
}

TEST(EditLifetime, DestroyingTheWindowDuringAnEditReportsNothing) {
    TThemesOff themes;
    TOwned<TWinControl> host(new TWinControl(nullptr));
    host->SetVisible(false);
    TOwned<TVirtualStringTreeWindow> window(Construct<TVirtualStringTreeWindow>(nullptr));
    window->SetParent(host.get());
    host->HandleNeeded();
    window->Tree()->AddChild(nullptr);
    TCustomStringTreeOptions* options = window->StringTree()->StringTreeOptions();
    options->SetMiscOptions(options->MiscOptions() + TVTMiscOptions{toEditable});
    options->SetStringOptions(options->StringOptions() + TVTStringOptions{toAutoAcceptEditChange});
    TWatchedLinks links;
    window->OnCreateEditor = TVTCreateEditorEvent(&links, &TWatchedLinks::Create);
    struct TLate {
        int NewTexts = 0, Cancels = 0;
        void NewText(TBaseVirtualTree*, PVirtualNode, TColumnIndex, const UnicodeString&) {
            ++NewTexts;
        }
        void Cancelled(TVirtualTreeWindow*, TColumnIndex) { ++Cancels; }
    } late;
    window->StringTree()->OnNewText = TVSTNewTextEvent(&late, &TLate::NewText);
    window->OnEditCancelled = TVTEditCancelEvent(&late, &TLate::Cancelled);
    ASSERT_TRUE(window->EditNode(window->Tree()->GetFirst(), NoColumn));
    auto* link = dynamic_cast<TStringEditLink*>(window->EditLink());
    ASSERT_NE(link, nullptr);
    link->Edit()->SetText(L"Unsaved");
    link->Edit()->SetModified(true);
    window.reset();
    EXPECT_EQ(late.NewTexts, 0);
    EXPECT_EQ(late.Cancels, 0);
    EXPECT_TRUE(links.EditFreed);
}

} // namespace
} // namespace vtree_test
