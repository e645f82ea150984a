// Where the writer's text goes: a growing string buffer, a byte stream, a counter or a socket.
// The byte sinks write one byte per character; a character above 255 cannot be a byte, so it
// is written as the escape \uXXXX. Such characters only occur inside quoted strings and names
// (everything else the writer produces is ASCII), where the escape reads back as the same
// character.
#include "support/jsonobject/jsonobject.h"

#include <winsock2.h>

#include <algorithm>
#include <limits>
#include <string>

namespace {

// The bytes for `count` characters, with characters above 255 escaped.
std::string ToBytes(const wchar_t* buf, Integer count) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string bytes;
    bytes.reserve(static_cast<size_t>(count));
    for (Integer i = 0; i < count; ++i) {
        const unsigned c = static_cast<unsigned>(buf[i]);
        if (c <= 255) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        bytes += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) bytes.push_back(hex[(c >> shift) & 15]);
    }
    return bytes;
}

} // namespace

Integer TJsonWriter::Append(const UnicodeString& text) {
    if (text.size() > static_cast<size_t>(TJsonWriterString::MaxChars)) return -1;
    return Append(text.c_str(), static_cast<Integer>(text.size()));
}

TJsonWriterString::TJsonWriterString() : FBuf(32, L'\0') {}

Integer TJsonWriterString::Append(const wchar_t* buf, Integer count) {
    if (count <= 0) return count;
    if (count > MaxChars - FBPos) return -1;
    const Integer size = Size();
    if (count >= size - FBPos) {
        const Int64 grown = std::max<Int64>(Int64{size} * 2, Int64{FBPos} + count + 8);
        FBuf.resize(static_cast<size_t>(std::min<Int64>(grown, Int64{MaxChars} + 8)));
    }
    std::copy(buf, buf + count, FBuf.begin() + FBPos);
    FBPos += count;
    FBuf[FBPos] = 0;
    return count;
}

void TJsonWriterString::Reset() {
    FBPos = 0;
    FBuf[0] = 0;
}

void TJsonWriterString::TrimRight() {
    while (FBPos > 0 && FBuf[FBPos - 1] == L' ') --FBPos;
    FBuf[FBPos] = 0;
}

void TJsonWriterString::DropLast() noexcept {
    if (FBPos > 0) FBuf[--FBPos] = 0;
}

Integer TJsonWriterStream::Append(const wchar_t* buf, Integer count) {
    if (count <= 0) return count;
    const std::string bytes = ToBytes(buf, count);
    const NativeInt size = static_cast<NativeInt>(bytes.size());
    return FStream.Write(bytes.data(), size) == size ? count : -1;
}

void TJsonWriterStream::Reset() { FStream.SetSize(0); }

// A total beyond the 32-bit range is reported as a failure rather than wrapped.
Integer TJsonWriterFake::Append(const wchar_t*, Integer count) {
    if (count <= 0) return FSize;
    if (count > std::numeric_limits<Integer>::max() - FSize) return -1;
    FSize += count;
    return FSize;
}

// Sends until every byte is out: a stream socket may take fewer bytes than offered.
Integer TJsonWriterSock::Append(const wchar_t* buf, Integer count) {
    if (count <= 0) return count;
    const std::string bytes = ToBytes(buf, count);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = send(static_cast<SOCKET>(FSocket), bytes.data() + sent,
                           static_cast<int>(bytes.size() - sent), 0);
        if (n == SOCKET_ERROR) return -1;
        sent += static_cast<size_t>(n);
    }
    FSize += static_cast<Int64>(sent);
    return static_cast<Integer>(sent);
}
