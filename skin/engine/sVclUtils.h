// The control and window utilities of the skin engine: sending the skin message to a window, to
// a control (by window or by Perform) and down control and window trees, the background colour
// of a control or window, and small window and text helpers.
#pragma once

#include "framework/Forms.h"
#include "skin/engine/sConst.h"

class TacFormProviderLink;
struct TacExtBorderGeometry;

// SendMessage(Wnd, SM_ALPHACMD, command in the high word, LParam).
LRESULT SendSkinCommand(HWND Wnd, WORD Cmd, LPARAM LParam = 0);
// To a windowed control with a window by SendMessage, to any other by Perform; 0 for a control
// being destroyed or none.
LRESULT PerformSkinCommand(TControl* Control, WORD Cmd, LPARAM LParam = 0);
// The form's answer to command 4: its provider, or null.
TacFormProviderLink* FormProviderOf(TCustomForm* Form);
// The control answers 1 to the command.
bool AskControl(TControl* Control, WORD Cmd);
// The window answers exactly 1 to the command.
bool AskWindow(HWND Wnd, WORD Cmd);
// Not null, a windowed control has its window, not being created, read, loaded or destroyed,
// and placed on a parent.
bool ControlReadyToPaint(TControl* Control);
// The first frame / form in the owner chain, or null.
TCustomFrame* OwnerFrame(TComponent* Component);
TCustomForm* OwnerForm(TComponent* Component);
// Passes a message to every child: graphic children and windowed ones without window by
// Perform, skinned windows by SendMessage; other windows are walked into. The count is re-read
// at every step, and a child being destroyed ends the walk.
void PassMessageToChildren(TWinControl* Control, TMessage& Message);
// Skin command 6 to every child that is not a graphic control and not being destroyed (a shown
// child with a window by its window); nothing while a form animates.
void RefreshChildControls(TWinControl* Control);
// Skin command 6 to every direct child window (WS_CHILD) of Wnd.
void RefreshChildWindows(HWND Wnd);
// Sends the message to every direct child window of Wnd.
void SendToChildWindows(HWND Wnd, const TMessage& Message);
// Skin command 25 with the control to its form (not while designing or loading).
void NotifyParentForm(TControl* Control);

// Paints Parent's visible graphic children into DC (Parent's origin at Offset), each over the
// background behind it; a child that leaves its top-left pixel in the key colour 0xFF00FF is
// not copied. A DC that shows nothing marks Parent half visible (command 22) instead.
void PaintGraphicChildren(HDC DC, TWinControl* Parent, TPoint Offset);
// Paints Control and its windowed descendants into Bmp (an invisible control: the background
// behind it, at X, Y); a skinned control by WM_PRINT, any other as the class library paints it.
void PaintControlToBmp(TBitmap* Bmp, TControl* Control, int X, int Y,
                       TacFormProviderLink* Provider);
// The background colour as RGB: a skinned control (answering command 7) is asked command 21,
// any other gives its Color; 0xFF00FF for none.
TColor ControlBackColor(TControl* Control);
// The window's answer to command 21 as RGB (0, black, from a window that does not know it);
// 0xFF00FF for none.
TColor WindowBackColor(HWND Wnd);
// Heights (top, bottom) or widths (left, right) of the visible children with that Align; graphic
// children count only with IncludeGraphic; 0 for other alignments.
int AlignedChildrenSize(TWinControl* Control, TAlign Align, bool IncludeGraphic);
// Moves Control right after Target in their parent's child list (and window order); nothing
// unless both share a parent.
void OrderAfterControl(TControl* Control, TControl* Target);
// The last window of the parent chain.
HWND TopLevelWindowOf(HWND Wnd);
// The client rectangle in window coordinates.
void ClientRectInWindow(HWND Wnd, TRect& R);
void CursorPoint(TPoint& P);
// DrawText flags for the alignment (with DT_EXPANDTABS and DT_VCENTER), in the control's reading
// order.
UINT TextAlignFlags(TControl* Control, TAlignment Alignment);

// ---- the fade-in of a form --------------------------------------------------------------------

// The window a form fades in through when no layered window is used: a pop-up owned by the
// application window (topmost over a topmost owner) or a child beside the form, that neither
// erases its background nor paints a frame, so only what the fade copies into it shows.
class TOutputWindow : public TCustomControl {
    CLASS_INFO(TOutputWindow, TCustomControl)
public:
    explicit TOutputWindow(TComponent* AOwner);

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
};

// What a fade works with, only while one runs: the window it shows (a TOutputWindow, or a
// borderless layered form), the screen under the form and the form's own image.
extern TWinControl* FadeWindow;
extern TBitmap* FadeScreenBmp;
extern TBitmap* FadeFormBmp;

// Takes the screen under Form and puts the output window over it (when they are missing).
void PrepareFadeWindow(TWinControl* Form);
// Shows Form fading in over Time milliseconds (8 ms a step; at once under 8), through a layered
// window when its provider has extended borders and layered windows exist, else through the
// output window. Blocks the thread meanwhile; FormAnimating is set until the form may redraw.
void FadeInForm(TWinControl* Form, Word Time);
// How far the layered copy of a form with extended borders lies left of and above the form's
// window.
TPoint FadeWindowShift(const TacExtBorderGeometry& Geometry, bool Maximized);
