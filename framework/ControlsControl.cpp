// TControl: construction and teardown, the message chain (Perform, WndProc, Dispatch,
// DefaultHandler) and the properties with the notifications they send. Mouse handling is in
// ControlsMouse.cpp; what only windowed controls do is in the ControlsWin*.cpp files.
#include "framework/Controls.h"

#include "framework/ActnList.h"

#include <algorithm>
#include <cstring>

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(new TFont), FConstraints(new TSizeConstraints) {
    PushWindowProc(TWndMethod(this, &TControl::WndProc));
    FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    FConstraints->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
    if (!FTornDown) TearDown();
}

void TControl::BeforeDestruction() { TearDown(); }

// Leaves the parent's list before the component teardown leaves the owner's: whichever of
// the two frees the control, the other no longer knows it.
void TControl::TearDown() noexcept {
    if (FTornDown) return;
    FTornDown = true;
    Destroying();
    if (controls_detail::MouseControl() == this) controls_detail::MouseControl() = nullptr;
    if (controls_detail::CaptureControl() == this) controls_detail::CaptureControl() = nullptr;
    controls_detail::ForgetDragControl(this);
    if (FParent) FParent->RemoveControl(this);
    FActionLink.reset();
    TComponent::BeforeDestruction();
}

// ---- the message chain -------------------------------------------------------------------------

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage message{Msg, WParam, LParam, 0};
    CallWindowProcFrom(FWindowProcs.size() - 1, message);
    return message.Result;
}

std::size_t TControl::TopWindowProc() const noexcept {
    std::size_t slot = FWindowProcs.size() - 1;
    while (slot > 0 && !FWindowProcs[slot].Present) --slot;
    return slot;
}

void TControl::CallWindowProcFrom(std::size_t slot, TMessage& Message) {
    while (slot > 0 && !FWindowProcs[slot].Present) --slot;
    // A copy: the method may change the chain while it runs.
    const TWndMethod method = FWindowProcs[slot].Method;
    method(Message);
}

TWndMethod TControl::WindowProc() const {
    return TWndMethod(FWindowProcs[TopWindowProc()].Link.get(), &TWindowProcLink::Call);
}

void TControl::PushWindowProc(const TWndMethod& method) {
    const std::size_t slot = FWindowProcs.size();
    const std::size_t savedTop = slot == 0 ? 0 : TopWindowProc();
    auto link = std::make_unique<TWindowProcLink>(TWindowProcLink{this, slot});
    FWindowProcs.push_back({method, savedTop, true, std::move(link)});
}

void TControl::SetWindowProc(const TWndMethod& method) {
    for (std::size_t saved = 0; saved < FWindowProcs.size(); ++saved) {
        if (method != TWndMethod(FWindowProcs[saved].Link.get(), &TWindowProcLink::Call)) continue;
        for (std::size_t slot = FWindowProcs.size(); slot-- > 1;) {
            TWindowProcSlot& entry = FWindowProcs[slot];
            if (entry.Present && entry.SavedTop == saved) {
                entry.Present = false;
                return;
            }
        }
        return; // nothing was put on top of that link: the chain stays as it is
    }
    PushWindowProc(method);
}

void TControl::WndProc(TMessage& Message) {
    // A control without double clicks sees a second press as a press.
    if (!FControlStyle.Contains(csDoubleClicks)) {
        if (Message.Msg == WM_LBUTTONDBLCLK)
            Message.Msg = WM_LBUTTONDOWN;
        else if (Message.Msg == WM_RBUTTONDBLCLK)
            Message.Msg = WM_RBUTTONDOWN;
        else if (Message.Msg == WM_MBUTTONDBLCLK)
            Message.Msg = WM_MBUTTONDOWN;
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMMouseButton(Message, mbLeft, true, false); break;
    case WM_LBUTTONDBLCLK: WMMouseButton(Message, mbLeft, true, true); break;
    case WM_LBUTTONUP: WMMouseButton(Message, mbLeft, false, false); break;
    case WM_RBUTTONDOWN: WMMouseButton(Message, mbRight, true, false); break;
    case WM_RBUTTONDBLCLK: WMMouseButton(Message, mbRight, true, true); break;
    case WM_RBUTTONUP: WMMouseButton(Message, mbRight, false, false); break;
    case WM_MBUTTONDOWN: WMMouseButton(Message, mbMiddle, true, false); break;
    case WM_MBUTTONDBLCLK: WMMouseButton(Message, mbMiddle, true, true); break;
    case WM_MBUTTONUP: WMMouseButton(Message, mbMiddle, false, false); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_SETTEXT: WMSetText(Message); break;
    case CM_DRAG: CMDrag(Message); break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: CMMouseEnterLeave(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); break;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_BIDIMODECHANGED: Invalidate(); break;
    default: DefaultHandler(Message);
    }
}

// A control without a window answers the text messages from its own text; anything else 0.
void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(FText.size()); break;
    case WM_GETTEXT: {
        const auto capacity = static_cast<std::size_t>(Message.WParam);
        auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
        if (capacity == 0 || !buffer) {
            Message.Result = 0;
            break;
        }
        const std::size_t count = std::min(capacity - 1, FText.size());
        std::wmemcpy(buffer, FText.data(), count);
        buffer[count] = L'\0';
        Message.Result = static_cast<LRESULT>(count);
        break;
    }
    case WM_SETTEXT: Message.Result = TRUE; break;
    default: Message.Result = 0;
    }
}

void TControl::WMSetText(TMessage& Message) {
    const auto* text = reinterpret_cast<const wchar_t*>(Message.LParam);
    FText = text ? text : L"";
    DefaultHandler(Message);
}

// ---- parent and bounds -------------------------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (AParent == this) throw EInvalidOperation(L"A control cannot be its own parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

TControl* TControl::TopParent() {
    TControl* control = this;
    while (control->FParent) control = control->FParent;
    return control;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    int width = AWidth;
    int height = AHeight;
    ApplySizeRules(width, height);
    if (ALeft == FLeft && ATop == FTop && width == FWidth && height == FHeight) return;
    InvalidateControl(FVisible, false);
    const bool resized = width != FWidth || height != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = width;
    FHeight = height;
    InvalidateControl(FVisible, false);
    RequestAlign();
    if (resized) Resize();
}

bool TControl::CanAutoSize(int&, int&) { return false; }

void TControl::ApplySizeRules(int& width, int& height) {
    if (FAutoSize) CanAutoSize(width, height);
    FConstraints->Apply(width, height);
}

TRect TControl::ClientRect() { return {0, 0, FWidth, FHeight}; }

TPoint TControl::ClientOrigin() {
    if (!FParent) return {FLeft, FTop};
    const TPoint parent = FParent->ClientOrigin();
    return {parent.x + FLeft, parent.y + FTop};
}

TPoint TControl::ClientToScreen(TPoint point) {
    const TPoint origin = ClientOrigin();
    return {point.x + origin.x, point.y + origin.y};
}

TPoint TControl::ScreenToClient(TPoint point) {
    const TPoint origin = ClientOrigin();
    return {point.x - origin.x, point.y - origin.y};
}

void TControl::RequestAlign() {
    if (FParent && (FAlign != alNone || FAnchors != TAnchors{akLeft, akTop})) FParent->Realign();
}

void TControl::SetZOrder(bool TopMost) {
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    if (TopMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    InvalidateControl(FVisible, false);
}

// ---- properties --------------------------------------------------------------------------------

bool TControl::Showing() { return FVisible && (!FParent || FParent->Showing()); }

void TControl::SetVisible(bool value) {
    if (value == FVisible) return;
    InvalidateControl(true, false);
    FVisible = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor value) {
    if (value == FColor) return;
    FColor = value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
    if (value == FParentColor) return;
    FParentColor = value;
    if (value && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::CMParentColorChanged(TMessage& Message) {
    if (!FParentColor || !FParent) return;
    SetColor(Message.WParam ? static_cast<TColor>(Message.LParam) : FParent->Color());
    FParentColor = true;
}

void TControl::FontChanged(TObject*) {
    if (!FTakingParentFont) FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool value) {
    if (value == FParentFont) return;
    FParentFont = value;
    if (value && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::CMParentFontChanged(TMessage&) {
    if (!FParentFont || !FParent) return;
    FTakingParentFont = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FTakingParentFont = false;
        throw;
    }
    FTakingParentFont = false;
}

UnicodeString TControl::GetText() { return FText; }

void TControl::SetText(const UnicodeString& value) {
    if (value == GetText()) return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool value) {
    FParentShowHint = false;
    if (value == FShowHint) return;
    FShowHint = value;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool value) {
    if (value == FParentShowHint) return;
    FParentShowHint = value;
    if (value && FParent) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (!FParentShowHint || !FParent) return;
    SetShowHint(FParent->ShowHint());
    FParentShowHint = true;
}

void TControl::SetCursor(TCursor value) {
    if (value == FCursor) return;
    FCursor = value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetAlign(TAlign value) {
    if (value == FAlign) return;
    FAlign = value;
    if (value != alNone) FAnchors = {akLeft, akTop};
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
    if (value == FAnchors) return;
    FAnchors = value;
    RequestAlign();
}

void TControl::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    if (value) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::ConstraintsChanged(TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); }

void TControl::SetBiDiMode(TBiDiMode value) {
    FParentBiDiMode = false;
    if (value == FBiDiMode) return;
    FBiDiMode = value;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool value) {
    if (value == FParentBiDiMode) return;
    FParentBiDiMode = value;
    if (value && FParent) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
    if (!FParentBiDiMode || !FParent) return;
    SetBiDiMode(FParent->BiDiMode());
    FParentBiDiMode = true;
}

namespace {
bool RightToLeftSystem() { return GetSystemMetrics(SM_MIDEASTENABLED) != 0; }
} // namespace

bool TControl::UseRightToLeftAlignment() const {
    return RightToLeftSystem() && FBiDiMode == bdRightToLeft;
}

bool TControl::UseRightToLeftReading() const {
    return RightToLeftSystem() && FBiDiMode != bdLeftToRight;
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const {
    if (UseRightToLeftAlignment()) {
        if ((flags & (DT_CENTER | DT_RIGHT)) == 0)
            flags |= DT_RIGHT;
        else if (flags & DT_RIGHT)
            flags &= ~static_cast<UINT>(DT_RIGHT);
    }
    return flags | DrawTextBiDiModeFlagsReadingOnly();
}

UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const {
    return UseRightToLeftReading() ? DT_RTLREADING : 0;
}

// ---- size constraints --------------------------------------------------------------------------

void TSizeConstraints::Apply(int& width, int& height) const noexcept {
    if (FMaxWidth > 0 && width > FMaxWidth) width = FMaxWidth;
    if (FMaxHeight > 0 && height > FMaxHeight) height = FMaxHeight;
    if (FMinWidth > 0 && width < FMinWidth) width = FMinWidth;
    if (FMinHeight > 0 && height < FMinHeight) height = FMinHeight;
}

void TSizeConstraints::Change(int& field, int value) {
    if (value == field) return;
    field = value;
    OnChange(this);
}

void TSizeConstraints::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TSizeConstraints*>(source);
    if (!other) return TPersistent::Assign(source);
    FMinWidth = other->FMinWidth;
    FMinHeight = other->FMinHeight;
    FMaxWidth = other->FMaxWidth;
    FMaxHeight = other->FMaxHeight;
    OnChange(this);
}
