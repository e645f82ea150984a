// Glow bookkeeping without glow windows: a link never gets a glow id here, so hiding forgets
// any id it was given and there is nothing to free.
#include "skin/engine/acGlow.h"

void RefreshControlGlow(TsCommonData* Data, bool Hide) {
    if (Data->GlowID < 0 || !(Hide || !Data->FMouseAbove)) return;
    HideGlowEffect(Data->GlowID);
    Data->GlowID = -1;
}

void HideGlowEffect(int) {}

void ClearGlowEffects() {}
