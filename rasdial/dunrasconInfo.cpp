// Texts and records the dialling component derives rather than asks RAS for: canonical phone
// numbers (shared with the phonebook-entry component), the default modem configuration that
// level 0 writes for a modem entry, and the description of the RAS library's version.
#include "rasdial/dunrascon.h"

#include "rasdial/dunrasstr.h"
#include "rasdial/dunsubs1.h"

#include <cstring>

AnsiString GetCanonical(bool useCodes, Integer countryCode, const AnsiString& areaCode,
                        const AnsiString& localNumber) {
    if (!useCodes) return localNumber;
    AnsiString text("+");
    text.append(IntToAnsi(countryCode)).append(" ");
    if (!areaCode.empty()) text.append("(").append(areaCode).append(") ");
    return text.append(localNumber);
}

void UnpackCanonical(const AnsiString& text, bool& useCodes, Integer& countryCode,
                     AnsiString& localNumber, AnsiString& areaCode) {
    useCodes = false;
    localNumber.clear();
    areaCode.clear();
    countryCode = 0;
    AnsiString s = TrimAnsi(text);
    if (s.size() <= 1) return;
    if (s[0] == '+') {
        useCodes = true;
        const Integer p = PosByte(' ', s);
        if (p > 2) countryCode = AnsiToInt(s.substr(1, static_cast<std::size_t>(p) - 2));
        s = TrimAnsi(s.substr(p > 0 ? static_cast<std::size_t>(p) : 1, 99));
        const Integer q = PosByte(')', s);
        if (q < 3) {
            areaCode.assign(1, ' ');
        } else {
            areaCode = s.substr(1, static_cast<std::size_t>(q) - 2);
            s = s.size() > static_cast<std::size_t>(q) + 1
                    ? s.substr(static_cast<std::size_t>(q) + 1, 99)
                    : AnsiString();
        }
    }
    localNumber = s;
}

namespace {

// Writes little-endian values at given offsets of a fixed record.
template <std::size_t N> class TRecordWriter {
public:
    std::array<Byte, N> Bytes{};
    template <class T> void Put(std::size_t offset, T value) {
        std::memcpy(Bytes.data() + offset, &value, sizeof(T));
    }
};

} // namespace

// Header (12 bytes), then a COMMCONFIG of 96 bytes: its DCB at 8, the modem settings at 48.
std::array<Byte, DefaultModemConfigSize> DefaultModemConfig() {
    TRecordWriter<DefaultModemConfigSize> w;
    w.Put<DWORD>(0, DefaultModemConfigSize);
    w.Put<DWORD>(4, 0x00010003); // version
    w.Put<WORD>(8, 0);           // options
    w.Put<WORD>(10, 8);          // wait for bong
    constexpr std::size_t cc = 12;
    w.Put<DWORD>(cc + 0, 96); // COMMCONFIG size
    w.Put<WORD>(cc + 4, 1);   // version
    constexpr std::size_t dcb = cc + 8;
    w.Put<DWORD>(dcb + 0, 28);     // DCB length
    w.Put<DWORD>(dcb + 4, 115200); // baud
    w.Put<DWORD>(dcb + 8, 0x2015); // binary, CTS flow, DTR enabled, RTS handshake
    w.Put<WORD>(dcb + 14, 10);     // XON limit
    w.Put<WORD>(dcb + 16, 10);     // XOFF limit
    w.Put<Byte>(dcb + 18, 8);      // data bits; parity and stop bits 0
    w.Put<Byte>(dcb + 21, 0x11);   // XON
    w.Put<Byte>(dcb + 22, 0x13);   // XOFF
    w.Put<DWORD>(cc + 36, 6);      // provider subtype: modem
    w.Put<DWORD>(cc + 40, 48);     // provider data offset
    w.Put<DWORD>(cc + 44, 48);     // provider data size
    constexpr std::size_t ms = cc + 48;
    w.Put<DWORD>(ms + 0, 48);     // actual size
    w.Put<DWORD>(ms + 4, 48);     // required size
    w.Put<DWORD>(ms + 16, 60);    // call set-up fail timer
    w.Put<DWORD>(ms + 28, 1);     // speaker mode
    w.Put<DWORD>(ms + 32, 0x1D3); // preferred modem options
    return w.Bytes;
}

UnicodeString DunInfoText(const UnicodeString& v, const UnicodeString& sp, bool server) {
    struct TKnown {
        const wchar_t* Version;
        const wchar_t* Info;
    };
    static constexpr TKnown Known[] = {
        {L"4.00.950", L"DUN 1.0/Win95/Retail"}, {L"4.00.1111", L"DUN 1.1/Win95/OSR2"},
        {L"4.00.1150", L"DUN 1.1/Win95/ISDN"},  {L"4.10.1537", L"DUN 1.2b/Win95/Patch"},
        {L"4.10.1903", L"DUN 1.3/Win95/Patch"}, {L"4.10.1998", L"DUN 1.2c/Win98"},
        {L"4.10.2000", L"DUN 1.3/Win98/Patch"}, {L"4.10.2222", L"DUN 1.3/Win98SE"},
    };
    if (v.size() <= 3) return SRasUnknownDunVersion;
    for (const TKnown& known : Known)
        if (v == known.Version) return known.Info;
    if (v.starts_with(L"4.90")) return L"DUN 1.3/WinME";
    if (v == L"4.00") return L"DUN NT4 " + sp;
    if (v[0] == L'5' && v[2] == L'1') return L"DUN WinXP " + sp;
    if (v[0] == L'5' && v[2] == L'2') return L"DUN Win2003 " + sp;
    if (v[0] == L'5') return L"DUN W2K " + sp;
    if (v[0] == L'6' && v[2] == L'0') return (server ? L"DUN Win2008 " : L"DUN Vista ") + sp;
    if (v[0] == L'6' && v[2] == L'1') return (server ? L"DUN Win2008 R2 " : L"DUN Windows 7 ") + sp;
    if (v[0] == L'6') return L"Unknown Windows 6/7 version " + sp;
    return L"DUN " + sp;
}

void TDunRasCon::SetDUNInfo() {
    DUNInfo =
        DunInfoText(DUNVersion, OSVersionInfoEx.szCSDVersion, OSVersionInfoEx.wProductType > 1);
}
