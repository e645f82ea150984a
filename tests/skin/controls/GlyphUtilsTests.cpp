#include "skin/controls/acShellCtrls.h"
#include "skin/controls/sGlyphUtils.h"

#include "framework/Streams.h"
#include "skin/engine/acPNG.h"

#include "SkinTesting.h"

#include <memory>

namespace {

using GlyphUtils = SkinTest;

TEST_F(GlyphUtils, ImageListCountOfNoListIsZero) {
    EXPECT_EQ(ImageListCount(nullptr), 0);
    std::unique_ptr<TCustomImageList, graphics_detail::TFreeObject> list(
        new TCustomImageList(nullptr));
    EXPECT_EQ(ImageListCount(list.get()), 0);
}

TEST_F(GlyphUtils, BroadcastWalksEveryChild) {
    TSkinProbe probe(nullptr);
    EXPECT_FALSE(SkipBroadcastChildren(&probe));
    EXPECT_FALSE(SkipBroadcastChildren(nullptr));
}

TEST_F(GlyphUtils, IconFromAnImageHasItsSizeAndAnOpaqueMask) {
    TBitmap image(48, 16, pf32bit);
    HICON icon = PngToIcon(&image);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 48);
    EXPECT_EQ(mask.bmHeight, 16);
    EXPECT_TRUE(info.fIcon);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
    TBitmap empty;
    EXPECT_EQ(PngToIcon(&empty), nullptr);
}

// The colour a list image shows at a point when drawn over white.
TColor GlyphPixel(TCustomImageList* list, int index, int x, int y) {
    TBitmap target(48, 16, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 48, 16));
    ImageList_Draw(list->Handle(), index, target.Canvas()->Handle(), 0, 0, ILD_NORMAL);
    return target.Canvas()->Pixels(x, y);
}

TEST_F(GlyphUtils, DefaultGlyphListHoldsTheFivePicturesFromStartUpToShutDown) {
    const TModuleEntry module = GlyphUtilsModule();
    module.Initialize();
    TsAlphaImageList* list = DefaultGlyphList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Width(), 48);
    EXPECT_EQ(list->Height(), 16);
    EXPECT_EQ(list->Count(), 5);
    // "SF": a frame of grey from (3, 3) to (12, 12) in the normal state, clear inside it.
    EXPECT_EQ(GlyphPixel(list, 0, 3, 3), static_cast<TColor>(RGB(64, 64, 64)));
    EXPECT_EQ(GlyphPixel(list, 0, 7, 7), clWhite);
    EXPECT_EQ(GlyphPixel(list, 0, 19, 3), static_cast<TColor>(RGB(32, 96, 192)));
    module.Finalize();
    EXPECT_EQ(DefaultGlyphList(), nullptr);
}

TEST_F(GlyphUtils, MissingGlyphResourceRaisesAndLeavesNoList) {
    EXPECT_THROW(CreateDefaultGlyphs(GetModuleHandleW(L"kernel32.dll")), EResNotFound);
    EXPECT_EQ(DefaultGlyphList(), nullptr);
}

TEST_F(GlyphUtils, IconFromAPngKeepsItsAlpha) {
    TResourceStream stream(GetModuleHandleW(nullptr), L"SD");
    TPNGGraphic png;
    png.LoadFromStream(&stream);
    TOwnedIcon icon(PngToIcon(&png));
    ASSERT_TRUE(icon);
    TBitmap target(48, 16, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 48, 16));
    DrawIconEx(target.Canvas()->Handle(), 0, 0, icon.Get(), 48, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(target.Canvas()->Pixels(8, 6), static_cast<TColor>(RGB(64, 64, 64)));
    TPNGGraphic empty;
    EXPECT_EQ(PngToIcon(&empty), nullptr);
}

TEST_F(GlyphUtils, DesktopShellFolderLivesFromStartUpToShutDown) {
    CoInitialize(nullptr);
    CreateDesktopShellFolder();
    ASSERT_NE(DesktopShellFolder(), nullptr);
    EXPECT_NE(DesktopShellFolder()->ShellFolder(), nullptr);
    FreeDesktopShellFolder();
    EXPECT_EQ(DesktopShellFolder(), nullptr);
    CoUninitialize();
}

} // namespace
