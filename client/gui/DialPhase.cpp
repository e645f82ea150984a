// The check of a change of the connect cycle's phase against its table (DialPhase.h).
#include "client/gui/DialPhase.h"

#ifdef VELMORA_CHECK_INVARIANTS

#include "framework/Exceptions.h"

namespace {
const wchar_t* const PhaseNames[] = {L"idle", L"preparing", L"dialling", L"connected"};
} // namespace

void CheckDialPhaseChange(TDialPhase From, TDialPhase To) {
    for (const TDialPhaseChange& change : DialPhaseChanges)
        if (change.From == From && change.To == To) return;
    throw EAssertionFailed(UnicodeString(L"The connect cycle cannot go from ") +
                           PhaseNames[static_cast<int>(From)] + L" to " +
                           PhaseNames[static_cast<int>(To)]);
}

#endif
