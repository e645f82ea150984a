// Lays a text out in a box of fixed width and a fixed number of lines, as the main window's
// status panel shows its texts: lines break after a blank or between wide (Chinese) characters,
// a word longer than the line is broken where it must, explicit line breaks are kept, and a
// text that needs more lines than the box has ends its last line with "…".
#pragma once

#include "framework/System.h"

#include <windows.h>

#include <vector>

// The lines of `text` in the font selected into `dc`, each at most `width` pixels wide (a
// single character wider than that stands alone), at most `maxLines` of them (at least one).
std::vector<UnicodeString> FitTextLines(HDC dc, const UnicodeString& text, int width, int maxLines);
// The width of `text` in the font selected into `dc`.
int TextWidth(HDC dc, const UnicodeString& text);
