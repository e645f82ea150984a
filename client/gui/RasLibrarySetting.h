// VELMORA_RAS_LIBRARY, when set, is the full path of the dial-up library the client dials
// through instead of the system's: the run script and the tests name a simulated one, so that
// connecting works on a machine without any VPN.
#pragma once

// Hands the path to the dial-up library's binder; call it before the first dial-up component.
void ApplyRasLibrarySetting();
