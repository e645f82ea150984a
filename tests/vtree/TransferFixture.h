// Shared by the clipboard and drag-and-drop tests: two string tree windows of one process on a
// hidden host, whose texts live in a name map (OnGetText reads it, OnNewText writes it), so
// that nodes carried by the tree's clipboard format keep their names.
#pragma once

#include "WindowFixture.h"

namespace vtree_test {

// Names the nodes of one window's tree.
class TNames {
public:
    std::map<PVirtualNode, std::wstring> Map;
    void Attach(TVirtualStringTreeWindow& Window) {
        FTree = Window.StringTree();
        FTree->OnGetText = TVSTGetTextEvent(this, &TNames::GetText);
        FTree->OnNewText = TVSTNewTextEvent(this, &TNames::NewText);
    }
    void Detach() {
        if (!FTree) return;
        FTree->OnGetText = {};
        FTree->OnNewText = {};
        FTree = nullptr;
    }
    // The names of the top-level nodes, in order, with children in brackets.
    std::wstring Shape(TBaseVirtualTree& Tree, PVirtualNode Parent = nullptr) {
        std::wstring result;
        for (PVirtualNode n = Tree.GetFirstChild(Parent ? Parent : Tree.RootNode()); n;
             n = Tree.GetNextSibling(n)) {
            if (!result.empty()) result += L",";
            result += Map.count(n) ? Map[n] : L"?";
            if (n->ChildCount > 0) result += L"(" + Shape(Tree, n) + L")";
        }
        return result;
    }

private:
    void GetText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, TVSTTextType,
                 UnicodeString& Text) {
        auto found = Map.find(Node);
        if (found != Map.end()) Text = found->second;
    }
    void NewText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, const UnicodeString& Text) {
        Map[Node] = Text;
    }
    TCustomVirtualStringTree* FTree = nullptr;
};

class TTransferFixture : public ::testing::Test {
protected:
    TThemesOff FThemes;
    TOwned<TWinControl> Host{new TWinControl(nullptr)};
    TOwned<TVirtualStringTreeWindow> A, B;
    TNames NamesA, NamesB;

    TTransferFixture() {
        Host->SetVisible(false);
        Host->SetBounds(10, 10, 700, 400);
        A.reset(Make(0));
        B.reset(Make(350));
        Host->HandleNeeded();
        NamesA.Attach(*A);
        NamesB.Attach(*B);
    }
    ~TTransferFixture() override {
        NamesA.Detach();
        NamesB.Detach();
        OleSetClipboard(nullptr);
    }

    TVirtualStringTreeWindow* Make(int Left) {
        auto* window = Construct<TVirtualStringTreeWindow>(nullptr);
        window->SetBounds(Left, 0, 300, 300);
        window->SetParent(Host.get());
        window->ClipboardFormats()->Add(L"Virtual Tree Data");
        return window;
    }
    // Top-level nodes named by Names under the root of Window's tree.
    void AddNodes(TVirtualStringTreeWindow& Window, TNames& Names,
                  std::initializer_list<const wchar_t*> Texts) {
        for (const wchar_t* text : Texts) Names.Map[Window.Tree()->AddChild(nullptr)] = text;
    }
    PVirtualNode Named(TVirtualStringTreeWindow& Window, TNames& Names, const std::wstring& Text) {
        for (PVirtualNode n = Window.Tree()->GetFirst(); n; n = Window.Tree()->GetNext(n))
            if (Names.Map.count(n) && Names.Map[n] == Text) return n;
        ADD_FAILURE() << "no node with that name";
        return nullptr;
    }
};

} // namespace vtree_test
