// The exchanges' read time-outs as a table the tests can replace: the product always runs on
// the built-in values, and a test that proves a time-out waits a fraction of the real one.
// Each value is atomic because the exchanges also run on worker threads.
#include "client/AccountServerProtocol.h"

#include <atomic>

namespace {

std::atomic<Cardinal> PostTimeout{AccountPostTimeout};
std::atomic<Cardinal> LineCheckTimeout{LineCheckPostTimeout};

} // namespace

TAccountTimeouts AccountTimeouts() { return {PostTimeout.load(), LineCheckTimeout.load()}; }

TAccountTimeouts SetAccountTimeouts(const TAccountTimeouts& timeouts) {
    return {PostTimeout.exchange(timeouts.Post), LineCheckTimeout.exchange(timeouts.LineCheck)};
}
