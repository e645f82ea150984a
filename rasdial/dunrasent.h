// The list of phonebook entries: `TEntryRec` and `GetRasEntries`, which fills the module-level
// `RasEntryList` sorted by name (case-insensitive). GUI thread only: the list is shared.
#pragma once

#include "framework/System.h"

#include <vector>

struct TEntryRec {
    AnsiString EntryName;
    Integer PBLocation = 0; // 1 for an all-users entry
    AnsiString Phonebook;
    AnsiString CanonNum, DevName1, DevType1, DevPort1, DevName2, DevType2, DevPort2;
    Integer RpbkLine = 0;
};

extern std::vector<TEntryRec> RasEntryList;
extern Integer RasEntryCount;

// Lists the entries of `phonebook` (honoured on level 1 only; other levels list every
// phonebook of the system). Answers the last RAS result, 1157 without the RAS library.
Integer GetRasEntries(const AnsiString& phonebook);
