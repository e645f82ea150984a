// The fade-in of a form, seen through what the fade hands to the bound UpdateLayeredWindow (the
// virtual display has no compositor, so no on-screen alpha is ever looked at) and through the
// windows it makes while it runs.
#include "ProvidedForm.h"
#include "SkinEngineTesting.h"

#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sVclUtils.h"

#include <stdexcept>
#include <vector>

namespace {

// One call of UpdateLayeredWindow as the fade made it.
struct TLayeredUpdate {
    HWND Wnd;
    RECT WindowRect; // where the window was at the time
    NativeInt Tag;   // the window's control's Tag (0 for a raw window)
    SIZE Size;
    POINT Source;
    DWORD Flags;
    BYTE AlphaFormat;
    BYTE Alpha;
    Byte FormAlpha;    // the form's AlphaBlendValue meanwhile
    BYTE InsideAlpha;  // the alpha of the image's pixel at the client offset (the client area)
    BYTE OutsideAlpha; // and of its pixel (0, 0), outside the client area
};

std::vector<TLayeredUpdate> Updates;
TCustomForm* FadingForm = nullptr;
TPoint ClientAt;

BYTE AlphaAt(HDC DC, int X, int Y) {
    DIBSECTION dib{};
    GetObjectW(GetCurrentObject(DC, OBJ_BITMAP), sizeof(dib), &dib);
    const auto* rows = static_cast<const BYTE*>(dib.dsBm.bmBits);
    const int row = dib.dsBmih.biHeight > 0 ? dib.dsBm.bmHeight - 1 - Y : Y;
    return rows[row * dib.dsBm.bmWidthBytes + X * 4 + 3];
}

BOOL WINAPI RecordUpdate(HWND Wnd, HDC, POINT*, SIZE* Size, HDC Source, POINT* SourcePoint,
                         COLORREF, BLENDFUNCTION* Blend, DWORD Flags) {
    TLayeredUpdate update{};
    update.Wnd = Wnd;
    GetWindowRect(Wnd, &update.WindowRect);
    TWinControl* control = TWinControl::FindControl(Wnd);
    update.Tag = control ? control->Tag : 0;
    update.Size = *Size;
    update.Source = *SourcePoint;
    update.Flags = Flags;
    update.AlphaFormat = Blend->AlphaFormat;
    update.Alpha = Blend->SourceConstantAlpha;
    update.FormAlpha = FadingForm->AlphaBlendValue();
    update.InsideAlpha = AlphaAt(Source, ClientAt.x + 1, ClientAt.y + 1);
    update.OutsideAlpha = AlphaAt(Source, 0, 0);
    Updates.push_back(update);
    return TRUE;
}

class FormFade : public SkinManagerTest {
protected:
    void SetUp() override {
        SkinManagerTest::SetUp();
        Updates.clear();
        Form = Construct<TProvidedForm>(Application);
        Form->SetBounds(100, 80, 200, 150);
        Form->Show();
        FadingForm = Form;
    }
    void TearDown() override {
        UpdateLayeredWindowProc = nullptr;
        RemoveSkinnedForm(Form);
        Form->Free();
        if (Borders) DestroyWindow(Borders);
        SkinManagerTest::TearDown();
    }
    // Extended borders 10 px wide around the form, 20 px above it, drawn by a window of their
    // own; the layered copy then lies 10 px left of and 20 px above the form.
    void GiveExtendedBorders() {
        Borders = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 90, 60, 220, 180, nullptr, nullptr,
                                  nullptr, nullptr);
        Form->Borders = Borders;
        Form->CacheSize = TSize{Form->Width() + 20, Form->Height() + 30};
        Form->Offset = TPoint(14, 40);
        ClientAt = Form->Offset;
        Form->Geometry.ExtBorderWidth = 6;
        Form->Geometry.ShadowSize = TRect(8, 12, 8, 8);
        Form->Geometry.WindowBorderWidth = 4;
        Form->Geometry.CaptionHeight = 20;
        Form->Geometry.ExtTitleHeight = 28;
        UpdateLayeredWindowProc = &RecordUpdate;
    }
    std::vector<BYTE> AlphasHandedTo(HWND Wnd) const {
        std::vector<BYTE> alphas;
        for (const TLayeredUpdate& update : Updates)
            if (update.Wnd == Wnd) alphas.push_back(update.Alpha);
        return alphas;
    }

    TProvidedForm* Form = nullptr;
    HWND Borders = nullptr;
};

// A copy of the form fades in through a layered window of the library's own over the extended
// borders, from alpha 0 by Target div (Time div 8) a step, Time div 8 + 1 steps; then the
// extended-border window takes the final image. Under 8 ms there is no step at all. A form with
// AlphaBlend fades to its own value, which is 1 meanwhile.
TEST_F(FormFade, ALayeredFadeHandsRisingAlphasToTheBoundUpdateLayeredWindow) {
    struct TCase {
        Word Time;
        bool AlphaBlend;
        std::vector<BYTE> Fade;
        BYTE Final;
    };
    const TCase cases[] = {
        {16, false, {0, 127, 254, 255}, 255},
        {7, false, {255}, 255},
        {0, false, {255}, 255},
        {16, true, {0, 100, 200, 200}, 200},
        {24, false, {0, 85, 170, 255, 255}, 255},
    };
    GiveExtendedBorders();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Time);
        Updates.clear();
        Form->Events.clear();
        Form->SetAlphaBlend(c.AlphaBlend);
        Form->SetAlphaBlendValue(c.AlphaBlend ? 200 : 255);
        FadeInForm(Form, c.Time);
        ASSERT_EQ(Updates.size(), c.Fade.size() + 1);
        const HWND fade = Updates.front().Wnd;
        EXPECT_NE(fade, Borders);
        EXPECT_EQ(AlphasHandedTo(fade), c.Fade);
        EXPECT_EQ(AlphasHandedTo(Borders), std::vector<BYTE>{c.Final});
        EXPECT_EQ(Updates.back().Wnd, Borders);
        for (const TLayeredUpdate& update : Updates) {
            EXPECT_EQ(update.Size.cx, 220);
            EXPECT_EQ(update.Size.cy, 180);
            EXPECT_EQ(update.Source.x, 0);
            EXPECT_EQ(update.Source.y, 0);
            EXPECT_EQ(update.Flags, static_cast<DWORD>(ULW_ALPHA));
            EXPECT_EQ(update.AlphaFormat, AC_SRC_ALPHA);
            // The form's client area is opaque in the image, the rest is left to the borders.
            EXPECT_EQ(update.InsideAlpha, 255);
            EXPECT_EQ(update.OutsideAlpha, 0);
            // Both windows lie at the form less the shift: x 6 + 8 - 4, y 12 + 28 - 20 - 4.
            EXPECT_EQ(update.WindowRect.left, 100 - 10);
            EXPECT_EQ(update.WindowRect.top, 80 - 16);
            EXPECT_EQ(update.WindowRect.right - update.WindowRect.left, 220);
        }
        EXPECT_EQ(Updates.front().Tag, -98); // never skinned by the hook
        EXPECT_EQ(Updates.front().FormAlpha, c.AlphaBlend ? 1 : 255);
        EXPECT_EQ(Form->AlphaBlendValue(), c.AlphaBlend ? 200 : 255);
        EXPECT_EQ(FadeWindow, nullptr);
        EXPECT_EQ(FadeFormBmp, nullptr);
        EXPECT_FALSE(IsWindow(fade));
        EXPECT_FALSE(FormAnimating);
        EXPECT_TRUE(IsWindowVisible(Borders));
        EXPECT_TRUE(GetWindowLongW(Borders, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_EQ(Form->Events,
                  (std::vector<std::wstring>{L"cache", L"redraw on", L"border region"}));
    }
}

TEST(FormFadeGeometry, TheLayeredCopyIsShiftedByTheBordersAndTheTitle) {
    TacExtBorderGeometry g;
    g.ExtBorderWidth = 6;
    g.ShadowSize = TRect(8, 12, 9, 9);
    g.WindowBorderWidth = 4;
    g.CaptionHeight = 20;
    g.ExtTitleHeight = 28;
    g.NormalExtTitleHeight = 28;
    g.MaxExtTitleHeight = 22;
    EXPECT_EQ(FadeWindowShift(g, false), TPoint(10, 16)); // 12 + 28 - 20 - 4
    // Maximised with its own title height: 12 + 28 + 28 - 20 - 4 - 22.
    EXPECT_EQ(FadeWindowShift(g, true), TPoint(10, 22));
    g.MaxExtTitleHeight = 28;
    EXPECT_EQ(FadeWindowShift(g, true), TPoint(10, 16));
    g.SystemExtTitle = true; // the title is the system's: only the shadow lies above
    EXPECT_EQ(FadeWindowShift(g, true), TPoint(10, 12));
    EXPECT_EQ(FadeWindowShift(g, false), TPoint(10, 12));
}

// A windowed control that notes whether it paints into the fade's bitmap while a fade runs.
class TFadeWitness : public TCustomControl {
public:
    explicit TFadeWitness(TWinControl* Parent) : TCustomControl(Parent) {
        SetParent(Parent);
        SetBounds(10, 10, 40, 30);
    }
    bool PaintedIntoTheFade = false;

protected:
    void Paint() override {
        if (FormAnimating && AnimationDC && FadeFormBmp &&
            AnimationDC == FadeFormBmp->Canvas()->Handle())
            PaintedIntoTheFade = true;
    }
};

// Without layered windows (or extended borders) the form fades in through the output window
// over it: a pop-up of the application window at the form's place, shaped like the form, that
// still covers it as the form may redraw, and is gone afterwards.
TEST_F(FormFade, WithoutLayeredWindowsTheFormFadesInThroughTheOutputWindow) {
    auto* witness = new TFadeWitness(Form);
    witness->HandleNeeded();
    for (const bool borders : {false, true}) {
        SCOPED_TRACE(borders);
        Form->Events.clear();
        Form->Borders = nullptr;
        if (borders) GiveExtendedBorders();
        UpdateLayeredWindowProc = nullptr; // the system has none
        RECT formRect;
        GetWindowRect(Form->Handle(), &formRect);
        bool seen = false;
        Form->OnRedrawOn = [&] {
            if (seen) return;
            seen = true;
            auto* output = dynamic_cast<TOutputWindow*>(FadeWindow);
            ASSERT_NE(output, nullptr);
            const HWND wnd = output->Handle();
            EXPECT_TRUE(IsWindowVisible(wnd));
            EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application->Handle());
            EXPECT_EQ(output->Owner(), Form);
            EXPECT_EQ(output->Text(), L"acOutputWindow");
            RECT rect;
            GetWindowRect(wnd, &rect);
            EXPECT_TRUE(EqualRect(&rect, &formRect));
            HRGN region = CreateRectRgn(0, 0, 0, 0);
            EXPECT_EQ(GetWindowRgn(wnd, region) != ERROR, !borders); // the form's shape
            DeleteObject(region);
            EXPECT_NE(FadeScreenBmp, nullptr);
            EXPECT_FALSE(FormAnimating);
        };
        witness->PaintedIntoTheFade = false;
        FadeInForm(Form, 24);
        Form->OnRedrawOn = nullptr;
        EXPECT_TRUE(seen);
        EXPECT_TRUE(witness->PaintedIntoTheFade);
        EXPECT_EQ(FadeWindow, nullptr);
        EXPECT_EQ(FadeScreenBmp, nullptr);
        EXPECT_EQ(FadeFormBmp, nullptr);
        EXPECT_EQ(AnimationDC, nullptr);
        EXPECT_FALSE(FormAnimating);
    }
}

// A control that fails while the form paints itself into the fade.
class TFailingControl : public TCustomControl {
public:
    explicit TFailingControl(TWinControl* Parent) : TCustomControl(Parent) {
        SetParent(Parent);
        SetBounds(10, 10, 40, 30);
    }

protected:
    void Paint() override {
        if (FadeFormBmp) throw std::runtime_error("paint failed");
    }
};

// A fade that stops on an error leaves no form unable to paint: FormAnimating is cleared and
// the fade's windows and bitmaps are freed.
TEST_F(FormFade, AFadeThatFailsStillLetsFormsPaint) {
    auto* failing = new TFailingControl(Form);
    failing->HandleNeeded();
    for (const bool layered : {false, true}) {
        SCOPED_TRACE(layered);
        if (layered) GiveExtendedBorders();
        EXPECT_THROW(FadeInForm(Form, 16), std::runtime_error);
        EXPECT_FALSE(FormAnimating);
        EXPECT_EQ(AnimationDC, nullptr);
        EXPECT_EQ(FadeWindow, nullptr);
        EXPECT_EQ(FadeScreenBmp, nullptr);
        EXPECT_EQ(FadeFormBmp, nullptr);
    }
    failing->Free();
}

// The output window of a top-level form: a pop-up of the application window, topmost over a
// topmost form, that neither erases its background nor paints a frame.
TEST_F(FormFade, TheOutputWindowOfATopmostForm) {
    SetWindowPos(Form->Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PrepareFadeWindow(Form);
    ASSERT_NE(dynamic_cast<TOutputWindow*>(FadeWindow), nullptr);
    const HWND wnd = FadeWindow->Handle();
    EXPECT_FALSE(GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application->Handle());
    EXPECT_EQ(FadeWindow->Color(), static_cast<TColor>(0x800080));
    EXPECT_EQ(SendMessageW(wnd, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(SendMessageW(wnd, WM_NCPAINT, 1, 0), 0);
    FreeAndNil(FadeWindow);
    FreeAndNil(FadeScreenBmp);
}

// A form on a parent gets the output window right after it on that parent, at its bounds.
TEST_F(FormFade, AParentedFormGetsItsOutputWindowOnItsParent) {
    auto* host = Construct<TForm>(Application);
    host->SetBounds(0, 0, 300, 250);
    host->Show();
    auto* inner = Construct<TForm>(host);
    inner->SetBorderStyle(bsNone);
    inner->SetParent(host);
    inner->SetBounds(30, 20, 120, 90);
    inner->Show();
    auto* later = new TPanel(host); // made after the form: the output window goes between them
    later->SetParent(host);
    later->HandleNeeded();
    PrepareFadeWindow(inner);
    ASSERT_NE(FadeWindow, nullptr);
    EXPECT_EQ(FadeWindow->Parent(), host);
    ASSERT_EQ(host->ControlCount(), 3);
    EXPECT_EQ(host->Controls(0), inner);
    EXPECT_EQ(host->Controls(1), FadeWindow);
    EXPECT_EQ(host->Controls(2), later);
    // Under what lies over the form.
    EXPECT_EQ(GetWindow(FadeWindow->Handle(), GW_HWNDPREV), later->Handle());
    EXPECT_EQ(FadeWindow->BoundsRect(), inner->BoundsRect());
    EXPECT_TRUE(IsWindowVisible(FadeWindow->Handle()));
    EXPECT_EQ(FadeScreenBmp->Width(), 120);
    EXPECT_EQ(FadeScreenBmp->Height(), 90);
    FreeAndNil(FadeWindow);
    FreeAndNil(FadeScreenBmp);
    host->Free();
}

// After a skin change the redraw lock fades each locked form in for SkinChanging.Time, then
// puts its extended borders back at full alpha; with the skin-change animation off nothing
// fades.
TEST_F(FormFade, UnlockingTheFormsAfterASkinChangeFadesThemIn) {
    GiveExtendedBorders();
    AddSkinnedForm(Form);
    Manager->AnimEffects()->SkinChanging()->Time = 16;
    LockFormsRedraw(Manager);
    EXPECT_TRUE(FormAnimating);
    Form->Events.clear();
    UnlockFormsRedraw(Manager, true);
    EXPECT_EQ(AlphasHandedTo(Updates.front().Wnd), (std::vector<BYTE>{0, 127, 254, 255}));
    EXPECT_EQ(Form->Events,
              (std::vector<std::wstring>{L"cache", L"redraw on", L"border region", L"redraw on",
                                         L"done", L"region", L"borders 255"}));
    EXPECT_FALSE(FormAnimating);

    Updates.clear();
    Manager->AnimEffects()->SkinChanging()->Active = false;
    LockFormsRedraw(Manager);
    EXPECT_FALSE(FormAnimating);
    Form->Events.clear();
    UnlockFormsRedraw(Manager, true);
    EXPECT_TRUE(Updates.empty());
    EXPECT_EQ(Form->Events,
              (std::vector<std::wstring>{L"redraw on", L"done", L"region", L"borders 255"}));
}

// A maximised form with extended borders is shown maximised again as the lock ends, and the
// window that was active stays active.
TEST_F(FormFade, AMaximisedFormIsShownMaximisedAgainWithoutTakingTheActivation) {
    GiveExtendedBorders();
    AddSkinnedForm(Form);
    Manager->AnimEffects()->SkinChanging()->Active = false;
    Form->SetWindowState(wsMaximized);
    auto* other = Construct<TForm>(Application);
    other->SetBounds(0, 0, 100, 80);
    other->Show();
    SetActiveWindow(other->Handle());
    ASSERT_EQ(GetActiveWindow(), other->Handle());
    LockFormsRedraw(Manager);
    UnlockFormsRedraw(Manager, true);
    EXPECT_TRUE(IsZoomed(Form->Handle()));
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    EXPECT_EQ(GetActiveWindow(), other->Handle());
    other->Free();
}

} // namespace
