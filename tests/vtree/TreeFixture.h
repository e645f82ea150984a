// Shared by the tree's tests: trees built from a compact description ("A(A1,A2),B"), node names
// for readable expectations, an event recorder whose handlers can be given behaviour, a view
// sink that counts what the model asked of the view, and a timer service fired by hand.
#pragma once

#include "vtree/VirtualTrees.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vtree_test {

struct TTreeDeleter {
    void operator()(TBaseVirtualTree* Tree) const { Tree->Free(); }
};
template <class T> using TTreePtr = std::unique_ptr<T, TTreeDeleter>;

template <class T = TVirtualStringTree> TTreePtr<T> MakeTree() {
    return TTreePtr<T>(Construct<T>(nullptr));
}

// A string tree with the protected machinery a test needs to reach.
class TTestTree : public TVirtualStringTree {
public:
    using TBaseVirtualTree::AddToSelection;
    using TBaseVirtualTree::BeginOperation;
    using TBaseVirtualTree::DoStateChange;
    using TBaseVirtualTree::EndOperation;
    using TBaseVirtualTree::NextCheckState;
    using TBaseVirtualTree::SelectNodes;
    using TBaseVirtualTree::ToggleSelection;
    using TCustomVirtualStringTree::ReadChunk;
    using TCustomVirtualStringTree::WriteChunks;
    using TVirtualStringTree::TVirtualStringTree;
    const TNodeArray& SelectionArray() const { return Selection(); }
};

// Counts the view effects the model asks for.
class TRecordingSink : public IVTViewSink {
public:
    int Invalidations = 0, ScrollBarUpdates = 0, EditCancels = 0, ClipboardEmptied = 0, Beeps = 0,
        HintCancels = 0;
    void InvalidateNode(PVirtualNode) override { ++Invalidations; }
    void InvalidateToBottom(PVirtualNode) override { ++Invalidations; }
    void InvalidateControl() override { ++Invalidations; }
    void UpdateScrollBars(bool) override { ++ScrollBarUpdates; }
    void CancelEditNode() override { ++EditCancels; }
    void CancelHint() override { ++HintCancels; }
    void EmptyClipboard() override { ++ClipboardEmptied; }
    void Beep() override { ++Beeps; }
};

// Timers that run only when the test says so.
class TManualTimers : public IVTTimerService {
public:
    std::map<TVTTimerId, Cardinal> Running;
    void StartTimer(TVTTimerId Id, Cardinal Milliseconds) override { Running[Id] = Milliseconds; }
    void StopTimer(TVTTimerId Id) override { Running.erase(Id); }
    void Fire(TBaseVirtualTree& Tree, TVTTimerId Id) {
        ASSERT_TRUE(Running.count(Id)) << "timer " << Id << " is not running";
        Running.erase(Id);
        Tree.HandleTimer(Id);
    }
};

// Names nodes, answers OnGetText with them, and records the events a test listens to.
class TRecorder {
public:
    std::map<PVirtualNode, std::wstring> Names;
    std::vector<std::wstring> Log;
    std::function<void(PVirtualNode, TVirtualNodeInitStates&)> InitNode;
    std::function<void(PVirtualNode, Cardinal&)> InitChildren;
    std::function<Integer(PVirtualNode, PVirtualNode)> Compare;
    int InitCount = 0, FreeCount = 0, FinalizeCount = 0, ChangeCount = 0;

    std::wstring Name(PVirtualNode Node) const {
        if (!Node) return L"nil";
        auto found = Names.find(Node);
        return found == Names.end() ? L"?" : found->second;
    }

    void OnInitNode(TBaseVirtualTree*, PVirtualNode, PVirtualNode Node,
                    TVirtualNodeInitStates& States) {
        ++InitCount;
        Log.push_back(L"init " + Name(Node));
        if (InitNode) InitNode(Node, States);
    }
    void OnInitChildren(TBaseVirtualTree*, PVirtualNode Node, Cardinal& Count) {
        Log.push_back(L"children " + Name(Node));
        if (InitChildren) InitChildren(Node, Count);
    }
    void OnFreeNode(TBaseVirtualTree*, PVirtualNode Node) {
        ++FreeCount;
        Log.push_back(L"free " + Name(Node));
    }
    void OnFinalizeNode(TBaseVirtualTree*, PVirtualNode) { ++FinalizeCount; }
    void OnGetText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, TVSTTextType,
                   UnicodeString& Text) {
        auto found = Names.find(Node);
        if (found != Names.end()) Text = found->second;
    }
    void OnCompare(TBaseVirtualTree*, PVirtualNode A, PVirtualNode B, TColumnIndex,
                   Integer& Result) {
        Result = Compare ? Compare(A, B) : 0;
    }
    void OnStructureChange(TBaseVirtualTree*, PVirtualNode Node, TChangeReason Reason) {
        Log.push_back(L"structure " + Name(Node) + L" " + std::to_wstring(Reason));
    }
    void OnUpdating(TBaseVirtualTree*, TVTUpdateState State) {
        Log.push_back(L"updating " + std::to_wstring(State));
    }
    void OnChange(TBaseVirtualTree*, PVirtualNode Node) {
        ++ChangeCount;
        Log.push_back(L"change " + Name(Node));
    }
    void OnExpanding(TBaseVirtualTree*, PVirtualNode Node, bool&) {
        Log.push_back(L"expanding " + Name(Node));
    }
    void OnExpanded(TBaseVirtualTree*, PVirtualNode Node) {
        Log.push_back(L"expanded " + Name(Node));
    }
    void OnCollapsed(TBaseVirtualTree*, PVirtualNode Node) {
        Log.push_back(L"collapsed " + Name(Node));
    }
    void OnChecked(TBaseVirtualTree*, PVirtualNode Node) {
        Log.push_back(L"checked " + Name(Node));
    }
    void OnFocusChanged(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex) {
        Log.push_back(L"focus " + Name(Node));
    }

    TRecorder() = default;
    TRecorder(const TRecorder&) = delete;
    TRecorder& operator=(const TRecorder&) = delete;
    // The tree usually outlives the recorder (it is declared first): it must not call back.
    ~TRecorder() {
        if (!FTree) return;
        FTree->OnInitNode = {};
        FTree->OnInitChildren = {};
        FTree->OnFreeNode = {};
        FTree->OnFinalizeNode = {};
        FTree->OnCompareNodes = {};
        FTree->OnStructureChange = {};
        FTree->OnUpdating = {};
        FTree->OnChange = {};
        FTree->OnExpanding = {};
        FTree->OnExpanded = {};
        FTree->OnCollapsed = {};
        FTree->OnChecked = {};
        FTree->OnFocusChanged = {};
        FTree->OnMeasureItem = {};
        FTree->OnChecking = {};
        FTree->OnIncrementalSearch = {};
        if (auto* strings = dynamic_cast<TCustomVirtualStringTree*>(FTree)) strings->OnGetText = {};
        FTree->SetViewSink(nullptr);
        FTree->SetTimerService(nullptr);
    }

    // Wires every handler above into the tree.
    void Attach(TBaseVirtualTree& Tree) {
        FTree = &Tree;
        Tree.OnInitNode = TVTInitNodeEvent(this, &TRecorder::OnInitNode);
        Tree.OnInitChildren = TVTInitChildrenEvent(this, &TRecorder::OnInitChildren);
        Tree.OnFreeNode = TVTFreeNodeEvent(this, &TRecorder::OnFreeNode);
        Tree.OnFinalizeNode = TVTFreeNodeEvent(this, &TRecorder::OnFinalizeNode);
        Tree.OnCompareNodes = TVTCompareEvent(this, &TRecorder::OnCompare);
        Tree.OnStructureChange = TVTStructureChangeEvent(this, &TRecorder::OnStructureChange);
        Tree.OnUpdating = TVTUpdatingEvent(this, &TRecorder::OnUpdating);
        Tree.OnChange = TVTChangeEvent(this, &TRecorder::OnChange);
        Tree.OnExpanding = TVTChangingEvent(this, &TRecorder::OnExpanding);
        Tree.OnExpanded = TVTChangeEvent(this, &TRecorder::OnExpanded);
        Tree.OnCollapsed = TVTChangeEvent(this, &TRecorder::OnCollapsed);
        Tree.OnChecked = TVTChangeEvent(this, &TRecorder::OnChecked);
        Tree.OnFocusChanged = TVTFocusChangeEvent(this, &TRecorder::OnFocusChanged);
        if (auto* strings = dynamic_cast<TCustomVirtualStringTree*>(&Tree))
            strings->OnGetText = TVSTGetTextEvent(this, &TRecorder::OnGetText);
    }

    // Builds "A(A1,A2),B" under Parent (nil: the root); every node is expanded.
    void Build(TBaseVirtualTree& Tree, const std::wstring& Description,
               PVirtualNode Parent = nullptr) {
        std::size_t position = 0;
        BuildList(Tree, Description, position, Parent);
    }

    PVirtualNode Find(const std::wstring& Name) const {
        for (const auto& [node, name] : Names)
            if (name == Name) return node;
        ADD_FAILURE() << "no node named " << std::string(Name.begin(), Name.end());
        return nullptr;
    }

    // The names of the nodes a walk visits.
    template <class First, class Next> std::wstring Walk(First first, Next next) const {
        std::wstring result;
        for (PVirtualNode run = first(); run; run = next(run)) {
            if (!result.empty()) result += L",";
            result += Name(run);
        }
        return result;
    }

    std::wstring Joined() const {
        std::wstring result;
        for (const std::wstring& entry : Log) result += (result.empty() ? L"" : L"; ") + entry;
        return result;
    }

private:
    TBaseVirtualTree* FTree = nullptr;

    void BuildList(TBaseVirtualTree& Tree, const std::wstring& Text, std::size_t& Position,
                   PVirtualNode Parent) {
        while (Position < Text.size() && Text[Position] != L')') {
            std::size_t end = Text.find_first_of(L"(),", Position);
            if (end == std::wstring::npos) end = Text.size();
            PVirtualNode node = Tree.AddChild(Parent);
            Names[node] = Text.substr(Position, end - Position);
            Position = end;
            if (Position < Text.size() && Text[Position] == L'(') {
                ++Position;
                BuildList(Tree, Text, Position, node);
                ++Position; // ')'
                Tree.SetExpanded(node, true);
            }
            if (Position < Text.size() && Text[Position] == L',') ++Position;
        }
    }
};

// Recounts the tree's counters from scratch (the trivially correct model of them).
struct TCounts {
    Cardinal Total = 0, Visible = 0, RootHeight = 0;
};

inline bool Shown(const TBaseVirtualTree& Tree, PVirtualNode Node) {
    return Node->States.Contains(vsVisible) &&
           !(Node->States.Contains(vsHidden) &&
             !Tree.TreeOptions()->PaintOptions().Contains(toShowHiddenNodes));
}

inline Cardinal RecountHeight(const TBaseVirtualTree& Tree, PVirtualNode Node, Cardinal& Visible,
                              bool Counting) {
    Cardinal height = Node->NodeHeight;
    const bool open = Node->States.Contains(vsExpanded);
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
        const bool shown = Shown(Tree, child);
        if (Counting && open && shown) ++Visible;
        const Cardinal below = RecountHeight(Tree, child, Visible, Counting && open && shown);
        if (open && shown) height += below;
    }
    return height;
}

inline Cardinal RecountTotal(PVirtualNode Node) {
    Cardinal total = 1;
    for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
        total += RecountTotal(child);
    return total;
}

inline TCounts Recount(const TBaseVirtualTree& Tree) {
    TCounts counts;
    counts.Total = RecountTotal(Tree.RootNode()) - 1;
    counts.RootHeight = RecountHeight(Tree, Tree.RootNode(), counts.Visible, true);
    return counts;
}

inline std::string Narrow(const std::wstring& Text) {
    return std::string(Text.begin(), Text.end());
}

} // namespace vtree_test
