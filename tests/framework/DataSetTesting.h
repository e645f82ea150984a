// Shared pieces of the dataset tests: a fixture with a vector dataset of four fields (ID,
// Name, Amount, Born), and the event log of DataSetEventLog.h.
#pragma once

#include "DataSetEventLog.h"
#include "VectorDataSet.h"

#include "framework/Conversions.h"
#include "framework/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
