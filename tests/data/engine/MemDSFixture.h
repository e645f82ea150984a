// Shared pieces of the memory dataset tests: a record list whose columns the test lists (it
// describes them when it opens, as a provider's record set does), a memory dataset over it, a
// fixture that runs the engine's start-ups, and a log of dataset events.
#pragma once

#include "data/engine/CLRClasses.h"
#include "data/engine/DcParser.h"
#include "data/engine/MemDS.h"
#include "data/engine/MemUtils.h"

#include "EngineModules.h"
#include "tests/framework/DataSetEventLog.h"

#include "framework/Conversions.h"

#include <string>
#include <vector>

inline std::string Narrow(const UnicodeString& S) { return std::string(S.begin(), S.end()); }

// The message of the exception Action raises, "no error" when it raises none.
template <class F> std::string ErrorOf(F&& Action) {
    try {
        Action();
    } catch (const Exception& E) {
        return Narrow(E.Message());
    }
    return "no error";
}

struct TColumnInfo {
    UnicodeString Name;
    Word DataType;
    Word Length = 0;
    Word Scale = 0;
    bool Required = false;
    bool ReadOnly = false;
    bool Hidden = false;
    TObjectType* ObjectType = nullptr; // not owned: the test releases its reference
    // A child descriptor of the column at this index, named Parent's name + "." + Name in full
    // (-1: a top-level column).
    int Parent = -1;
};

class TColumnsData : public TMemData {
public:
    std::vector<TColumnInfo> Columns;

protected:
    void InitFieldDescs() override {
        for (const TColumnInfo& column : Columns) {
            TFieldDesc* field = Construct<TFieldDesc>();
            field->SetName(column.Name);
            field->SetDataType(column.DataType);
            field->SetLength(column.Length);
            field->SetScale(column.Scale);
            // An object column's slot holds the provider object of its values.
            const bool structured = column.DataType == dtObject || column.DataType == dtArray;
            field->SetSize(
                FieldSizeOf(column.DataType, column.Length, structured ? sizeof(void*) : 0));
            field->SetRequired(column.Required);
            field->SetReadOnly(column.ReadOnly);
            field->SetHidden(column.Hidden);
            field->SetObjectType(column.ObjectType);
            if (column.Parent >= 0) {
                TFieldDesc* parent = Fields()->Items(column.Parent);
                field->SetParentField(parent);
                field->SetActualName(parent->Name() + L"." + column.Name);
            }
            field->SetFieldNo(Word(FieldCount() + 1));
            Fields()->Add(field);
        }
    }
    void DoPrepare() override { InitFields(); }
    void DoOpen(bool) override {
        if (!IsPrepared()) InitFields();
    }
};

// An updater that counts the writes, can refuse updates with a database error, and collects
// writes into batches of BatchSize (0: no batches).
class TCountingUpdater : public TDataSetUpdater {
public:
    using TDataSetUpdater::TDataSetUpdater;
    int Appends = 0, Deletes = 0, Updates = 0, Flushes = 0, BatchSize = 0, Pending = 0;
    bool FailUpdates = false;
    void Reset() { Appends = Deletes = Updates = Flushes = Pending = 0; }

protected:
    bool PerformAppend() override { return Count(Appends); }
    bool PerformDelete() override { return Count(Deletes); }
    bool PerformUpdate() override {
        if (FailUpdates) DatabaseError(L"update refused");
        return Count(Updates);
    }
    bool IsBatchUpdate() override { return BatchSize > 0; }
    bool IsBatchFull() override { return Pending >= BatchSize; }
    void FlushBatch() override {
        ++Flushes;
        Pending = 0;
    }

private:
    bool Count(int& Counter) {
        ++Counter;
        ++Pending;
        return true;
    }
};

class TCountingService : public TDataSetService {
    CLASS_INFO(TCountingService, TDataSetService)
public:
    using TDataSetService::TDataSetService;
    void NewUpdater() override { InstallUpdater(Construct<TCountingUpdater>(this)); }
};

class TColumnsDataSet : public TMemDataSet {
public:
    TCountingUpdater* Counter() {
        return static_cast<TCountingUpdater*>(DataSetService()->Updater());
    }
    using TMemDataSet::TMemDataSet;
    TColumnsData* Storage() const { return static_cast<TColumnsData*>(Data()); }
    // New columns, as a changed query would give: the definitions are stale.
    void SetColumns(std::vector<TColumnInfo> Columns) {
        Storage()->Columns = std::move(Columns);
        FieldDefs()->SetUpdated(false);
    }
    void SetParentDataSet(TMemDataSet* Parent) { FParentDataSet = Parent; }
    void SetNumberRange(bool Value) { FNumberRange = Value; }
    void SetCacheCalcFields(bool Value) { FCacheCalcFields = Value; }
    void SetNeedAddRef(bool Value) { FNeedAddRef = Value; }
    void AttachDataSetServiceForTest(TDataSetService* Service) { AttachDataSetService(Service); }

protected:
    void CreateDataObject() override { AttachData(Construct<TColumnsData>()); }
    TClass DataSetServiceClass() const override { return TCountingService::StaticClass(); }
};

class MemDSTest : public EngineModulesTest {
protected:
    MemDSTest()
        : EngineModulesTest({CLRClassesModule(), MemUtilsModule(), DcParserModule(),
                             MemDataModule(), MemDSModule()}) {}
    void SetUp() override {
        EngineModulesTest::SetUp();
        DS = Construct<TColumnsDataSet>(nullptr);
        DS->SetName(L"People");
    }
    void TearDown() override {
        DS->Free();
        EngineModulesTest::TearDown();
    }
    // ID (Int32, required), NAME (String 20), AMOUNT (Float).
    void OpenPeople(int count) {
        DS->SetColumns(
            {{L"ID", dtInt32, 0, 0, true}, {L"NAME", dtString, 20}, {L"AMOUNT", dtFloat}});
        DS->Open();
        for (int i = 1; i <= count; ++i) DS->AppendRecord({i, L"N" + IntToStr(i), i * 1.5});
        DS->First();
    }
    // The ID of every visible record, walking from the first; the position is kept.
    std::vector<int> Ids(const wchar_t* field = L"ID") {
        std::vector<int> ids;
        const TBookmark here = DS->GetBookmark();
        DS->DisableControls();
        for (DS->First(); !DS->Eof(); DS->Next())
            ids.push_back(DS->FieldByName(field)->AsInteger());
        if (!here.empty() && DS->BookmarkValid(here)) DS->GotoBookmark(here);
        DS->EnableControls();
        return ids;
    }

    TColumnsDataSet* DS = nullptr;
};

// Records the edit cycle's and the update events as short words.
class TEventLog : public TDataSetEventLog {
public:
    TUpdateAction RecordAction = uaFail;
    TUpdateAction ErrorAction = uaFail;
    bool ClearModified = false;    // the update handler clears the dataset's Modified flag
    std::vector<std::string> Seen; // what OnUpdateRecord saw: "kind:old->new" of field V

    void Attach(TDataSet* D) { AttachEditEvents(D); }
    void UpdateRecord(TDataSet* D, TUpdateKind Kind, TUpdateAction& Action) {
        static const char* kinds[] = {"modify", "insert", "delete"};
        TField* v = D->FieldByName(L"V");
        Seen.push_back(std::string(kinds[Kind]) + ":" + Text(v->OldValue()) + "->" +
                       Text(v->Value()));
        Action = RecordAction;
        if (ClearModified) static_cast<TMemDataSet*>(D)->SetModified(false);
    }
    void Changed(TField* Field) { Entries.push_back("Change:" + Narrow(Field->FieldName())); }
    void UpdateError(TDataSet*, EDatabaseError& E, TUpdateKind, TUpdateAction& Action) {
        Entries.push_back("UpdateError:" + Narrow(E.Message()));
        Action = ErrorAction;
    }
    static std::string Text(const Variant& V) {
        return VarIsNull(V) ? "null" : Narrow(VarToStr(V));
    }
};
