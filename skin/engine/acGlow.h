// Glow windows around hot skinned controls. A glow is shown only from a skin section that has
// one; this build loads no skin, so no glow window is ever made and the routines keep only the
// link's bookkeeping (GlowID -1: none shown).
#pragma once

#include "skin/engine/sCommonData.h"

// Hides a shown glow when the mouse left the control or Hide is set.
void RefreshControlGlow(TsCommonData* Data, bool Hide);
// Frees one glow window.
void HideGlowEffect(int Id);
// Frees every glow window of the process.
void ClearGlowEffects();
