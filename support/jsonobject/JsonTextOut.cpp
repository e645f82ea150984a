// The writer's gathering buffer (see JsonTextOut.h).
#include "support/jsonobject/JsonTextOut.h"

#include <utility>

Integer TJsonTextOut::Finish() {
    if (FFailed) return -1;
    const std::size_t used = std::exchange(FUsed, 0);
    if (used == 0) return 0;
    const Integer result = FSink.Append(FBuf, static_cast<Integer>(used));
    FFailed = result < 0;
    return result;
}

bool TJsonTextOut::Flush() { return Finish() >= 0; }

// A run longer than the room left: what is gathered goes first, then the run itself when it
// would not fit the buffer either.
bool TJsonTextOut::PutLong(const wchar_t* text, std::size_t count) {
    if (!Flush()) return false;
    if (count <= Capacity) return Put(text, count);
    if (count > static_cast<std::size_t>(TJsonWriterString::MaxChars) ||
        FSink.Append(text, static_cast<Integer>(count)) < 0)
        FFailed = true;
    return !FFailed;
}
