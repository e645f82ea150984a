// Sort columns and comparison options of the record list: the columns an index field text
// names ("Name DESC CIS; ID"), and the options of value comparisons (case, prefix, substring,
// code-unit order). Comparisons answer the sign of (searched value - stored value).
#pragma once

#include "data/engine/MemDataFields.h"

enum TSortType { stCaseSensitive, stCaseInsensitive, stBinary };

class TSortColumn : public TObject {
    CLASS_INFO(TSortColumn, TObject)
public:
    TFieldDesc* FieldDesc = nullptr;
    bool DescendingOrder = false;
    TSortType SortType = stCaseSensitive;
};

// Owns its columns.
class TSortColumns : public TList {
    CLASS_INFO(TSortColumns, TList)
public:
    void BeforeDestruction() override;
    void Clear() override;
    TSortColumn* Items(int Index) const { return static_cast<TSortColumn*>(TList::Items(Index)); }
};

using TCompareOptions = Byte;
inline constexpr TCompareOptions coCaseInsensitive = 1;
inline constexpr TCompareOptions coPartialKey = 2;
inline constexpr TCompareOptions coPartialCompare = 4;
inline constexpr TCompareOptions coOrdinalCompare = 8;

inline TCompareOptions SortTypeOptions(TSortType SortType) {
    return SortType == stCaseInsensitive ? coCaseInsensitive
           : SortType == stBinary        ? coOrdinalCompare
                                         : 0;
}
