// The exception that carries the last Win32 error: its constructors read GetLastError first,
// before anything else can change it, then build the message
// "Win32 error: <system text> (<code>)" CR LF "<text>".
#pragma once

#include "framework/Format.h"
#include "support/Ucl/UclBase.h"

class EUclWin32Error : public EUclError {
public:
    explicit EUclWin32Error(const UnicodeString& text);
    // The text formatted by the class library's Format.
    static EUclWin32Error CreateFmt(const UnicodeString& format,
                                    std::initializer_list<TFormatArg> args);
    // The text read from this program's string resources (empty when there is none).
    static EUclWin32Error CreateRes(unsigned resourceId);

    unsigned long LastError() const noexcept { return FLastError; }
    const UnicodeString& LastErrorMsg() const noexcept { return FLastErrorMsg; }

protected:
    // For derived classes whose text is fixed: the error code is captured here all the same.
    EUclWin32Error(unsigned long lastError, const UnicodeString& text);

private:
    unsigned long FLastError;
    UnicodeString FLastErrorMsg;
};

UnicodeString Win32ErrorMessage(unsigned long lastError, const UnicodeString& text);

TModuleEntry UclWin32Module();
