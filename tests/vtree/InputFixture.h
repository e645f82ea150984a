// Shared by the input tests: mouse and key messages sent to the tree window, with the thread's
// keyboard state set for Shift and Ctrl (sent messages alone do not set it), and the client
// point in the middle of a node's text.
#pragma once

#include "WindowFixture.h"

namespace vtree_test {

// A mouse message's point; y may be negative (the header's rows).
inline LPARAM PointParam(int X, int Y) {
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(X)) |
                               (static_cast<DWORD>(static_cast<WORD>(Y)) << 16));
}

// Holds Shift and/or Ctrl down in the thread's keyboard state while it lives.
class TKeysHeld {
public:
    TKeysHeld(bool Shift, bool Ctrl) {
        GetKeyboardState(FSaved);
        BYTE state[256];
        std::copy(std::begin(FSaved), std::end(FSaved), state);
        state[VK_SHIFT] = Shift ? 0x80 : 0;
        state[VK_CONTROL] = Ctrl ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~TKeysHeld() { SetKeyboardState(FSaved); }
    TKeysHeld(const TKeysHeld&) = delete;
    TKeysHeld& operator=(const TKeysHeld&) = delete;

private:
    BYTE FSaved[256] = {};
};

class TInputFixture : public TWindowFixture {
protected:
    void Click(TPoint P, WPARAM Keys = 0) {
        Window->Perform(WM_LBUTTONDOWN, MK_LBUTTON | Keys, MAKELPARAM(P.x, P.y));
        Window->Perform(WM_LBUTTONUP, Keys, MAKELPARAM(P.x, P.y));
    }
    void DoubleClick(TPoint P) {
        Click(P);
        Window->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(P.x, P.y));
        Window->Perform(WM_LBUTTONUP, 0, MAKELPARAM(P.x, P.y));
    }
    void Key(Word Code, bool Shift = false, bool Ctrl = false) {
        TKeysHeld held(Shift, Ctrl);
        Window->Perform(WM_KEYDOWN, Code, 1);
        Window->Perform(WM_KEYUP, Code, 0xC0000001);
    }
    void Type(const std::wstring& Text) {
        for (wchar_t c : Text) {
            const SHORT scan = VkKeyScanW(c);
            Window->Perform(WM_KEYDOWN, (scan != -1 && c < 0x80) ? LOBYTE(scan) : 0xE5, 1);
            Window->Perform(WM_CHAR, c, 1);
        }
    }
    // The middle of the node's text, client coordinates.
    TPoint OnText(PVirtualNode Node) {
        const TRect r = Window->GetDisplayRect(Node, NoColumn, true);
        return {r.left + 5, (r.top + r.bottom) / 2};
    }
    PVirtualNode Row(int Index) {
        PVirtualNode node = Tree().GetFirst();
        for (int i = 0; i < Index && node; ++i) node = Tree().GetNextSibling(node);
        return node;
    }
    void MultiSelect() {
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetSelectionOptions(options->SelectionOptions() +
                                     TVTSelectionOptions{toMultiSelect});
    }
    std::vector<std::wstring> SelectedNames() {
        std::vector<std::wstring> names;
        for (PVirtualNode n = Tree().GetFirstSelected(); n; n = Tree().GetNextSelected(n))
            names.push_back(Recorder.Name(n));
        return names;
    }
};

} // namespace vtree_test
