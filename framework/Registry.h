// The registry accessor. Classes: `TOwnedRegKey` (move-only owner of an opened HKEY) and
// `TRegistry` (one open key at a time below a root key, its values read and written by name).
//
// Paths: a path that begins with "\" is taken from the root key; any other path from the key
// that is open, or from the root key when none is. Trailing backslashes are ignored, so
// "\SOFTWARE\" and "\SOFTWARE" name the same key. An empty name stands for a key's default
// value.
//
// Value kinds: texts are REG_SZ (REG_EXPAND_SZ is read as text too, unexpanded), numbers and
// Booleans 32-bit REG_DWORD (a Boolean as 1 or 0, any non-zero read as True), floats and
// date-times the 8 bytes of a double as REG_BINARY.
//
// Errors: opening, creating and deleting keys answer False. Reading a value of another kind
// than the read expects raises ERegistryException "Invalid data type for '<name>'"; so does
// reading a missing number, Boolean, float or date-time, while a missing text reads as empty and
// missing binary data as zero bytes: callers that have a default ask `ValueExists` first. A
// write that fails (no key open, access denied) raises "Failed to set data for '<name>'" with
// the reason.
//
// An object is used by one thread at a time.
#pragma once

#include "framework/DateTime.h"
#include "framework/Handles.h"
#include "framework/Objects.h"

#include <windows.h>

#include <cstddef>
#include <vector>

// Owns a key handle that RegOpenKeyEx/RegCreateKeyEx returned and closes it once.
using TOwnedRegKey = TOwnedBy<HKEY, &::RegCloseKey>;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry : public TObject {
    CLASS_INFO(TRegistry, TObject)
public:
    // `access` is the access keys are opened with by OpenKey and CreateKey; its view flags
    // (KEY_WOW64_32KEY, KEY_WOW64_64KEY) apply to every key this object opens.
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    ~TRegistry() override;

    REGSAM Access() const noexcept { return FAccess; }
    HKEY RootKey() const noexcept { return FRootKey; }
    // Closes the open key. The root key is borrowed: it is never closed by this object.
    void SetRootKey(HKEY rootKey);
    // When False, closing a key flushes it to disk first (RegFlushKey).
    bool LazyWrite() const noexcept { return FLazyWrite; }
    void SetLazyWrite(bool lazyWrite) noexcept { FLazyWrite = lazyWrite; }
    // The open key (null when none) and its path below the root key, without a leading "\".
    HKEY CurrentKey() const noexcept { return FCurrentKey.Get(); }
    const UnicodeString& CurrentPath() const noexcept { return FCurrentPath; }

    // Opens the key and makes it the open key; creates missing keys on the way when
    // `canCreate`. On failure the open key stays as it was.
    bool OpenKey(const UnicodeString& path, bool canCreate);
    // As OpenKey without creating, with read access only.
    bool OpenKeyReadOnly(const UnicodeString& path);
    // Creates the key (and missing keys above it); the open key does not change.
    bool CreateKey(const UnicodeString& path);
    void CloseKey() noexcept;
    bool KeyExists(const UnicodeString& path) const;
    // Deletes the key with every subkey and value below it. An empty path (the root key or
    // the open key itself) is refused.
    bool DeleteKey(const UnicodeString& path);
    bool HasSubKeys() const;
    // Replace the list with the names of the open key's subkeys / values (empty when no key
    // is open).
    void GetKeyNames(std::vector<UnicodeString>& names) const;
    void GetValueNames(std::vector<UnicodeString>& names) const;

    bool ValueExists(const UnicodeString& name) const;
    // The value's size in bytes, -1 when it does not exist.
    int GetDataSize(const UnicodeString& name) const;
    // rdUnknown for a missing value and for kinds without a reader.
    TRegDataType GetDataType(const UnicodeString& name) const;
    bool DeleteValue(const UnicodeString& name);

    UnicodeString ReadString(const UnicodeString& name) const;
    void WriteString(const UnicodeString& name, const UnicodeString& value);
    void WriteExpandString(const UnicodeString& name, const UnicodeString& value);
    Integer ReadInteger(const UnicodeString& name) const;
    void WriteInteger(const UnicodeString& name, Integer value);
    bool ReadBool(const UnicodeString& name) const;
    void WriteBool(const UnicodeString& name, bool value);
    double ReadFloat(const UnicodeString& name) const;
    void WriteFloat(const UnicodeString& name, double value);
    // A date-time: days since 1899-12-30, the time of day as the fraction.
    TDateTime ReadDateTime(const UnicodeString& name) const;
    void WriteDateTime(const UnicodeString& name, TDateTime dateTime);
    // Copies a binary value into `buffer` and answers its size; 0 for a missing value. Raises
    // when the value holds more than `size` bytes: a part of binary data is not the data.
    int ReadBinaryData(const UnicodeString& name, void* buffer, std::size_t size) const;
    void WriteBinaryData(const UnicodeString& name, const void* buffer, std::size_t size);

private:
    struct TKeyPath;
    struct TRawValue;

    TKeyPath ParseKeyPath(const UnicodeString& path) const;
    HKEY BaseKey(bool rooted) const noexcept;
    REGSAM ViewFlags() const noexcept;
    bool OpenCurrent(const UnicodeString& path, REGSAM access, bool canCreate);
    bool QueryValue(const UnicodeString& name, DWORD& type, DWORD& size) const;
    bool ReadRaw(const UnicodeString& name, TRawValue& value) const;
    TRawValue ReadKnown(const UnicodeString& name, DWORD type, std::size_t size) const;
    void PutValue(const UnicodeString& name, DWORD type, const void* data, std::size_t size);

    REGSAM FAccess;
    HKEY FRootKey = HKEY_CURRENT_USER;
    TOwnedRegKey FCurrentKey;
    UnicodeString FCurrentPath;
    bool FLazyWrite = true;
};
