#include "InputFixture.h"

#include "framework/Menus.h"

namespace {

using namespace vtree_test;

// Answers OnGetPopupMenu for the nodes it has a menu for, and notes every question; counts the
// menus shown (an empty menu fires OnPopup and closes at once).
struct TMenuLog {
    std::map<PVirtualNode, TPopupMenu*> Menus;
    bool AskParent = true;
    std::vector<PVirtualNode> Asked;
    std::vector<TColumnIndex> Columns;
    std::vector<TPoint> Points;
    std::vector<TComponent*> Shown;
    void OnGetPopupMenu(TVirtualTreeWindow*, PVirtualNode Node, TColumnIndex Column,
                        const TPoint& P, bool& Ask, TPopupMenu*& Menu) {
        Asked.push_back(Node);
        Columns.push_back(Column);
        Points.push_back(P);
        auto found = Menus.find(Node);
        if (found != Menus.end()) Menu = found->second;
        Ask = AskParent;
    }
    void OnPopup(TObject* Sender) {
        Shown.push_back(static_cast<TPopupMenu*>(Sender)->PopupComponent());
    }
};

class VTPopup : public TInputFixture {
protected:
    TMenuLog Log;
    TOwned<TPopupMenu> Menu{Construct<TPopupMenu>(nullptr)};
    PVirtualNode Parent = nullptr, Child = nullptr;
    VTPopup() {
        AddRows(3);
        Parent = Row(1);
        Child = Tree().AddChild(Parent);
        Recorder.Names[Child] = L"Child";
        Tree().SetExpanded(Parent, true);
        Window->OnGetPopupMenu = TVTPopupEvent(&Log, &TMenuLog::OnGetPopupMenu);
        Menu->OnPopup = TNotifyEvent(&Log, &TMenuLog::OnPopup);
    }
    void RightClick(TPoint P) {
        Window->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(P.x, P.y));
        Window->Perform(WM_RBUTTONUP, 0, MAKELPARAM(P.x, P.y));
    }
};

TEST_F(VTPopup, RightClickAsksTheNodeThenItsParents) {
    Log.Menus[Parent] = Menu.get();
    RightClick(OnText(Child));
    EXPECT_EQ(Log.Asked, (std::vector<PVirtualNode>{Child, Parent}));
    ASSERT_EQ(Log.Shown.size(), 1u);
    EXPECT_EQ(Log.Shown[0], Window.get()) << "the tree is the menu's popup component";
    EXPECT_TRUE(Tree().TreeStates().Contains(tsPopupMenuShown));
    Window->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Window->Handle()), -1);
    EXPECT_FALSE(Tree().TreeStates().Contains(tsPopupMenuShown))
        << "a context-menu message ends it";
    EXPECT_EQ(Log.Shown.size(), 1u) << "and shows nothing more";

    Log.Asked.clear();
    Log.AskParent = false;
    RightClick(OnText(Child));
    EXPECT_EQ(Log.Asked, std::vector<PVirtualNode>{Child}) << "AskParent cleared stops the walk";
    EXPECT_EQ(Log.Shown.size(), 1u);
}

TEST_F(VTPopup, RightClickOnTheEmptyAreaAsksOnceWithoutANode) {
    Log.Menus[nullptr] = Menu.get();
    RightClick({50, Window->ClientHeight() - 5});
    EXPECT_EQ(Log.Asked, std::vector<PVirtualNode>{nullptr});
    EXPECT_EQ(Log.Columns, std::vector<TColumnIndex>{NoColumn});
    EXPECT_EQ(Log.Shown.size(), 1u);
}

TEST_F(VTPopup, TheControlsOwnMenuTakesPrecedence) {
    TOwned<TPopupMenu> own{Construct<TPopupMenu>(nullptr)};
    own->OnPopup = TNotifyEvent(&Log, &TMenuLog::OnPopup);
    Window->SetPopupMenu(own.get());
    Log.Menus[Child] = Menu.get();
    RightClick(OnText(Child));
    ASSERT_EQ(Log.Shown.size(), 1u) << "one menu, not two";
    EXPECT_TRUE(Log.Asked.empty()) << "the node's menu is not asked for";
    Window->SetPopupMenu(nullptr);
}

TEST_F(VTPopup, ApplicationsKeyOpensTheMenuAtTheMiddleOfTheFocusedText) {
    Log.Menus[Child] = Menu.get();
    Key(VK_APPS);
    EXPECT_TRUE(Log.Asked.empty()) << "no focused node, no menu";
    Tree().SetFocusedNode(Child);
    Key(VK_APPS);
    ASSERT_EQ(Log.Shown.size(), 1u);
    ASSERT_EQ(Log.Points.size(), 1u);
    const TRect text = Window->GetDisplayRect(Child, NoColumn, true);
    EXPECT_NEAR(Log.Points[0].x, (text.left + text.right) / 2, 4);
    EXPECT_GT(Log.Points[0].x, text.left);
    EXPECT_LT(Log.Points[0].x, text.right);
    EXPECT_EQ(Log.Points[0].y, (text.top + text.bottom) / 2);
}

TEST_F(VTPopup, HeaderRightClickShowsTheHeadersMenu) {
    ApplyClientProfile();
    auto screen = [&](int X, int Y) {
        POINT p{X, Y};
        ::ClientToScreen(Window->Handle(), &p);
        return PointParam(p.x, p.y);
    };
    Log.Menus[nullptr] = Menu.get();
    Window->Perform(WM_NCRBUTTONUP, HTBORDER, screen(190, -11));
    ASSERT_EQ(Log.Shown.size(), 1u);
    EXPECT_EQ(Log.Asked, std::vector<PVirtualNode>{nullptr});
    EXPECT_EQ(Log.Columns, std::vector<TColumnIndex>{1}) << "the column under the mouse";

    TOwned<TPopupMenu> header{Construct<TPopupMenu>(nullptr)};
    header->OnPopup = TNotifyEvent(&Log, &TMenuLog::OnPopup);
    Window->HeaderPopupMenu = header.get();
    Window->Perform(WM_NCRBUTTONUP, HTBORDER, screen(20, -11));
    EXPECT_EQ(Log.Shown.size(), 2u);
    EXPECT_EQ(Log.Asked.size(), 1u) << "the header's own menu needs no question";
    Window->HeaderPopupMenu = nullptr;
}

} // namespace
