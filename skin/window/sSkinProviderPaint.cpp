// The non-client cache and the painting from it: the form section with its border, the title
// band with icon, caption and buttons, the menu line, then the frame copied to the window and
// the client background copied or filled.
#include "skin/window/sSkinProvider.h"

#include "framework/Application.h"
#include "framework/Menus.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sControlBorders.h"
#include "skin/engine/sFramePrimitives.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sSkinText.h"
#include "skin/engine/sStyleSimply.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>
#include <memory>

namespace {

void PaintSolidRectOn(TBitmap* Bmp, const TRect& R, TColor Color) {
    PaintSolidRect(Bmp->Canvas()->Handle(), R, Color);
}

// A section painted over R of the cache with the cache's present pixels as the background its
// holes and transparent parts show: they are read from a copy, as the painter writes the cache.
void PaintOverCache(TsSkinManager* Manager, TBitmap* Cache, const TRect& R, int SkinIndex,
                    const UnicodeString& Section, bool Active) {
    if (!Manager->IsValidSkinIndex(SkinIndex) || R.Width() <= 0 || R.Height() <= 0) return;
    std::unique_ptr<TBitmap> under(CreateBmp24(Cache->Width(), Cache->Height()));
    BitBlt(under->Canvas()->Handle(), 0, 0, Cache->Width(), Cache->Height(),
           Cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    // Painted at the origin of a piece of R's size, where the painter reads the background of
    // its transparent parts and of its holes at the same place (R's own pixels of the copy).
    std::unique_ptr<TBitmap> piece(CreateBmp24(R.Width(), R.Height()));
    PaintSkinItem(SkinIndex, Section, CacheInfoFor(under.get(), R.left, R.top), true,
                  Active ? 1 : 0, TRect{0, 0, R.Width(), R.Height()}, TPoint{0, 0}, piece.get(),
                  Manager);
    BitBlt(Cache->Canvas()->Handle(), R.left, R.top, R.Width(), R.Height(),
           piece->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// Items of the menu line draw without accelerator underlines, as the menu bar's own items.
constexpr TOwnerDrawState MenuLineItemState = TOwnerDrawState::FromBits(0x500);

bool Creating(TCustomForm* Form) { return Form->FormState().Contains(fsCreating); }

bool Loading(const TComponent* Component) {
    const TComponentState state = Component->ComponentState();
    return state.Contains(csLoading) || state.Contains(csReading);
}

} // namespace

int TsSkinProvider::TitleBottom() const {
    return WindowBorderHeight(FForm->Handle()) + CaptionHeight(true);
}

bool TsSkinProvider::IsStatelessMask() const {
    const int mask = FormMaskIndex();
    TsSkinManager* manager = FCommonData->SkinManager();
    return !manager || !manager->IsValidImgIndex(mask) || manager->ma[mask].ImageCount == 1;
}

TSize TsSkinProvider::PrepareNonClientCache() {
    PrepareNCCache();
    TBitmap* cache = FCommonData->CacheBmp();
    return cache ? TSize{cache->Width(), cache->Height()} : TSize{0, 0};
}

void TsSkinProvider::PrepareNCCache() {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!FForm || Creating(FForm) || !FForm->HandleAllocated() || !manager) return;
    HWND wnd = FForm->Handle();
    const int w = CaptionWidth();
    const int h = FForm->Height();
    if (!FCommonData->CacheBmp()) {
        FCommonData->InitCacheBmp();
        UpdateCtrlSkinState(FCommonData.get(), !Loading(FForm));
    }
    TBitmap* cache = FCommonData->CacheBmp();
    if (FCommonData->BGChanged) {
        const bool fast = !MenuChanged && IsStatelessMask() && TitleBG && TitleBG->Width() == w &&
                          cache->Height() == h && HasTitle();
        if (fast) {
            if (FDrawNonClientArea) {
                BitBlt(cache->Canvas()->Handle(), 0, 0, w, TitleBG->Height(),
                       TitleBG->Canvas()->Handle(), 0, 0, SRCCOPY);
                RepaintTitle(TRect{0, 0, w, TitleBG->Height()});
            }
        } else {
            RgnChanged = true;
            cache->SetSize(w, h);
            TRect frame{0, 0, w, h};
            if (IsIconic(wnd)) frame.bottom = TitleBottom() + 1;
            if (manager->IsValidSkinIndex(FCommonData->SkinIndex))
                PaintFrameBackground(cache, frame);
            PaintTitle(cache, frame);
            PaintMenuLine(cache);
            if (IsStatelessMask() && (!TitleBG || TitleBG->Width() != w)) SaveTitleBG();
            PaintTitleText(cache, frame);
            if (HasTitle() && FDrawNonClientArea) {
                SaveBtnsBG(true);
                PaintBorderIcons();
            }
        }
        // What the form paints itself lies on its client background: its children see it too.
        if (BgNeedsCache(FCommonData.get()))
            RunOnPaint(cache->Canvas()->Handle(), OffsetX(), OffsetY());
        MenuChanged = false;
        FirstInitialized = true;
        FCommonData->BGChanged = false;
    }
    FCommonData->SetUpdating(false);
}

void TsSkinProvider::PaintFrameBackground(TBitmap* Cache, const TRect& FrameRect) {
    TsSkinManager* manager = FCommonData->SkinManager();
    const int index = FCommonData->SkinIndex;
    if (FCommonData->CtrlSkinState & 1) {
        TRect band = FrameRect;
        band.bottom = CaptionHeight(true) + BorderWidth(true) + LinesCount() * MenuHeight() + 1;
        PaintSolidRectOn(Cache, band, FormColor());
        TRect client;
        PaintControlBorder(Cache->Canvas()->Handle(), FrameRect, BorderWidth(true),
                           FCommonData.get(), FFormActive ? 1 : 0, client);
        return;
    }
    if (!manager->IsValidSkinIndex(index)) return;
    if (HasBorder())
        PaintControlSkin(FCommonData.get(), EmptyCacheInfo, true, FFormActive ? 1 : 0, FrameRect,
                         TPoint{0, 0}, Cache, false);
    else
        PaintSkinBackground(index, FCommonData->SkinSection(), EmptyCacheInfo, FFormActive ? 1 : 0,
                            FrameRect, TPoint{0, 0}, Cache, manager, -1, -1, clFuchsia);
}

void TsSkinProvider::PaintTitle(TBitmap* Cache, const TRect& FrameRect) {
    if (!HasTitle() || !FDrawNonClientArea) return;
    TsSkinManager* manager = FCommonData->SkinManager();
    TRect band = FrameRect;
    if (!IsIconic(FForm->Handle())) band.bottom = TitleBottom();
    PaintOverCache(manager, Cache, band, TitleSkinIndex(), TitleSkinSection(), FFormActive);
    PaintTitleIcon(Cache);
    if (SysButtonsCount() == 0) return;
    const int bar =
        manager->GetMaskIndex(FCommonData->SkinIndex, FCommonData->SkinSection(), L"TITLEBAR");
    if (!manager->IsValidImgIndex(bar)) return;
    const TsMaskData& mask = manager->ma[bar];
    const int stateWidth = mask.Bmp ? mask.Bmp->Width() / 9 * 2
                                    : mask.R.Width() / std::max(1, mask.ImageCount * 3) * 2;
    const int width = stateWidth + TitleBtnsWidth();
    const TRect strip{Cache->Width() - width, 0, Cache->Width(),
                      CaptionHeight(true) + WindowBorderHeight(FForm->Handle())};
    PaintBorderMask(Cache, strip, false, CacheInfoFor(Cache, 0, 0), mask,
                    std::min<int>(FFormActive ? 1 : 0, std::max<int>(0, mask.ImageCount - 1)),
                    true);
}

void TsSkinProvider::PaintTitleIcon(TBitmap* Cache) {
    if (!IconVisible()) return;
    const TRect r = IconRect();
    HDC dc = Cache->Canvas()->Handle();
    auto draw = [&](HICON Icon, int Size) {
        DrawIconEx(dc, r.left, r.top, Icon, Size, Size, 0, nullptr, DI_NORMAL);
    };
    if (FForm->Icon() && !FForm->Icon()->Empty()) {
        draw(FForm->Icon()->Handle(), IconWidth());
        return;
    }
    if (Application->Handle())
        if (auto* icon = reinterpret_cast<HICON>(
                SendMessageW(Application->Handle(), WM_GETICON, ICON_SMALL2, 0))) {
            draw(icon, IconWidth());
            return;
        }
    // The program file's own icons, at the height the title leaves under the icon's top.
    const int size = CaptionHeight(true) - r.top;
    if (size > 16 && AppLargeIcon)
        draw(AppLargeIcon, size);
    else if (AppSmallIcon)
        draw(AppSmallIcon, size);
    else
        draw(LoadIconW(nullptr, IDI_APPLICATION), IconWidth());
}

void TsSkinProvider::PaintTitleText(TBitmap* Cache, const TRect& FrameRect) {
    if (!HasTitle() || !FDrawNonClientArea) return;
    TsSkinManager* manager = FCommonData->SkinManager();
    HWND wnd = FForm->Handle();
    const bool captionSection = manager->IsValidSkinIndex(FCaptionSkinIndex);
    TRect r;
    r.left = WindowBorderWidth(wnd) + (IconVisible() ? IconWidth() : 0) +
             manager->SkinData.BILeftMargin + (captionSection ? 2 : 0) + 4;
    r.right = FrameRect.right - TitleBtnsWidth() - 6;
    r.bottom = TitleBottom();
    r.top = IsZoomed(wnd) ? WindowBorderWidth(wnd) / 2 + 1 : 2;
    if (r.right <= r.left || r.bottom <= r.top) return;
    // The canvas owns the caption font from here and selects it for every text pass.
    TCanvas* canvas = Cache->Canvas();
    if (HFONT font = CreateSysCaptionFont()) canvas->Font()->SetHandle(font);
    HDC dc = canvas->Handle();
    SelectObject(dc, canvas->Font()->Handle());
    const UnicodeString text = FForm->Caption();
    SIZE extent{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    r.top += (r.Height() - extent.cy) / 2;
    r.bottom = r.top + extent.cy;
    const UINT flags = TextAlignFlags(FForm, FCaptionAlignment) | DT_END_ELLIPSIS | DT_NOPREFIX |
                       DT_SINGLELINE | DT_VCENTER;
    if (!captionSection) {
        WriteSkinText(canvas, text, FForm->Enabled(), r, flags, TitleSkinIndex(), FFormActive,
                      manager);
    } else {
        TRect box = r;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags | DT_CALCRECT);
        const int free = r.Width() - box.Width();
        int shift = 0;
        if (FCaptionAlignment == taRightJustify) shift = free;
        if (FCaptionAlignment == taCenter) shift = free / 2;
        box =
            TRect{r.left + shift, r.top, std::min(r.left + shift + box.Width(), r.right), r.bottom};
        TRect back{box.left - 4, box.top - 2, box.right + 4, box.bottom + 2};
        PaintOverCache(manager, Cache, back, FCaptionSkinIndex, L"CAPTION", FFormActive);
        WriteSkinText(canvas, text, FForm->Enabled(), box, flags, FCaptionSkinIndex, FFormActive,
                      manager);
    }
}

void TsSkinProvider::PaintMenuLine(TBitmap* Cache) {
    TMainMenu* menu = FForm->Menu();
    HWND wnd = FForm->Handle();
    if (!menu || !GetMenu(wnd) || MenuHeight() <= 0) return;
    TsSkinManager* manager = FCommonData->SkinManager();
    int index = FMenuLineSkin.empty() ? -1 : manager->GetSkinIndex(FMenuLineSkin);
    if (index < 0) index = manager->GetSkinIndex(L"MENULINE");
    const int top = TitleBottom();
    const int height = LinesCount() * MenuHeight();
    PaintOverCache(
        manager, Cache, TRect{0, top, Cache->Width(), top + height}, index,
        manager->IsValidSkinIndex(index) ? manager->gd[index].ClassName : UnicodeString(), false);
    MenuLineBmp->SetSize(Cache->Width(), height);
    BitBlt(MenuLineBmp->Canvas()->Handle(), 0, 0, Cache->Width(), height, Cache->Canvas()->Handle(),
           0, top, SRCCOPY);
    RECT windowRect{};
    GetWindowRect(wnd, &windowRect);
    TMenuItem* items = menu->Items();
    int position = 0;
    for (int i = 0; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (!item->Visible()) continue;
        RECT r{};
        if (item->OnMeasureItem.Assigned() && item->OnAdvancedDrawItem.Assigned() &&
            GetMenuItemRect(wnd, GetMenu(wnd), position, &r)) {
            OffsetRect(&r, -windowRect.left, -windowRect.top);
            item->OnAdvancedDrawItem(item, Cache->Canvas(), TRect(r), MenuLineItemState);
        }
        ++position;
    }
}

void TsSkinProvider::RunOnPaint(HDC DC, int X, int Y) {
    auto* form = dynamic_cast<TForm*>(FForm);
    auto* canvas = form ? dynamic_cast<TControlCanvas*>(form->Canvas()) : nullptr;
    if (!FForm->OnPaint.Assigned() || !canvas) return;
    const int state = SaveDC(DC);
    OffsetViewportOrgEx(DC, X, Y, nullptr);
    canvas->PaintWith(DC, [this] { FForm->OnPaint(FForm); });
    RestoreDC(DC, state);
}

void TsSkinProvider::SaveTitleBG() {
    TBitmap* cache = FCommonData->CacheBmp();
    if (!cache) return;
    TitleBG.reset(CreateBmp32(cache->Width(), TitleBottom()));
    BitBlt(TitleBG->Canvas()->Handle(), 0, 0, cache->Width(), TitleBottom(),
           cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsSkinProvider::RepaintTitle(const TRect& R) {
    TBitmap* cache = FCommonData->CacheBmp();
    PaintTitle(cache, R);
    SaveBtnsBG(false);
    PaintBorderIcons();
    PaintTitleText(cache, TRect{0, 0, cache->Width(), cache->Height()});
}

// ---- from the cache to the window -------------------------------------------------------------

void TsSkinProvider::PaintAll() {
    if (!FDrawNonClientArea) return;
    HWND wnd = FForm->Handle();
    if (IsDwmComposing() && FResizeMode == rmBorder) FResizeMode = rmStandard;
    if (!FRgnChanging && RgnChanged && (HasBorder() || IsSizeableWindow(wnd) || IsIconic(wnd))) {
        FillArOR();
        RgnChanged = false;
        // The region is set without a repaint of its own: the frame is painted right below.
        UpdateFormRgn(false);
    }
    FCommonData->SetUpdating(false);
    TBitmap* cache = FCommonData->CacheBmp();
    if (!cache || cache->Empty()) FCommonData->BGChanged = true;
    TFormWindowDC dc(wnd, nullptr);
    const int state = SaveDC(dc.DC());
    PaintForm(dc.DC());
    RestoreDC(dc.DC(), state);
    FRgnChanging = false;
}

void TsSkinProvider::PaintForm(HDC DC) {
    if (FCommonData->BGChanged || (FCommonData->CtrlSkinState & 1)) PrepareNCCache();
    FCommonData->BGChanged = false;
    TBitmap* cache = FCommonData->CacheBmp();
    if (!cache) return;
    HDC src = cache->Canvas()->Handle();
    const int width = FForm->Width();
    const int height = FForm->Height();
    const int header = HeaderHeight();
    const int side = BorderWidth(true);
    const int bottom = BorderHeight(true);
    BitBlt(DC, 0, 0, width, header, src, 0, 0, SRCCOPY);
    BitBlt(DC, 0, header, side, height - header, src, 0, header, SRCCOPY);
    BitBlt(DC, width - side, header, side, height - header, src, width - side, header, SRCCOPY);
    BitBlt(DC, side, height - bottom, width - 2 * side, bottom, src, side, height - bottom,
           SRCCOPY);
}

void TsSkinProvider::PaintClient(HDC DC, bool SendUpdated) {
    HWND wnd = FForm->Handle();
    const TRect client{0, 0, ClientWidthOf(wnd), ClientHeightOf(wnd)};
    if (FCommonData->CtrlSkinState & 1) {
        PaintSolidRect(DC, client, FormColor());
    } else {
        if (!FCommonData->UrgentPainting) PrepareNCCache();
        TBitmap* cache = FCommonData->CacheBmp();
        if (cache && FForm->FormStyle() != fsMDIForm) {
            BitBlt(DC, 0, 0, client.right, client.bottom, cache->Canvas()->Handle(), OffsetX(),
                   OffsetY(), SRCCOPY);
            PaintGraphicChildren(DC, FForm, TPoint{0, 0});
        }
        if (SendUpdated) RefreshChildControls(FForm);
    }
    // The grip lies over the client's corner, whichever way the client was painted.
    if (GripVisible()) {
        POINT old;
        OffsetViewportOrgEx(DC, -OffsetX(), -OffsetY(), &old);
        PaintGrip(DC);
        SetViewportOrgEx(DC, old.x, old.y, nullptr);
    }
}

void TsSkinProvider::EraseClient(HDC DC) {
    FCommonData->SetUpdating(false);
    if (FForm->ComponentState().Contains(csDestroying)) return;
    const int state = SaveDC(DC);
    PaintClient(DC, true);
    RestoreDC(DC, state);
    if (FCommonData->CtrlSkinState & 1) PaintGraphicChildren(DC, FForm, TPoint{0, 0});
}

void TsSkinProvider::PaintGrip(HDC DC) {
    TsSkinManager* manager = FCommonData->SkinManager();
    const int index =
        manager->GetMaskIndex(manager->ConstData.IndexGLobalInfo, L"GLOBALINFO", L"GRIPIMAGE");
    TBitmap* cache = FCommonData->CacheBmp();
    if (!manager->IsValidImgIndex(index) || !cache) return;
    const TsMaskData& mask = manager->ma[index];
    const TPoint pos = GripPos(index);
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> grip(
        CreateBmp24(MaskStateWidth(mask), MaskStateHeight(mask)));
    HDC dc = grip->Canvas()->Handle();
    if (FCommonData->CtrlSkinState & 1)
        PaintSolidRectOn(grip.get(), TRect{0, 0, grip->Width(), grip->Height()}, FormColor());
    else
        BitBlt(dc, 0, 0, grip->Width(), grip->Height(), cache->Canvas()->Handle(), pos.x, pos.y,
               SRCCOPY);
    PaintMaskImage(grip.get(), TPoint{0, 0}, 0, mask, CacheInfoFor(grip.get(), 0, 0), 1);
    BitBlt(DC, pos.x, pos.y, grip->Width(), grip->Height(), dc, 0, 0, SRCCOPY);
}

void TsSkinProvider::RepaintNonClient() {
    if (!FormShowing() || !FDrawNonClientArea) return;
    FCommonData->BGChanged = true;
    TFormWindowDC dc(FForm->Handle(), nullptr);
    PaintForm(dc.DC());
}
