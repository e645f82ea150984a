// The process-wide registry of unit version records.
//
//   TUnitVersionInfo               the record a unit supplies (and keeps alive)
//   TUnitVersion                   one registered record, with its keyword lines unwrapped
//   TUnitVersioningModule          the units of one module (executable or library)
//   TCustomUnitVersioningProvider  a source of records for modules loaded later
//   TUnitVersioning                the registry: its modules and providers
//
// Every module of a process that links this unit finds the same registry: the first module to
// ask creates it and publishes its address in the shared block "ShmNPA_UnitVersioning_<pid>",
// under the named mutex "MutexNPA_UnitVersioning_<pid>"; later modules read it from there. The
// registry's own operations are virtual where another module calls into it (RecordUnit,
// ForgetModule), so that they run the owner's code. The lists are not guarded: modules publish
// and withdraw from their start-up and shut-down, which the loader serialises.
//
// Only the owning module clears the shared block when it shuts down; another module that asks
// afterwards finds the block empty and takes over with a new registry of its own (the records
// of the old one went with its owner).
#pragma once

#include "framework/DateTime.h"
#include "framework/ModuleInit.h"
#include "framework/Objects.h"
#include "support/Ucl/UclSynch.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

struct TUnitVersionInfo {
    UnicodeString RCSfile;
    UnicodeString Revision;
    UnicodeString Date;
    UnicodeString LogPath;
    UnicodeString Extra;
    void* Data = nullptr;
};

class TUnitVersion : public TObject {
public:
    explicit TUnitVersion(const TUnitVersionInfo* info) noexcept : FInfo(info) {}

    const TUnitVersionInfo* Info() const noexcept { return FInfo; }
    // The file name out of a "$RCSfile: ...,v $" or "$URL: .../name $" keyword line.
    UnicodeString RCSfile() const;
    UnicodeString Revision() const;
    UnicodeString Date() const;
    UnicodeString LogPath() const;
    UnicodeString Extra() const;
    void* Data() const noexcept { return FInfo->Data; }
    // The date and time of Date(); 0 when the text holds no date.
    TDateTime DateTime() const;

private:
    const TUnitVersionInfo* FInfo; // not owned
};

class TUnitVersioningModule : public TObject {
public:
    explicit TUnitVersioningModule(HINSTANCE instance) noexcept : FInstance(instance) {}

    HINSTANCE Instance() const noexcept { return FInstance; }
    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    TUnitVersion* UnitAt(int index) const {
        return FItems.at(static_cast<std::size_t>(index)).get();
    }
    void AddInfo(const TUnitVersionInfo* info);
    int PositionOfInfo(const TUnitVersionInfo* info) const noexcept;
    // The first unit with that file name (ignoring case) and, unless `logPath` is "*", that
    // log path (trimmed, ignoring case); -1 or null when there is none.
    int IndexOf(const UnicodeString& rcsFile, const UnicodeString& logPath = L"*") const;
    TUnitVersion* FindUnit(const UnicodeString& rcsFile, const UnicodeString& logPath = L"*") const;

private:
    HINSTANCE FInstance;
    std::vector<std::unique_ptr<TUnitVersion>> FItems;
};

class TCustomUnitVersioningProvider : public TObject {
    CLASS_INFO(TCustomUnitVersioningProvider, TObject)
public:
    virtual void LoadModuleUnitVersioningInfo(HINSTANCE) {}
    virtual void ReleaseModuleUnitVersioningInfo(HINSTANCE) {}
};

class TUnitVersioning : public TObject {
public:
    ~TUnitVersioning() override;

    virtual void RecordUnit(HINSTANCE instance, const TUnitVersionInfo* info);
    // Removes the last module entry of the instance, then tells every provider.
    virtual void ForgetModule(HINSTANCE instance);

    // Both drop the entries of modules that are no longer loaded first.
    int Count();
    int ModuleCount();
    TUnitVersioningModule* ModuleAt(int index) const {
        return FModules.at(static_cast<std::size_t>(index)).get();
    }
    // The position over all modules in order, or -1.
    int IndexOf(const UnicodeString& rcsFile, const UnicodeString& logPath = L"*") const;
    TUnitVersion* FindUnit(const UnicodeString& rcsFile, const UnicodeString& logPath = L"*") const;
    // Creates a provider of that class unless one of exactly that class is present.
    void RegisterProvider(TClass providerClass);
    void LoadModuleUnitVersioningInfo(HINSTANCE instance);

private:
    void PruneModules();

    std::vector<std::unique_ptr<TUnitVersioningModule>> FModules;
    std::vector<std::unique_ptr<TCustomUnitVersioningProvider>> FProviders;
};

// One module's way to the shared registry. The module has one (`ModuleUnitVersioning()`);
// tests make more under names of their own to play several modules.
class TUnitVersioningLink {
public:
    // `suffix` follows the mutex and block names; the default is the process id.
    explicit TUnitVersioningLink(UnicodeString suffix = {});
    ~TUnitVersioningLink() { Shutdown(); }
    TUnitVersioningLink(const TUnitVersioningLink&) = delete;
    TUnitVersioningLink& operator=(const TUnitVersioningLink&) = delete;

    // The shared registry; null after Shutdown.
    TUnitVersioning* Acquire();
    // Clears the shared block when this link owns the registry there, unmaps it, frees the
    // registry it owns and refuses further requests. Never raises.
    void Shutdown() noexcept;
    bool OwnsRegistry() const noexcept { return FOwnsRegistry; }

private:
    void AcquireFirst();
    void Reread();
    TUnitVersioning* CreateOwned();

    UnicodeString FSuffix;
    std::unique_ptr<TUclMutex> FMutex;
    void* FBlock = nullptr; // the shared block: one registry pointer
    TUnitVersioning* FRegistry = nullptr;
    bool FOwnsRegistry = false;
    bool FShutDown = false;
};

TUnitVersioningLink& ModuleUnitVersioning();
TUnitVersioning* AcquireUnitVersioning();
void PublishUnitVersion(HINSTANCE instance, const TUnitVersionInfo* info);
void WithdrawUnitVersions(HINSTANCE instance);
void ShutdownUnitVersioning() noexcept;

// The handle of the module this code is linked into.
HINSTANCE ThisModuleInstance() noexcept;

// The version record of a library unit of this program, kept for the life of the process.
const TUnitVersionInfo* UclUnitVersionRecord(const UnicodeString& unit);
// A library unit's module entry: its start-up publishes the unit's record for this module and
// then runs `initialize`; its shut-down runs `finalize` and then withdraws this module's
// records. Either function may be empty.
TModuleEntry UnitVersionedModule(const UnicodeString& unit, std::function<void()> initialize,
                                 std::function<void()> finalize);

TModuleEntry UclUnitVersioningModule();
