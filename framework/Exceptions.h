// The class library's exception classes: one class per kind of failure, each carrying a
// message text. `EAbort` is the silent exception: handlers that report errors ignore it.
#pragma once

#include "framework/System.h"

#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(UnicodeString message, int helpContext = 0);

    const UnicodeString& Message() const noexcept { return FMessage; }
    void SetMessage(UnicodeString message);
    int HelpContext() const noexcept { return FHelpContext; }
    // The message in UTF-8, for diagnostics that only take narrow text.
    const char* what() const noexcept override { return FNarrow.c_str(); }

private:
    UnicodeString FMessage;
    std::string FNarrow;
    int FHelpContext;
};

class EAbort : public Exception {
public:
    using Exception::Exception;
};
class EAbstractError : public Exception {
public:
    using Exception::Exception;
};
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
class EListError : public Exception {
public:
    using Exception::Exception;
};
class EStringListError : public EListError {
public:
    using EListError::EListError;
};
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EResNotFound : public Exception {
public:
    using Exception::Exception;
};
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};
class EThread : public Exception {
public:
    using Exception::Exception;
};
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// A failed system call: the message is the system's text for the error code.
class EOSError : public Exception {
public:
    explicit EOSError(unsigned long errorCode, const UnicodeString& context = {});
    unsigned long ErrorCode() const noexcept { return FErrorCode; }

private:
    unsigned long FErrorCode;
};

// The system's message text for an error code, without the trailing line break.
UnicodeString SysErrorMessage(unsigned long errorCode);
// Raises EOSError for GetLastError(); `context` names the call that failed.
[[noreturn]] void RaiseLastOSError(const UnicodeString& context = {});
[[noreturn]] void RaiseOSError(unsigned long errorCode, const UnicodeString& context = {});
// Raises the silent EAbort.
[[noreturn]] void Abort();
// An assertion that stays active in release builds.
void Check(bool condition, const wchar_t* message);
