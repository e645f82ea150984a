// The header's binary stream with its columns: a round trip of every stored field, and crafted
// streams: lengths and counts beyond the data, unknown enumeration values, a position array
// that is no permutation, values outside the setters' limits, and a stream without version.
#include "TreeFixture.h"

#include <cstring>

using namespace vtree_test;

namespace {

using TFontPtr = std::unique_ptr<TFont, graphics_detail::TFreeObject>;

// Offsets in the stream of a header with one column whose texts are empty and whose options
// lack coUseCaptionAlignment, and a font name of NameLength bytes.
namespace at {
constexpr NativeInt Count = 8, CaptionLength = 12, Width = 20, MinWidth = 24, Style = 32,
                    Options = 56, Position = 72, Height = 88, NameLength = 108;
constexpr NativeInt AfterName(NativeInt NameLength, int Field) {
    return 112 + NameLength + 4 * Field;
}
// Fields after the name: 0 pitch, 1 style, 2 main, 3 sort, 4 direction, 5 parent font,
// 6 max height, 7 min height, 8 default height, 9..12 percentages.
} // namespace at

class HeaderStream : public ::testing::Test {
protected:
    TTreePtr<TVirtualStringTree> Tree = MakeTree();
    TFontPtr Font{new TFont};
    TMemoryStream Stream;
    TVTHeader& Header() { return *Tree->Header(); }

    void SaveOneColumn() {
        Header().Columns()->Add();
        Font->SetName(L"Arial");
        Header().SaveToStream(&Stream, Font.get());
    }
    void Patch(NativeInt Offset, Integer Value) {
        std::memcpy(static_cast<Byte*>(Stream.Memory()) + Offset, &Value, 4);
    }
    void Load(TBaseVirtualTree& Target, TFont* TargetFont) {
        Stream.SetPosition(0);
        Target.Header()->LoadFromStream(&Stream, TargetFont);
    }
};

} // namespace

TEST_F(HeaderStream, RoundTripRestoresEveryField) {
    TVirtualTreeColumns* columns = Header().Columns();
    for (int i = 0; i < 3; ++i) {
        TVirtualTreeColumn* column = columns->Add();
        column->SetText(L"Col\x4E2D" + std::to_wstring(i));
        column->Hint = L"hint" + std::to_wstring(i);
        column->SetMinWidth(5 + i);
        column->SetWidth(60 + 10 * i);
        column->Tag = 7 * i;
        column->SetAlignment(taCenter);
        column->SetColor(MakeColor(10, 20, static_cast<Byte>(30 + i)));
    }
    columns->Items(1)->SetCaptionAlignment(taRightJustify);
    columns->Items(2)->SetOptions(DefaultColumnOptions - TVTColumnOptions{coVisible});
    columns->Items(0)->SetPosition(2);
    columns->DefaultWidth = 77;
    Header().SetHeight(30);
    Header().SetOptions(TVTHeaderOptions{hoVisible, hoDrag, hoShowSortGlyphs});
    Header().SetStyle(hsXPStyle);
    Header().SetMainColumn(1);
    Header().SetSortColumn(2);
    Header().SetSortDirection(sdDescending);
    Header().SetMinHeight(12);
    Header().SetDefaultHeight(25);
    Header().FixedAreaConstraints()->SetMaxWidthPercent(40);
    Font->SetName(L"Tahoma");
    Font->SetHeight(-13);
    Font->SetStyle(TFontStyles{fsBold, fsItalic});
    Font->SetColor(clRed);
    Header().SaveToStream(&Stream, Font.get());

    auto target = MakeTree();
    TFontPtr font(new TFont);
    Load(*target, font.get());
    TVTHeader& loaded = *target->Header();
    EXPECT_TRUE(loaded.Columns()->Equals(columns));
    EXPECT_EQ(loaded.Columns()->PositionToIndex(), columns->PositionToIndex());
    EXPECT_EQ(loaded.Columns()->Items(1)->CaptionAlignment(), taRightJustify);
    EXPECT_EQ(loaded.Columns()->Items(0)->Hint, L"hint0");
    EXPECT_EQ(loaded.Columns()->DefaultWidth, 77);
    EXPECT_EQ(loaded.Height(), 30);
    EXPECT_EQ(loaded.Options(), Header().Options());
    EXPECT_EQ(loaded.Style(), hsXPStyle);
    EXPECT_EQ(loaded.MainColumn(), 1);
    EXPECT_EQ(loaded.SortColumn(), 2);
    EXPECT_EQ(loaded.SortDirection(), sdDescending);
    EXPECT_EQ(loaded.MinHeight(), 12);
    EXPECT_EQ(loaded.DefaultHeight(), 25);
    EXPECT_EQ(loaded.FixedAreaConstraints()->MaxWidthPercent(), 40);
    EXPECT_EQ(font->Name(), L"Tahoma");
    EXPECT_EQ(font->Height(), -13);
    EXPECT_EQ(font->Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(font->Color(), clRed);
    EXPECT_FALSE(loaded.States().Contains(hsLoading));
}

TEST_F(HeaderStream, CraftedLengthsCountsAndValuesAreRefused) {
    SaveOneColumn();
    const NativeInt name = 5; // "Arial"
    struct TCase {
        const char* Name;
        NativeInt Offset;
        Integer Value;
    };
    const TCase cases[] = {
        {"column count beyond the data", at::Count, 100000},
        {"negative column count", at::Count, -3},
        {"caption longer than the data", at::CaptionLength, 0x3FFFFFFF},
        {"negative caption length", at::CaptionLength, -1},
        {"unknown column style", at::Style, 9},
        {"font name longer than the data", at::NameLength, 0x7FFFFFF0},
        {"unknown font pitch", at::AfterName(name, 0), 3},
        {"unknown sort direction", at::AfterName(name, 4), 2},
    };
    const std::vector<Byte> original(static_cast<const Byte*>(Stream.Memory()),
                                     static_cast<const Byte*>(Stream.Memory()) + Stream.Size());
    for (const TCase& c : cases) {
        std::memcpy(Stream.Memory(), original.data(), original.size());
        Patch(c.Offset, c.Value);
        auto target = MakeTree();
        TFontPtr font(new TFont);
        EXPECT_THROW(Load(*target, font.get()), EReadError) << c.Name;
        EXPECT_FALSE(target->Header()->States().Contains(hsLoading)) << c.Name;
    }
    // Cut short anywhere: a read error as well.
    Stream.SetSize(at::Position);
    auto target = MakeTree();
    EXPECT_THROW(Load(*target, Font.get()), EReadError);
}

TEST_F(HeaderStream, PositionsThatAreNoPermutationAreReset) {
    Header().Columns()->Add();
    Header().Columns()->Add();
    Header().Columns()->Items(0)->SetPosition(1);
    Font->SetName(L"Arial");
    Header().SaveToStream(&Stream, Font.get());
    const NativeInt positions = 12 + 2 * 60; // marker, version, count, two column records
    Patch(positions, 1);
    Patch(positions + 4, 1);
    auto target = MakeTree();
    Load(*target, Font.get());
    EXPECT_EQ(target->Header()->Columns()->PositionToIndex(), (TIndexArray{0, 1}));
    Patch(positions + 4, 0x40000000);
    Load(*target, Font.get());
    EXPECT_EQ(target->Header()->Columns()->PositionToIndex(), (TIndexArray{0, 1}));
    Patch(positions + 4, 0);
    Load(*target, Font.get());
    EXPECT_EQ(target->Header()->Columns()->PositionToIndex(), (TIndexArray{1, 0}));
}

TEST_F(HeaderStream, ValuesPassTheSettersLimits) {
    SaveOneColumn();
    const NativeInt name = 5;
    Patch(at::Width, 3);                  // below the column's minimum
    Patch(at::MinWidth, -8);              // becomes 0 ... and the width 3
    Patch(at::AfterName(name, 7), -5);    // minimum height below 0
    Patch(at::AfterName(name, 8), 50000); // default height above the maximum
    Patch(at::AfterName(name, 9), 250);   // a percentage above 100
    Patch(at::AfterName(name, 2), 40);    // main column beyond the columns
    auto target = MakeTree();
    Load(*target, Font.get());
    TVTHeader& loaded = *target->Header();
    EXPECT_EQ(loaded.Columns()->Items(0)->MinWidth(), 0);
    EXPECT_EQ(loaded.Columns()->Items(0)->Width(), 3);
    EXPECT_EQ(loaded.MinHeight(), 0);
    EXPECT_EQ(loaded.DefaultHeight(), 10000);
    EXPECT_EQ(loaded.FixedAreaConstraints()->MaxHeightPercent(), 100);
    EXPECT_EQ(loaded.MainColumn(), 0);
}

TEST_F(HeaderStream, StreamWithoutMarkerUsesTheOldestOptionLayout) {
    // Count 1, one column without the version-1 fields, its position, then the header fields
    // of version -1.
    std::vector<Integer> ints = {1,           0, 0,         80, 10,    10000, 0, -1,  0, 4, 4, 0,
                                 0x10 | 0x01, // old bit 4 (resizable) and bit 0
                                 0,           0, clBtnFace, 20, 0x400, 0,     0, -11, 0, 0, 0};
    Stream.WriteBuffer(ints.data(), static_cast<NativeInt>(4 * ints.size()));
    auto target = MakeTree();
    Load(*target, Font.get());
    TVirtualTreeColumn* column = target->Header()->Columns()->Items(0);
    EXPECT_EQ(column->Options(), (TVTColumnOptions{coAllowClick, coResizable}));
    EXPECT_EQ(column->Width(), 80);
    EXPECT_EQ(target->Header()->Height(), 20);
}
