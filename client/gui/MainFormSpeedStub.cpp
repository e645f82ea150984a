// Stands in for the batch latency test's stop until the latency tests' module provides it:
// without a batch test running there is nothing to stop.
#include "client/gui/MainForm.h"

void Tfrmmain::StopSpeedTest() {}
