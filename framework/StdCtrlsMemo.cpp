// TCustomMemo, the multi-line edit, and its Lines. The lines are the memo's text split at CR LF
// (a final CR LF ends the last line, it does not start an empty one), so they read the same with
// or without a window, and soft line breaks of word wrapping are not lines.
#include "framework/StdCtrls.h"

namespace {
const UnicodeString LineBreak = L"\r\n";
} // namespace

// ---- TMemoStrings ------------------------------------------------------------------------------

std::vector<UnicodeString> TMemoStrings::Split() const {
    const UnicodeString text = FMemo->Text();
    std::vector<UnicodeString> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(LineBreak, start);
        if (end == UnicodeString::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + LineBreak.size();
    }
    return lines;
}

void TMemoStrings::Join(const std::vector<UnicodeString>& lines) {
    UnicodeString text;
    for (const UnicodeString& line : lines) text += line + LineBreak;
    FMemo->SetText(text);
}

void TMemoStrings::Check(int index, std::size_t limit) const {
    if (index < 0 || static_cast<std::size_t>(index) >= limit) IndexError(index);
}

UnicodeString TMemoStrings::Strings(int index) const {
    const auto lines = Split();
    Check(index, lines.size());
    return lines[static_cast<std::size_t>(index)];
}

void TMemoStrings::Put(int index, const UnicodeString& text) {
    auto lines = Split();
    Check(index, lines.size());
    lines[static_cast<std::size_t>(index)] = text;
    Join(lines);
}

int TMemoStrings::AddObject(const UnicodeString& text, TObject*) {
    auto lines = Split();
    lines.push_back(text);
    Join(lines);
    return static_cast<int>(lines.size()) - 1;
}

void TMemoStrings::InsertObject(int index, const UnicodeString& text, TObject*) {
    auto lines = Split();
    Check(index, lines.size() + 1);
    lines.insert(lines.begin() + index, text);
    Join(lines);
}

void TMemoStrings::Delete(int index) {
    auto lines = Split();
    Check(index, lines.size());
    lines.erase(lines.begin() + index);
    Join(lines);
}

void TMemoStrings::Clear() { FMemo->SetText(L""); }

void TMemoStrings::Exchange(int index1, int index2) {
    auto lines = Split();
    Check(index1, lines.size());
    Check(index2, lines.size());
    std::swap(lines[static_cast<std::size_t>(index1)], lines[static_cast<std::size_t>(index2)]);
    Join(lines);
}

void TMemoStrings::Move(int currentIndex, int newIndex) {
    auto lines = Split();
    Check(currentIndex, lines.size());
    Check(newIndex, lines.size());
    const UnicodeString line = lines[static_cast<std::size_t>(currentIndex)];
    lines.erase(lines.begin() + currentIndex);
    lines.insert(lines.begin() + newIndex, line);
    Join(lines);
}

// ---- TCustomMemo -------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(new TMemoStrings(this)) {
    SetControlStyle(ControlStyle() - TControlStyle{csFixedHeight});
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    static constexpr DWORD Bars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
    Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    Params.Style |= ES_MULTILINE | Bars[FScrollBars];
    if (!FWordWrap) Params.Style |= ES_AUTOHSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
    if (value == FScrollBars) return;
    FScrollBars = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value) {
    if (value == FWordWrap) return;
    FWordWrap = value;
    RecreateWnd();
}

void TCustomMemo::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_KEYDOWN) return CNKeyDown(Message);
    TCustomEdit::Dispatch(Message);
}

// The multi-line edit wants every key; Enter and Tab it does not want go to the form first.
void TCustomMemo::CNKeyDown(TMessage& Message) {
    const auto key = static_cast<Word>(Message.WParam);
    const bool refused = (key == VK_TAB && !FWantTabs) || (key == VK_RETURN && !FWantReturns);
    if (!refused) return TCustomEdit::Dispatch(Message);
    Message.Result = 0;
    TControl* top = TopParent();
    if (top != this && top->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) Message.Result = 1;
}
