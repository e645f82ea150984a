// The phases of the main window's connect cycle and the transitions allowed between them,
// checked at every change in debug and test builds (VELMORA_CHECK_INVARIANTS). The progress
// timers that move a dial on are in MainFormDialStatus.cpp.
//
//     idle --connect--> preparing --dial started--> dialling --8192--> connected
//       ^                   |                          |                   |
//       +-------------------+--------------------------+-------------------+
//            the attempt ended    a dial error, the 17 s     disconnect, a drop (automatic
//            before its dial      time-out, disconnect       redial then connects again)
//
// Every road that ends an attempt returns to idle, some of them twice. Nothing connects a
// window that is not dialling (a late state of an ended dial must not flip it), and a window
// that is connected is not told so again.
#pragma once

enum class TDialPhase { Idle, Preparing, Dialling, Connected };

struct TDialPhaseChange {
    TDialPhase From, To;
};

inline constexpr TDialPhaseChange DialPhaseChanges[] = {
    {TDialPhase::Idle, TDialPhase::Idle},      {TDialPhase::Idle, TDialPhase::Preparing},
    {TDialPhase::Preparing, TDialPhase::Idle}, {TDialPhase::Preparing, TDialPhase::Dialling},
    {TDialPhase::Dialling, TDialPhase::Idle},  {TDialPhase::Dialling, TDialPhase::Connected},
    {TDialPhase::Connected, TDialPhase::Idle},
};

#ifdef VELMORA_CHECK_INVARIANTS
// Raises EAssertionFailed when `DialPhaseChanges` has no row from `From` to `To`.
void CheckDialPhaseChange(TDialPhase From, TDialPhase To);
#endif
