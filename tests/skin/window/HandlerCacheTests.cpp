// A handler's cache bitmap: the section painted over the parent's background (once, until the
// background is marked changed again), the plain framed look, the disabled look, and the parent
// showing through the key-colour corners of the border. Pixels are read from the cache.
#include "HandlerTesting.h"

#include "framework/StdCtrls.h"
#include "skin/engine/sConst.h"
#include "skin/engine/sFramePrimitives.h"

#include <memory>

namespace {

using namespace TestSkin;

// What the test parent answers to skin command 34: its bitmap when there is one, else Color.
struct TParentAnswer {
    TColor Color = 0x123456;
    TBitmap* Bmp = nullptr;
};
TParentAnswer ParentAnswer;

LRESULT CALLBACK ParentWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg != SM_ALPHACMD || SkinCommandOf(WParam) != SKCMD_GETBGINFO)
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    auto& info = *reinterpret_cast<TacBackgroundInfo*>(LParam);
    if (ParentAnswer.Bmp) {
        info.Kind = 2;
        info.Bmp = ParentAnswer.Bmp;
        info.Offset = POINT{0, 0};
    } else {
        info.Kind = 1;
        info.Color = static_cast<COLORREF>(ParentAnswer.Color);
    }
    return 0;
}

constexpr const wchar_t* ParentClass = L"HandlerCacheTestParent";
// The child lies at ChildPos of the parent's client area, ChildSize large.
constexpr TPoint ChildPos{10, 20};
constexpr TSize ChildSize{120, 80};

// The parent bitmap's pixel at (X, Y): both coordinates can be read back from it.
TColor ParentPixel(int X, int Y) { return static_cast<TColor>(0x770000 | (Y << 8) | X); }

class HandlerCache : public HandlerTest {
protected:
    void SetUp() override {
        HandlerTest::SetUp();
        RegisterTestWindowClass(ParentClass, ParentWindowProc);
        ParentAnswer = TParentAnswer{};
        ApplySkin();
    }
    void TearDown() override {
        for (TacMainWnd*& handler : Handlers) ReleaseHandler(handler);
        Handlers.clear();
        for (HWND parent : Parents) DestroyWindow(parent);
        Parents.clear();
        ParentAnswer = TParentAnswer{};
        HandlerTest::TearDown();
    }

    // A raw child window of the answering parent with a handler of Section, its position read.
    TacMainWnd* MakeChild(const wchar_t* Section) {
        HWND parent = CreateWindowExW(0, ParentClass, L"parent", WS_OVERLAPPEDWINDOW, 100, 100, 300,
                                      200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        Parents.push_back(parent);
        HWND child = MakeRawWindow(parent);
        TacMainWnd* handler = Construct<TProbeWnd>(child, nullptr, Manager, UnicodeString(Section));
        Handlers.push_back(handler);
        GetWndParams(child, handler->ParentWnd, handler->WndRect, handler->ParentRect,
                     handler->WndSize, handler->WndPos);
        return handler;
    }

    // A parent bitmap of ParentPixel values, answered from now on.
    void AnswerParentBitmap() {
        ParentBmp.reset(new TBitmap(200, 150, pf24bit));
        for (int y = 0; y < ParentBmp->Height(); ++y)
            for (int x = 0; x < ParentBmp->Width(); ++x)
                SetPixel(ParentBmp->Canvas()->Handle(), x, y, ParentPixel(x, y));
        ParentAnswer.Bmp = ParentBmp.get();
    }

    // The handler's cache at the handler's size, all of Color.
    TBitmap* FillCache(TacMainWnd* Handler, TColor Color) {
        Handler->SkinData->InitCacheBmp();
        TBitmap* cache = Handler->SkinData->CacheBmp();
        cache->SetSize(ChildSize.cx, ChildSize.cy);
        PaintSolidRect(cache->Canvas()->Handle(), TRect(0, 0, ChildSize.cx, ChildSize.cy), Color);
        return cache;
    }

    std::vector<HWND> Parents;
    std::vector<TacMainWnd*> Handlers;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> ParentBmp;
};

// The pixels of Bmp that are not Color, as (x, y, colour).
struct TPixel {
    int X, Y;
    TColor Color;
    bool operator==(const TPixel&) const = default;
};
std::vector<TPixel> PixelsOtherThan(TBitmap* Bmp, TColor Color) {
    std::vector<TPixel> found;
    for (int y = 0; y < Bmp->Height(); ++y)
        for (int x = 0; x < Bmp->Width(); ++x)
            if (PixelAt(Bmp, x, y) != Color) found.push_back({x, y, PixelAt(Bmp, x, y)});
    return found;
}

TEST_F(HandlerCache, TheSectionIsPaintedOverTheParentInTheControlsState) {
    struct Case {
        bool Focused, MouseAbove;
        TColor Edge;
    };
    for (const Case c : {Case{false, false, EdgeInactive}, Case{true, false, EdgeActive},
                         Case{false, true, EdgeActive}}) {
        SCOPED_TRACE(testing::Message() << "focused " << c.Focused << ", mouse " << c.MouseAbove);
        TacMainWnd* handler = MakeChild(L"FORM");
        TsCommonData* link = handler->SkinData;
        link->FFocused = c.Focused;
        link->FMouseAbove = c.MouseAbove;
        link->BGChanged = true;
        PrepareHandlerCache(link, handler->CtrlHandle, false);
        TBitmap* cache = link->CacheBmp();
        ASSERT_EQ(cache->Width(), ChildSize.cx);
        ASSERT_EQ(cache->Height(), ChildSize.cy);
        EXPECT_FALSE(link->BGChanged);
        EXPECT_EQ(PixelAt(cache, 0, 0), ParentAnswer.Color) << "a key pixel shows the parent";
        EXPECT_EQ(PixelAt(cache, ChildSize.cx - 1, ChildSize.cy - 1), ParentAnswer.Color);
        EXPECT_EQ(PixelAt(cache, 2, 0), c.Edge) << "the border in the control's state";
        EXPECT_EQ(PixelAt(cache, ChildSize.cx - 3, ChildSize.cy - 1), c.Edge);
        EXPECT_EQ(PixelAt(cache, ChildSize.cx / 2, ChildSize.cy / 2), FormColor);
    }
}

TEST_F(HandlerCache, NothingIsPaintedAgainUntilTheBackgroundIsMarkedChanged) {
    TacMainWnd* handler = MakeChild(L"FORM");
    TsCommonData* link = handler->SkinData;
    link->BGChanged = true;
    PrepareHandlerCache(link, handler->CtrlHandle, false);
    TBitmap* cache = link->CacheBmp();
    SetPixel(cache->Canvas()->Handle(), 50, 40, 0x010203);
    PrepareHandlerCache(link, handler->CtrlHandle, false);
    EXPECT_EQ(PixelAt(cache, 50, 40), 0x010203) << "a second call paints nothing";
    link->BGChanged = true;
    PrepareHandlerCache(link, handler->CtrlHandle, false);
    EXPECT_EQ(PixelAt(cache, 50, 40), FormColor);
}

TEST_F(HandlerCache, SkinCommand23RebuildsTheCacheAndIsPassedOn) {
    TacMainWnd* handler = MakeChild(L"FORM");
    handler->SkinData->BGChanged = true;
    RawSeen.clear();
    SendMessageW(handler->CtrlHandle, SM_ALPHACMD, SkinWParam(SKCMD_PREPARECACHE), 0);
    EXPECT_EQ(RawCount(SM_ALPHACMD), 1);
    EXPECT_FALSE(handler->SkinData->BGChanged);
    TBitmap* cache = handler->SkinData->CacheBmp();
    ASSERT_EQ(cache->Width(), ChildSize.cx);
    EXPECT_EQ(PixelAt(cache, 2, 0), EdgeInactive);
}

TEST_F(HandlerCache, AFramedWindowTakesTheSkinsBorderColourOrLeavesTheBorderOut) {
    TacMainWnd* handler = MakeChild(L"FORM");
    TsCommonData* link = handler->SkinData;
    Manager->SkinData.BorderColor = 0x00CC00;
    link->BGChanged = true;
    PrepareHandlerCache(link, handler->CtrlHandle, true);
    TBitmap* cache = link->CacheBmp();
    EXPECT_EQ(PixelAt(cache, 0, 0), 0x00CC00);
    EXPECT_EQ(PixelAt(cache, ChildSize.cx - 1, 5), 0x00CC00);
    EXPECT_EQ(PixelAt(cache, 1, 1), ColorToRGB(clWindow));
    EXPECT_EQ(PixelAt(cache, ChildSize.cx / 2, ChildSize.cy / 2), ColorToRGB(clWindow));

    Manager->SkinData.BorderColor = static_cast<TColor>(TransparentKeyColor);
    link->BGChanged = true;
    PrepareHandlerCache(link, handler->CtrlHandle, true);
    EXPECT_EQ(PixelAt(cache, 0, 0), FormColor) << "no border, no key corners";
    EXPECT_EQ(PixelAt(cache, 2, 0), FormColor);
}

TEST_F(HandlerCache, AWindowWithoutParentOrLinkIsLeftAlone) {
    HWND top = MakeRawWindow();
    TacMainWnd* handler = Construct<TProbeWnd>(top, nullptr, Manager, UnicodeString(L"FORM"));
    Handlers.push_back(handler);
    handler->SkinData->BGChanged = true;
    PrepareHandlerCache(handler->SkinData, top, false);
    EXPECT_TRUE(handler->SkinData->BGChanged) << "nothing was painted";
    PrepareHandlerCache(nullptr, top, false);
    PrepareHandlerCache(handler->SkinData, nullptr, false);
    EXPECT_TRUE(handler->SkinData->BGChanged);
}

TEST_F(HandlerCache, ADisabledControlIsBlendedWithItsParent) {
    TForm* form = MakeForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 60, 24);
    TsCommonData link(edit, true);
    link.SetSkinSection(L"FORMTITLE");
    PrepareHandlerCache(&link, edit->Handle(), false);
    EXPECT_EQ(PixelAt(link.CacheBmp(), 30, 12), TitleColor);

    edit->SetEnabled(false);
    link.BGChanged = true;
    PrepareHandlerCache(&link, edit->Handle(), false);
    const TColor disabled = PixelAt(link.CacheBmp(), 30, 12);
    const TColor parent = ColorToRGB(form->Color());
    EXPECT_NE(disabled, TitleColor);
    for (int shift : {0, 8, 16}) {
        const int d = (disabled >> shift) & 0xFF, s = (TitleColor >> shift) & 0xFF,
                  p = (parent >> shift) & 0xFF;
        EXPECT_GE(d, std::min(s, p)) << "channel " << shift;
        EXPECT_LE(d, std::max(s, p)) << "channel " << shift;
    }
}

TEST_F(HandlerCache, TheParentShowsThroughTheKeyPixelsOfTheStatesCorners) {
    // State s has its one key pixel at column s of the top row; later states use the last.
    struct Case {
        int State, KeyColumn;
    };
    AnswerParentBitmap();
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{3, 2}, Case{9, 2}}) {
        SCOPED_TRACE(testing::Message() << "state " << c.State);
        TacMainWnd* handler = MakeChild(L"KEYSTATES");
        TBitmap* cache = FillCache(handler, 0x00AA00);
        FillTransparentCorners(handler->SkinData, c.State, *handler);
        const std::vector<TPixel> expected{
            {c.KeyColumn, 0, ParentPixel(c.KeyColumn + ChildPos.x, ChildPos.y)}};
        EXPECT_EQ(PixelsOtherThan(cache, 0x00AA00), expected);
    }
}

TEST_F(HandlerCache, TheCornersChangeOnlyWhenThereIsSomethingToShow) {
    struct Case {
        const char* Name;
        TSize Size;
        bool DlgMode;
        TColor ParentColor;
        bool Changes;
    };
    const Case cases[] = {
        {"a parent colour fills the key pixel", ChildSize, false, 0x123456, true},
        {"a parent of the key colour changes nothing", ChildSize, false,
         static_cast<TColor>(TransparentKeyColor), false},
        {"one pixel wide", TSize{1, ChildSize.cy}, false, 0x123456, false},
        {"one pixel high", TSize{ChildSize.cx, 1}, false, 0x123456, false},
        {"dialog mode", ChildSize, true, 0x123456, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ParentAnswer.Color = c.ParentColor;
        TacMainWnd* handler = MakeChild(L"KEYSTATES");
        handler->WndSize = c.Size;
        handler->DlgMode = c.DlgMode;
        TBitmap* cache = FillCache(handler, 0x00AA00);
        FillTransparentCorners(handler->SkinData, 0, *handler);
        const std::vector<TPixel> changed = PixelsOtherThan(cache, 0x00AA00);
        if (c.Changes)
            EXPECT_EQ(changed, (std::vector<TPixel>{{0, 0, c.ParentColor}}));
        else
            EXPECT_TRUE(changed.empty()) << changed.size() << " pixels changed";
    }
}

} // namespace
