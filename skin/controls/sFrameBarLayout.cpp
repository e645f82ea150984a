// The frame bar's layout: titles stacked from the top of the inner rect, each open frame below
// its title, opening and closing in N = 3 animated steps (one step without animation). With
// N = 3 an opening frame of height 150 shows 0, 50, 100 and 150 pixels, a closing one 150, 100
// and 50 before it goes (rounding halves to even). Between passes pending messages are handled;
// see the top of sFrameBar.h for what that allows and what it must not break.
#include "skin/controls/sFrameBar.h"

#include "skin/controls/sFrameAdapter.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/sVclUtils.h"

#include <cmath>

namespace {

// The class library's rounding: to the nearest, halves to even.
int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

bool Unfolded(TsTitleState state) { return state == stOpened || state == stOpening; }

} // namespace

TRect TsFrameBar::InnerRect() {
    const bool single = BorderStyle() == bsSingle;
    TRect r(0, 0, single ? Width() - 4 : Width(), Height());
    const int inset = BorderWidth() + (single ? 2 : 0);
    r = TRect(r.left + inset, r.top + inset, r.right - inset, r.bottom - inset);
    if (HandleAllocated() && (GetWindowLongW(Handle(), GWL_STYLE) & WS_VSCROLL))
        r.right -= GetSystemMetrics(SM_CXVSCROLL);
    return r;
}

int TsFrameBar::ScrollOffset() const {
    return ListSW && ListSW->sBarVert.fScrollVisible ? ListSW->sBarVert.ScrollInfo.nPos : 0;
}

void TsFrameBar::Redraw() {
    if (Showing())
        RedrawWindow(Handle(), nullptr, nullptr,
                     RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TsFrameBar::ArrangeTitles() {
    ArrangeTitlesNow();
    FlushDeletes();
}

void TsFrameBar::ArrangeTitlesNow() {
    if (!Visible() || Arranging || ComponentState().Contains(csReading) || FItems->Count() == 0)
        return;
    const TComponentState state = ComponentState();
    const int n = FrameBarNoAnimation || state.Contains(csDesigning) || !FAnimation ||
                          state.Contains(csLoading)
                      ? 0
                      : 3;
    const TRect r = InnerRect();
    // Whatever happens below, the switches come back.
    struct TScope {
        TsFrameBar* Bar;
        TScope(TsFrameBar* bar) : Bar(bar) {
            Bar->Arranging = true;
            SuspendHints(Bar);
            FadingSuspended = true;
            MouseEnterSuspended = true;
        }
        ~TScope() {
            FadingSuspended = false;
            Bar->Arranging = false;
            MouseEnterSuspended = false;
            RestoreHints(Bar);
        }
    } scope(this);
    int free = -1;
    if (FAutoFrameSize) {
        SetAutoScroll(false);
        int y = r.top;
        for (int i = 0; i < FItems->Count(); ++i) {
            TsTitleItem* item = FItems->Items(i);
            if (!item->TitleButton->Visible() || !item->Visible()) continue;
            y += FTitleHeight + BorderWidth() + (Unfolded(item->State) ? BorderWidth() : 0);
        }
        free = r.Height() - y;
    }
    int y = r.top;
    for (int k = 0; k <= n; ++k) {
        LayoutPass(k, n, r, free, y);
        if (Showing()) {
            Redraw();
            RefreshChildControls(this);
        }
        if (n > 0) Application->ProcessMessages();
    }
    y += BorderWidth() + (BorderStyle() == bsSingle ? 2 : 0);
    if (VertScrollBar()->Range() != y) VertScrollBar()->SetRange(y);
    Arranging = false;
    UpdateWidths();
    Redraw();
}

// One pass over the items with redraw off; redraw comes back however the pass ends.
void TsFrameBar::LayoutPass(int K, int N, const TRect& R, int Free, int& Y) {
    FCommonData->BeginUpdate();
    if (HandleAllocated()) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    struct TRedraw {
        TsFrameBar* Bar;
        ~TRedraw() {
            if (Bar->HandleAllocated()) SendMessageW(Bar->Handle(), WM_SETREDRAW, TRUE, 0);
            Bar->FCommonData->EndUpdate();
        }
    } redraw{this};
    Y = R.top;
    for (int i = 0; i < FItems->Count(); ++i) { // the count may change while messages run
        TsTitleItem* item = FItems->Items(i);
        if (item->TitleButton->Visible() && item->Visible()) LayoutItem(i, K, N, R, Free, Y);
    }
}

void TsFrameBar::LayoutItem(int Index, int K, int N, const TRect& R, int Free, int& Y) {
    TsTitleItem* item = FItems->Items(Index);
    const int offset = ScrollOffset();
    const int width = R.Width();
    item->TitleButton->SetBounds(R.left, Y - offset, width, FTitleHeight);
    if (item->TitleButton->Parent() != this) item->TitleButton->SetParent(this);
    Y += FTitleHeight;
    int l = item->FrameSize;
    if (l == 0 && item->State == stOpening && !FAnimation) item->State = stOpened;
    switch (item->State) {
    case stOpened:
        if (FAutoFrameSize) {
            l = Free;
            item->FrameSize = Free;
            if (item->Frame) item->Frame->SetHeight(Free);
        }
        UpdateFrame(Index, Y - offset, -1, width);
        if (l == 0 && item->Frame) l = item->Frame->Height();
        break;
    case stClosing:
        try {
            l = N != 0 ? RoundEven(static_cast<double>(l) / N * (N - K)) : 0;
            if (K == N) {
                item->Closing = false;
                DestroyFrame(Index);
                Y += BorderWidth();
                item->State = stClosed;
                UpdateTitleActive(Index, false);
                if (item->Frame) UpdateFrame(Index, Y - offset, 0, width);
                return;
            }
            UpdateFrame(Index, Y - offset, l, width);
            if (N > 0) Sleep(10);
        } catch (...) {
            // a failing step of a closing frame does not stop the layout
        }
        break;
    case stOpening: {
        Y += FSpacing;
        if (K == N && FAutoFrameSize) {
            l = Free;
            item->FrameSize = Free;
            if (item->Frame) item->Frame->SetHeight(Free);
        }
        // Without steps the frame opens at its full height at once.
        const int size = N != 0 ? RoundEven(static_cast<double>(l) / N * K) : -1;
        if (UpdateFrame(Index, Y - offset, size, width)) {
            if (K == N) item->State = stOpened;
            if (N > 0) Sleep(10);
        }
        l = size < 0 ? item->FrameSize : size;
        break;
    }
    case stClosed:
        if (item->Frame) DestroyFrame(Index);
        l = 0;
        if (item->Frame) UpdateFrame(Index, Y - offset, 0, width);
        item->FrameSize = 0;
        break;
    }
    if (item->Frame && item->State != stClosed) {
        if (!item->Frame->Parent()) item->Frame->SetParent(this);
        Y += BorderWidth() + l;
    }
    if (item->Frame && item->State == stOpened && item->Frame->HandleAllocated())
        SetWindowRgn(item->Frame->Handle(), nullptr, TRUE);
    Y += BorderWidth();
    UpdateTitleActive(Index, Unfolded(item->State));
}

bool TsFrameBar::UpdateFrame(int Index, int Top, int Size, int Width) {
    if (Index >= FItems->Count()) return false;
    TsTitleItem* item = FItems->Items(Index);
    if (!item->Frame && !ComponentState().Contains(csDesigning)) {
        if (item->OnCreateFrame)
            item->OnCreateFrame(item, item->Frame);
        else
            item->Frame = CreateDefaultFrame();
    }
    TCustomFrame* frame = item->Frame;
    if (!frame) return false;
    if (!frame->Parent()) frame->SetParent(this); // its window needs one before its region
    if (item->FrameSize == 0) item->FrameSize = frame->Height();
    if (Size == -1) {
        Size = item->FrameSize;
        frame->SetHeight(item->FrameSize);
    }
    const int height = frame->Height();
    if (Size != 0) {
        const TRect shown = Size == height ? TRect(0, 0, frame->Width(), height)
                                           : TRect(0, height - Size, Width, height);
        if (HandleAllocated())
            SetWindowRgn(frame->Handle(),
                         CreateRectRgn(shown.left, shown.top, shown.right, shown.bottom), TRUE);
        frame->SetVisible(true);
    } else {
        if (HandleAllocated()) SetWindowRgn(frame->Handle(), CreateRectRgn(-1, -1, -1, -1), TRUE);
        frame->SetVisible(false);
    }
    frame->SetBounds(item->TitleButton->Left(), Top + Size - height, Width, height);
    return true;
}

TCustomFrame* TsFrameBar::CreateDefaultFrame() {
    auto* frame = Construct<TFrame>(this);
    frame->SetHeight(150);
    auto* adapter = Construct<TsFrameAdapter>(frame);
    adapter->SkinData()->SetSkinManager(FCommonData->SkinManager());
    adapter->SkinData()->SetSkinSection(L"BARPANEL");
    auto* label = Construct<TsLabel>(frame);
    label->SetParent(frame);
    label->SetAlign(alClient);
    label->SetCaption(L"Frame creation\r\nevent has not been defined.");
    label->SetAlignment(taCenter);
    label->SetLayout(tlCenter);
    label->SetWordWrap(true);
    label->Font()->SetColor(static_cast<TColor>(255));
    return frame;
}

void TsFrameBar::DestroyFrame(int Index) {
    TsTitleItem* item = FItems->Items(Index);
    bool canDestroy = true;
    item->OnFrameDestroy(this, item->Frame, canDestroy);
    if (canDestroy) FreeAndNil(item->Frame);
    item->FrameSize = 0;
}

void TsFrameBar::UpdateTitleActive(int Index, bool Value) {
    TsTitleItem* item = FItems->Items(Index);
    if (item->TitleButton->Active == Value) return;
    if (item->State != stClosed && item->State != stOpened) return;
    item->TitleButton->Active = Value;
    item->TitleButton->SkinData()->Invalidate();
}

void TsFrameBar::UpdateWidths() {
    const bool saved = Arranging;
    Arranging = true;
    struct TRestore {
        bool& Flag;
        bool Saved;
        ~TRestore() { Flag = Saved; }
    } restore{Arranging, saved};
    const int width = InnerRect().Width();
    for (int i = 0; i < FItems->Count(); ++i) {
        TsTitleItem* item = FItems->Items(i);
        if (!item->Visible() || !item->TitleButton->Visible()) continue;
        if (item->TitleButton->Width() != width) {
            item->TitleButton->SkinData()->BGChanged = true;
            item->TitleButton->SetWidth(width);
        }
        if (item->Frame && item->Frame->Width() != width) item->Frame->SetWidth(width);
    }
    if (AutoScroll()) RefreshScrollBars(ListSW, false);
}

void TsFrameBar::WndProc(TMessage& Message) {
    if (Message.Msg == FlushDeletesMessage()) {
        FlushDeletes();
        return;
    }
    TsScrollBox::WndProc(Message);
    switch (Message.Msg) {
    case WM_SIZE:
        if (!Showing()) break;
        if (FAutoFrameSize) {
            Rearrange();
        } else {
            UpdateWidths();
            SendMessageW(Handle(), WM_NCPAINT, 1, 0);
        }
        break;
    case CM_VISIBLECHANGED:
        if (Showing()) Rearrange();
        break;
    case CM_ENABLEDCHANGED:
        for (int i = 0; i < FItems->Count(); ++i) {
            FItems->Items(i)->TitleButton->SetEnabled(Enabled());
            if (FItems->Items(i)->Frame) FItems->Items(i)->Frame->SetEnabled(Enabled());
        }
        Repaint();
        break;
    default:
        if (SkinCommand(Message) == SKCMD_REPAINT && FromOwnManager(Message, FCommonData.get()) &&
            FCommonData->Skinned())
            UpdateWidths();
        break;
    }
}
