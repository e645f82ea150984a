// Enumerating phonebook entries. The system is asked for the size first and then for the
// records; each entry becomes a line "name TAB flags TAB phonebook" so that sorting the lines
// sorts by name, and the sorted lines are parsed back into records.
#include "rasdial/dunrasent.h"

#include "rasdial/dunrasapi.h"
#include "rasdial/dunrasconImpl.h"
#include "rasdial/dunsubs1.h"

#include <algorithm>

std::vector<TEntryRec> RasEntryList;
Integer RasEntryCount = 0;

namespace {

constexpr std::size_t MaxPhonebookText = 999;

bool LessNoCase(const AnsiString& a, const AnsiString& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

TEntryRec ParseLine(const AnsiString& line) {
    TEntryRec entry;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    entry.EntryName = line.substr(0, tab1);
    entry.PBLocation = AnsiToInt(line.substr(tab1 + 1, tab2 - tab1 - 1));
    entry.Phonebook = line.substr(tab2 + 1, MaxPhonebookText);
    return entry;
}

std::vector<AnsiString> EntryLines(const std::vector<Byte>& buffer, DWORD count,
                                   DWORD elementSize) {
    const bool withFlags = RasOSLevel() >= RasLevelW2K;
    std::vector<AnsiString> lines;
    for (DWORD i = 0; i < count && (i + 1) * elementSize <= buffer.size(); ++i) {
        TRasEntryNameW2K item{};
        std::memcpy(&item, buffer.data() + i * elementSize,
                    std::min<std::size_t>(elementSize, sizeof(item)));
        const AnsiString name = FieldText(item.szEntryName, sizeof(item.szEntryName));
        if (name.empty()) continue;
        const AnsiString flags = IntToAnsi(withFlags ? static_cast<Integer>(item.dwFlags) : 0);
        const AnsiString path = withFlags
                                    ? FieldText(item.szPhonebookPath, sizeof(item.szPhonebookPath))
                                    : AnsiString();
        lines.push_back(name + "\t" + flags + "\t" + path);
    }
    return lines;
}

} // namespace

Integer GetRasEntries(const AnsiString& phonebook) {
    RasEntryCount = 0;
    RasEntryList.clear();
    if (!RasApiAvailable() || !RasEnumEntriesA) return RasErrorLibraryMissing;
    const LPCSTR book =
        RasOSLevel() == RasLevelNT4 && !phonebook.empty() ? phonebook.c_str() : nullptr;
    const DWORD elementSize = RasRecordSize(TRasRecord::EntryName);
    std::vector<Byte> buffer(elementSize);
    DWORD size = elementSize;
    DWORD count = 0;
    reinterpret_cast<TRasEntryNameW2K*>(buffer.data())->dwSize = elementSize;
    auto items = [&] { return reinterpret_cast<TRasEntryNameW2K*>(buffer.data()); };
    Integer result = static_cast<Integer>(RasEnumEntriesA(nullptr, book, items(), &size, &count));
    if ((result == 0 || result == RasErrorBufferTooSmall) && count > 0 && size > buffer.size()) {
        buffer.assign(size, 0);
        items()->dwSize = elementSize;
        result = static_cast<Integer>(RasEnumEntriesA(nullptr, book, items(), &size, &count));
    }
    if (result != 0 || count == 0) return result;
    std::vector<AnsiString> lines = EntryLines(buffer, count, elementSize);
    std::stable_sort(lines.begin(), lines.end(), LessNoCase);
    for (const AnsiString& line : lines) RasEntryList.push_back(ParseLine(line));
    RasEntryCount = static_cast<Integer>(RasEntryList.size());
    return result;
}
