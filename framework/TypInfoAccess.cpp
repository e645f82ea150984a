// Reading and writing properties by name: finding the property, checking that the routine fits
// its kind and that a value fits its type, and the text forms of enumerations and sets. Every
// failure is an EPropertyError that names the property and the object's class.
#include "framework/TypInfo.h"

#include "framework/Conversions.h"

namespace {

UnicodeString Where(TObject* instance, const UnicodeString& name) {
    return L"property " + name + L" of " + instance->ClassName();
}

const TPropInfo& Require(TObject* instance, const UnicodeString& name) {
    if (!instance) throw EPropertyError(L"Cannot reach property " + name + L" of a nil object");
    PPropInfo info = GetPropInfo(instance, name);
    if (!info)
        throw EPropertyError(L"Class " + instance->ClassName() + L" has no property " + name);
    return *info;
}

const TPropInfo& RequireKind(TObject* instance, const UnicodeString& name,
                             std::initializer_list<TTypeKind> kinds, const wchar_t* kindText) {
    const TPropInfo& info = Require(instance, name);
    for (TTypeKind kind : kinds)
        if (info.Kind == kind) return info;
    throw EPropertyError(L"The " + Where(instance, name) + L" is not " + kindText);
}

void RequireWritable(bool writable, TObject* instance, const UnicodeString& name) {
    if (!writable) throw EPropertyError(L"The " + Where(instance, name) + L" is read-only");
}

int ElementIndex(const TPropInfo& info, const UnicodeString& element) {
    for (std::size_t i = 0; i < info.ElementNames.size(); ++i)
        if (SameText(info.ElementNames[i], element)) return static_cast<int>(i);
    throw EPropertyError(L"\"" + element + L"\" is not a value of property " + info.Name);
}

std::uint64_t ElementMask(const TPropInfo& info) {
    const std::size_t count = info.ElementNames.size();
    return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

void CheckOrdinal(const TPropInfo& info, Int64 value) {
    const bool fits =
        info.Kind == tkEnumeration
            ? value >= 0 && value < static_cast<Int64>(info.ElementNames.size())
            : info.Kind != tkSet || (static_cast<std::uint64_t>(value) & ~ElementMask(info)) == 0;
    if (!fits) typinfo_detail::RaiseRange(info.Name, value);
}

// The text between the brackets, or the whole text when it has none.
UnicodeString SetBody(const TPropInfo& info, const UnicodeString& text) {
    const UnicodeString trimmed = Trim(text);
    const bool opens = !trimmed.empty() && trimmed.front() == L'[';
    const bool closes = !trimmed.empty() && trimmed.back() == L']';
    if (opens != closes || (opens && trimmed.size() < 2))
        throw EPropertyError(L"\"" + text + L"\" is not a set text for property " + info.Name);
    return opens ? trimmed.substr(1, trimmed.size() - 2) : trimmed;
}

std::uint64_t TextToSet(const TPropInfo& info, const UnicodeString& text) {
    const UnicodeString body = SetBody(info, text);
    std::uint64_t bits = 0;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t comma = body.find(L',', start);
        if (comma == UnicodeString::npos) comma = body.size();
        const UnicodeString element = Trim(body.substr(start, comma - start));
        if (!element.empty()) bits |= std::uint64_t{1} << ElementIndex(info, element);
        start = comma + 1;
    }
    return bits;
}

UnicodeString SetToText(const TPropInfo& info, std::uint64_t bits) {
    UnicodeString text;
    for (std::size_t i = 0; i < info.ElementNames.size(); ++i) {
        if (!(bits & (std::uint64_t{1} << i))) continue;
        if (!text.empty()) text += L',';
        text += info.ElementNames[i];
    }
    return text;
}

const TPropInfo& RequireOrdinal(TObject* instance, const UnicodeString& name) {
    return RequireKind(instance, name, {tkInteger, tkEnumeration, tkSet}, L"an ordinal property");
}

// After RequireWritable: the value is checked against the type before it is written.
void WriteOrdinal(TObject* instance, const TPropInfo& info, Int64 value) {
    CheckOrdinal(info, value);
    info.SetOrd(instance, value);
}

} // namespace

Int64 GetOrdProp(TObject* Instance, const UnicodeString& PropName) {
    return RequireOrdinal(Instance, PropName).GetOrd(Instance);
}

void SetOrdProp(TObject* Instance, const UnicodeString& PropName, Int64 Value) {
    const TPropInfo& info = RequireOrdinal(Instance, PropName);
    RequireWritable(static_cast<bool>(info.SetOrd), Instance, PropName);
    WriteOrdinal(Instance, info, Value);
}

UnicodeString GetEnumProp(TObject* Instance, const UnicodeString& PropName) {
    const TPropInfo& info = RequireKind(Instance, PropName, {tkEnumeration}, L"an enumeration");
    const Int64 value = info.GetOrd(Instance);
    if (value < 0 || value >= static_cast<Int64>(info.ElementNames.size())) return IntToStr(value);
    return info.ElementNames[static_cast<std::size_t>(value)];
}

void SetEnumProp(TObject* Instance, const UnicodeString& PropName, const UnicodeString& Value) {
    const TPropInfo& info = RequireKind(Instance, PropName, {tkEnumeration}, L"an enumeration");
    RequireWritable(static_cast<bool>(info.SetOrd), Instance, PropName);
    WriteOrdinal(Instance, info, ElementIndex(info, Trim(Value)));
}

UnicodeString GetSetProp(TObject* Instance, const UnicodeString& PropName, bool Brackets) {
    const TPropInfo& info = RequireKind(Instance, PropName, {tkSet}, L"a set");
    const UnicodeString text = SetToText(info, static_cast<std::uint64_t>(info.GetOrd(Instance)));
    return Brackets ? L"[" + text + L"]" : text;
}

void SetSetProp(TObject* Instance, const UnicodeString& PropName, const UnicodeString& Value) {
    const TPropInfo& info = RequireKind(Instance, PropName, {tkSet}, L"a set");
    RequireWritable(static_cast<bool>(info.SetOrd), Instance, PropName);
    WriteOrdinal(Instance, info, static_cast<Int64>(TextToSet(info, Value)));
}

TObject* GetObjectProp(TObject* Instance, const UnicodeString& PropName) {
    return RequireKind(Instance, PropName, {tkClass}, L"an object property").GetObj(Instance);
}

UnicodeString GetStrProp(TObject* Instance, const UnicodeString& PropName) {
    return RequireKind(Instance, PropName, {tkString}, L"a string property").GetStr(Instance);
}

void SetStrProp(TObject* Instance, const UnicodeString& PropName, const UnicodeString& Value) {
    const TPropInfo& info = RequireKind(Instance, PropName, {tkString}, L"a string property");
    RequireWritable(static_cast<bool>(info.SetStr), Instance, PropName);
    info.SetStr(Instance, Value);
}

bool IsMethodAssigned(TObject* Instance, const UnicodeString& PropName) {
    return GetMethodProp(Instance, PropName).Assigned();
}

TMethod GetMethodProp(TObject* Instance, const UnicodeString& PropName) {
    return RequireKind(Instance, PropName, {tkMethod}, L"a method property").GetMethod(Instance);
}

void SetMethodProp(TObject* Instance, const UnicodeString& PropName, const TMethod& Value) {
    const TPropInfo& info = RequireKind(Instance, PropName, {tkMethod}, L"a method property");
    RequireWritable(static_cast<bool>(info.SetMethod), Instance, PropName);
    if (Value.Assigned() && *Value.EventType() != *info.EventType)
        throw EPropertyError(L"The " + Where(Instance, PropName) +
                             L" takes handlers of another event type");
    info.SetMethod(Instance, Value);
}
