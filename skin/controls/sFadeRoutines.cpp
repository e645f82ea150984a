// The routines with which skinned buttons start and stop fades, and the section values they
// read. A section index the manager does not know is a programming error of the caller (fades
// start only while skinned) and raises ERangeError instead of reading past the section table.
#include "skin/controls/sFade.h"

#include "skin/controls/sSkinnedControl.h"
#include "skin/engine/acGlow.h"
#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sVclUtils.h"

int FadeWeight(int FadeLevel, int Iterations) {
    if (Iterations == 0) return 0;
    return ClampToByte(255 - FadeLevel * 256 / Iterations);
}

namespace {

TsSkinManager* CheckedManager(const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    if (manager && !manager->IsValidSkinIndex(Data->SkinIndex))
        throw ERangeError(L"Skin section index out of range");
    return manager;
}

TacBtnEvent ButtonEventOf(TacAnimatEvent Event) {
    switch (Event) {
    case aeMouseEnter: return beMouseEnter;
    case aeMouseLeave: return beMouseLeave;
    case aeMouseDown: return beMouseDown;
    default: return beMouseUp;
    }
}

} // namespace

bool SectionFadingEnabled(const TsCommonData* Data) {
    TsSkinManager* manager = CheckedManager(Data);
    return manager && manager->FadingEnabled(Data->SkinIndex);
}

int SectionFadingIterations(const TsCommonData* Data) {
    TsSkinManager* manager = CheckedManager(Data);
    return manager ? manager->FadingIterations(Data->SkinIndex) : 5;
}

bool AnimationAllowed(TacAnimatEvent Event, TacAnimatEvents Events, TsSkinManager* Manager) {
    if (Events.Contains(Event)) return true;
    if (!Events.Contains(aeGlobalDef)) return false;
    if (!Manager) Manager = DefaultSkinManager;
    return Manager && Manager->ButtonEvents().Contains(ButtonEventOf(Event));
}

void PrepareFadeTimer(TsFadeTimer*& Timer, TsCommonData* Data, bool Half,
                      TFadeDirection Direction) {
    if (!SectionFadingEnabled(Data)) return;
    if (Timer) {
        Timer->FadeLevel = SectionFadingIterations(Data);
    } else {
        Timer = new TsFadeTimer(Data->FOwnerControl);
        Timer->SetEnabled(false);
        Timer->FadeLevel = 1;
    }
    Timer->SetOwnerData(Data);
    if (Half) Timer->Iterations /= 2;
    if (Timer->FadeLevel >= Timer->Iterations || Timer->FadeLevel <= 0) Timer->FadeLevel = 1;
    PerformSkinCommand(Data->FOwnerControl, SKCMD_PREPARECACHE);
    Timer->SetDirection(Direction);
}

void FadeOrRepaint(TsFadeTimer*& Timer, TsCommonData* Data, bool Half, bool Allowed,
                   TFadeDirection Direction) {
    if (!Data->Skinned()) return;
    const bool fade = Allowed && !SkinLoading && SectionFadingEnabled(Data) && !FadingSuspended &&
                      Data->CacheBmp() && !Data->BGChanged;
    Data->BGChanged = true;
    if (fade) {
        PrepareFadeTimer(Timer, Data, Half, Direction);
    } else {
        StopFade(Timer, Data);
        if (Data->FOwnerControl) Data->FOwnerControl->Repaint();
    }
    RefreshControlGlow(Data, Half);
}

void StopFade(TsFadeTimer*& Timer, TsCommonData*) {
    if (!Timer || Timer->ComponentState().Contains(csDestroying)) return;
    Timer->SetEnabled(false);
    Timer->SetDirection(fdNone);
    FreeAndNil(Timer);
}
