// A double of the bound UpdateLayeredWindow that records what each layered window is handed
// (and passes it on to the system's): the virtual display has no compositor, so tests look at
// the bitmap and blend a window was given, never at on-screen alpha.
#pragma once

#include "skin/engine/sAlphaGraph.h"

#include <vector>

// What one call of the bound UpdateLayeredWindow was handed.
struct TLayeredCall {
    HWND Wnd = nullptr;
    bool HasDst = false;
    SIZE Size{};
    POINT Src{};
    COLORREF Key = 0;
    BLENDFUNCTION Blend{};
    DWORD Flags = 0;
    int BmpWidth = 0, BmpHeight = 0;
    std::vector<DWORD> Pixels; // the source bitmap's pixels (BGRA), top row first
};

// The calls recorded since the recorder was put in place.
extern std::vector<TLayeredCall> LayeredCalls;

// Puts the recorder in place of the bound function while it lives (the calls are cleared).
class TLayeredRecorder {
public:
    TLayeredRecorder();
    ~TLayeredRecorder();
    TLayeredRecorder(const TLayeredRecorder&) = delete;
    TLayeredRecorder& operator=(const TLayeredRecorder&) = delete;

private:
    TUpdateLayeredWindowProc FSaved;
};
