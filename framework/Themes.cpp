// Theme services over uxtheme (see Themes.h). The services object lives as long as the process
// (a function-local static: built on first use, never before). Theme data is opened without a
// window, which gives every caller the theme's own look of the class.
#include "framework/Themes.h"

namespace {

void CheckThemeCall(HRESULT result, const wchar_t* call) {
    if (FAILED(result)) RaiseOSError(static_cast<unsigned long>(result), call);
}

} // namespace

// ---- TThemeData -------------------------------------------------------------------------------

TThemeData::TThemeData(HWND window, const UnicodeString& classList)
    : FTheme(::OpenThemeData(window, classList.c_str())) {}

void TThemeData::NeedTheme() const {
    if (!FTheme) throw EInvalidOperation(L"No theme data to draw with");
}

void TThemeData::DrawElement(HDC dc, int part, int state, const TRect& rect,
                             const TRect* clip) const {
    NeedTheme();
    CheckThemeCall(::DrawThemeBackground(FTheme.Get(), dc, part, state, &rect, clip),
                   L"DrawThemeBackground");
}

TSize TThemeData::ElementSize(HDC dc, int part, int state, THEMESIZE which,
                              const TRect* bounds) const {
    NeedTheme();
    TRect area = bounds ? *bounds : TRect();
    TSize size;
    CheckThemeCall(
        ::GetThemePartSize(FTheme.Get(), dc, part, state, bounds ? &area : nullptr, which, &size),
        L"GetThemePartSize");
    return size;
}

void TThemeData::DrawText(HDC dc, int part, int state, const UnicodeString& text, DWORD flags,
                          const TRect& rect) const {
    NeedTheme();
    CheckThemeCall(::DrawThemeText(FTheme.Get(), dc, part, state, text.c_str(), int(text.size()),
                                   flags, 0, &rect),
                   L"DrawThemeText");
}

// ---- TThemeServices ---------------------------------------------------------------------------

TThemeServices* ThemeServices() {
    static TThemeServices services;
    return &services;
}

void TThemeServices::PinThemesOff(bool pinned) {
    FPinnedOff = pinned;
    ThemeServices()->ApplyThemeChange();
}

bool TThemeServices::ThemesEnabled() const {
    return !FPinnedOff && ::IsAppThemed() && ::IsThemeActive();
}

const TThemeData& TThemeServices::Theme(const UnicodeString& className) {
    std::lock_guard<std::mutex> guard(FLock);
    std::unique_ptr<TThemeData>& theme = FThemes[className];
    if (!theme)
        theme = std::make_unique<TThemeData>(ThemesEnabled() ? TThemeData(nullptr, className)
                                                             : TThemeData());
    return *theme;
}

void TThemeServices::ApplyThemeChange() {
    std::lock_guard<std::mutex> guard(FLock);
    FThemes.clear();
}

void TThemeServices::DrawElement(HDC dc, const TThemedElementDetails& element, const TRect& rect,
                                 const TRect* clip) {
    Theme(element.ClassName).DrawElement(dc, element.Part, element.State, rect, clip);
}

TSize TThemeServices::GetElementSize(HDC dc, const TThemedElementDetails& element, THEMESIZE which,
                                     const TRect* bounds) {
    return Theme(element.ClassName).ElementSize(dc, element.Part, element.State, which, bounds);
}

void TThemeServices::DrawText(HDC dc, const TThemedElementDetails& element,
                              const UnicodeString& text, const TRect& rect, DWORD flags) {
    Theme(element.ClassName).DrawText(dc, element.Part, element.State, text, flags, rect);
}

void TThemeServices::DrawParentBackground(HWND window, HDC dc, const TRect* rect) {
    TRect area = rect ? *rect : TRect();
    CheckThemeCall(::DrawThemeParentBackground(window, dc, rect ? &area : nullptr),
                   L"DrawThemeParentBackground");
}

void TThemeServices::PaintBorder(HWND window, bool eraseLRCorner) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    if (!(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return;
    const TThemeData& theme = Theme(L"EDIT");
    if (!theme) return;
    RECT bounds;
    if (!::GetWindowRect(window, &bounds)) RaiseLastOSError(L"GetWindowRect");
    const TRect frame(0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
    const int edgeX = ::GetSystemMetrics(SM_CXEDGE), edgeY = ::GetSystemMetrics(SM_CYEDGE);
    // The whole window, frame included.
    const TOwnedWindowDC dc(::GetWindowDC(window), TWindowDCTraits{window});
    if (!dc) RaiseLastOSError(L"GetWindowDC");
    if (eraseLRCorner && (style & WS_HSCROLL) && (style & WS_VSCROLL)) {
        const TRect corner(frame.right - edgeX - ::GetSystemMetrics(SM_CXVSCROLL),
                           frame.bottom - edgeY - ::GetSystemMetrics(SM_CYHSCROLL),
                           frame.right - edgeX, frame.bottom - edgeY);
        ::FillRect(dc.Get(), &corner, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    ::ExcludeClipRect(dc.Get(), edgeX, edgeY, frame.right - edgeX, frame.bottom - edgeY);
    theme.DrawElement(dc.Get(), EP_EDITTEXT, ETS_NORMAL, frame);
}
