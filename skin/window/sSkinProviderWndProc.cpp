// The provider's window procedure: skin commands in every state, the unskinned tracking of skin
// changes, and the window messages it takes over while skinned. Whatever it does not take over
// goes on to the form's previous procedure.
#include "skin/window/sSkinProvider.h"

#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "skin/engine/sGeneralUtils.h"
#include "skin/engine/sVclUtils.h"

#include <algorithm>
#include <commctrl.h>

namespace {

bool Loading(const TComponent* Component) {
    const TComponentState state = Component->ComponentState();
    return state.Contains(csLoading) || state.Contains(csReading);
}

bool Creating(TCustomForm* Form) { return Form->FormState().Contains(fsCreating); }

bool ClipBoxEmpty(HDC DC) {
    RECT r{};
    return GetClipBox(DC, &r) == NULLREGION;
}

} // namespace

void TsSkinProvider::NewWndProc(TMessage& Message) {
    if (Message.Msg == SM_ALPHACMD && HandleSkinCommandAlways(Message)) return;
    if (!IsSkinned()) {
        if (Message.Msg == SM_ALPHACMD) {
            const WORD command = SkinCommandOf(Message.WParam);
            if (command == SKCMD_GETPROVIDER) {
                Message.Result = reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(this));
                return;
            }
            if (command == SKCMD_SKINLOADED && FForm &&
                !FForm->ComponentState().Contains(csDestroying) &&
                reinterpret_cast<TsSkinManager*>(Message.LParam) == FCommonData->SkinManager()) {
                SkinLoaded(Message);
                return;
            }
        }
        PassOn(Message);
        return;
    }
    if (Message.Msg == SM_ALPHACMD)
        HandleSkinCommandSkinned(Message);
    else
        HandleSkinnedWindowMessage(Message);
}

// ---- skin commands -----------------------------------------------------------------------

bool TsSkinProvider::HandleSkinCommandAlways(TMessage& Message) {
    TsSkinManager* manager = FCommonData->SkinManager();
    const bool own = reinterpret_cast<TsSkinManager*>(Message.LParam) == manager;
    switch (SkinCommandOf(Message.WParam)) {
    case SKCMD_SKINLOADED:
        if (FForm && !FForm->ComponentState().Contains(csDestroying) && own && !SystemMenuReady)
            PrepareForm();
        return false;
    case SKCMD_SKINREMOVED:
        if (own)
            RestoreUnskinned();
        else if (FForm)
            PassMessageToChildren(FForm, Message);
        return true;
    case SKCMD_ISSKINNED: Message.Result = 1; return true;
    case SKCMD_GETBGINFO: {
        auto& info = *reinterpret_cast<TacBackgroundInfo*>(Message.LParam);
        if (FCommonData->BGChanged && !FCommonData->Updating() && BgNeedsCache(FCommonData.get()))
            PrepareNCCache();
        if (info.DrawRequested) {
            info.Offset.x += OffsetX();
            info.Offset.y += OffsetY();
        }
        QueryBgInfo(FCommonData.get(), info, FFormActive, FForm ? FForm->Handle() : nullptr);
        if (info.Kind == 2 && !info.DrawRequested) {
            if (!info.Bmp) {
                PrepareNCCache();
                info.Bmp = FCommonData->CacheBmp();
            }
            info.Offset = POINT{OffsetX(), OffsetY()};
        }
        return true;
    }
    case SKCMD_CTRLSTATE: Message.Result = FCommonData->CtrlSkinState; return true;
    case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;
    case SKCMD_GETOFFSETS: Message.Result = MAKELONG(OffsetX(), OffsetY()); return true;
    default: return false;
    }
}

// The unskinned look comes back: the system frame, no region, the class library's colours.
void TsSkinProvider::RestoreUnskinned() {
    TMessage removed = BuildMessageRecord(SM_ALPHACMD, SkinWParam(SKCMD_SKINREMOVED),
                                          reinterpret_cast<LPARAM>(FCommonData->SkinManager()));
    ReleaseHandler(ListSW);
    if (FAdapter) {
        FAdapter->WndProc(removed);
        FAdapter.reset();
    }
    if (FForm && FForm->HandleAllocated()) DisableDwmTransitions(FForm->Handle(), false);
    HandleSkinCommand(removed, FCommonData.get());
    FLinesCount = -1;
    FTitleSkinIndex = -1;
    FCaptionSkinIndex = -1;
    if (!FForm) return;
    PassMessageToChildren(FForm, removed);
    if (FForm->ComponentState().Contains(csDestroying)) return;
    if (FCommonData->SkinManager() && FForm->HandleAllocated()) {
        CheckSysMenu(false);
        if (HasBorder() && !InMenu) SetWindowRgn(FForm->Handle(), nullptr, TRUE);
        UpdateExtBorders(false);
        RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    for (int i = 0; i < FForm->ControlCount(); ++i)
        if (auto* label = dynamic_cast<TLabel*>(FForm->Controls(i)))
            label->Font()->SetColor(clWindowText);
    if (FUseGlobalColor && !FCommonData->CustomColor()) FForm->SetColor(clBtnFace);
    FCommonData->FreeCacheBmp();
    ArOR.clear();
}

// Command 1 of the link's manager while unskinned: the form takes the new skin.
void TsSkinProvider::SkinLoaded(TMessage&) {
    TsSkinManager* manager = FCommonData->SkinManager();
    FCommonData->UpdateIndexes();
    FTitleSkinIndex = -1;
    FTitleSkinIndex = TitleSkinIndex();
    FCaptionSkinIndex = manager->GetSkinIndex(L"CAPTION");
    UpdateIconsIndexes();
    CheckSysMenu(true);
    FCommonData->BGChanged = true;
    FLinesCount = -1;
    if (FUseGlobalColor && !FCommonData->CustomColor()) FForm->SetColor(manager->GetGlobalColor());
    if (FForm->HandleAllocated()) DisableDwmTransitions(FForm->Handle(), true);
    CreateAdapter();
}

void TsSkinProvider::HandleSkinCommandSkinned(TMessage& Message) {
    TsSkinManager* manager = FCommonData->SkinManager();
    const bool own = reinterpret_cast<TsSkinManager*>(Message.LParam) == manager;
    const TsGeneralData& section = manager->gd[FCommonData->SkinIndex];
    HWND wnd = FForm->HandleAllocated() ? FForm->Handle() : nullptr;
    switch (SkinCommandOf(Message.WParam)) {
    case SKCMD_SKINLOADED:
        if (!own) return;
        FCommonData->UpdateIndexes();
        FTitleSkinIndex = -1;
        FTitleSkinIndex = TitleSkinIndex();
        FCaptionSkinIndex = manager->GetSkinIndex(L"CAPTION");
        UpdateIconsIndexes();
        CheckSysMenu(FDrawNonClientArea);
        FCommonData->BGChanged = true;
        FLinesCount = -1;
        if (wnd) SendMessageW(wnd, WM_NCPAINT, 0, 0);
        return;
    case SKCMD_REPAINT:
        if (!own) return;
        CreateAdapter();
        if (FDrawNonClientArea) UpdateScrollWnd();
        FLinesCount = -1;
        TitleBG.reset();
        if (HasBorder()) RgnChanged = true;
        if (FormShowing()) {
            FCommonData->BGChanged = true;
            if (!FormAnimating)
                RedrawWindow(wnd, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW |
                                 RDW_FRAME);
            if (FUseGlobalColor && !FCommonData->CustomColor())
                FForm->SetColor(manager->GetGlobalColor());
            FCommonData->SetUpdating(false);
            if (FAdapter) FAdapter->WndProc(Message);
        }
        return;
    case SKCMD_GETPROVIDER:
        Message.Result = reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(this));
        return;
    case SKCMD_SETUPDATING:
        FCommonData->SetUpdating(SkinParameterOf(Message.WParam) == 1);
        if (SkinParameterOf(Message.WParam) == 1) FCommonData->BGChanged = true;
        return;
    case SKCMD_SETURGENT:
        HandleSkinnedMessage(Message, FCommonData.get());
        if (FCommonData->UrgentPainting) PrepareNCCache();
        return;
    case SKCMD_QUERYUPDATING:
        Message.Result =
            !FormAnimating && BgNeedsCache(FCommonData.get()) && FCommonData->Updating();
        return;
    case SKCMD_QUERYTEXTURED:
        Message.Result = section.GradientPercent + section.ImagePercent > 0;
        Message.LParam = Message.Result;
        return;
    case SKCMD_GETBGCOLOR: Message.Result = static_cast<LRESULT>(FormColor()); return;
    case SKCMD_CONTROLPLACED:
        if (FAdapter && !Loading(FForm)) {
            auto* control = reinterpret_cast<TWinControl*>(Message.LParam);
            if (control)
                FAdapter->AddNewItem(control);
            else
                FAdapter->AddAllItems();
        }
        return;
    case SKCMD_SCROLLSTART:
        if (FCommonData->RepaintIfMoved() && wnd) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
        return;
    case SKCMD_SCROLLEND:
        if (FCommonData->RepaintIfMoved() && wnd) {
            SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(wnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
        return;
    default: return; // the border window's and the adapter's commands come later
    }
}

// ---- window messages while skinned -------------------------------------------------------

void TsSkinProvider::HandleSkinnedWindowMessage(TMessage& Message) {
    HWND wnd = FForm->HandleAllocated() ? FForm->Handle() : nullptr;
    switch (Message.Msg) {
    case WM_CREATE:
        TitleBG.reset();
        PassOn(Message);
        if (FForm->FormStyle() != fsMDIChild) PrepareForm();
        return;
    case WM_NCCREATE:
        PassOn(Message);
        if (FForm->FormStyle() != fsMDIChild) PrepareForm();
        return;
    case WM_SIZE: AcWMSize(Message); return;
    case WM_ACTIVATE:
        PassOn(Message);
        if (!FormShowing()) return;
        if (!ListSW && FDrawNonClientArea) UpdateScrollWnd();
        if (Creating(FForm)) return;
        FLinesCount = -1;
        if (FForm->BorderStyle() == bsNone) RefreshChildControls(FForm);
        return;
    case WM_SETREDRAW:
        FLockCount = Message.WParam == 1 ? std::max(0, FLockCount - 1) : FLockCount + 1;
        PassOn(Message);
        return;
    case WM_SETTEXT:
        if (!FormShowing() || Creating(FForm) || !FDrawNonClientArea) {
            PassOn(Message);
            return;
        }
        // The system writes its own caption while it sets the text; ours goes over it again.
        FCommonData->BGChanged = true;
        PassOn(Message);
        RepaintNonClient();
        return;
    case WM_PAINT: AcWMPaint(Message); return;
    case WM_ERASEBKGND: AcWMEraseBkgnd(Message); return;
    case WM_SHOWWINDOW:
        if (FForm->FormStyle() != fsMDIChild) {
            const bool layered = GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED;
            if (Message.WParam == 1 && IsDwmComposing() && !FormAnimating && !layered)
                RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_INVALIDATE);
            if (Message.LParam == 1)
                ShowAction = IsIconic(wnd) ? saMinimize : IsZoomed(wnd) ? saMaximize : saRestore;
        }
        PassOn(Message);
        return;
    case WM_SETTINGCHANGE:
        FCommonData->BGChanged = true;
        TitleBG.reset();
        PassOn(Message);
        return;
    case WM_GETMINMAXINFO: AcWMGetMinMaxInfo(Message); return;
    case WM_WINDOWPOSCHANGING:
        if (FRgnChanging) return;
        PassOn(Message);
        return;
    case WM_SETICON:
        PassOn(Message);
        RepaintNonClient();
        return;
    case WM_NOTIFY:
        PassOn(Message);
        // The page a tab control shows now may hold controls that were never hooked.
        if (Message.LParam && reinterpret_cast<NMHDR*>(Message.LParam)->code == TCN_SELCHANGE &&
            FAdapter)
            FAdapter->AddAllItems();
        return;
    case WM_PARENTNOTIFY: AcWMParentNotify(Message); return;
    case CM_CONTROLLISTCHANGE: AcCMControlListChange(Message); return;
    case WM_NCHITTEST: AcWMNCHitTest(Message); return;
    case WM_NCPAINT:
        if (!FDrawNonClientArea) {
            PassOn(Message);
            return;
        }
        if (IsIconic(wnd)) FCommonData->BGChanged = true;
        if (!FormShowing() || Loading(this) || !SystemMenuReady) return;
        CreateAdapter();
        PaintAll();
        Message.Result = 0;
        return;
    case WM_NCACTIVATE: AcWMNCActivate(Message); return;
    case 0x93:
    case CM_INVALIDATE:
    case CM_CONTROLLISTCHANGING:
    case 0xBC4D: Message.Result = 0; return;
    case WM_NCLBUTTONDOWN: AcWMNCLButtonDown(Message); return;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: AcWMNCLButtonUp(Message); return;
    case WM_NCLBUTTONDBLCLK: AcWMNCLButtonDblClk(Message); return;
    case WM_NCRBUTTONDOWN:
        if (Message.WParam == HTCAPTION || Message.WParam == HTSYSMENU) return;
        PassOn(Message);
        return;
    case WM_NCRBUTTONUP: AcWMNCRButtonUp(Message); return;
    case 0x313: { // the taskbar button asks for the window menu
        POINT p{};
        GetCursorPos(&p);
        DropSysMenu(p.x, p.y);
        return;
    }
    case WM_SYSCOMMAND: AcWMSysCommand(Message); return;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
        SetHotHT(0, true);
        PassOn(Message);
        return;
    case WM_MOUSEMOVE:
        PassOn(Message);
        // The pointer is over the form itself now: no control of the manager stays hot.
        if (DefaultSkinManager) DefaultSkinManager->WriteActiveControl(nullptr);
        return;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        InMenu = Message.Msg == WM_ENTERMENULOOP;
        PassOn(Message);
        return;
    case WM_INITMENUPOPUP:
        if (HIWORD(Message.LParam))
            EnableMenuItem(reinterpret_cast<HMENU>(Message.WParam), SC_SIZE,
                           MF_BYCOMMAND | MF_GRAYED);
        PassOn(Message);
        return;
    case WM_ENTERIDLE: Message.Result = 0; return;
    case WM_PRINT: AcWMPrint(Message); return;
    case WM_PRINTCLIENT:
    case CM_RECREATEWND: return;
    case CM_VISIBLECHANGED:
        PassOn(Message);
        if (Message.WParam == 0) {
            if (!FForm->ComponentState().Contains(csDestroying)) FCommonData->EmptyCacheBmp();
            KillAnimations();
        } else if (FForm->Parent()) {
            RefreshChildControls(FForm);
        }
        return;
    case CM_ENABLEDCHANGED:
        PassOn(Message);
        if (FDrawNonClientArea) {
            FCommonData->BGChanged = true;
            if (wnd) SendMessageW(wnd, WM_NCPAINT, 0, 0);
        }
        return;
    case CM_COLORCHANGED:
        if (!FCommonData->CustomColor()) return;
        if (!Creating(FForm)) FCommonData->BGChanged = true;
        PassOn(Message);
        return;
    case CM_MENUCHANGED:
        if (!Creating(FForm) && FForm->Visible()) MenuChanged = true;
        PassOn(Message);
        return;
    case CM_SHOWINGCHANGED:
        if (FCommonData->BGChanged && FormShowing() && FDrawNonClientArea) {
            if (FAdapter) FAdapter->AddAllItems();
            FCommonData->SetUpdating(false);
            UpdateExtBorders(FCommonData->SkinManager()->ReadExtendedBorders());
            PassOn(Message);
            UpdateScrollWnd();
            return;
        }
        PassOn(Message);
        return;
    default: PassOn(Message); return;
    }
}

// A window created or destroyed among the form's children: the new one is hooked and every
// child works its skin state out again.
void TsSkinProvider::AcWMParentNotify(TMessage& Message) {
    const WORD event = LOWORD(Message.WParam);
    PassOn(Message);
    if (Loading(this) || Loading(FForm) || (event != WM_CREATE && event != WM_DESTROY)) return;
    if (event == WM_CREATE && FAdapter) FAdapter->AddAllItems();
    TMessage state = BuildMessageRecord(SM_ALPHACMD, SkinWParam(SKCMD_CTRLSTATE), 1);
    PassMessageToChildren(FForm, state);
    if (FDrawNonClientArea && ListSW) RefreshScrollBars(ListSW, true);
}

// A control placed on the form at run time gets its handler at once.
void TsSkinProvider::AcCMControlListChange(TMessage& Message) {
    PassOn(Message);
    auto* control = dynamic_cast<TWinControl*>(reinterpret_cast<TControl*>(Message.WParam));
    // A control taken off the form keeps no handler from it.
    if (!control || !Message.LParam) return;
    if (FAdapter) FAdapter->AddNewItem(control);
    TMessage state = BuildMessageRecord(SM_ALPHACMD, SkinWParam(SKCMD_CTRLSTATE), 1);
    PassMessageToChildren(control, state);
    control->Perform(SM_ALPHACMD, SkinWParam(SKCMD_CTRLSTATE), 1);
}

void TsSkinProvider::AcWMSize(TMessage& Message) {
    HWND wnd = FForm->Handle();
    TRect client;
    GetClientRect(wnd, &client);
    const bool shrank =
        client.right < LastClientRect.right || client.bottom < LastClientRect.bottom;
    const bool grew = client.right > LastClientRect.right || client.bottom > LastClientRect.bottom;
    const bool wasEmpty = LastClientRect.right <= 0 || LastClientRect.bottom <= 0;
    TsSkinManager* manager = FCommonData->SkinManager();
    const TsGeneralData& section = manager->gd[FCommonData->SkinIndex];
    const BOOL erase = (FCommonData->CtrlSkinState & 1) != 0;
    // The piece of a corner image (or the grip) that lay at the old corner, or now lies at the
    // new one, is painted again: the rest of the client keeps its pixels while it is sized.
    auto invalidateCorner = [&](const TRect& Client, int Mask, bool Top) {
        if (!manager->IsValidImgIndex(Mask)) return;
        const TsMaskData& mask = manager->ma[Mask];
        const int w = MaskStateWidth(mask);
        const int h = MaskStateHeight(mask);
        const int top = Top ? Client.top : Client.bottom - h;
        const RECT r{Client.right - w, top, Client.right, top + h};
        InvalidateRect(wnd, &r, erase);
    };
    const int grip =
        manager->GetMaskIndex(manager->ConstData.IndexGLobalInfo, L"GLOBALINFO", L"GRIPIMAGE");
    if (GripVisible()) {
        if (grew && erase && !wasEmpty) invalidateCorner(LastClientRect, grip, false);
        if (shrank) invalidateCorner(client, grip, false);
    }
    if (shrank || wasEmpty) {
        const UnicodeString name = FCommonData->SkinSection();
        const int index = FCommonData->SkinIndex;
        if (!wasEmpty) {
            invalidateCorner(LastClientRect, manager->GetMaskIndex(index, name, L"IMGTOPRIGHT"),
                             true);
            invalidateCorner(LastClientRect, manager->GetMaskIndex(index, name, L"IMGBTMRIGHT"),
                             false);
        }
        if (section.GradientPercent > 0) InvalidateRect(wnd, nullptr, TRUE);
    }
    LastClientRect = client;
    PassOn(Message);
    if (FormAnimating) return;
    if (!FormShowing()) {
        FCommonData->BGChanged = true;
        return;
    }
    if (!CacheSizeChanged() || (IsIconic(wnd) && IsDwmComposing())) return;
    RgnChanged = true;
    FCommonData->BGChanged = true;
    FLinesCount = -1;
    if (FDrawNonClientArea) SendMessageW(wnd, WM_NCPAINT, 0, 0);
    TBitmap* cache = FCommonData->CacheBmp();
    if (!IsDwmComposing() && (!cache || BgNeedsCache(FCommonData.get())) && cache &&
        (cache->Width() > FForm->Width() || cache->Height() > FForm->Height()))
        InvalidateRect(wnd, nullptr, FALSE);
}

void TsSkinProvider::AcWMNCActivate(TMessage& Message) {
    if (FForm->ComponentState().Contains(csDestroying)) {
        PassOn(Message);
        return;
    }
    HWND wnd = FForm->Handle();
    const bool active = Message.WParam != 0;
    if (active != FFormActive) FCommonData->BGChanged = true;
    FFormActive = active;
    if (active || ShowAction != saMaximize) {
        FCommonData->SetUpdating(ShowAction == saMaximize);
        if (ShowAction != saMaximize) FCommonData->BGChanged = true;
    } else {
        ShowAction = saIgnore;
    }
    if (FormShowing() && IsDwmComposing()) {
        // The system must not draw its own title meanwhile.
        const LONG style = GetWindowLongW(wnd, GWL_STYLE);
        SetWindowLongW(wnd, GWL_STYLE, style & ~WS_VISIBLE);
        PassOn(Message);
        SetWindowLongW(wnd, GWL_STYLE, style);
    } else if (FormShowing() && FDrawNonClientArea) {
        // -1 asks the default handling not to draw the system's title: ours follows below.
        const LPARAM saved = Message.LParam;
        Message.LParam = -1;
        PassOn(Message);
        Message.LParam = saved;
    } else {
        PassOn(Message);
    }
    if (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) SendMessageW(wnd, WM_NCPAINT, 0, 0);
    if (Creating(FForm)) return;
    if (HasBorder()) FLinesCount = -1;
    SendMessageW(wnd, WM_NCPAINT, 0, 0);
    if (FCommonData->Skinned()) CreateAdapter();
}

void TsSkinProvider::AcWMPaint(TMessage& Message) {
    if (FForm->ControlState().Contains(csPaintCopy)) return;
    HWND wnd = FForm->Handle();
    if (BgNeedsCache(FCommonData.get())) {
        if (!FormShowing()) {
            if (FForm->AlphaBlend()) PassOn(Message);
            return;
        }
        if (!(FormAnimating && Message.WParam == 0)) {
            PAINTSTRUCT ps;
            HDC dc = FormAnimating ? reinterpret_cast<HDC>(Message.WParam) : BeginPaint(wnd, &ps);
            FCommonData->SetUpdating(false);
            if (!FForm->ComponentState().Contains(csDestroying)) PaintClient(dc, true);
            if (!FormAnimating) EndPaint(wnd, &ps);
        }
        if (FForm->FormStyle() == fsMDIForm) {
            TFormWindowDC dc(wnd, reinterpret_cast<HDC>(Message.WParam));
            PaintGraphicChildren(dc.DC(), FForm, TPoint{0, 0});
        }
        Message.Result = 0;
    } else {
        if (!FormShowing()) {
            PassOn(Message);
            return;
        }
        if (FCommonData->BGChanged) InvalidateRect(wnd, nullptr, TRUE);
        PAINTSTRUCT ps;
        BeginPaint(wnd, &ps);
        EndPaint(wnd, &ps);
        Message.Result = 0;
    }
    FForm->OnPaint(FForm);
}

void TsSkinProvider::AcWMEraseBkgnd(TMessage& Message) {
    if (!FormShowing()) {
        PassOn(Message);
        return;
    }
    HWND wnd = FForm->Handle();
    auto* given = reinterpret_cast<HDC>(Message.WParam);
    if (FForm->ControlState().Contains(csPaintCopy) ||
        static_cast<WPARAM>(Message.LParam) == Message.WParam) {
        if (given) {
            if (FCommonData->BGChanged) PrepareNCCache();
            if ((FCommonData->CtrlSkinState & 1) == 0 && !FCommonData->BGChanged &&
                FCommonData->CacheBmp())
                BitBlt(given, 0, 0, ClientWidthOf(wnd), ClientHeightOf(wnd),
                       FCommonData->CacheBmp()->Canvas()->Handle(), OffsetX(), OffsetY(), SRCCOPY);
            else
                PaintClient(given, false);
        }
        Message.Result = 1;
        return;
    }
    if (!BgNeedsCache(FCommonData.get())) {
        const bool takeOwn = !given || (IsDwmComposing() && ClipBoxEmpty(given));
        TFormWindowDC dc(wnd, takeOwn ? nullptr : given);
        EraseClient(dc.DC());
        Message.Result = 1;
        return;
    }
    if (!FCommonData->Updating() && given && ClipBoxEmpty(given)) {
        RefreshChildControls(FForm);
        return;
    }
    Message.Result = 1;
}

void TsSkinProvider::AcWMPrint(TMessage& Message) {
    if (!FormShowing() || Loading(this) || Creating(FForm) ||
        FForm->ComponentState().Contains(csDestroying))
        return;
    FCommonData->SetUpdating(false);
    auto* dc = reinterpret_cast<HDC>(Message.WParam);
    HWND wnd = FForm->Handle();
    if (FDrawNonClientArea && HasBorder()) PaintForm(dc);
    const int state = SaveDC(dc);
    POINT old;
    OffsetViewportOrgEx(dc, OffsetX(), OffsetY(), &old);
    IntersectClipRect(dc, 0, 0, ClientWidthOf(wnd), ClientHeightOf(wnd));
    PaintClient(dc, true);
    // A plain background is a fill: the graphic children go over it here.
    if (FCommonData->CtrlSkinState & 1) PaintGraphicChildren(dc, FForm, TPoint{0, 0});
    RunOnPaint(dc, 0, 0);
    RestoreDC(dc, state);
}
