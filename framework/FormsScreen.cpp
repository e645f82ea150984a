// TScreen and TMouse. The screen keeps the list of forms (each form adds itself when made and
// leaves when freed), follows the active form and control, and reads the system's fonts and
// monitors. Custom cursors are owned by the screen and destroyed with it.
#include "framework/Forms.h"

#include <algorithm>

TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner), FMenuFont(new TFont), FHintFont(new TFont), FIconFont(new TFont) {
    ResetFonts();
}

TScreen::~TScreen() {
    for (const auto& [index, cursor] : FCustomCursors) DestroyCursor(cursor);
}

TCustomForm* TScreen::CustomForms(int index) const {
    if (index < 0 || index >= CustomFormCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return FForms[static_cast<std::size_t>(index)];
}

int TScreen::FormCount() const {
    return static_cast<int>(std::count_if(FForms.begin(), FForms.end(), [](TCustomForm* form) {
        return dynamic_cast<TForm*>(form) != nullptr;
    }));
}

TForm* TScreen::Forms(int index) const {
    int seen = 0;
    for (TCustomForm* form : FForms)
        if (auto* plain = dynamic_cast<TForm*>(form); plain && seen++ == index) return plain;
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

TForm* TScreen::ActiveForm() const { return dynamic_cast<TForm*>(FActiveForm); }

void TScreen::AddForm(TCustomForm* form) { FForms.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
    if (FActiveControl && GetParentForm(FActiveControl) == form) FActiveControl = nullptr;
    if (FActiveForm == form) {
        FActiveForm = nullptr;
        OnActiveFormChange(this);
    }
}

void TScreen::FormActivated(TCustomForm* form) {
    if (form == FActiveForm) return;
    FActiveForm = form;
    OnActiveFormChange(this);
}

void TScreen::ControlFocused(TCustomForm* form, TWinControl* control) {
    if (form != FActiveForm || control == FActiveControl) return;
    if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
    FActiveControl = control;
    if (control) control->FreeNotification(this);
    OnActiveControlChange(this);
}

void TScreen::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
}

// ---- cursors
// -------------------------------------------------------------------------------------

HCURSOR TScreen::Cursors(TCursor index) const {
    for (const auto& [custom, cursor] : FCustomCursors)
        if (custom == index) return cursor;
    return index == crDefault ? LoadCursorW(nullptr, IDC_ARROW) : CursorHandle(index);
}

void TScreen::SetCursors(TCursor index, HCURSOR value) {
    for (auto& [custom, cursor] : FCustomCursors) {
        if (custom != index) continue;
        if (cursor != value) DestroyCursor(cursor);
        cursor = value;
        return;
    }
    FCustomCursors.emplace_back(index, value);
}

void TScreen::SetCursor(TCursor value) {
    FCursor = value;
    POINT point;
    if (value == crDefault) {
        // Each window shows its own cursor again at the next mouse move.
        if (GetCursorPos(&point)) SetCursorPos(point.x, point.y);
    } else {
        ::SetCursor(Cursors(value));
    }
}

// ---- display
// -------------------------------------------------------------------------------------

int TScreen::PixelsPerInch() const {
    const TOwnedWindowDC dc = OwnedDCOf(nullptr);
    return GetDeviceCaps(dc.Get(), LOGPIXELSY);
}

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) noexcept {
    auto* monitors = reinterpret_cast<std::vector<HMONITOR>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    // The primary monitor comes first.
    if (GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY))
        monitors->insert(monitors->begin(), monitor);
    else
        monitors->push_back(monitor);
    return TRUE;
}

MONITORINFO MonitorInfo(int index) {
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (index < 0 || index >= static_cast<int>(monitors.size()))
        throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitors[static_cast<std::size_t>(index)], &info))
        RaiseLastOSError(L"GetMonitorInfo");
    return info;
}

} // namespace

int TScreen::MonitorCount() const { return GetSystemMetrics(SM_CMONITORS); }
TRect TScreen::MonitorRect(int index) const { return TRect(MonitorInfo(index).rcMonitor); }
TRect TScreen::MonitorWorkArea(int index) const { return TRect(MonitorInfo(index).rcWork); }

TRect TScreen::DesktopRect() const {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void TScreen::ResetFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        RaiseLastOSError(L"SystemParametersInfo");
    FMenuFont->SetHandle(CreateFontIndirectW(&metrics.lfMenuFont));
    FHintFont->SetHandle(CreateFontIndirectW(&metrics.lfStatusFont));
    LOGFONTW icon{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(icon), &icon, 0))
        FIconFont->SetHandle(CreateFontIndirectW(&icon));
}

// ---- mouse
// ---------------------------------------------------------------------------------------

TPoint TMouse::CursorPos() const {
    POINT point{};
    if (!GetCursorPos(&point)) RaiseLastOSError(L"GetCursorPos");
    return {point.x, point.y};
}

void TMouse::SetCursorPos(TPoint value) {
    if (!::SetCursorPos(value.x, value.y)) RaiseLastOSError(L"SetCursorPos");
}

void TMouse::SetCapture(HWND value) {
    if (value)
        ::SetCapture(value);
    else
        ReleaseCapture();
}
