// The UTF-16 tables: the types of all code units in one GetStringTypeExW call, the cases from
// CharLowerBuffW/CharUpperBuffW of each code unit alone (a surrogate alone maps to itself).
#include "support/Ucl/UclStrings.h"

#include "support/Ucl/UclUnitVersioning.h"

#include <windows.h>

namespace {

TWideCharTables Tables;

} // namespace

const TWideCharTables& WideCharTables() noexcept { return Tables; }

void LoadWideCharTables() {
    constexpr std::size_t Size = 65536;
    std::vector<wchar_t> all(Size);
    for (std::size_t i = 0; i < Size; ++i) all[i] = static_cast<wchar_t>(i);
    TWideCharTables tables;
    tables.Types.assign(Size, 0);
    GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, all.data(), Size, tables.Types.data());
    tables.Maps[cmLower] = all;
    tables.Maps[cmUpper] = all;
    for (std::size_t i = 0; i < Size; ++i) {
        CharLowerBuffW(&tables.Maps[cmLower][i], 1);
        CharUpperBuffW(&tables.Maps[cmUpper][i], 1);
    }
    tables.Maps[cmReverse] = all;
    for (std::size_t i = 0; i < Size; ++i) {
        if (tables.Types[i] & C1_UPPER)
            tables.Maps[cmReverse][i] = tables.Maps[cmLower][i];
        else if (tables.Types[i] & C1_LOWER)
            tables.Maps[cmReverse][i] = tables.Maps[cmUpper][i];
    }
    Tables = std::move(tables);
}

TModuleEntry UclStringsModule() {
    return UnitVersionedModule(L"UclStrings", LoadWideCharTables, nullptr);
}
