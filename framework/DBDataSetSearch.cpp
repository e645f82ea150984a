// Searching a dataset through its own navigation: Locate and Lookup scan from the first record
// and compare field values by the variant rules (text fields by text under the case and partial
// options). A search tells the scroll events once for the whole move (Locate), or not at all
// (Lookup, which comes back to where it started); controls see one change at the end.
// Descendants with indexes or a record engine override these with faster searches.
#include "framework/DB.h"

#include "framework/Conversions.h"

namespace {

bool IsTextField(const TField* field) {
    switch (field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
    case ftGuid: return true;
    default: return false;
    }
}

bool ValueMatches(TField* field, const Variant& value, TLocateOptions options) {
    if (VarIsClear(value)) return field->IsNull();
    if (field->IsNull()) return false;
    if (IsTextField(field)) {
        UnicodeString text = field->AsString();
        const UnicodeString key = VarToStr(value);
        if (options.Contains(loPartialKey)) text = text.substr(0, key.size());
        return options.Contains(loCaseInsensitive) ? AnsiSameText(text, key) : text == key;
    }
    try {
        return VarCompareValue(field->Value(), value) == vrEqual;
    } catch (const EVariantError&) {
        return false;
    }
}

// The key values as a list: one value, or the elements of an array.
std::vector<Variant> KeyList(const Variant& values, std::size_t count, TDataSet* dataSet) {
    std::vector<Variant> list;
    if (count == 1 && !VarIsArray(values)) {
        list.push_back(values);
    } else if (VarIsArray(values)) {
        for (int i = VarArrayLowBound(values, 1); i <= VarArrayHighBound(values, 1); ++i)
            list.push_back(VarArrayGet(values, i));
    }
    if (list.size() != count) DatabaseError(L"The key values do not match the key fields", dataSet);
    return list;
}

} // namespace

bool TDataSet::MatchesKeys(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                           TLocateOptions Options) {
    for (std::size_t i = 0; i < Fields.size(); ++i)
        if (!ValueMatches(Fields[i], Values[i], Options)) return false;
    return true;
}

bool TDataSet::LocateRecord(const UnicodeString& KeyFields, const Variant& KeyValues,
                            TLocateOptions Options) {
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    const std::vector<Variant> values = KeyList(KeyValues, fields.size(), this);
    const TBookmark start = GetBookmark();
    bool found = false;
    DisableControls();
    ++FSearching;
    try {
        for (First(); !Eof(); Next())
            if (MatchesKeys(fields, values, Options)) {
                found = true;
                break;
            }
        if (!found) GotoBookmark(start);
    } catch (...) {
        --FSearching;
        EnableControls();
        throw;
    }
    --FSearching;
    EnableControls();
    return found;
}

bool TDataSet::Locate(const UnicodeString& KeyFields, const Variant& KeyValues,
                      TLocateOptions Options) {
    CheckBrowseMode();
    NotifyBeforeScroll();
    const bool found = LocateRecord(KeyFields, KeyValues, Options);
    SetFound(found);
    if (found) NotifyAfterScroll();
    return found;
}

Variant TDataSet::Lookup(const UnicodeString& KeyFields, const Variant& KeyValues,
                         const UnicodeString& ResultFields) {
    CheckBrowseMode();
    const TBookmark start = GetBookmark();
    Variant result = Null();
    ++FSearching;
    DisableControls();
    try {
        if (LocateRecord(KeyFields, KeyValues, {})) result = FieldValues(ResultFields);
        GotoBookmark(start);
    } catch (...) {
        EnableControls();
        --FSearching;
        throw;
    }
    EnableControls();
    --FSearching;
    return result;
}

bool TDataSet::FindRecord(bool Restart, bool GoForward) {
    CheckBrowseMode();
    const TBookmark start = GetBookmark();
    bool found = false;
    NotifyBeforeScroll();
    DisableControls();
    ++FSearching;
    try {
        if (Restart)
            GoForward ? First() : Last();
        else
            GoForward ? Next() : Prior();
        while (GoForward ? !Eof() : !Bof()) {
            bool accept = true;
            FOnFilterRecord(this, accept);
            if (accept) {
                found = true;
                break;
            }
            GoForward ? Next() : Prior();
        }
        if (!found) GotoBookmark(start);
    } catch (...) {
        --FSearching;
        EnableControls();
        throw;
    }
    --FSearching;
    EnableControls();
    SetFound(found);
    if (found) NotifyAfterScroll();
    return found;
}

void TDataSet::SetFiltered(bool Value) { FFiltered = Value; }

void TDataSet::SetFilterText(const UnicodeString& Value) { FFilterText = Value; }

void TDataSet::SetFilterOptions(TFilterOptions Value) { FFilterOptions = Value; }

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) { FOnFilterRecord = Value; }
