// Shared by the window tests: a tree window on a hidden top-level host, themes pinned off (the
// classic look is what pixels are checked against), the client's profile of the line list, and
// pixel reading from 32-bit bitmaps.
#pragma once

#include "framework/Themes.h"
#include "vtree/VirtualTrees.h"

#include "TreeFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vtree_test {

template <class T> using TOwned = std::unique_ptr<T, graphics_detail::TFreeObject>;

// The RGB colour of a pixel of a 32-bit bitmap (0 the top row).
inline TColor PixelAt(TBitmap& Bitmap, int X, int Y) {
    const Byte* pixel = static_cast<const Byte*>(Bitmap.ScanLine(Y)) + X * 4;
    return MakeColor(pixel[2], pixel[1], pixel[0]);
}

inline std::string Hex(TColor Color) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(Color) & 0xFFFFFF);
    return text;
}

// Counts the pixels of a colour inside R.
inline int CountColor(TBitmap& Bitmap, const TRect& R, TColor Color) {
    int count = 0;
    for (int y = R.top; y < R.bottom; ++y)
        for (int x = R.left; x < R.right; ++x)
            if (PixelAt(Bitmap, x, y) == Color) ++count;
    return count;
}

struct TThemesOff {
    TThemesOff() { TThemeServices::PinThemesOff(true); }
    ~TThemesOff() { TThemeServices::PinThemesOff(false); }
};

// The window's client area as PaintTree renders it for WM_PRINTCLIENT.
inline TOwned<TBitmap> PrintClientOf(TVirtualTreeWindow& Window) {
    const TRect client = Window.ClientRect();
    TOwned<TBitmap> bitmap(new TBitmap(client.Width(), client.Height(), pf32bit));
    SendMessageW(Window.Handle(), WM_PRINTCLIENT,
                 reinterpret_cast<WPARAM>(bitmap->Canvas()->Handle()), PRF_CLIENT);
    return bitmap;
}

// A string tree window on a hidden host, with its window made, and a recorder naming nodes.
class TWindowFixture : public ::testing::Test {
protected:
    TThemesOff FThemes;
    TOwned<TWinControl> Host{new TWinControl(nullptr)};
    TOwned<TVirtualStringTreeWindow> Window;
    TRecorder Recorder;

    explicit TWindowFixture(int Width = 400, int Height = 300) {
        Host->SetVisible(false);
        Host->SetBounds(10, 10, Width + 40, Height + 40);
        Window.reset(Construct<TVirtualStringTreeWindow>(nullptr));
        Window->SetBounds(0, 0, Width, Height);
        Window->SetParent(Host.get());
        Host->HandleNeeded();
        Recorder.Attach(*Window->Tree());
    }

    TBaseVirtualTree& Tree() { return *Window->Tree(); }
    TVTHeader& Header() { return *Window->Header(); }

    // The client's line list: four columns 150/80/70/55, 20-pixel rows, Margin 0, TextMargin 4,
    // horizontal grid lines in clGrayText, full-row selection, selection colour $007D6D37
    // blended with factor 200, an XP-style header 22 pixels high sorted on column 1, no root
    // lines and no buttons.
    void ApplyClientProfile() {
        for (int width : {150, 80, 70, 55}) {
            TVirtualTreeColumn* column = Header().Columns()->Add();
            column->SetWidth(width);
            column->SetText(L"Col" + std::to_wstring(Header().Columns()->Count() - 1));
        }
        Header().SetMainColumn(0);
        Header().SetStyle(hsXPStyle);
        Header().SetOptions(Header().Options() + TVTHeaderOptions{hoVisible, hoShowSortGlyphs});
        Header().SetHeight(22);
        Header().SetSortColumn(1);
        Tree().SetDefaultNodeHeight(20);
        Window->SetMargin(0);
        Window->SetTextMargin(4);
        Window->SetLineStyle(lsSolid);
        Window->Colors()->SetGridLineColor(clGrayText);
        Window->Colors()->SetFocusedSelectionColor(0x007D6D37);
        Window->Colors()->SetFocusedSelectionBorderColor(0x007D6D37);
        Window->SetSelectionBlendFactor(200);
        TCustomVirtualTreeOptions* options = Tree().TreeOptions();
        options->SetPaintOptions(options->PaintOptions() + TVTPaintOptions{toShowHorzGridLines} -
                                 TVTPaintOptions{toShowRoot, toShowButtons, toShowTreeLines});
        options->SetSelectionOptions({toFullRowSelect});
    }

    // Rows named "Row0".."RowN-1" at the top level.
    void AddRows(int Count) {
        for (int i = 0; i < Count; ++i)
            Recorder.Names[Tree().AddChild(nullptr)] = L"Row" + std::to_wstring(i);
    }

    TOwned<TBitmap> PrintClient() { return PrintClientOf(*Window); }

    // The header row as PaintHeader renders it (window coordinates of the header rectangle).
    TOwned<TBitmap> PrintHeader() {
        const TRect header = Window->HeaderRect();
        TOwned<TBitmap> bitmap(new TBitmap(header.right, header.bottom, pf32bit));
        Window->PaintHeader(bitmap->Canvas()->Handle(), header, -Window->EffectiveOffsetX());
        return bitmap;
    }
};

} // namespace vtree_test
