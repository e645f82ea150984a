// Large values kept outside the record:
//
//   TSharedObject        reference-counted base of blobs, piece stores, object types and the
//                        framework's cursors: creating gives one reference, Free drops one
//   TVariantObject       the holder of a Variant field's value
//   TPieceHeader         packed header of a piece of blob content
//   TDcBlobData          the piece store: content = the used bytes of its pieces in list order
//   TBlob                a blob over a store, with a rollback copy for cancelling an edit, an
//                        8-bit view of UTF-16 content and line-end conversion
//   TCompressedBlobData  a store that can hold its content zlib-compressed behind a 20-byte
//                        header; whole reads and rewrites keep it compressed, partial access
//                        turns it plain
//   TCompressedBlob      the blob the record storage creates, over a compressed store
//
// A record, its rollback copy and the dataset's buffers share one blob through its reference
// count; a record storage is used by one thread at a time, so counts are plain integers.
//
// Shared objects are released with their own Free (which counts references), never with the
// class library's TObject::Free. Blobs are made with Construct<>, whose AfterConstruction gives
// them their store.
#pragma once

#include "data/engine/CLRClasses.h"
#include "framework/Streams.h"
#include "framework/Variants.h"

enum TCompressBlobMode { cbNone, cbClient, cbServer, cbClientServer };

class TSharedObject : public TObject, public IRefCounted {
    CLASS_INFO(TSharedObject, TObject)
public:
    TSharedObject() = default;
    ~TSharedObject() override { FRefCount = 0; }

    Integer RefCount() const { return FRefCount; }
    // The object's own reference, as records store it.
    void* GCHandle();
    virtual void Disconnect() {}
    // The provider object held by an Object or Array field answers for the attribute at Path
    // (in the comparison and native form; NativeBuffer false when Value is a temporary the
    // caller frees). The base fails: "Must be overrided".
    virtual void GetAttributeValue(const UnicodeString& Path, void*& Value, bool& IsBlank,
                                   bool& NativeBuffer);
    // Stores the native value; nil makes the attribute NULL.
    virtual void SetAttributeValue(const UnicodeString& Path, const void* Value);
    virtual bool GetAttrIsNull(const UnicodeString& Path);
    // Exception "Invalid SharedObject" once the count is 0.
    void CheckValid() const;
    Integer AddRef() override { return ++FRefCount; }
    // Drops one reference; the last one destroys the object. Answers the count left.
    Integer Release() override;
    void Free() { Release(); }

private:
    Integer FRefCount = 1;
    void* FGCHandle = nullptr;
};

// The object behind a Variant field's record slot.
class TVariantObject : public TSharedObject {
    CLASS_INFO(TVariantObject, TSharedObject)
public:
    const Variant& Value() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }

private:
    Variant FValue;
};

#pragma pack(push, 1)
struct TPieceHeader {
    void* Blob;    // the store whose list holds the piece; nil while in no list
    Cardinal Size; // capacity of the data area
    Cardinal Used; // bytes of content
    TPieceHeader* Prev;
    TPieceHeader* Next;
    Word Test;
};
#pragma pack(pop)
using PPieceHeader = TPieceHeader*;

#if defined(__i386__)
static_assert(sizeof(TPieceHeader) == 22, "blob pieces rely on a 22-byte header");
#endif

// The capacity of the pieces writing appends (64 KB less the 32-bit piece header); the MemData
// module's start-up sets it.
extern Cardinal DefaultPieceSize;

class TDcBlobData : public TSharedObject {
    CLASS_INFO(TDcBlobData, TSharedObject)
public:
    TDcBlobData() : FPieceSize(DefaultPieceSize) {}
    ~TDcBlobData() override;

    virtual Cardinal GetSize();
    virtual void SetSize(Cardinal Value);
    virtual void Clear();
    virtual void Truncate(Cardinal NewSize);
    // Copies min(Count, size - Position) bytes (Count 0: up to the end); 0 beyond the end.
    virtual Cardinal Read(Cardinal Position, Cardinal Count, void* Dest);
    // A Position beyond the end appends.
    virtual void Write(Cardinal Position, Cardinal Count, const void* Source);

    // The bytes the pieces hold (for a compressed store: the compressed form).
    Cardinal GetDataSize() const;
    void Compress();
    void Defrag();
    // Dest takes over this store's pieces; this store goes on with one piece holding a copy.
    void CopyTo(TDcBlobData* Dest);
    void AddCRString();
    void RemoveCRString();
    void AddCRUnicode();
    void RemoveCRUnicode();
    // The UTF-16 byte offset of a position in the 8-bit view of UTF-16 content.
    Integer TranslatePosition(Integer Position);
    Integer GetSizeAnsi();

    static Byte* PieceData(PPieceHeader Piece) {
        return reinterpret_cast<Byte*>(Piece) + sizeof(TPieceHeader);
    }
    void AllocPiece(PPieceHeader& Piece, Cardinal Size);
    void ReallocPiece(PPieceHeader& Piece, Cardinal Size);
    void FreePiece(PPieceHeader Piece);
    void AppendPiece(PPieceHeader Piece);
    void DeletePiece(PPieceHeader Piece);
    void CompressPiece(PPieceHeader& Piece) { ReallocPiece(Piece, Piece->Used); }
    PPieceHeader FirstPiece() const { return FFirstPiece; }
    Cardinal PieceSize() const { return FPieceSize; }
    void SetPieceSize(Cardinal Value) { FPieceSize = Value; }

protected:
    // The whole content in one buffer, and a new content from one.
    std::string Content();
    void ReplaceContent(const std::string& content);

    PPieceHeader FFirstPiece = nullptr;
    Cardinal FPieceSize;
};

class TBlob : public TSharedObject {
    CLASS_INFO(TBlob, TSharedObject)
public:
    explicit TBlob(bool IsUnicode = false) : FIsUnicode(IsUnicode) {}
    void AfterConstruction() override { FData = NewBlobData(); }
    ~TBlob() override;

    virtual TDcBlobData* NewBlobData() { return new TDcBlobData; }
    virtual void BeforeRead() {}
    virtual void SaveRollback();
    virtual Cardinal GetSize();
    virtual void SetSize(Cardinal Value);
    virtual void SetIsUnicode(bool Value);
    virtual Cardinal SizeAsAnsi();
    virtual void FreeBlob() {}
    virtual Cardinal Read(Cardinal Position, Cardinal Count, void* Dest);
    virtual void Write(Cardinal Position, Cardinal Count, const void* Source);
    virtual void Clear();
    virtual void Truncate(Cardinal NewSize);
    virtual void Defrag();
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream);
    virtual void Commit();
    virtual void Cancel();

    void LoadFromFile(const UnicodeString& FileName);
    void SaveToFile(const UnicodeString& FileName);
    void Assign(TBlob* Source);
    TDcBlobData* GetData() const { return FData; }
    void SetData(TDcBlobData* Value);
    void EnableRollback() { FNeedRollback = true; }
    bool RollbackEnabled() const { return FNeedRollback; }
    void SetRollbackEnabled(bool Value) { FNeedRollback = Value; }
    bool CanRollback() const { return FRollback != nullptr; }
    // While on, the rollback copy (if any) stands in for the content.
    void SetUseRollback(bool Value);
    bool UseRollback() const { return FStoredData != nullptr; }
    void AddCR();
    void RemoveCR();
    void Compress() { FData->Compress(); }
    PPieceHeader FirstPiece() const { return FData->FirstPiece(); }
    void AllocPiece(PPieceHeader& Piece, Cardinal Size) { FData->AllocPiece(Piece, Size); }
    void ReallocPiece(PPieceHeader& Piece, Cardinal Size) { FData->ReallocPiece(Piece, Size); }
    void FreePiece(PPieceHeader Piece) { FData->FreePiece(Piece); }
    void AppendPiece(PPieceHeader Piece) { FData->AppendPiece(Piece); }
    void DeletePiece(PPieceHeader Piece) { FData->DeletePiece(Piece); }
    void CompressPiece(PPieceHeader& Piece) { FData->CompressPiece(Piece); }

    bool IsUnicode() const { return FIsUnicode; }
    Cardinal Size() { return GetSize(); }
    Cardinal PieceSize() const { return FData->PieceSize(); }
    void SetPieceSize(Cardinal Value) { FData->SetPieceSize(Value); }
    UnicodeString AsString() { return AsWideString(); }
    void SetAsString(const UnicodeString& Value) { SetAsWideString(Value); }
    AnsiString AsAnsiString();
    void SetAsAnsiString(const AnsiString& Value);
    UnicodeString AsWideString();
    void SetAsWideString(const UnicodeString& Value);
    TBytes AsBytes();
    void SetAsBytes(const TBytes& Value);

    static constexpr Byte Alive = 221;

protected:
    // Exception "Invalid BLOB" once the blob is destroyed.
    void CheckAlive() const;
    void SaveRollbackIfDue();
    std::string ReadAll();

    TDcBlobData* FData = nullptr;
    bool FIsUnicode;
    bool FNeedRollback = false;
    TDcBlobData* FRollback = nullptr;
    TDcBlobData* FStoredData = nullptr;
    Byte Test = Alive;
};

class TCompressedBlobData : public TDcBlobData {
    CLASS_INFO(TCompressedBlobData, TDcBlobData)
public:
    static constexpr Integer HeaderSize = 20; // 16 GUID bytes, uncompressed size
    static constexpr Cardinal MinCompressSize = 50;

    Cardinal GetSize() override;
    void SetSize(Cardinal Value) override;
    void Truncate(Cardinal NewSize) override;
    Cardinal Read(Cardinal Position, Cardinal Count, void* Dest) override;
    void Write(Cardinal Position, Cardinal Count, const void* Source) override;

    bool IsCompressed() const;
    // False when nothing is to be done (empty store, or already in that state).
    bool SetCompressed(bool Value);
    Cardinal UnCompressedSize() const;
    Cardinal GetCompressedSize() const;

private:
    bool CompressFrom(const void* Source, Cardinal Count);
    Cardinal DecompressInto(void* Dest, Cardinal Room);
    void Decompress();
};

class TCompressedBlob : public TBlob {
    CLASS_INFO(TCompressedBlob, TBlob)
public:
    using TBlob::TBlob;
    TDcBlobData* NewBlobData() override { return new TCompressedBlobData; }
    bool Compressed() const;
    void SetCompressed(bool Value);
    Cardinal CompressedSize() const;

private:
    TCompressedBlobData* Store() const { return static_cast<TCompressedBlobData*>(FData); }
};
