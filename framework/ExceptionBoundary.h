// Where the operating system calls into our code (window procedures, thread entries, timer,
// enumeration and notification callbacks) a C++ exception must not escape: the toolchain's
// unwinder cannot cross a system frame. Each such boundary catches everything once and calls
// `ReportBoundaryException()` inside its catch block, then returns a safe value.
//
// What happens next is the application's choice: `SetBoundaryExceptionSink` installs the
// handler (the application object routes it to `HandleException` on the GUI thread). Until one
// is installed the report goes to the debugger output, and the process lives on.
#pragma once

#include <exception>

using TBoundaryExceptionSink = void (*)(std::exception_ptr error) noexcept;

// Returns the sink that was installed before.
TBoundaryExceptionSink SetBoundaryExceptionSink(TBoundaryExceptionSink sink) noexcept;
// Call only inside a catch block: hands the exception being handled to the sink.
void ReportBoundaryException() noexcept;

// Runs `body` and stops any exception at this boundary; answers `fallback` when one was thrown.
template <class Body, class Result> Result GuardBoundary(Body&& body, Result fallback) noexcept {
    try {
        return body();
    } catch (...) {
        ReportBoundaryException();
        return fallback;
    }
}

template <class Body> void GuardBoundary(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        ReportBoundaryException();
    }
}
