// Text views of blob content: line-end conversion (the content is rebuilt into new pieces) and
// the 8-bit view of UTF-16 content, whose positions count the bytes each character takes in
// the system code page.
#include "data/engine/MemDataBlobs.h"

#include "framework/TextEncoding.h"

#include <windows.h>

namespace {
constexpr char CR = 13, LF = 10;
constexpr wchar_t WCR = 13, WLF = 10;

// LF alone becomes CR LF; `crAtEndToo`: a CR that ends the content does as well.
template <class Char>
std::basic_string<Char> AddCR(const std::basic_string<Char>& text, Char cr, Char lf,
                              bool crAtEndToo) {
    std::basic_string<Char> out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Char c = text[i];
        if (c == lf && (i == 0 || text[i - 1] != cr)) out += cr;
        out += c;
        if (c == cr && i + 1 == text.size() && crAtEndToo) out += lf;
    }
    return out;
}

// CR LF becomes LF; a lone CR stays.
template <class Char>
std::basic_string<Char> RemoveCR(const std::basic_string<Char>& text, Char cr, Char lf) {
    std::basic_string<Char> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == cr && i + 1 < text.size() && text[i + 1] == lf)) out += text[i];
    return out;
}

UnicodeString AsUnits(const std::string& bytes) {
    UnicodeString units(bytes.size() / 2, L'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

std::string AsBytes(const UnicodeString& units) {
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

// Bytes the units at `i` take in the system code page (a surrogate pair is taken whole).
int AnsiLength(const UnicodeString& text, std::size_t i, int& units) {
    units =
        IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]) ? 2 : 1;
    if (units == 1 && text[i] < 128) return 1;
    char buffer[8];
    return WideCharToMultiByte(CP_ACP, 0, text.data() + i, units, buffer, sizeof buffer, nullptr,
                               nullptr);
}
} // namespace

void TDcBlobData::AddCRString() { ReplaceContent(AddCR(Content(), CR, LF, true)); }
void TDcBlobData::RemoveCRString() { ReplaceContent(RemoveCR(Content(), CR, LF)); }
void TDcBlobData::AddCRUnicode() {
    ReplaceContent(AsBytes(AddCR(AsUnits(Content()), WCR, WLF, false)));
}
void TDcBlobData::RemoveCRUnicode() {
    ReplaceContent(AsBytes(RemoveCR(AsUnits(Content()), WCR, WLF)));
}

Integer TDcBlobData::TranslatePosition(Integer Position) {
    if (Position == 0) return 0;
    const UnicodeString text = AsUnits(Content());
    Integer sum = 0;
    for (std::size_t i = 0; i < text.size();) {
        int units;
        sum += AnsiLength(text, i, units);
        i += std::size_t(units);
        if (sum == Position) return Integer(i * 2);
        if (sum > Position) break;
    }
    throw Exception(L"Invalid BLOB position");
}

Integer TDcBlobData::GetSizeAnsi() { return Integer(UnicodeToAnsi(AsUnits(Content())).size()); }
