// The skin manager's queries while no skin can be loaded, and the process-wide skinning state.
// The sections' fade values default as a skin without the keys gives them: no fading, 5 frames.
#include "skin/engine/sSkinManager.h"

TsSkinManager* DefaultSkinManager = nullptr;
bool FormAnimating = false;
HDC AnimationDC = nullptr;
bool SkinLoading = false;

int TsSkinManager::GetSkinIndex(const UnicodeString&) const { return -1; }

bool TsSkinManager::IsValidSkinIndex(int) const noexcept { return false; }

bool TsSkinManager::FadingEnabled(int) const noexcept { return false; }

int TsSkinManager::FadingIterations(int) const noexcept { return 5; }
