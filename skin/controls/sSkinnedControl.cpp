// The skinned controls' shared switches and the hint suspension. The suspension remembers who
// switched the hints off, so that a mouse-up on another control cannot write back a value it
// never saved.
#include "skin/controls/sSkinnedControl.h"

#include "framework/Application.h"
#include "skin/engine/sFramePrimitives.h"

bool HintsSuspended = false;
bool SavedShowHint = false;
bool FadingSuspended = false;
bool MouseEnterSuspended = false;
bool PressedPaint = false;

namespace {
const void* Suspender = nullptr;
} // namespace

void SuspendHints(const void* By) {
    if (HintsSuspended) return;
    SavedShowHint = Application->ShowHint();
    Application->SetShowHint(false);
    HintsSuspended = true;
    Suspender = By;
}

void RestoreHints(const void* By) {
    if (!HintsSuspended || Suspender != By) return;
    Application->SetShowHint(SavedShowHint);
    HintsSuspended = false;
    Suspender = nullptr;
}

const void* HintsSuspender() noexcept { return Suspender; }

bool AnswerAnyStateCommand(TMessage& Message) {
    switch (SkinCommand(Message)) {
    case SKCMD_ISSKINNED: Message.Result = 1; return true;
    case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;
    default: return false;
    }
}

bool FromOwnManager(const TMessage& Message, const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    return manager && Message.LParam == reinterpret_cast<LPARAM>(manager);
}

WORD SkinCommand(const TMessage& Message) {
    return Message.Msg == SM_ALPHACMD ? SkinCommandOf(Message.WParam) : 0;
}

bool MouseMessageForSelf(const TMessage& Message, const TControl* Self) {
    return Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(Self);
}

bool MouseEventsAllowed(const TControl* Self) {
    return Self->Enabled() && !Self->ComponentState().Contains(csDesigning);
}

int CanvasDrawText(TCanvas* Canvas, const UnicodeString& Text, TRect& R, UINT Format) {
    const HDC dc = Canvas->Handle();
    TSavedDC saved(dc);
    SelectObject(dc, Canvas->Font()->Handle());
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Canvas->Font()->Color())));
    SetBkMode(dc, TRANSPARENT);
    return DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
}

TPaintCycle::TPaintCycle(HWND Wnd, bool Open) : FWnd(Open ? Wnd : nullptr) {
    if (FWnd) BeginPaint(FWnd, &FPaint);
}

TPaintCycle::~TPaintCycle() {
    if (FWnd) EndPaint(FWnd, &FPaint);
}
