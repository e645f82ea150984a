// The hint window: a topmost popup without frame. The hint is drawn once into a buffer (a
// framed info-coloured box with the text, in the tree's font for tooltips); the window shows
// the buffer, or, while animating, the buffer faded over the captured screen behind it or slid
// down over it, one frame per timer tick until the animation's duration is over.
#include "vtree/VTHint.h"

#include "vtree/VTDrawTree.h"

#include <algorithm>

namespace {

constexpr UINT_PTR AnimationTimer = 1;
constexpr UINT FrameInterval = 10; // ms between frames

} // namespace

TVirtualTreeHintWindow::TVirtualTreeHintWindow(TComponent* AOwner)
    : THintWindow(AOwner), FBackground(new TBitmap(0, 0, pf32bit)),
      FDrawBuffer(new TBitmap(0, 0, pf32bit)), FTarget(new TBitmap(0, 0, pf32bit)) {
    SetVisible(false);
    SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
}

TVirtualTreeHintWindow::~TVirtualTreeHintWindow() = default;

void TVirtualTreeHintWindow::CreateParams(TCreateParams& Params) {
    THintWindow::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = nullptr;
}

// The framework's hint font: the system's status font.
TFont* TVirtualTreeHintWindow::HintFont() {
    if (!FHintFont) {
        FHintFont.reset(new TFont);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            FHintFont->SetHandle(CreateFontIndirectW(&metrics.lfStatusFont));
        FHintFont->SetColor(clInfoText);
    }
    return FHintFont.get();
}

TRect TVirtualTreeHintWindow::CalcHintRect(int MaxWidth, const TVTHintData& Data) {
    FHintData = Data;
    TVirtualTreeWindow* tree = Data.Tree;
    if (!tree) return {};
    if (dynamic_cast<TCustomVirtualDrawTree*>(tree) && Data.Node) return Data.HintRect;
    const bool tooltip = tree->HintMode == hmTooltip && Data.Node;
    TCanvas* canvas = FDrawBuffer->Canvas();
    canvas->SetFont(tooltip ? tree->Font() : HintFont());
    if (tooltip) tree->DoPaintHintText(Data.Node, canvas, Data.Column);
    FTextHeight = canvas->TextHeight(L"Wg");
    FHintData.HintText = Data.DefaultHint;
    if (FHintData.HintText.empty()) {
        FHintData.HintText =
            tooltip ? tree->DoGetNodeTooltipText(Data.Node, Data.Column, FHintData.LineBreakStyle)
                    : tree->DoGetNodeHintText(Data.Node, Data.Column, FHintData.LineBreakStyle);
    }
    if (FHintData.HintText.empty()) return {};
    const int margin = tree->Tree()->TextMargin;
    if (tooltip) {
        if (FHintData.LineBreakStyle == hlbDefault)
            FHintData.LineBreakStyle =
                Data.Node->States.Contains(vsMultiline) ? hlbForceMultiLine : hlbForceSingleLine;
        TRect r = Data.HintRect;
        if (FHintData.LineBreakStyle == hlbForceMultiLine) {
            TRect measured = r;
            canvas->TextRect(measured, FHintData.HintText, {tfCalcRect, tfWordBreak, tfNoPrefix});
            r.right = measured.right + margin + 1;
            r.bottom = measured.bottom;
        } else if (tree->Tree()->TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) {
            --r.bottom;
        }
        InflateRect(&r, 1, 1);
        OffsetRect(&r, -r.left, -r.top);
        return r;
    }
    TRect r{0, 0, MaxWidth, FTextHeight};
    canvas->TextRect(r, FHintData.HintText, {tfCalcRect, tfWordBreak, tfNoPrefix});
    return {0, 0, r.right + 2 * margin + 2, r.bottom + 6};
}

void TVirtualTreeHintWindow::ActivateHint(TRect Rect) {
    if (Rect.Width() <= 0 || Rect.Height() <= 0) return ReleaseHint();
    KillTimer(Handle(), AnimationTimer);
    FAnimation = hatNone;
    TRect desktop;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    if (Rect.bottom > desktop.bottom) OffsetRect(&Rect, 0, desktop.bottom - Rect.bottom);
    if (Rect.right > desktop.right) OffsetRect(&Rect, desktop.right - Rect.right, 0);
    if (Rect.top < desktop.top) OffsetRect(&Rect, 0, desktop.top - Rect.top);
    if (Rect.left < desktop.left) OffsetRect(&Rect, desktop.left - Rect.left, 0);
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Rect.Width(), Rect.Height(),
                 SWP_NOACTIVATE | SWP_HIDEWINDOW);
    for (TBitmap* bitmap : {FBackground.get(), FDrawBuffer.get(), FTarget.get()})
        bitmap->SetSize(Rect.Width(), Rect.Height());
    if (FHintData.Tree && FHintData.Tree->HandleAllocated()) FHintData.Tree->Update();
    {
        TScreenDC screen;
        BitBlt(FBackground->Canvas()->Handle(), 0, 0, Rect.Width(), Rect.Height(), screen.Get(),
               Rect.left, Rect.top, SRCCOPY);
    }
    BuildBuffer();
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Rect.Width(), Rect.Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    const THintAnimationType animation =
        FHintData.Tree ? FHintData.Tree->EffectiveHintAnimation() : hatNone;
    if (animation == hatNone) return Invalidate();
    ValidateRect(Handle(), nullptr);
    FAnimation = animation;
    FSteps = animation == hatFade ? 255 : Rect.Height();
    const Cardinal duration = FHintData.Tree->Tree()->AnimationDuration;
    FDuration = std::max<DWORD>(1, animation == hatFade ? 2 * duration : duration);
    FStart = GetTickCount();
    ShowStep(0, false);
    if (!SetTimer(Handle(), AnimationTimer, FrameInterval, nullptr)) RaiseLastOSError(L"SetTimer");
}

TRect TVirtualTreeHintWindow::CalcHintRect(int MaxWidth, const UnicodeString&, void* AData) {
    return AData ? CalcHintRect(MaxWidth, *static_cast<const TVTHintData*>(AData)) : TRect{};
}

void TVirtualTreeHintWindow::ActivateHint(TRect Rect, const UnicodeString&) { ActivateHint(Rect); }

void TVirtualTreeHintWindow::ActivateHintData(TRect Rect, const UnicodeString&, void*) {
    ActivateHint(Rect);
}

void TVirtualTreeHintWindow::ReleaseHandle() {
    ReleaseHint();
    THintWindow::ReleaseHandle();
}

void TVirtualTreeHintWindow::ReleaseHint() {
    if (!HandleAllocated()) return;
    KillTimer(Handle(), AnimationTimer);
    FAnimation = hatNone;
    ShowWindow(Handle(), SW_HIDE);
    FHintData = {};
}

void TVirtualTreeHintWindow::AnimationTick() {
    const DWORD elapsed = GetTickCount() - FStart;
    if (elapsed >= FDuration || !IsWindowVisible(Handle())) {
        KillTimer(Handle(), AnimationTimer);
        FAnimation = hatNone;
        return ShowStep(0, true);
    }
    ShowStep(static_cast<int>(static_cast<Int64>(elapsed) * FSteps / FDuration), false);
}

void TVirtualTreeHintWindow::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCPAINT: return;
    case WM_TIMER:
        if (Message.WParam == AnimationTimer) return AnimationTick();
        break;
    default: break;
    }
    THintWindow::Dispatch(Message);
}

void TVirtualTreeHintWindow::BuildBuffer() {
    TCanvas* canvas = FDrawBuffer->Canvas();
    const int width = FDrawBuffer->Width(), height = FDrawBuffer->Height();
    auto* drawTree = dynamic_cast<TCustomVirtualDrawTree*>(FHintData.Tree);
    if (drawTree && FHintData.Node) {
        drawTree->OnDrawHint(drawTree, canvas, FHintData.Node, TRect{0, 0, width, height},
                             FHintData.Column);
        return;
    }
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetColor(clInfoBk);
    canvas->Rectangle(0, 0, width, height);
    TVirtualTreeWindow* tree = FHintData.Tree;
    const bool tooltip = tree && tree->HintMode == hmTooltip && FHintData.Node;
    if (tooltip) {
        canvas->SetFont(tree->Font());
        tree->DoPaintHintText(FHintData.Node, canvas, FHintData.Column);
    } else {
        canvas->SetFont(HintFont());
    }
    canvas->Font()->SetColor(clInfoText);
    canvas->Brush()->SetStyle(bsClear);
    const int margin = tree ? tree->Tree()->TextMargin : 4;
    const bool multiLine = FHintData.LineBreakStyle == hlbForceMultiLine;
    const int textHeight = canvas->TextHeight(L"Wg");
    const int top = tooltip ? (multiLine ? 1 : (height - textHeight) / 2) : 2;
    TRect r{1 + margin, top, width - 1, height - 1};
    TTextFormat format{tfNoPrefix};
    if (multiLine) format.Include(tfWordBreak);
    if (FHintData.BidiMode != bdLeftToRight) {
        r = {1, top, width - margin, height - 1};
        format.Include(tfRight);
        format.Include(tfRtlReading);
    }
    canvas->TextRect(r, FHintData.HintText, format);
}

void TVirtualTreeHintWindow::ShowStep(int Step, bool Final) {
    if (!HandleAllocated()) return;
    const int width = FDrawBuffer->Width(), height = FDrawBuffer->Height();
    const TOwnedWindowDC owner = OwnedDCOf(Handle());
    if (!owner) return;
    HDC dc = owner.Get();
    if (Final || FAnimation == hatNone) {
        BitBlt(dc, 0, 0, width, height, FDrawBuffer->Canvas()->Handle(), 0, 0, SRCCOPY);
    } else if (FAnimation == hatFade) {
        BitBlt(FTarget->Canvas()->Handle(), 0, 0, width, height, FBackground->Canvas()->Handle(), 0,
               0, SRCCOPY);
        AlphaBlendRect(FDrawBuffer->Canvas()->Handle(), FTarget->Canvas()->Handle(),
                       {0, 0, width, height}, {0, 0}, blendConstant, MulDiv(Step, 256, 255), 0);
        BitBlt(dc, 0, 0, width, height, FTarget->Canvas()->Handle(), 0, 0, SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, width, Step, FDrawBuffer->Canvas()->Handle(), 0, height - Step, SRCCOPY);
        BitBlt(dc, 0, Step, width, height - Step, FBackground->Canvas()->Handle(), 0, Step,
               SRCCOPY);
    }
}

void TVirtualTreeHintWindow::Paint() {
    if (FAnimation == hatNone) Canvas()->Draw(0, 0, FDrawBuffer.get());
}
