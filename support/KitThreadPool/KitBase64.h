// The Base64 decoder of the support library: 8-bit Base64 text in, 8-bit text out. There is no
// encoder. Separators (line breaks, blanks, anything outside the alphabet) are ignored wherever
// they stand, "=" counts as the value 0, and characters after the last complete group of four
// are dropped. The decoded bytes are read as text in the system ANSI code page and trimmed of
// leading and trailing characters up to the blank, which removes the zero bytes that padding
// produces; bytes the code page cannot represent may change in that round trip.
#pragma once

#include "framework/System.h"

// Decodes `input` into `output`; an empty input leaves `output` as it is. Always answers 0.
Integer DecodeBase64(const AnsiString& input, AnsiString& output);
// `input` without every byte outside A-Z, a-z, 0-9, "+", "/" and "=".
AnsiString FilterBase64Input(const AnsiString& input);
