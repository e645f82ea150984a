// Module file names and the fixed version record of a file.
#include "support/Ucl/UclFileUtils.h"

#include "support/Ucl/UclUnitVersioning.h"

UnicodeString ModuleFileName(HMODULE module) {
    wchar_t name[261] = {};
    const DWORD length = GetModuleFileNameW(module, name, 261);
    return UnicodeString(name, std::min<DWORD>(length, 260));
}

bool ReadFixedFileInfo(const UnicodeString& fileName, VS_FIXEDFILEINFO& info) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<Byte> block(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length != sizeof(info))
        return false;
    info = *static_cast<VS_FIXEDFILEINFO*>(value);
    return true;
}

TModuleEntry UclFileUtilsModule() { return UnitVersionedModule(L"UclFileUtils", nullptr, nullptr); }
