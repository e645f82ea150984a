// The module's list of mapped shared blocks. Each item owns its mapping handle and view; the
// list and every item are guarded by `HandleListLock()`.
#include "support/Ucl/UclSysUtils.h"

#include "framework/Conversions.h"
#include "framework/SyncObjs.h"
#include "support/Ucl/UclSysInfo.h"
#include "support/Ucl/UclUnitVersioning.h"

#include <list>

namespace {

struct TMMFHandleListItem {
    void* Memory;
    TKernelHandle Handle;
    UnicodeString Name;
    Cardinal References;
};

// Guarded by HandleListLock(); newest first.
std::list<TMMFHandleListItem>& HandleList() {
    static std::list<TMMFHandleListItem> list;
    return list;
}

// Created on first use (the function-local static makes concurrent first calls safe) and kept
// to the end of the process, so that no shut-down order can leave the list unguarded.
TUclIntfCriticalSection& HandleListLock() {
    static TUclIntfCriticalSection lock;
    return lock;
}

void CheckName(const UnicodeString& name) {
    if (DetectWindowsRelease() > wrNT4) return;
    if (name.empty() || name.find(L'\\') != UnicodeString::npos)
        throw ESharedMemError(L"Invalid MMF name \"" + name + L"\"");
}

TMMFHandleListItem* FindByName(const UnicodeString& name) {
    for (TMMFHandleListItem& item : HandleList())
        if (SameText(item.Name, name)) return &item;
    return nullptr;
}

DWORD Protection(DWORD access) {
    const bool win9x = ReadRunningVersionFacts().PlatformId == VER_PLATFORM_WIN32_WINDOWS;
    return access == FILE_MAP_COPY && win9x ? PAGE_WRITECOPY : PAGE_READWRITE;
}

TKernelHandle OpenOrCreate(const UnicodeString& name, DWORD size, DWORD access, DWORD& result) {
    TKernelHandle handle(OpenFileMappingW(access, FALSE, name.c_str()));
    if (handle) {
        result = ERROR_ALREADY_EXISTS;
        return handle;
    }
    if (size == 0)
        throw ESharedMemError(L"The MMF named \"" + name + L"\" cannot be created empty");
    handle.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, Protection(access), 0, size,
                                    name.c_str()));
    if (!handle) RaiseLastOSError(L"CreateFileMappingW");
    result = GetLastError() == ERROR_ALREADY_EXISTS ? ERROR_ALREADY_EXISTS : 0;
    return handle;
}

} // namespace

DWORD MapSharedBlock(void*& address, const UnicodeString& name, DWORD size, DWORD access) {
    address = nullptr;
    CheckName(name);
    TUclIntfLock hold(HandleListLock());
    if (TMMFHandleListItem* item = FindByName(name)) {
        ++item->References;
        address = item->Memory;
        return ERROR_ALREADY_EXISTS;
    }
    DWORD result = 0;
    TKernelHandle handle = OpenOrCreate(name, size, access, result);
    void* memory = MapViewOfFile(handle.Get(), access, 0, 0, size);
    if (!memory) RaiseLastOSError(L"MapViewOfFile");
    HandleList().push_front({memory, std::move(handle), name, 1});
    address = memory;
    return result;
}

bool UnmapSharedBlock(void*& address) {
    if (!address) return true;
    TUclIntfLock hold(HandleListLock());
    auto& list = HandleList();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->Memory != address) continue;
        if (--it->References < 1) {
            UnmapViewOfFile(it->Memory);
            list.erase(it);
        }
        address = nullptr;
        return true;
    }
    return false;
}

TModuleEntry UclSysUtilsModule() { return UnitVersionedModule(L"UclSysUtils", nullptr, nullptr); }
