// The operating-system error: its text names the failing call and the system's reason, and a
// call that failed without giving a reason is never described with the system's text for
// "no error" (a window creation the display driver refuses leaves the last error untouched).
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(OSErrors, TheTextNamesTheCallAndTheSystemsReason) {
    try {
        RaiseOSError(ERROR_ACCESS_DENIED, L"OpenThing");
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(e.Message(), L"OpenThing: " + SysErrorMessage(ERROR_ACCESS_DENIED) + L" (5)");
    }
}

TEST(OSErrors, AFailureWithoutAReasonIsNotCalledASuccess) {
    for (const bool fromLastError : {false, true}) {
        try {
            SetLastError(ERROR_SUCCESS);
            if (fromLastError) RaiseLastOSError(L"CreateWindowEx");
            RaiseOSError(ERROR_SUCCESS, L"CreateWindowEx");
        } catch (const EOSError& e) {
            EXPECT_EQ(e.ErrorCode(), 0u);
            EXPECT_EQ(e.Message(), L"CreateWindowEx: A call to an OS function failed")
                << fromLastError;
        }
    }
}
