// The memory dataset's locate, lookup and find: key values converted once into the storage's
// native forms, a binary search over the index-sorted leading keys, a linear scan otherwise;
// and the filter (text, options, OnFilterRecord) handed to the storage.
#include "data/engine/MemDS.h"

#include "framework/Conversions.h"
#include "framework/FormatSettings.h"
#include "framework/TextEncoding.h"

#include <cstring>

namespace {
void* AllocCopy(const void* Source, std::size_t Size) {
    void* buffer = Marshal::AllocHGlobal(NativeInt(Size));
    std::memcpy(buffer, Source, Size);
    return buffer;
}
void* AnsiBuffer(const UnicodeString& Text) {
    const AnsiString text = UnicodeToAnsi(Text);
    return AllocCopy(text.c_str(), text.size() + 1);
}
void* WideBuffer(const UnicodeString& Text) {
    return AllocCopy(Text.c_str(), (Text.size() + 1) * sizeof(wchar_t));
}
template <class T> void* ValueBuffer(T Value) { return AllocCopy(&Value, sizeof Value); }
void* BytesBuffer(const Byte* Bytes, std::size_t Count) {
    if (Count > 0xFFFF) Count = 0xFFFF;
    auto* buffer = static_cast<Byte*>(Marshal::AllocHGlobal(NativeInt(Count + 2)));
    SetVarBytesCount(buffer, Word(Count));
    if (Count) std::memcpy(buffer + 2, Bytes, Count);
    return buffer;
}
[[noreturn]] void CannotConvert() { throw EConvertError(L"Cannot convert type"); }

TCompareOptions CompareOptionsOf(TLocateExOptions Options) {
    TCompareOptions options = 0;
    if (Options.Contains(lxCaseInsensitive)) options |= coCaseInsensitive;
    if (Options.Contains(lxPartialKey)) options |= coPartialKey;
    if (Options.Contains(lxPartialCompare)) options |= coPartialCompare;
    return options;
}
TLocateExOptions ExOptionsOf(TLocateOptions Options) {
    TLocateExOptions options;
    if (Options.Contains(loCaseInsensitive)) options.Include(lxCaseInsensitive);
    if (Options.Contains(loPartialKey)) options.Include(lxPartialKey);
    return options;
}
} // namespace

void TMemDataSet::VariantToFieldBuf(const Variant& Value, void*& Buffer, bool ConvertStrings,
                                    TFieldDesc* FieldDesc, Integer& ValueType) {
    const Word type = FieldDesc->DataType();
    ValueType = type;
    Buffer = nullptr;
    if (VarIsClear(Value)) return;
    const TFormatSettings& settings = FormatSettings();
    if (VarIsStr(Value)) {
        const UnicodeString text = Value.AsString();
        if (type == dtBoolean) {
            Buffer = ValueBuffer<Byte>(Value.AsBoolean() ? 1 : 0);
            return;
        }
        if (type == dtBytes || type == dtVarBytes || type == dtExtVarBytes) {
            const AnsiString bytes = UnicodeToAnsi(text);
            Buffer = BytesBuffer(reinterpret_cast<const Byte*>(bytes.data()), bytes.size());
            return;
        }
        const bool wide = type == dtWideString || type == dtExtWideString ||
                          (ConvertStrings && type == dtWideMemo);
        if (wide) {
            Buffer = WideBuffer(text);
            ValueType = dtWideString;
            return;
        }
        if (ConvertStrings) {
            switch (type) {
            case dtUnknown:
            case dtObject:
            case dtReference:
            case dtArray:
            case dtTable: CannotConvert();
            case dtInt8:
            case dtInt16:
            case dtInt32:
            case dtUInt16:
                return VariantToFieldBuf(StrToInt(text), Buffer, false, FieldDesc, ValueType);
            case dtFloat:
            case dtCurrency:
            case dtBCD:
            case dtFMTBCD:
                return VariantToFieldBuf(StrToFloat(text, settings), Buffer, false, FieldDesc,
                                         ValueType);
            case dtDate:
                return VariantToFieldBuf(Variant::FromDate(StrToDate(text, settings)), Buffer,
                                         false, FieldDesc, ValueType);
            case dtTime:
                return VariantToFieldBuf(Variant::FromDate(StrToTime(text, settings)), Buffer,
                                         false, FieldDesc, ValueType);
            case dtDateTime:
                return VariantToFieldBuf(Variant::FromDate(StrToDateTime(text, settings)), Buffer,
                                         false, FieldDesc, ValueType);
            case dtInt64:
            case dtUInt32:
                return VariantToFieldBuf(StrToInt64(text), Buffer, false, FieldDesc, ValueType);
            default:
                if (type > dtWideMemo) CannotConvert();
                break;
            }
        }
        Buffer = AnsiBuffer(text);
        ValueType = dtString;
        return;
    }
    switch (type) {
    case dtString:
    case dtExtString:
        Buffer = AnsiBuffer(Value.AsString());
        ValueType = dtString;
        break;
    case dtInt8:
    case dtInt16:
    case dtInt32:
    case dtUInt16:
    case dtUInt32: Buffer = ValueBuffer<Integer>(Integer(Value.AsInt64())); break;
    case dtFloat:
    case dtCurrency:
    case dtBCD:
    case dtDate:
    case dtTime:
    case dtDateTime: Buffer = ValueBuffer<double>(Value.AsDouble()); break;
    case dtBoolean: Buffer = ValueBuffer<Byte>(Value.AsBoolean() ? 1 : 0); break;
    case dtInt64: Buffer = ValueBuffer<Int64>(Value.AsInt64()); break;
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes: {
        if (VarType(Value) != (varArray | varByte)) CannotConvert();
        Variant bytes = Value;
        const int count = VarArrayHighBound(bytes, 1) - VarArrayLowBound(bytes, 1) + 1;
        Buffer = BytesBuffer(static_cast<const Byte*>(VarArrayLock(bytes)), std::size_t(count));
        VarArrayUnlock(bytes);
        break;
    }
    case dtWideString:
    case dtExtWideString:
        Buffer = WideBuffer(Value.AsString());
        ValueType = dtWideString;
        break;
    case dtFMTBCD: Buffer = ValueBuffer<TBcd>(Value.AsBcd()); break;
    default: CannotConvert();
    }
}

// ---- keys

std::vector<TMemDataSet::TKey> TMemDataSet::KeyListOf(const UnicodeString& KeyFields) {
    std::vector<TKey> keys;
    for (int pos = 1; pos <= int(KeyFields.size());) {
        const UnicodeString name = ExtractFieldName(KeyFields, pos);
        keys.push_back(TKey{FData->FieldByName(name), Integer(keys.size())});
    }
    return keys;
}

std::vector<TMemDataSet::TKey> TMemDataSet::KeyListOf(const std::vector<TField*>& KeyFields) {
    std::vector<TKey> keys;
    for (TField* field : KeyFields)
        if (field) keys.push_back(TKey{FieldDescOf(field), Integer(keys.size())});
    return keys;
}

Integer TMemDataSet::PrepareKeys(std::vector<TKey>& Keys, const Variant& KeyValues,
                                 TLocateExOptions Options, bool& Prepared) {
    Integer sorted = 0;
    auto* list = dynamic_cast<TMemData*>(FData);
    if (list && !Options.Contains(lxPartialKey) && !Options.Contains(lxPartialCompare) &&
        !Options.Contains(lxNearest))
        for (int c = 0; c < list->IndexFields()->Count(); ++c) {
            TSortColumn* column = list->IndexFields()->Items(c);
            if ((column->SortType == stCaseInsensitive) != Options.Contains(lxCaseInsensitive))
                break;
            auto key = std::find_if(Keys.begin() + sorted, Keys.end(), [&](const TKey& k) {
                return k.FieldDesc == column->FieldDesc;
            });
            if (key == Keys.end()) break;
            std::iter_swap(Keys.begin() + sorted, key);
            ++sorted;
        }
    const bool whole =
        !VarIsArray(KeyValues) || (Keys.size() == 1 && VarArrayHighBound(KeyValues, 1) != 0);
    Prepared = true;
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        TKey& key = Keys[i];
        Variant value = Null();
        if (whole) {
            if (key.Index == 0) value = KeyValues;
        } else if (key.Index <= VarArrayHighBound(KeyValues, 1) - VarArrayLowBound(KeyValues, 1)) {
            value = VarArrayGet(KeyValues, VarArrayLowBound(KeyValues, 1) + key.Index);
        }
        try {
            VariantToFieldBuf(value, key.Buffer, Integer(i) < sorted, key.FieldDesc, key.ValueType);
        } catch (const EConvertError&) {
            // The key and the ones after it stay without a buffer: they meet only null fields.
            Prepared = false;
            break;
        } catch (const EVariantError&) {
            Prepared = false;
            break;
        }
    }
    return Prepared ? sorted : 0;
}

void TMemDataSet::ReadWorkRecord(bool CalcNeeded) {
    FData->GetRecord(TempBuffer());
    if (CalcNeeded) GetCalcFields(TempBuffer());
}

Integer TMemDataSet::CompareCurrent(const std::vector<TKey>& Keys, Integer Count,
                                    TCompareOptions Options, bool CalcNeeded) {
    ReadWorkRecord(CalcNeeded);
    auto* list = static_cast<TMemData*>(FData);
    Integer result = 0;
    for (Integer i = 0; i < Count && result == 0; ++i) {
        const TKey& key = Keys[std::size_t(i)];
        TSortColumn* column = list->IndexFields()->Items(i);
        const bool fieldNull = FData->GetNull(key.FieldDesc->FieldNo(), TempBuffer());
        if (fieldNull)
            result = key.Buffer ? 1 : 0;
        else if (!key.Buffer)
            result = -1;
        else
            result = list->CompareFieldValue(
                key.Buffer, key.ValueType, key.FieldDesc, TempBuffer(),
                Options | (column->SortType == stBinary ? coOrdinalCompare : 0));
        if (column->DescendingOrder) result = -result;
    }
    return result;
}

bool TMemDataSet::MatchCurrent(const std::vector<TKey>& Keys, TCompareOptions Options, bool Nearest,
                               bool CalcNeeded) {
    ReadWorkRecord(CalcNeeded);
    auto* list = static_cast<TMemData*>(FData);
    for (const TKey& key : Keys) {
        const bool fieldNull = FData->GetNull(key.FieldDesc->FieldNo(), TempBuffer());
        if (!key.Buffer || fieldNull) {
            if (key.Buffer || !fieldNull) return false;
            continue;
        }
        const Integer c = list->CompareFieldValue(key.Buffer, key.ValueType, key.FieldDesc,
                                                  TempBuffer(), Options);
        if (c != 0 && !(Nearest && c < 0)) return false;
    }
    return true;
}

bool TMemDataSet::LocateRecord(std::vector<TKey>& Keys, const Variant& KeyValues,
                               TLocateExOptions Options, bool KeepPosition) {
    if (Keys.empty()) return false;
    CheckBrowseMode();
    CursorPosChanged();
    UpdateCursorPos();
    FreeRecBufComplexFields(TempBuffer(), true);
    struct TFreeKeys {
        std::vector<TKey>& Keys;
        ~TFreeKeys() {
            for (TKey& key : Keys)
                if (key.Buffer) Marshal::FreeHGlobal(key.Buffer);
        }
    } freeKeys{Keys};

    const TCompareOptions options = CompareOptionsOf(Options);
    const bool up = Options.Contains(lxUp), next = Options.Contains(lxNext);
    const bool calcNeeded = std::any_of(Keys.begin(), Keys.end(), [](const TKey& k) {
        return k.FieldDesc->FieldDescKind() == fdkCalculated;
    });
    bool prepared = false;
    const Integer sorted = PrepareKeys(Keys, KeyValues, Options, prepared);

    TRecBookmark bookmark;
    FData->GetBookmark(&bookmark);
    Integer first = 1, last = FData->RecordCount();
    bool found = false, searched = false, hit = false;
    if (sorted > 0) {
        bool moved = true;
        if (next) {
            FData->GetNextRecord(nullptr);
            moved = !FData->Eof();
            first = FData->RecordNo();
        }
        if (up && moved) {
            FData->GetPriorRecord(nullptr);
            moved = !FData->Bof();
            last = FData->RecordNo();
        }
        searched = true;
        auto* list = static_cast<TMemData*>(FData);
        list->PrepareRecNoCache();
        const auto compareAt = [&](Integer recNo) {
            FData->SetRecordNoValue(recNo);
            return CompareCurrent(Keys, sorted, options, calcNeeded);
        };
        if (moved && last >= first) {
            Integer c = compareAt(first);
            if (c <= 0) {
                hit = c == 0;
            } else if ((c = compareAt(last)) >= 0) {
                hit = c == 0;
            } else {
                while (last - first > 1) {
                    const Integer middle = (first + last) / 2;
                    c = compareAt(middle);
                    if (c == 0) {
                        hit = true;
                        break;
                    }
                    if (c > 0)
                        first = middle;
                    else
                        last = middle;
                }
            }
        }
        if (hit) {
            // To the first record of the run of equal keys (the last with lxUp).
            const bool all = sorted == Integer(Keys.size());
            while (up ? FData->RecordNo() < last : FData->RecordNo() > first) {
                if (up)
                    FData->GetNextRecord(nullptr);
                else
                    FData->GetPriorRecord(nullptr);
                if (FData->Bof() || FData->Eof()) break;
                if (CompareCurrent(Keys, sorted, options, calcNeeded) != 0) {
                    if (all) {
                        if (up)
                            FData->GetPriorRecord(nullptr);
                        else
                            FData->GetNextRecord(nullptr);
                    }
                    break;
                }
            }
            if (FData->Bof()) FData->GetNextRecord(nullptr);
            if (FData->Eof()) FData->GetPriorRecord(nullptr);
            found = all;
        }
    }
    if (!searched || (hit && !found)) {
        const TCompareOptions scanOptions = options & TCompareOptions(~coOrdinalCompare);
        const bool nearest = Options.Contains(lxNearest);
        if (!next && !up && !searched) FData->SetToBegin();
        bool examineCurrent = hit;
        for (;;) {
            if (!examineCurrent) {
                if (up)
                    FData->GetPriorRecord(nullptr);
                else
                    FData->GetNextRecord(nullptr);
            }
            examineCurrent = false;
            if (FData->Eof() || FData->Bof()) {
                found = nearest;
                break;
            }
            if (MatchCurrent(Keys, scanOptions, nearest, calcNeeded)) {
                found = true;
                break;
            }
        }
    }
    if (found && !FData->Eof() && !FData->Bof()) FData->GetRecord(TempBuffer());
    if ((KeepPosition || !found) && !(FData->Bof() && FData->Eof()))
        FData->SetToBookmark(&bookmark);
    return found;
}

bool TMemDataSet::LocateAndShow(std::vector<TKey> Keys, const Variant& KeyValues,
                                TLocateExOptions Options, TResyncMode Mode) {
    DoBeforeScroll();
    const bool found = LocateRecord(Keys, KeyValues, Options, false);
    if (found) {
        Resync(Mode);
        DoAfterScroll();
    }
    return found;
}

bool TMemDataSet::Locate(const UnicodeString& KeyFields, const Variant& KeyValues,
                         TLocateOptions Options) {
    return LocateAndShow(KeyListOf(KeyFields), KeyValues, ExOptionsOf(Options),
                         {rmExact, rmCenter});
}

bool TMemDataSet::Locate(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                         TLocateOptions Options) {
    return LocateAndShow(KeyListOf(KeyFields), KeyValues, ExOptionsOf(Options),
                         {rmExact, rmCenter});
}

bool TMemDataSet::LocateEx(const UnicodeString& KeyFields, const Variant& KeyValues,
                           TLocateExOptions Options) {
    return LocateAndShow(KeyListOf(KeyFields), KeyValues, Options, {});
}

bool TMemDataSet::LocateEx(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                           TLocateExOptions Options) {
    return LocateAndShow(KeyListOf(KeyFields), KeyValues, Options, {});
}

Variant TMemDataSet::Lookup(const UnicodeString& KeyFields, const Variant& KeyValues,
                            const UnicodeString& ResultFields) {
    std::vector<TKey> keys = KeyListOf(KeyFields);
    if (!LocateRecord(keys, KeyValues, {}, true)) return Null();
    const TDataSetState saved = SetTemporaryState(dsCalcFields);
    const TRecordBuffer previous = FLookupBuffer;
    struct TRestore {
        TMemDataSet* Self;
        TDataSetState State;
        TRecordBuffer Previous;
        ~TRestore() {
            Self->FLookupBuffer = Previous;
            Self->RestorePriorState(State);
        }
    } restore{this, saved, previous};
    FLookupBuffer = TempBuffer();
    GetCalcFields(TempBuffer());
    return FieldValues(ResultFields);
}

bool TMemDataSet::FindRecord(bool Restart, bool GoForward) {
    CheckBrowseMode();
    DoBeforeScroll();
    SetFound(false);
    UpdateCursorPos();
    CursorPosChanged();
    auto* list = dynamic_cast<TMemData*>(FData);
    const bool temporary = !Filtered();
    if (temporary) {
        InstallFilter();
        if (list) list->ClearItemsOmittedStatus();
    }
    try {
        if (GoForward) {
            if (Restart) FData->SetToBegin();
            FData->GetNextRecord(nullptr);
        } else {
            if (Restart) FData->SetToEnd();
            FData->GetPriorRecord(nullptr);
        }
    } catch (...) {
        if (temporary) {
            RemoveFilter();
            if (list) list->ClearItemsOmittedStatus();
        }
        throw;
    }
    if (temporary) {
        RemoveFilter();
        if (list) list->ClearItemsOmittedStatus();
    }
    if (!FData->Bof() && !FData->Eof()) {
        Resync({rmExact, rmCenter});
        SetFound(true);
    }
    if (Found()) DoAfterScroll();
    return Found();
}

// ---- filter

void TMemDataSet::InstallFilter() {
    FData->FilterFunc = nullptr;
    FData->SetFilterText(L"");
    if (OnFilterRecord()) FData->FilterFunc = [this](void* RecBuf) { return FilterRecord(RecBuf); };
    if (!Trim(Filter()).empty()) FData->SetFilterText(Filter());
    FData->FilterCaseInsensitive = FilterOptions().Contains(foCaseInsensitive);
    FData->FilterNoPartialCompare = FilterOptions().Contains(foNoPartialCompare);
}

void TMemDataSet::RemoveFilter() {
    FData->FilterFunc = nullptr;
    FData->SetFilterText(L"");
}

bool TMemDataSet::FilterRecord(void* RecBuf) {
    const TDataSetState saved = SetTemporaryState(dsFilter);
    const TRecordBuffer previous = FFilterBuffer;
    FFilterBuffer = static_cast<TRecordBuffer>(RecBuf);
    bool accept = true;
    try {
        OnFilterRecord()(this, accept);
    } catch (...) {
        InternalHandleException();
    }
    FFilterBuffer = previous;
    RestorePriorState(saved);
    return accept;
}

void TMemDataSet::BeginFilterChange() {
    if (!Active()) return;
    CheckBrowseMode();
    UpdateCursorPos();
}

void TMemDataSet::EndFilterChange(bool Always) {
    if (!Active() || !(Always || Filtered())) return;
    FData->FilterUpdated();
    Resync({});
    First();
}

void TMemDataSet::SetFiltered(bool Value) {
    if (Value == Filtered()) return;
    BeginFilterChange();
    if (Value)
        InstallFilter();
    else
        RemoveFilter();
    TDataSet::SetFiltered(Value);
    EndFilterChange(true);
}

void TMemDataSet::SetFilterText(const UnicodeString& Value) {
    if (Value == Filter()) return;
    BeginFilterChange();
    FData->FilterCaseInsensitive = FilterOptions().Contains(foCaseInsensitive);
    FData->FilterNoPartialCompare = FilterOptions().Contains(foNoPartialCompare);
    FData->SetFilterText(Filtered() && !Trim(Value).empty() ? Value : UnicodeString());
    TDataSet::SetFilterText(Value);
    EndFilterChange(false);
}

void TMemDataSet::SetFilterOptions(TFilterOptions Value) {
    if (Value == FilterOptions()) return;
    BeginFilterChange();
    FData->FilterCaseInsensitive = Value.Contains(foCaseInsensitive);
    FData->FilterNoPartialCompare = Value.Contains(foNoPartialCompare);
    FData->SetFilterText(Filtered() && !Trim(Filter()).empty() ? Filter() : UnicodeString());
    TDataSet::SetFilterOptions(Value);
    EndFilterChange(false);
}

void TMemDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    BeginFilterChange();
    TDataSet::SetOnFilterRecord(Value);
    if (Filtered() && Value)
        FData->FilterFunc = [this](void* RecBuf) { return FilterRecord(RecBuf); };
    else
        FData->FilterFunc = nullptr;
    EndFilterChange(true);
}
