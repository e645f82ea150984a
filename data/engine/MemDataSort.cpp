// Index fields of the record list: parsing the index field text into sort columns, comparing
// records by the columns, sorting the chain and keeping a changed record in its place.
//
// The chain is sorted by a stable merge sort of its items (relinked, record data never moves):
// equal keys keep their order, and sorted or all-equal input costs n log n at most, with no
// recursion as deep as the data.
#include "data/engine/MemDataRecordList.h"

#include "framework/Conversions.h"
#include "framework/Format.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

void TSortColumns::BeforeDestruction() {
    Clear();
    TList::BeforeDestruction();
}

void TSortColumns::Clear() {
    for (int i = 0; i < Count(); ++i) Items(i)->Free();
    TList::Clear();
}

void TMemData::InitSortColumn(TSortColumn* Column) {
    Column->DescendingOrder = false;
    Column->SortType = stCaseSensitive;
}

void TMemData::ClearFields() {
    FIndexFields->Clear();
    TData::ClearFields();
}

void TMemData::SetIndexFieldNames(const UnicodeString& Value) {
    FIndexFieldNames = Value;
    // Parsed whenever there are fields, so that columns never outlive the text they came from.
    if (FieldCount() > 0) ParseIndexFields();
    if (Active) SortItems();
}

namespace {
[[noreturn]] void InvalidIndexText() { throw Exception(L"Invalid IndexFieldNames format!"); }
} // namespace

void TMemData::ParseIndexFields() {
    FIndexFields->Clear();
    if (Trim(FIndexFieldNames).empty()) return;
    TBoolParser* parser = Construct<TBoolParser>(FIndexFieldNames);
    struct TFreeParser {
        TBoolParser* P;
        ~TFreeParser() { P->Free(); }
    } freeParser{parser};
    UnicodeString lexem;
    Integer code = parser->GetNext(lexem);
    while (code != lcEnd) {
        UnicodeString name;
        if (code == lcIdent || code == lcString) {
            name = lexem;
        } else if (code == flLeftBracket) {
            parser->SetOmitBlank(false);
            for (code = parser->GetNext(lexem); code != flRightBracket && code != lcEnd;
                 code = parser->GetNext(lexem))
                name += lexem;
            parser->SetOmitBlank(true);
            name = Trim(name);
        } else {
            InvalidIndexText();
        }
        bool hasOrder = false, hasType = false, descending = false;
        TSortType sortType = stCaseSensitive;
        for (code = parser->GetNext(lexem); code == lcIdent; code = parser->GetNext(lexem)) {
            const UnicodeString word = UpperCase(lexem);
            if (word == L"ASC" || word == L"DESC") {
                if (hasOrder) InvalidIndexText();
                hasOrder = true;
                descending = word == L"DESC";
            } else if (word == L"CIS" || word == L"CS" || word == L"BIN") {
                if (hasType) InvalidIndexText();
                hasType = true;
                sortType = word == L"CIS"  ? stCaseInsensitive
                           : word == L"CS" ? stCaseSensitive
                                           : stBinary;
            } else {
                InvalidIndexText();
            }
        }
        if (code == lcSymbol && (lexem == L";" || lexem == L","))
            code = parser->GetNext(lexem);
        else if (code != lcEnd)
            InvalidIndexText();
        TFieldDesc* field = FindField(name);
        if (!field) throw Exception(Format(L"Field %s not found", {name}));
        auto* column = new TSortColumn;
        column->FieldDesc = field;
        InitSortColumn(column);
        if (hasOrder) column->DescendingOrder = descending;
        if (hasType) column->SortType = sortType;
        FIndexFields->Add(column);
    }
}

// --- record comparison ---

Integer TMemData::CompareFields(void* RecBuf1, void* RecBuf2, TSortColumn* SortColumn) {
    return CompareFields(RecBuf1, RecBuf2, SortColumn->FieldDesc,
                         SortTypeOptions(SortColumn->SortType));
}

Integer TMemData::CompareFields(void* RecBuf1, void* RecBuf2, TFieldDesc* FieldDesc,
                                TCompareOptions Options) {
    Integer type = 0;
    bool blank1 = true, native = true;
    void* value = GetFieldBuf(RecBuf1, FieldDesc, type, blank1, native);
    const TFieldBufHold hold{value, native};
    bool blank2 = GetNull(FieldDesc->FieldNo(), RecBuf2);
    if (FieldDesc->HasParent()) {
        Integer type2 = 0;
        bool native2 = true;
        void* other = GetFieldBuf(RecBuf2, FieldDesc, type2, blank2, native2);
        if (!native2) TData::FreeFieldBuf(other);
    }
    if (blank1 || blank2) return blank1 == blank2 ? 0 : (blank1 ? -1 : 1);
    return CompareFieldValue(value, type, FieldDesc, RecBuf2, Options);
}

Integer TMemData::CompareRecords(void* RecBuf1, void* RecBuf2) {
    std::vector<Byte> calc1, calc2;
    for (int i = 0; i < FIndexFields->Count(); ++i) {
        TSortColumn* column = FIndexFields->Items(i);
        void* rec1 = RecBuf1;
        void* rec2 = RecBuf2;
        if (column->FieldDesc->FieldDescKind() == fdkCalculated) {
            if (calc1.empty()) {
                calc1.assign(std::size_t(RecordSize() + CalcRecordSize()), 0);
                calc2.assign(calc1.size(), 0);
                std::memcpy(calc1.data(), RecBuf1, std::size_t(RecordSize()));
                std::memcpy(calc2.data(), RecBuf2, std::size_t(RecordSize()));
                if (OnGetCachedBuffer) {
                    OnGetCachedBuffer(calc1.data(), RecBuf1);
                    OnGetCachedBuffer(calc2.data(), RecBuf2);
                }
            }
            rec1 = calc1.data();
            rec2 = calc2.data();
        }
        const Integer result = CompareFields(rec1, rec2, column);
        if (result != 0) return column->DescendingOrder ? -result : result;
    }
    return 0;
}

// --- sorting ---

void TMemData::SortItems() {
    if (FIndexFields->Count() == 0 || !FirstItem) return;
    std::vector<PItemHeader> items;
    for (PItemHeader item = FirstItem; item; item = item->Next) items.push_back(item);
    std::stable_sort(items.begin(), items.end(), [this](PItemHeader a, PItemHeader b) {
        return CompareRecords(ItemRecord(a), ItemRecord(b)) < 0;
    });
    PItemHeader prev = nullptr;
    for (PItemHeader item : items) {
        item->Prev = prev;
        item->Next = nullptr;
        if (prev) prev->Next = item;
        prev = item;
    }
    FirstItem = items.front();
    LastItem = items.back();
    ReorderItems(nullptr, rmFull);
}

void TMemData::SwapWithNext(PItemHeader Item) {
    PItemHeader next = Item->Next;
    PItemHeader before = Item->Prev;
    PItemHeader after = next->Next;
    if (before)
        before->Next = next;
    else
        FirstItem = next;
    if (after)
        after->Prev = Item;
    else
        LastItem = Item;
    next->Prev = before;
    next->Next = Item;
    Item->Prev = next;
    Item->Next = after;
}

void TMemData::MoveSortedItem(PItemHeader Item, Integer Direction) {
    if (Direction < 0)
        while (Item->Prev && CompareRecords(ItemRecord(Item->Prev), ItemRecord(Item)) > 0)
            SwapWithNext(Item->Prev);
    else if (Direction > 0)
        while (Item->Next && CompareRecords(ItemRecord(Item->Next), ItemRecord(Item)) < 0)
            SwapWithNext(Item);
}
