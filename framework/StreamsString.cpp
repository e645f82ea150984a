// `TStringStream`: a memory stream whose bytes are text in one encoding. The stream holds bytes,
// not characters, so positions and ReadString counts are in bytes; no byte-order mark is added.
#include "framework/Streams.h"

#include <algorithm>

TStringStream::TStringStream(const UnicodeString& text, TTextEncoding encoding)
    : TStringStream(EncodeText(text, encoding), encoding) {}

TStringStream::TStringStream(const RawByteString& bytes, TTextEncoding encoding)
    : FEncoding(encoding) {
    WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    SetPosition(0);
}

UnicodeString TStringStream::DataString() const {
    return DecodeText(Memory(), static_cast<std::size_t>(MemorySize()), FEncoding);
}

void TStringStream::WriteString(const UnicodeString& text) {
    const std::string bytes = EncodeText(text, FEncoding);
    WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
}

UnicodeString TStringStream::ReadString(NativeInt count) {
    std::string bytes(static_cast<std::size_t>(std::max<NativeInt>(count, 0)), '\0');
    bytes.resize(static_cast<std::size_t>(Read(bytes.data(), count)));
    return DecodeText(bytes.data(), bytes.size(), FEncoding);
}
