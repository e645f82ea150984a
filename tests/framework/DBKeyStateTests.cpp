// The key state (dsSetKey): entering it, writing key values, and every way out of it.
#include "DataSetTesting.h"

using DBKeyState = DataSetFixture;

TEST_F(DBKeyState, PostKeepsTheKeyAndCancelBringsThePreviousOneBack) {
    Fill(3);
    DS->Next();
    DS->FieldByName(L"Name")->SetReadOnly(true);
    DS->SetKey();
    EXPECT_EQ(DS->State(), dsSetKey);
    EXPECT_TRUE(DS->FieldByName(L"ID")->IsNull());
    // Key values go to the key, read-only fields included, and never to the records.
    DS->FieldByName(L"ID")->SetAsInteger(7);
    DS->FieldByName(L"Name")->SetAsString(L"N7");
    EXPECT_TRUE(DS->Modified());
    DS->Post();
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));

    // EditKey starts from the posted key; Cancel throws the changes away.
    DS->EditKey();
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 7);
    EXPECT_EQ(DS->FieldByName(L"Name")->AsString(), L"N7");
    DS->FieldByName(L"ID")->SetAsInteger(9);
    DS->Cancel();
    EXPECT_EQ(DS->State(), dsBrowse);
    DS->EditKey();
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 7);
    // ClearFields clears the key, not the current record.
    DS->EditKey();
    DS->ClearFields();
    EXPECT_TRUE(DS->FieldByName(L"ID")->IsNull());
    DS->Cancel();
    EXPECT_EQ(CurrentId(), 2);
    // SetKey starts a cleared key; Cancel of it brings back 7.
    DS->Cancel();
    DS->SetKey();
    EXPECT_TRUE(DS->FieldByName(L"Name")->IsNull());
    DS->Cancel();
    DS->EditKey();
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 7);
    DS->Cancel();
}

TEST_F(DBKeyState, MovingDeletingOrClosingLeavesTheKeyState) {
    Fill(3);
    TDataSetEventLog log;
    log.Attach(DS);
    TDataSource* source = Construct<TDataSource>(nullptr);
    source->SetDataSet(DS);
    std::vector<TDataSetState> states;
    struct TStateSink : public TObject {
        std::vector<TDataSetState>* States;
        void Changed(TObject* Sender) {
            States->push_back(static_cast<TDataSource*>(Sender)->State());
        }
    } sink;
    sink.States = &states;
    source->OnStateChange = TNotifyEvent(&sink, &TStateSink::Changed);

    // A move posts the key first (CheckBrowseMode).
    DS->SetKey();
    DS->FieldByName(L"ID")->SetAsInteger(2);
    DS->Next();
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(CurrentId(), 2);
    DS->EditKey();
    EXPECT_EQ(DS->FieldByName(L"ID")->AsInteger(), 2);
    // Delete in the key state cancels it and deletes nothing.
    DS->Delete();
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->RecordCount(), 3);
    // Editing and inserting start from browse.
    DS->SetKey();
    DS->Edit();
    EXPECT_EQ(DS->State(), dsEdit);
    DS->Cancel();
    // Closing in the key state closes.
    DS->SetKey();
    DS->Close();
    EXPECT_EQ(DS->State(), dsInactive);
    EXPECT_EQ(states,
              (std::vector<TDataSetState>{dsSetKey, dsBrowse, dsSetKey, dsBrowse, dsSetKey,
                                          dsBrowse, dsEdit, dsBrowse, dsSetKey, dsInactive}));
    // No record event came from the key state itself.
    EXPECT_EQ(log.Take(), "BeforeScroll AfterScroll BeforeEdit AfterEdit BeforeCancel "
                          "AfterCancel");
    // A closed dataset has no key state.
    EXPECT_THROW(DS->SetKey(), EDatabaseError);
    source->Free();
}
