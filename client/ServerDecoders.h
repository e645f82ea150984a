// Decoders for the texts the account server never sends in clear: line addresses (the first
// field of each line in the line list) and the dial credentials of a line-check reply. They are
// pure functions of their input and never fail: malformed input gives a malformed, possibly
// empty, result that the callers recognise where they must.
//
// Each character of the input is one symbol and each decoded byte becomes the character of the
// same code (0 to 255), with no code page involved: the results are addresses and credentials,
// compared and dialled as they come.
#pragma once

#include "framework/System.h"

// Base64 over texts. At most two trailing "=" are dropped; any other character outside the
// standard alphabet (another "=" included) has the value -1. A trailing group of two or three
// characters gives one or two characters; a lone last character is ignored. The third character
// of a group is not masked, so a last symbol outside the alphabet yields the character 0xFFFF.
UnicodeString Base64DecodeText(const UnicodeString& text);
// The segment swap of the layered encodings: characters k+1..2k, then 1..k, then the rest, each
// piece cut to what the text holds (a text of k characters or fewer comes back unchanged).
UnicodeString SegmentSwap(const UnicodeString& text, int k);
// A line's address (dotted IPv4 address or host name) as dialled and pinged.
UnicodeString DecodeLineAddress(const UnicodeString& text);
// The dial password of a line-check reply.
UnicodeString DecodeDialPassword(const UnicodeString& text);
// The dial user name of a line-check reply: Base64 twice.
UnicodeString DecodeDialUser(const UnicodeString& text);
