// Window message records. `TMessage` is the undecoded form every hidden-window and window
// method receives: the handler reads the parameters and writes the answer into `Result`, which
// the window procedure returns to the system unchanged.
#pragma once

#include <windows.h>

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};
