// The kinds of recorded dial state and the check of a change against the table of allowed
// transitions (`RasStateChanges`, dunrascon.h), made at every write in debug and test builds.
#include "rasdial/dunrascon.h"

#include "framework/Exceptions.h"

TRasStateKind RasStateKindOf(Word state) noexcept {
    if (state == 0) return KindStart;
    if (state <= 23 || (state >= 4096 && state <= 4100)) return KindProgress;
    if (state == RASCS_Connected) return KindConnected;
    if (state == RASCS_Disconnected) return KindDisconnected;
    if (state == RasErrorNoStatus) return KindNoStatus;
    return KindOtherCode;
}

#ifdef VELMORA_CHECK_INVARIANTS
namespace {
const wchar_t* const WriterNames[] = {L"a dial's start", L"a hang-up",        L"a status query",
                                      L"a status reply", L"a notified state", L"a notified error"};
} // namespace

void CheckRasStateChange(TRasStateWriter writer, Word from, Word to) {
    const unsigned fromKind = RasStateKindOf(from), toKind = RasStateKindOf(to);
    for (const TRasStateChange& change : RasStateChanges)
        if (change.Writer == writer && (change.From & fromKind) && (change.To & toKind)) return;
    throw EAssertionFailed(L"Dial state change " + std::to_wstring(from) + L" -> " +
                           std::to_wstring(to) + L" is not one " +
                           WriterNames[static_cast<int>(writer)] + L" may make");
}
#endif

void TDunRasCon::SetConnectState(TRecorded& s, TRasStateWriter writer, Word state) {
#ifdef VELMORA_CHECK_INVARIANTS
    CheckRasStateChange(writer, s.ConnectState, state);
#endif
    s.ConnectState = state;
}
