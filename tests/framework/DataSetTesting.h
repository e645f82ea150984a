// Shared pieces of the dataset tests: a fixture with a vector dataset of four fields (ID,
// Name, Amount, Born), and an event log that dataset events write to.
#pragma once

#include "VectorDataSet.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every Before/After event of a dataset, in order, as "BeforeEdit", "AfterEdit" ...
class TDataSetEventLog : public TObject {
public:
    std::vector<std::string> Entries;

    void Attach(TDataSet* D) {
        D->BeforeOpen = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeOpen);
        D->AfterOpen = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterOpen);
        D->BeforeInsert = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeInsert);
        D->AfterInsert = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterInsert);
        D->BeforeEdit = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeEdit);
        D->AfterEdit = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterEdit);
        D->BeforePost = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforePost);
        D->AfterPost = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterPost);
        D->BeforeCancel = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeCancel);
        D->AfterCancel = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterCancel);
        D->BeforeDelete = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeDelete);
        D->AfterDelete = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterDelete);
        D->BeforeScroll = TDataSetNotifyEvent(this, &TDataSetEventLog::OnBeforeScroll);
        D->AfterScroll = TDataSetNotifyEvent(this, &TDataSetEventLog::OnAfterScroll);
        D->OnNewRecord = TDataSetNotifyEvent(this, &TDataSetEventLog::OnNew);
    }
    std::string Take() {
        std::string text;
        for (const std::string& e : Entries) text += (text.empty() ? "" : " ") + e;
        Entries.clear();
        return text;
    }

private:
    void OnBeforeOpen(TDataSet*) { Entries.push_back("BeforeOpen"); }
    void OnAfterOpen(TDataSet*) { Entries.push_back("AfterOpen"); }
    void OnBeforeInsert(TDataSet*) { Entries.push_back("BeforeInsert"); }
    void OnAfterInsert(TDataSet*) { Entries.push_back("AfterInsert"); }
    void OnBeforeEdit(TDataSet*) { Entries.push_back("BeforeEdit"); }
    void OnAfterEdit(TDataSet*) { Entries.push_back("AfterEdit"); }
    void OnBeforePost(TDataSet*) { Entries.push_back("BeforePost"); }
    void OnAfterPost(TDataSet*) { Entries.push_back("AfterPost"); }
    void OnBeforeCancel(TDataSet*) { Entries.push_back("BeforeCancel"); }
    void OnAfterCancel(TDataSet*) { Entries.push_back("AfterCancel"); }
    void OnBeforeDelete(TDataSet*) { Entries.push_back("BeforeDelete"); }
    void OnAfterDelete(TDataSet*) { Entries.push_back("AfterDelete"); }
    void OnBeforeScroll(TDataSet*) { Entries.push_back("BeforeScroll"); }
    void OnAfterScroll(TDataSet*) { Entries.push_back("AfterScroll"); }
    void OnNew(TDataSet*) { Entries.push_back("NewRecord"); }
};

class DataSetFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DS = Construct<TVectorDataSet>(nullptr);
        DS->SetName(L"People");
        DS->FieldDefs()->Add(L"ID", ftInteger, 0, true);
        DS->FieldDefs()->Add(L"Name", ftString, 20);
        DS->FieldDefs()->Add(L"Amount", ftFloat);
        DS->FieldDefs()->Add(L"Born", ftDate);
    }
    void TearDown() override { DS->Free(); }

    // Opens the dataset with `count` records: ID i, Name "N<i>", Amount i × 1.5.
    void Fill(int count) {
        DS->Open();
        for (int i = 1; i <= count; ++i)
            DS->AppendRecord({i, L"N" + IntToStr(i), i * 1.5, Variant::FromDate(40000 + i)});
        DS->First();
    }

    // The IDs in dataset order, read through the layer; the position is kept.
    std::vector<int> Ids() {
        std::vector<int> ids;
        const TBookmark here = DS->GetBookmark();
        DS->DisableControls();
        for (DS->First(); !DS->Eof(); DS->Next())
            ids.push_back(DS->FieldByName(L"ID")->AsInteger());
        DS->GotoBookmark(here);
        DS->EnableControls();
        return ids;
    }

    int CurrentId() { return DS->FieldByName(L"ID")->AsInteger(); }

    TVectorDataSet* DS = nullptr;
};
