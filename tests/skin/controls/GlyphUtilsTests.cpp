#include "skin/controls/acShellCtrls.h"
#include "skin/controls/sGlyphUtils.h"

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
