// TWindowListStrings: the items of list and combo boxes, held here and mirrored into the window
// while the control has one. The window gets every item at its index with the insert message
// (never a sort style), so both agree on indexes. Also the accelerator test and the owner-draw
// helper the list-like controls share.
#include "framework/StdCtrls.h"

#include <algorithm>
#include <cwctype>

bool IsAccel(wchar_t key, const UnicodeString& caption) {
    for (std::size_t at = caption.find(L'&'); at != UnicodeString::npos && at + 1 < caption.size();
         at = caption.find(L'&', at + 2)) {
        if (caption[at + 1] == L'&') continue;
        return std::towupper(caption[at + 1]) == std::towupper(key);
    }
    return false;
}

// ---- reading -----------------------------------------------------------------------------------

UnicodeString TWindowListStrings::Strings(int index) const {
    CheckIndex(index, Count());
    return FItems[static_cast<std::size_t>(index)].Text;
}

TObject* TWindowListStrings::Objects(int index) const {
    CheckIndex(index, Count());
    return FItems[static_cast<std::size_t>(index)].Object;
}

// Exact (case-sensitive) match first, as the window's own search would find it otherwise.
int TWindowListStrings::IndexOf(const UnicodeString& text) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Text == text) return static_cast<int>(i);
    return TStrings::IndexOf(text);
}

void TWindowListStrings::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit) IndexError(index);
}

void TWindowListStrings::CheckUnsorted() const {
    if (FSorted) throw EStringListError(L"Operation not allowed on sorted list");
}

HWND TWindowListStrings::Window() const {
    return FControl->HandleAllocated() ? FControl->Handle() : nullptr;
}

// ---- changing ----------------------------------------------------------------------------------

int TWindowListStrings::SortedPosition(const UnicodeString& text) const {
    const auto at = std::upper_bound(FItems.begin(), FItems.end(), text,
                                     [this](const UnicodeString& value, const TItem& item) {
                                         return CompareStrings(value, item.Text) < 0;
                                     });
    return static_cast<int>(at - FItems.begin());
}

void TWindowListStrings::WindowInsert(HWND wnd, int index, const TItem& item) const {
    const LRESULT at = SendMessageW(wnd, FMessages.InsertString, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(item.Text.c_str()));
    if (at < 0)
        throw EOutOfResources(L"The list window refused an item (insert " + std::to_wstring(at) +
                              L")");
    SendMessageW(wnd, FMessages.SetItemData, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(item.Object));
}

void TWindowListStrings::InsertItem(int index, const UnicodeString& text, TObject* object) {
    const TItem item{text, object};
    if (HWND wnd = Window()) WindowInsert(wnd, index, item);
    FItems.insert(FItems.begin() + index, item);
}

int TWindowListStrings::AddObject(const UnicodeString& text, TObject* object) {
    const int index = FSorted ? SortedPosition(text) : Count();
    InsertItem(index, text, object);
    return index;
}

void TWindowListStrings::InsertObject(int index, const UnicodeString& text, TObject* object) {
    CheckUnsorted();
    CheckIndex(index, Count() + 1);
    InsertItem(index, text, object);
}

void TWindowListStrings::Put(int index, const UnicodeString& text) {
    TObject* object = Objects(index);
    Delete(index);
    if (FSorted)
        AddObject(text, object);
    else
        InsertItem(index, text, object);
}

void TWindowListStrings::PutObject(int index, TObject* object) {
    CheckIndex(index, Count());
    FItems[static_cast<std::size_t>(index)].Object = object;
    if (HWND wnd = Window())
        SendMessageW(wnd, FMessages.SetItemData, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(object));
}

void TWindowListStrings::Delete(int index) {
    CheckIndex(index, Count());
    if (HWND wnd = Window())
        SendMessageW(wnd, FMessages.DeleteString, static_cast<WPARAM>(index), 0);
    FItems.erase(FItems.begin() + index);
}

void TWindowListStrings::Clear() {
    if (HWND wnd = Window()) SendMessageW(wnd, FMessages.ResetContent, 0, 0);
    FItems.clear();
}

void TWindowListStrings::Exchange(int index1, int index2) {
    CheckUnsorted();
    CheckIndex(index1, Count());
    CheckIndex(index2, Count());
    if (index1 == index2) return;
    const TItem first = FItems[static_cast<std::size_t>(index1)];
    const TItem second = FItems[static_cast<std::size_t>(index2)];
    Put(index1, second.Text);
    PutObject(index1, second.Object);
    Put(index2, first.Text);
    PutObject(index2, first.Object);
}

void TWindowListStrings::Move(int currentIndex, int newIndex) {
    CheckUnsorted();
    CheckIndex(currentIndex, Count());
    CheckIndex(newIndex, Count());
    if (currentIndex == newIndex) return;
    const TItem item = FItems[static_cast<std::size_t>(currentIndex)];
    Delete(currentIndex);
    InsertItem(newIndex, item.Text, item.Object);
}

void TWindowListStrings::SetSorted(bool value) {
    if (value == FSorted) return;
    FSorted = value;
    if (!value || FItems.size() < 2) return;
    std::vector<TItem> items = std::move(FItems);
    Clear();
    for (const TItem& item : items) AddObject(item.Text, item.Object);
}

void TWindowListStrings::FillWindow(HWND wnd) const {
    for (std::size_t i = 0; i < FItems.size(); ++i)
        WindowInsert(wnd, static_cast<int>(i), FItems[i]);
}

// ---- owner draw --------------------------------------------------------------------------------

namespace stdctrls_detail {

void DrawOwnerItem(TWinControl* control, TCanvas* canvas, const DRAWITEMSTRUCT& item,
                   const std::function<void(TRect, TOwnerDrawState)>& draw) {
    const TOwnerDrawState state = TOwnerDrawState::FromBits(item.itemState);
    const TRect rect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    canvas->Lock();
    canvas->SetHandle(item.hDC);
    try {
        canvas->SetFont(control->Font());
        canvas->Brush()->SetColor(control->Color());
        if (state.Contains(odSelected)) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        }
        draw(rect, state);
        if (state.Contains(odFocused) && !state.Contains(odNoFocusRect))
            canvas->DrawFocusRect(rect);
    } catch (...) {
        canvas->SetHandle(nullptr);
        canvas->Unlock();
        throw;
    }
    canvas->SetHandle(nullptr);
    canvas->Unlock();
}

} // namespace stdctrls_detail
