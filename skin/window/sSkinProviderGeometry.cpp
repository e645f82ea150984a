// Where the skinned frame's parts lie: border widths, title and menu heights, the client's
// offset in the cache, the title icon, the size grip, the window region cut from the skin's
// corner masks, the maximized size, and the composition query.
#include "skin/window/sSkinProvider.h"

#include "framework/Menus.h"
#include "skin/engine/sFramePrimitives.h"

TSystemMetricsProc FormSystemMetrics = &GetSystemMetrics;

namespace {

using TDwmSetWindowAttributeProc = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
TDwmSetWindowAttributeProc DwmSetWindowAttributeProc = nullptr;

// dwmapi stays loaded for the life of the process once looked up; a test's composition answer
// set before the first use is kept.
void BindDwm() {
    static bool bound = false;
    if (bound) return;
    bound = true;
    OSVERSIONINFOW version{sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version) || version.dwMajorVersion < 6) return;
#pragma GCC diagnostic pop
    HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
    if (!dwm) return;
    if (!DwmIsCompositionEnabledProc)
        DwmIsCompositionEnabledProc = reinterpret_cast<TDwmIsCompositionEnabledProc>(
            reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
    DwmSetWindowAttributeProc = reinterpret_cast<TDwmSetWindowAttributeProc>(
        reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
}

LONG StyleOf(HWND Wnd) { return GetWindowLongW(Wnd, GWL_STYLE); }

HWND FormWnd(const TCustomForm* Form) {
    auto* form = const_cast<TCustomForm*>(Form);
    return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

} // namespace

TDwmIsCompositionEnabledProc DwmIsCompositionEnabledProc = nullptr;

int WindowBorderWidth(HWND Wnd) {
    const LONG style = StyleOf(Wnd);
    if (style & WS_THICKFRAME) return FormSystemMetrics(SM_CXFRAME);
    if (style & WS_BORDER) return FormSystemMetrics(SM_CXDLGFRAME);
    return 0;
}

int WindowBorderHeight(HWND Wnd) { return WindowBorderWidth(Wnd); }

bool IsDwmComposing() {
    BindDwm();
    BOOL on = FALSE;
    return DwmIsCompositionEnabledProc && SUCCEEDED(DwmIsCompositionEnabledProc(&on)) && on;
}

HRESULT DisableDwmTransitions(HWND Wnd, bool Disable) {
    if (!IsDwmComposing()) return S_OK;
    if (!DwmSetWindowAttributeProc) return E_NOTIMPL;
    const BOOL value = Disable;
    return DwmSetWindowAttributeProc(Wnd, 3, &value, sizeof(value));
}

bool IsSizeableWindow(HWND Wnd) { return (StyleOf(Wnd) & WS_THICKFRAME) != 0; }

int IconSizeFor(int Height) {
    if (Height >= -100 && Height <= 8) return 1;
    if (Height >= 9 && Height <= 16) return 8;
    return 16;
}

void WorkAreaOf(TCustomForm* Form, TRect& R) {
    MONITORINFO info{sizeof(info)};
    HMONITOR monitor = MonitorFromWindow(FormWnd(Form), MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info))
        R = TRect(info.rcWork);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &R, 0);
}

int WindowWidthOf(HWND Wnd) {
    RECT r{};
    GetWindowRect(Wnd, &r);
    return r.right - r.left;
}

int WindowHeightOf(HWND Wnd) {
    RECT r{};
    GetWindowRect(Wnd, &r);
    return r.bottom - r.top;
}

int ClientWidthOf(HWND Wnd) {
    RECT r{};
    GetClientRect(Wnd, &r);
    return r.right;
}

int ClientHeightOf(HWND Wnd) {
    RECT r{};
    GetClientRect(Wnd, &r);
    return r.bottom;
}

// ---- provider measures ---------------------------------------------------------------------

bool TsSkinProvider::HasBorder() const {
    return FForm && (FForm->BorderStyle() != bsNone || FForm->FormStyle() == fsMDIChild);
}

bool TsSkinProvider::BigButtons() const {
    return FForm && (FForm->BorderStyle() == bsSingle || FForm->BorderStyle() == bsSizeable);
}

int TsSkinProvider::CaptionHeight(bool) const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return 0;
    const bool captioned = (StyleOf(wnd) & WS_CAPTION) == WS_CAPTION;
    if (!(HasBorder() && captioned) && !IsIconic(wnd)) return 0;
    const TFormBorderStyle style = FForm->BorderStyle();
    return FormSystemMetrics(style == bsToolWindow || style == bsSizeToolWin ? SM_CYSMCAPTION
                                                                             : SM_CYCAPTION);
}

int TsSkinProvider::BorderWidth(bool) const {
    HWND wnd = FormWnd(FForm);
    return wnd ? WindowBorderWidth(wnd) + FForm->BorderWidth() : 0;
}

int TsSkinProvider::BorderHeight(bool) const {
    HWND wnd = FormWnd(FForm);
    return wnd ? WindowBorderHeight(wnd) + FForm->BorderWidth() : 0;
}

int TsSkinProvider::MenuHeight() const {
    return FForm && FForm->Menu() ? FormSystemMetrics(SM_CYMENU) - 1 : 0;
}

int TsSkinProvider::CaptionWidth() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return 0;
    return IsIconic(wnd) ? WindowWidthOf(wnd) : FForm->Width();
}

// The visible skinned scroll bar's thickness along one side.
static int VisibleBarSize(const TacScrollWnd* ListSW, bool Vertical) {
    if (!ListSW) return 0;
    if (Vertical) return ListSW->sBarVert.fScrollVisible ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    return ListSW->sBarHorz.fScrollVisible ? GetSystemMetrics(SM_CYHSCROLL) : 0;
}

int TsSkinProvider::OffsetX() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return 0;
    return (WindowWidthOf(wnd) - ClientWidthOf(wnd) - VisibleBarSize(ListSW, true)) / 2;
}

int TsSkinProvider::OffsetY() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return 0;
    const int bottom = (StyleOf(wnd) & WS_BORDER) ? BorderWidth(true) : 0;
    return WindowHeightOf(wnd) - ClientHeightOf(wnd) - bottom - VisibleBarSize(ListSW, false);
}

int TsSkinProvider::HeaderHeight() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return 0;
    const int extra = WindowHeightOf(wnd) - ClientHeightOf(wnd);
    int result;
    if (CaptionHeight(true) > 0)
        result = extra - BorderHeight(true);
    else
        result = extra - ((StyleOf(wnd) & WS_BORDER) ? BorderHeight(true) : 0);
    if (result < 0) result = 0;
    if (IsIconic(wnd)) result += WindowBorderHeight(wnd);
    if (IsSkinned()) result -= VisibleBarSize(ListSW, false);
    return result;
}

bool TsSkinProvider::IconVisible() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd || !FShowAppIcon || !BigButtons()) return false;
    return FHaveSysMenu || (StyleOf(wnd) & WS_SYSMENU);
}

int TsSkinProvider::IconWidth() const {
    return IconVisible() ? IconSizeFor(CaptionHeight(true)) : 0;
}

int TsSkinProvider::IconHeight() const { return IconWidth(); }

TRect TsSkinProvider::IconRect() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return TRect{0, 0, 0, 0};
    TsSkinManager* manager = FCommonData->SkinManager();
    const int margin = manager ? manager->SkinData.BILeftMargin : 0;
    TRect r;
    r.left = WindowBorderWidth(wnd) + margin;
    r.right = r.left + IconWidth();
    r.top = WindowBorderWidth(wnd) / 2;
    r.top += (WindowBorderHeight(wnd) + CaptionHeight(true) - r.top - IconHeight()) / 2;
    r.bottom = r.top + IconHeight();
    return r;
}

bool TsSkinProvider::GripVisible() const {
    HWND wnd = FormWnd(FForm);
    return wnd && FGripMode == gmRightBottom && !IsZoomed(wnd) && IsSizeableWindow(wnd);
}

TPoint TsSkinProvider::GripPos(int MaskIndex) const {
    TsSkinManager* manager = FCommonData->SkinManager();
    HWND wnd = FormWnd(FForm);
    if (!manager || !manager->IsValidImgIndex(MaskIndex) || !wnd) return TPoint{0, 0};
    const TsMaskData& mask = manager->ma[MaskIndex];
    const int border = WindowBorderWidth(wnd);
    TBitmap* cache = FCommonData->CacheBmp();
    const int w = cache ? cache->Width() : CaptionWidth();
    const int h = cache ? cache->Height() : FForm->Height();
    return TPoint{w - MaskStateWidth(mask) - border - 1, h - MaskStateHeight(mask) - border - 1};
}

TPoint TsSkinProvider::WindowOrigin() const {
    HWND wnd = FormWnd(FForm);
    if (!wnd) return TPoint{0, 0};
    if (FForm->FormStyle() != fsMDIChild) {
        RECT r{};
        GetWindowRect(wnd, &r);
        return TPoint{r.left, r.top};
    }
    POINT p{0, 0};
    ClientToScreen(wnd, &p);
    const int title = IsIconic(wnd) ? 0 : CaptionHeight(true);
    return TPoint{p.x - WindowBorderWidth(wnd), p.y - WindowBorderHeight(wnd) - title};
}

TPoint TsSkinProvider::CursorToPoint(int X, int Y) const {
    const TPoint origin = WindowOrigin();
    return TPoint{X - origin.x, Y - origin.y};
}

bool TsSkinProvider::CacheSizeChanged() const {
    TBitmap* cache = FCommonData->CacheBmp();
    return !cache || cache->Width() != CaptionWidth() || cache->Height() != FForm->Height();
}

int TsSkinProvider::LinesCount() {
    if (FLinesCount >= 0) return FLinesCount;
    HWND wnd = FormWnd(FForm);
    TMainMenu* menu = FForm ? FForm->Menu() : nullptr;
    if (!wnd || !menu || !GetMenu(wnd)) return 1;
    const int start = WindowBorderWidth(wnd);
    const int limit = FForm->Width() - 2 * start - 2 * FForm->BorderWidth();
    int lines = 1;
    int x = start;
    int position = 0;
    int lastGroup = -1;
    TMenuItem* items = menu->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (!item->Visible()) continue;
        const bool counted = item->GroupIndex() != lastGroup && item->OnMeasureItem.Assigned() &&
                             item->OnAdvancedDrawItem.Assigned();
        RECT r{};
        if (counted && GetMenuItemRect(wnd, GetMenu(wnd), position, &r)) {
            const int width = r.right - r.left;
            if (x + width > limit) {
                ++lines;
                x = start;
            }
            x += width;
        }
        ++position;
    }
    FLinesCount = lines;
    return lines;
}

// ---- region ------------------------------------------------------------------------------

int TsSkinProvider::FormMaskIndex() const {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!manager || !manager->IsValidSkinIndex(FCommonData->SkinIndex)) return -1;
    return manager->GetMaskIndex(FCommonData->SkinIndex, FCommonData->SkinSection(),
                                 L"BORDERSMASK");
}

void TsSkinProvider::FillArOR() {
    ArOR.clear();
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!manager || !FForm) return;
    const int width = CaptionWidth();
    const int formMask = FormMaskIndex();
    if (manager->IsValidImgIndex(formMask)) {
        const TsMaskData& mask = manager->ma[formMask];
        CollectMaskCornerRects(ArOR, width, mask, 0, false);
        CollectMaskCornerRects(ArOR, width, mask, FForm->Height() - mask.WB, true);
    }
    const int title = TitleSkinIndex();
    if (manager->IsValidSkinIndex(title)) {
        const int titleMask = manager->GetMaskIndex(title, TitleSkinSection(), L"BORDERSMASK");
        if (manager->IsValidImgIndex(titleMask))
            CollectMaskCornerRects(ArOR, width, manager->ma[titleMask], 0, false);
    }
}

HRGN TsSkinProvider::CreateFormRgn(int X, int Y) const {
    HRGN region = CreateRectRgn(X, Y, X + CaptionWidth(), Y + FForm->Height());
    for (const TRect& r : ArOR) {
        HRGN cut = CreateRectRgn(r.left + X, r.top + Y, r.right + X, r.bottom + Y);
        CombineRgn(region, region, cut, RGN_DIFF);
        DeleteObject(cut);
    }
    return region;
}

// The message a procedure placed in front of ours answers to keep the region it has.
constexpr UINT KeepRegionQuery = 0xBC4D;
constexpr LRESULT KeepRegionAnswer = 0x41A2;

void TsSkinProvider::UpdateFormRgn(bool Repaint) {
    HWND wnd = FormWnd(FForm);
    if (!wnd || !FDrawNonClientArea || InMenu) return;
    if (!HasBorder() && !IsIconic(wnd)) return;
    if (!FirstInitialized &&
        SendMessageW(wnd, KeepRegionQuery, KeepRegionAnswer, 0) == KeepRegionAnswer)
        return;
    FRgnChanging = true;
    HRGN region;
    const TSizeConstraints* limits = FForm->Constraints();
    if (!IsZoomed(wnd) || limits->MaxWidth() > 0 || limits->MaxHeight() > 0 ||
        FForm->FormStyle() == fsMDIChild) {
        region = CreateFormRgn(0, 0);
    } else {
        const int a = WindowBorderWidth(wnd);
        const int b = WindowBorderHeight(wnd);
        region = CreateRectRgn(a, b, FForm->Width() - a, FForm->Height() - b);
    }
    RgnChanged = true;
    SetWindowRgn(wnd, region, Repaint);
    FRgnChanging = false;
}

HRGN TsSkinProvider::MakeFormRegion() {
    if (!FForm || !FForm->HandleAllocated() || !FDrawNonClientArea) return nullptr;
    FillArOR();
    return CreateFormRgn(0, 0);
}

void TsSkinProvider::RefreshFormRegion() {
    FillArOR();
    UpdateFormRgn(true);
}

void TsSkinProvider::AcWMGetMinMaxInfo(TMessage& Message) {
    HWND wnd = FormWnd(FForm);
    if (wnd && FDrawNonClientArea && FForm->FormStyle() != fsMDIChild && !FForm->Parent()) {
        TRect r;
        WorkAreaOf(FForm, r);
        const int a = WindowBorderWidth(wnd);
        int b = 0;
        if ((StyleOf(wnd) & WS_CAPTION) == WS_CAPTION) b = a;
        // The skin's title-height difference applies to extended borders only, which come later.
        const int e = 0;
        auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
        info->ptMaxPosition.y = b - a - e;
        info->ptMaxSize.x = r.Width() + 2 * a;
        info->ptMaxSize.y = r.Height() + 2 * a - b + e;
        Message.Result = 0;
    }
    PassOn(Message);
}
