// A full forward scan of 1,000,000 records of four fields (Integer, Float, String(20), DateTime)
// through the dataset layer (the vector-backed test dataset, every value read through TField),
// against a plain loop over the same values in a std::vector of structs. Printed: the ratio
// cold (first scan) and warm (best of three), and the share of the time that navigation alone
// takes (First/Next, copying each record into the buffer without reading a field). Goal: the
// layer within 10x of the plain loop.
#include "../tests/framework/VectorDataSet.h"

#include "BenchTiming.h"

#include <string>
#include <vector>

namespace {

constexpr int RecordCount = 1000000;

struct TPlainRecord {
    int Id;
    double Amount;
    std::string Name;
    double At;
};

struct TSums {
    Int64 Ids = 0;
    double Amounts = 0;
    std::size_t NameLengths = 0;
    double Ats = 0;
    bool operator==(const TSums&) const = default;
};

std::string NameOf(int i) { return "name " + std::to_string(i % 9973); }

std::vector<TPlainRecord> MakePlain() {
    std::vector<TPlainRecord> records;
    records.reserve(RecordCount);
    for (int i = 0; i < RecordCount; ++i)
        records.push_back({i, i * 0.25, NameOf(i), 45000.0 + i / 1440.0});
    return records;
}

TVectorDataSet* MakeDataSet(const std::vector<TPlainRecord>& plain) {
    TVectorDataSet* dataSet = Construct<TVectorDataSet>(nullptr);
    dataSet->FieldDefs()->Add(L"ID", ftInteger);
    dataSet->FieldDefs()->Add(L"Amount", ftFloat);
    dataSet->FieldDefs()->Add(L"Name", ftString, 20);
    dataSet->FieldDefs()->Add(L"At", ftDateTime);
    dataSet->Open();
    dataSet->DisableControls();
    for (const TPlainRecord& r : plain)
        dataSet->AppendRecord({r.Id, r.Amount, AnsiString(r.Name), Variant::FromDate(r.At)});
    dataSet->EnableControls();
    return dataSet;
}

TSums ScanPlain(const std::vector<TPlainRecord>& plain) {
    TSums sums;
    for (const TPlainRecord& r : plain) {
        sums.Ids += r.Id;
        sums.Amounts += r.Amount;
        const std::string name = r.Name; // a read gives the caller its own copy
        sums.NameLengths += name.size();
        sums.Ats += r.At;
    }
    return sums;
}

TSums ScanDataSet(TVectorDataSet* dataSet) {
    TField* id = dataSet->FieldByName(L"ID");
    TField* amount = dataSet->FieldByName(L"Amount");
    TField* name = dataSet->FieldByName(L"Name");
    TField* at = dataSet->FieldByName(L"At");
    TSums sums;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
        sums.Ids += id->AsInteger();
        sums.Amounts += amount->AsFloat();
        sums.NameLengths += name->AsString().size();
        sums.Ats += at->AsDateTime();
    }
    return sums;
}

int Navigate(TVectorDataSet* dataSet) {
    int count = 0;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) ++count;
    return count;
}

// The time of a scan that reads one field only.
template <class Read> double ScanOneField(TVectorDataSet* dataSet, const wchar_t* name, Read read) {
    TField* field = dataSet->FieldByName(name);
    double sink = 0;
    const double seconds = BestSeconds(3, [&] {
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) sink += read(field);
    });
    if (sink < 0) std::printf("impossible\n");
    return seconds;
}

} // namespace

int main() {
    const std::vector<TPlainRecord> plain = MakePlain();
    TVectorDataSet* dataSet = MakeDataSet(plain);
    TSums expected, got;
    const double coldOurs = BestSeconds(1, [&] { got = ScanDataSet(dataSet); });
    const double coldBaseline = BestSeconds(1, [&] { expected = ScanPlain(plain); });
    if (!(got == expected)) {
        std::printf("the scans disagree\n");
        return 1;
    }
    const double warmOurs = BestSeconds(3, [&] { got = ScanDataSet(dataSet); });
    const double warmBaseline = BestSeconds(3, [&] { expected = ScanPlain(plain); });
    if (!(got == expected)) {
        std::printf("the warm scans disagree\n");
        return 1;
    }
    int navigated = 0;
    const double navigation = BestSeconds(3, [&] { navigated = Navigate(dataSet); });
    if (navigated != RecordCount) {
        std::printf("navigation saw %d records\n", navigated);
        return 1;
    }
    PrintRatio("1M x 4 fields scan, cold", coldOurs, coldBaseline);
    PrintRatio("1M x 4 fields scan, warm", warmOurs, warmBaseline);
    std::printf("layer / plain (warm): %.1fx; navigation alone %.0f%% of the layer's time, field "
                "reads %.0f%%\n",
                warmOurs / warmBaseline, 100 * navigation / warmOurs,
                100 * (warmOurs - navigation) / warmOurs);
    std::printf(
        "navigation with one field read, per field type (s): Integer %.3f, Float %.3f, "
        "String %.3f, DateTime %.3f; navigation alone %.3f\n",
        ScanOneField(dataSet, L"ID", [](TField* f) { return double(f->AsInteger()); }),
        ScanOneField(dataSet, L"Amount", [](TField* f) { return f->AsFloat(); }),
        ScanOneField(dataSet, L"Name", [](TField* f) { return double(f->AsString().size()); }),
        ScanOneField(dataSet, L"At", [](TField* f) { return f->AsDateTime(); }), navigation);
    dataSet->Free();
    return 0;
}
