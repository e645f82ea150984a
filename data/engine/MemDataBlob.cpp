// TBlob: content in a piece store, with a rollback copy taken at the first change after
// rollback was enabled, kept by Commit and restored by Cancel.
#include "data/engine/MemDataBlobs.h"

#include "framework/TextEncoding.h"

TBlob::~TBlob() {
    Test = 0;
    if (FStoredData) FStoredData->Free();
    if (FData) FData->Free();
    if (FRollback) FRollback->Free();
}

void TBlob::CheckAlive() const {
    if (Test != Alive) throw Exception(L"Invalid BLOB");
}

void TBlob::SaveRollback() {
    if (!FNeedRollback) throw Exception(L"Blob must be in cached mode");
    FRollback = NewBlobData();
    FData->CopyTo(FRollback);
}

void TBlob::SaveRollbackIfDue() {
    if (FNeedRollback && !FRollback) SaveRollback();
}

Cardinal TBlob::GetSize() { return FData->GetSize(); }
void TBlob::SetSize(Cardinal Value) { FData->SetSize(Value); }

void TBlob::SetIsUnicode(bool Value) {
    if (Value == FIsUnicode) return;
    if (GetSize() > 0) throw Exception(L"Cannot change IsUnicode if Size > 0");
    FIsUnicode = Value;
}

Cardinal TBlob::SizeAsAnsi() {
    Check(FIsUnicode, L"TBlob.SizeAsAnsi: the blob holds 8-bit content");
    BeforeRead();
    return Cardinal(FData->GetSizeAnsi());
}

Cardinal TBlob::Read(Cardinal Position, Cardinal Count, void* Dest) {
    CheckAlive();
    BeforeRead();
    return FData->Read(Position, Count, Dest);
}

void TBlob::Write(Cardinal Position, Cardinal Count, const void* Source) {
    CheckAlive();
    SaveRollbackIfDue();
    FData->Write(Position, Count, Source);
}

void TBlob::Clear() {
    SaveRollbackIfDue();
    FData->Clear();
}

void TBlob::Truncate(Cardinal NewSize) {
    SaveRollbackIfDue();
    FData->Truncate(NewSize);
}

void TBlob::Defrag() { FData->Defrag(); }

void TBlob::Commit() {
    if (!FRollback) return;
    FRollback->Free();
    FRollback = nullptr;
}

void TBlob::Cancel() {
    if (!FRollback) return;
    FData->Free();
    FData = FRollback;
    FRollback = nullptr;
}

void TBlob::SetUseRollback(bool Value) {
    if (Value && FRollback && !FStoredData) {
        FStoredData = FData;
        FData = FRollback;
    } else if (!Value && FStoredData) {
        FData = FStoredData;
        FStoredData = nullptr;
    }
}

void TBlob::SetData(TDcBlobData* Value) {
    Check(!FStoredData, L"TBlob.SetData: the rollback copy is being read");
    Check(Value != nullptr, L"TBlob.SetData: nil data");
    Value->AddRef();
    FData->Free();
    FData = Value;
}

void TBlob::AddCR() {
    CheckAlive();
    BeforeRead();
    SaveRollbackIfDue();
    if (FIsUnicode)
        FData->AddCRUnicode();
    else
        FData->AddCRString();
}

void TBlob::RemoveCR() {
    CheckAlive();
    BeforeRead();
    SaveRollbackIfDue();
    if (FIsUnicode)
        FData->RemoveCRUnicode();
    else
        FData->RemoveCRString();
}

// --- streams and copies ---

void TBlob::LoadFromStream(TStream* Stream) {
    Clear();
    const Int64 size = Stream->Size();
    if (size == 0) return;
    Stream->SetPosition(0);
    std::string chunk(PieceSize(), '\0');
    Cardinal position = 0;
    for (;;) {
        const NativeInt n = Stream->Read(chunk.data(), NativeInt(chunk.size()));
        if (n <= 0) break;
        Write(position, Cardinal(n), chunk.data());
        position += Cardinal(n);
    }
}

void TBlob::SaveToStream(TStream* Stream) {
    Stream->SetSize(0);
    Stream->SetPosition(0);
    std::string chunk(PieceSize(), '\0');
    for (Cardinal position = 0;;) {
        const Cardinal n = Read(position, Cardinal(chunk.size()), chunk.data());
        if (n == 0) break;
        Stream->WriteBuffer(chunk.data(), NativeInt(n));
        position += n;
    }
}

void TBlob::LoadFromFile(const UnicodeString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TBlob::SaveToFile(const UnicodeString& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TBlob::Assign(TBlob* Source) {
    Clear();
    SetIsUnicode(Source->IsUnicode());
    std::string chunk(65536, '\0');
    for (Cardinal position = 0;;) {
        const Cardinal n = Source->Read(position, Cardinal(chunk.size()), chunk.data());
        if (n == 0) break;
        Write(position, n, chunk.data());
        position += n;
    }
}

// --- text and bytes ---

std::string TBlob::ReadAll() {
    std::string content(GetSize(), '\0');
    if (!content.empty()) content.resize(Read(0, 0, content.data()));
    return content;
}

AnsiString TBlob::AsAnsiString() { return FIsUnicode ? UnicodeToAnsi(AsWideString()) : ReadAll(); }

void TBlob::SetAsAnsiString(const AnsiString& Value) {
    if (FIsUnicode) return SetAsWideString(AnsiToUnicode(Value));
    Clear();
    Write(0, Cardinal(Value.size()), Value.data());
}

UnicodeString TBlob::AsWideString() {
    if (!FIsUnicode) return AnsiToUnicode(ReadAll());
    const std::string bytes = ReadAll();
    UnicodeString text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

void TBlob::SetAsWideString(const UnicodeString& Value) {
    if (!FIsUnicode) return SetAsAnsiString(UnicodeToAnsi(Value));
    Clear();
    Write(0, Cardinal(Value.size() * 2), Value.data());
}

TBytes TBlob::AsBytes() {
    const std::string content = ReadAll();
    return TBytes(content.begin(), content.end());
}

void TBlob::SetAsBytes(const TBytes& Value) {
    Clear();
    Write(0, Cardinal(Value.size()), Value.data());
}
