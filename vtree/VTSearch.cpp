// Incremental search: each typed character extends the search text and moves the focus to the
// next node whose text matches, wrapping around the tree once; Backspace shortens the text and
// searches the other way. The time-out that ends a search comes from the timer service (without
// one, a search lasts until EndIncrementalSearch).
#include "vtree/VTInternal.h"

void TBaseVirtualTree::SetIncrementalSearch(TVTIncrementalSearch Value) {
    FIncrementalSearch = Value;
    if (Value != isNone) return;
    StopTimer(SearchTimer);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
}

Integer TBaseVirtualTree::DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text) {
    Integer result = 0;
    OnIncrementalSearch(this, Node, Text, result);
    return result;
}

void TBaseVirtualTree::EndIncrementalSearch() {
    DoStateChange({}, {tsIncrementalSearching});
    StopTimer(SearchTimer);
    FSearchBuffer.clear();
    FLastSearchNode = nullptr;
}

PVirtualNode TBaseVirtualTree::SearchStep(PVirtualNode Node, bool Forward) {
    switch (FIncrementalSearch) {
    case isVisibleOnly:
        return Forward ? GetNextVisible(Node, true) : GetPreviousVisible(Node, true);
    case isInitializedOnly:
        return Forward ? GetNextInitialized(Node) : GetPreviousInitialized(Node);
    default: return Forward ? GetNext(Node) : GetPrevious(Node);
    }
}

PVirtualNode TBaseVirtualTree::SearchFirst(bool Forward) {
    switch (FIncrementalSearch) {
    case isVisibleOnly:
        return Forward ? GetFirstVisible(nullptr, true) : GetLastVisible(nullptr, true);
    case isInitializedOnly: return Forward ? GetFirstInitialized() : GetLastInitialized();
    default: return Forward ? GetFirst() : GetLast();
    }
}

PVirtualNode TBaseVirtualTree::SearchStartNode() {
    PVirtualNode start = nullptr;
    if (IncrementalSearchStart == ssLastHit) start = FLastSearchNode;
    if (IncrementalSearchStart == ssFocusedNode) start = FFocusedNode;
    if (!start) return nullptr;
    if (FIncrementalSearch == isInitializedOnly && !start->States.Contains(vsInitialized))
        return nullptr;
    if (FIncrementalSearch == isVisibleOnly && (!FullyVisible(start) || IsEffectivelyHidden(start)))
        return nullptr;
    return start;
}

// Walks from Run until a node matches Text or the walk is back at Stop, wrapping once.
bool TBaseVirtualTree::RunSearch(PVirtualNode& Run, PVirtualNode Stop, const UnicodeString& Text,
                                 bool Forward) {
    for (;;) {
        if (DoIncrementalSearch(Run, Text) == 0) return true;
        PVirtualNode next = SearchStep(Run, Forward);
        if (!next) next = SearchFirst(Forward);
        if (!next || next == Stop) return false;
        Run = next;
    }
}

void TBaseVirtualTree::HandleIncrementalSearch(Word CharCode) {
    StopTimer(SearchTimer);
    if (FIncrementalSearch == isNone) return;
    if (CharCode != 0) {
        DoStateChange({tsIncrementalSearching});
        // The code is the UTF-16 unit the window received, not a byte of a code page.
        const wchar_t character = static_cast<wchar_t>(CharCode);
        const bool previousSearch = character == 8;
        if (!(previousSearch && FSearchBuffer.empty())) {
            PVirtualNode run = SearchStartNode();
            PVirtualNode stop = run;
            const bool forward = (IncrementalSearchDirection == sdForward) != previousSearch;
            bool singleLetter =
                FSearchBuffer.size() == 1 && !previousSearch && FSearchBuffer[0] == character;
            if (singleLetter && run && DoIncrementalSearch(run, FSearchBuffer + character) == 0)
                singleLetter = false;
            if (FSearchBuffer.empty() || !run || singleLetter || previousSearch) {
                run = run ? SearchStep(run, forward) : nullptr;
                if (!run) run = SearchFirst(forward);
            }
            if (run) {
                UnicodeString text;
                if (singleLetter)
                    text = FSearchBuffer;
                else if (previousSearch)
                    text = FSearchBuffer = FSearchBuffer.substr(0, FSearchBuffer.size() - 1);
                else
                    text = FSearchBuffer + character;
                // Without a start node the walk ends when it is back at its first node.
                const PVirtualNode walkStop = stop ? stop : run;
                if (RunSearch(run, walkStop, text, forward)) {
                    ClearSelection();
                    FSearchBuffer = text;
                    FLastSearchNode = run;
                    SetFocusedNode(run);
                    SetSelected(run, true);
                } else if (!stop || DoIncrementalSearch(stop, text) != 0) {
                    FViewSink->Beep();
                }
            }
        }
    }
    StartTimer(SearchTimer, IncrementalSearchTimeout);
}
