// Helpers of the skinned-control tests: a form of the application (the skin's broadcasts reach
// it) shown and active, with the controls' test skin applied by the default manager, and the
// counts of pixels in a rectangle of a cache bitmap.
#pragma once

#include "SectionTesting.h"

#include "framework/Application.h"
#include "framework/Forms.h"

#include <initializer_list>
#include <vector>

// The parent form's colour: nothing the skin paints has it.
inline constexpr unsigned FormRgb = 0x405060;

class SkinnedFormTest : public SkinManagerTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Reads TestControls and applies it to every form (command 1 reaches the controls).
    void ApplySkin();
    // Removes the skin from every form (command 2).
    void RemoveSkin();
    // Shows the form and makes it the active window (there is no window manager).
    void ShowActive();
    // A control of class T placed on Parent (null: the form) at Bounds.
    template <class T> T* Place(const TRect& Bounds, TWinControl* Parent = nullptr) {
        T* control = Construct<T>(Form);
        control->SetParent(Parent ? Parent : Form);
        control->SetBounds(Bounds.left, Bounds.top, Bounds.Width(), Bounds.Height());
        return control;
    }

    TForm* Form = nullptr;
};

// How many pixels of R hold Rgb.
int CountRgb(TBitmap* Bmp, const TRect& R, unsigned Rgb);
// How many pixels of R do not hold Rgb.
int CountOther(TBitmap* Bmp, const TRect& R, unsigned Rgb);
// How many pixels of Bmp are not Percent of Normal's pixel and the rest of Colour (the
// disabled look over a plain parent); both bitmaps of one size.
int CountUnmixed(TBitmap* Bmp, TBitmap* Normal, int Percent, unsigned Colour);
// The fade frames' probed pixels from From to To for the given old-image weights.
std::vector<unsigned> FadeFrames(unsigned From, unsigned To, std::initializer_list<int> Weights);
// Handles messages until Done answers True or Ms pass; answers Done.
template <class Pred> bool Settle(Pred Done, DWORD Ms = 3000) {
    const DWORD start = GetTickCount();
    while (!Done() && GetTickCount() - start < Ms) {
        Application->ProcessMessages();
        Sleep(1);
    }
    return Done();
}
