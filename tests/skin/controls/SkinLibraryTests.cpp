// The skin library's start-up and shut-down: the globals, pictures and bound functions it makes
// with the program's own resources and releases again, a missing shadow picture, the "/acver"
// banner (its message box closed by the test), and the fall-backs when a system library or
// function is missing (its name swapped for one that does not exist).
#include "skin/controls/sGlyphUtils.h"
#include "skin/controls/sSkinLibraryModules.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sGradient.h"
#include "skin/engine/sSkinLibrary.h"
#include "skin/engine/sSkinManager.h"

#include "SkinTesting.h"

#include <memory>
#include <set>

namespace {

using SkinLibrary = SkinTest;

// Runs the library's modules for one test, putting back the picture format they replace.
class TRunningLibrary {
public:
    TRunningLibrary() : FPng(TPicture::GraphicClassFor(L"png")) {
        try {
            InitializeModules(SkinLibraryModules());
        } catch (...) {
            Stop();
            throw;
        }
    }
    ~TRunningLibrary() { Stop(); }
    void Stop() {
        if (FStopped) return;
        FStopped = true;
        FinalizeModules();
        if (FPng) TPicture::RegisterFileFormat(L"png", L"PNG images", FPng);
    }

private:
    TClass FPng;
    bool FStopped = false;
};

Byte AlphaAt(TBitmap* Bmp, int X, int Y) {
    return static_cast<const Byte*>(Bmp->ScanLine(Y))[4 * X + 3];
}

TEST_F(SkinLibrary, StartsWithTheProgramsResourcesAndReleasesEverything) {
    EXPECT_EQ(EmptyCacheInfo.X, -99);
    EXPECT_EQ(EmptyCacheInfo.Y, -99);
    EXPECT_FALSE(EmptyCacheInfo.Ready);
    TRunningLibrary library;
    EXPECT_EQ(HScrollBtnWidth, GetSystemMetrics(SM_CXHSCROLL));
    EXPECT_TRUE(IsWinNT);
    EXPECT_EQ(TPicture::GraphicClassFor(L"png"), TPNGGraphic::StaticClass());
    // The shadows: 32-bit pictures, borders 11, 7, 11 and 11 around a clear centre, the active
    // one darker.
    for (TPNGGraphic* shadow : {ShadowTemplateActive, ShadowTemplateInactive}) {
        ASSERT_NE(shadow, nullptr);
        EXPECT_EQ(shadow->PixelFormat(), pf32bit);
        EXPECT_EQ(shadow->Width(), 11 + 10 + 11);
        EXPECT_EQ(shadow->Height(), 7 + 10 + 11);
        EXPECT_EQ(AlphaAt(shadow, 15, 12), 0);
        EXPECT_GT(AlphaAt(shadow, 10, 12), 0);
    }
    EXPECT_GT(AlphaAt(ShadowTemplateActive, 10, 12), AlphaAt(ShadowTemplateInactive, 10, 12));
    // The default glyphs, as 32-bit bitmaps of the list.
    TsAlphaImageList* glyphs = DefaultGlyphList();
    ASSERT_NE(glyphs, nullptr);
    EXPECT_EQ(glyphs->Count(), 5);
    TBitmap glyph;
    ASSERT_TRUE(glyphs->GetBitmap32(0, &glyph));
    EXPECT_EQ(glyph.Width(), 48);
    EXPECT_EQ(AlphaAt(&glyph, 3, 3), 255); // "SF": a frame from (3, 3), clear inside
    EXPECT_EQ(AlphaAt(&glyph, 7, 7), 0);
    // The optional functions this system has.
    EXPECT_NE(GradientFillProc, nullptr);
    EXPECT_NE(UpdateLayeredWindowProc, nullptr);
    EXPECT_NE(SetWindowThemeProc, nullptr);
    EXPECT_NE(GetScrollBarInfoProc, nullptr);
    EXPECT_NE(InitializeFlatSBProc, nullptr);
    EXPECT_NE(UninitializeFlatSBProc, nullptr);
    EXPECT_NE(AppSmallIcon, nullptr);
    EXPECT_NE(AppLargeIcon, nullptr);
    library.Stop();
    EXPECT_EQ(ShadowTemplateActive, nullptr);
    EXPECT_EQ(ShadowTemplateInactive, nullptr);
    EXPECT_EQ(DefaultGlyphList(), nullptr);
    EXPECT_EQ(GradientFillProc, nullptr);
    EXPECT_EQ(UpdateLayeredWindowProc, nullptr);
    EXPECT_EQ(SetWindowThemeProc, nullptr);
    EXPECT_EQ(GetScrollBarInfoProc, nullptr);
    EXPECT_EQ(InitializeFlatSBProc, nullptr);
    EXPECT_EQ(AppSmallIcon, nullptr);
    EXPECT_EQ(AppLargeIcon, nullptr);
    EXPECT_FALSE(OptionalLibrary(TOptionalLibrary::GradientFill).Loaded());
}

TEST_F(SkinLibrary, MissingShadowPictureStopsTheStartUp) {
    EXPECT_THROW(LoadShadowTemplates(GetModuleHandleW(L"kernel32.dll")), EResNotFound);
    EXPECT_EQ(ShadowTemplateActive, nullptr);
    EXPECT_EQ(ShadowTemplateInactive, nullptr);
}

// Closes every message box of this thread that shows up while it lives, noting its text: a
// thread timer runs inside the box's own message loop.
class TBoxCloser {
public:
    TBoxCloser() : FTimer(SetTimer(nullptr, 0, 20, &Tick)) { Texts().clear(), Closed().clear(); }
    ~TBoxCloser() { KillTimer(nullptr, FTimer); }
    static std::vector<UnicodeString>& Texts() {
        static std::vector<UnicodeString> texts;
        return texts;
    }

private:
    static std::set<HWND>& Closed() {
        static std::set<HWND> closed;
        return closed;
    }
    static BOOL CALLBACK CloseBox(HWND Wnd, LPARAM) {
        wchar_t name[16] = {};
        GetClassNameW(Wnd, name, 16);
        if (UnicodeString(name) != L"#32770" || !Closed().insert(Wnd).second) return TRUE;
        wchar_t text[256] = {};
        GetDlgItemTextW(Wnd, 0xFFFF, text, 256);
        Texts().push_back(text);
        PostMessageW(Wnd, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), &CloseBox, 0);
    }
    UINT_PTR FTimer;
};

TEST_F(SkinLibrary, VersionSwitchShowsTheBannerOnce) {
    struct TCase {
        std::vector<UnicodeString> Params;
        int Boxes;
    } cases[] = {{{L"/ACVER"}, 1},
                 {{L"-x", L"/acver", L"/AcVer"}, 1}, // given twice, shown once
                 {{L"acver", L"/acverx", L"/ac"}, 0},
                 {{}, 0}};
    for (const TCase& c : cases) {
        TBoxCloser closer;
        CheckVersionSwitch(c.Params);
        ASSERT_EQ(int(TBoxCloser::Texts().size()), c.Boxes);
        for (const UnicodeString& text : TBoxCloser::Texts()) EXPECT_EQ(text, L"Glazelkit v6.48");
    }
}

TEST_F(SkinLibrary, MissingSystemFunctionsLeaveTheirFallBacks) {
    // One library that does not exist, others that exist without the function.
    struct TSwap {
        TOptionalLibrary Library;
        const wchar_t* Name;
    } swaps[] = {{TOptionalLibrary::GradientFill, L"no_such_library_here.dll"},
                 {TOptionalLibrary::Layered, L"kernel32.dll"},
                 {TOptionalLibrary::Theme, L"kernel32.dll"},
                 {TOptionalLibrary::ScrollBars, L"kernel32.dll"},
                 {TOptionalLibrary::FlatScrollBars, L"no_such_library_here.dll"}};
    std::vector<UnicodeString> names;
    for (const TSwap& swap : swaps) {
        names.push_back(OptionalLibrary(swap.Library).LibraryName());
        OptionalLibrary(swap.Library).SetLibraryName(swap.Name);
    }
    std::unique_ptr<TsSkinManager, graphics_detail::TFreeObject> manager(
        new TsSkinManager(nullptr));
    manager->SetAllowGlowing(true);
    manager->WriteExtendedBorders(true);
    {
        TRunningLibrary library;
        EXPECT_EQ(GradientFillProc, nullptr);
        EXPECT_EQ(UpdateLayeredWindowProc, nullptr);
        EXPECT_EQ(SetWindowThemeProc, nullptr);
        EXPECT_EQ(GetScrollBarInfoProc, nullptr);
        EXPECT_EQ(InitializeFlatSBProc, nullptr);
        EXPECT_EQ(UninitializeFlatSBProc, nullptr);
        // Without layered windows neither glow nor extended borders, whatever was stored.
        EXPECT_FALSE(manager->ReadAllowGlowing());
        EXPECT_FALSE(manager->ReadExtendedBorders());
    }
    for (std::size_t i = 0; i < std::size(swaps); ++i)
        OptionalLibrary(swaps[i].Library).SetLibraryName(names[i]);
    // With the system's own libraries the stored values count again.
    TRunningLibrary library;
    EXPECT_TRUE(manager->ReadAllowGlowing());
    EXPECT_TRUE(manager->ReadExtendedBorders());
}

} // namespace
