#include "ScrollBarTesting.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinLibrary.h"

#include <algorithm>
#include <map>

TScrollWindowLog ScrollLog;

namespace {

constexpr const wchar_t* ScrollClass = L"ScrollBarTestRaw";

int WINAPI Metrics(int Index) {
    static const std::map<int, int> table{{SM_CYHSCROLL, ScrollMetrics::HorzThickness},
                                          {SM_CXVSCROLL, ScrollMetrics::VertThickness}};
    const auto found = table.find(Index);
    return found == table.end() ? GetSystemMetrics(Index) : found->second;
}

LRESULT CALLBACK ScrollWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    const int bar = Msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
    ScrollLog.Seen.push_back({Msg, WParam, LParam, GetWindowLongW(Wnd, GWL_STYLE),
                              Msg == WM_HSCROLL || Msg == WM_VSCROLL ? GetScrollPos(Wnd, bar) : 0});
    if (Msg == SM_ALPHACMD && SkinCommandOf(WParam) == SKCMD_SCROLLSTART)
        return ScrollLog.ScrollStartAnswer;
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void RegisterScrollClass() { RegisterTestWindowClass(ScrollClass, ScrollWindowProc); }

UnicodeString GeneratedFolders() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(SKINGEN_FOLDER, MAX_PATH, full, nullptr);
    UnicodeString path = full;
    if (path.back() != L'\\') path += L'\\';
    return path + L"folders\\";
}

unsigned Channels(unsigned A, unsigned B, int (*Mix)(int, int)) {
    unsigned result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= unsigned(Mix(int(A >> shift & 0xFF), int(B >> shift & 0xFF))) << shift;
    return result;
}

} // namespace

int TScrollWindowLog::Count(UINT Msg) const {
    return static_cast<int>(std::count_if(Seen.begin(), Seen.end(),
                                          [&](const TScrollSeen& s) { return s.Msg == Msg; }));
}

std::vector<TScrollSeen> TScrollWindowLog::Scrolls() const {
    std::vector<TScrollSeen> result;
    for (const TScrollSeen& s : Seen)
        if (s.Msg == WM_HSCROLL || s.Msg == WM_VSCROLL) result.push_back(s);
    return result;
}

void ScrollBarTest::SetUp() {
    FormSkinTest::SetUp();
    FScrollFunctions.Initialize();
    RegisterScrollClass();
    ScrollLog = TScrollWindowLog();
    ScrollTracking = TacScrollTracking();
    FormSystemMetrics = &Metrics;
    FSavedArrow = HScrollBtnWidth;
    HScrollBtnWidth = ScrollMetrics::Arrow;
}

void ScrollBarTest::TearDown() {
    for (TacMainWnd*& handler : Handlers) ReleaseHandler(handler);
    Handlers.clear();
    for (HWND wnd : Windows)
        if (IsWindow(wnd)) DestroyWindow(wnd);
    Windows.clear();
    ScrollTracking = TacScrollTracking();
    HScrollBtnWidth = FSavedArrow;
    FormSystemMetrics = &GetSystemMetrics;
    FScrollFunctions.Finalize();
    FormSkinTest::TearDown();
}

void ScrollBarTest::ApplyGeneratedSkin(const wchar_t* Name) {
    Manager->WriteSkinDirectory(GeneratedFolders());
    Manager->WriteSkinName(Name);
    ASSERT_TRUE(Manager->SkinActive());
}

HWND ScrollBarTest::MakeWindow(int Width, int Height, LONG Style, LONG ExStyle, HWND Parent, int X,
                               int Y) {
    const LONG kind = Parent ? WS_CHILD : WS_POPUP;
    HWND wnd = CreateWindowExW(ExStyle, ScrollClass, L"bars", kind | WS_BORDER | Style, X, Y, Width,
                               Height, Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    Windows.push_back(wnd);
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return wnd;
}

TacScrollWnd* ScrollBarTest::Attach(HWND Wnd) {
    auto* handler = Construct<TacScrollWnd>(Wnd, nullptr, Manager, UnicodeString(L"EDIT"));
    Handlers.push_back(handler);
    return handler;
}

TacScrollWnd* ScrollBarTest::AttachStandard(HWND& Wnd, int VertPos) {
    Wnd = MakeWindow(151, 149);
    SetScroll(Wnd, SB_HORZ, 0, 99, 10, 45);
    SetScroll(Wnd, SB_VERT, 0, 99, 10, VertPos);
    return Attach(Wnd);
}

void ScrollBarTest::SetScroll(HWND Wnd, int Bar, int Min, int Max, UINT Page, int Pos) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS};
    info.nMin = Min;
    info.nMax = Max;
    info.nPage = Page;
    info.nPos = Pos;
    SetScrollInfo(Wnd, Bar, &info, FALSE);
}

TBmp ScrollBarTest::PaintedBars(TacScrollWnd* Handler, unsigned Fill) {
    RECT r;
    GetWindowRect(Handler->CtrlHandle, &r);
    TBmp bmp(CreateBmp24(r.right - r.left, r.bottom - r.top));
    PaintSolidRect(bmp->Canvas()->Handle(), TRect(0, 0, bmp->Width(), bmp->Height()),
                   static_cast<TColor>(RGB(Fill >> 16 & 0xFF, Fill >> 8 & 0xFF, Fill & 0xFF)));
    PaintScrollBars(Handler, Handler->CtrlHandle, bmp->Canvas()->Handle());
    return bmp;
}

TRect ScrollBarTest::InWindow(HWND Wnd, const TRect& Screen) {
    RECT w;
    GetWindowRect(Wnd, &w);
    return TRect(Screen.left - w.left, Screen.top - w.top, Screen.right - w.left,
                 Screen.bottom - w.top);
}

LPARAM ScreenLParam(HWND Wnd, int X, int Y) {
    RECT w;
    GetWindowRect(Wnd, &w);
    return PointToLParam(POINT{w.left + X, w.top + Y});
}

LPARAM ClientLParam(HWND Wnd, int X, int Y) {
    RECT w;
    GetWindowRect(Wnd, &w);
    POINT p{w.left + X, w.top + Y};
    ScreenToClient(Wnd, &p);
    return PointToLParam(p);
}

unsigned RgbAt(TBitmap* Bmp, int X, int Y) {
    const TColor c = PixelAt(Bmp, X, Y);
    return unsigned(GetRValue(c)) << 16 | unsigned(GetGValue(c)) << 8 | GetBValue(c);
}

unsigned Shadowed(unsigned P, unsigned C) {
    return Channels(P, C, [](int p, int c) { return ((p - c) * 153 + c * 256) >> 8; });
}
