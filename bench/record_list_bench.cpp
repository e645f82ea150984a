// The in-memory record list against SQLite's in-memory database doing the same work in the same
// process, on 1,000,000 records of five fields (ID, Grp, Price, Name, Stamp):
//   append  every record, one at a time (SQLite: one prepared INSERT in one transaction)
//   sort    by two fields, Grp then Price (SQLite: an index on the two columns)
//   filter  by an expression on two other fields, a walk of the visible records reading each
//           one's ID, and the filter removed again (SQLite: the same condition in a query
//           stepped to its end)
//   locate  10,000 records by the two sorted fields, by binary search over record numbers
//           (SQLite: a query through the index per key)
// Each side is run cold (alone in a fresh process) and warm (the best of three runs after a
// first one in this process); each step's time is printed with the ratio baseline/ours (goal
// >= 1.0), and the committed memory of the cold process above its start after the records are
// in and after sorting (SQLite: indexing).
// Run by hand (scripts/bench); the numbers depend on the machine, so nothing passes or fails.
#include "data/engine/CLRClasses.h"
#include "data/engine/DcParser.h"
#include "data/engine/MemData.h"
#include "data/engine/MemUtils.h"

#include "bench/BenchTiming.h"

#include <psapi.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr Integer Records = 1'000'000;
constexpr Integer Keys = 10'000;
constexpr Word NameLength = 15;
// The filter keeps the records with Price below 100 and Stamp at or above 40,000,000.
const wchar_t* const FilterText = L"Price < 100 AND Stamp >= 40000000";
const char* const FilterSql = "SELECT id FROM t WHERE price < 100 AND stamp >= 40000000";

struct TSource {
    Integer Id, Grp;
    double Price;
    char Name[NameLength + 1];
    Int64 Stamp;
};

// Generated once, so that both sides store the same values and neither pays for making them.
std::vector<TSource> MakeSources() {
    std::vector<TSource> sources(Records);
    for (Integer i = 0; i < Records; ++i) {
        const auto h = unsigned(i) * 2654435761u;
        TSource& s = sources[std::size_t(i)];
        s.Id = i + 1;
        s.Grp = Integer((h >> 8) % 1000);
        s.Price = double((h >> 4) % 100000) / 100.0;
        std::snprintf(s.Name, sizeof s.Name, "name %08x", h);
        s.Stamp = Int64(i) * 97 % 50'000'000;
    }
    return sources;
}

SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PagefileUsage;
}

double MegabytesAbove(SIZE_T Base) {
    return std::max(double(CommittedBytes()) - double(Base), 0.0) / (1024.0 * 1024.0);
}

struct TRun {
    double Append = 0, Sort = 0, Filter = 0, Locate = 0;
    double LoadedMb = 0, SortedMb = 0;
    long long Checksum = 0; // what the filter and the locates found: both sides must agree
};

double Seconds(LARGE_INTEGER Start) {
    LARGE_INTEGER stop, frequency;
    QueryPerformanceCounter(&stop);
    QueryPerformanceFrequency(&frequency);
    return double(stop.QuadPart - Start.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// --- the record list ---

void AddField(TMemData* List, const wchar_t* Name, TEngineDataType Type, Word Length) {
    TFieldDesc* field = Construct<TFieldDesc>();
    field->SetName(Name);
    field->SetDataType(Type);
    field->SetLength(Length);
    field->SetSize(FieldSizeOf(Type, Length));
    field->SetFieldNo(Word(List->FieldCount() + 1));
    List->Fields()->Add(field);
}

// Binary search over the sorted list's record numbers for the first record whose (Grp, Price)
// is not below the key; its ID when the key is there, 0 otherwise.
Integer LocateSorted(TMemData* List, void* Buf, Integer Grp, double Price) {
    TFieldDesc* grp = List->Fields()->Items(1);
    TFieldDesc* price = List->Fields()->Items(2);
    auto compare = [&](Integer No) {
        List->SetRecordNoValue(No);
        List->GetRecord(Buf);
        const Integer byGrp = List->CompareFieldValue(&Grp, dtInt32, grp, Buf, {});
        return byGrp != 0 ? byGrp : List->CompareFieldValue(&Price, dtFloat, price, Buf, {});
    };
    Integer low = 1, high = List->RecordCount();
    while (low < high) {
        const Integer middle = low + (high - low) / 2;
        if (compare(middle) > 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low > List->RecordCount() || compare(low) != 0) return 0;
    Integer id;
    bool blank;
    List->GetField(1, Buf, &id, blank);
    return id;
}

TRun RunList(const std::vector<TSource>& Sources, const std::vector<const TSource*>& KeyRecords) {
    TRun run;
    const SIZE_T base = CommittedBytes();
    auto* list = new TMemData;
    AddField(list, L"ID", dtInt32, 0);
    AddField(list, L"Grp", dtInt32, 0);
    AddField(list, L"Price", dtFloat, 0);
    AddField(list, L"Name", dtString, NameLength);
    AddField(list, L"Stamp", dtInt64, 0);
    list->AutoInitFields = false;
    list->InitFields();
    list->Open();
    std::vector<Byte> buf(std::size_t(list->RecordSize()));
    void* rec = buf.data();

    LARGE_INTEGER start = Now();
    for (const TSource& s : Sources) {
        list->InitRecord(rec);
        list->PutField(1, rec, &s.Id);
        list->PutField(2, rec, &s.Grp);
        list->PutField(3, rec, &s.Price);
        list->PutField(4, rec, s.Name);
        list->PutField(5, rec, &s.Stamp);
        list->AppendRecord(rec);
    }
    run.Append = Seconds(start);
    run.LoadedMb = MegabytesAbove(base);

    start = Now();
    list->SetIndexFieldNames(L"Grp; Price");
    run.Sort = Seconds(start);
    run.SortedMb = MegabytesAbove(base);

    start = Now();
    list->SetFilterText(FilterText);
    list->FilterUpdated();
    list->SetToBegin();
    for (list->GetNextRecord(rec); !list->Eof(); list->GetNextRecord(rec)) {
        Integer id;
        bool blank;
        list->GetField(1, rec, &id, blank);
        run.Checksum += id;
    }
    list->SetFilterText(L"");
    list->FilterUpdated();
    run.Filter = Seconds(start);

    start = Now();
    list->PrepareRecNoCache();
    for (const TSource* key : KeyRecords)
        run.Checksum += LocateSorted(list, rec, key->Grp, key->Price);
    run.Locate = Seconds(start);

    list->Free();
    return run;
}

// --- SQLite ---

void Ok(int Result, sqlite3* Db) {
    if (Result != SQLITE_OK && Result != SQLITE_DONE && Result != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(Db));
}

sqlite3_stmt* Prepare(sqlite3* Db, const char* Sql) {
    sqlite3_stmt* statement = nullptr;
    Ok(sqlite3_prepare_v2(Db, Sql, -1, &statement, nullptr), Db);
    return statement;
}

void Exec(sqlite3* Db, const char* Sql) {
    Ok(sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr), Db);
}

TRun RunSqlite(const std::vector<TSource>& Sources, const std::vector<const TSource*>& KeyRecords) {
    TRun run;
    const SIZE_T base = CommittedBytes();
    sqlite3* db = nullptr;
    // One connection used by one thread: no locking of its own.
    Ok(sqlite3_open_v2(":memory:", &db,
                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr),
       db);
    Exec(db, "CREATE TABLE t(id INTEGER, grp INTEGER, price REAL, name TEXT, stamp INTEGER)");

    LARGE_INTEGER start = Now();
    Exec(db, "BEGIN");
    sqlite3_stmt* insert = Prepare(db, "INSERT INTO t VALUES(?1, ?2, ?3, ?4, ?5)");
    for (const TSource& s : Sources) {
        sqlite3_bind_int(insert, 1, s.Id);
        sqlite3_bind_int(insert, 2, s.Grp);
        sqlite3_bind_double(insert, 3, s.Price);
        sqlite3_bind_text(insert, 4, s.Name, -1, SQLITE_STATIC);
        sqlite3_bind_int64(insert, 5, s.Stamp);
        Ok(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(db, "COMMIT");
    run.Append = Seconds(start);
    run.LoadedMb = MegabytesAbove(base);

    start = Now();
    Exec(db, "CREATE INDEX t_grp_price ON t(grp, price)");
    run.Sort = Seconds(start);
    run.SortedMb = MegabytesAbove(base);

    start = Now();
    sqlite3_stmt* filter = Prepare(db, FilterSql);
    while (sqlite3_step(filter) == SQLITE_ROW) run.Checksum += sqlite3_column_int(filter, 0);
    sqlite3_finalize(filter);
    run.Filter = Seconds(start);

    start = Now();
    sqlite3_stmt* locate =
        Prepare(db, "SELECT id FROM t WHERE grp = ?1 AND price = ?2 ORDER BY grp, price LIMIT 1");
    for (const TSource* key : KeyRecords) {
        sqlite3_bind_int(locate, 1, key->Grp);
        sqlite3_bind_double(locate, 2, key->Price);
        if (sqlite3_step(locate) == SQLITE_ROW) run.Checksum += sqlite3_column_int(locate, 0);
        sqlite3_reset(locate);
    }
    sqlite3_finalize(locate);
    run.Locate = Seconds(start);

    sqlite3_close(db);
    return run;
}

TRun Best(TRun A, const TRun& B) {
    A.Append = std::min(A.Append, B.Append);
    A.Sort = std::min(A.Sort, B.Sort);
    A.Filter = std::min(A.Filter, B.Filter);
    A.Locate = std::min(A.Locate, B.Locate);
    return A;
}

// A cold run is the first run in a fresh process: this program started again with the side's
// name, printing its figures on one line. That also keeps each side's memory apart from what
// the other side's run left in the process heap.
TRun ColdRun(const wchar_t* Side) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t command[MAX_PATH + 32];
    std::swprintf(command, MAX_PATH + 32, L"\"%ls\" %ls", self, Side);
    FILE* child = _wpopen(command, L"r");
    if (!child) throw std::runtime_error("cannot start the cold run");
    TRun run;
    const int read =
        std::fscanf(child, "%lf %lf %lf %lf %lf %lf %lld", &run.Append, &run.Sort, &run.Filter,
                    &run.Locate, &run.LoadedMb, &run.SortedMb, &run.Checksum);
    if (_pclose(child) != 0 || read != 7) throw std::runtime_error("the cold run failed");
    return run;
}

void Print(const char* When, const TRun& Ours, const TRun& Baseline) {
    const struct {
        const char* Name;
        double TRun::*Step;
    } steps[] = {{"append", &TRun::Append},
                 {"sort by two fields", &TRun::Sort},
                 {"filter and walk", &TRun::Filter},
                 {"locate", &TRun::Locate}};
    for (const auto& step : steps) {
        char what[80];
        std::snprintf(what, sizeof what, "%s, %s (goal >= 1.0)", step.Name, When);
        PrintRatio(what, Ours.*step.Step, Baseline.*step.Step);
    }
}

} // namespace

int main(int argc, char** argv) {
    CLRClassesModule().Initialize();
    MemUtilsModule().Initialize();
    DcParserModule().Initialize();
    MemDataModule().Initialize();

    const std::vector<TSource> sources = MakeSources();
    std::vector<const TSource*> keyRecords;
    for (Integer i = 0; i < Keys; ++i)
        keyRecords.push_back(&sources[std::size_t((unsigned(i) * 7919u) % unsigned(Records))]);

    if (argc == 2) { // a cold run of one side
        const TRun run = std::strcmp(argv[1], "list") == 0 ? RunList(sources, keyRecords)
                                                           : RunSqlite(sources, keyRecords);
        std::printf("%.6f %.6f %.6f %.6f %.3f %.3f %lld\n", run.Append, run.Sort, run.Filter,
                    run.Locate, run.LoadedMb, run.SortedMb, run.Checksum);
        return 0;
    }
    const TRun coldList = ColdRun(L"list");
    const TRun coldSqlite = ColdRun(L"sqlite");
    RunList(sources, keyRecords); // the first runs in this process only warm it up
    RunSqlite(sources, keyRecords);
    TRun warmList = RunList(sources, keyRecords), warmSqlite = RunSqlite(sources, keyRecords);
    for (int i = 0; i < 2; ++i) {
        warmList = Best(warmList, RunList(sources, keyRecords));
        warmSqlite = Best(warmSqlite, RunSqlite(sources, keyRecords));
    }
    std::printf("%d records of 5 fields, %d locates, SQLite %s; checksums %lld (list) %lld "
                "(SQLite)\n",
                Records, Keys, sqlite3_libversion(), coldList.Checksum, coldSqlite.Checksum);
    Print("cold", coldList, coldSqlite);
    Print("warm", warmList, warmSqlite);
    std::printf("memory above the start (cold runs): list %.1f MB loaded, %.1f MB sorted; "
                "SQLite %.1f MB loaded, %.1f MB indexed\n",
                coldList.LoadedMb, coldList.SortedMb, coldSqlite.LoadedMb, coldSqlite.SortedMb);
    return coldList.Checksum == coldSqlite.Checksum && warmList.Checksum == coldList.Checksum ? 0
                                                                                              : 1;
}
