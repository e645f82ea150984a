// The memory dataset's storage, record buffers, bookmarks, navigation, opening, closing and
// preparing.
#include "data/engine/MemDS.h"

#include <cstring>

bool DataSetChangeAfterOpen = true;
bool SilentUpdateFailure = false;
bool KeepDefaultExpressionQuotes = false;

TModuleEntry MemDSModule() {
    return {L"MemDS", {L"MemData"}, [] {
                DataSetChangeAfterOpen = true;
                SilentUpdateFailure = false;
                KeepDefaultExpressionQuotes = false;
            }};
}

namespace {
// Offsets inside the record information.
constexpr Integer RecNoOfs = 0, StatusOfs = 4, FlagOfs = 5, NeedFreeOfs = 6, RecInfoSize = 7;
constexpr Integer BookmarkBytes = Integer(sizeof(TRecBookmark));
#if !defined(_WIN64)
static_assert(sizeof(TRecBookmark) == 12, "the 32-bit product keeps 12-byte bookmarks");
#endif

TRecBookmark BookmarkOf(const Byte* Data) {
    TRecBookmark bookmark;
    std::memcpy(&bookmark, Data, sizeof bookmark);
    return bookmark;
}
} // namespace

TItemTypes ItemTypesOf(TUpdateRecordTypes Types) {
    TItemTypes types = 0;
    if (Types.Contains(rtModified)) types |= ItemType(isUpdated);
    if (Types.Contains(rtInserted)) types |= ItemType(isAppended);
    if (Types.Contains(rtDeleted)) types |= ItemType(isDeleted);
    if (Types.Contains(rtUnmodified)) types |= ItemType(isUnmodified);
    return types;
}

TMemDataSet::TMemDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

void TMemDataSet::AfterConstruction() {
    TDataSet::AfterConstruction();
    CreateDataObject();
}

void TMemDataSet::BeforeDestruction() {
    TDataSet::BeforeDestruction();
    UnPrepare();
    FreeData();
    FreeAndNil(FDataSetService);
}

void TMemDataSet::AssignTo(TPersistent* Dest) {
    if (auto* target = dynamic_cast<TMemDataSet*>(Dest)) {
        target->SetCachedUpdates(FCachedUpdates);
        target->SetLocalConstraints(FLocalConstraints);
        target->SetLocalUpdate(FLocalUpdate);
        return;
    }
    TDataSet::AssignTo(Dest);
}

// ---- storage and service

void TMemDataSet::CreateDataObject() { AttachData(Construct<TMemData>()); }

void TMemDataSet::FreeData() {
    TData* data = FData;
    FData = nullptr;
    if (data) data->Free();
}

void TMemDataSet::AttachData(TData* Value) {
    FData = Value;
    if (!FData) return;
    FData->SetCachedUpdates(FCachedUpdates);
    FData->SparseArrays = SparseArrays();
    FData->SetFilterItemTypes(ItemTypesOf(FUpdateRecordTypes));
    if (auto* list = dynamic_cast<TMemData*>(FData)) list->SetIndexFieldNames(FIndexFieldNames);
    HookStorage();
}

void TMemDataSet::HookStorage() {
    FData->OnAppend = [this] { DataSetService()->Updater()->WriteAppendedRecord(); };
    FData->OnDelete = [this] { DataSetService()->Updater()->WriteDeletedRecord(); };
    FData->OnUpdate = [this] { DataSetService()->Updater()->WriteUpdatedRecord(); };
    FData->OnApplyRecord = [this](TUpdateRecKind Kind, TUpdateRecAction& Action, bool Last) {
        DataSetService()->Updater()->ApplyRecordUpdate(Kind, Action, Last);
    };
    if (!FCreateCalcFieldDescs) return;
    FData->OnGetCachedFields = [this] { CreateCalcFieldDescs(); };
    FData->OnGetCachedBuffer = [this](void* Dest, void* Source) {
        FillCachedCalcFields(Dest, Source);
    };
}

void TMemDataSet::CheckDataSetService() {
    const TClass wanted = DataSetServiceClass();
    if (FDataSetService && FDataSetService->ClassType() == wanted) return;
    AttachDataSetService(static_cast<TDataSetService*>(CreateInstance(wanted, this)));
}

TDataSetService* TMemDataSet::DataSetService() {
    CheckDataSetService();
    return FDataSetService;
}

void TMemDataSet::AttachDataSetService(TDataSetService* Service) {
    FreeAndNil(FDataSetService);
    FDataSetService = Service;
}

TFieldClass TMemDataSet::GetFieldClass(TFieldType FieldType) const {
    auto* self = const_cast<TMemDataSet*>(this);
    return self->DataSetService()->FieldClassOfType(FieldType);
}

// ---- properties

bool TMemDataSet::Prepared() const { return FData && FData->IsPrepared(); }

void TMemDataSet::SetPrepared(bool Value) {
    if (Value)
        Prepare();
    else
        UnPrepare();
}

void TMemDataSet::CheckPrepared() const {
    if (!Prepared()) DatabaseError(L"DataSet is not prepared", const_cast<TMemDataSet*>(this));
}

void TMemDataSet::SetSparseArrays(bool Value) {
    if (Value == SparseArrays()) return;
    UnPrepare();
    TDataSet::SetSparseArrays(Value);
    if (FData) FData->SparseArrays = Value;
}

void TMemDataSet::SetIndexFieldNames(const UnicodeString& Value) {
    if (Active()) CheckBrowseMode();
    if (auto* list = dynamic_cast<TMemData*>(FData)) {
        list->SetIndexFieldNames(Value);
        if (Active() && list->IndexFields()->Count() > 0) Resync({});
    }
    FIndexFieldNames = Value;
}

// ---- preparing

void TMemDataSet::Prepare() {
    if (Prepared() || !FData) return;
    FData->Prepare();
    DataSetService()->InitFieldsExtInfo();
    BuildFieldDefs();
}

void TMemDataSet::UnPrepare() {
    if (Active()) Close();
    if (!FData) return;
    FData->UnPrepare();
    if (!ComponentState().Contains(csDestroying)) FieldDefs()->SetUpdated(false);
}

// ---- opening and closing

void TMemDataSet::OpenCursor(bool InfoQuery) {
    TDataSet::OpenCursor(InfoQuery);
    if (InfoQuery) return;
    if (FOldRecBuf) Marshal::FreeHGlobal(FOldRecBuf);
    FOldRecBuf = static_cast<TRecordBuffer>(Marshal::AllocHGlobal(FRecBufSize));
    std::memset(FOldRecBuf, 0, std::size_t(FRecBufSize));
}

void TMemDataSet::InternalOpen() {
    FData->Open();
    DataSetService()->InitFieldsExtInfo();
    BuildFieldDefs();
    if (DefaultFields()) {
        CreateFields();
    } else {
        for (int i = 0; i < FieldDefs()->Count(); ++i) {
            TFieldDef* def = FieldDefs()->Items(i);
            if (def->DataType() != ftString) continue;
            TField* field = FindField(def->Name());
            if (!field || field->FieldKind() != fkData) continue;
            CheckFieldCompatibility(field, def);
            field->SetSize(def->Size());
        }
    }
    if (FNumberRange)
        for (int i = 0; i < FieldDefs()->Count(); ++i)
            DataSetService()->ApplyNumberRange(FieldDefs()->Items(i));
    BindFields(true);
    const Integer count = FData->FieldCount();
    if (count > 0 && FData->Fields()->Items(count - 1)->FieldDescKind() == fdkCached)
        if (auto* list = dynamic_cast<TMemData*>(FData)) list->UpdateCachedBuffer(nullptr, nullptr);
    if (ObjectView()) NameObjectTypes();
    if (auto* list = dynamic_cast<TMemData*>(FData))
        if (list->IndexFields()->Count() > 0) list->SortItems();

    if (!FCreateCalcFieldDescs)
        FRecInfoOfs = FData->RecordSize() + CalcFieldsSize();
    else if (FCacheCalcFields)
        FRecInfoOfs = FData->RecordSize();
    else
        FRecInfoOfs = FData->RecordSize() + FData->CalcRecordSize();
    FBookmarkOfs = FRecInfoOfs + RecInfoSize;
    FRecBufSize = FBookmarkOfs + BookmarkBytes;
    SetBookmarkSize(BookmarkBytes);
    FInCacheProcessing = false;
    if (Filtered()) {
        InstallFilter();
        FData->FilterUpdated();
    }
}

void TMemDataSet::CloseCursor() {
    if (FInInserting) FreeRecBufComplexFields(ActiveBuffer(), true);
    if (FInEditing) FreeRecBufComplexFields(ActiveBuffer(), false);
    FInInserting = FInEditing = false;
    if (FOldRecBuf) {
        Marshal::FreeHGlobal(FOldRecBuf);
        FOldRecBuf = nullptr;
    }
    try {
        TDataSet::CloseCursor();
    } catch (...) {
        FParentDataSet = nullptr;
        throw;
    }
    FParentDataSet = nullptr;
    FLastParentBookmark.clear();
}

void TMemDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    if (FData) FData->Close();
}

void TMemDataSet::InternalInitFieldDefs() {
    if (FData->IsActive()) return;
    std::vector<UnicodeString> before;
    for (int i = 0; i < FData->FieldCount(); ++i)
        before.push_back(FData->Fields()->Items(i)->Name());
    FData->ExplicitInitFields();
    bool changed = Integer(before.size()) != FData->FieldCount();
    if (!changed && FieldDefs()->Updated())
        for (int i = 0; i < FData->FieldCount() && !changed; ++i)
            changed = before[std::size_t(i)] != FData->Fields()->Items(i)->Name();
    if (changed) FieldDefs()->SetUpdated(false);
    DataSetService()->InitFieldsExtInfo();
    BuildFieldDefs();
}

void TMemDataSet::DoAfterOpen() {
    TDataSet::DoAfterOpen();
    if (DataSetChangeAfterOpen) DataEvent(deDataSetChange, 0);
    for (int i = 0; i < NestedDataSets()->Count(); ++i) {
        auto* nested = static_cast<TDataSet*>(NestedDataSets()->Items(i));
        if (nested->Active()) nested->DataEvent(deParentScroll, 0);
    }
}

void TMemDataSet::DataEvent(TDataEvent Event, NativeInt Info) {
    if (Event == deParentScroll && FParentDataSet) ParentScroll();
    TDataSet::DataEvent(Event, Info);
}

void TMemDataSet::ParentScroll() {
    std::vector<Byte> position;
    if (!FParentDataSet->IsEmpty()) {
        const Byte* bookmark = FParentDataSet->ActiveBuffer() + FParentDataSet->FBookmarkOfs;
        position.assign(bookmark, bookmark + BookmarkBytes);
    }
    if (!FLastParentBookmark.empty() && FLastParentBookmark == position) {
        UpdateCursorPos();
        Resync({});
        return;
    }
    First();
    FLastParentBookmark = position;
}

void TMemDataSet::InternalRefresh() {
    FreeBufferComplexFields();
    ReopenData();
    if (auto* list = dynamic_cast<TMemData*>(FData))
        if (list->IndexFields()->Count() > 0) list->SortItems();
}

bool TMemDataSet::IsCursorOpen() { return FData && FData->IsActive(); }

// ---- record buffers

TRecordBuffer TMemDataSet::AllocRecordBuffer() {
    auto* buffer = static_cast<TRecordBuffer>(Marshal::AllocHGlobal(FRecBufSize));
    std::memset(buffer, 0, std::size_t(FRecBufSize));
    return buffer;
}

void TMemDataSet::FreeRecordBuffer(TRecordBuffer& Buffer) {
    if (!Buffer) return;
    FreeRecBufComplexFields(Buffer, true);
    Marshal::FreeHGlobal(Buffer);
    Buffer = nullptr;
}

void TMemDataSet::FreeRecBufComplexFields(TRecordBuffer Buffer, bool WithBlob) {
    if (!Buffer || RecInfo(Buffer)[NeedFreeOfs] != 1) return;
    FData->FreeComplexFields(Buffer, WithBlob);
    RecInfo(Buffer)[NeedFreeOfs] = 0;
}

void TMemDataSet::FreeBufferComplexFields() {
    if (FNeedAddRef)
        for (int i = 0; i < BufferCount(); ++i) FreeRecBufComplexFields(Buffers(i), true);
    FreeRecBufComplexFields(TempBuffer(), true);
}

Word TMemDataSet::GetRecordSize() { return Word(FData->RecordSize()); }

int TMemDataSet::CalcFieldsOffset() { return FData->RecordSize(); }

void TMemDataSet::InitRecord(TRecordBuffer Buffer) {
    TDataSet::InitRecord(Buffer);
    const Integer zero = 0;
    std::memcpy(RecInfo(Buffer) + RecNoOfs, &zero, 4);
    RecInfo(Buffer)[StatusOfs] = isAppended;
    RecInfo(Buffer)[FlagOfs] = bfInserted;
    FData->InitRecord(FOldRecBuf);
}

void TMemDataSet::InternalInitRecord(TRecordBuffer Buffer) {
    FreeRecBufComplexFields(Buffer, true);
    FData->InitRecord(Buffer);
    if (FData->HasComplexFields) FData->CreateComplexFields(Buffer, true);
}

void TMemDataSet::ClearCalcFields(TRecordBuffer Buffer) {
    if (!FCreateCalcFieldDescs) {
        TDataSet::ClearCalcFields(Buffer);
        return;
    }
    for (int i = 0; i < FData->FieldCount(); ++i)
        if (FData->Fields()->Items(i)->FieldDescKind() != fdkData)
            FData->SetNull(Word(i + 1), Buffer, true);
}

TGetResult TMemDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool) {
    FreeRecBufComplexFields(Buffer, true);
    switch (GetMode) {
    case gmCurrent: FData->GetRecord(Buffer); break;
    case gmNext: FData->GetNextRecord(Buffer); break;
    case gmPrior: FData->GetPriorRecord(Buffer); break;
    }
    if (FData->Bof()) return grBOF;
    if (FData->Eof()) return grEOF;
    const Integer recNo = FData->RecordNo();
    std::memcpy(RecInfo(Buffer) + RecNoOfs, &recNo, 4);
    RecInfo(Buffer)[StatusOfs] = FData->GetUpdateStatus();
    RecInfo(Buffer)[FlagOfs] = bfCurrent;
    if (FNeedAddRef) {
        RecInfo(Buffer)[NeedFreeOfs] = 1;
        FData->AddRefComplexFields(Buffer);
    }
    if (!FCacheCalcFields) GetCalcFields(Buffer);
    TRecBookmark bookmark;
    FData->GetBookmark(&bookmark);
    std::memcpy(Buffer + FBookmarkOfs, &bookmark, sizeof bookmark);
    return grOK;
}

// ---- bookmarks

void TMemDataSet::GetBookmarkData(TRecordBuffer Buffer, Byte* Data) {
    std::memcpy(Data, Buffer + FBookmarkOfs, std::size_t(BookmarkBytes));
}

void TMemDataSet::SetBookmarkData(TRecordBuffer Buffer, const Byte* Data) {
    std::memcpy(Buffer + FBookmarkOfs, Data, std::size_t(BookmarkBytes));
}

TBookmarkFlag TMemDataSet::GetBookmarkFlag(TRecordBuffer Buffer) {
    return TBookmarkFlag(RecInfo(Buffer)[FlagOfs]);
}

void TMemDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    RecInfo(Buffer)[FlagOfs] = Byte(Value);
}

void TMemDataSet::InternalGotoBookmark(const Byte* Bookmark) {
    TRecBookmark bookmark = BookmarkOf(Bookmark);
    FData->SetToBookmark(&bookmark);
}

void TMemDataSet::InternalSetToRecord(TRecordBuffer Buffer) {
    InternalGotoBookmark(Buffer + FBookmarkOfs);
}

bool TMemDataSet::BookmarkValid(const TBookmark& Bookmark) {
    if (!FData || Bookmark.size() != std::size_t(BookmarkBytes)) return false;
    const TRecBookmark bookmark = BookmarkOf(Bookmark.data());
    return FData->BookmarkValid(&bookmark);
}

int TMemDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (!FData) return 0;
    const bool have1 = Bookmark1.size() == std::size_t(BookmarkBytes);
    const bool have2 = Bookmark2.size() == std::size_t(BookmarkBytes);
    if (!have1 || !have2) return have1 == have2 ? 0 : have1 ? 1 : -1;
    const TRecBookmark a = BookmarkOf(Bookmark1.data()), b = BookmarkOf(Bookmark2.data());
    return FData->CompareBookmarks(&a, &b);
}

// ---- navigation

void TMemDataSet::InternalFirst() { FData->SetToBegin(); }

void TMemDataSet::InternalLast() { FData->SetToEnd(); }

int TMemDataSet::GetRecNo() {
    TRecordBuffer buffer;
    if (!StateRecBuf(buffer)) return 0;
    Integer recNo;
    std::memcpy(&recNo, RecInfo(buffer) + RecNoOfs, 4);
    return recNo;
}

void TMemDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    DoBeforeScroll();
    FData->SetRecordNoValue(Value);
    Resync({});
    DoAfterScroll();
}

int TMemDataSet::GetRecordCount() { return Active() ? FData->RecordCount() : 0; }

void TMemDataSet::SetBlockReadSize(int Value) {
    if (Value == BlockReadSize()) return;
    if (Value > 0 || Value < -1) UpdateCursorPos();
    TDataSet::SetBlockReadSize(Value);
}
