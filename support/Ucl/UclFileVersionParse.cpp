// Extracting a version block into TUclFileVersionInfo. Every entry is read inside the bounds
// of its parent (and so of the block); any read outside them, an entry of length 0 or an
// unknown value type ends the data, and a block whose data ended raises "File contains no
// version information".
#include "support/Ucl/UclFileUtils.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <cstring>

namespace {

constexpr std::size_t Align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

struct TEntry {
    std::size_t End = 0; // one past the entry (its length, clipped to nothing)
    Word ValueLength = 0;
    Word Type = 1;
    UnicodeString Key;
    std::size_t Value = 0;    // offset of the value
    std::size_t Children = 0; // offset of the first child
};

// The key's ASCII hex digits (the C runtime's iswxdigit also takes full-width ones, which no
// number conversion reads).
UnicodeString HexOnly(const UnicodeString& key) {
    const UnicodeString stripped = StringReplace(key, L"0x", L"", {rfReplaceAll});
    UnicodeString digits;
    for (wchar_t c : stripped)
        if (c < 128 && iswxdigit(c)) digits += c;
    return digits;
}

} // namespace

class TVersionBlockParser {
public:
    TVersionBlockParser(TUclFileVersionInfo& info)
        : FInfo(info), FData(info.FBuffer.data()), FSize(info.FBuffer.size()),
          FWide(FSize >= 6 && Word16(4) < 2) {}

    bool Run();

private:
    Word Word16(std::size_t at) const {
        Word w;
        std::memcpy(&w, FData + at, 2);
        return w;
    }
    bool ReadEntry(std::size_t at, std::size_t limit, TEntry& entry) const;
    bool ReadKey(std::size_t& at, std::size_t limit, UnicodeString& key) const;
    std::size_t ValueBytes(const TEntry& entry) const;
    std::size_t ValueBytesInside(const TEntry& entry) const;
    bool StringTables(std::size_t at, std::size_t limit);
    bool StringTable(const TEntry& table);
    bool StringValue(const TEntry& entry, UnicodeString& value) const;
    void Translations(std::size_t at, std::size_t limit);
    UnicodeString WideText(std::size_t at, std::size_t chars) const;

    TUclFileVersionInfo& FInfo;
    const Byte* FData;
    std::size_t FSize;
    bool FWide; // the 32-bit form
};

bool TVersionBlockParser::ReadKey(std::size_t& at, std::size_t limit, UnicodeString& key) const {
    const std::size_t unit = FWide ? 2 : 1;
    std::size_t end = at;
    while (end + unit <= limit && (FWide ? Word16(end) != 0 : FData[end] != 0)) end += unit;
    if (end + unit > limit) return false;
    key = FWide ? WideText(at, (end - at) / 2)
                : AnsiToUnicode(AnsiString(reinterpret_cast<const char*>(FData + at), end - at));
    at = Align4(end + unit);
    return true;
}

std::size_t TVersionBlockParser::ValueBytes(const TEntry& entry) const {
    return FWide && entry.Type == 1 ? std::size_t{entry.ValueLength} * 2 : entry.ValueLength;
}

// The value's bytes that lie inside its entry: the key's padding may already reach past the
// entry's end, which leaves no value at all.
std::size_t TVersionBlockParser::ValueBytesInside(const TEntry& entry) const {
    return std::min(ValueBytes(entry), entry.End - std::min(entry.End, entry.Value));
}

bool TVersionBlockParser::ReadEntry(std::size_t at, std::size_t limit, TEntry& entry) const {
    const std::size_t header = FWide ? 6 : 4;
    if (at + header > limit) return false;
    const Word length = Word16(at);
    if (length == 0 || at + length > limit || length < header) return false;
    entry.End = at + length;
    entry.ValueLength = Word16(at + 2);
    entry.Type = FWide ? Word16(at + 4) : 1;
    std::size_t cursor = at + header;
    if (!ReadKey(cursor, entry.End, entry.Key)) return false;
    entry.Value = cursor;
    entry.Children = Align4(cursor + ValueBytes(entry));
    return true;
}

UnicodeString TVersionBlockParser::WideText(std::size_t at, std::size_t chars) const {
    UnicodeString text(chars, L'\0');
    std::memcpy(text.data(), FData + at, chars * 2);
    return text;
}

bool TVersionBlockParser::StringValue(const TEntry& entry, UnicodeString& value) const {
    const std::size_t bytes = ValueBytesInside(entry);
    if (entry.Type == 1) {
        if (entry.ValueLength == 0)
            value.clear();
        else if (FWide)
            value = WideText(entry.Value, bytes / 2);
        else
            value = AnsiToUnicode(
                AnsiString(reinterpret_cast<const char*>(FData + entry.Value), bytes));
        const auto nul = value.find(L'\0');
        if (nul != UnicodeString::npos) value.resize(nul);
        return true;
    }
    if (entry.Type != 0) return false;
    if (bytes >= 1 && bytes <= 4) {
        Cardinal number = 0;
        for (std::size_t i = bytes; i-- > 0;) number = number << 8 | FData[entry.Value + i];
        value = L"$" + IntToHex(number, static_cast<int>(bytes * 2));
    } else if (FWide && bytes > 4) {
        value = WideText(entry.Value, bytes / 2);
        const auto nul = value.find(L'\0');
        if (nul != UnicodeString::npos) value.resize(nul);
    } else {
        value.clear();
    }
    return true;
}

bool TVersionBlockParser::StringTable(const TEntry& table) {
    const UnicodeString digits = HexOnly(table.Key);
    if (digits.size() != 8 || table.ValueLength != 0) return false;
    TLangIdRec language{};
    language.LangId = static_cast<Word>(StrToInt(L"$" + digits.substr(0, 4)));
    language.CodePage = static_cast<Word>(StrToInt(L"$" + digits.substr(4, 4)));
    const int index = static_cast<int>(FInfo.FLanguages.size());
    FInfo.FLanguages.push_back(language);
    for (std::size_t at = table.Children; at < table.End;) {
        TEntry entry;
        UnicodeString value;
        if (!ReadEntry(at, table.End, entry) || !StringValue(entry, value)) return false;
        FInfo.FItemList.push_back({entry.Key + L"=" + value, index});
        at = Align4(entry.End);
    }
    return true;
}

bool TVersionBlockParser::StringTables(std::size_t at, std::size_t limit) {
    while (at < limit) {
        TEntry table;
        if (!ReadEntry(at, limit, table) || !StringTable(table)) return false;
        at = Align4(table.End);
    }
    return true;
}

void TVersionBlockParser::Translations(std::size_t at, std::size_t limit) {
    TEntry var;
    if (!ReadEntry(at, limit, var) || !SameText(var.Key, L"Translation")) return;
    const std::size_t count = std::min<std::size_t>(var.ValueLength, ValueBytesInside(var)) / 4;
    for (std::size_t i = 0; i < count; ++i) {
        TLangIdRec pair{};
        std::memcpy(&pair.Pair, FData + var.Value + i * 4, 4);
        FInfo.FTranslations.push_back(pair);
    }
}

bool TVersionBlockParser::Run() {
    TEntry root;
    if (!ReadEntry(0, FSize, root) || !SameText(root.Key, L"VS_VERSION_INFO")) return false;
    if (root.ValueLength != sizeof(VS_FIXEDFILEINFO) || root.Children > root.End) return false;
    std::memcpy(&FInfo.FFixedInfo, FData + root.Value, sizeof(VS_FIXEDFILEINFO));
    if (FInfo.FFixedInfo.dwSignature != VS_FFI_SIGNATURE) return false;
    for (std::size_t at = root.Children; at < root.End;) {
        TEntry child;
        if (!ReadEntry(at, root.End, child)) return false;
        if (SameText(child.Key, L"StringFileInfo")) {
            if (!StringTables(std::min(child.Children, child.End), child.End)) return false;
        } else if (SameText(child.Key, L"VarFileInfo")) {
            Translations(std::min(child.Children, child.End), child.End);
        } else {
            break;
        }
        at = Align4(child.End);
    }
    return true;
}

void TUclFileVersionInfo::ExtractInfo() {
    FItems = std::make_unique<TStringList>();
    if (!TVersionBlockParser(*this).Run())
        throw EUclFileVersionInfoError(L"File contains no version information");
    const DWORD flags = FFixedInfo.dwFileFlags & FFixedInfo.dwFileFlagsMask;
    constexpr std::pair<DWORD, TFileFlag> FlagBits[] = {{VS_FF_DEBUG, ffDebug},
                                                        {VS_FF_INFOINFERRED, ffInfoInferred},
                                                        {VS_FF_PATCHED, ffPatched},
                                                        {VS_FF_PRERELEASE, ffPreRelease},
                                                        {VS_FF_PRIVATEBUILD, ffPrivateBuild},
                                                        {VS_FF_SPECIALBUILD, ffSpecialBuild}};
    for (const auto& [bit, flag] : FlagBits)
        if (flags & bit) FFileFlags.Include(flag);
    BuildItems();
}
