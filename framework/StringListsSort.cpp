// `TStringList` ordering: comparison, binary search and sorting. Find and Sort share
// CompareStrings, so a sorted list always finds what it holds. The sort is a quick sort over the
// items in place (not stable), recursing into the smaller part so that its depth stays
// logarithmic; CustomSort's compare function sees the list mid-sort by index, as it must.
#include "framework/StringLists.h"

#include <windows.h>

#include <utility>

int TStringList::CompareStrings(const UnicodeString& a, const UnicodeString& b) const {
    if (!FCaseSensitive) return TStrings::CompareStrings(a, b);
    return CompareStringW(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

int TStringList::IndexOf(const UnicodeString& text) const {
    if (!FSorted) return TStrings::IndexOf(text);
    int index = -1;
    return Find(text, index) ? index : -1;
}

bool TStringList::Find(const UnicodeString& text, int& index) const {
    int low = 0, high = Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CompareStrings(FItems[static_cast<std::size_t>(middle)].FString, text) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    index = low;
    return low < Count() &&
           CompareStrings(FItems[static_cast<std::size_t>(low)].FString, text) == 0;
}

void TStringList::Sort() {
    if (!FSorted) SortItems(&CompareItems);
}

void TStringList::CustomSort(TStringListSortCompare compare) {
    CheckUnsorted();
    SortItems(compare);
}

void TStringList::SetSorted(bool sorted) {
    if (sorted && !FSorted) SortItems(&CompareItems);
    FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
    if (caseSensitive == FCaseSensitive) return;
    FCaseSensitive = caseSensitive;
    if (FSorted) SortItems(&CompareItems);
}

int TStringList::CompareItems(TStringList* list, int index1, int index2) {
    return list->CompareStrings(list->FItems[static_cast<std::size_t>(index1)].FString,
                                list->FItems[static_cast<std::size_t>(index2)].FString);
}

void TStringList::SortItems(TStringListSortCompare compare) {
    if (Count() < 2) return;
    Changing();
    QuickSort(0, Count() - 1, compare);
    Changed();
}

// Hoare partition around the middle item; `pivot` follows the pivot item when it is swapped.
void TStringList::QuickSort(int low, int high, TStringListSortCompare compare) {
    while (low < high) {
        int i = low, j = high, pivot = low + (high - low) / 2;
        while (i <= j) {
            while (compare(this, i, pivot) < 0) ++i;
            while (compare(this, j, pivot) > 0) --j;
            if (i > j) break;
            if (i != j) {
                std::swap(FItems[static_cast<std::size_t>(i)], FItems[static_cast<std::size_t>(j)]);
                if (pivot == i)
                    pivot = j;
                else if (pivot == j)
                    pivot = i;
            }
            ++i;
            --j;
        }
        if (j - low < high - i) {
            QuickSort(low, j, compare);
            low = i;
        } else {
            QuickSort(i, high, compare);
            high = j;
        }
    }
}
