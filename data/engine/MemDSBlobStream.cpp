// The blob stream: reads and writes go straight to the blob object of the record in the
// dataset's state buffer.
#include "data/engine/MemDS.h"

#include <vector>

TBlobStream::TBlobStream(TBlobField* Field, TBlobStreamMode Mode)
    : FField(Field), FDataSet(dynamic_cast<TMemDataSet*>(Field->DataSet())), FMode(Mode),
      FFieldNo(Word(Field->FieldNo())) {
    if (!FDataSet) throw EAssertionFailed(L"A blob stream needs a memory dataset");
    if (!FDataSet->StateRecBuf(FBuffer)) return;
    if (!FField->Modified() && FMode != bmRead) {
        if (FField->ReadOnly())
            DatabaseError(L"Field '" + FField->DisplayName() + L"' cannot be modified", FDataSet);
        const TDataSetState state = FDataSet->State();
        if (state != dsEdit && state != dsInsert && state != dsNewValue)
            DatabaseError(L"Dataset not in edit or insert mode", FDataSet);
    }
    FOpened = true;
    if (FMode == bmWrite) Truncate();
}

void TBlobStream::BeforeDestruction() {
    if (FOpened && FModified) FField->SetModified(true);
    if (FModified) FDataSet->DataEvent(deFieldChange, NativeInt(FField));
    TStream::BeforeDestruction();
}

bool TBlobStream::WideBlob() const { return dynamic_cast<TWideMemoField*>(FField) != nullptr; }

bool TBlobStream::FromRollback() const { return FDataSet->State() == dsOldValue; }

NativeInt TBlobStream::Read(void* Buffer, NativeInt Count) {
    if (!FOpened || FPosition < 0) return 0;
    const Integer size =
        FDataSet->FData->GetBlobSize(FFieldNo, FBuffer, FromRollback(), WideBlob());
    if (FPosition >= size) return 0;
    const Integer read = FDataSet->FData->ReadBlob(FFieldNo, FBuffer, FPosition, Integer(Count),
                                                   Buffer, FromRollback(), WideBlob());
    FPosition += read;
    return read;
}

NativeInt TBlobStream::Write(const void* Buffer, NativeInt Count) {
    if (!FOpened || FPosition < 0) return 0;
    // The blob itself closes up a gap: zeros keep the bytes at the position the caller chose.
    const Integer size =
        FDataSet->FData->GetBlobSize(FFieldNo, FBuffer, FromRollback(), WideBlob());
    if (FPosition > size) {
        const std::vector<Byte> gap(std::size_t(FPosition - size), 0);
        FDataSet->FData->WriteBlob(FFieldNo, FBuffer, size, Integer(gap.size()), gap.data(),
                                   WideBlob());
    }
    FDataSet->FData->WriteBlob(FFieldNo, FBuffer, FPosition, Integer(Count), Buffer, WideBlob());
    FPosition += Integer(Count);
    FModified = true;
    return Count;
}

Int64 TBlobStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    switch (Origin) {
    case soBeginning: FPosition = Integer(Offset); break;
    case soCurrent: FPosition = Integer(FPosition + Offset); break;
    case soEnd: {
        const Integer size =
            FOpened ? FDataSet->FData->GetBlobSize(FFieldNo, FBuffer, FromRollback(), WideBlob())
                    : 0;
        FPosition = Integer(Offset + size);
        break;
    }
    }
    return FPosition;
}

void TBlobStream::Truncate() {
    if (!FOpened || FPosition < 0) return;
    FDataSet->FData->TruncateBlob(FFieldNo, FBuffer, FPosition, WideBlob());
    FModified = true;
}

void TBlobStream::SetSize(Int64 NewSize) {
    if (FOpened)
        FDataSet->FData->SetBlobSize(FFieldNo, FBuffer, Integer(NewSize), false, WideBlob());
}
