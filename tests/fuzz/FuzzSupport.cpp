// Fuzzed readers of the support libraries: the zlib stream, file version information, the
// Base64 decoder, the line-list INI document and the text splitter.
#include "FuzzDriver.h"

#include "support/KitThreadPool/KitBase64.h"
#include "support/KitThreadPool/KitIni.h"
#include "support/MYString/MYString.h"
#include "support/Ucl/UclFileUtils.h"
#include "support/ZLibStream/ZLibStream.h"
#include "support/Ucl/VersionBlockBuilder.h"

#include <array>
#include <memory>

namespace {

// ---- zlib stream ----------------------------------------------------------------------------

TFuzzInput Compressed(const std::string& text, int level) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    TFuzzInput out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()), level);
    out.resize(size);
    return out;
}

std::vector<TFuzzInput> ZlibSeeds() {
    std::string repeated;
    for (int i = 0; i < 200; ++i) repeated += "line " + std::to_string(i % 7) + "\r\n";
    return {Compressed("", 6), Compressed("short text", 1), Compressed(repeated, 9),
            Compressed(std::string(3000, 'x'), 6)};
}

void FeedZlib(const TFuzzInput& input) {
    TMemoryStream source;
    if (!input.empty()) source.WriteBuffer(input.data(), static_cast<NativeInt>(input.size()));
    source.SetPosition(0);
    try {
        TZDecompressionStream stream(&source);
        char buffer[4096];
        // Inputs are a few kilobytes; zlib expands at most about a thousand times.
        for (NativeInt total = 0; total < (64 << 20);) {
            const NativeInt read = stream.Read(buffer, sizeof(buffer));
            if (read <= 0) break;
            total += read;
        }
    } catch (const EZLibError&) {
    } catch (const EStreamError&) {
    }
}

// ---- version information --------------------------------------------------------------------

TFuzzInput Bytes(const std::vector<Byte>& data) { return TFuzzInput(data.begin(), data.end()); }

std::vector<TFuzzInput> VersionSeeds() {
    std::vector<TFuzzInput> seeds;
    for (const bool wide : {true, false}) {
        std::vector<Byte> translation = {0x04, 0x08, 0xB0, 0x04, 0x09, 0x04, 0xE4, 0x04};
        TBlockNode var{L"VarFileInfo", 1, {}, 0, {BinaryNode(L"Translation", translation)}};
        TBlockNode table{L"080404B0",
                         1,
                         {},
                         0,
                         {TextNode(L"CompanyName", L"Velmora", wide),
                          TextNode(L"FileVersion", L"9.0.1.2", wide),
                          BinaryNode(L"Raw", {1, 2, 3, 4})}};
        TBlockNode strings{L"StringFileInfo", 1, {}, 0, {table}};
        seeds.push_back(Bytes(BuildBlock(VersionRoot({strings, var}), wide)));
    }
    return seeds;
}

void FeedVersion(const TFuzzInput& input) {
    try {
        TUclFileVersionInfo info(input.data(), input.size());
        for (int i = 1; i <= 12; ++i) info.GetStandardKeyValue(i);
        info.BinFileVersion();
        for (int i = 0; i < info.TranslationCount(); ++i) info.Translations(i);
        for (int i = 0; i < info.LanguageCount(); ++i) info.SetLanguageIndex(i);
        info.TranslationMatchesLanguages(true);
    } catch (const EUclFileVersionInfoError&) {
    }
}

// ---- Base64 ---------------------------------------------------------------------------------

std::vector<TFuzzInput> Base64Seeds() {
    return {"QUJD",        "QUI=", "QQ==", "Vk5lQlFYa2RVMXFUVlJGMVRrUkI", "SGVs\r\nbG8g d29y\nbGQ=",
            "////+++/AAAA"};
}

void FeedBase64(const TFuzzInput& input) {
    AnsiString output;
    DecodeBase64(AnsiString(input), output);
    FilterBase64Input(AnsiString(input));
}

// ---- line-list document ---------------------------------------------------------------------

std::vector<TFuzzInput> LineListSeeds() {
    return {"[Route]\r\nRoute 1=Vk5lQlFYa2RVMXFUVlJGMVRrUkI,98%,1\r\n\r\n[East]\r\nEast 1="
            "Vk5lQlFYa2RVMXFUVlJGMVRrUkI,77%,0\r\nEast 2=x,,\r\n",
            "; comment\n[a]\nk=v\n[a]\nk=w\nno equals sign\n=empty key\n[unclosed\n",
            "\xEF\xBB\xBF[utf8]\r\nname=\xE4\xB8\xAD\r\n", "\xFF\xFE[\0a\0]\0"};
}

void FeedLineList(const TFuzzInput& input) {
    TStringStream stream{RawByteString(input)};
    stream.SetPosition(0);
    std::unique_ptr<TKitStreamIniFile, TFuzzFree> document(
        Construct<TKitStreamIniFile>(UnicodeString()));
    document->LoadFromStream(&stream);
    TStringList sections, keys;
    document->ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
        document->ReadSection(sections.Strings(i), &keys);
        for (int k = 0; k < keys.Count(); ++k)
            document->ReadString(sections.Strings(i), keys.Strings(k), L"");
    }
}

// ---- text splitting -------------------------------------------------------------------------

std::vector<TFuzzInput> SplitSeeds() {
    return {"1.2.3.4-9.1-5.6.7.8", "--", "a-b--c-", "-", "", "1.2.3.4-9.0-"};
}

void FeedSplit(const TFuzzInput& input) {
    const std::wstring text = AnsiText(input);
    std::array<UnicodeString, 5> fields;
    mystring::SplitInto(fields, text, L"-");
    std::unique_ptr<TStringList, TFuzzFree> list(mystring::SplitToList(text, L"\r\n"));
}

const std::vector<std::string> IniTokens = {"[", "]", "=", "\r\n", "\n", ";", ",", "%", "\xD6\xD0"};

const TFuzzRegistration Zlib{{"zlib_stream", ZlibSeeds, FeedZlib, 800}};
const TFuzzRegistration Version{{"version_info", VersionSeeds, FeedVersion, 2000}};
const TFuzzRegistration Base64{{"base64", Base64Seeds, FeedBase64, 2000}};
const TFuzzRegistration LineList{{"line_list", LineListSeeds, FeedLineList, 1000, IniTokens}};
const TFuzzRegistration Split{{"text_split", SplitSeeds, FeedSplit, 2000, {"-", "\r\n", "--"}}};

} // namespace
