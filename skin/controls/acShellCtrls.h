// The shell controls module's desktop folder: made at the module's start-up
// (CreateDesktopShellFolder), kept in a module global, freed at shut-down. GUI thread only.
#pragma once

#include "framework/Objects.h"

#include <shlobj.h>

// A shell folder: its item-identifier list (owned, freed with the shell's allocator) and its
// IShellFolder (one reference held).
class TacShellFolder : public TObject {
    CLASS_INFO(TacShellFolder, TObject)
public:
    TacShellFolder(LPITEMIDLIST Pidl, IShellFolder* Folder) : FPidl(Pidl), FFolder(Folder) {}
    ~TacShellFolder() override;
    LPCITEMIDLIST Pidl() const noexcept { return FPidl; }
    IShellFolder* ShellFolder() const noexcept { return FFolder; }

private:
    LPITEMIDLIST FPidl;
    IShellFolder* FFolder;
};

// Asks the shell for the desktop's list and folder and keeps them; nothing when the shell
// returns no list.
void CreateDesktopShellFolder();
// The desktop folder made at start-up, or null.
TacShellFolder* DesktopShellFolder() noexcept;
// Frees the desktop folder (the module's shut-down).
void FreeDesktopShellFolder() noexcept;
