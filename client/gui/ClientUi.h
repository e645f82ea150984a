// Small helpers the client's windows share: placing a component, sizing a fixed-border window
// by its client area, the message boxes captioned with the application title, and opening a
// page in the user's browser.
#pragma once

#include "framework/Forms.h"

template <class T>
T* Place(TComponent* owner, TWinControl* parent, int left, int top, int width, int height) {
    T* control = Construct<T>(owner);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// Sizes a window with a fixed (dialog or single) border so that its client area is w × h.
void SetClientSize(TCustomForm* form, int width, int height, bool withMenu);

void ShowPlainMessage(const UnicodeString& text);
// The warning icon: input errors.
void ShowWarning(const UnicodeString& text);
// The information icon: notices.
void ShowNotice(const UnicodeString& text);
// A yes/no question with the question icon; True for Yes.
bool AskYesNo(const UnicodeString& text);
void OpenPage(const UnicodeString& url);
