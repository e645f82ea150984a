// Controls painted into device contexts: graphic children over their parent's background (into
// one off-screen bitmap of the parent's size, each over what lies behind it, copied out unless
// the child left its top-left pixel in the key colour), and a whole control tree into a bitmap.
#include "skin/engine/sCommonData.h"
#include "skin/engine/sVclUtils.h"

#include "framework/ComCtrls.h"
#include "skin/engine/sAlphaGraph.h"

#include <algorithm>

#include <vector>

namespace {

constexpr COLORREF KeyColour = 0xFF00FF;

bool TakesPart(TControl* Child, HDC DC, TPoint Offset) {
    if (dynamic_cast<TWinControl*>(Child)) return false;
    const bool designing = Child->ComponentState().Contains(csDesigning);
    if (!(Child->Visible() || designing) || Child->Width() < 1 || Child->Height() < 1) return false;
    if (Child->ControlStyle().Contains(csNoDesignVisible)) return false;
    if (Child->ComponentState().Contains(csDestroying)) return false;
    if (auto* tool = dynamic_cast<TToolButton*>(Child))
        if (tool->Style() == tbsButton || tool->Style() == tbsCheck || tool->Style() == tbsDropDown)
            return false;
    const RECT bounds{Child->Left() + Offset.x, Child->Top() + Offset.y,
                      Child->Left() + Child->Width() + Offset.x,
                      Child->Top() + Child->Height() + Offset.y};
    return RectVisible(DC, &bounds) != FALSE;
}

void FillBehind(HDC MemDC, TControl* Child, const TacBackgroundInfo& Info, TPoint Offset) {
    const RECT bounds{Child->Left(), Child->Top(), Child->Left() + Child->Width(),
                      Child->Top() + Child->Height()};
    if (Child->ControlStyle().Contains(csOpaque) || Info.Kind != 2 || !Info.Bmp) {
        const TColor colour =
            Child->ControlStyle().Contains(csOpaque) ? ControlBackColor(Child) : Info.Color;
        TOwnedBrush brush(CreateSolidBrush(ColorToRGB(colour)));
        FillRect(MemDC, &bounds, brush.Get());
        return;
    }
    BitBlt(MemDC, bounds.left, bounds.top, Child->Width(), Child->Height(),
           Info.Bmp->Canvas()->Handle(), Child->Left() + Offset.x + Info.Offset.x,
           Child->Top() + Offset.y + Info.Offset.y, SRCCOPY);
}

// The alpha of every pixel of R moved by Offset, in a 32-bit bitmap, set to 255: painting
// through the system leaves the alpha bytes as they were.
void MakeOpaque(TBitmap* Bmp, TRect R, TPoint Offset) {
    TacFast32 pixels;
    if (!pixels.Attach(Bmp)) return;
    OffsetRect(&R, Offset.x, Offset.y);
    const int right = std::min<int>(R.right, pixels.Width());
    const int bottom = std::min<int>(R.bottom, pixels.Height());
    for (int y = std::max<int>(R.top, 0); y < bottom; ++y)
        for (int x = std::max<int>(R.left, 0); x < right; ++x) pixels.Pixel(x, y)[3] = 255;
}

} // namespace

void PaintGraphicChildren(HDC DC, TWinControl* Parent, TPoint Offset) {
    const bool designing = Parent->ComponentState().Contains(csDesigning);
    if (!(Parent->Visible() || designing) || Parent->ControlCount() == 0) return;
    RECT clip;
    if (GetClipBox(DC, &clip) == NULLREGION || clip.right <= clip.left || clip.bottom <= clip.top) {
        if (Parent->HandleAllocated()) SendSkinCommand(Parent->Handle(), SKCMD_MARKHALFVISIBLE);
        return;
    }
    TacBackgroundInfo info;
    AskControlBackground(info, Parent, false);
    std::vector<TControl*> children;
    for (int i = 0; i < Parent->ControlCount(); ++i)
        if (TakesPart(Parent->Controls(i), DC, Offset)) children.push_back(Parent->Controls(i));
    if (children.empty()) return;

    auto* form = dynamic_cast<TCustomForm*>(Parent);
    const bool mdiForm = form && form->FormStyle() == fsMDIForm;
    TScreenDC screen;
    TOwnedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), Parent->Width(), Parent->Height()));
    TOwnedDC memory(CreateCompatibleDC(screen.Get()));
    const HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
    for (TControl* child : children) FillBehind(memory.Get(), child, info, Offset);
    for (TControl* child : children) {
        if (mdiForm && child->Align() != alNone) PerformSkinCommand(child, SKCMD_REFRESHNOW);
        const int saved = SaveDC(memory.Get());
        const RECT bounds{child->Left() + Offset.x, child->Top() + Offset.y,
                          child->Left() + child->Width() + Offset.x,
                          child->Top() + child->Height() + Offset.y};
        if (!RectVisible(DC, &bounds)) PerformSkinCommand(child, SKCMD_MARKHALFVISIBLE);
        SetViewportOrgEx(memory.Get(), child->Left(), child->Top(), nullptr);
        IntersectClipRect(memory.Get(), 0, 0, child->Width(), child->Height());
        const bool paintCopy = Parent->ControlState().Contains(csPaintCopy);
        if (paintCopy) child->SetControlState(child->ControlState() + TControlState{csPaintCopy});
        child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(memory.Get()), 0);
        if (paintCopy) child->SetControlState(child->ControlState() - TControlState{csPaintCopy});
        RestoreDC(memory.Get(), saved);
    }
    for (TControl* child : children)
        if (GetPixel(memory.Get(), child->Left(), child->Top()) != KeyColour)
            BitBlt(DC, child->Left() + Offset.x, child->Top() + Offset.y, child->Width(),
                   child->Height(), memory.Get(), child->Left(), child->Top(), SRCCOPY);
    SelectObject(memory.Get(), previous);
}

void PaintControlToBmp(TBitmap* Bmp, TControl* Control, int X, int Y,
                       TacFormProviderLink* Provider) {
    if (!Control->Visible()) {
        TWinControl* parent = Control->Parent();
        if (Provider || !parent) return;
        TacBackgroundInfo info;
        AskControlBackground(info, parent, false);
        const RECT area{X, Y, X + Control->Width(), Y + Control->Height()};
        const HDC dc = Bmp->Canvas()->Handle();
        if (info.Kind == 2 && info.Bmp) {
            BitBlt(dc, X, Y, Control->Width(), Control->Height(), info.Bmp->Canvas()->Handle(),
                   info.Offset.x + Control->Left(), info.Offset.y + Control->Top(), SRCCOPY);
        } else {
            TOwnedBrush brush(CreateSolidBrush(ColorToRGB(info.Color)));
            FillRect(dc, &area, brush.Get());
        }
        return;
    }
    const HDC dc = Bmp->Canvas()->Handle();
    // A form with extended borders paints its frame beyond its own size.
    const bool extended = Provider && Provider->ExtendedBorderWindow();
    if (!extended) IntersectClipRect(dc, 0, 0, Control->Width(), Control->Height());
    auto* windowed = dynamic_cast<TWinControl*>(Control);
    if (!windowed) {
        Control->Perform(WM_PRINT, reinterpret_cast<WPARAM>(dc), 0);
        return;
    }
    if (AskControl(windowed, SKCMD_ISSKINNED))
        windowed->Perform(WM_PRINT, reinterpret_cast<WPARAM>(dc), 0);
    else
        windowed->PaintTo(dc, 0, 0);
    const bool topForm = dynamic_cast<TCustomForm*>(windowed) && !windowed->Parent();
    for (int i = 0; i < windowed->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(windowed->Controls(i));
        if (!child || !child->Visible()) continue;
        const int saved = SaveDC(dc);
        if (!topForm) OffsetViewportOrgEx(dc, child->Left(), child->Top(), nullptr);
        PaintControlToBmp(Bmp, child, child->Left(), child->Top(), nullptr);
        RestoreDC(dc, saved);
    }
    if (extended) MakeOpaque(Bmp, windowed->ClientRect(), Provider->ClientOffset());
}
