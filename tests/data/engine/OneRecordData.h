// A record storage of the tests: it holds one record and implements the record operations
// plainly, and counts the opens, closes and data frees it sees.
#pragma once

#include "data/engine/MemData.h"

#include <cstring>
#include <vector>

class TOneRecordData : public TData {
public:
    std::vector<Byte> Stored;
    int Opens = 0, Closes = 0, Frees = 0;
    bool FailOpen = false;

    TFieldDesc* Add(const UnicodeString& name, Word type, Word length = 0) {
        TFieldDesc* field = Construct<TFieldDesc>();
        field->SetName(name);
        field->SetDataType(type);
        field->SetLength(length);
        field->SetSize(FieldSizeOf(type, length));
        field->SetFieldNo(Word(FieldCount() + 1));
        Fields()->Add(field);
        return field;
    }
    void Layout() {
        AutoInitFields = false;
        InitFields();
        Stored.assign(std::size_t(RecordSize()), 0);
    }
    Byte* Rec() { return Stored.data(); }
    Byte Flag(Word fieldNo) const { return Stored[std::size_t(DataSize + fieldNo - 1)]; }

    void GetRecord(void* RecBuf) override { std::memcpy(RecBuf, Stored.data(), Stored.size()); }
    void GetNextRecord(void* RecBuf) override { GetRecord(RecBuf); }
    void GetPriorRecord(void* RecBuf) override { GetRecord(RecBuf); }
    void PutRecord(void* RecBuf) override { std::memcpy(Stored.data(), RecBuf, Stored.size()); }
    void AppendRecord(void* RecBuf) override { PutRecord(RecBuf); }
    void InsertRecord(void* RecBuf) override { PutRecord(RecBuf); }
    void UpdateRecord(void* RecBuf) override { PutRecord(RecBuf); }
    void DeleteRecord() override {}

protected:
    void DoOpen(bool) override {
        if (FailOpen) throw Exception(L"cannot open");
        ++Opens;
    }
    void DoClose() override { ++Closes; }
    void FreeData() override {
        ++Frees;
        TData::FreeData();
    }
};
