// Generic helpers of the skin engine for sending the skin message and walking controls: to a
// window, to a control (by window or by Perform), to all children of a control, and the tests a
// control passes before it may paint.
#pragma once

#include "framework/Forms.h"
#include "skin/engine/sConst.h"

// SendMessage(Wnd, SM_ALPHACMD, command in the high word, LParam).
LRESULT SendSkinCommand(HWND Wnd, WORD Cmd, LPARAM LParam = 0);
// To a windowed control with a window by SendMessage, to any other by Perform; 0 for a control
// being destroyed or none.
LRESULT PerformSkinCommand(TControl* Control, WORD Cmd, LPARAM LParam = 0);
// The control answers 1 to the command.
bool AskControl(TControl* Control, WORD Cmd);
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
// Skin command 6 to every windowed child; skipped while a form animates.
void RefreshChildControls(TWinControl* Control);
// Skin command 25 with the control to its form (not while designing or loading).
void NotifyParentForm(TControl* Control);
