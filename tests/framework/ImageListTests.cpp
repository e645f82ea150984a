#include "framework/ImageList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

template <class T> using TOwned = std::unique_ptr<T, graphics_detail::TFreeObject>;

// `count` images of 16 x 16 side by side: image i is a square of `colors[i]` 8 pixels wide at
// (4, 4) on a fuchsia background.
TOwned<TBitmap> Strip(std::initializer_list<TColor> colors) {
    TOwned<TBitmap> strip(new TBitmap(16 * int(colors.size()), 16, pf24bit));
    TCanvas* canvas = strip->Canvas();
    canvas->Brush()->SetColor(clFuchsia);
    canvas->FillRect(TRect(0, 0, strip->Width(), 16));
    int left = 0;
    for (TColor color : colors) {
        canvas->Brush()->SetColor(color);
        canvas->FillRect(TRect(left + 4, 4, left + 12, 12));
        left += 16;
    }
    return strip;
}

TOwned<TBitmap> WhiteCanvas() {
    TOwned<TBitmap> target(new TBitmap(32, 32, pf24bit));
    target->Canvas()->Brush()->SetColor(clWhite);
    target->Canvas()->FillRect(TRect(0, 0, 32, 32));
    return target;
}

TColor DrawnPixel(TCustomImageList& list, int index, int x, int y, bool enabled = true) {
    TOwned<TBitmap> target = WhiteCanvas();
    list.Draw(target->Canvas(), 0, 0, index, enabled);
    return target->Canvas()->Pixels(x, y);
}

// Counts notifications from the list and from a link.
struct TChangeCounter : TObject {
    int Changes = 0;
    TObject* LastSender = nullptr;
    void Changed(TObject* sender) {
        ++Changes;
        LastSender = sender;
    }
};

} // namespace

TEST(ImageList, AddsStripsAndCountsLazily) {
    TImageList list(nullptr);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.HandleAllocated());

    EXPECT_EQ(list.AddMasked(Strip({clRed, clLime, clBlue}).get(), clFuchsia), 0);
    EXPECT_TRUE(list.HandleAllocated());
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Add(Strip({clYellow}).get(), nullptr), 3);
    EXPECT_EQ(list.Count(), 4);

    list.Delete(1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(DrawnPixel(list, 1, 8, 8), clBlue) << "later images move down";
    list.Replace(0, Strip({clAqua}).get(), nullptr);
    EXPECT_EQ(DrawnPixel(list, 0, 8, 8), clAqua);
    EXPECT_THROW(list.Delete(3), EInvalidOperation);
    EXPECT_THROW(list.Replace(-1, Strip({clRed}).get(), nullptr), EInvalidOperation);
    EXPECT_THROW(list.Add(nullptr, nullptr), EInvalidGraphicOperation);

    list.SetWidth(24); // the system cannot resize images: the list empties
    EXPECT_EQ(list.Count(), 0);
    list.AddMasked(Strip({clRed, clRed, clRed}).get(), clFuchsia);
    EXPECT_EQ(list.Count(), 2) << "48 pixels make two images of 24";
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.SetHeight(0), EInvalidOperation);
}

TEST(ImageList, DrawsMaskedImagesInEveryStyle) {
    TImageList list(nullptr);
    TOwned<TBitmap> strip = Strip({clRed});
    list.AddMasked(strip.get(), clFuchsia);
    EXPECT_EQ(strip->Canvas()->Pixels(0, 0), clFuchsia) << "the caller's bitmap is untouched";

    EXPECT_EQ(DrawnPixel(list, 0, 8, 8), clRed);
    EXPECT_EQ(DrawnPixel(list, 0, 1, 1), clWhite) << "masked pixels are transparent";
    EXPECT_EQ(DrawnPixel(list, 0, 20, 20), clWhite) << "outside the image";
    EXPECT_EQ(DrawnPixel(list, -1, 8, 8), clWhite) << "no image";

    list.SetBkColor(clNavy);
    EXPECT_EQ(DrawnPixel(list, 0, 1, 1), clNavy) << "dsNormal fills the background";
    list.SetDrawingStyle(dsTransparent);
    EXPECT_EQ(DrawnPixel(list, 0, 1, 1), clWhite);

    list.SetDrawingStyle(dsSelected);
    list.SetBlendColor(clBlue);
    // The system may blend by mixing or by dithering: somewhere in the square blue shows.
    TOwned<TBitmap> target = WhiteCanvas();
    list.Draw(target->Canvas(), 0, 0, 0);
    int blended = 0;
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x) blended += GetBValue(target->Canvas()->Pixels(x, y)) > 64;
    EXPECT_GT(blended, 0);

    list.SetDrawingStyle(dsTransparent);
    list.SetImageType(itMask);
    EXPECT_EQ(DrawnPixel(list, 0, 8, 8), clBlack) << "the mask of an opaque pixel";
    list.SetImageType(itImage);

    const TColor disabled = DrawnPixel(list, 0, 8, 8, false);
    EXPECT_EQ(GetRValue(disabled), GetGValue(disabled)) << std::hex << disabled;
    EXPECT_EQ(GetGValue(disabled), GetBValue(disabled)) << std::hex << disabled;
    EXPECT_NE(disabled, clWhite);
}

TEST(ImageList, ThirtyTwoBitImagesKeepTheirAlpha) {
    TImageList list(nullptr);
    ASSERT_EQ(list.ColorDepth(), cd32Bit);
    TBitmap image(16, 16, pf32bit);
    for (int y = 0; y < 16; ++y) {
        auto* row = static_cast<Byte*>(image.ScanLine(y));
        for (int x = 0; x < 16; ++x) {
            Byte* pixel = row + 4 * x;
            pixel[0] = 0, pixel[1] = 0, pixel[2] = 255; // red
            pixel[3] = x < 8 ? 255 : 128;               // opaque left half, half-clear right
        }
    }
    list.Add(&image, nullptr);
    list.SetDrawingStyle(dsTransparent);
    EXPECT_EQ(DrawnPixel(list, 0, 2, 8), clRed);
    const TColor half = DrawnPixel(list, 0, 12, 8);
    EXPECT_EQ(GetRValue(half), 255);
    EXPECT_NEAR(GetGValue(half), 127, 3);
    EXPECT_NEAR(GetBValue(half), 127, 3);
}

TEST(ImageList, GivesImagesAsBitmapsAndIcons) {
    TImageList list(nullptr);
    list.AddMasked(Strip({clLime, clBlue}).get(), clFuchsia);
    TBitmap bitmap(3, 3, pf24bit);
    list.GetBitmap(1, &bitmap);
    EXPECT_EQ(bitmap.Width(), 16);
    EXPECT_EQ(bitmap.Height(), 16);
    EXPECT_EQ(bitmap.Canvas()->Pixels(8, 8), clBlue);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clBlack) << "BkColor clNone gives black";

    TIcon icon;
    list.GetIcon(0, &icon);
    EXPECT_EQ(icon.Width(), 16);
    TOwned<TBitmap> target = WhiteCanvas();
    target->Canvas()->Draw(0, 0, &icon);
    EXPECT_EQ(target->Canvas()->Pixels(8, 8), clLime);
    EXPECT_EQ(target->Canvas()->Pixels(1, 1), clWhite) << "the mask made it transparent";

    TImageList icons(nullptr);
    EXPECT_EQ(icons.AddIcon(&icon), 0);
    EXPECT_EQ(DrawnPixel(icons, 0, 8, 8), clLime);
    EXPECT_THROW(list.GetIcon(2, &icon), EInvalidOperation);
}

TEST(ImageList, ChangeLinksHearEveryChangeAndOutliveEitherSide) {
    TChangeCounter fromList, fromFirst, fromSecond;
    auto* list = new TImageList(nullptr);
    list->OnChange = TNotifyEvent(&fromList, &TChangeCounter::Changed);
    TChangeLink first, second;
    first.OnChange = TNotifyEvent(&fromFirst, &TChangeCounter::Changed);
    second.OnChange = TNotifyEvent(&fromSecond, &TChangeCounter::Changed);
    list->RegisterChanges(&first);
    list->RegisterChanges(&second);
    EXPECT_EQ(first.Sender(), list);

    const struct {
        const char* Change;
        void (*Apply)(TImageList&);
    } changes[] = {
        {"add",
         [](TImageList& l) {
             l.AddMasked(Strip({clRed, clRed}).get(), clFuchsia);
         }},
        {"replace", [](TImageList& l) { l.Replace(0, Strip({clBlue}).get(), nullptr); }},
        {"delete", [](TImageList& l) { l.Delete(1); }},
        {"background", [](TImageList& l) { l.SetBkColor(clGray); }},
        {"blend colour", [](TImageList& l) { l.SetBlendColor(clRed); }},
        {"drawing style", [](TImageList& l) { l.SetDrawingStyle(dsSelected); }},
        {"masked", [](TImageList& l) { l.SetMasked(false); }},
        {"clear", [](TImageList& l) { l.Clear(); }},
    };
    int expected = 0;
    for (const auto& change : changes) {
        change.Apply(*list);
        ++expected;
        EXPECT_EQ(fromList.Changes, expected) << change.Change;
        EXPECT_EQ(fromFirst.Changes, expected) << change.Change;
        EXPECT_EQ(fromSecond.Changes, expected) << change.Change;
    }
    EXPECT_EQ(fromFirst.LastSender, list);
    list->SetBkColor(clGray); // no change, no notification
    EXPECT_EQ(fromList.Changes, expected);

    {
        TChangeLink doomed;
        list->RegisterChanges(&doomed);
    } // a freed link leaves the list
    list->UnRegisterChanges(&second);
    EXPECT_EQ(second.Sender(), nullptr);
    list->Clear();
    EXPECT_EQ(fromFirst.Changes, expected + 1);
    EXPECT_EQ(fromSecond.Changes, expected);

    list->Free(); // the remaining link forgets the list
    EXPECT_EQ(first.Sender(), nullptr);
}
