// The names and texts of a dial attempt that do not depend on the window: the phonebook entry's
// name and the attempt's identifier (both from the local time), the VPN device by protocol and
// language, and the texts of the dial error codes. Texts follow `lang_code` (AppShared).
#pragma once

#include "framework/DateTime.h"

// The recorded dial state of a tunnel that is up.
inline constexpr Integer RasConnected = 8192;

// A recorded state that ends a dial as an error: above 601 and at most 1000.
bool IsDialError(Integer state) noexcept;
// "Error:691 Username or password cannot be verified", or its Chinese form.
UnicodeString DialErrorText(Integer code);

// The entry name: month and day with two digits, then hour, minute and second without leading
// zeros and milliseconds with at least two digits ("mmddhnszz").
UnicodeString DialEntryName(TDateTime time);
// "yyyymmddhnszz" followed by 8 random decimal digits.
UnicodeString NewUniqueId(TDateTime time);

// The VPN miniport's name for PPTP or L2TP in the current language.
UnicodeString VpnDeviceName(bool l2tp);
