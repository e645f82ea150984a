// The record storage's state, descriptors, null flags, complex values, record editing helpers,
// blob access, bookmarks and the cached-update switch. Values in record buffers may be
// unaligned, so object and heap references are read and written with memcpy.
#include "data/engine/MemDataStorage.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <cstdlib>
#include <cstring>

namespace {
void* SlotPtr(void* RecBuf, const TFieldDesc* Field) {
    void* p;
    std::memcpy(&p, static_cast<Byte*>(RecBuf) + Field->Offset(), sizeof p);
    return p;
}
void SetSlotPtr(void* RecBuf, const TFieldDesc* Field, void* Value) {
    std::memcpy(static_cast<Byte*>(RecBuf) + Field->Offset(), &Value, sizeof Value);
}
bool IsHeapType(Word DataType) {
    return DataType == dtExtString || DataType == dtExtWideString || DataType == dtExtVarBytes;
}
const TFieldDesc* TopAncestor(const TFieldDesc* Field) {
    while (Field->ParentField()) Field = Field->ParentField();
    return Field;
}
} // namespace

TData::TData() : StringHeap(new TStringHeap), FFields(new TFieldDescs) {}

void TData::BeforeDestruction() {
    Close();
    ClearFields();
    TObject::BeforeDestruction();
}

TData::~TData() {
    FFields->Free();
    StringHeap->Free();
}

// --- state ---

void TData::Open() {
    if (Active) return;
    InitData();
    try {
        DoOpen(false);
        try {
            ParseFilter(FFilterText);
        } catch (...) {
            DoClose();
            throw;
        }
    } catch (...) {
        FreeData();
        FreeFilterExpression();
        throw;
    }
    Active = true;
}

void TData::Close() {
    struct TFinish {
        TData* Self;
        ~TFinish() {
            Self->Active = false;
            Self->FreeData();
            if (Self->AutoInitFields && !Self->Prepared) Self->ClearFields();
            Self->FreeFilterExpression();
        }
    };
    const bool wasActive = Active;
    TFinish finish{this};
    if (wasActive) DoClose();
}

void TData::Prepare() {
    DoPrepare();
    Prepared = true;
}

void TData::UnPrepare() {
    if (!Prepared) return;
    Prepared = false;
    if (AutoInitFields) ClearFields();
    DoUnPrepare();
}

void TData::Reopen() {
    Close();
    Open();
}

void TData::InitData() {
    FBOF = true;
    FEOF = true;
    FRecordCount = 0;
    FRecordNoOffset = 0;
}

void TData::NotifyAppend() {
    if (OnAppend) OnAppend();
}
void TData::NotifyDelete() {
    if (OnDelete) OnDelete();
}
void TData::NotifyUpdate() {
    if (OnUpdate) OnUpdate();
}

// --- fields ---

void TData::InitFields() {
    if (AutoInitFields) {
        TOnFieldsChanged held = std::move(OnFieldsChanged);
        OnFieldsChanged = nullptr;
        try {
            ClearFields();
        } catch (...) {
            OnFieldsChanged = std::move(held);
            throw;
        }
        OnFieldsChanged = std::move(held);
        InitFieldDescs();
        if (OnGetCachedFields) OnGetCachedFields();
        MakeUniqueFieldNames(*FFields);
    }
    const TRecordLayout layout = InitRecordLayout(*FFields, NullFlagCount());
    DataSize = layout.DataSize;
    CalcDataSize = layout.CalcDataSize;
    FRecordSize = layout.RecordSize;
    FCalcRecordSize = layout.CalcRecordSize;
    CheckHasComplexFields();
    if (OnFieldsChanged) OnFieldsChanged();
}

void TData::ClearFields() {
    FFields->Clear();
    if (OnFieldsChanged) OnFieldsChanged();
}

TFieldDesc* TData::FieldOf(Word FieldNo) const {
    if (FieldNo < 1 || FieldNo > FieldCount()) throw EAssertionFailed(L"Field number out of range");
    return FFields->Items(FieldNo - 1);
}

bool TData::HasFields(std::initializer_list<Byte> FieldTypes) const {
    for (int i = 0; i < FieldCount(); ++i) {
        const Word type = FFields->Items(i)->DataType();
        if (type > 255) continue;
        for (Byte t : FieldTypes)
            if (t == type) return true;
    }
    return false;
}

bool TData::HasBlobFields() const {
    for (int i = 0; i < FieldCount(); ++i)
        if (IsBlobFieldType(FFields->Items(i)->DataType())) return true;
    return false;
}

bool TData::CheckHasComplexFields() {
    HasComplexFields = false;
    for (int i = 0; i < FieldCount() && !HasComplexFields; ++i)
        HasComplexFields = IsComplexFieldType(FFields->Items(i)->DataType());
    return HasComplexFields;
}

bool TData::IsBlobFieldType(Word DataType) const {
    return DataType == dtBlob || DataType == dtMemo || DataType == dtWideMemo;
}

bool TData::IsComplexFieldType(Word DataType) const {
    return DataType == dtVariant || IsHeapType(DataType) || IsBlobFieldType(DataType);
}

UnicodeString TData::ArrayElementName(Integer Index) const { return L"[" + IntToStr(Index) + L"]"; }

// --- null flags ---

bool TData::GetNull(Word FieldNo, void* RecBuf) {
    TFieldDesc* field = FieldOf(FieldNo);
    if (field->HasParent()) {
        auto* obj = static_cast<TSharedObject*>(SlotPtr(RecBuf, TopAncestor(field)));
        return !obj || obj->GetAttrIsNull(ChildFieldPath(field));
    }
    if (static_cast<Byte*>(RecBuf)[DataSize + FieldNo - 1] != 1) return false;
    return GetNullByBlob(FieldNo, RecBuf);
}

bool TData::GetNullByBlob(Word FieldNo, void* RecBuf) {
    TFieldDesc* field = FieldOf(FieldNo);
    if (!IsBlobFieldType(field->DataType())) return true;
    auto* blob = static_cast<TBlob*>(SlotPtr(RecBuf, field));
    if (!blob || blob->Size() == 0) return true;
    static_cast<Byte*>(RecBuf)[DataSize + FieldNo - 1] = 0;
    return false;
}

void TData::SetNull(Word FieldNo, void* RecBuf, bool Value) {
    TFieldDesc* field = FieldOf(FieldNo);
    if (field->HasParent()) {
        auto* obj = static_cast<TSharedObject*>(SlotPtr(RecBuf, TopAncestor(field)));
        if (obj && Value) obj->SetAttributeValue(ChildFieldPath(field), nullptr);
        return;
    }
    static_cast<Byte*>(RecBuf)[DataSize + FieldNo - 1] = Value ? 1 : 0;
    if (Value && IsBlobFieldType(field->DataType()))
        if (auto* blob = static_cast<TBlob*>(SlotPtr(RecBuf, field))) blob->Clear();
}

// --- complex values ---

void TData::CreateComplexField(void* RecBuf, Integer FieldIndex, bool WithBlob) {
    TFieldDesc* field = FFields->Items(FieldIndex);
    if (field->HasParent() || field->FieldDescKind() == fdkCalculated) return;
    const Word type = field->DataType();
    if (IsBlobFieldType(type)) {
        if (!WithBlob) return;
        auto* blob = Construct<TCompressedBlob>(type == dtWideMemo);
        blob->EnableRollback();
        SetSlotPtr(RecBuf, field, blob);
    } else if (type == dtVariant) {
        SetSlotPtr(RecBuf, field, new TVariantObject);
    } else if (IsHeapType(type)) {
        SetSlotPtr(RecBuf, field, nullptr);
    }
}

void TData::CreateComplexFields(void* RecBuf, bool WithBlob) {
    for (int i = 0; i < FieldCount(); ++i) CreateComplexField(RecBuf, i, WithBlob);
}

void TData::FreeComplexFields(void* RecBuf, bool WithBlob) {
    for (int i = 0; i < FieldCount(); ++i) {
        TFieldDesc* field = FFields->Items(i);
        if (field->HasParent() || field->FieldDescKind() == fdkCalculated) continue;
        const Word type = field->DataType();
        void* p = SlotPtr(RecBuf, field);
        if (IsBlobFieldType(type)) {
            if (WithBlob && p && static_cast<TSharedObject*>(p)->Release() == 0)
                SetSlotPtr(RecBuf, field, nullptr);
        } else if (type == dtVariant) {
            if (p) static_cast<TSharedObject*>(p)->Release();
        } else if (IsHeapType(type)) {
            if (p && !StringHeap->Empty()) {
                const bool last = TStringHeap::BufMark(p) == TStringHeap::MarkOneReference;
                StringHeap->DisposeBuf(p);
                if (last) SetSlotPtr(RecBuf, field, nullptr);
            }
        }
    }
}

void TData::CopyComplexFields(void* Source, void* Dest, bool WithBlob) {
    if (WithBlob) throw EAssertionFailed(L"CopyComplexFields cannot copy blobs");
    for (int i = 0; i < FieldCount(); ++i) {
        TFieldDesc* field = FFields->Items(i);
        if (field->HasParent() || field->FieldDescKind() == fdkCalculated) continue;
        void* src = SlotPtr(Source, field);
        switch (field->DataType()) {
        case dtVariant:
            static_cast<TVariantObject*>(SlotPtr(Dest, field))
                ->SetValue(static_cast<TVariantObject*>(src)->Value());
            break;
        case dtExtString:
            SetSlotPtr(Dest, field,
                       src ? StringHeap->AllocStr(static_cast<const char*>(src)) : nullptr);
            break;
        case dtExtWideString:
            SetSlotPtr(Dest, field,
                       src ? StringHeap->AllocWideStr(static_cast<const wchar_t*>(src)) : nullptr);
            break;
        case dtExtVarBytes:
            if (!src) {
                SetSlotPtr(Dest, field, nullptr);
            } else {
                const Integer size = VarBytesCount(src) + 2;
                void* copy = StringHeap->NewBuf(size);
                std::memcpy(copy, src, size);
                SetSlotPtr(Dest, field, copy);
            }
            break;
        default: break;
        }
    }
}

void TData::AddRefComplexFields(void* RecBuf) {
    for (int i = 0; i < FieldCount(); ++i) {
        TFieldDesc* field = FFields->Items(i);
        if (field->HasParent() || field->FieldDescKind() == fdkCalculated) continue;
        const Word type = field->DataType();
        if (!IsComplexFieldType(type)) continue;
        void* p = SlotPtr(RecBuf, field);
        if (IsHeapType(type)) {
            if (p) StringHeap->AddRef(p);
        } else {
            if (!p) throw EAssertionFailed(L"Shared object for " + field->Name() + L"=nil");
            static_cast<TSharedObject*>(p)->AddRef();
        }
    }
}

TSharedObject* TData::GetObject(Word FieldNo, void* RecBuf) {
    TFieldDesc* field = FieldOf(FieldNo);
    if (!IsBlobFieldType(field->DataType())) throw Exception(L"Field is not BLOB");
    auto* obj = static_cast<TSharedObject*>(SlotPtr(RecBuf, field));
    if (!obj)
        throw EAssertionFailed(L"Object for field " + field->Name() + L"(" +
                               IntToStr(Integer(FieldNo)) + L") = nil");
    return obj;
}

void TData::SetObject(Word FieldNo, void* RecBuf, TSharedObject* Obj) {
    TFieldDesc* field = FieldOf(FieldNo);
    if (!IsBlobFieldType(field->DataType())) throw Exception(L"Field is not BLOB");
    SetSlotPtr(RecBuf, field, Obj);
}

TBlob* TData::BlobOf(Word FieldNo, void* RecBuf) {
    return static_cast<TBlob*>(GetObject(FieldNo, RecBuf));
}

// --- record editing ---

void* TData::AllocRecBuf(void*& RecBuf) {
    RecBuf = std::malloc(std::size_t(FRecordSize > 0 ? FRecordSize : 1));
    if (!RecBuf) throw std::bad_alloc();
    return RecBuf;
}

void TData::FreeRecBuf(void* RecBuf) { std::free(RecBuf); }

void TData::InitRecord(void* RecBuf) {
    if (HasComplexFields) std::memset(RecBuf, 0, std::size_t(FRecordSize));
    for (Integer i = 1; i <= FieldCount(); ++i) SetNull(Word(i), RecBuf, true);
}

namespace {
struct TTempRec {
    TData* Data;
    void* Buf = nullptr;
    explicit TTempRec(TData* data) : Data(data) { Data->AllocRecBuf(Buf); }
    ~TTempRec() { Data->FreeRecBuf(Buf); }
};
} // namespace

void TData::AppendBlankRecord() {
    TTempRec temp(this);
    InitRecord(temp.Buf);
    AppendRecord(temp.Buf);
}

void TData::EditRecord(void* RecBuf) {
    TTempRec temp(this);
    GetRecord(temp.Buf);
    CreateComplexFields(temp.Buf, false);
    CopyComplexFields(RecBuf, temp.Buf, false);
    PutRecord(temp.Buf);
}

void TData::PostRecord(void* RecBuf) {
    TTempRec temp(this);
    GetRecord(temp.Buf);
    UpdateRecord(RecBuf);
    if (HasBlobFields())
        for (int i = 0; i < FieldCount(); ++i) {
            TFieldDesc* field = FFields->Items(i);
            if (IsBlobFieldType(field->DataType()) && !field->HasParent())
                if (auto* blob = static_cast<TBlob*>(SlotPtr(RecBuf, field))) blob->Commit();
        }
    FreeComplexFields(temp.Buf, false);
}

void TData::CancelRecord(void* RecBuf) {
    if (HasBlobFields())
        for (int i = 0; i < FieldCount(); ++i) {
            TFieldDesc* field = FFields->Items(i);
            if (IsBlobFieldType(field->DataType()) && !field->HasParent())
                if (auto* blob = static_cast<TBlob*>(SlotPtr(RecBuf, field))) blob->Cancel();
        }
    FreeComplexFields(RecBuf, false);
}

// --- blobs ---

namespace {
// Reads the rollback copy instead of the content for the duration of one call.
struct TRollbackView {
    TBlob* Blob;
    bool On;
    TRollbackView(TBlob* blob, bool fromRollback)
        : Blob(blob), On(fromRollback && blob->CanRollback()) {
        if (On) Blob->SetUseRollback(true);
    }
    ~TRollbackView() {
        if (On) Blob->SetUseRollback(false);
    }
};
bool AnsiView(TBlob* Blob, bool TrueUnicode) { return Blob->IsUnicode() && !TrueUnicode; }
} // namespace

Integer TData::ReadBlob(Word FieldNo, void* RecBuf, Integer Position, Integer Count, void* Dest,
                        bool FromRollback, bool TrueUnicode) {
    TBlob* blob = BlobOf(FieldNo, RecBuf);
    TRollbackView view(blob, FromRollback);
    if (!AnsiView(blob, TrueUnicode))
        return Integer(blob->Read(Cardinal(Position), Cardinal(Count), Dest));
    const Integer start = blob->GetData()->TranslatePosition(Position);
    const Integer size = Integer(blob->Size());
    const Integer length =
        Count != 0 ? blob->GetData()->TranslatePosition(Position + Count) - start : size - start;
    if (length <= 0) return 0;
    UnicodeString part(std::size_t(length / 2), L'\0');
    blob->Read(Cardinal(start), Cardinal(length), part.data());
    const AnsiString text = UnicodeToAnsi(part);
    std::memcpy(Dest, text.data(), text.size());
    return Integer(text.size());
}

void TData::WriteBlob(Word FieldNo, void* RecBuf, Integer Position, Integer Count,
                      const void* Source, bool TrueUnicode) {
    TBlob* blob = BlobOf(FieldNo, RecBuf);
    blob->EnableRollback();
    if (!AnsiView(blob, TrueUnicode)) {
        blob->Write(Cardinal(Position), Cardinal(Count), Source);
    } else {
        const UnicodeString text =
            AnsiToUnicode(AnsiString(static_cast<const char*>(Source), std::size_t(Count)));
        blob->Write(Cardinal(blob->GetData()->TranslatePosition(Position)),
                    Cardinal(text.size() * 2), text.data());
    }
    SetNull(FieldNo, RecBuf, false);
}

void TData::TruncateBlob(Word FieldNo, void* RecBuf, Integer Size, bool TrueUnicode) {
    TBlob* blob = BlobOf(FieldNo, RecBuf);
    blob->EnableRollback();
    if (AnsiView(blob, TrueUnicode)) Size = blob->GetData()->TranslatePosition(Size);
    blob->Truncate(Cardinal(Size));
    if (Size == 0) SetNull(FieldNo, RecBuf, true);
}

Integer TData::GetBlobSize(Word FieldNo, void* RecBuf, bool FromRollback, bool TrueUnicode) {
    if (GetNull(FieldNo, RecBuf)) return 0;
    TBlob* blob = BlobOf(FieldNo, RecBuf);
    TRollbackView view(blob, FromRollback);
    return AnsiView(blob, TrueUnicode) ? Integer(blob->SizeAsAnsi()) : Integer(blob->Size());
}

void TData::SetBlobSize(Word FieldNo, void* RecBuf, Integer NewSize, bool FromRollback,
                        bool TrueUnicode) {
    SetNull(FieldNo, RecBuf, false);
    TBlob* blob = BlobOf(FieldNo, RecBuf);
    TRollbackView view(blob, FromRollback);
    if (!AnsiView(blob, TrueUnicode)) {
        blob->SetSize(Cardinal(NewSize));
        return;
    }
    const Integer ansiLength = Integer(blob->SizeAsAnsi());
    if (ansiLength < NewSize)
        blob->SetSize(blob->Size() + Cardinal(2 * (NewSize - ansiLength)));
    else
        blob->SetSize(Cardinal(blob->GetData()->TranslatePosition(NewSize)));
}

// --- navigation and bookmarks ---

void TData::SetToBegin() {
    FBOF = true;
    FEOF = false;
}

void TData::SetToEnd() {
    FEOF = true;
    FBOF = false;
}

void TData::GetBookmark(TRecBookmark* Bookmark) { Bookmark->Order = GetRecordNo(); }

void TData::SetToBookmark(TRecBookmark* Bookmark) {
    if (Bookmark->Order != -1) SetRecordNo(Bookmark->Order);
}

bool TData::BookmarkValid(const TRecBookmark* Bookmark) {
    return Bookmark && Bookmark->Order != -1;
}

Integer TData::CompareBookmarks(const TRecBookmark* Bookmark1, const TRecBookmark* Bookmark2) {
    if (!Bookmark1 && !Bookmark2) return 0;
    if (!Bookmark2) return -1;
    if (!Bookmark1) return 1;
    if (Bookmark1->Order < Bookmark2->Order) return -1;
    return Bookmark1->Order > Bookmark2->Order ? 1 : 0;
}

// --- cached updates and filter ---

void TData::SetCachedUpdates(bool Value) {
    if (Value == FCachedUpdates) return;
    if (!Value) CancelUpdates();
    FCachedUpdates = Value;
    if (Value)
        SetFilterItemTypes(ItemType(isUnmodified) | ItemType(isUpdated) | ItemType(isAppended));
}

void TData::SetCacheRecBuf(void* NewBuf, void* OldBuf) {
    (void)NewBuf;
    (void)OldBuf;
}

void TData::ApplyRecord(TUpdateRecKind UpdateKind, TUpdateRecAction& Action, bool LastItem) {
    if (OnApplyRecord) OnApplyRecord(UpdateKind, Action, LastItem);
}

void TData::SetFilterText(const UnicodeString& Value) {
    if (Value == FFilterText) return;
    if (Active) ParseFilter(Value); // throws before anything changes
    FFilterText = Value;
}
