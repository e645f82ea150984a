// Index fields of the record list: parsing the index field text into sort columns, comparing
// records by the columns, sorting the chain and keeping a changed record in its place.
//
// The chain is sorted by a stable merge sort of its items (relinked, record data never moves):
// equal keys keep their order, and sorted or all-equal input costs n log n at most, with no
// recursion as deep as the data.
//
// A sort compares each record many times. When there are at most three sort columns and each
// holds a plain number (integers, floats, currency, dates and times, stored in the record),
// every record's column values are read once into a row of keys, and the sort moves and
// compares those rows: the same order as CompareRecords, by the same rules (null first, then
// by value, reversed for a descending column), without reaching into the records again.
#include "data/engine/MemDataRecordList.h"

#include "framework/Conversions.h"
#include "framework/Format.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
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

namespace {

// One sort column's value of one record.
struct TKeyCell {
    union {
        Int64 I;
        double F;
    };
    bool Blank;
};

enum TKeyKind { kkNone, kkInteger, kkFloat };

// How a column compares when it holds a plain number: as CompareFieldValue compares its type.
TKeyKind KeyKind(const TFieldDesc* Field) {
    if (Field->HasParent() || Field->FieldDescKind() == fdkCalculated) return kkNone;
    switch (Field->DataType()) {
    case dtInt8:
    case dtInt16:
    case dtInt32:
    case dtUInt16:
    case dtUInt32:
    case dtInt64: return kkInteger;
    case dtFloat:
    case dtCurrency:
    case dtDate:
    case dtTime:
    case dtDateTime: return kkFloat;
    default: return kkNone;
    }
}

template <class T> T LoadAt(const Byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

TKeyCell KeyOf(TData* Data, const TFieldDesc* Field, TKeyKind Kind, void* Rec) {
    TKeyCell cell;
    cell.I = 0;
    cell.Blank = Data->GetNull(Field->FieldNo(), Rec);
    if (cell.Blank) return cell;
    const Byte* p = static_cast<const Byte*>(Rec) + Field->Offset();
    if (Kind == kkFloat) {
        cell.F = LoadAt<double>(p);
        return cell;
    }
    switch (Field->DataType()) {
    case dtInt8: cell.I = LoadAt<std::int8_t>(p); break;
    case dtInt16: cell.I = LoadAt<std::int16_t>(p); break;
    case dtInt32: cell.I = LoadAt<Integer>(p); break;
    case dtUInt16: cell.I = LoadAt<Word>(p); break;
    case dtUInt32: cell.I = LoadAt<LongWord>(p); break;
    default: cell.I = LoadAt<Int64>(p); break;
    }
    return cell;
}

template <int N> struct TKeyRow {
    TKeyCell Cells[N];
    PItemHeader Item;
};

template <int N>
void SortByKeys(TData* Data, std::vector<PItemHeader>& Items, TSortColumns* Columns,
                const TKeyKind* Kinds) {
    bool descending[N];
    for (int c = 0; c < N; ++c) descending[c] = Columns->Items(c)->DescendingOrder;
    std::vector<TKeyRow<N>> rows(Items.size());
    for (std::size_t i = 0; i < Items.size(); ++i) {
        void* rec = TBlockManager::GetRecordPtr(Items[i]);
        for (int c = 0; c < N; ++c)
            rows[i].Cells[c] = KeyOf(Data, Columns->Items(c)->FieldDesc, Kinds[c], rec);
        rows[i].Item = Items[i];
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const TKeyRow<N>& a, const TKeyRow<N>& b) {
        for (int c = 0; c < N; ++c) {
            const TKeyCell &x = a.Cells[c], &y = b.Cells[c];
            int r;
            if (x.Blank || y.Blank)
                r = x.Blank == y.Blank ? 0 : (x.Blank ? -1 : 1);
            else if (Kinds[c] == kkFloat)
                r = x.F < y.F ? -1 : (y.F < x.F ? 1 : 0);
            else
                r = x.I < y.I ? -1 : (y.I < x.I ? 1 : 0);
            if (r != 0) return (descending[c] ? -r : r) < 0;
        }
        return false;
    });
    for (std::size_t i = 0; i < Items.size(); ++i) Items[i] = rows[i].Item;
}

} // namespace

void TMemData::SortItems() {
    if (FIndexFields->Count() == 0 || !FirstItem) return;
    std::vector<PItemHeader> items;
    for (PItemHeader item = FirstItem; item; item = item->Next) items.push_back(item);
    const int columns = FIndexFields->Count();
    TKeyKind kinds[3] = {kkNone, kkNone, kkNone};
    bool byKeys = columns <= 3;
    for (int c = 0; c < columns && byKeys; ++c) {
        kinds[c] = KeyKind(FIndexFields->Items(c)->FieldDesc);
        byKeys = kinds[c] != kkNone;
    }
    if (byKeys && columns == 1)
        SortByKeys<1>(this, items, FIndexFields, kinds);
    else if (byKeys && columns == 2)
        SortByKeys<2>(this, items, FIndexFields, kinds);
    else if (byKeys && columns == 3)
        SortByKeys<3>(this, items, FIndexFields, kinds);
    else
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
    NumberAll(std::move(items), false);
}

void TMemData::SwapWithNext(PItemHeader Item) {
    FChain.clear();
    FRecordNoCache.clear();
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
