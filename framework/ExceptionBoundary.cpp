#include "framework/ExceptionBoundary.h"

#include "framework/Exceptions.h"

#include <windows.h>

#include <atomic>

namespace {

void ReportToDebugger(std::exception_ptr error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // Silent by definition.
    } catch (const Exception& e) {
        OutputDebugStringW((L"Unhandled: " + e.Message() + L"\n").c_str());
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
    } catch (...) {
        OutputDebugStringW(L"Unhandled exception of unknown type\n");
    }
}

std::atomic<TBoundaryExceptionSink> Sink{&ReportToDebugger};

} // namespace

TBoundaryExceptionSink SetBoundaryExceptionSink(TBoundaryExceptionSink sink) noexcept {
    return Sink.exchange(sink ? sink : &ReportToDebugger);
}

void ReportBoundaryException() noexcept { Sink.load()(std::current_exception()); }
