// Object instances: window procedures made at run time that call a method of an object, for
// raw windows that we subclass but did not create (dialogs, their children, popup menus).
//
// `MakeObjectInstance(method)` answers a WNDPROC; installed with SetWindowLongPtr it delivers
// every message to `method` as a TMessage, and the method's Result is the answer. An exception
// leaving the method stops there (GuardBoundary) and the message answers what Result holds.
//
// Lifetime: `FreeObjectInstance` may be called from inside a message that the instance itself
// is dispatching (a handler uninstalls itself on WM_NCDESTROY): the instance stops calling the
// method at once but its code stays valid until that dispatch has returned, and only then goes
// back to the pool. Instances live in executable pages that are never given back to the system,
// so a window that still calls a freed instance after that reaches an empty method and the
// system's default answer, never freed memory.
#pragma once

#include "framework/HiddenWindows.h"

// Raises EOutOfResources when no executable memory can be had.
WNDPROC MakeObjectInstance(const TWndMethod& method);
// Call on the thread of the window the instance serves. Null is ignored.
void FreeObjectInstance(WNDPROC instance) noexcept;
