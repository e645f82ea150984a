// The title buttons: their images and layout, their states (normal, hot, pressed), single-button
// repaints, the hit test of the skinned frame, the non-client mouse messages and the system
// commands the buttons give.
#include "skin/window/sSkinProvider.h"

#include "framework/Application.h"
#include "skin/engine/sAlphaGraph.h"

#include <algorithm>

namespace {

int HeldWindowDCs = 0;

LONG StyleOf(TCustomForm* Form) { return GetWindowLongW(Form->Handle(), GWL_STYLE); }

TPoint MessagePoint(const TMessage& Message) {
    return TPoint{static_cast<short>(LOWORD(Message.LParam)),
                  static_cast<short>(HIWORD(Message.LParam))};
}

} // namespace

TFormWindowDC::TFormWindowDC(HWND Wnd, HDC Given) : FWnd(Wnd), FDC(Given) {
    if (FDC) return;
    FDC = GetWindowDC(Wnd);
    FOwned = FDC != nullptr;
    if (FOwned) ++HeldWindowDCs;
}

TFormWindowDC::~TFormWindowDC() {
    if (FOwned && ReleaseDC(FWnd, FDC)) --HeldWindowDCs;
}

int FormWindowDCsHeld() { return HeldWindowDCs; }

// ---- visibility and enabling, from the form's border icons as its window shows them ---------

bool TsSkinProvider::CloseVisible() const { return FHaveSysMenu; }

bool TsSkinProvider::MaxVisible() const {
    return CloseVisible() && (StyleOf(FForm) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
}

bool TsSkinProvider::MinVisible() const { return MaxVisible(); }

bool TsSkinProvider::HelpVisible() const {
    return CloseVisible() && (GetWindowLongW(FForm->Handle(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
}

bool TsSkinProvider::MaxEnabled() const { return StyleOf(FForm) & WS_MAXIMIZEBOX; }

bool TsSkinProvider::MinEnabled() const { return StyleOf(FForm) & WS_MINIMIZEBOX; }

bool TsSkinProvider::RestoreEnabled() const {
    return IsZoomed(FForm->Handle()) || IsIconic(FForm->Handle());
}

// ---- images and sizes ---------------------------------------------------------------------

void TsSkinProvider::UpdateIconsIndexes() {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!manager) return;
    const int global = manager->ConstData.IndexGLobalInfo;
    if (!manager->IsValidSkinIndex(global)) return;
    auto image = [&](const wchar_t* key) {
        return manager->GetMaskIndex(global, L"GLOBALINFO", key);
    };
    FButtonMin.HitCode = HTMINBUTTON;
    FButtonMax.HitCode = HTMAXBUTTON;
    FButtonClose.HitCode = HTCLOSE;
    FButtonHelp.HitCode = HTHELP;
    auto big = [&] {
        FButtonMin.ImageIndex = image(L"BICONMIN");
        FButtonMax.ImageIndex = image(L"BICONMAX");
        FButtonClose.ImageIndex = image(L"BICONCLOSE");
        FButtonHelp.ImageIndex = image(L"BICONHELP");
        FButtonMin.HaveAlignment = true;
    };
    if (BigButtons()) {
        big();
    } else {
        FButtonClose.ImageIndex = image(L"SICONCLOSE");
        FButtonMin.ImageIndex = image(L"SICONMIN");
        FButtonMax.ImageIndex = image(L"SICONMAX");
        FButtonHelp.ImageIndex = image(L"SICONHELP");
        if (!manager->IsValidImgIndex(FButtonHelp.ImageIndex))
            FButtonHelp.ImageIndex = image(L"BICONHELP");
        FButtonMin.HaveAlignment = false;
        if (!manager->IsValidImgIndex(FButtonClose.ImageIndex)) big();
    }
    FButtonMax.HaveAlignment = FButtonClose.HaveAlignment = FButtonHelp.HaveAlignment =
        FButtonMin.HaveAlignment;
}

int TsSkinProvider::SysButtonWidth(const TsCaptionButton& Btn) const {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!manager || !manager->IsValidImgIndex(Btn.ImageIndex)) return 21;
    const TsMaskData& mask = manager->ma[Btn.ImageIndex];
    if (mask.Bmp) return mask.Bmp->Width() / std::max<int>(1, mask.ImageCount);
    return MaskStateWidth(mask);
}

int TsSkinProvider::ButtonHeight() const {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!manager || !manager->IsValidImgIndex(FButtonClose.ImageIndex)) return 21;
    const TsMaskData& mask = manager->ma[FButtonClose.ImageIndex];
    if (mask.Bmp) return mask.Bmp->Height() / 2;
    return MaskStateHeight(mask);
}

// Pixels between two buttons: the skin's spacing for big-button forms only.
static int Spacing(const TsSkinProvider* Provider) {
    TsSkinManager* manager = Provider->SkinData()->SkinManager();
    return manager && Provider->BigButtons() ? manager->SkinData.BISpacing : 0;
}

int TsSkinProvider::TitleBtnsWidth() const {
    TsSkinManager* manager = FCommonData->SkinManager();
    int result = manager ? manager->SkinData.BIRightMargin : 0;
    if (!CloseVisible()) return result;
    const int spacing = Spacing(this);
    result += SysButtonWidth(FButtonClose);
    if (MaxVisible()) result += SysButtonWidth(FButtonMax) + spacing;
    if (MinVisible()) result += SysButtonWidth(FButtonMin) + spacing;
    if (HelpVisible()) result += SysButtonWidth(FButtonHelp) + spacing;
    return result;
}

int TsSkinProvider::SysButtonsCount() const {
    if (!CloseVisible()) return 0;
    return 1 + MaxVisible() + MinVisible() + HelpVisible();
}

TsCaptionButton* TsSkinProvider::ButtonByHT(int HT) {
    switch (HT) {
    case HTMINBUTTON: return &FButtonMin;
    case HTMAXBUTTON: return &FButtonMax;
    case HTCLOSE: return &FButtonClose;
    case HTHELP: return &FButtonHelp;
    default: return nullptr;
    }
}

// ---- layout and painting into the cache ---------------------------------------------------

void TsSkinProvider::PaintButton(TsCaptionButton& Btn, int Index, bool Enabled) {
    TsSkinManager* manager = FCommonData->SkinManager();
    TBitmap* cache = FCommonData->CacheBmp();
    if (!cache || !manager->IsValidImgIndex(Index)) return;
    const bool half = Btn.State <= 0 && (!FFormActive || !Enabled);
    PaintMaskImage(cache, Btn.Rect.TopLeft(), std::max(0, Btn.State), manager->ma[Index],
                   CacheInfoFor(cache, 0, 0), half ? 2 : 1);
}

void TsSkinProvider::PaintBorderIcons() {
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!HasBorder() || !manager) return;
    HWND wnd = FForm->Handle();
    int x = CaptionWidth() - manager->SkinData.BIRightMargin - WindowBorderWidth(wnd);
    RestoreBtnsBG();
    const int spacing = Spacing(this);
    const int height = ButtonHeight();
    auto place = [&](TsCaptionButton& Btn) {
        Btn.Rect.right = x;
        Btn.Rect.left = x - SysButtonWidth(Btn);
        int top;
        if (Btn.HaveAlignment && manager->SkinData.BIVAlign == 1) {
            top = IsZoomed(wnd) ? WindowBorderWidth(wnd) - 1 : 0;
        } else {
            top = (WindowBorderHeight(wnd) + CaptionHeight(true) - height) / 2;
            if (BigButtons() && height < 16) top += 2;
        }
        Btn.Rect.top = top;
        Btn.Rect.bottom = top + height;
        x = Btn.Rect.left - spacing;
        if (Btn.State < 0) Btn.State = 0;
    };
    const int restore =
        manager->GetMaskIndex(manager->ConstData.IndexGLobalInfo, L"GLOBALINFO", L"BICONNORM");
    auto restoreImage = [&] {
        return manager->IsValidImgIndex(restore)
                   ? restore
                   : manager->GetMaskIndex(FCommonData->SkinIndex, FCommonData->SkinSection(),
                                           L"BICONNORM");
    };
    FButtonClose.State = CloseVisible() ? std::max(0, FButtonClose.State) : -1;
    if (CloseVisible()) {
        place(FButtonClose);
        PaintButton(FButtonClose, FButtonClose.ImageIndex, true);
    }
    if (MaxVisible()) {
        place(FButtonMax);
        if (IsZoomed(wnd))
            PaintButton(FButtonMax, restoreImage(), RestoreEnabled());
        else
            PaintButton(FButtonMax, FButtonMax.ImageIndex, MaxEnabled());
    } else {
        FButtonMax.State = -1;
    }
    if (MinVisible()) {
        place(FButtonMin);
        if (IsIconic(wnd))
            PaintButton(FButtonMin, restoreImage(), RestoreEnabled());
        else
            PaintButton(FButtonMin, FButtonMin.ImageIndex, MinEnabled());
    } else {
        FButtonMin.State = -1;
    }
    if (HelpVisible()) {
        place(FButtonHelp);
        PaintButton(FButtonHelp, FButtonHelp.ImageIndex, true);
    } else {
        FButtonHelp.State = -1;
    }
}

void TsSkinProvider::SaveBtnsBG(bool Full) {
    TBitmap* cache = FCommonData->CacheBmp();
    if (!cache || !TempBmp) return;
    HWND wnd = FForm->Handle();
    TempBmp->SetPixelFormat(cache->PixelFormat());
    const int top = WindowBorderHeight(wnd) + CaptionHeight(true);
    TempBmp->SetSize(WindowBorderWidth(wnd) + TitleBtnsWidth() + 10,
                     top + WindowBorderWidth(wnd) + MenuHeight());
    const int rows = Full ? TempBmp->Height() : top;
    BitBlt(TempBmp->Canvas()->Handle(), 0, 0, TempBmp->Width(), rows, cache->Canvas()->Handle(),
           CaptionWidth() - TempBmp->Width() - 1, 0, SRCCOPY);
}

void TsSkinProvider::RestoreBtnsBG() {
    TBitmap* cache = FCommonData->CacheBmp();
    if (!cache || !TempBmp || TempBmp->Empty()) return;
    BitBlt(cache->Canvas()->Handle(), CaptionWidth() - TempBmp->Width() - 1, 0, TempBmp->Width(),
           TempBmp->Height(), TempBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsSkinProvider::RepaintButton(int HT) {
    TsCaptionButton* btn = ButtonByHT(HT);
    TBitmap* cache = FCommonData->CacheBmp();
    TsSkinManager* manager = FCommonData->SkinManager();
    if (!btn || btn->State < 0 || !cache || !TempBmp || !manager) return;
    if (btn->Rect.left <= IconRect().right) return;
    HWND wnd = FForm->Handle();
    const int bandLeft = CaptionWidth() - TempBmp->Width() - 1;
    BitBlt(cache->Canvas()->Handle(), btn->Rect.left, btn->Rect.top, btn->Rect.Width(),
           btn->Rect.Height(), TempBmp->Canvas()->Handle(), btn->Rect.left - bandLeft,
           btn->Rect.top, SRCCOPY);
    int image = btn->ImageIndex;
    bool enabled = true;
    const int global = manager->ConstData.IndexGLobalInfo;
    if (btn == &FButtonMax) {
        if (IsZoomed(wnd)) image = manager->GetMaskIndex(global, L"GLOBALINFO", L"BICONNORM");
        enabled = IsZoomed(wnd) ? RestoreEnabled() : MaxEnabled();
        if (IsIconic(wnd)) image = manager->GetMaskIndex(global, L"GLOBALINFO", L"BICONMAX");
    } else if (btn == &FButtonMin) {
        if (IsIconic(wnd)) image = manager->GetMaskIndex(global, L"GLOBALINFO", L"BICONNORM");
        enabled = IsIconic(wnd) ? RestoreEnabled() : MinEnabled();
    }
    PaintButton(*btn, image, enabled);
    TFormWindowDC dc(wnd, nullptr);
    BitBlt(dc.DC(), btn->Rect.left, btn->Rect.top, btn->Rect.Width(), btn->Rect.Height(),
           cache->Canvas()->Handle(), btn->Rect.left, btn->Rect.top, SRCCOPY);
}

// ---- states ---------------------------------------------------------------------------------

void TsSkinProvider::SetHotHT(int HT, bool Repaint) {
    if (!FDrawNonClientArea) return;
    if (HT == FCurrentHT || (FCurrentHT == -1 && HT == 0)) return;
    if (FCurrentHT > 0) {
        if (TsCaptionButton* old = ButtonByHT(FCurrentHT); old && old->State > 0) old->State = 0;
        if (Repaint) RepaintButton(FCurrentHT);
    }
    FCurrentHT = HT;
    if (TsCaptionButton* btn = ButtonByHT(HT); btn && btn->State >= 0) btn->State = 1;
    TitleButtonPressed = false;
    if (Repaint) RepaintButton(HT);
}

void TsSkinProvider::SetPressedHT(int HT) {
    if (HT != FCurrentHT && FCurrentHT > 0) {
        if (TsCaptionButton* old = ButtonByHT(FCurrentHT); old && old->State > 0) old->State = 0;
        RepaintButton(FCurrentHT);
    }
    if (HT == HTMAXBUTTON && !MaxEnabled() && !(IsZoomed(FForm->Handle()) && RestoreEnabled())) {
        FCurrentHT = 0;
        return;
    }
    FCurrentHT = HT;
    if (TsCaptionButton* btn = ButtonByHT(HT); btn && btn->State >= 0) btn->State = 2;
    TitleButtonPressed = true;
    RepaintButton(HT);
}

// ---- hit testing ------------------------------------------------------------------------------

int TsSkinProvider::ButtonIndexAt(TPoint P) const {
    if (!CloseVisible()) return 0;
    if (FButtonClose.Rect.Contains(P)) return 1;
    int n = 1;
    if (MaxVisible() && ++n && FButtonMax.Rect.Contains(P)) return n;
    if (MinVisible() && ++n && FButtonMin.Rect.Contains(P)) return n;
    if (HelpVisible() && ++n && FButtonHelp.Rect.Contains(P)) return n;
    return 0;
}

int TsSkinProvider::HTProcess(TMessage& Message) {
    HWND wnd = FForm->Handle();
    const TPoint screen = MessagePoint(Message);
    const TPoint p = CursorToPoint(screen.x, screen.y);
    const int i = ButtonIndexAt(p);
    if (i > 0) {
        int result = HTCLIENT;
        const bool minimized = IsIconic(wnd);
        const bool minShown = MinVisible() || minimized;
        auto minCode = [&] { return minimized || MinEnabled() ? HTMINBUTTON : HTCAPTION; };
        if (i == 1) {
            result = HTCLOSE;
        } else if (i == 2) {
            if (MaxVisible())
                result = MaxEnabled() || (RestoreEnabled() && !minimized) ? HTMAXBUTTON : HTCAPTION;
            else if (minShown)
                result = minCode();
            else if (HelpVisible())
                result = HTHELP;
        } else if (i == 3) {
            if (minShown)
                result = minCode();
            else if (HelpVisible())
                result = HTHELP;
        } else if (i == 4 && HelpVisible()) {
            result = HTHELP;
        }
        if (result != HTCLIENT) {
            SetHotHT(result, true);
            TrackNonClientLeave();
            return result;
        }
    }
    const int width = FForm->Width();
    const int height = FForm->Height();
    if (!IsZoomed(wnd) && IsSizeableWindow(wnd)) {
        const int b = WindowBorderWidth(wnd);
        const int t = WindowBorderHeight(wnd);
        int code = HTNOWHERE;
        if (p.y > height - b)
            code = HTBOTTOM;
        else if (p.y < t)
            code = HTTOP;
        if (p.x < b)
            code = code == HTBOTTOM ? HTBOTTOMLEFT : code == HTTOP ? HTTOPLEFT : HTLEFT;
        else if (p.x > width - b)
            code = code == HTBOTTOM ? HTBOTTOMRIGHT : code == HTTOP ? HTTOPRIGHT : HTRIGHT;
        if (code != HTNOWHERE) {
            SetHotHT(-1, true);
            return code;
        }
    }
    const int title = CaptionHeight(false) + WindowBorderHeight(wnd);
    if (p.y >= 0 && p.y <= title) {
        const int menuTop = WindowBorderHeight(wnd) + CaptionHeight(false);
        if (MenuHeight() > 0 && p.y >= menuTop && p.y <= menuTop + MenuHeight()) return HTMENU;
        return IconRect().Contains(p) ? HTSYSMENU : HTCAPTION;
    }
    if (p.y > title + MenuHeight()) {
        int code = HTCLIENT;
        TsSkinManager* manager = FCommonData->SkinManager();
        const int grip =
            manager->GetMaskIndex(manager->ConstData.IndexGLobalInfo, L"GLOBALINFO", L"GRIPIMAGE");
        if ((GripVisible() || InScrollBarsCorner(p)) && manager->IsValidImgIndex(grip)) {
            const TPoint pos = GripPos(grip);
            if (p.x >= pos.x && p.y >= pos.y) code = HTBOTTOMRIGHT;
        }
        SetHotHT(code == HTCLIENT ? 0 : code, true);
        return code;
    }
    return HTMENU;
}

// A hot button must go normal again when the mouse leaves the window from it: the system is
// asked for the non-client leave message, which it sends only when asked.
void TsSkinProvider::TrackNonClientLeave() {
    TRACKMOUSEEVENT track{sizeof(track), TME_QUERY, nullptr, 0};
    HWND wnd = FForm->Handle();
    if (TrackMouseEvent(&track) && track.hwndTrack == wnd &&
        (track.dwFlags & (TME_LEAVE | TME_NONCLIENT)) == (TME_LEAVE | TME_NONCLIENT))
        return;
    track = TRACKMOUSEEVENT{sizeof(track), TME_LEAVE | TME_NONCLIENT, wnd, 0};
    TrackMouseEvent(&track);
}

// The box between the ends of both skinned scroll bars of the form, which sizes the form as a
// grip would.
bool TsSkinProvider::InScrollBarsCorner(TPoint P) const {
    if (!ListSW || !ListSW->sBarVert.fScrollVisible || !ListSW->sBarHorz.fScrollVisible)
        return false;
    HWND wnd = FForm->Handle();
    const int left = OffsetX() + ClientWidthOf(wnd);
    const int top = OffsetY() + ClientHeightOf(wnd);
    const TRect box{left, top, left + GetSystemMetrics(SM_CXVSCROLL),
                    top + GetSystemMetrics(SM_CYHSCROLL)};
    return box.Contains(P);
}

void TsSkinProvider::AcWMNCHitTest(TMessage& Message) {
    if (!HasTitle() || !FDrawNonClientArea) {
        PassOn(Message);
        return;
    }
    const int code = HTProcess(Message);
    if (code == HTNOWHERE || code == HTCLIENT || code == HTCAPTION || code == HTMENU) {
        PassOn(Message);
        SetHotHT(0, true);
        return;
    }
    Message.Result = code;
}

// ---- mouse messages -----------------------------------------------------------------------

void TsSkinProvider::AcWMNCLButtonDown(TMessage& Message) {
    if (!FDrawNonClientArea) {
        if (Message.WParam == HTSYSMENU) SetHotHT(0, true);
        PassOn(Message);
        return;
    }
    HWND wnd = FForm->Handle();
    switch (Message.WParam) {
    case HTSYSMENU: {
        SetHotHT(0, true);
        if (!WaitForSecondClick()) return;
        RECT r{};
        GetWindowRect(wnd, &r);
        DropSysMenu(r.left + WindowBorderWidth(wnd),
                    r.top + BorderHeight(true) + IconRect().Height() + WindowBorderHeight(wnd));
        return;
    }
    case HTMENU: PassOn(Message); return;
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP: SetPressedHT(static_cast<int>(Message.WParam)); return;
    default: break;
    }
    if (IsIconic(wnd)) {
        SendMessageW(wnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        return;
    }
    SetHotHT(0, true);
    if (IsZoomed(wnd)) {
        const TPoint screen = MessagePoint(Message);
        if (CursorToPoint(screen.x, screen.y).y < WindowBorderHeight(wnd) + CaptionHeight(true)) {
            if (GetActiveWindow() != wnd) SetActiveWindow(wnd);
            return;
        }
    }
    PassOn(Message);
}

void TsSkinProvider::AcWMNCLButtonUp(TMessage& Message) {
    HWND wnd = FForm->Handle();
    TPoint screen = MessagePoint(Message);
    int code = static_cast<int>(Message.WParam);
    if (Message.Msg == WM_LBUTTONUP) {
        // A release in the client area ends a press that began on a title button.
        if (!TitleButtonPressed || !ButtonByHT(FCurrentHT)) {
            PassOn(Message);
            return;
        }
        code = FCurrentHT;
        ClientToScreen(wnd, &screen);
    }
    TsCaptionButton* btn = ButtonByHT(code);
    if (!FDrawNonClientArea || !btn) {
        PassOn(Message);
        return;
    }
    const bool pending = TitleButtonPressed && FCurrentHT == code &&
                         btn->Rect.Contains(CursorToPoint(screen.x, screen.y));
    if (!pending) {
        SetHotHT(0, true);
        PassOn(Message);
        return;
    }
    switch (code) {
    case HTMINBUTTON: {
        SetHotHT(0, true);
        const bool restore = IsIconic(wnd) && Application->MainForm() != FForm;
        SendMessageW(wnd, WM_SYSCOMMAND, restore ? SC_RESTORE : SC_MINIMIZE, 0);
        FCommonData->BGChanged = true;
        return;
    }
    case HTMAXBUTTON:
        if (!MaxEnabled() && !(IsZoomed(wnd) && RestoreEnabled())) return;
        SetHotHT(0, true);
        if (IsZoomed(wnd)) {
            FForm->SetWindowState(wsNormal);
            SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        }
        return;
    case HTCLOSE:
        // Drawn normal again at once: the form may stay (its close can be refused).
        SetHotHT(0, true);
        SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    default: // help
        SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        SetHotHT(0, true);
        SendMessageW(wnd, WM_NCPAINT, 0, 0);
        return;
    }
}

void TsSkinProvider::AcWMNCLButtonDblClk(TMessage& Message) {
    HWND wnd = FForm->Handle();
    if (Message.WParam == HTCAPTION) {
        if (CloseVisible() && (MaxEnabled() || RestoreEnabled())) {
            const bool restore = IsZoomed(wnd) || IsIconic(wnd);
            SendMessageW(wnd, WM_SYSCOMMAND, restore ? SC_RESTORE : SC_MAXIMIZE, 0);
        }
        Message.WParam = 0;
    } else if (Message.WParam == HTSYSMENU) {
        // The first click's wait learns of it and drops no menu after the close.
        ClosedByIcon = true;
        FForm->Close();
    }
}

// A click on the title icon drops the window menu only when no second click follows at once:
// a double click there closes the form. Answers whether the menu is still wanted.
bool TsSkinProvider::WaitForSecondClick() {
    const std::shared_ptr<bool> alive = FAlive;
    ClosedByIcon = false;
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; *alive && passed < SecondClickWait; passed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, SecondClickWait - passed, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    // The form (and this provider with it) may have gone meanwhile.
    if (!*alive) return false;
    Application->ProcessMessages();
    return *alive && !ClosedByIcon && FormShowing();
}

void TsSkinProvider::DropSysMenu(int X, int Y) {
    HWND wnd = FForm->Handle();
    HMENU menu = GetSystemMenu(wnd, FALSE);
    if (!menu) return;
    const bool zoomed = IsZoomed(wnd);
    const bool iconic = IsIconic(wnd);
    auto enable = [menu](UINT Command, bool On) {
        EnableMenuItem(menu, Command, MF_BYCOMMAND | (On ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_RESTORE, zoomed || iconic);
    enable(SC_MOVE, !zoomed);
    enable(SC_SIZE, !zoomed && !iconic && IsSizeableWindow(wnd));
    enable(SC_MINIMIZE, MinEnabled() && !iconic);
    enable(SC_MAXIMIZE, MaxEnabled() && !zoomed);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, X, Y, 0, wnd, nullptr));
    if (command) PostMessageW(wnd, WM_SYSCOMMAND, command, 0);
}

void TsSkinProvider::AcWMNCRButtonUp(TMessage& Message) {
    if (!HasBorder()) {
        PassOn(Message);
        return;
    }
    const int code = HTProcess(Message);
    Message.WParam = static_cast<WPARAM>(code);
    if (code == HTCAPTION || code == HTSYSMENU) {
        SetHotHT(0, true);
        const TPoint p = MessagePoint(Message);
        DropSysMenu(p.x, p.y);
    }
}

void TsSkinProvider::AcWMSysCommand(TMessage& Message) {
    HWND wnd = FForm->Handle();
    const WPARAM command = Message.WParam;
    // Dragging by the title: the form is painted whole before the system takes the mouse.
    if (command == (SC_MOVE | HTCAPTION)) FForm->Repaint();
    PassOn(Message);
    if (!FForm->HandleAllocated()) return;
    switch (command) {
    case SC_MINIMIZE: FCommonData->EmptyCacheBmp(); break;
    case SC_KEYMENU:
        if (Message.LParam == VK_SPACE && CloseVisible() && HasBorder()) {
            RECT r{};
            GetWindowRect(wnd, &r);
            DropSysMenu(r.left + WindowBorderWidth(wnd),
                        r.top + BorderHeight(true) + IconRect().Height());
        }
        break;
    case SC_MAXIMIZE:
    case SC_RESTORE:
        if (MaxVisible()) FCurrentHT = HTMAXBUTTON;
        SetHotHT(0, true);
        if (command == SC_RESTORE) {
            FCommonData->BGChanged = true;
            if (HasBorder())
                RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            else
                SetWindowRgn(wnd, nullptr, TRUE);
        }
        break;
    default: break;
    }
}
