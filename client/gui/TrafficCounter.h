// What the connected window shows of a tunnel's use: the byte totals and the online time.
//
// The dial-up layer counts bytes in 32-bit counters that wrap after 4 GiB; `TTrafficCounter`
// follows one of them and carries each wrap into a 64-bit total, so a long connection's total
// never goes back or turns negative. It assumes it is read at least once per wrap (every few
// seconds against 4 GiB), and that the counter starts again only with a new connection, when the
// caller resets it.
#pragma once

#include "framework/System.h"

class TTrafficCounter {
public:
    // Starts again from zero, expecting the counter to start from zero too.
    void Reset() noexcept;
    // Takes the counter's current reading; a reading below the last one is a wrap.
    void Update(Cardinal reading) noexcept;
    Int64 Total() const noexcept { return FTotal; }

private:
    Int64 FTotal = 0;
    Cardinal FLast = 0;
};

// Whole kilobytes of a byte total as shown: bytes × 0.001 rounded to the nearest integer.
Int64 TrafficKilobytes(Int64 bytes);
// "hh:nn:ss" of a duration in milliseconds; the hours start again after 24.
UnicodeString OnlineTimeText(UInt64 milliseconds);
// The traffic line of the connected window in the current language.
UnicodeString TrafficText(Int64 sentBytes, Int64 receivedBytes, UInt64 onlineMilliseconds);
