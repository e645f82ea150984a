// What the writer writes through: text gathered in a buffer of its own and handed to the sink
// in runs, so that a document costs one sink call per few thousand characters instead of several
// per token. Private to the module.
#pragma once

#include "support/jsonobject/jsonobject.h"

#include <algorithm>
#include <cstddef>

class TJsonTextOut {
public:
    explicit TJsonTextOut(TJsonWriter& sink) noexcept : FSink(sink) {}
    TJsonTextOut(const TJsonTextOut&) = delete;
    TJsonTextOut& operator=(const TJsonTextOut&) = delete;

    // Each answers false once the sink has failed; nothing more is written then.
    bool Put(const wchar_t* text, std::size_t count) {
        if (count > Capacity - FUsed) return PutLong(text, count);
        wchar_t* to = FBuf + FUsed;
        FUsed += count;
        if (count > 16) { // the tokens between are too short for a call to pay
            std::copy(text, text + count, to);
            return true;
        }
        while (count--) *to++ = *text++;
        return true;
    }
    bool Put(wchar_t c) {
        if (FUsed == Capacity && !Flush()) return false;
        FBuf[FUsed++] = c;
        return true;
    }
    // Room for `count` characters written directly, then handed back with Commit; nil when no
    // room that large fits the buffer or handing the buffer over to the sink failed.
    wchar_t* Room(std::size_t count) {
        if (count > Capacity - FUsed && (count > Capacity || !Flush())) return nullptr;
        return FBuf + FUsed;
    }
    void Commit(const wchar_t* end) noexcept { FUsed = static_cast<std::size_t>(end - FBuf); }
    // Hands what is gathered to the sink.
    bool Flush();
    // The same, answering the result of that last append: 0 when nothing was gathered, -1
    // when the sink failed now or before.
    Integer Finish();

    static constexpr std::size_t Capacity = 4096;

private:
    bool PutLong(const wchar_t* text, std::size_t count);

    TJsonWriter& FSink;
    std::size_t FUsed = 0;
    bool FFailed = false;
    wchar_t FBuf[Capacity];
};

// The text of a double as the C runtime's general format with 15 significant digits gives it,
// with the point always present (see JsonNumberText.cpp); answers its length.
std::size_t DoubleText(double value, wchar_t (&text)[64]);
// The integer's decimal digits; answers their length.
std::size_t IntegerText(Int64 value, wchar_t (&text)[64]);
