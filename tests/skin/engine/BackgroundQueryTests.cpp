// A child asking its parent for the background under it, with real windows: skinned parents
// answering command 34 at transparencies 0, 40 and 100, and the fall-backs when nobody answers
// (the global colour, the control's colour, the window painting itself into the DC); graphic
// children kept out of a parent's clip region.
#include "PixelTesting.h"
#include "SkinEngineTesting.h"
#include "SkinnedBox.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"
#include "skin/engine/sFramePrimitives.h"

namespace {

class BackgroundQuery : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        LoadFlatWith(L"[OPAQUE]\r\nCOLOR=$00112233\r\n"
                     L"[HALF]\r\nCOLOR=$00FFFFFF\r\nTRANSPARENCY=40\r\n"
                     L"[CLEAR]\r\nCOLOR=$00FFFFFF\r\nTRANSPARENCY=100\r\n");
        Form = Construct<TForm>(Application);
        Form->SetBounds(20, 20, 300, 200);
        Form->HandleNeeded();
        Grand = new TSkinnedBox(Form, L"HALF", 93, TRect(10, 10, 210, 160));
        Grand->HandleNeeded();
        Target = MakeBmp(50, 50, 3);
        FillBytes(Target.get(), 0x00, 0xFF, 0x00);
    }
    void TearDown() override {
        Form->Free();
        SkinManagerTest::TearDown();
    }
    // The parent asked: a skinned box of Section at (7, 5) on the half-transparent one.
    TSkinnedBox* Parent(const wchar_t* Section) {
        auto* box = new TSkinnedBox(Grand, Section, 93, TRect(7, 5, 107, 85));
        box->HandleNeeded();
        return box;
    }
    DWORD PixelAt(int X, int Y) const {
        const Byte* p = PixelOf(Target.get(), X, Y);
        return RGB(p[2], p[1], p[0]);
    }

    TForm* Form = nullptr;
    TSkinnedBox* Grand = nullptr;
    TBmpPtr Target;
};

TEST_F(BackgroundQuery, SkinnedParentsAnswerAtEachTransparency) {
    // Opaque: its colour.
    TSkinnedBox* parent = Parent(L"OPAQUE");
    TacBackgroundInfo info;
    EXPECT_TRUE(AskWindowBackground(info, parent->Handle(), false));
    EXPECT_EQ(info.Kind, 1);
    EXPECT_EQ(info.Color, 0x112233u);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.FillColor, 0x112233u);
    parent->Free();

    // Half transparent: its cache bitmap, from its own origin.
    parent = Parent(L"HALF");
    info = TacBackgroundInfo{};
    EXPECT_TRUE(AskControlBackground(info, parent, false));
    EXPECT_EQ(info.Kind, 2);
    EXPECT_EQ(info.Bmp, parent->Link->CacheBmp());
    BackgroundToCacheInfo(info, ci);
    EXPECT_TRUE(ci.Ready);
    EXPECT_EQ(ci.Bmp, parent->Link->CacheBmp());
    EXPECT_EQ(ci.X, 0);
    EXPECT_EQ(ci.Y, 0);
    parent->Free();

    // Fully transparent: what lies behind it, its grandparent's cache at its own position.
    parent = Parent(L"CLEAR");
    info = TacBackgroundInfo{};
    EXPECT_TRUE(AskWindowBackground(info, parent->Handle(), false));
    EXPECT_EQ(info.Kind, 2);
    EXPECT_EQ(info.Bmp, Grand->Link->CacheBmp());
    BackgroundToCacheInfo(info, ci);
    EXPECT_EQ(ci.Bmp, Grand->Link->CacheBmp());
    EXPECT_EQ(ci.X, 7);
    EXPECT_EQ(ci.Y, 5);
}

TEST_F(BackgroundQuery, SkinnedParentsAskedToDrawPaintIntoTheDC) {
    // The opaque parent fills R with its colour.
    TSkinnedBox* parent = Parent(L"OPAQUE");
    TacBackgroundInfo info;
    info.DC = Target->Canvas()->Handle();
    info.R = TRect(5, 5, 25, 25);
    EXPECT_TRUE(AskWindowBackground(info, parent->Handle(), true));
    EXPECT_EQ(PixelAt(5, 5), 0x112233u);
    EXPECT_EQ(PixelAt(24, 24), 0x112233u);
    EXPECT_EQ(PixelAt(25, 25), 0x00FF00u);
    parent->Free();

    // The half-transparent one copies its cache from the offset asked for.
    parent = Parent(L"HALF");
    parent->Link->PrepareCacheBmp();
    TBitmap* cache = parent->Link->CacheBmp();
    cache->Canvas()->Brush()->SetColor(static_cast<TColor>(0x0000FF));
    cache->Canvas()->FillRect(TRect(0, 0, cache->Width(), cache->Height()));
    PaintSolidRect(cache->Canvas()->Handle(), TRect(13, 13, 14, 14), static_cast<TColor>(0xFF0000));
    info = TacBackgroundInfo{};
    info.DC = Target->Canvas()->Handle();
    info.R = TRect(5, 5, 25, 25);
    info.Offset = POINT{8, 8};
    EXPECT_TRUE(AskWindowBackground(info, parent->Handle(), true));
    EXPECT_EQ(info.Kind, 2);
    EXPECT_EQ(PixelAt(5, 5), 0x0000FFu);
    EXPECT_EQ(PixelAt(10, 10), 0xFF0000u); // (13, 13) of the cache
    EXPECT_EQ(PixelAt(4, 4), 0x00FF00u);
}

LRESULT CALLBACK SelfPainter(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto fill = [&](TRect R, COLORREF Colour) {
        const HBRUSH brush = CreateSolidBrush(Colour);
        FillRect(reinterpret_cast<HDC>(WParam), &R, brush);
        DeleteObject(brush);
    };
    if (Msg == WM_ERASEBKGND && WParam) {
        fill(TRect(0, 0, 100, 100), 0x0000FF);
        return 1;
    }
    if (Msg == WM_PAINT && WParam) {
        fill(TRect(20, 20, 22, 22), 0xFF0000);
        return 0;
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

TEST_F(BackgroundQuery, WithoutAnAnswerAWindowPaintsItselfOrGivesTheGlobalColour) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &SelfPainter;
    wc.lpszClassName = L"BackgroundQuerySelfPainter";
    RegisterClassW(&wc);
    const HWND wnd = CreateWindowW(wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                                   Form->Handle(), nullptr, nullptr, nullptr);
    // Drawing wanted before the call: the window's erase and paint output at the offset, clipped
    // to R, and R left moved by the offset.
    TacBackgroundInfo info;
    info.DrawRequested = 1;
    info.DC = Target->Canvas()->Handle();
    info.R = TRect(5, 5, 25, 25);
    info.Offset = POINT{10, 10};
    EXPECT_FALSE(AskWindowBackground(info, wnd, false));
    EXPECT_EQ(info.Kind, 0);
    EXPECT_EQ(TRect(info.R), TRect(15, 15, 35, 35));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
            const bool inside = x >= 5 && x < 25 && y >= 5 && y < 25;
            const bool painted = x >= 10 && x < 12 && y >= 10 && y < 12;
            const DWORD want = painted ? 0xFF0000 : inside ? 0x0000FF : 0x00FF00;
            ASSERT_EQ(PixelAt(x, y), want) << x << "," << y;
        }
    // Not wanted: the skin's global colour, and a cache description that is not ready.
    info = TacBackgroundInfo{};
    EXPECT_FALSE(AskWindowBackground(info, wnd, false));
    EXPECT_EQ(info.Kind, 1);
    EXPECT_EQ(info.Color, 0xD0E0F0u);
    TCacheInfo ci;
    BackgroundToCacheInfo(info, ci);
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.Bmp, nullptr);
    EXPECT_EQ(ci.FillColor, 0xD0E0F0u);
    DestroyWindow(wnd);
}

TEST_F(BackgroundQuery, AnUnskinnedControlGivesItsColour) {
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetColor(static_cast<TColor>(0x4080C0));
    panel->HandleNeeded();
    TacBackgroundInfo info;
    EXPECT_FALSE(AskControlBackground(info, panel, false));
    EXPECT_EQ(info.Kind, 1);
    EXPECT_EQ(info.Color, 0x4080C0u);
    // Asked to draw into a bitmap's DC: R filled with that colour.
    info = TacBackgroundInfo{};
    info.Bmp = Target.get();
    info.DC = Target->Canvas()->Handle();
    info.R = TRect(0, 0, 10, 10);
    AskControlBackground(info, panel, true);
    EXPECT_EQ(PixelAt(9, 9), 0x4080C0u);
    EXPECT_EQ(PixelAt(10, 10), 0x00FF00u);
}

// The skinned splitter stands here under its class name, which is how the engine knows it.
class TsSplitter : public TGraphicControl {
    CLASS_INFO(TsSplitter, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;
};

TEST_F(BackgroundQuery, VisibleGraphicChildrenAreKeptOutOfTheClip) {
    auto* panel = new TPanel(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 60, 40);
    auto place = [&](TControl* Child, int Left) {
        Child->SetParent(panel);
        Child->SetBounds(Left, 2, 6, 6);
        return Child;
    };
    place(new TGraphicControl(panel), 2);
    place(new TGraphicControl(panel), 10)->SetVisible(false);
    place(new TsSplitter(panel), 18);
    place(new TPanel(panel), 26);
    const HDC dc = Target->Canvas()->Handle();
    {
        TSavedDC saved(dc);
        ExcludeGraphicChildren(dc, panel, 3, 4);
        PaintSolidRect(dc, TRect(0, 0, 50, 50), static_cast<TColor>(0xFFFFFF));
    }
    EXPECT_EQ(PixelAt(5, 6), 0x00FF00u); // the visible graphic child at (2, 2) + (3, 4)
    EXPECT_EQ(PixelAt(10, 11), 0x00FF00u);
    EXPECT_EQ(PixelAt(11, 12), 0xFFFFFFu);
    for (int left : {10, 18, 26}) // hidden, splitter, windowed
        EXPECT_EQ(PixelAt(left + 3 + 2, 6 + 2), 0xFFFFFFu) << left;
}

} // namespace
