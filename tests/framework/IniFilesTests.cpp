#include "framework/IniFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using Items = std::vector<UnicodeString>;

// The document keeps no file: this one has nowhere to write.
class TDocument : public TMemIniFile {
public:
    TDocument() = default;
    explicit TDocument(const UnicodeString& text) { Load(text); }
    void Load(const UnicodeString& text) {
        TStringList lines;
        lines.SetText(text);
        SetStrings(&lines);
    }
    // The same text handed over whole instead of as a list.
    void LoadText(const UnicodeString& text) { SetText(UnicodeString(text)); }
    void UpdateFile() override {}
};

Items ItemsOf(const TStrings& strings) {
    Items items;
    for (int i = 0; i < strings.Count(); ++i) items.push_back(strings.Strings(i));
    return items;
}

UnicodeString TextOf(const TMemIniFile& document) {
    TStringList lines;
    document.GetStrings(&lines);
    return lines.Text();
}

// A list holding something already, to show that reads replace it.
class TUsedList : public TStringList {
public:
    TUsedList() { Add(L"stale"); }
};

} // namespace

TEST(IniFiles, LinesBuildTheDocument) {
    struct Case {
        const wchar_t* Name;
        const wchar_t* Text;
        const wchar_t* Stored; // the document written back as lines
    };
    const Case cases[] = {
        {L"empty", L"", L""},
        {L"lines before the first section", L"a=1\r\nloose\r\n[s]\r\nb=2\r\n",
         L"[s]\r\nb=2\r\n\r\n"},
        {L"blanks around name and value", L"[s]\r\n  key = a, b ,c  \r\n",
         L"[s]\r\nkey=a, b ,c\r\n\r\n"},
        {L"tabs and control characters", L"\t[s]\x01\r\n\tk\t=\tv\x1F\r\n", L"[s]\r\nk=v\r\n\r\n"},
        {L"comments and empty lines", L"; head\r\n[s]\r\n\r\n  ; k=1\r\nk=v\r\n   \r\n",
         L"[s]\r\nk=v\r\n\r\n"},
        {L"header blanks", L"[ area ]\r\nk=v\r\n", L"[area]\r\nk=v\r\n\r\n"},
        {L"equals inside the value", L"[s]\r\nk = a=b = c\r\n", L"[s]\r\nk=a=b = c\r\n\r\n"},
        {L"line without equals", L"[s]\r\n  lone word  \r\n", L"[s]\r\nlone word\r\n\r\n"},
        {L"empty name and value", L"[s]\r\n=v\r\nk=\r\n", L"[s]\r\n=v\r\nk=\r\n\r\n"},
        {L"unclosed header is a line", L"[s]\r\n[broken=1\r\n[open\r\n",
         L"[s]\r\n[broken=1\r\n[open\r\n\r\n"},
        {L"unclosed header before any section", L"[open\r\nk=v\r\n", L""},
        {L"empty section name", L"[]\r\nk=v\r\n", L"[]\r\nk=v\r\n\r\n"},
        {L"repeated sections and keys stay", L"[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\n",
         L"[a]\r\nk=1\r\nk=2\r\n\r\n[A]\r\nk=3\r\n\r\n"},
        {L"section without lines", L"[a]\r\n[b]\r\nk=v\r\n", L"[a]\r\n\r\n[b]\r\nk=v\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(UnicodeString(c.Name)));
        TDocument document(c.Text);
        EXPECT_EQ(TextOf(document), c.Stored);
    }
}

// Names longer than a lookup's own buffer are upper-cased apart and found all the same.
TEST(IniFiles, LongNamesAreFoundWithoutRegardToCase) {
    const UnicodeString section(100, L's'), key(80, L'k');
    const TDocument document(L"[" + section + L"]\r\n" + key + L"=long\r\n" + key + L"x=other\r\n");
    UnicodeString upperSection(100, L'S'), upperKey(80, L'K');
    EXPECT_EQ(document.ReadString(upperSection, upperKey, L"missing"), L"long");
    EXPECT_EQ(document.ReadString(upperSection, upperKey + L"X", L"missing"), L"other");
    EXPECT_EQ(document.ReadString(upperSection, upperKey.substr(1), L"missing"), L"missing");
}

TEST(IniFiles, ReadStringFindsTheLastLineOfAKeyWithoutRegardToCase) {
    struct Case {
        const wchar_t* Section;
        const wchar_t* Key;
        const wchar_t* Expected;
    };
    const TDocument document(L"[Area A]\r\n"
                             L"Line 1 = enc1, 98% ,1\r\n"
                             L"Empty=\r\n"
                             L"lone\r\n"
                             L"Dup=first\r\n"
                             L"dup=second\r\n"
                             L"[\u00d6l]\r\n"
                             L"\u00e4 = umlaut\r\n");
    const Case cases[] = {
        {L"Area A", L"Line 1", L"enc1, 98% ,1"},
        {L"AREA a", L"LINE 1", L"enc1, 98% ,1"},
        {L"Area A", L"Empty", L""}, // an empty value is not the default
        {L"Area A", L"Missing", L"default"},
        {L"Nowhere", L"Line 1", L"default"},
        {L"Area A", L"lone", L"default"}, // a line without "=" is never found
        {L"Area A", L"DUP", L"second"},
        {L"\u00f6L", L"\u00c4", L"umlaut"}, // the locale's case mapping, not ASCII's
        {L"Area A", L"Line", L"default"},
        {L"Area A", L"", L"default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(UnicodeString(c.Section) + L"/" + c.Key));
        EXPECT_EQ(document.ReadString(c.Section, c.Key, L"default"), c.Expected);
    }
}

// A stored line is written over the text it was read from: keys with blanks before them, and
// lines longer than the header and line ends before them, are still found, from a list or from
// the text whole.
TEST(IniFiles, LinesAreFoundWhereverTheirTextWasStored) {
    const UnicodeString text = L"[s]\r\n"
                               L"      Name   =   a value longer than the blanks before it\r\n"
                               L"\tSecond=2\r\n"
                               L"[t]\nkey with blanks = v\rlast=\u00e4 end";
    TDocument fromLines(text), fromText;
    fromText.LoadText(text);
    for (const TDocument* document : {&fromLines, &fromText}) {
        SCOPED_TRACE(document == &fromLines ? "from lines" : "from text");
        EXPECT_EQ(document->ReadString(L"S", L"NAME", L"-"),
                  L"a value longer than the blanks before it");
        EXPECT_EQ(document->ReadString(L"s", L"second", L"-"), L"2");
        EXPECT_EQ(document->ReadString(L"T", L"Key With Blanks", L"-"), L"v");
        EXPECT_EQ(document->ReadString(L"t", L"LAST", L"-"), L"\u00e4 end");
        EXPECT_EQ(TextOf(*document),
                  L"[s]\r\nName=a value longer than the blanks before it\r\nSecond=2\r\n\r\n"
                  L"[t]\r\nkey with blanks=v\r\nlast=\u00e4 end\r\n\r\n");
    }
}

TEST(IniFiles, SectionReadsListNamesAndLinesInOrder) {
    const TDocument document(L"[Area A]\r\nLine 1 = x,1\r\nlone\r\nEmpty=\r\n[b]\r\nk=v\r\n");
    TUsedList names, values, sections;
    document.ReadSection(L"area a", &names);
    document.ReadSectionValues(L"area a", &values);
    document.ReadSections(&sections);
    EXPECT_EQ(ItemsOf(names), (Items{L"Line 1", L"", L"Empty"}));
    EXPECT_EQ(ItemsOf(values), (Items{L"Line 1=x,1", L"lone", L"Empty="}));
    EXPECT_EQ(ItemsOf(sections), (Items{L"Area A", L"b"}));

    TUsedList missingNames, missingValues;
    document.ReadSection(L"missing", &missingNames);
    document.ReadSectionValues(L"missing", &missingValues);
    EXPECT_EQ(missingNames.Count(), 0);
    EXPECT_EQ(missingValues.Count(), 0);
}

// Reads go into whatever list they are given: a plain list's items are overwritten where they
// are, but every kind ends with exactly the items read, no objects, and one change.
TEST(IniFiles, ReadsReplaceEveryKindOfList) {
    struct TChanges {
        int Count = 0;
        void OnChange(TObject*) { ++Count; }
    };
    const TDocument document(L"[s]\r\nb=1\r\na=2\r\n");
    TObject stale;
    for (const bool sorted : {false, true})
        for (const int held : {0, 1, 5}) {
            SCOPED_TRACE(testing::Message() << (sorted ? "sorted, " : "") << held << " held");
            TStringList names, values;
            for (TStringList* list : {&names, &values})
                for (int i = 0; i < held; ++i) list->AddObject(L"stale", &stale);
            names.SetSorted(sorted);
            values.SetSorted(sorted);
            TChanges changes;
            names.OnChange = TNotifyEvent(&changes, &TChanges::OnChange);
            document.ReadSection(L"S", &names);
            document.ReadSectionValues(L"S", &values);
            EXPECT_EQ(ItemsOf(names), sorted ? (Items{L"a", L"b"}) : (Items{L"b", L"a"}));
            EXPECT_EQ(ItemsOf(values), sorted ? (Items{L"a=2", L"b=1"}) : (Items{L"b=1", L"a=2"}));
            for (TStringList* list : {&names, &values})
                for (int i = 0; i < list->Count(); ++i) EXPECT_EQ(list->Objects(i), nullptr);
            EXPECT_EQ(changes.Count, 1);
            document.ReadSection(L"missing", &names);
            EXPECT_EQ(names.Count(), 0);
        }
}

TEST(IniFiles, ARepeatedSectionIsListedTwiceAndTheLastOneIsRead) {
    const TDocument document(L"[Area]\r\nk=1\r\nonly=here\r\n[b]\r\n[AREA]\r\nk=2\r\n");
    TStringList sections, names;
    document.ReadSections(&sections);
    EXPECT_EQ(ItemsOf(sections), (Items{L"Area", L"b", L"AREA"}));
    document.ReadSection(L"Area", &names);
    EXPECT_EQ(ItemsOf(names), (Items{L"k"}));
    EXPECT_EQ(document.ReadString(L"area", L"k", L"default"), L"2");
    EXPECT_EQ(document.ReadString(L"area", L"only", L"default"), L"default");
}

TEST(IniFiles, LoadingReplacesTheWholeDocument) {
    TDocument document(L"[old]\r\nk=v\r\n[shared]\r\na=1\r\n");
    document.Load(L"[shared]\r\nb=2\r\n");
    EXPECT_EQ(TextOf(document), L"[shared]\r\nb=2\r\n\r\n");
    EXPECT_EQ(document.ReadString(L"old", L"k", L"default"), L"default");
    EXPECT_EQ(document.ReadString(L"shared", L"a", L"default"), L"default");
    document.Clear();
    EXPECT_EQ(TextOf(document), L"");
}

TEST(IniFiles, WriteStringReplacesTheLineAReadFindsOrAppends) {
    TDocument document(L"[A]\r\nKey=one\r\nkey=two\r\n[B]\r\nX=1\r\n");
    document.WriteString(L"a", L"KEY", L"three"); // the last line of the key, either case
    document.WriteString(L"B", L"Y", L"new");     // a new key goes to the section's end
    document.WriteString(L"C", L"Z", L"");        // a new section goes to the document's end
    EXPECT_EQ(TextOf(document),
              L"[A]\r\nKey=one\r\nKEY=three\r\n\r\n[B]\r\nX=1\r\nY=new\r\n\r\n[C]\r\nZ=\r\n\r\n");
    EXPECT_EQ(document.ReadString(L"A", L"key", L"-"), L"three");
    EXPECT_EQ(document.ReadString(L"C", L"Z", L"-"), L"");
}

// Each rewrite leaves the old characters behind until the text is compacted: many rewrites of
// lines of changing lengths keep every line and every read right.
TEST(IniFiles, RewritingKeysManyTimesKeepsTheDocument) {
    TDocument document(L"[A]\r\nfirst=1\r\nKey=one\r\nlast=z\r\n[B]\r\nX=1\r\n");
    for (int i = 0; i < 500; ++i) {
        document.WriteString(L"a", L"key", UnicodeString(static_cast<std::size_t>(i % 37), L'v'));
        document.WriteString(L"b", L"x", std::to_wstring(i));
    }
    EXPECT_EQ(TextOf(document), L"[A]\r\nfirst=1\r\nkey=" + UnicodeString(499 % 37, L'v') +
                                    L"\r\nlast=z\r\n\r\n[B]\r\nx=499\r\n\r\n");
    EXPECT_EQ(document.ReadString(L"A", L"FIRST", L"-"), L"1");
    EXPECT_EQ(document.ReadString(L"A", L"LAST", L"-"), L"z");
    EXPECT_EQ(document.ReadString(L"B", L"X", L"-"), L"499");
}

namespace {

UnicodeString Upper(UnicodeString text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The document's reads written out plainly: the last section of the name, in it the last line
// of the key, names compared upper-cased whole.
struct TModel {
    struct TSection {
        UnicodeString Name;
        std::vector<std::pair<UnicodeString, UnicodeString>> Lines; // name, value
    };
    std::vector<TSection> Sections;

    UnicodeString Read(const UnicodeString& section, const UnicodeString& key) const {
        for (auto s = Sections.rbegin(); s != Sections.rend(); ++s) {
            if (Upper(s->Name) != Upper(section)) continue;
            for (auto l = s->Lines.rbegin(); l != s->Lines.rend(); ++l)
                if (Upper(l->first) == Upper(key)) return l->second;
            return L"<default>";
        }
        return L"<default>";
    }
};

// One of a few spellings of name n: cases mixed, some past the lookups' 64-character pieces,
// some not ASCII.
UnicodeString Spelling(int n, std::mt19937& random) {
    UnicodeString name = L"n\u00e4me " + std::to_wstring(n);
    if (n % 7 == 0) name += UnicodeString(70 + n % 5, L'x');
    for (wchar_t& c : name)
        if (random() % 2) CharUpperBuffW(&c, 1);
    return name;
}

} // namespace

// Many sections and keys, repeated in other cases, read and written: the document answers what
// the model does.
TEST(IniFiles, LookupsAgreeWithAPlainScan) {
    std::mt19937 random(11);
    TModel model;
    UnicodeString text;
    for (int s = 0; s < 60; ++s) {
        model.Sections.push_back({Spelling(static_cast<int>(random() % 40), random), {}});
        text += L"[" + model.Sections.back().Name + L"]\r\n";
        const int lines = static_cast<int>(random() % 90);
        for (int l = 0; l < lines; ++l) {
            const UnicodeString key = Spelling(static_cast<int>(random() % 70), random);
            const UnicodeString value = std::to_wstring(s) + L"." + std::to_wstring(l);
            model.Sections.back().Lines.emplace_back(key, value);
            text += key + L"=" + value + L"\r\n";
        }
    }
    TDocument document(text), fromText;
    fromText.LoadText(text);
    const auto agrees = [&](const TMemIniFile& doc) {
        std::mt19937 queries(5);
        for (int q = 0; q < 4000; ++q) {
            const UnicodeString section = Spelling(static_cast<int>(queries() % 45), queries);
            const UnicodeString key = Spelling(static_cast<int>(queries() % 75), queries);
            if (doc.ReadString(section, key, L"<default>") != model.Read(section, key))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(agrees(document));
    EXPECT_TRUE(agrees(fromText));
    for (int w = 0; w < 300; ++w) {
        const UnicodeString section = Spelling(static_cast<int>(random() % 45), random);
        const UnicodeString key = Spelling(static_cast<int>(random() % 75), random);
        const UnicodeString value = L"w" + std::to_wstring(w);
        document.WriteString(section, key, value);
        auto found = std::find_if(
            model.Sections.rbegin(), model.Sections.rend(),
            [&](const TModel::TSection& s) { return Upper(s.Name) == Upper(section); });
        TModel::TSection& target = found == model.Sections.rend()
                                       ? model.Sections.emplace_back(TModel::TSection{section, {}})
                                       : *found;
        auto line = std::find_if(target.Lines.rbegin(), target.Lines.rend(),
                                 [&](const auto& l) { return Upper(l.first) == Upper(key); });
        if (line == target.Lines.rend())
            target.Lines.emplace_back(key, value);
        else
            *line = {key, value};
    }
    EXPECT_TRUE(agrees(document));
    // The comparison bites: a value the model does not know of is seen.
    std::mt19937 queries(5);
    const UnicodeString section = Spelling(static_cast<int>(queries() % 45), queries);
    const UnicodeString key = Spelling(static_cast<int>(queries() % 75), queries);
    document.WriteString(section, key, L"unknown to the model");
    EXPECT_FALSE(agrees(document));
}
