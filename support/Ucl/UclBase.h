// The library's base exception classes and the ANSI replacement character: the default
// character of the system ANSI code page, read once by the unit's start-up and used where a
// UTF-16 character has no 8-bit counterpart.
#pragma once

#include "framework/Exceptions.h"
#include "framework/ModuleInit.h"
#include "framework/Objects.h"

class EUclError : public Exception {
public:
    using Exception::Exception;
};
// A start-up step of the library that could not complete.
class EUclInternalError : public EUclError {
public:
    using EUclError::EUclError;
};

// The default character of the system ANSI code page; '?' until the start-up has run.
char AnsiReplacementChar() noexcept;
// Reads the replacement character; EUclInternalError "Failed to get ANSI replacement character"
// when the system cannot describe its ANSI code page.
void InitAnsiReplacementChar();

TModuleEntry UclBaseModule();
