// Names and texts of a dial attempt. The device names are those the system gives its VPN
// miniports in English and in Chinese; the dial-up layer receives them in the system code page.
#include "client/gui/DialTexts.h"

#include "client/AppShared.h"

#include "framework/Conversions.h"

#include <random>

namespace {

struct TDialErrorText {
    Integer Codes[2];
    const wchar_t* English;
    const wchar_t* Chinese;
};

const TDialErrorText DialErrorTexts[] = {
    {{930, 930}, L"cannot be authenticated", L"服务器无法进行身份验证"},
    {{691, 691}, L"Username or password cannot be verified", L"用户名和密码无法验证"},
    {{619, 800},
     L"May your network to limit or the line fault",
     L"可能您的网络有限制或此线路存在故障"},
    {{756, 633},
     L"System fault, please open the client or restart the computer",
     L"系统故障，请重新打开客户端或重新启动电脑"},
};

} // namespace

bool IsDialError(Integer state) noexcept { return state > 601 && state <= 1000; }

UnicodeString DialErrorText(Integer code) {
    UnicodeString english = L"Unable to connect, please replace the line";
    UnicodeString chinese = L"无法连接，请更换线路";
    for (const TDialErrorText& text : DialErrorTexts)
        if (text.Codes[0] == code || text.Codes[1] == code) {
            english = text.English;
            chinese = text.Chinese;
        }
    return LangText(L"Error:" + IntToStr(code) + L" " + english,
                    L"错误：" + IntToStr(code) + L" " + chinese);
}

UnicodeString DialEntryName(TDateTime time) { return FormatDateTime(L"mmddhnszz", time); }

UnicodeString NewUniqueId(TDateTime time) {
    std::random_device device;
    std::uniform_int_distribution<int> digit(0, 9);
    UnicodeString id = FormatDateTime(L"yyyymmddhnszz", time);
    for (int i = 0; i < 8; ++i) id += static_cast<wchar_t>(L'0' + digit(device));
    return id;
}

UnicodeString VpnDeviceName(bool l2tp) {
    const wchar_t* protocol = l2tp ? L"(L2TP)" : L"(PPTP)";
    return LangText(UnicodeString(L"WAN Miniport ") + protocol,
                    UnicodeString(L"WAN 微型端口 ") + protocol);
}
