// TsPanel's life cycle and window procedure. Skin changes always reach the children, whether
// they come from the panel's own manager or from another.
#include "skin/controls/sPanel.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sVclUtils.h"

TsPanel::TsPanel(TComponent* AOwner) : TPanel(AOwner), FCommonData(new TsCommonData(this, true)) {
    FCommonData->COC = 51;
}

TsPanel::~TsPanel() = default;

void TsPanel::AfterConstruction() {
    TPanel::AfterConstruction();
    FCommonData->Loaded();
}

void TsPanel::Loaded() {
    TPanel::Loaded();
    FCommonData->Loaded();
}

void TsPanel::Paint() {
    if (Showing() && OnPaint)
        OnPaint(this, Canvas());
    else
        TPanel::Paint();
}

void TsPanel::WndProc(TMessage& Message) {
    if (SkinCommandDone(Message)) return;
    if (Message.Msg == CM_MOUSEENTER && MouseMessageForSelf(Message, this)) OnMouseEnter(this);
    if (Message.Msg == CM_MOUSELEAVE && MouseMessageForSelf(Message, this)) OnMouseLeave(this);
    if (ControlReadyToPaint(this) && FCommonData->Skinned())
        SkinnedWndProc(Message);
    else
        TPanel::WndProc(Message);
}

bool TsPanel::SkinCommandDone(TMessage& Message) {
    if (AnswerAnyStateCommand(Message)) return true;
    const bool own = FromOwnManager(Message, FCommonData.get());
    switch (SkinCommand(Message)) {
    case SKCMD_SKINLOADED:
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
        PassMessageToChildren(this, Message);
        if (own) HandleSkinnedMessage(Message, FCommonData.get());
        return true;
    case SKCMD_SKINREMOVED:
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
        if (own) {
            HandleSkinnedMessage(Message, FCommonData.get());
            Invalidate();
        }
        PassMessageToChildren(this, Message);
        return true;
    case SKCMD_REPAINT:
        if (own) {
            HandleSkinnedMessage(Message, FCommonData.get());
            if (HandleAllocated() && !ComponentState().Contains(csLoading))
                RedrawWindow(Handle(), nullptr, nullptr,
                             RDW_FRAME | RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        }
        PassMessageToChildren(this, Message);
        return true;
    default: return false;
    }
}

// Skinned: the skin's queries are answered here and never reach the class library.
void TsPanel::SkinnedWndProc(TMessage& Message) {
    if (Message.Msg == SM_ALPHACMD) {
        if (!SkinnedCommand(Message)) HandleSkinCommand(Message, FCommonData.get());
        return;
    }
    if (PaintMessage(Message)) return;
    switch (Message.Msg) {
    case WM_SIZE: FCommonData->BGChanged = true; break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: TPanel::WndProc(Message); return;
    case WM_WINDOWPOSCHANGING:
        if (SectionHasTransparency(FCommonData.get())) FCommonData->BGChanged = true;
        break;
    case CM_VISIBLECHANGED:
        FCommonData->BGChanged = true;
        FCommonData->SetUpdating(false);
        TPanel::WndProc(Message);
        return;
    case CM_COLORCHANGED:
        if (FCommonData->CustomColor()) FCommonData->BGChanged = true;
        break;
    case CM_TEXTCHANGED:
        if (Parent()) FCommonData->Invalidate();
        return;
    default: break;
    }
    HandleSkinnedMessage(Message, FCommonData.get());
    TPanel::WndProc(Message);
    if (Message.Msg == WM_SETFONT && !Caption().empty()) {
        FCommonData->BGChanged = true;
        Repaint();
    }
    if (Message.Msg == CM_ENABLEDCHANGED) FCommonData->Invalidate();
}

// Commands 34 (the background for a child), 6 (painting may go on) and 10 (is it held back).
bool TsPanel::SkinnedCommand(TMessage& Message) {
    switch (SkinCommand(Message)) {
    case SKCMD_GETBGINFO:
        QueryBackground(*reinterpret_cast<TacBackgroundInfo*>(Message.LParam));
        return true;
    case SKCMD_UPDATEDONE:
        if (FCommonData->Updating()) {
            FCommonData->SetUpdating(false);
            FCommonData->SetUpdating(FCommonData->Updating());
            if (!FCommonData->Updating() && HandleAllocated())
                RedrawWindow(Handle(), nullptr, nullptr,
                             RDW_FRAME | RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        }
        RefreshChildControls(this);
        return true;
    case SKCMD_QUERYUPDATING: Message.Result = FCommonData->Updating(); return true;
    default: return false;
    }
}

// A child's pieces of the cache line up with the client area, which a border may move inside
// the window.
void TsPanel::QueryBackground(TacBackgroundInfo& Info) {
    if (FCommonData->BGChanged && !FCommonData->Updating()) PrepareCache();
    QueryBgInfo(FCommonData.get(), Info, false, nullptr);
    if (Info.Kind != 2 || Info.DrawRequested || !HandleAllocated()) return;
    POINT client{0, 0};
    ::ClientToScreen(Handle(), &client);
    RECT window;
    GetWindowRect(Handle(), &window);
    Info.Offset.x += client.x - window.left;
    Info.Offset.y += client.y - window.top;
}

bool TsPanel::PaintMessage(TMessage& Message) {
    const bool designing = ComponentState().Contains(csDesigning);
    switch (Message.Msg) {
    case WM_PAINT: {
        if (!Visible() && !designing) return false;
        const TPaintCycle cycle(Handle(), true);
        FCommonData->SetUpdating(FCommonData->Updating());
        const HDC dc = Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : cycle.DC();
        if (!BgNeedsCache(FCommonData.get()) || FCommonData->Updating()) {
            if (!ParentBackground()) OurPaint(dc, false);
        } else {
            const int saved = SaveDC(dc);
            PaintOnCanvas(dc, true);
            RestoreDC(dc, saved);
        }
        Message.Result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        FCommonData->SetUpdating(FCommonData->Updating());
        if (!BgNeedsCache(FCommonData.get()) && !FCommonData->Updating())
            OurPaint(reinterpret_cast<HDC>(Message.WParam), false);
        Message.Result = 1;
        return true;
    case WM_PRINT: {
        FCommonData->SetUpdating(false);
        if (!ControlReadyToPaint(this)) return true;
        const bool cached = BgNeedsCache(FCommonData.get());
        if (!cached && !FCommonData->CacheBmp()) FCommonData->InitCacheBmp();
        PrepareCache();
        RepaintCorners(FCommonData.get(), 0);
        PaintOnCanvas(reinterpret_cast<HDC>(Message.WParam), false);
        if (!cached) FCommonData->FreeCacheBmp();
        return true;
    }
    default: return false;
    }
}
