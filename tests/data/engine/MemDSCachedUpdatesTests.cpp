// Cached updates of the memory dataset (apply, commit, cancel, restore, revert, the update
// events and their actions, batches, visible record types) and its blob streams in each mode.
#include "MemDSFixture.h"

#include <cstring>

namespace {

class MemDataSetCache : public MemDSTest {
protected:
    void SetUp() override {
        MemDSTest::SetUp();
        Log = Construct<TEventLog>();
    }
    void TearDown() override {
        MemDSTest::TearDown();
        Log->Free();
    }
    // ID, V and a memo; with cached updates on, `count` records (V = ID × 10) already applied
    // and committed, so that the log starts empty.
    void OpenCached(int count) {
        DS->SetColumns({{L"ID", dtInt32}, {L"V", dtInt32}, {L"MEMO", dtMemo}});
        DS->SetCachedUpdates(true);
        DS->Open();
        for (int i = 1; i <= count; ++i) DS->AppendRecord({i, i * 10});
        DS->ApplyUpdates();
        DS->CommitUpdates();
        DS->Counter()->Reset();
        DS->First();
    }
    void SetV(int v) {
        DS->Edit();
        DS->FieldByName(L"V")->SetAsInteger(v);
        DS->Post();
    }
    void HandleUpdates() { DS->OnUpdateRecord = TUpdateRecordEvent(Log, &TEventLog::UpdateRecord); }

    TEventLog* Log = nullptr;
};

TEST_F(MemDataSetCache, ModeChecks) {
    OpenPeople(1);
    EXPECT_THROW(DS->UpdateRecordTypes(), EDatabaseError);
    EXPECT_THROW(DS->SetUpdateRecordTypes({rtDeleted}), EDatabaseError);
    for (auto operation :
         {&TMemDataSet::ApplyUpdates, &TMemDataSet::CommitUpdates, &TMemDataSet::CancelUpdates,
          &TMemDataSet::RestoreUpdates, &TMemDataSet::RevertRecord}) {
        try {
            (DS->*operation)();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& E) {
            EXPECT_EQ(E.Message(), L"Not in cached update mode");
        }
    }
    EXPECT_EQ(DS->UpdateStatus(), usUnmodified);
    EXPECT_THROW(DS->SetCachedUpdates(true), EDatabaseError); // only while closed
    // CancelUpdates cancels a pending edit before it checks the mode.
    DS->Edit();
    DS->FieldByName(L"NAME")->SetAsString(L"gone");
    EXPECT_THROW(DS->CancelUpdates(), EDatabaseError);
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->FieldByName(L"NAME")->AsString(), L"N1");
}

TEST_F(MemDataSetCache, StatusOfEachChangeAndVisibleTypes) {
    OpenCached(3);
    EXPECT_EQ(DS->UpdateRecordTypes(), (TUpdateRecordTypes{rtModified, rtInserted, rtUnmodified}));
    SetV(11); // record 1 modified
    DS->Next();
    DS->Delete(); // record 2 deleted
    DS->AppendRecord({4, 40});
    EXPECT_EQ(DS->UpdateStatus(), usInserted);
    DS->First();
    EXPECT_EQ(DS->UpdateStatus(), usModified);
    DS->Next();
    EXPECT_EQ(DS->UpdateStatus(), usUnmodified);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 3, 4})); // deleted records are hidden
    DS->SetUpdateRecordTypes({rtDeleted});
    EXPECT_EQ(Ids(), (std::vector<int>{2}));
    EXPECT_EQ(DS->UpdateStatus(), usDeleted);
    DS->SetUpdateRecordTypes({rtModified, rtInserted});
    EXPECT_EQ(Ids(), (std::vector<int>{1, 4}));
    DS->SetUpdateRecordTypes({rtModified, rtInserted, rtUnmodified});
    EXPECT_TRUE(DS->UpdatesPending());
    DS->Append();
    EXPECT_EQ(DS->UpdateStatus(), usInserted); // a new record, not yet posted
    DS->Cancel();
}

TEST_F(MemDataSetCache, EmptyDataSetAndUnappliedResults) {
    OpenCached(0);
    EXPECT_EQ(DS->UpdateStatus(), usUnmodified);
    DS->AppendRecord({1, 10});
    EXPECT_EQ(DS->UpdateResult(), uaApplied); // never applied (urNone)
}

TEST_F(MemDataSetCache, ApplyWithoutHandlersWritesEveryChange) {
    OpenCached(3);
    TCountingUpdater* counter = DS->Counter();
    SetV(11);
    DS->Next();
    DS->Delete();
    DS->AppendRecord({4, 40});
    EXPECT_EQ(counter->Appends + counter->Updates + counter->Deletes, 0);
    DS->ApplyUpdates();
    EXPECT_EQ(counter->Updates, 1);
    EXPECT_EQ(counter->Deletes, 1);
    EXPECT_EQ(counter->Appends, 1);
    DS->First();
    EXPECT_EQ(DS->UpdateResult(), uaApplied);
    DS->CommitUpdates();
    EXPECT_FALSE(DS->UpdatesPending());
    EXPECT_EQ(Ids(), (std::vector<int>{1, 3, 4}));
}

TEST_F(MemDataSetCache, HandlerActions) {
    const struct {
        TUpdateAction Action;
        bool Written;
        TUpdateAction Result;
    } cases[] = {{uaApplied, false, uaApplied},
                 {uaSkip, false, uaSkip},
                 {uaWriteAsUnhandled, true, uaApplied}};
    for (const auto& c : cases) {
        DS->Close();
        OpenCached(1);
        HandleUpdates();
        Log->RecordAction = c.Action;
        Log->ClearModified = true;
        SetV(20);
        DS->SetModified(true);
        DS->ApplyUpdates();
        EXPECT_TRUE(DS->Modified()) << "the handler's change of Modified must not last";
        EXPECT_EQ(DS->Counter()->Updates, c.Written ? 1 : 0) << c.Action;
        EXPECT_EQ(DS->UpdateResult(), c.Result) << c.Action;
        DS->OnUpdateRecord = {};
    }
    // A handler that leaves uaFail fails the apply with "Update failed".
    DS->Close();
    OpenCached(1);
    HandleUpdates();
    Log->RecordAction = uaFail;
    SetV(30);
    try {
        DS->ApplyUpdates();
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Message(), L"Update failed");
    }
    EXPECT_TRUE(DS->UpdatesPending());
    EXPECT_EQ(DS->State(), dsBrowse);
    // uaAbort ends the apply silently.
    Log->RecordAction = uaAbort;
    EXPECT_THROW(DS->ApplyUpdates(), EAbort);
}

TEST_F(MemDataSetCache, HandlersSeeOldAndNewValues) {
    OpenCached(2);
    HandleUpdates();
    Log->RecordAction = uaApplied;
    SetV(11);
    DS->Next();
    DS->Delete();
    DS->AppendRecord({3, 30});
    DS->ApplyUpdates();
    // A deletion shows its record as both; an insert too (it has no values before).
    EXPECT_EQ(Log->Seen,
              (std::vector<std::string>{"modify:10->11", "delete:20->20", "insert:30->30"}));
}

TEST_F(MemDataSetCache, ApplyPostsAPendingEdit) {
    OpenCached(1);
    DS->Edit();
    DS->FieldByName(L"V")->SetAsInteger(99);
    DS->ApplyUpdates();
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->Counter()->Updates, 1);
    EXPECT_EQ(DS->FieldByName(L"V")->AsInteger(), 99);
}

TEST_F(MemDataSetCache, WriteErrorsGoToOnUpdateError) {
    OpenCached(1);
    DS->Counter()->FailUpdates = true;
    DS->OnUpdateError = TUpdateErrorEvent(Log, &TEventLog::UpdateError);
    Log->ErrorAction = uaSkip;
    SetV(12);
    DS->SetModified(true);
    DS->ApplyUpdates();
    EXPECT_EQ(Log->Take(), "UpdateError:update refused");
    EXPECT_EQ(DS->UpdateResult(), uaSkip);
    Log->ErrorAction = uaFail;
    DS->RestoreUpdates();
    EXPECT_THROW(DS->ApplyUpdates(), EDatabaseError);
    EXPECT_EQ(Log->Take(), "UpdateError:update refused");
}

TEST_F(MemDataSetCache, BatchesSuspendAllButTheLast) {
    OpenCached(3);
    TCountingUpdater* counter = DS->Counter();
    counter->BatchSize = 100; // never full
    for (int i = 0; i < 3; ++i) {
        SetV(i);
        DS->Next();
    }
    DS->ApplyUpdates();
    EXPECT_EQ(counter->Updates, 3);
    EXPECT_EQ(counter->Flushes, 1);
    EXPECT_FALSE(DS->UpdatesPending());
}

TEST_F(MemDataSetCache, CancelRevertAndRestore) {
    OpenCached(3);
    SetV(11);
    DS->Next();
    SetV(22);
    DS->RevertRecord();
    EXPECT_EQ(DS->FieldByName(L"V")->AsInteger(), 20);
    DS->CancelUpdates();
    DS->First();
    EXPECT_EQ(DS->FieldByName(L"V")->AsInteger(), 10);
    EXPECT_FALSE(DS->UpdatesPending());

    SetV(12);
    DS->ApplyUpdates();
    EXPECT_FALSE(DS->UpdatesPending());
    DS->RestoreUpdates(); // the applied change is pending again
    EXPECT_TRUE(DS->UpdatesPending());
    DS->CommitUpdates();
    EXPECT_FALSE(DS->UpdatesPending());
    EXPECT_EQ(DS->FieldByName(L"V")->AsInteger(), 12);
}

// ---- blob streams

std::string ReadAll(TStream* Stream) {
    std::string text;
    char buffer[7];
    for (NativeInt n; (n = Stream->Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return text;
}

TEST_F(MemDataSetCache, BlobStreamModes) {
    DS->SetColumns({{L"ID", dtInt32}, {L"MEMO", dtMemo}});
    DS->Open();
    TField* memo = DS->FieldByName(L"MEMO");
    memo->OnChange = TFieldNotifyEvent(Log, &TEventLog::Changed);
    {
        // An empty dataset in browse state: the stream is closed.
        TOwned<TStream> closed(DS->CreateBlobStream(memo, bmRead));
        char c;
        EXPECT_EQ(closed->Read(&c, 1), 0);
        EXPECT_EQ(closed->Write("x", 1), 0);
    }
    DS->Append();
    {
        TOwned<TStream> stream(DS->CreateBlobStream(memo, bmWrite));
        stream->WriteBuffer("first text", 10);
        EXPECT_EQ(Log->Take(), ""); // the field hears of the change when the stream goes
    }
    EXPECT_EQ(Log->Take(), "Change:MEMO");
    DS->Post();
    EXPECT_EQ(memo->AsString(), L"first text");
    // Browsing: the field's modification belonged to the insert that was posted.
    EXPECT_FALSE(static_cast<TBlobField*>(memo)->Modified());
    EXPECT_THROW(DS->CreateBlobStream(memo, bmWrite), EDatabaseError);

    DS->Edit();
    {
        TOwned<TStream> stream(DS->CreateBlobStream(memo, bmWrite));
        EXPECT_EQ(stream->Size(), 0); // emptied at once
    }
    {
        TOwned<TStream> stream(DS->CreateBlobStream(memo, bmReadWrite));
        stream->WriteBuffer("abcdefghij", 10);
        stream->SetPosition(4);
        static_cast<TBlobStream*>(stream.Object)->Truncate();
        EXPECT_EQ(stream->Size(), 4);
        stream->Seek(-2, soEnd);
        EXPECT_EQ(ReadAll(stream.Object), "cd");
        stream->Seek(10, soBeginning);
        char c;
        EXPECT_EQ(stream->Read(&c, 1), 0); // past the end
    }
    EXPECT_TRUE(static_cast<TBlobField*>(memo)->Modified());
    EXPECT_EQ(memo->AsString(), L"abcd");
    // The content before the edit is still the old value.
    EXPECT_EQ(memo->OldValue(), Variant(UnicodeString(L"first text")));
    DS->Cancel();
    EXPECT_EQ(memo->AsString(), L"first text");
}

// Buffers that hold their own references to blobs (a descendant's choice) release them when
// they are reused, refreshed and freed; the stored blobs stay intact meanwhile.
TEST_F(MemDataSetCache, BuffersHoldingBlobReferences) {
    DS->SetNeedAddRef(true);
    DS->SetColumns({{L"ID", dtInt32}, {L"MEMO", dtMemo}});
    DS->Open();
    for (int i = 1; i <= 30; ++i) {
        DS->Append();
        DS->FieldByName(L"ID")->SetAsInteger(i);
        DS->FieldByName(L"MEMO")->SetAsString(L"memo " + IntToStr(i));
        DS->Post();
    }
    for (int pass = 0; pass < 2; ++pass) {
        int i = 0;
        for (DS->First(); !DS->Eof(); DS->Next())
            EXPECT_EQ(DS->FieldByName(L"MEMO")->AsString(), L"memo " + IntToStr(++i));
        EXPECT_EQ(i, 30);
    }
    DS->SetRecNoValue(7);
    DS->Edit();
    DS->FieldByName(L"MEMO")->SetAsString(L"seven");
    DS->Post();
    DS->Last();
    DS->SetRecNoValue(7);
    EXPECT_EQ(DS->FieldByName(L"MEMO")->AsString(), L"seven");
    DS->Close();
}

// Before the start nothing is read, written or cut; past the end a write keeps its position,
// with zeros in the gap.
TEST_F(MemDataSetCache, BlobStreamPositionsOutsideTheContent) {
    DS->SetColumns({{L"ID", dtInt32}, {L"RAW", dtBlob}});
    DS->Open();
    DS->Append();
    TOwned<TStream> stream(DS->CreateBlobStream(DS->FieldByName(L"RAW"), bmWrite));
    stream->WriteBuffer("abc", 3);
    stream->Seek(-2, soBeginning);
    char c = 0;
    EXPECT_EQ(stream->Write("x", 1), 0);
    EXPECT_EQ(stream->Read(&c, 1), 0);
    static_cast<TBlobStream*>(stream.Object)->Truncate();
    EXPECT_EQ(stream->Size(), 3);
    stream->Seek(5, soBeginning);
    EXPECT_EQ(stream->Write("z", 1), 1);
    EXPECT_EQ(stream->Size(), 6);
    stream->SetPosition(0);
    EXPECT_EQ(ReadAll(stream.Object), std::string("abc\0\0z", 6));
}

TEST_F(MemDataSetCache, BlobStreamOfAModifiedFieldSkipsTheStateCheck) {
    DS->SetColumns({{L"ID", dtInt32}, {L"MEMO", dtMemo, 0, 0, false, true}});
    DS->Open();
    DS->AppendRecord({1});
    auto* memo = static_cast<TBlobField*>(DS->FieldByName(L"MEMO"));
    EXPECT_THROW(DS->CreateBlobStream(memo, bmReadWrite), EDatabaseError); // read-only field
    memo->SetModified(true);
    TOwned<TStream> stream(DS->CreateBlobStream(memo, bmReadWrite)); // not checked again
    EXPECT_EQ(ReadAll(stream.Object), "");
}

} // namespace
