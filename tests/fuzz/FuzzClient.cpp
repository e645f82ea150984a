// Fuzzed readers of the account server's replies: the reply readers of each exchange, the
// decoders of line addresses and dial credentials, and the line list as the login installs it.
#include "FuzzDriver.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"
#include "client/ServerDecoders.h"
#include "support/KitThreadPool/KitIni.h"

#include <memory>

namespace {

std::vector<TFuzzInput> ReplySeeds() {
    return {"error",
            "expire",
            "useup",
            "demo 30 days",
            "A",
            "C",
            "WkdsaGJIVnpaWEk|"
            "VkZaYVMxWnNXWGRhUm1oVFZsaENVbFp0Tlc5WFZtUllaRWhPVDFKc2NIaFZWbWh2VmtaS2MyTkdhRlppUlZV",
            "\xCA\xA3\xD3\xE0\xCC\xEC\xCA\xFD:12",
            "Days left:7",
            "1.2.3.4-9.1-5.6.7.8"};
}

void FeedReplies(const TFuzzInput& input) {
    const UnicodeString reply = AnsiText(input);
    ReadCredentialReply(reply);
    ReadLineCheckReply(reply, L"demo", L"demo123");
    for (Integer language : {1, 2, 3}) {
        lang_code = language;
        ReadValidityReply(reply);
    }
}

std::vector<TFuzzInput> EncodedSeeds() {
    return {"Vk5lQlFYa2RVMXFUVlJGMVRrUkI",
            "WkdsaGJIVnpaWEk",
            "VkZaYVMxWnNXWGRhUm1oVFZsaENVbFp0Tlc5WFZtUllaRWhPVDFKc2NIaFZWbWh2VmtaS2MyTkdhRlppUlZV",
            "",
            "QQ==",
            "6Q"};
}

void FeedDecoders(const TFuzzInput& input) {
    const UnicodeString text = AnsiText(input);
    DecodeLineAddress(text);
    DecodeDialPassword(text);
    DecodeDialUser(text);
    for (int k = -1; k <= 8; ++k) SegmentSwap(text, k);
}

std::vector<TFuzzInput> LineListSeeds() {
    return {"[Route]\r\nRoute 1=Vk5lQlFYa2RVMXFUVlJGMVRrUkI,98%,1\r\n\r\n[\xB1\xB1\xB7\xBD]\r\n"
            "\xB1\xB1\xBE\xA9\xD2\xBB\xBA\xC5=Vk5lQlFYa2RVMXFUVlJGMVRrUkI,77%,0\r\n",
            ""};
}

void FeedLineList(const TFuzzInput& input) {
    std::unique_ptr<TKitStreamIniFile, TFuzzFree> document(NewLineListDocument(AnsiText(input)));
    TStringList sections, keys;
    document->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        document->ReadSection(sections.Strings(i), &keys);
        for (int k = 0; k < keys.Count(); ++k)
            DecodeLineAddress(document->ReadString(sections.Strings(i), keys.Strings(k), L""));
    }
}

const TFuzzRegistration Replies{{"server_replies", ReplySeeds, FeedReplies, 2000, {"|", ":", "-"}}};
const TFuzzRegistration Decoders{{"server_decoders", EncodedSeeds, FeedDecoders, 2000, {"=", "/"}}};
const TFuzzRegistration LineList{
    {"server_line_list", LineListSeeds, FeedLineList, 800, {"[", "]", "=", ",", "\r\n"}}};

} // namespace
