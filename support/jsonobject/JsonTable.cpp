// An object's members by name, on the hashed AVL tree. Values are counted references; a member
// may hold nil.
#include "support/jsonobject/jsonobject.h"

TJsonRef TJsonTableString::Lookup(const UnicodeString& name) const {
    TJsonAvlEntry* entry = SearchEntry(name, {stEQual});
    return entry ? entry->Value() : nullptr;
}

void TJsonTableString::Store(const UnicodeString& name, const TJsonRef& value, TJsonSlabs* slabs) {
    InsertEntry(TJsonAvlEntry::New(name, value, slabs));
}

void TJsonTableString::Store(TJsonName* name, Cardinal hash, const TJsonRef& value,
                             TJsonSlabs* slabs) {
    InsertEntry(TJsonAvlEntry::New(name, hash, value, slabs));
}

TJsonRef TJsonTableString::GetValues() const {
    TJsonRef values = TJsonObject::Create(stArray);
    TJsonAvlIterator it(this);
    while (it.MoveNext()) values->AsArray()->Add(it.Current()->Value());
    return values;
}

TJsonRef TJsonTableString::GetNames() const {
    TJsonRef names = TJsonObject::Create(stArray);
    TJsonAvlIterator it(this);
    while (it.MoveNext()) names->AsArray()->Add(TJsonObject::Create(it.Current()->Name()));
    return names;
}

// Drops the nil members; the others keep their places in the order.
void TJsonTableString::Pack(bool all) {
    std::vector<UnicodeString> empty;
    TJsonAvlIterator it(this);
    while (it.MoveNext()) {
        TJsonAvlEntry* entry = it.Current();
        if (!entry->Ptr())
            empty.push_back(entry->Name());
        else if (all)
            entry->Ptr()->Pack(true);
    }
    for (const UnicodeString& name : empty) Delete(name);
}

TJsonAvlIterator* TJsonTableString::GetEnumerator() const { return new TJsonAvlIterator(this); }

void TJsonTableString::DisposeEntry(TJsonAvlEntry* entry, bool all) {
    if (all && entry->Ptr()) entry->Ptr()->Clear(true);
    TJsonAvlEntry::Free(entry);
}
