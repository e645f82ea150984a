// The desktop shell folder of the shell controls module. The item list comes from
// SHGetSpecialFolderLocation and goes back through CoTaskMemFree (the shell's allocator).
#include "skin/controls/acShellCtrls.h"

namespace {
TacShellFolder* Desktop = nullptr;
} // namespace

TacShellFolder::~TacShellFolder() {
    if (FFolder) FFolder->Release();
    CoTaskMemFree(FPidl);
}

void CreateDesktopShellFolder() {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &pidl)) || !pidl) return;
    IShellFolder* folder = nullptr;
    if (FAILED(SHGetDesktopFolder(&folder))) folder = nullptr;
    FreeDesktopShellFolder();
    Desktop = new TacShellFolder(pidl, folder);
}

TacShellFolder* DesktopShellFolder() noexcept { return Desktop; }

void FreeDesktopShellFolder() noexcept { FreeAndNil(Desktop); }
