// Checking a value against a rule document: types, required and unexpected members, lengths,
// ranges, enumerations and uniqueness, with named rules that others inherit from. Every
// violation is reported with its kind and the path of the offending value, and checking goes
// on, so one call may report many. Rule documents are input like any other: a chain of
// "inherit" names is followed at most MaxInherit steps, so a rule inheriting from itself ends.
#include "support/jsonobject/jsonobject.h"

#include <set>
#include <utility>

namespace {

constexpr int MaxInherit = 32;

enum TRuleType {
    rtNone,
    rtStr,
    rtInt,
    rtFloat,
    rtNumber,
    rtText,
    rtBool,
    rtMap,
    rtSeq,
    rtScalar,
    rtAny
};

class TValidator {
public:
    TValidator(void* sender, TJsonOnValidateError callback);
    bool Run(const TJsonRef& value, const TJsonRef& rules, const TJsonRef& defs);

private:
    void Report(TJsonValidateError error, const UnicodeString& path);
    void Register(const TJsonRef& rule);
    TJsonRef Inherited(const TJsonRef& rule);
    TJsonRef Keyword(const TJsonRef& rule, const UnicodeString& keyword);
    Integer TypeOf(const TJsonRef& rule);
    bool Flag(const TJsonRef& rule, const UnicodeString& keyword);
    std::vector<std::pair<UnicodeString, TJsonRef>> MappingRules(const TJsonRef& rule);

    bool Check(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path);
    bool CheckScalar(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path,
                     Integer type);
    bool CheckMap(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path);
    bool CheckSeq(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path);
    bool CheckUnique(TJsonArray& items, const TJsonRef& itemRule, const UnicodeString& path);
    bool CheckLength(const TJsonRef& rule, Int64 length, const UnicodeString& path);
    bool CheckRange(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path);
    bool CheckEnum(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path);
    TJsonRef Bounds(const TJsonRef& rule, const UnicodeString& keyword, bool& malformed);

    TJsonRef FTypes = TJsonObject::Create(stObject);
    TJsonRef FRegistry = TJsonObject::Create(stObject);
    void* FSender;
    TJsonOnValidateError FCallback;
};

TValidator::TValidator(void* sender, TJsonOnValidateError callback)
    : FSender(sender), FCallback(callback) {
    static constexpr const wchar_t* names[] = {L"str",  L"int", L"float", L"number", L"text",
                                               L"bool", L"map", L"seq",   L"scalar", L"any"};
    Int64 code = rtStr;
    for (const wchar_t* name : names) FTypes->AsObject()->Store(name, TJsonObject::Create(code++));
}

void TValidator::Report(TJsonValidateError error, const UnicodeString& path) {
    if (FCallback) FCallback(FSender, error, path);
}

bool TValidator::Run(const TJsonRef& value, const TJsonRef& rules, const TJsonRef& defs) {
    if (TJsonArray* list = defs ? defs->AsArray() : nullptr) {
        for (Integer i = 0; i < list->Length(); ++i) {
            const TJsonRef def = list->GetElement(i);
            if (!ValueIsType(def, stObject)) {
                Report(veRuleMalformated, L"");
                return false;
            }
            Register(def);
        }
    }
    if (!ValueIsType(rules, stObject)) {
        Report(veRuleMalformated, L"");
        return false;
    }
    Register(rules);
    return Check(value, rules, L"");
}

void TValidator::Register(const TJsonRef& rule) {
    const TJsonRef name = rule->PathGetObject(L"name");
    if (ValueIsType(name, stString)) FRegistry->PathPutObject(name->AsString(), rule);
    const Integer type = TypeOf(rule);
    if (type == rtMap) {
        TJsonObjectIter member;
        for (bool more = FirstMember(rule->PathGetObject(L"mapping"), member); more;
             more = NextMember(member))
            if (ValueIsType(member.val, stObject)) Register(member.val);
        CloseMembers(member);
    } else if (type == rtSeq) {
        const TJsonRef sequence = rule->PathGetObject(L"sequence");
        if (ValueIsType(sequence, stObject)) Register(sequence);
    }
}

// The registered rule that `rule` inherits from, or nil.
TJsonRef TValidator::Inherited(const TJsonRef& rule) {
    const TJsonRef name = rule->PathGetObject(L"inherit");
    if (!ValueIsType(name, stString)) return nullptr;
    const TJsonRef base = FRegistry->AsObject()->Lookup(name->AsString());
    return ValueIsType(base, stObject) ? base : nullptr;
}

TJsonRef TValidator::Keyword(const TJsonRef& rule, const UnicodeString& keyword) {
    TJsonRef current = rule;
    for (int step = 0; current && step <= MaxInherit; ++step) {
        if (TJsonRef found = current->PathGetObject(keyword)) return found;
        current = Inherited(current);
    }
    return nullptr;
}

Integer TValidator::TypeOf(const TJsonRef& rule) {
    const TJsonRef name = Keyword(rule, L"type");
    if (!name) return rtNone;
    const TJsonRef code = FTypes->AsObject()->Lookup(name->AsString());
    return code ? static_cast<Integer>(code->AsInteger()) : rtNone;
}

bool TValidator::Flag(const TJsonRef& rule, const UnicodeString& keyword) {
    const TJsonRef flag = Keyword(rule, keyword);
    if (!flag || flag->IsType(stNull)) return false;
    if (flag->IsType(stBoolean)) return flag->AsBoolean();
    Report(veRuleMalformated, keyword);
    return false;
}

// The member rules of a map rule: its own "mapping" first, then what each inherited rule's
// "mapping" adds under names not yet present.
std::vector<std::pair<UnicodeString, TJsonRef>> TValidator::MappingRules(const TJsonRef& rule) {
    std::vector<std::pair<UnicodeString, TJsonRef>> rules;
    std::set<UnicodeString> seen;
    TJsonRef current = rule;
    for (int step = 0; current && step <= MaxInherit; ++step, current = Inherited(current)) {
        TJsonObjectIter member;
        for (bool more = FirstMember(current->PathGetObject(L"mapping"), member); more;
             more = NextMember(member))
            if (seen.insert(member.key).second) rules.emplace_back(member.key, member.val);
        CloseMembers(member);
    }
    return rules;
}

bool TValidator::Check(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path) {
    if (!value) {
        if (!Flag(rule, L"required")) return true;
        Report(veFieldIsRequired, path);
        return false;
    }
    bool result = true;
    switch (const Integer type = TypeOf(rule)) {
    case rtStr:
    case rtInt:
    case rtFloat:
    case rtNumber:
    case rtText:
    case rtBool:
    case rtScalar: result = CheckScalar(value, rule, path, type); break;
    case rtMap: result = CheckMap(value, rule, path); break;
    case rtSeq: result = CheckSeq(value, rule, path); break;
    case rtAny: break;
    default: Report(veRuleMalformated, path); result = false;
    }
    return result && CheckEnum(value, rule, path);
}

bool TValidator::CheckScalar(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path,
                             Integer type) {
    const TJsonType t = value->GetDataType();
    const bool number = t == stDouble || t == stInt;
    bool fits = false;
    switch (type) {
    case rtStr: fits = t == stString; break;
    case rtInt: fits = t == stInt; break;
    case rtFloat: fits = t == stDouble; break;
    case rtNumber: fits = number; break;
    case rtText: fits = number || t == stString; break;
    case rtScalar: fits = number || t == stString || t == stBoolean; break;
    default: fits = t == stBoolean; break;
    }
    if (!fits) {
        Report(veInvalidDataType, path);
        return false;
    }
    if (type == rtStr || type == rtText || type == rtScalar) {
        const auto length = static_cast<Int64>(value->AsString().size());
        if (!CheckLength(rule, length, path)) return false;
    }
    return CheckRange(value, rule, path);
}

bool TValidator::CheckMap(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path) {
    if (value->IsType(stNull)) return true;
    if (!value->IsType(stObject)) {
        Report(veRuleMalformated, path);
        return false;
    }
    const auto rules = MappingRules(rule);
    const auto ruleFor = [&rules](const UnicodeString& name) -> TJsonRef {
        for (const auto& [key, memberRule] : rules)
            if (key == name) return memberRule;
        return nullptr;
    };
    bool result = true;
    TJsonObjectIter member;
    for (bool more = FirstMember(value, member); more; more = NextMember(member)) {
        const TJsonRef memberRule = ruleFor(member.key);
        if (ValueIsType(memberRule, stObject)) {
            result = Check(member.val, memberRule, path + L"." + member.key) && result;
        } else {
            Report(veUnexpectedField, path + L"." + member.key);
            result = false;
        }
    }
    CloseMembers(member);
    for (const auto& entry : rules) {
        if (value->AsObject()->SearchEntry(entry.first, {stEQual})) continue;
        Report(veFieldNotFound, path + L"." + entry.first);
        result = false;
    }
    return result;
}

bool TValidator::CheckSeq(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path) {
    TJsonArray* items = value->AsArray();
    if (!items) {
        Report(veRuleMalformated, path);
        return false;
    }
    bool result = true;
    const TJsonRef itemRule = Keyword(rule, L"sequence");
    if (ValueIsType(itemRule, stObject)) {
        for (Integer i = 0; i < items->Length(); ++i)
            result =
                Check(items->GetElement(i), itemRule, path + L"[" + std::to_wstring(i) + L"]") &&
                result;
        result = CheckUnique(*items, itemRule, path) && result;
    } else if (itemRule && !itemRule->IsType(stNull)) {
        Report(veRuleMalformated, path);
        result = false;
    }
    return result && CheckLength(rule, items->Length(), path);
}

// Unique elements, and unique members of map elements, compared by their text; empty texts,
// nil elements and elements without the member do not take part.
bool TValidator::CheckUnique(TJsonArray& items, const TJsonRef& itemRule,
                             const UnicodeString& path) {
    bool result = true;
    const auto check = [&](const UnicodeString& member) {
        std::set<UnicodeString> seen;
        for (Integer i = 0; i < items.Length(); ++i) {
            TJsonRef item = items.GetElement(i);
            if (item && !member.empty())
                item = item->AsObject() ? item->AsObject()->Lookup(member) : nullptr;
            const UnicodeString text = item ? item->AsString() : UnicodeString();
            if (text.empty() || seen.insert(text).second) continue;
            Report(veDuplicateEntry, path + L"[" + std::to_wstring(i) + L"]" +
                                         (member.empty() ? L"" : L"." + member));
            result = false;
        }
    };
    if (Flag(itemRule, L"unique")) check(L"");
    if (TypeOf(itemRule) != rtMap) return result;
    for (const auto& [name, memberRule] : MappingRules(itemRule))
        if (ValueIsType(memberRule, stObject) && !name.empty() && Flag(memberRule, L"unique"))
            check(name);
    return result;
}

// The bounds object of "length" or "range"; nil (and `malformed`) when it is not an object.
TJsonRef TValidator::Bounds(const TJsonRef& rule, const UnicodeString& keyword, bool& malformed) {
    const TJsonRef bounds = Keyword(rule, keyword);
    malformed = bounds && !bounds->IsType(stNull) && !bounds->IsType(stObject);
    if (malformed) Report(veRuleMalformated, L"");
    return ValueIsType(bounds, stObject) ? bounds : nullptr;
}

bool TValidator::CheckLength(const TJsonRef& rule, Int64 length, const UnicodeString& path) {
    bool malformed = false;
    const TJsonRef bounds = Bounds(rule, L"length", malformed);
    if (!bounds) return !malformed;
    bool result = true;
    const auto bound = [&](const wchar_t* name, auto fails) {
        const TJsonRef limit = bounds->AsObject()->Lookup(name);
        if (!limit || !fails(limit->AsInteger())) return;
        Report(veInvalidLength, path);
        result = false;
    };
    bound(L"min", [length](Int64 b) { return length < b; });
    bound(L"max", [length](Int64 b) { return length > b; });
    bound(L"minex", [length](Int64 b) { return length <= b; });
    bound(L"maxex", [length](Int64 b) { return length >= b; });
    return result;
}

bool TValidator::CheckRange(const TJsonRef& value, const TJsonRef& rule,
                            const UnicodeString& path) {
    bool malformed = false;
    const TJsonRef bounds = Bounds(rule, L"range", malformed);
    if (!bounds) return !malformed;
    bool result = true;
    const auto bound = [&](const wchar_t* name, TJsonCompareResult a, TJsonCompareResult b) {
        const TJsonRef limit = bounds->AsObject()->Lookup(name);
        if (!limit) return;
        const TJsonCompareResult order = limit->Compare(value);
        if (order != a && order != b) return;
        Report(veInvalidRange, path);
        result = false;
    };
    bound(L"min", cpGreat, cpGreat);
    bound(L"max", cpLess, cpLess);
    bound(L"minex", cpEqu, cpGreat);
    bound(L"maxex", cpLess, cpEqu);
    return result;
}

bool TValidator::CheckEnum(const TJsonRef& value, const TJsonRef& rule, const UnicodeString& path) {
    const TJsonRef values = Keyword(rule, L"enum");
    if (!values || values->IsType(stNull)) return true;
    if (!values->IsType(stArray)) {
        Report(veRuleMalformated, L"");
        return false;
    }
    const UnicodeString text = value->AsString();
    TJsonArray& list = *values->AsArray();
    for (Integer i = 0; i < list.Length(); ++i)
        if (list.GetElement(i) && list.GetElement(i)->AsString() == text) return true;
    Report(veValueNotInEnum, path);
    return false;
}

} // namespace

bool TJsonObject::Validate(const TJsonRef& rules, const TJsonRef& defs, void* sender,
                           TJsonOnValidateError callback) {
    return TValidator(sender, callback).Run(Self(), rules, defs);
}

bool TJsonObject::Validate(const UnicodeString& rules, const UnicodeString& defs, void* sender,
                           TJsonOnValidateError callback) {
    return Validate(JsonFromText(rules), JsonFromText(defs), sender, callback);
}
