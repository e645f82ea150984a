// Directory searches over FindFirstFileW/FindNextFileW, skipping the entries whose attributes
// the caller's mask leaves out.
#include "framework/Files.h"

namespace {

constexpr Integer SelectableAttributes = faHidden | faSysFile | faVolumeID | faDirectory;

// Copies the current find data into the record; false when the entry is to be skipped.
bool TakeEntry(TSearchRec& f) {
    const DWORD attributes = f.FindData.dwFileAttributes;
    if (static_cast<Integer>(attributes) & f.ExcludeAttr) return false;
    f.Attr = static_cast<Integer>(attributes);
    f.Size = (static_cast<Int64>(f.FindData.nFileSizeHigh) << 32) | f.FindData.nFileSizeLow;
    f.Name = f.FindData.cFileName;
    return true;
}

// Advances until an entry is taken: 0, or the system's error code.
Integer NextMatch(TSearchRec& f) {
    while (!TakeEntry(f)) {
        if (!FindNextFileW(f.FindHandle, &f.FindData)) return static_cast<Integer>(GetLastError());
    }
    return 0;
}

} // namespace

Integer FindFirst(const UnicodeString& path, Integer attr, TSearchRec& f) {
    f.ExcludeAttr = ~attr & SelectableAttributes;
    f.FindHandle = FindFirstFileW(path.c_str(), &f.FindData);
    if (f.FindHandle == INVALID_HANDLE_VALUE) return static_cast<Integer>(GetLastError());
    const Integer result = NextMatch(f);
    if (result != 0) FindClose(f);
    return result;
}

Integer FindNext(TSearchRec& f) {
    if (f.FindHandle == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
    if (!FindNextFileW(f.FindHandle, &f.FindData)) return static_cast<Integer>(GetLastError());
    return NextMatch(f);
}

void FindClose(TSearchRec& f) {
    if (f.FindHandle == INVALID_HANDLE_VALUE) return;
    ::FindClose(f.FindHandle);
    f.FindHandle = INVALID_HANDLE_VALUE;
}
