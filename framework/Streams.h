// Byte streams: the abstract `TStream` and its kinds.
//
//   TStream              Read/Write/Seek primitives; ReadBuffer/WriteBuffer raise on a short
//                        transfer; CopyFrom copies between any two streams.
//   THandleStream        over a Win32 file handle it borrows.
//   TFileStream          opens or creates a file and owns its handle.
//   TCustomMemoryStream  reads and seeks over a block of memory it does not allocate.
//   TMemoryStream        growable memory; writing past the end zero-fills the gap.
//   TStringStream        memory holding text in a given encoding.
//   TResourceStream      read-only view of a resource of a module.
//
// Positions and sizes are 64-bit everywhere, as files may exceed 4 GB even in the 32-bit build;
// memory streams keep their sizes in `NativeInt`. Handles and module handles are `void*` (what
// HANDLE and HMODULE are) so that users need not include windows.h.
#pragma once

#include "framework/Handles.h"
#include "framework/Objects.h"
#include "framework/TextEncoding.h"

#include <vector>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File modes: one access mode, or fmCreate, combined with one share mode.
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
    CLASS_INFO(TStream, TObject)
public:
    // Transfer up to `count` bytes and answer how many moved; 0 at the end of the stream.
    virtual NativeInt Read(void* buffer, NativeInt count) = 0;
    virtual NativeInt Write(const void* buffer, NativeInt count) = 0;
    // Moves the position and answers the new one.
    virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

    // Transfer exactly `count` bytes: EReadError / EWriteError when fewer move.
    void ReadBuffer(void* buffer, NativeInt count);
    void WriteBuffer(const void* buffer, NativeInt count);

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 position) { Seek(position, soBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 size) = 0;

    // Copies `count` bytes from the source's position, or (count 0) the whole source from its
    // start; raises EReadError when the source holds fewer. Answers the bytes copied.
    Int64 CopyFrom(TStream* source, Int64 count);

    static constexpr NativeInt CopyPieceSize = 61440;
};

class THandleStream : public TStream {
    CLASS_INFO(THandleStream, TStream)
public:
    // `handle` is a Win32 file HANDLE; the stream never closes it.
    explicit THandleStream(void* handle) : FHandle(handle) {}

    void* Handle() const noexcept { return FHandle; }
    NativeInt Read(void* buffer, NativeInt count) override;
    NativeInt Write(const void* buffer, NativeInt count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    // Keeps the position unless it would lie past the new end.
    void SetSize(Int64 size) override;

private:
    void* FHandle; // borrowed: TFileStream's owner or the caller closes it
};

class TFileStream : public THandleStream {
    CLASS_INFO(TFileStream, THandleStream)
public:
    // Raises EFCreateError (fmCreate) or EFOpenError naming the file and the system's reason.
    TFileStream(const UnicodeString& fileName, Word mode);

    const UnicodeString& FileName() const noexcept { return FFileName; }

private:
    // Opens the file or raises; the handle is owned by `FOwner` from the next statement on.
    static void* OpenFile(const UnicodeString& fileName, Word mode);

    TKernelHandle FOwner; // first: it must own the handle before anything else can throw
    UnicodeString FFileName;
};

// Reads and seeks over memory that a descendant provides with SetPointer.
class TCustomMemoryStream : public TStream {
    CLASS_INFO(TCustomMemoryStream, TStream)
public:
    void* Memory() const noexcept { return FMemory; }
    NativeInt Read(void* buffer, NativeInt count) override;
    // Seeking past the end is allowed; seeking before the start raises EStreamError.
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return FSize; }

    void SaveToStream(TStream* stream);
    void SaveToFile(const UnicodeString& fileName);

protected:
    void SetPointer(void* memory, NativeInt size) noexcept;
    NativeInt MemorySize() const noexcept { return FSize; }
    Int64 CurrentPosition() const noexcept { return FPosition; }

private:
    void* FMemory = nullptr;
    NativeInt FSize = 0;
    Int64 FPosition = 0; // may lie past FSize after a seek
};

class TMemoryStream : public TCustomMemoryStream {
    CLASS_INFO(TMemoryStream, TCustomMemoryStream)
public:
    NativeInt Write(const void* buffer, NativeInt count) override;
    // Keeps the position; new bytes are zero.
    void SetSize(Int64 size) override;
    void Clear();

    // Replace the whole content and rewind.
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const UnicodeString& fileName);

private:
    std::vector<Byte> FBuffer;
};

class TStringStream : public TMemoryStream {
    CLASS_INFO(TStringStream, TMemoryStream)
public:
    TStringStream() = default;
    // The text's bytes in `encoding`, without a byte-order mark.
    explicit TStringStream(const UnicodeString& text, TTextEncoding encoding = TTextEncoding::Ansi);
    // The bytes as given; `encoding` says how DataString reads them.
    explicit TStringStream(const RawByteString& bytes,
                           TTextEncoding encoding = TTextEncoding::Ansi);

    TTextEncoding Encoding() const noexcept { return FEncoding; }
    // All the bytes decoded in the stream's encoding.
    UnicodeString DataString() const;
    // Writes the text's bytes at the position.
    void WriteString(const UnicodeString& text);
    // Decodes up to `count` bytes from the position and moves past them.
    UnicodeString ReadString(NativeInt count);

private:
    TTextEncoding FEncoding = TTextEncoding::Ansi;
};

class TResourceStream : public TCustomMemoryStream {
    CLASS_INFO(TResourceStream, TCustomMemoryStream)
public:
    // `instance` is the HMODULE holding the resource; `resourceType` null means RT_RCDATA.
    // Raises EResNotFound when the module has no such resource.
    TResourceStream(void* instance, const UnicodeString& name,
                    const wchar_t* resourceType = nullptr);

    // A resource is read-only: both raise EStreamError.
    NativeInt Write(const void* buffer, NativeInt count) override;
    void SetSize(Int64 size) override;
};
