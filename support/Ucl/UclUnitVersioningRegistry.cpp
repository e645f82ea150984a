// The registry: module entries in the order modules first published, and the providers.
#include "support/Ucl/UclUnitVersioning.h"

TUnitVersioning::~TUnitVersioning() {
    FProviders.clear();
    FModules.clear();
}

void TUnitVersioning::RecordUnit(HINSTANCE instance, const TUnitVersionInfo* info) {
    for (const auto& module : FModules) {
        if (module->Instance() != instance) continue;
        if (module->PositionOfInfo(info) < 0) module->AddInfo(info);
        return;
    }
    FModules.push_back(std::make_unique<TUnitVersioningModule>(instance));
    FModules.back()->AddInfo(info);
}

void TUnitVersioning::ForgetModule(HINSTANCE instance) {
    for (auto it = FModules.rbegin(); it != FModules.rend(); ++it) {
        if ((*it)->Instance() != instance) continue;
        FModules.erase(std::next(it).base());
        break;
    }
    for (const auto& provider : FProviders) provider->ReleaseModuleUnitVersioningInfo(instance);
}

void TUnitVersioning::PruneModules() {
    for (std::size_t i = FModules.size(); i-- > 0;) {
        wchar_t name[1024];
        if (GetModuleFileNameW(FModules[i]->Instance(), name, 1024) == 0)
            FModules.erase(FModules.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

int TUnitVersioning::Count() {
    PruneModules();
    int count = 0;
    for (const auto& module : FModules) count += module->Count();
    return count;
}

int TUnitVersioning::ModuleCount() {
    PruneModules();
    return static_cast<int>(FModules.size());
}

int TUnitVersioning::IndexOf(const UnicodeString& rcsFile, const UnicodeString& logPath) const {
    int before = 0;
    for (const auto& module : FModules) {
        const int index = module->IndexOf(rcsFile, logPath);
        if (index >= 0) return before + index;
        before += module->Count();
    }
    return -1;
}

TUnitVersion* TUnitVersioning::FindUnit(const UnicodeString& rcsFile,
                                        const UnicodeString& logPath) const {
    for (const auto& module : FModules)
        if (TUnitVersion* unit = module->FindUnit(rcsFile, logPath)) return unit;
    return nullptr;
}

void TUnitVersioning::RegisterProvider(TClass providerClass) {
    for (const auto& provider : FProviders)
        if (provider->ClassType() == providerClass) return;
    TObject* created = CreateInstance(providerClass);
    auto* provider = dynamic_cast<TCustomUnitVersioningProvider*>(created);
    if (!provider) {
        created->Free();
        throw EInvalidOperation(L"Not a unit versioning provider class");
    }
    FProviders.emplace_back(provider);
}

void TUnitVersioning::LoadModuleUnitVersioningInfo(HINSTANCE instance) {
    for (const auto& provider : FProviders) provider->LoadModuleUnitVersioningInfo(instance);
}
