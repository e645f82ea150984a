// Walking a value's members or elements, and filling a template from paths.
#include "support/jsonobject/jsonobject.h"

TJsonEnumerator::TJsonEnumerator(const TJsonRef& obj) : FObj(obj) {
    if (TJsonTableString* table = obj ? obj->AsObject() : nullptr)
        FObjEnum = new TJsonAvlIterator(table);
}

TJsonEnumerator::~TJsonEnumerator() { delete FObjEnum; }

bool TJsonEnumerator::MoveNext() {
    if (FObjEnum) return FObjEnum->MoveNext();
    TJsonArray* array = FObj ? FObj->AsArray() : nullptr;
    if (!array) return false;
    ++FCount;
    return FCount < array->Length();
}

TJsonRef TJsonEnumerator::Current() const {
    if (FObjEnum) return FObjEnum->Current() ? FObjEnum->Current()->Value() : nullptr;
    TJsonArray* array = FObj ? FObj->AsArray() : nullptr;
    return array ? array->GetElement(FCount) : nullptr;
}

TJsonEnumerator* TJsonObject::GetEnumerator() { return new TJsonEnumerator(Self()); }

namespace {

bool FillMember(TJsonObjectIter& f) {
    TJsonAvlEntry* entry = f.Ite->Current();
    if (!entry) return false;
    f.key = entry->Name();
    f.val = entry->Value();
    return true;
}

} // namespace

bool FirstMember(const TJsonRef& value, TJsonObjectIter& f) {
    TJsonTableString* table = value ? value->AsObject() : nullptr;
    if (!table) return false;
    delete f.Ite;
    f.owner = value;
    f.Ite = new TJsonAvlIterator(table);
    f.Ite->First();
    return FillMember(f);
}

bool NextMember(TJsonObjectIter& f) {
    if (!f.Ite) return false;
    f.Ite->Next();
    return FillMember(f);
}

void CloseMembers(TJsonObjectIter& f) {
    delete f.Ite;
    f.Ite = nullptr;
    f.val.Reset();
    f.owner.Reset();
}

UnicodeString TJsonObject::Format(const UnicodeString& str, wchar_t beginSep, wchar_t endSep) {
    UnicodeString result;
    size_t pos = 0;
    for (;;) {
        const size_t begin = str.find(beginSep, pos);
        if (begin == UnicodeString::npos) return result + str.substr(pos);
        result += str.substr(pos, begin - pos);
        const size_t end = str.find(endSep, begin + 1);
        if (end == UnicodeString::npos) return result;
        result += PathGetString(str.substr(begin + 1, end - begin - 1));
        pos = end + 1;
    }
}
