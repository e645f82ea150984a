// The general utilities, from their rules' edge cases.
#include "skin/engine/sGeneralUtils.h"

#include "framework/Components.h"
#include "framework/TypInfo.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

TEST(GeneralUtils, RectanglesAndNumbers) {
    EXPECT_EQ(RectSpanX(TRect(10, 0, 5, 0)), -5);
    EXPECT_EQ(RectSpanX(TRect(10, 0, 5, 0), true), 0);
    EXPECT_EQ(RectSpanY(TRect(0, 3, 0, 10)), 7);
    EXPECT_TRUE(RectsOverlap(TRect(0, 0, 10, 10), TRect(9, 9, 20, 20)));
    EXPECT_FALSE(RectsOverlap(TRect(0, 0, 10, 10), TRect(10, 0, 20, 10))); // edges exclusive
    EXPECT_FALSE(RectsOverlap(TRect(0, 0, 10, 10), TRect(5, 5, 5, 8)));    // empty
    EXPECT_EQ(ClampToByte(-1), 0);
    EXPECT_EQ(ClampToByte(256), 255);
    EXPECT_EQ(ClampToByte(255), 255);
    EXPECT_TRUE(IsBetween(3, 3, 3));
    EXPECT_EQ(LargerOf(2, 5), 5);
    EXPECT_EQ(SmallerOf(2, 5), 2);
    EXPECT_EQ(ChooseInt(false, 1, 2), 2);
    EXPECT_EQ(ChooseStr(true, L"a", L"b"), L"a");
    const TMessage m = BuildMessageRecord(1, 2, 3, 4);
    EXPECT_EQ(m.Msg + m.WParam + m.LParam + m.Result, 10u);
    auto* bitmap = new TBitmap();
    const TCacheInfo ci = CacheInfoFor(bitmap, 3, -4);
    EXPECT_EQ(ci.Bmp, bitmap);
    EXPECT_EQ(ci.X, 3);
    EXPECT_EQ(ci.Y, -4);
    EXPECT_EQ(ci.FillColor, 0xFF00FFu);
    EXPECT_TRUE(ci.Ready);
    bitmap->Free();
    EXPECT_FALSE(EmptyCacheInfo.Ready);
    EXPECT_EQ(EmptyCacheInfo.Bmp, nullptr);
}

TEST(GeneralUtils, Words) {
    const TSysCharSet blank{' '};
    const UnicodeString s = L"  a  b ";
    EXPECT_EQ(CountWords(s, blank), 2);
    EXPECT_EQ(NthWordPos(2, s, blank), 6);
    EXPECT_EQ(NthWordPos(3, s, blank), 0);
    EXPECT_EQ(ExtractNthWord(3, s, blank), L"");
    EXPECT_EQ(ExtractNthWord(2, L"x;yy;;z", TSysCharSet{';'}), L"yy");
    // U+0120 has the low byte of a blank: a delimiter by the loose rule only.
    const UnicodeString wide = L"a\u0120b";
    EXPECT_EQ(CountWords(wide, blank), 2);
    EXPECT_EQ(CountWordsStrict(wide, blank), 1);
    EXPECT_EQ(NthWordPosStrict(1, wide, blank), 1);
    EXPECT_FALSE(IsDelimiterChar(L'\u0520', blank)); // above 0x44F
    EXPECT_EQ(StripChar(L"a b c", L' '), L"abc");
    EXPECT_EQ(ReplaceAllText(L"aaa", L"aa", L"b"), L"ba");
    EXPECT_EQ(ReplaceAllText(L"abc", L"x", L"y"), L"abc");
    EXPECT_EQ(ReplaceAllText(L"a.b.c", L".", L".."), L"a..b..c");
}

TEST(GeneralUtils, IniText) {
    TStringList lines;
    lines.SetText(L"ignored=1\r\n[ONE]\r\n; comment\r\nHEX=0x1F\r\nBARE=0x\r\nTEXT=a=b\r\n"
                  L"\r\n[Two]\r\nDOLLAR=$10\r\n");
    TStringList sections(true);
    ParseIniSections(&lines, &sections);
    ASSERT_EQ(sections.Count(), 2);
    EXPECT_EQ(static_cast<TStrings*>(sections.Objects(0))->Count(), 3);
    EXPECT_EQ(ReadIniInteger(&sections, L"ONE", L"HEX", -1), 31);
    EXPECT_EQ(ReadIniInteger(&sections, L"ONE", L"BARE", -1), -1);
    EXPECT_EQ(ReadIniInteger(&sections, L"two", L"DOLLAR", -1), 16);
    EXPECT_EQ(ReadIniString(&sections, L"ONE", L"TEXT", L"?"), L"a=b");
    EXPECT_EQ(ReadIniString(&sections, L"ONE", L"MISSING", L"?"), L"?");
    EXPECT_EQ(ReadIniString(&sections, L"NONE", L"TEXT", L"?"), L"?");
}

TEST(GeneralUtils, Paths) {
    EXPECT_EQ(WithTrailingBackslash(L""), L"");
    EXPECT_EQ(WithTrailingBackslash(L"C"), L"C:\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:/skins/"), L"C:/skins\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\skins\\"), L"C:\\skins\\");
    EXPECT_EQ(WithTrailingBackslash(L"skins"), L"skins\\");
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const UnicodeString app = AppDirectory();
    EXPECT_EQ(UnicodeString(module).rfind(app, 0), 0u);
    EXPECT_EQ(app.back(), L'\\');
    const HFONT font = CreateSysCaptionFont();
    EXPECT_NE(font, nullptr);
    DeleteObject(font);
    EXPECT_NE(SysCaptionFontHeight(), 0);
    // The shell's icon of the program itself; none of a file that is not there.
    TIcon* icon = FileIconOf(module, SHGFI_SMALLICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->Empty());
    icon->Free();
    EXPECT_EQ(FileIconOf(app + L"no such file.exe", SHGFI_SMALLICON), nullptr);
}

// A component with a set property, registered for access by name.
enum TProbeOption { poFirst, poSecond, poSecondary };
using TProbeOptions = TSet<TProbeOption>;

class TPropProbe : public TComponent {
    CLASS_INFO(TPropProbe, TComponent)
public:
    using TComponent::TComponent;
    TProbeOptions Options;
    int Number = 7;
};

TEST(GeneralUtils, PublishedPropertiesByName) {
    TPropProbe probe(nullptr);
    RegisterProperties(TPropertyTable<TPropProbe>()
                           .Add(L"Options", &TPropProbe::Options, nullptr,
                                {L"poFirst", L"poSecond", L"poSecondary"})
                           .Add(L"Number", &TPropProbe::Number));
    EXPECT_TRUE(PropExists(&probe, L"Number"));
    EXPECT_FALSE(PropExists(&probe, L"Missing"));
    EXPECT_EQ(ReadOrdPropByName(nullptr, L"Number"), -1);
    EXPECT_EQ(ReadOrdPropByName(&probe, L"Number"), 7);
    EXPECT_EQ(ReadOrdPropByName(&probe, L"Missing"), -1);
    WriteOrdPropByName(&probe, L"Number", 9);
    WriteOrdPropByName(&probe, L"Missing", 9);
    EXPECT_EQ(probe.Number, 9);
    EXPECT_EQ(ReadObjectPropByName(&probe, L"Missing"), nullptr);

    probe.Options = {poSecondary};
    EXPECT_TRUE(SetPropHasElement(&probe, L"Options", L"poSecondary"));
    EXPECT_FALSE(SetPropHasElement(&probe, L"Options", L"poSecond")); // exact names only
    // Adding a name that occurs inside a longer one writes nothing.
    ChangeSetPropElement(&probe, L"Options", L"poSecond", true);
    EXPECT_EQ(probe.Options, TProbeOptions{poSecondary});
    ChangeSetPropElement(&probe, L"Options", L"poFirst", true);
    EXPECT_EQ(probe.Options, (TProbeOptions{poFirst, poSecondary}));
    ChangeSetPropElement(&probe, L"Options", L"poFirst", false);
    EXPECT_EQ(probe.Options, TProbeOptions{poSecondary});
    ChangeSetPropElement(&probe, L"Options", L"poSecondary", false);
    EXPECT_EQ(probe.Options, TProbeOptions{});
}

} // namespace
