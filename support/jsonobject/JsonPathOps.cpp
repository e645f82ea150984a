// The value's path operations: each runs the reader in path mode with this value as the
// context, and converts or wraps what it finds.
#include "support/jsonobject/jsonobject.h"

TJsonRef JsonFromText(const UnicodeString& text) { return TJsonObject::ParseString(text, true); }

TJsonRef TJsonObject::Find(const UnicodeString& path, TJsonFindOptions options, const TJsonRef& put,
                           TJsonType dt) {
    return ParseString(path, true, Self(), options, put, dt);
}

TJsonRef TJsonObject::PathGetObject(const UnicodeString& path) { return Find(path, {}); }

TJsonRef TJsonObject::GetN(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found : Create(stNull);
}

TJsonArray* TJsonObject::PathGetArray(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found->AsArray() : nullptr;
}

TJsonMethod TJsonObject::PathGetMethod(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found->AsMethod() : nullptr;
}

bool TJsonObject::PathGetBoolean(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found->AsBoolean() : false;
}

Int64 TJsonObject::PathGetInteger(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found->AsInteger() : 0;
}

double TJsonObject::PathGetDouble(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found->AsDouble() : 0.0;
}

UnicodeString TJsonObject::PathGetString(const UnicodeString& path) {
    TJsonRef found = Find(path, {});
    return found ? found->AsString() : UnicodeString();
}

void TJsonObject::PathPutObject(const UnicodeString& path, const TJsonRef& value) {
    Find(path, {foCreatePath, foPutValue}, value);
}

void TJsonObject::PutN(const UnicodeString& path, const TJsonRef& value) {
    PathPutObject(path, value ? value : Create(stNull));
}

void TJsonObject::PathPutBoolean(const UnicodeString& path, bool value) {
    PathPutObject(path, Create(value));
}

void TJsonObject::PathPutInteger(const UnicodeString& path, Int64 value) {
    PathPutObject(path, Create(value));
}

void TJsonObject::PathPutDouble(const UnicodeString& path, double value) {
    PathPutObject(path, Create(value));
}

void TJsonObject::PathPutString(const UnicodeString& path, const UnicodeString& value) {
    PathPutObject(path, Create(value));
}

void TJsonObject::PathPutMethod(const UnicodeString& path, TJsonMethod value) {
    PathPutObject(path, Create(value));
}

TJsonRef TJsonObject::ForcePath(const UnicodeString& path, TJsonType dataType) {
    return Find(path, {foCreatePath}, nullptr, dataType);
}

TJsonRef TJsonObject::Delete(const UnicodeString& path) { return Find(path, {foDelete}); }

TJsonRef TJsonObject::call(const UnicodeString& path, const TJsonRef& param) {
    return Find(path, {foCallMethod}, param);
}

TJsonRef TJsonObject::call(const UnicodeString& path, const UnicodeString& param) {
    return call(path, JsonFromText(param));
}
