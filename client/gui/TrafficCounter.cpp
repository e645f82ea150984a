// The traffic totals and the online time of the connected window. The time is a duration (from
// the system's tick count), never a difference of wall-clock times, so changing the clock while
// connected cannot make it negative.
#include "client/gui/TrafficCounter.h"

#include "client/AppShared.h"

#include "framework/Conversions.h"

#include <cstdio>

void TTrafficCounter::Reset() noexcept {
    FTotal = 0;
    FLast = 0;
}

void TTrafficCounter::Update(Cardinal reading) noexcept {
    // Unsigned subtraction gives the bytes counted since the last reading across a wrap too.
    FTotal += static_cast<Cardinal>(reading - FLast);
    FLast = reading;
}

Int64 TrafficKilobytes(Int64 bytes) { return Round(static_cast<double>(bytes) * 0.001); }

UnicodeString OnlineTimeText(UInt64 milliseconds) {
    const UInt64 seconds = milliseconds / 1000;
    wchar_t text[16];
    std::swprintf(text, 16, L"%02u:%02u:%02u", static_cast<unsigned>(seconds / 3600 % 24),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
}

UnicodeString TrafficText(Int64 sentBytes, Int64 receivedBytes, UInt64 onlineMilliseconds) {
    return LangText(L"Data:", L"已加速:") + IntToStr(TrafficKilobytes(sentBytes)) + L"KB/" +
           IntToStr(TrafficKilobytes(receivedBytes)) + L"KB" +
           LangText(L"  Time:", L"  在线时间:") + OnlineTimeText(onlineMilliseconds);
}
