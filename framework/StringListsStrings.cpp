// `TStrings`: what every string list does in terms of the primitives its descendants provide:
// searching, name=value lines, update blocks, assignment.
#include "framework/StringLists.h"

#include <windows.h>

void TStrings::AddStrings(TStrings* strings) {
    WithinUpdate([&] {
        for (int i = 0; i < strings->Count(); ++i)
            AddObject(strings->Strings(i), strings->Objects(i));
    });
}

void TStrings::Assign(TPersistent* source) {
    auto* strings = dynamic_cast<TStrings*>(source);
    if (!strings) return TPersistent::Assign(source);
    if (strings == this) return;
    WithinUpdate([&] {
        Clear();
        FDelimiter = strings->FDelimiter;
        FQuoteChar = strings->FQuoteChar;
        FNameValueSeparator = strings->FNameValueSeparator;
        FStrictDelimiter = strings->FStrictDelimiter;
        AddStrings(strings);
    });
}

bool TStrings::Equals(TStrings* strings) const {
    if (Count() != strings->Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Strings(i) != strings->Strings(i)) return false;
    return true;
}

int TStrings::IndexOf(const UnicodeString& text) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Strings(i), text) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(TObject* object) const {
    for (int i = 0; i < Count(); ++i)
        if (Objects(i) == object) return i;
    return -1;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) throw EStringListError(L"EndUpdate without BeginUpdate");
    if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const UnicodeString& a, const UnicodeString& b) const {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

void TStrings::IndexError(int index) {
    throw EStringListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

UnicodeString TStrings::Names(int index) const {
    const UnicodeString line = Strings(index);
    const auto separator = line.find(FNameValueSeparator);
    return separator == UnicodeString::npos ? UnicodeString() : line.substr(0, separator);
}

UnicodeString TStrings::ValueFromIndex(int index) const {
    const UnicodeString line = Strings(index);
    const auto separator = line.find(FNameValueSeparator);
    return separator == UnicodeString::npos ? UnicodeString() : line.substr(separator + 1);
}

UnicodeString TStrings::Values(const UnicodeString& name) const {
    const int index = IndexOfName(name);
    return index < 0 ? UnicodeString() : ValueFromIndex(index);
}

void TStrings::SetValue(const UnicodeString& name, const UnicodeString& value) {
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
    } else if (index < 0) {
        Add(name + FNameValueSeparator + value);
    } else {
        Put(index, name + FNameValueSeparator + value);
    }
}

int TStrings::IndexOfName(const UnicodeString& name) const {
    for (int i = 0; i < Count(); ++i) {
        const UnicodeString line = Strings(i);
        const auto separator = line.find(FNameValueSeparator);
        if (separator != UnicodeString::npos &&
            CompareStrings(line.substr(0, separator), name) == 0)
            return i;
    }
    return -1;
}
