#include "DataSetTesting.h"

namespace {

// Every call a link receives, as text.
class TRecordingLink : public TDataLink {
public:
    std::vector<std::string> Calls;
    std::string Take() {
        std::string text;
        for (const std::string& c : Calls) text += (text.empty() ? "" : " ") + c;
        Calls.clear();
        return text;
    }

protected:
    void ActiveChanged() override { Calls.push_back(Active() ? "Active" : "Inactive"); }
    void EditingChanged() override { Calls.push_back(Editing() ? "Editing" : "NotEditing"); }
    void RecordChanged(TField* Field) override {
        Calls.push_back(Field ? "Record:" + UnicodeToUtf8(Field->FieldName()) : "Record");
    }
    void DataSetChanged() override { Calls.push_back("Changed"); }
    void DataSetScrolled(int Distance) override {
        Calls.push_back("Scrolled:" + std::to_string(Distance));
    }
    void CheckBrowseMode() override { Calls.push_back("CheckBrowse"); }
    void UpdateData() override { Calls.push_back("UpdateData"); }
};

class DataLinks : public DataSetFixture {
protected:
    void SetUp() override {
        DataSetFixture::SetUp();
        Source = Construct<TDataSource>(nullptr);
        Link = Construct<TRecordingLink>();
        Link->SetDataSource(Source);
        Source->SetDataSet(DS);
    }
    void TearDown() override {
        Link->Free();
        Source->Free();
        DataSetFixture::TearDown();
    }
    TDataSource* Source = nullptr;
    TRecordingLink* Link = nullptr;
};

} // namespace

TEST_F(DataLinks, DataSetEventsReachTheLinkAsCalls) {
    Fill(3);
    EXPECT_TRUE(Link->Active());
    Link->Take();
    DS->Next();
    // One buffer: the window moved by one record.
    EXPECT_EQ(Link->Take(), "CheckBrowse Scrolled:-1");
    DS->Edit();
    EXPECT_EQ(Link->Take(), "CheckBrowse Editing Record");
    DS->FieldByName(L"Name")->SetAsString(L"x");
    EXPECT_EQ(Link->Take(), "Record:Name");
    DS->Post();
    EXPECT_EQ(Link->Take(), "UpdateData CheckBrowse NotEditing Changed");
    DS->Close();
    EXPECT_EQ(Link->Take(), "Inactive");
    EXPECT_FALSE(Link->Active());
}

TEST_F(DataLinks, DisabledControlsHearOneChangeAtTheEnd) {
    Fill(4);
    Link->Take();
    DS->DisableControls();
    DS->Next();
    DS->Edit();
    DS->Cancel();
    DS->Last();
    EXPECT_EQ(Link->Take(), "");
    DS->EnableControls();
    EXPECT_EQ(Link->Take(), "Changed");
    DS->DisableControls();
    DS->Close();
    DS->Open();
    DS->EnableControls();
    // Closed and opened again meanwhile: the layout may have changed.
    EXPECT_EQ(Link->Take(), "Changed");
}

TEST_F(DataLinks, SourceStateAndEnabling) {
    Fill(2);
    EXPECT_EQ(Source->State(), dsBrowse);
    Source->SetEnabled(false);
    EXPECT_FALSE(Link->Active());
    EXPECT_EQ(Source->State(), dsInactive);
    Source->SetEnabled(true);
    EXPECT_TRUE(Link->Active());
    Source->Edit(); // AutoEdit
    EXPECT_EQ(DS->State(), dsEdit);
    DS->Cancel();
    // A dataset freed before its source leaves the source empty.
    TVectorDataSet* other = Construct<TVectorDataSet>(nullptr);
    Source->SetDataSet(other);
    other->Free();
    EXPECT_EQ(Source->DataSet(), nullptr);
    EXPECT_FALSE(Link->Active());
}

TEST_F(DataLinks, ALinkWithMoreBuffersSeesAWindow) {
    Fill(10);
    Link->SetBufferCount(4);
    EXPECT_EQ(DS->BufferCount(), 4);
    EXPECT_EQ(Link->RecordCount(), 4);
    EXPECT_EQ(Link->ActiveRecord(), 0);
    DS->MoveBy(5);
    EXPECT_EQ(Link->ActiveRecord(), 3);
    EXPECT_EQ(CurrentId(), 6);
    Link->SetBufferCount(2);
    EXPECT_EQ(DS->BufferCount(), 2);
    EXPECT_EQ(CurrentId(), 6); // shrinking keeps the current record
    EXPECT_EQ(Link->RecordCount(), 2);
}

namespace {

class MasterDetail : public DataSetFixture {
protected:
    void SetUp() override {
        DataSetFixture::SetUp();
        Orders = Construct<TVectorDataSet>(nullptr);
        Orders->SetName(L"Orders");
        Orders->FieldDefs()->Add(L"OrderNo", ftInteger);
        Orders->FieldDefs()->Add(L"Person", ftInteger);
        MasterSource = Construct<TDataSource>(nullptr);
        MasterSource->SetDataSet(DS);
        Fill(3);
        Orders->Open();
        const int owners[] = {1, 2, 1, 3, 1, 3};
        for (int i = 0; i < 6; ++i) Orders->AppendRecord({100 + i, owners[i]});
        Orders->SetMasterFields(L"ID", L"Person");
        Orders->SetMasterSource(MasterSource);
    }
    void TearDown() override {
        Orders->Free();
        MasterSource->Free();
        DataSetFixture::TearDown();
    }
    std::vector<int> OrderNos() {
        std::vector<int> list;
        for (Orders->First(); !Orders->Eof(); Orders->Next())
            list.push_back(Orders->FieldByName(L"OrderNo")->AsInteger());
        return list;
    }
    TVectorDataSet* Orders = nullptr;
    TDataSource* MasterSource = nullptr;
};

} // namespace

TEST_F(MasterDetail, TheDetailFollowsTheMaster) {
    EXPECT_EQ(OrderNos(), (std::vector<int>{100, 102, 104}));
    const int changes = Orders->MasterLink()->Changes;
    DS->Next();
    EXPECT_EQ(Orders->MasterLink()->Changes, changes + 1);
    EXPECT_EQ(OrderNos(), (std::vector<int>{101}));
    DS->Last();
    EXPECT_EQ(OrderNos(), (std::vector<int>{103, 105}));
    EXPECT_EQ(Orders->RecordCount(), 2);
    // Editing the master's record is not a move: the detail stays.
    const int before = Orders->MasterLink()->Changes;
    DS->Edit();
    DS->FieldByName(L"Name")->SetAsString(L"x");
    DS->Post();
    EXPECT_EQ(OrderNos(), (std::vector<int>{103, 105}));
    EXPECT_GE(Orders->MasterLink()->Changes, before);
    // Following MasterSource would make People its own master; Orders may.
    EXPECT_TRUE(DS->IsLinkedTo(MasterSource));
    EXPECT_FALSE(Orders->IsLinkedTo(MasterSource));
}

TEST_F(MasterDetail, CircularLinksAreRefused) {
    TDataSource* detailSource = Construct<TDataSource>(nullptr);
    detailSource->SetDataSet(Orders);
    // The master following its own detail would close the circle.
    TVectorMasterLink* back = Construct<TVectorMasterLink>(DS);
    try {
        back->SetDataSource(detailSource);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"People: Circular datalinks are not allowed");
    }
    EXPECT_TRUE(MasterSource->IsLinkedTo(Orders));
    EXPECT_THROW(MasterSource->SetDataSet(Orders), EDatabaseError);
    back->Free();
    detailSource->Free();
}
