// The registry of property tables: one list per class, filled at start-up and then only read.
// Entries are allocated one by one and never removed, so a TPropInfo pointer handed out stays
// valid for the life of the process. A lookup walks the class chain from the most derived
// class up; the lists are short (a handful of names per class), so a linear search is enough.
#include "framework/TypInfo.h"

#include "framework/Conversions.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

UnicodeString KindText(const TPropInfo& info) {
    switch (info.Kind) {
    case tkEnumeration: return L"enumeration";
    case tkSet: return L"set";
    case tkMethod: return L"method";
    default: return L"property";
    }
}

bool HasGetter(const TPropInfo& info) {
    switch (info.Kind) {
    case tkInteger:
    case tkEnumeration:
    case tkSet: return static_cast<bool>(info.GetOrd);
    case tkString: return static_cast<bool>(info.GetStr);
    case tkClass: return static_cast<bool>(info.GetObj);
    case tkMethod: return info.GetMethod && info.EventType;
    default: return false;
    }
}

void Validate(TClass klass, const TPropInfo& info) {
    const UnicodeString where = L" " + info.Name + L" of " + klass->Name;
    if (info.Name.empty())
        throw EPropertyError(L"A property of " + UnicodeString(klass->Name) + L" has no name");
    if (!HasGetter(info))
        throw EPropertyError(L"The " + KindText(info) + where + L" cannot be read");
    const bool named = info.Kind == tkEnumeration || info.Kind == tkSet;
    if (named && info.ElementNames.empty())
        throw EPropertyError(L"The " + KindText(info) + where + L" has no element names");
    if (info.Kind == tkSet && info.ElementNames.size() > 64)
        throw EPropertyError(L"The set" + where + L" has more than 64 elements");
}

class TRegistry {
public:
    TRegistry() {
        for (auto& [klass, properties] : typinfo_detail::FrameworkPropertyTables())
            Add(klass, std::move(properties));
    }

    void Add(TClass klass, std::vector<TPropInfo> properties) {
        for (const TPropInfo& info : properties) Validate(klass, info);
        std::lock_guard<std::mutex> lock(FLock);
        auto& list = FTables[klass];
        for (TPropInfo& info : properties)
            if (!FindIn(list, info.Name))
                list.push_back(std::make_unique<TPropInfo>(std::move(info)));
    }

    PPropInfo Find(TClass klass, const UnicodeString& name) const {
        std::lock_guard<std::mutex> lock(FLock);
        for (; klass; klass = klass->Parent) {
            auto table = FTables.find(klass);
            if (table == FTables.end()) continue;
            if (PPropInfo info = FindIn(table->second, name)) return info;
        }
        return nullptr;
    }

private:
    using TList = std::vector<std::unique_ptr<TPropInfo>>;

    static PPropInfo FindIn(const TList& list, const UnicodeString& name) {
        for (const auto& info : list)
            if (SameText(info->Name, name)) return info.get();
        return nullptr;
    }

    mutable std::mutex FLock;
    std::map<TClass, TList> FTables; // guarded by FLock
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

} // namespace

void RegisterProperties(TClass AClass, std::vector<TPropInfo> Properties) {
    if (!AClass) throw EPropertyError(L"Properties cannot be registered without a class");
    Registry().Add(AClass, std::move(Properties));
}

PPropInfo GetPropInfo(TClass AClass, const UnicodeString& PropName) {
    return AClass ? Registry().Find(AClass, PropName) : nullptr;
}

PPropInfo GetPropInfo(TObject* Instance, const UnicodeString& PropName) {
    return Instance ? GetPropInfo(Instance->ClassType(), PropName) : nullptr;
}

bool PropExists(TObject* Instance, const UnicodeString& PropName) {
    return GetPropInfo(Instance, PropName) != nullptr;
}

void typinfo_detail::RaiseRange(const UnicodeString& name, Int64 value) {
    throw EPropertyError(IntToStr(value) + L" is out of the range of property " + name);
}

void TMethod::RaiseTypeMismatch() {
    throw EPropertyError(L"The handler is of another event type than the one asked for");
}

bool operator==(const TMethod& a, const TMethod& b) noexcept {
    if (!a.FType || !b.FType) return a.FType == b.FType;
    return *a.FType == *b.FType && std::memcmp(a.FEvent, b.FEvent, sizeof(a.FEvent)) == 0;
}
