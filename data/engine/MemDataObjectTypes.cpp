// Object types: attribute lists with reference-counted structured types, and the attribute
// path look-up.
#include "data/engine/MemDataObjectTypes.h"

#include "data/engine/MemDataFields.h"
#include "data/engine/MemUtils.h"

#include "framework/Format.h"

Integer MaxArrayItemFields = 100;

namespace {
bool IsStructured(Word type) {
    return type == dtObject || type == dtReference || type == dtArray || type == dtTable;
}

UnicodeString TrimLeadingBlanks(const UnicodeString& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    return first == UnicodeString::npos ? UnicodeString() : text.substr(first);
}
} // namespace

bool TAttribute::HoldsReference(const TObjectType* type) const {
    return type && !(FOwner && type->Name() == FOwner->Name());
}

void TAttribute::SetObjectType(TObjectType* Value) {
    if (HoldsReference(FObjectType)) FObjectType->Free();
    FObjectType = Value;
    if (HoldsReference(FObjectType)) FObjectType->AddRef();
}

TAttribute::~TAttribute() {
    if (HoldsReference(FObjectType)) FObjectType->Free();
}

TObjectType::~TObjectType() {
    for (TAttribute* attribute : FAttributes) attribute->Free();
}

TAttribute* TObjectType::AddAttribute(TAttribute* Attribute) {
    // The owner decides whether the attribute references its type: set it first.
    TObjectType* type = Attribute->ObjectType();
    if (type) {
        type->AddRef(); // kept alive across the re-assignment
        Attribute->SetObjectType(nullptr);
    }
    Attribute->SetOwner(this);
    Attribute->SetObjectType(type);
    if (type) type->Free();
    FAttributes.push_back(Attribute);
    Attribute->SetAttributeNo(Word(FAttributes.size()));
    return Attribute;
}

TAttribute* TObjectType::FindAttribute(const UnicodeString& Name) const {
    UnicodeString rest = LocaleUpperCase(Name);
    const TObjectType* type = this;
    for (;;) {
        rest = TrimLeadingBlanks(rest);
        const std::size_t dot = rest.find(L'.'), bracket = rest.find(L'[');
        const bool dotted = dot != UnicodeString::npos;
        UnicodeString part;
        if (bracket == 0) { // an element: "[i]" then an optional "."
            const std::size_t close = rest.find(L']');
            if (close == UnicodeString::npos) return nullptr;
            part = ArrayElementAttribute;
            rest = rest.substr(close + 1);
            if (!rest.empty() && rest[0] == L'.') rest.erase(0, 1);
        } else if (dotted && (bracket == UnicodeString::npos || dot < bracket)) {
            part = rest.substr(0, dot);
            rest = rest.substr(dot + 1);
        } else if (bracket == UnicodeString::npos) {
            part = rest;
            rest.clear();
        } else {
            part = rest.substr(0, bracket);
            rest = rest.substr(bracket);
        }
        TAttribute* found = nullptr;
        for (Integer i = 0; i < type->AttributeCount() && !found; ++i)
            if (LocaleUpperCase(type->AttributeAt(i)->Name()) == part) found = type->AttributeAt(i);
        if (!found || (dotted && !IsStructured(found->DataType()))) return nullptr;
        if (!dotted && (bracket == UnicodeString::npos || rest.empty())) return found;
        type = found->ObjectType();
        if (!type) return nullptr;
    }
}

TAttribute* TObjectType::AttributeByName(const UnicodeString& Name) const {
    TAttribute* attribute = FindAttribute(Name);
    if (!attribute) throw Exception(Format(L"Attribute %s not found", {Name}));
    return attribute;
}
