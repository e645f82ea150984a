// The value's path operations: each runs the reader in path mode with this value as the
// context, and converts or wraps what it finds.
#include "support/jsonobject/jsonobject.h"

#include <algorithm>

namespace {

// At least as many steps as the reader takes through the path: each delimiter that goes on
// from a name starts one.
std::ptrdiff_t StepsAtMost(const UnicodeString& path) {
    return 1 + std::count_if(path.begin(), path.end(),
                             [](wchar_t c) { return c == L'.' || c == L'[' || c == L'('; });
}

} // namespace

TJsonRef JsonFromText(const UnicodeString& text) { return TJsonObject::ParseString(text, true); }

// A path that may take more steps than the reader allows is refused before it runs, so that
// the refusal leaves the value as it was instead of creating the first steps.
TJsonRef TJsonObject::Find(const UnicodeString& path, TJsonFindOptions options, const TJsonRef& put,
                           TJsonType dt) {
    if (StepsAtMost(path) > TJsonTokenizer::MaxDepth) return nullptr;
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
