// Files and folders of the class library: directory searches (FindFirst/FindNext/FindClose),
// existence tests, folder creation and the folder part of a path.
//
// Searches report entries as the class library always has: an entry is reported unless it
// carries one of the attributes hidden, system, volume or directory that the caller's mask
// leaves out; read-only, archive and normal entries are always reported. Paths are Windows
// paths; both "\" and "/" separate folders.
#pragma once

#include "framework/System.h"

#include <windows.h>

inline constexpr Integer faReadOnly = 0x00000001;
inline constexpr Integer faHidden = 0x00000002;
inline constexpr Integer faSysFile = 0x00000004;
inline constexpr Integer faVolumeID = 0x00000008;
inline constexpr Integer faDirectory = 0x00000010;
inline constexpr Integer faArchive = 0x00000020;
inline constexpr Integer faNormal = 0x00000080;
inline constexpr Integer faAnyFile = 0x000001FF;

// One entry of a directory search and the search's own state.
struct TSearchRec {
    Int64 Size = 0;
    Integer Attr = 0;
    UnicodeString Name;
    // The attributes the caller's mask leaves out.
    Integer ExcludeAttr = 0;
    HANDLE FindHandle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW FindData{};
};

// Starts a search for the entries matching `path` (a folder and a pattern with "*" and "?").
// Answers 0 with the first entry in `f`, or the system's error code (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND ...) when nothing matches; the search is then already closed.
Integer FindFirst(const UnicodeString& path, Integer attr, TSearchRec& f);
// The next entry: 0, or the system's error code (ERROR_NO_MORE_FILES at the end).
Integer FindNext(TSearchRec& f);
// Ends the search; closing twice, or after a failed FindFirst, does nothing.
void FindClose(TSearchRec& f);

// True for an existing file, false for a folder or nothing.
bool FileExists(const UnicodeString& fileName);
// True for an existing folder (a drive's root too).
bool DirectoryExists(const UnicodeString& directory);
// Creates the folder and every missing folder above it; true when it exists afterwards. An
// empty path creates nothing and answers false.
bool ForceDirectories(const UnicodeString& directory);
// The path up to and including its last "\", "/" or ":"; empty when there is none.
UnicodeString ExtractFilePath(const UnicodeString& fileName);
// The part after the last "\", "/" or ":".
UnicodeString ExtractFileName(const UnicodeString& fileName);
