#include "support/KitThreadPool/KitConsts.h"

#include "framework/Application.h"

#include <gtest/gtest.h>

namespace {

TEST(KitConsts, TablesHoldTheFinancialNumeralsInOrder) {
    const wchar_t* digits[] = {L"零", L"壹", L"贰", L"叁", L"肆",
                               L"伍", L"陆", L"柒", L"捌", L"玖"};
    for (std::size_t i = 0; i < KitChineseDigits.size(); ++i)
        EXPECT_STREQ(KitChineseDigits[i], digits[i]) << i;
    const wchar_t* units[] = {L"", L"拾", L"佰", L"仟"};
    for (std::size_t i = 0; i < KitChineseUnits.size(); ++i)
        EXPECT_STREQ(KitChineseUnits[i], units[i]) << i;
    const wchar_t* largeUnits[] = {L"元", L"万", L"亿"};
    for (std::size_t i = 0; i < KitChineseLargeUnits.size(); ++i)
        EXPECT_STREQ(KitChineseLargeUnits[i], largeUnits[i]) << i;
}

TEST(KitConsts, StartUpRecordsTheApplicationWindowsExtendedStyleAndChangesNothing) {
    const TModuleEntry framework = FrameworkModule();
    framework.Initialize();
    const HWND window = Application->Handle();
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(window, GWL_EXSTYLE, style);

    KitConstsModule().Initialize();
    EXPECT_EQ(KitStartupExStyle(), style);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE), style);

    SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~WS_EX_TOOLWINDOW);
    EXPECT_EQ(KitStartupExStyle(), style) << "recorded once, at start-up";
    framework.Finalize();
}

} // namespace
