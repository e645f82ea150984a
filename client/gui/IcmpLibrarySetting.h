// VELMORA_ICMP_LIBRARY, when set, is the full path of the ICMP helper library the batch latency
// test pings through instead of the system's: the run script's demo names the scripted one of
// the tests, so that its lines show a spread of delays and losses without sending anything.
#pragma once

// Hands the path to the ping component's binder; call it before the first latency test.
void ApplyIcmpLibrarySetting();
