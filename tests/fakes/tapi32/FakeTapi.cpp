// A simulated telephony interface with the published variable-size records: two dialling
// locations ("Home" id 1, "Office" id 2, the current one, in China) and two calling cards (the
// second current), the country list entry of China, and address translation that echoes the
// input as the displayable string and drops its blanks for the dialable one. FakeTapiSetup sets
// the number of line devices and the answer of lineInitialize.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr LONG LineErrStructureTooSmall = static_cast<LONG>(0x8000004D);
constexpr LONG LineErrInvalAppHandle = static_cast<LONG>(0x80000015);

DWORD LineDevices = 2; // set by the tests, read on the test thread only
LONG InitializeResult = 0;
const auto AppHandle = reinterpret_cast<HANDLE>(0x6001);

// Builds a variable-size record: a fixed part followed by texts referenced by (size, offset).
class Builder {
public:
    explicit Builder(std::size_t fixed) : Bytes(fixed, 0) {}
    std::vector<BYTE> Bytes;
    void Put(std::size_t at, DWORD value) { std::memcpy(Bytes.data() + at, &value, sizeof(value)); }
    void Text(std::size_t sizeAt, const std::string& text) {
        Put(sizeAt, static_cast<DWORD>(text.size() + 1));
        Put(sizeAt + 4, static_cast<DWORD>(Bytes.size()));
        Bytes.insert(Bytes.end(), text.begin(), text.end());
        Bytes.push_back(0);
    }
};

// Copies the record into the caller's buffer, whose first field is its total size.
LONG Deliver(Builder& record, LPVOID out) {
    if (!out) return LineErrStructureTooSmall;
    DWORD total = 0;
    std::memcpy(&total, out, 4);
    record.Put(0, total);
    record.Put(4, static_cast<DWORD>(record.Bytes.size()));
    if (total < record.Bytes.size()) return LineErrStructureTooSmall;
    record.Put(8, static_cast<DWORD>(record.Bytes.size()));
    std::memcpy(out, record.Bytes.data(), record.Bytes.size());
    return 0;
}

void Location(Builder& b, std::size_t at, DWORD id, const char* name, const char* city) {
    b.Put(at + 0, id);
    b.Text(at + 4, name);
    b.Put(at + 12, 86);
    b.Text(at + 16, city);
    b.Put(at + 24, 2); // preferred card
    b.Text(at + 28, "9");
    b.Text(at + 36, "0");
    b.Text(at + 44, "");
    b.Put(at + 52, 86); // country id
    b.Put(at + 56, 1);  // options
    b.Text(at + 60, "");
}

void Card(Builder& b, std::size_t at, DWORD id, const char* name) {
    b.Put(at + 0, id);
    b.Text(at + 4, name);
    b.Put(at + 12, 10);
    b.Text(at + 16, "G");
    b.Text(at + 24, "1FG");
    b.Text(at + 32, "011EFG");
    b.Put(at + 40, 0);
}

} // namespace

extern "C" {

LONG WINAPI lineInitialize(HANDLE* app, HINSTANCE, LPVOID, LPCSTR, LPDWORD devices) {
    if (!app || !devices) return LineErrInvalAppHandle;
    if (InitializeResult != 0) return InitializeResult;
    *app = AppHandle;
    *devices = LineDevices;
    return 0;
}

LONG WINAPI lineShutdown(HANDLE app) { return app == AppHandle ? 0 : LineErrInvalAppHandle; }

LONG WINAPI lineGetTranslateCaps(HANDLE app, DWORD, LPVOID caps) {
    if (app != AppHandle) return LineErrInvalAppHandle;
    constexpr std::size_t header = 44, location = 68, card = 44;
    Builder b(header + 2 * location + 2 * card);
    b.Put(12, 2); // locations
    b.Put(16, 2 * location);
    b.Put(20, header);
    b.Put(24, 2); // current location
    b.Put(28, 2); // cards
    b.Put(32, 2 * card);
    b.Put(36, header + 2 * location);
    b.Put(40, 2); // current card
    Location(b, header, 1, "Home", "10");
    Location(b, header + location, 2, "  Office  ", "21");
    Card(b, header + 2 * location, 1, "Direct");
    Card(b, header + 2 * location + card, 2, "Calling Card");
    return Deliver(b, caps);
}

LONG WINAPI lineGetCountry(DWORD countryId, DWORD, LPVOID list) {
    constexpr std::size_t header = 24, entry = 44;
    Builder b(header + entry);
    b.Put(12, 1);
    b.Put(16, entry);
    b.Put(20, header);
    b.Put(header + 0, countryId);
    b.Put(header + 4, 86);
    b.Put(header + 8, 0);
    b.Text(header + 12, "China");
    b.Text(header + 20, "G");
    b.Text(header + 28, "0EFG");
    b.Text(header + 36, "00EFG");
    return Deliver(b, list);
}

LONG WINAPI lineTranslateAddress(HANDLE app, DWORD, DWORD, LPCSTR input, DWORD, DWORD,
                                 LPVOID output) {
    if (app != AppHandle || !input) return LineErrInvalAppHandle;
    std::string dialable;
    for (const char* c = input; *c; ++c)
        if (*c != ' ') dialable += *c;
    Builder b(40);
    b.Text(12, dialable);
    b.Text(20, std::string(" ") + input + " ");
    return Deliver(b, output);
}

LONG WINAPI lineTranslateDialog(HANDLE app, DWORD, DWORD, HWND, LPCSTR) {
    return app == AppHandle ? 0 : LineErrInvalAppHandle;
}

LONG WINAPI lineConfigDialog(DWORD, HWND, LPCSTR) { return 0; }

void WINAPI FakeTapiSetup(DWORD lineDevices, LONG initializeResult) {
    LineDevices = lineDevices;
    InitializeResult = initializeResult;
}

} // extern "C"
