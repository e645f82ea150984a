// Whole-value operations: clone, merge, clear and pack. Each walks at most MaxNesting levels
// deep: a clone of a deeper value is nil, the others leave the deeper levels as they are.
#include "support/jsonobject/JsonNesting.h"

namespace {

TJsonRef CloneOf(const TJsonRef& value) { return value ? value->Clone() : nullptr; }

// Clears the flag on every way out of an operation that set it.
class TProcessingGuard {
public:
    explicit TProcessingGuard(IJsonObject& value) : FValue(value) { FValue.SetProcessing(true); }
    ~TProcessingGuard() { FValue.SetProcessing(false); }
    TProcessingGuard(const TProcessingGuard&) = delete;
    TProcessingGuard& operator=(const TProcessingGuard&) = delete;

private:
    IJsonObject& FValue;
};

} // namespace

// A container met again while it is being cloned (a value inside itself) clones to nil, so a
// cycle ends instead of recursing until the stack runs out.
TJsonRef TJsonObject::Clone() {
    if (FProcessing) return nullptr;
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return nullptr;
    TProcessingGuard guard(*this);
    switch (FDataType) {
    case stBoolean: return Create(FO.c_boolean);
    case stDouble: return Create(FO.c_double);
    case stInt: return Create(FO.c_int);
    case stString: return CreateString(StringData(), StringSize());
    case stMethod: return Create(FO.c_method);
    case stObject: {
        TJsonRef copy = Create(stObject);
        TJsonAvlIterator it(FO.c_object);
        while (it.MoveNext() && !TJsonNesting::WasCut())
            copy->AsObject()->Store(it.Current()->Name(), CloneOf(it.Current()->Value()));
        return TJsonNesting::WasCut() ? nullptr : copy;
    }
    case stArray: {
        TJsonRef copy = Create(stArray);
        for (Integer i = 0; i < FO.c_array->Length() && !TJsonNesting::WasCut(); ++i)
            copy->AsArray()->Add(CloneOf(FO.c_array->GetElement(i)));
        return TJsonNesting::WasCut() ? nullptr : copy;
    }
    default: return nullptr;
    }
}

void TJsonObject::Merge(const TJsonRef& obj, bool reference) {
    if (!obj || obj->GetDataType() != FDataType) return;
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return;
    TJsonObject& source = *JsonImpl(obj.Get());
    switch (FDataType) {
    case stBoolean: FO.c_boolean = source.FO.c_boolean; break;
    case stDouble: FO.c_double = source.FO.c_double; break;
    case stInt: FO.c_int = source.FO.c_int; break;
    case stString: SetString(source.StringData(), source.StringSize()); break;
    case stMethod: FO.c_method = source.FO.c_method; break;
    case stObject: MergeObject(source, reference); break;
    case stArray: MergeArray(source, reference); break;
    default: break;
    }
}

void TJsonObject::Merge(const UnicodeString& str) { Merge(JsonFromText(str), true); }

void TJsonObject::MergeObject(TJsonObject& source, bool reference) {
    TJsonAvlIterator it(source.FO.c_object);
    while (it.MoveNext()) {
        const TJsonRef& from = it.Current()->Value();
        const TJsonRef mine = FO.c_object->Lookup(it.Current()->Name());
        if (mine && from && mine->GetDataType() == from->GetDataType())
            mine->Merge(from, false);
        else
            FO.c_object->Store(it.Current()->Name(), reference ? from : CloneOf(from));
    }
}

void TJsonObject::MergeArray(TJsonObject& source, bool reference) {
    TJsonArray& from = *source.FO.c_array;
    for (Integer i = 0; i < from.Length(); ++i) {
        const TJsonRef theirs = from.GetElement(i);
        const TJsonRef mine = FO.c_array->GetElement(i);
        if (mine && theirs && mine->GetDataType() == theirs->GetDataType())
            mine->Merge(theirs, false);
        else
            FO.c_array->PutElement(i, reference ? theirs : CloneOf(theirs));
    }
}

void TJsonObject::Clear(bool all) {
    if (FProcessing) return;
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return;
    TProcessingGuard guard(*this);
    switch (FDataType) {
    case stBoolean: FO.c_boolean = false; break;
    case stDouble: FO.c_double = 0; break;
    case stInt: FO.c_int = 0; break;
    case stString: SetString(nullptr, 0); break;
    case stMethod: FO.c_method = nullptr; break;
    case stObject: FO.c_object->Clear(all); break;
    case stArray: FO.c_array->Clear(all); break;
    default: break;
    }
}

void TJsonObject::Pack(bool all) {
    if (FProcessing) return;
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return;
    TProcessingGuard guard(*this);
    if (FDataType == stObject) FO.c_object->Pack(all);
    if (FDataType == stArray) FO.c_array->Pack(all);
}
