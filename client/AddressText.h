// Tests of address texts the account server hands over: the client's own address in the server
// check's reply and the decoded address of a line. A text that fails them did not come from the
// service as it should (a proxy's page, a damaged line entry) and is never shown, dialled or
// pinged.
#pragma once

#include "framework/System.h"

// Four decimal numbers 0 to 255 (one to three digits each) joined by dots: "10.64.0.2".
bool IsDottedIPv4(const UnicodeString& text);
// A dotted IPv4 address or a host name: labels of ASCII letters, digits and hyphens (not at
// either end of a label), joined by dots, 253 characters at most; digits-only labels must
// make a valid dotted address.
bool IsLineAddress(const UnicodeString& text);
