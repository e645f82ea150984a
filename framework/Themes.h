// Theme services: the system's visual styles (uxtheme) for controls that draw themed parts
// themselves. Declared here: TThemeData, the owner of one HTHEME; TThemedElementDetails, a
// class name with a part and a state (the part and state numbers of vssym32.h); and
// TThemeServices, the process-wide object that ThemeServices() (or StyleServices()) answers.
//
// Themes are in use when the application is themed and a theme is active, unless the process
// pinned them off (tests do, to check the classic look). The services keep one HTHEME per class
// name, opened when first asked for, and drop them all in ApplyThemeChange, which a window
// calls when it receives WM_THEMECHANGED. A window that sets a theme of its own (SetWindowTheme)
// opens its data with a TThemeData for that window instead.
//
// Drawing calls raise EOSError with the API's name and result when the system refuses them,
// and EInvalidOperation when the class has no theme data: callers ask ThemesEnabled, or test
// the TThemeData, before they draw themed.
#pragma once

#include "framework/Graphics.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

class TThemeData {
public:
    TThemeData() noexcept = default;
    // Opens the data of `classList` (class names separated by semicolons; the first the theme
    // knows is taken) for `window`, which may be null. Empty when the theme knows none of them
    // or no theme is active.
    TThemeData(HWND window, const UnicodeString& classList);

    HTHEME Handle() const noexcept { return FTheme.Get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(FTheme); }

    // The part's background in `rect`, limited to `clip` when given (DrawThemeBackground).
    void DrawElement(HDC dc, int part, int state, const TRect& rect,
                     const TRect* clip = nullptr) const;
    // The part's size (GetThemePartSize); `bounds` is the space the part is drawn in.
    TSize ElementSize(HDC dc, int part, int state, THEMESIZE which = TS_TRUE,
                      const TRect* bounds = nullptr) const;
    // Text in the part's font and colour; `flags` are DrawText flags (DrawThemeText).
    void DrawText(HDC dc, int part, int state, const UnicodeString& text, DWORD flags,
                  const TRect& rect) const;

private:
    void NeedTheme() const;

    TOwnedBy<HTHEME, &::CloseThemeData> FTheme;
};

struct TThemedElementDetails {
    const wchar_t* ClassName; // as OpenThemeData takes it: "BUTTON", "HEADER", "TREEVIEW"...
    int Part;
    int State;
};

class TThemeServices {
public:
    // The application is themed, a theme is active, and the process has not pinned themes off.
    bool ThemesEnabled() const;
    // Process-wide: while pinned off, ThemesEnabled answers false and no theme data is opened.
    // Either way the theme data opened so far is dropped.
    static void PinThemesOff(bool pinned);
    static bool ThemesPinnedOff() noexcept { return FPinnedOff; }

    // The class's theme data, opened once; empty when themes are not enabled or the theme does
    // not know the class. Valid until ApplyThemeChange.
    const TThemeData& Theme(const UnicodeString& className);
    // Drops every theme data the services opened, so that the next use opens it again from the
    // theme now active (WM_THEMECHANGED) or stays classic (themes pinned off).
    void ApplyThemeChange();

    void DrawElement(HDC dc, const TThemedElementDetails& element, const TRect& rect,
                     const TRect* clip = nullptr);
    TSize GetElementSize(HDC dc, const TThemedElementDetails& element, THEMESIZE which = TS_TRUE,
                         const TRect* bounds = nullptr);
    void DrawText(HDC dc, const TThemedElementDetails& element, const UnicodeString& text,
                  const TRect& rect, DWORD flags);
    // Paints under `rect` of the window (all of it for null) what its parent shows there, for
    // elements that are partly transparent (DrawThemeParentBackground).
    void DrawParentBackground(HWND window, HDC dc, const TRect* rect = nullptr);
    // Paints the themed border (the edit box's) of a window with a client edge over its
    // non-client frame; with `eraseLRCorner` the corner between two scroll bars is filled with
    // the face colour. Does nothing without the client edge or without theme data.
    void PaintBorder(HWND window, bool eraseLRCorner);

private:
    static inline std::atomic<bool> FPinnedOff{false};

    std::mutex FLock;
    std::map<UnicodeString, std::unique_ptr<TThemeData>> FThemes; // guarded by FLock
};

TThemeServices* ThemeServices();
inline TThemeServices* StyleServices() { return ThemeServices(); }
