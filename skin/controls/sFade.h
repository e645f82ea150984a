// Fading of skinned buttons between two looks: the old image blended toward the new cache
// image in timed frames. Declared here, in order: the frame weight, TsFadeTimer (windowed
// buttons: the timer draws each frame onto the control's window), TsAnimTimer (graphic buttons:
// the control draws the frame the timer blended), and the routines the controls start and stop
// fades with.
//
// Frame K of N weighs the old image W = 255 - K * 256 div N, limited to 0..255: with 5 frames
// 204, 153, 102, 51, 0. A timer lives only while a fade runs; the control frees it (StopFade,
// or its own stop on skin command 16, which the timer sends once it passed its last frame).
// Both tick every 10 ms through the class library's timer; GUI thread only.
#pragma once

#include "framework/Timers.h"
#include "skin/engine/sCommonData.h"

#include <memory>

// The old image's weight in frame `FadeLevel` of `Iterations`.
int FadeWeight(int FadeLevel, int Iterations);

// The section of a link fades, and in how many frames (5 when the skin does not say).
bool SectionFadingEnabled(const TsCommonData* Data);
int SectionFadingIterations(const TsCommonData* Data);

class TsFadeTimer : public TTimer {
    CLASS_INFO(TsFadeTimer, TTimer)
public:
    explicit TsFadeTimer(TComponent* AOwner);
    ~TsFadeTimer() override;

    TFadeDirection Direction() const noexcept { return FDirection; }
    // fdNone stops the timer, fdUp and fdDown run it.
    void SetDirection(TFadeDirection Value);
    TsCommonData* OwnerData() const noexcept { return FOwnerData; }
    // Captures the control's present image as the old one and sets the frame count.
    void SetOwnerData(TsCommonData* Value);
    // One tick: ends the fade past its last frame, else draws the next frame.
    void Timer() override;
    // Blends one frame and shows it on the control's window; counts the frame in any case.
    void Change();

    int Iterations = 0;
    int FadeLevel = 1;
    TBitmap* BmpFrom() const noexcept { return FBmpFrom.get(); }

private:
    bool ToEnd();
    void ShowFrame(TBitmap* Frame);
    void NoTimerEvent(TObject*) {}

    TFadeDirection FDirection = fdNone;
    TsCommonData* FOwnerData = nullptr;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FBmpFrom;
};

class TsAnimTimer : public TTimer {
    CLASS_INFO(TsAnimTimer, TTimer)
public:
    explicit TsAnimTimer(TComponent* AOwner);
    ~TsAnimTimer() override;

    TsCommonData* OwnerData() const noexcept { return FOwnerData; }
    void SetOwnerData(TsCommonData* Value);
    void Timer() override;
    // Blends one frame into TmpBmp and has the control show it; counts the frame in any case.
    void DoFade();

    int Iterations = 0;
    int FadeLevel = 0;
    bool FadeInProcess = false;
    TBitmap* BmpFrom() const noexcept { return FBmpFrom.get(); }
    TBitmap* TmpBmp() const noexcept { return FTmpBmp.get(); }

private:
    bool ToEnd();
    void Repaint();
    void NoTimerEvent(TObject*) {}

    TsCommonData* FOwnerData = nullptr;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FBmpFrom;
    std::unique_ptr<TBitmap, graphics_detail::TFreeObject> FTmpBmp;
};

// Event is in Events, or aeGlobalDef is and the manager (null: the default one) fades the
// button event Event maps to.
bool AnimationAllowed(TacAnimatEvent Event, TacAnimatEvents Events,
                      TsSkinManager* Manager = nullptr);
// Starts (or restarts) a fade of Data's control when its section fades.
void PrepareFadeTimer(TsFadeTimer*& Timer, TsCommonData* Data, bool Half, TFadeDirection Direction);
// A skinned control changed its look: fade when allowed, else mark it changed and repaint.
void FadeOrRepaint(TsFadeTimer*& Timer, TsCommonData* Data, bool Half, bool Allowed,
                   TFadeDirection Direction);
// Stops and frees a fade timer; nothing for null or one being destroyed.
void StopFade(TsFadeTimer*& Timer, TsCommonData* Data);
