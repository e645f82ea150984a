// The 8-bit tables: types from GetStringTypeExA with the user's default locale, cases from
// CharLowerBuffA/CharUpperBuffA of each character alone.
#include "support/Ucl/UclAnsiStrings.h"

#include "support/Ucl/UclUnitVersioning.h"

#include <windows.h>

namespace {

TAnsiCharTables Tables;
bool Loaded = false;

char Reversed(char c, char lower, char upper, Word type) {
    if (type & C1_UPPER) return lower;
    if (type & C1_LOWER) return upper;
    return c;
}

} // namespace

const TAnsiCharTables& AnsiCharTables() noexcept { return Tables; }

void LoadAnsiCharTables() {
    if (Loaded) return;
    for (int i = 0; i < 256; ++i) {
        char c = static_cast<char>(i);
        Word type = 0;
        GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type);
        char lower = c, upper = c;
        CharLowerBuffA(&lower, 1);
        CharUpperBuffA(&upper, 1);
        Tables.Types[i] = type;
        Tables.Maps[cmLower][i] = lower;
        Tables.Maps[cmUpper][i] = upper;
        Tables.Maps[cmReverse][i] = Reversed(c, lower, upper, type);
    }
    Loaded = true;
}

TModuleEntry UclAnsiStringsModule() {
    return UnitVersionedModule(L"UclAnsiStrings", LoadAnsiCharTables, nullptr);
}
