// The password the login dialog remembers, kept protected for the current user: the system's
// data-protection API (CryptProtectData) encrypts it with a key of the user's logon, so another
// user, or a copy of the registry taken elsewhere, cannot read it, and a program of the user
// finds no clear text to pick up. It is stored as binary data under the value name an earlier
// version used for the clear text; a clear text found there is read once and replaced.
//
// Every routine works on the key open in the registry object given, so tests can use a key of
// their own.
#pragma once

#include "framework/Registry.h"

#include <vector>

// The protected form of the text, or empty data when the system cannot protect it.
std::vector<Byte> ProtectPassword(const UnicodeString& password);
// The text back from its protected form; false for data this user cannot unprotect (another
// user's, another machine's, damaged).
bool UnprotectPassword(const std::vector<Byte>& data, UnicodeString& password);

// The remembered password: unprotected from binary data, or a clear text of an earlier version,
// which is then written back protected. Empty when there is none or it cannot be read.
UnicodeString ReadRememberedPassword(TRegistry& registry, const UnicodeString& name);
// Writes the password protected; when the system cannot protect it the value is removed rather
// than left in clear.
void WriteRememberedPassword(TRegistry& registry, const UnicodeString& name,
                             const UnicodeString& password);
