#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Items = std::vector<UnicodeString>;

Items ItemsOf(const TStrings& strings) {
    Items items;
    for (int i = 0; i < strings.Count(); ++i) items.push_back(strings.Strings(i));
    return items;
}

void Fill(TStrings& strings, const Items& items) {
    strings.Clear();
    for (const UnicodeString& item : items) strings.Add(item);
}

class TTempFile {
public:
    TTempFile() {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"stl", 0, name);
        FName = name;
    }
    ~TTempFile() { DeleteFileW(FName.c_str()); }
    const UnicodeString& Name() const { return FName; }

private:
    UnicodeString FName;
};

// Counts its instances that are still alive.
class TTracked : public TObject {
public:
    explicit TTracked(int& alive) : FAlive(alive) { ++FAlive; }
    ~TTracked() override { --FAlive; }

private:
    int& FAlive;
};

struct TEventLog {
    int Changing = 0;
    int Change = 0;
    void OnChanging(TObject*) { ++Changing; }
    void OnChange(TObject*) { ++Change; }
};

int CompareLocale(const UnicodeString& a, const UnicodeString& b, DWORD flags) {
    return CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

int LongestFirst(TStringList* list, int index1, int index2) {
    return static_cast<int>(list->Strings(index2).size()) -
           static_cast<int>(list->Strings(index1).size());
}

} // namespace

TEST(StringLists, SortedListAppliesDuplicates) {
    struct Case {
        TDuplicates Duplicates;
        Items Expected;
        bool ExpectsFailure;
    };
    const Case cases[] = {
        {dupIgnore, {L"a", L"b", L"c"}, false},
        {dupAccept, {L"a", L"a", L"b", L"c"}, false},
        {dupError, {L"a", L"b", L"c"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Duplicates));
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.Duplicates);
        EXPECT_EQ(list.Add(L"b"), 0);
        EXPECT_EQ(list.Add(L"c"), 1);
        EXPECT_EQ(list.Add(L"a"), 0);
        try {
            const int index = list.Add(L"A"); // equal: the list ignores case
            EXPECT_FALSE(c.ExpectsFailure);
            EXPECT_EQ(index, 0);
        } catch (const EStringListError& error) {
            EXPECT_TRUE(c.ExpectsFailure);
            EXPECT_EQ(error.Message(), L"String list does not allow duplicates");
        }
        Items held = ItemsOf(list);
        for (UnicodeString& item : held) item = item == L"A" ? L"a" : item;
        EXPECT_EQ(held, c.Expected);
    }
}

TEST(StringLists, SortedListRefusesPositionalChanges) {
    TStringList list;
    Fill(list, {L"b", L"a"});
    list.SetSorted(true);
    EXPECT_EQ(ItemsOf(list), (Items{L"a", L"b"}));
    try {
        list.Insert(0, L"z");
        FAIL() << "Insert on a sorted list did not raise";
    } catch (const EStringListError& error) {
        EXPECT_EQ(error.Message(), L"Operation not allowed on sorted list");
    }
    EXPECT_THROW(list.Put(0, L"z"), EStringListError);
    EXPECT_THROW(list.Exchange(0, 1), EStringListError);
    EXPECT_THROW(list.Move(0, 1), EStringListError);
    EXPECT_THROW(list.CustomSort(&LongestFirst), EStringListError);
    EXPECT_EQ(ItemsOf(list), (Items{L"a", L"b"}));

    TStringList unsorted;
    unsorted.SetDuplicates(dupError); // only a sorted list looks for duplicates
    EXPECT_NO_THROW(Fill(unsorted, {L"x", L"x"}));
}

TEST(StringLists, SortAndFindAgreeWithTheLocaleComparison) {
    const Items alphabet = {L"a", L"A", L"b", L"B", L"\u00e9", L"\u00c9",
                            L"e", L"z", L"-", L"1", L"\u00e4"};
    std::mt19937 random(12345);
    for (const bool caseSensitive : {false, true}) {
        SCOPED_TRACE(caseSensitive);
        const DWORD flags = caseSensitive ? 0 : NORM_IGNORECASE;
        Items model;
        for (int i = 0; i < 400; ++i) {
            UnicodeString text;
            for (std::size_t length = random() % 4 + 1; length > 0; --length)
                text += alphabet[random() % alphabet.size()];
            model.push_back(text);
        }
        TStringList list;
        list.SetCaseSensitive(caseSensitive);
        Fill(list, model);
        list.Sort();
        std::sort(model.begin(), model.end(), [&](const UnicodeString& a, const UnicodeString& b) {
            return CompareLocale(a, b, flags) < 0;
        });
        ASSERT_EQ(list.Count(), static_cast<int>(model.size()));
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(CompareLocale(list.Strings(i), model[static_cast<std::size_t>(i)], flags), 0)
                << i;

        list.SetSorted(true);
        for (const UnicodeString& text : model) {
            int index = -1;
            EXPECT_TRUE(list.Find(text, index)) << text;
            EXPECT_EQ(CompareLocale(list.Strings(index), text, flags), 0) << text;
            EXPECT_TRUE(index == 0 || CompareLocale(list.Strings(index - 1), text, flags) < 0)
                << text;
        }
        int index = -1;
        EXPECT_FALSE(list.Find(L"zzzzz", index));
        EXPECT_EQ(index, list.Count());
    }
}

TEST(StringLists, CaseSensitivityDecidesEquality) {
    TStringList list;
    list.SetSorted(true);
    Fill(list, {L"Apple", L"apple"});
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.IndexOf(L"APPLE"), 0);

    list.SetCaseSensitive(true);
    list.Add(L"apple");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOf(L"APPLE"), -1);
    EXPECT_NE(list.IndexOf(L"apple"), list.IndexOf(L"Apple"));
}

TEST(StringLists, CustomSortAndRearranging) {
    TStringList list;
    Fill(list, {L"bb", L"a", L"dddd", L"ccc"});
    list.CustomSort(&LongestFirst);
    EXPECT_EQ(ItemsOf(list), (Items{L"dddd", L"ccc", L"bb", L"a"}));
    list.Move(0, 3);
    EXPECT_EQ(ItemsOf(list), (Items{L"ccc", L"bb", L"a", L"dddd"}));
    list.Move(2, 0);
    EXPECT_EQ(ItemsOf(list), (Items{L"a", L"ccc", L"bb", L"dddd"}));
    list.Exchange(1, 2);
    EXPECT_EQ(ItemsOf(list), (Items{L"a", L"bb", L"ccc", L"dddd"}));
    EXPECT_EQ(list.IndexOf(L"CCC"), 2);
    EXPECT_EQ(list.IndexOf(L"e"), -1);
}

TEST(StringLists, IndexErrorsNameTheIndex) {
    struct Case {
        const char* Operation;
        void (*Run)(TStringList&);
        int Index;
    };
    const Case cases[] = {
        {"Strings", [](TStringList& l) { l.Strings(3); }, 3},
        {"Objects", [](TStringList& l) { l.Objects(-1); }, -1},
        {"Delete", [](TStringList& l) { l.Delete(3); }, 3},
        {"Insert", [](TStringList& l) { l.Insert(4, L"x"); }, 4},
        {"Put", [](TStringList& l) { l.Put(-2, L"x"); }, -2},
        {"Exchange", [](TStringList& l) { l.Exchange(0, 7); }, 7},
        {"Move", [](TStringList& l) { l.Move(0, 3); }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Operation);
        TStringList list;
        Fill(list, {L"a", L"b", L"c"});
        try {
            c.Run(list);
            ADD_FAILURE() << "no error";
        } catch (const EStringListError& error) {
            EXPECT_EQ(error.Message(),
                      L"List index out of bounds (" + std::to_wstring(c.Index) + L")");
        }
        EXPECT_EQ(ItemsOf(list), (Items{L"a", L"b", L"c"}));
    }
    TStringList list;
    EXPECT_NO_THROW(list.Insert(0, L"at the end"));
}

TEST(StringLists, NamesAndValues) {
    TStringList list;
    Fill(list, {L"Host=example", L"path=a=b", L"plain", L"=no name"});
    EXPECT_EQ(list.Names(0), L"Host");
    EXPECT_EQ(list.ValueFromIndex(1), L"a=b");
    EXPECT_EQ(list.Names(2), L"");
    EXPECT_EQ(list.ValueFromIndex(2), L"");
    EXPECT_EQ(list.Values(L"HOST"), L"example");
    EXPECT_EQ(list.Values(L""), L"no name");
    EXPECT_EQ(list.Values(L"plain"), L"");
    EXPECT_EQ(list.IndexOfName(L"plain"), -1);

    list.SetValue(L"path", L"c");
    list.SetValue(L"port", L"80");
    list.SetValue(L"host", L"");
    EXPECT_EQ(ItemsOf(list), (Items{L"path=c", L"plain", L"=no name", L"port=80"}));
    list.SetValue(L"absent", L"");
    EXPECT_EQ(list.Count(), 4);

    list.SetNameValueSeparator(L':');
    list.Add(L"key:value");
    EXPECT_EQ(list.Values(L"key"), L"value");
    EXPECT_EQ(list.Values(L"path"), L"");
}

TEST(StringLists, TextSplitsOnEveryLineBreakAndEndsEachLine) {
    struct Case {
        const wchar_t* Text;
        Items Lines;
    };
    const Case cases[] = {
        {L"", {}},
        {L"a\r\nb\r\n", {L"a", L"b"}},
        {L"a\nb", {L"a", L"b"}},
        {L"a\rb\r\n\r\nc", {L"a", L"b", L"", L"c"}},
        {L"\r\n", {L""}},
        {L"\n\r", {L"", L""}},
        {L" spaced \r\n\ttab", {L" spaced ", L"\ttab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(UnicodeToUtf8(c.Text)));
        TStringList list;
        list.SetText(c.Text);
        EXPECT_EQ(ItemsOf(list), c.Lines);
        TStringList again;
        again.SetText(list.Text());
        EXPECT_EQ(ItemsOf(again), c.Lines);
    }
    TStringList list;
    Fill(list, {L"a", L"", L"b"});
    EXPECT_EQ(list.Text(), L"a\r\n\r\nb\r\n");
}

TEST(StringLists, CommaTextQuotesWhatNeedsQuotes) {
    struct Case {
        Items Items;
        const wchar_t* CommaText;
    };
    const Case cases[] = {
        {{}, L""},
        {{L""}, L"\"\""},
        {{L"a", L"b"}, L"a,b"},
        {{L"two words", L"x,y", L"say \"hi\"", L""}, L"\"two words\",\"x,y\",\"say \"\"hi\"\"\","},
        {{L"", L""}, L","},
        {{L"tab\there", L"\u4e2d\u6587"}, L"\"tab\there\",\u4e2d\u6587"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.CommaText));
        TStringList list;
        Fill(list, c.Items);
        EXPECT_EQ(list.CommaText(), c.CommaText);
        TStringList again;
        again.SetCommaText(c.CommaText);
        EXPECT_EQ(ItemsOf(again), c.Items);
    }
}

TEST(StringLists, CommaTextSplitsOnCommasAndBlanksOutsideQuotes) {
    struct Case {
        const wchar_t* CommaText;
        Items Items;
    };
    const Case cases[] = {
        {L"a b,c", {L"a", L"b", L"c"}},       {L"  \"x y\" ,  z  ", {L"x y", L"z"}},
        {L"a,,b", {L"a", L"", L"b"}},         {L"a, ", {L"a", L""}},
        {L"\"un\"\"closed", {L"un\"closed"}}, {L"\"a\"b", {L"a", L"b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UnicodeToUtf8(c.CommaText));
        TStringList list;
        list.SetCommaText(c.CommaText);
        EXPECT_EQ(ItemsOf(list), c.Items);
    }
}

TEST(StringLists, DelimitedTextFollowsDelimiterQuoteAndStrictness) {
    TStringList list;
    list.SetDelimiter(L';');
    list.SetQuoteChar(L'\'');
    Fill(list, {L"a b", L"c;d", L"it's"});
    EXPECT_EQ(list.DelimitedText(), L"'a b';'c;d';'it''s'");
    list.SetStrictDelimiter(true);
    EXPECT_EQ(list.DelimitedText(), L"a b;'c;d';'it''s'");

    list.SetDelimitedText(L" a b ;'c;d';e,f");
    EXPECT_EQ(ItemsOf(list), (Items{L" a b ", L"c;d", L"e,f"}));
    list.SetStrictDelimiter(false);
    list.SetDelimitedText(L" a b ;'c;d';e,f");
    EXPECT_EQ(ItemsOf(list), (Items{L"a", L"b", L"c;d", L"e,f"}));
    EXPECT_EQ(list.CommaText(), L"a,b,c;d,\"e,f\""); // CommaText keeps its own rules
}

TEST(StringLists, ChangeEventsFireOncePerUpdateBlock) {
    TEventLog log;
    TStringList list;
    list.OnChanging = TNotifyEvent(&log, &TEventLog::OnChanging);
    list.OnChange = TNotifyEvent(&log, &TEventLog::OnChange);

    list.Add(L"a");
    list.Add(L"b");
    EXPECT_EQ(log.Changing, 2);
    EXPECT_EQ(log.Change, 2);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(L"c");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(log.Changing, 3);
    EXPECT_EQ(log.Change, 2);
    list.Exchange(0, 1);
    list.EndUpdate();
    EXPECT_EQ(log.Changing, 3);
    EXPECT_EQ(log.Change, 3);

    list.BeginUpdate();
    list.EndUpdate();
    EXPECT_EQ(log.Change, 3); // nothing changed, nothing told

    list.SetText(L"x\r\ny\r\nz");
    list.SetCommaText(L"p,q");
    EXPECT_EQ(log.Changing, 5);
    EXPECT_EQ(log.Change, 5);
    EXPECT_THROW(list.EndUpdate(), EStringListError);
}

TEST(StringLists, OwnsObjectsFreesWhatLeavesTheList) {
    int alive = 0;
    {
        TStringList list(true);
        list.AddObject(L"one", new TTracked(alive));
        list.AddObject(L"two", new TTracked(alive));
        auto* third = new TTracked(alive);
        list.AddObject(L"three", third);
        list.AddObject(L"none", nullptr);
        list.Exchange(0, 2);
        EXPECT_EQ(list.Objects(0), third);
        EXPECT_EQ(list.IndexOfObject(third), 0);
        list.Delete(0);
        EXPECT_EQ(alive, 2);
        list.Clear();
        EXPECT_EQ(alive, 0);
        list.AddObject(L"kept until the list goes", new TTracked(alive));
    }
    EXPECT_EQ(alive, 0);

    TTracked borrowed(alive);
    TStringList list;
    list.AddObject(L"borrowed", &borrowed);
    list.Delete(0);
    list.AddObject(L"borrowed", &borrowed);
    list.Clear();
    EXPECT_EQ(alive, 1);
}

TEST(StringLists, LoadFromStreamDetectsTheByteOrderMark) {
    const std::string gbk = "\xD6\xD0\xCE\xC4\r\nline"; // two Chinese characters in code page 936
    struct Case {
        const char* Name;
        std::string Bytes;
        UnicodeString Text;
    };
    const Case cases[] = {
        {"utf-8",
         "\xEF\xBB\xBF"
         "a\xC3\xA9\r\n\xE4\xB8\xAD",
         L"a\u00e9\r\n\u4e2d\r\n"},
        {"utf-16le",
         std::string("\xFF\xFE"
                     "a\0\xE9\0\n\0\x2D\x4E",
                     10),
         L"a\u00e9\r\n\u4e2d\r\n"},
        {"utf-16be", std::string("\xFE\xFF\0a\0\xE9\0\r\x4E\x2D", 10), L"a\u00e9\r\n\u4e2d\r\n"},
        {"no mark", gbk, AnsiToUnicode(gbk.substr(0, 4)) + L"\r\nline\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringStream stream(c.Bytes);
        TStringList list;
        list.LoadFromStream(&stream);
        EXPECT_EQ(list.Text(), c.Text);
    }
    if (GetACP() == CodePageGbk) {
        TStringStream stream(gbk);
        TStringList list;
        list.LoadFromStream(&stream);
        EXPECT_EQ(list.Strings(0), L"\u4e2d\u6587");
    }
}

TEST(StringLists, SaveWritesTheEncodingsMarkAndLoadsBack) {
    struct Case {
        TTextEncoding Encoding;
        std::string Mark;
    };
    const Case cases[] = {
        {TTextEncoding::Utf8, "\xEF\xBB\xBF"},
        {TTextEncoding::Utf16LE, "\xFF\xFE"},
        {TTextEncoding::Utf16BE, "\xFE\xFF"},
    };
    TStringList saved;
    Fill(saved, {L"\u00e9t\u00e9", L"\u4e2d\u6587", L""});
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Encoding));
        TTempFile temp;
        saved.SaveToFile(temp.Name(), c.Encoding);
        TMemoryStream bytes;
        bytes.LoadFromFile(temp.Name());
        EXPECT_EQ(std::string(static_cast<const char*>(bytes.Memory()), c.Mark.size()), c.Mark);
        TStringList loaded;
        loaded.LoadFromFile(temp.Name());
        EXPECT_EQ(ItemsOf(loaded), ItemsOf(saved));
    }

    TStringList ascii;
    Fill(ascii, {L"plain", L"text"});
    TStringStream stream;
    ascii.SaveToStream(&stream);
    EXPECT_EQ(stream.DataString(), L"plain\r\ntext\r\n"); // ACP, no mark
}

TEST(StringLists, AssignAddStringsAndEquals) {
    TObject marker;
    TStringList source;
    source.SetDelimiter(L'|');
    source.AddObject(L"one", &marker);
    source.Add(L"two");

    TStringList copy;
    Fill(copy, {L"old"});
    copy.Assign(&source);
    EXPECT_EQ(ItemsOf(copy), (Items{L"one", L"two"}));
    EXPECT_EQ(copy.Objects(0), &marker);
    EXPECT_EQ(copy.Delimiter(), L'|');
    EXPECT_TRUE(copy.Equals(&source));

    copy.Put(1, L"TWO");
    EXPECT_FALSE(copy.Equals(&source)); // exact, not the list's comparison
    copy.AddStrings(&source);
    EXPECT_EQ(ItemsOf(copy), (Items{L"one", L"TWO", L"one", L"two"}));
    EXPECT_FALSE(copy.Equals(&source));

    TPersistent stranger;
    EXPECT_THROW(copy.Assign(&stranger), EConvertError);
    EXPECT_EQ(ItemsOf(copy).size(), 4u);
}
