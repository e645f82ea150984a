// Fuzzed readers of the tree control: the tree stream (nodes, captions, states) and the
// header's stream (columns and font). A refused stream raises the tree's or the stream's error;
// an accepted one leaves a tree that saves again.
#include "FuzzDriver.h"

#include "vtree/VirtualTrees.h"

#include <memory>

namespace {

using TTreePtr = std::unique_ptr<TVirtualStringTree, TFuzzFree>;

TTreePtr NewTree() { return TTreePtr(Construct<TVirtualStringTree>(nullptr)); }

TFuzzInput Bytes(TMemoryStream& stream) {
    const char* bytes = static_cast<const char*>(stream.Memory());
    return TFuzzInput(bytes, bytes + stream.Size());
}

void Into(TMemoryStream& stream, const TFuzzInput& input) {
    stream.Clear();
    if (!input.empty()) stream.WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
    stream.SetPosition(0);
}

std::vector<TFuzzInput> TreeSeeds() {
    std::vector<TFuzzInput> seeds;
    for (const Cardinal roots : {0u, 1u, 3u}) {
        TTreePtr tree = NewTree();
        tree->SetRootNodeCount(roots);
        if (roots == 3) {
            const PVirtualNode first = tree->GetFirst();
            tree->AddChild(first);
            tree->AddChild(tree->AddChild(first));
            tree->SetCheckType(first, ctCheckBox);
            tree->SetCheckState(first, csCheckedNormal);
            tree->SetExpanded(first, true);
        }
        TMemoryStream stream;
        tree->SaveToStream(&stream);
        seeds.push_back(Bytes(stream));
    }
    return seeds;
}

void FeedTree(const TFuzzInput& input) {
    TMemoryStream stream;
    Into(stream, input);
    TTreePtr tree = NewTree();
    try {
        tree->LoadFromStream(&stream);
    } catch (const EVirtualTreeError&) {
        return;
    } catch (const EReadError&) {
        return;
    }
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        tree->CellText(node, 0);
    stream.Clear();
    tree->SaveToStream(&stream);
}

std::vector<TFuzzInput> HeaderSeeds() {
    std::vector<TFuzzInput> seeds;
    for (const int columns : {0, 1, 3}) {
        TTreePtr tree = NewTree();
        for (int i = 0; i < columns; ++i) {
            TVirtualTreeColumn* column = tree->Header()->Columns()->Add();
            column->SetText(L"Column \x4E2D" + std::to_wstring(i));
            column->SetWidth(40 + 10 * i);
        }
        TFont font;
        font.SetName(L"Tahoma");
        TMemoryStream stream;
        tree->Header()->SaveToStream(&stream, &font);
        seeds.push_back(Bytes(stream));
    }
    return seeds;
}

void FeedHeader(const TFuzzInput& input) {
    TMemoryStream stream;
    Into(stream, input);
    TTreePtr tree = NewTree();
    TFont font;
    try {
        tree->Header()->LoadFromStream(&stream, &font);
    } catch (const EReadError&) {
        return;
    }
    stream.Clear();
    tree->Header()->SaveToStream(&stream, &font);
}

const TFuzzRegistration Tree{{"tree_stream", TreeSeeds, FeedTree, 1000}};
const TFuzzRegistration Header{{"header_stream", HeaderSeeds, FeedHeader, 1000}};

} // namespace
