// Streams over Win32 file handles. A failing system call raises the stream error of its kind
// with the API's name and error code; a broken pipe reads as the end of the stream, as the
// writer closing its end is how pipes end. Single transfers are capped at 1 GB because ReadFile
// and WriteFile count in 32 bits.
#include "framework/Streams.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr NativeInt MaxTransfer = 0x40000000;

template <class E> [[noreturn]] void RaiseStreamOSError(const wchar_t* api) {
    const DWORD code = GetLastError();
    throw E(UnicodeString(api) + L" failed: " + SysErrorMessage(code) + L" (" +
            std::to_wstring(code) + L")");
}

DWORD MoveMethod(TSeekOrigin origin) {
    switch (origin) {
    case soCurrent: return FILE_CURRENT;
    case soEnd: return FILE_END;
    case soBeginning: break;
    }
    return FILE_BEGIN;
}

DWORD ShareMode(Word mode) {
    switch (mode & 0x00F0) {
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0; // fmShareCompat and fmShareExclusive
    }
}

// Zero for an access mode that does not exist.
DWORD AccessRights(Word mode) {
    switch (mode & 0x0003) {
    case fmOpenRead: return GENERIC_READ;
    case fmOpenWrite: return GENERIC_WRITE;
    case fmOpenReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return 0;
    }
}

HANDLE CreateOrOpen(const UnicodeString& fileName, Word mode) {
    if ((mode & fmCreate) == fmCreate)
        return CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, ShareMode(mode), nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD access = AccessRights(mode);
    if (access == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(fileName.c_str(), access, ShareMode(mode), nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

NativeInt THandleStream::Read(void* buffer, NativeInt count) {
    DWORD moved = 0;
    const auto asked = static_cast<DWORD>(std::clamp<NativeInt>(count, 0, MaxTransfer));
    if (ReadFile(FHandle, buffer, asked, &moved, nullptr)) return moved;
    if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
    RaiseStreamOSError<EReadError>(L"ReadFile");
}

NativeInt THandleStream::Write(const void* buffer, NativeInt count) {
    DWORD moved = 0;
    const auto asked = static_cast<DWORD>(std::clamp<NativeInt>(count, 0, MaxTransfer));
    if (!WriteFile(FHandle, buffer, asked, &moved, nullptr))
        RaiseStreamOSError<EWriteError>(L"WriteFile");
    return moved;
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(FHandle, distance, &position, MoveMethod(origin)))
        RaiseStreamOSError<EStreamError>(L"SetFilePointerEx");
    return position.QuadPart;
}

void THandleStream::SetSize(Int64 size) {
    const Int64 position = Position();
    Seek(size, soBeginning);
    if (!SetEndOfFile(FHandle)) RaiseStreamOSError<EStreamError>(L"SetEndOfFile");
    Seek(std::min(position, size), soBeginning);
}

TFileStream::TFileStream(const UnicodeString& fileName, Word mode)
    : THandleStream(OpenFile(fileName, mode)), FOwner(Handle()), FFileName(fileName) {}

void* TFileStream::OpenFile(const UnicodeString& fileName, Word mode) {
    const HANDLE handle = CreateOrOpen(fileName, mode);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    const UnicodeString reason = SysErrorMessage(GetLastError());
    if ((mode & fmCreate) == fmCreate)
        throw EFCreateError(L"Cannot create file \"" + fileName + L"\". " + reason);
    throw EFOpenError(L"Cannot open file \"" + fileName + L"\". " + reason);
}
