#include "SkinnedTesting.h"

#include "skin/engine/acGlow.h"

void SkinnedFormTest::SetUp() {
    SkinManagerTest::SetUp();
    Form = Construct<TForm>(Application);
    Form->SetBounds(60, 60, 360, 260);
    Form->SetColor(SkinColour(FormRgb));
}

void SkinnedFormTest::TearDown() {
    ClearGlowEffects();
    Form->Free();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    SkinManagerTest::TearDown();
}

void SkinnedFormTest::ApplySkin() { Load(FolderSkins(), L"TestControls"); }

void SkinnedFormTest::RemoveSkin() { Manager->WriteActive(false); }

void SkinnedFormTest::ShowActive() {
    Form->Show();
    SetForegroundWindow(Form->Handle());
    SetActiveWindow(Form->Handle());
    Application->ProcessMessages();
}

int CountRgb(TBitmap* Bmp, const TRect& R, unsigned Rgb) {
    int count = 0;
    for (int y = R.top; y < R.bottom; ++y)
        for (int x = R.left; x < R.right; ++x) count += RgbAt(Bmp, x, y) == Rgb;
    return count;
}

int CountOther(TBitmap* Bmp, const TRect& R, unsigned Rgb) {
    return R.Width() * R.Height() - CountRgb(Bmp, R, Rgb);
}

int CountUnmixed(TBitmap* Bmp, TBitmap* Normal, int Percent, unsigned Colour) {
    int count = 0;
    for (int y = 0; y < Bmp->Height(); ++y)
        for (int x = 0; x < Bmp->Width(); ++x)
            count += RgbAt(Bmp, x, y) != PercentMix(RgbAt(Normal, x, y), Percent, Colour);
    return count;
}

std::vector<unsigned> FadeFrames(unsigned From, unsigned To, std::initializer_list<int> Weights) {
    std::vector<unsigned> frames;
    for (int weight : Weights) frames.push_back(AlphaBlend(From, To, weight));
    return frames;
}
