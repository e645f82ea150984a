// DispatchMenuMessage: the menu traffic of a window, answered by the items it is about. Items
// are found through the registry by the command id or HMENU the message names; the item data
// of an owner-drawn entry is its command id too, so a pointer from a message is never used.
// Each handler decodes its message once and answers what the system expects of it.
#include "framework/Menus.h"

#include <algorithm>
#include <cwctype>

namespace {

TMenuSelectHandler& SelectHandler() {
    static TMenuSelectHandler handler;
    return handler;
}

// Borrows a DC for a canvas, keeping the DC's own state (colours, modes) unchanged.
class TBorrowedCanvas {
public:
    explicit TBorrowedCanvas(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {
        FCanvas.SetHandle(dc);
        menus_detail::SelectMenuFont(&FCanvas);
    }
    ~TBorrowedCanvas() {
        FCanvas.SetHandle(nullptr);
        RestoreDC(FDC, FSaved);
    }
    TBorrowedCanvas(const TBorrowedCanvas&) = delete;
    TBorrowedCanvas& operator=(const TBorrowedCanvas&) = delete;
    TCanvas* Canvas() { return &FCanvas; }

private:
    HDC FDC;
    int FSaved;
    TCanvas FCanvas;
};

// WM_COMMAND: WParam = command id (high word 0 for a menu), LParam = 0.
bool OnCommand(TMessage& m) {
    if (HIWORD(m.WParam) != 0 || m.LParam != 0) return false;
    TMenuItem* item = menus_detail::ItemOfCommand(LOWORD(m.WParam));
    if (!item) return false;
    item->Click();
    m.Result = 0;
    return true;
}

// WM_MEASUREITEM: LParam = MEASUREITEMSTRUCT*; result TRUE.
bool OnMeasureItem(TMessage& m) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    if (!measure || measure->CtlType != ODT_MENU) return false;
    TMenuItem* item = menus_detail::ItemOfCommand(measure->itemData);
    if (!item) return false;
    TScreenDC dc;
    TBorrowedCanvas canvas(dc.Get());
    int width = static_cast<int>(measure->itemWidth);
    int height = static_cast<int>(measure->itemHeight);
    item->MeasureItem(canvas.Canvas(), width, height);
    measure->itemWidth = static_cast<UINT>(std::max(width, 0));
    measure->itemHeight = static_cast<UINT>(std::max(height, 0));
    m.Result = TRUE;
    return true;
}

// WM_DRAWITEM: LParam = DRAWITEMSTRUCT*; result TRUE.
bool OnDrawItem(TMessage& m) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    if (!draw || draw->CtlType != ODT_MENU) return false;
    TMenuItem* item = menus_detail::ItemOfCommand(draw->itemData);
    if (!item) return false;
    TBorrowedCanvas canvas(draw->hDC);
    const TRect rect(draw->rcItem.left, draw->rcItem.top, draw->rcItem.right, draw->rcItem.bottom);
    item->AdvancedDrawItem(canvas.Canvas(), rect, TOwnerDrawState::FromBits(draw->itemState));
    m.Result = TRUE;
    return true;
}

// WM_INITMENUPOPUP: WParam = the submenu, HIWORD(LParam) = it is the window menu; result 0.
bool OnInitMenuPopup(TMessage& m) {
    if (HIWORD(m.LParam) != 0) return false;
    TMenuItem* item = menus_detail::ItemOfHandle(reinterpret_cast<HMENU>(m.WParam));
    if (!item) return false;
    item->Click();
    m.Result = 0;
    return true;
}

// WM_MENUSELECT: LOWORD(WParam) = command id, or the position of a submenu item when
// HIWORD(WParam) has MF_POPUP; LParam = the menu; flags 0xFFFF with no menu: it closed.
TMenuItem* SelectedItem(const TMessage& m) {
    const UINT flags = HIWORD(m.WParam);
    if (!(flags & MF_POPUP)) return menus_detail::ItemOfCommand(LOWORD(m.WParam));
    TMenuItem* owner = menus_detail::ItemOfHandle(reinterpret_cast<HMENU>(m.LParam));
    if (!owner) return nullptr;
    const std::size_t position = LOWORD(m.WParam);
    return position < owner->Entries().size() ? owner->Entries()[position] : nullptr;
}

bool OnMenuSelect(TMessage& m) {
    const bool closed = HIWORD(m.WParam) == 0xFFFF && m.LParam == 0;
    TMenuItem* item = closed ? nullptr : SelectedItem(m);
    if (!closed && !item) return false;
    SelectHandler()(item);
    m.Result = 0;
    return true;
}

// The position of the highlighted entry, or -1.
int HighlightedPosition(HMENU menu) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    return -1;
}

// WM_MENUCHAR: LOWORD(WParam) = the character, LParam = the menu. Sent when the system found
// no accelerator itself, which is the case for owner-drawn entries. One match executes it;
// several select the next one after the highlighted entry.
bool OnMenuChar(TMessage& m) {
    const HMENU menu = reinterpret_cast<HMENU>(m.LParam);
    TMenuItem* owner = menus_detail::ItemOfHandle(menu);
    if (!owner) return false;
    const wchar_t key = static_cast<wchar_t>(std::towupper(static_cast<wchar_t>(LOWORD(m.WParam))));
    std::vector<int> matches;
    const auto& entries = owner->Entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i]->Enabled() && GetHotkey(entries[i]->Caption()) == key)
            matches.push_back(static_cast<int>(i));
    if (matches.empty()) return false;
    if (matches.size() == 1) {
        m.Result = MAKELRESULT(matches.front(), MNC_EXECUTE);
        return true;
    }
    const int current = HighlightedPosition(menu);
    auto next = std::find_if(matches.begin(), matches.end(), [&](int i) { return i > current; });
    m.Result = MAKELRESULT(next == matches.end() ? matches.front() : *next, MNC_SELECT);
    return true;
}

} // namespace

bool DispatchMenuMessage(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COMMAND: return OnCommand(Message);
    case WM_MEASUREITEM: return OnMeasureItem(Message);
    case WM_DRAWITEM: return OnDrawItem(Message);
    case WM_INITMENUPOPUP: return OnInitMenuPopup(Message);
    case WM_MENUSELECT: return OnMenuSelect(Message);
    case WM_MENUCHAR: return OnMenuChar(Message);
    default: return false;
    }
}

TMenuSelectHandler SetMenuSelectHandler(const TMenuSelectHandler& Handler) {
    TMenuSelectHandler previous = SelectHandler();
    SelectHandler() = Handler;
    return previous;
}
