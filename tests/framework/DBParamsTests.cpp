#include "DataSetTesting.h"

TEST(DBParams, TypedSettersGiveTheTypeAndConvertTheValue) {
    TParams* params = Construct<TParams>();
    TParam* id = params->CreateParam(ftInteger, L"ID", ptInput);
    id->SetValue(Variant(L"42"));
    EXPECT_EQ(VarType(id->Value()), varInteger);
    EXPECT_EQ(id->AsInteger(), 42);
    TParam* free = params->CreateParam(ftUnknown, L"Free", ptInput);
    EXPECT_FALSE(free->Bound());
    free->SetValue(2.5);
    EXPECT_EQ(free->DataType(), ftFloat);
    EXPECT_TRUE(free->Bound());
    free->SetAsSmallInt(-3);
    EXPECT_EQ(free->DataType(), ftSmallint);
    EXPECT_EQ(free->AsString(), L"-3");
    free->Clear();
    EXPECT_TRUE(free->IsNull());
    EXPECT_EQ(free->AsInteger(), 0);
    TParam* blob = params->CreateParam(ftUnknown, L"Data", ptInput);
    blob->SetAsBlob({1, 2, 255});
    EXPECT_EQ(blob->DataType(), ftBlob);
    EXPECT_EQ(blob->AsBlob(), (std::vector<Byte>{1, 2, 255}));
    TParam* stamp = params->CreateParam(ftUnknown, L"At", ptInput);
    stamp->SetAsSQLTimeStamp(TSQLTimeStamp{2026, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(stamp->AsSQLTimeStamp(), (TSQLTimeStamp{2026, 1, 2, 3, 4, 5, 6}));
    params->Free();
}

TEST(DBParams, FindByNameAndCopyValues) {
    TParams* a = Construct<TParams>();
    TParams* b = Construct<TParams>();
    a->CreateParam(ftInteger, L"ID", ptInput)->SetAsInteger(1);
    a->CreateParam(ftString, L"Name", ptInput)->SetAsString(L"A");
    b->CreateParam(ftInteger, L"id", ptInput);
    EXPECT_EQ(a->FindParam(L"name"), a->Items(1));
    EXPECT_EQ(a->FindParam(L"none"), nullptr);
    try {
        a->ParamByName(L"none");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"Parameter 'none' not found");
    }
    b->AssignValues(a);
    EXPECT_EQ(b->Items(0)->AsInteger(), 1);
    EXPECT_FALSE(a->IsEqual(b));
    b->Assign(a);
    EXPECT_TRUE(a->IsEqual(b));
    b->Items(1)->SetAsString(L"B");
    EXPECT_FALSE(a->IsEqual(b));
    const Variant both = a->ParamValues(L"ID;Name");
    EXPECT_EQ(VarArrayGet(both, 1).AsString(), L"A");
    a->Free();
    b->Free();
}

TEST_F(DataSetFixture, ParamsTakeFieldsAndGiveThemValues) {
    Fill(2);
    TParams* params = Construct<TParams>();
    TParam* p = params->AddParameter();
    p->Assign(DS->FieldByName(L"Amount"));
    EXPECT_EQ(p->Name(), L"Amount");
    EXPECT_EQ(p->DataType(), ftFloat);
    EXPECT_EQ(p->AsFloat(), 1.5);
    DS->Edit();
    p->SetAsFloat(7);
    DS->FieldByName(L"Amount")->Assign(p);
    EXPECT_EQ(DS->FieldByName(L"Amount")->AsFloat(), 7.0);
    DS->Post();
    params->Free();
}

namespace {

class TTestConnection : public TCustomConnection {
public:
    using TCustomConnection::TCustomConnection;
    std::vector<std::string> Log;
    void Client(TObject*, bool Connecting) { Log.push_back(Connecting ? "client+" : "client-"); }
    void Before(TObject*) { Log.push_back("Before"); }
    void After(TObject*) { Log.push_back("After"); }

protected:
    bool GetConnected() override { return FOpen; }
    void DoConnect() override {
        Log.push_back("DoConnect");
        FOpen = true;
    }
    void DoDisconnect() override {
        Log.push_back("DoDisconnect");
        FOpen = false;
    }

private:
    bool FOpen = false;
};

std::string Joined(std::vector<std::string>& log) {
    std::string text;
    for (const std::string& e : log) text += (text.empty() ? "" : " ") + e;
    log.clear();
    return text;
}

} // namespace

TEST(DBConnection, ConnectsWithEventsAndTellsItsClients) {
    TTestConnection* connection = Construct<TTestConnection>(nullptr);
    TVectorDataSet* dataSet = Construct<TVectorDataSet>(nullptr);
    connection->RegisterClient(dataSet, TConnectChangeEvent(connection, &TTestConnection::Client));
    connection->RegisterClient(connection); // a client without an event
    EXPECT_EQ(connection->DataSetCount(), 1);
    EXPECT_EQ(connection->DataSets(0), dataSet);
    connection->BeforeConnect = TNotifyEvent(connection, &TTestConnection::Before);
    connection->AfterConnect = TNotifyEvent(connection, &TTestConnection::After);
    connection->BeforeDisconnect = TNotifyEvent(connection, &TTestConnection::Before);
    connection->AfterDisconnect = TNotifyEvent(connection, &TTestConnection::After);
    connection->Open();
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(Joined(connection->Log), "Before DoConnect client+ After");
    connection->Open();
    EXPECT_EQ(Joined(connection->Log), "");
    connection->Close();
    EXPECT_EQ(Joined(connection->Log), "Before client- DoDisconnect After");
    connection->UnRegisterClient(dataSet);
    EXPECT_EQ(connection->DataSetCount(), 0);
    EXPECT_THROW(connection->DataSets(0), EDatabaseError);
    // Loading keeps Connected until Loaded.
    connection->BeginLoad();
    connection->SetConnectedValue(true);
    EXPECT_FALSE(connection->Connected());
    connection->EndLoad();
    EXPECT_TRUE(connection->Connected());
    connection->Log.clear();
    connection->Free(); // disconnects first
    dataSet->Free();
}

TEST(DBErrors, DatabaseErrorNamesTheComponent) {
    TVectorDataSet* dataSet = Construct<TVectorDataSet>(nullptr);
    try {
        DatabaseError(L"Broken", dataSet);
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"Broken");
    }
    dataSet->SetName(L"Customers");
    try {
        DatabaseError(L"Broken", dataSet);
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"Customers: Broken");
    }
    dataSet->Free();
    EXPECT_STREQ(FieldTypeName(ftDateTime), L"DateTime");
    EXPECT_STREQ(FieldTypeName(ftSingle), L"Single");
}
