#include "framework/Dialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(Dialogs, MessageDlgTakesTheClosestBoxOfTheSystem) {
    struct TCase {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        UINT Expected;
    };
    const TCase cases[] = {
        {mtWarning, {mbOK}, MB_ICONWARNING | MB_OK},
        {mtError, {mbOK, mbCancel}, MB_ICONERROR | MB_OKCANCEL},
        {mtInformation, {mbYes, mbNo}, MB_ICONINFORMATION | MB_YESNO},
        {mtConfirmation, {mbYes, mbNo, mbCancel}, MB_ICONQUESTION | MB_YESNOCANCEL},
        {mtCustom, {mbAbort, mbRetry, mbIgnore}, MB_ABORTRETRYIGNORE},
        {mtCustom, {mbRetry, mbCancel}, MB_RETRYCANCEL},
        {mtCustom, {mbYesToAll, mbNoToAll}, MB_YESNO},
        {mtCustom, {mbYes, mbNo, mbAll, mbCancel}, MB_YESNOCANCEL},
        {mtCustom, {mbOK, mbHelp}, MB_OK | MB_HELP},
        {mtCustom, {}, MB_OK},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MessageDlgStyle(c.Type, c.Buttons), c.Expected)
            << "type " << c.Type << ", buttons " << c.Buttons.Bits();
}

TEST(Dialogs, TheCaptionNamesTheKindOfMessage) {
    EXPECT_EQ(MessageDlgCaption(mtWarning), L"Warning");
    EXPECT_EQ(MessageDlgCaption(mtError), L"Error");
    EXPECT_EQ(MessageDlgCaption(mtInformation), L"Information");
    EXPECT_EQ(MessageDlgCaption(mtConfirmation), L"Confirm");
}

} // namespace
