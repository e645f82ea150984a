// The reader's entry points over a whole text, a byte stream and a file. Streams and files are
// read one byte per character (no decoding), the counterpart of the byte sinks.
#include "support/jsonobject/JsonReader.h"

#include <array>

TJsonRef TJsonObject::ParseString(const UnicodeString& text, bool partial, const TJsonRef& that,
                                  TJsonFindOptions options, const TJsonRef& put, TJsonType dt) {
    if (!that) { // a document, not a path
        TJsonTokenizer tok;
        TJsonRef value;
        if (const wchar_t* stop =
                TJsonReader(tok, that, options, put, dt).RunPlain(text.c_str(), value))
            return partial || *stop == 0 ? value : nullptr;
    }
    TJsonTokenizer tok;
    TJsonRef result = ParseEx(tok, text.c_str(), -1, that, options, put, dt);
    if (tok.err != teSuccess) return nullptr;
    // The call either stopped before a character or consumed the NUL that ends the text (a
    // comment still open after the value); in the second case `char_offset` is already past
    // that NUL and nothing the reader could see follows the value.
    const wchar_t* const stop = text.c_str() + tok.char_offset;
    const bool consumedEnd = tok.char_offset > 0 && stop[-1] == 0;
    if (!partial && !consumedEnd && *stop != 0) return nullptr;
    return result;
}

// Chunks are read while the value is unfinished or has ended exactly at a chunk's end (text may
// still follow in the next chunk). The end of the stream counts as a NUL, so that a value that
// only its end can finish (a number, a bare word) is finished by it.
TJsonRef TJsonObject::ParseStream(TStream& stream, bool partial, const TJsonRef& that,
                                  TJsonFindOptions options, const TJsonRef& put, TJsonType dt) {
    constexpr Integer ChunkSize = 1024;
    std::array<Byte, ChunkSize> bytes;
    std::array<wchar_t, ChunkSize> chars;
    TJsonTokenizer tok;
    TJsonRef result;
    bool any = false, trailing = false;
    for (;;) {
        const auto count = static_cast<Integer>(stream.Read(bytes.data(), ChunkSize));
        if (count <= 0) break;
        any = true;
        for (Integer i = 0; i < count; ++i) chars[i] = bytes[i];
        result = ParseEx(tok, chars.data(), count, that, options, put, dt);
        trailing = tok.char_offset < count;
        if (tok.err != teContinue && (tok.err != teSuccess || trailing)) break;
    }
    if (!any) return nullptr;
    if (tok.err == teContinue) {
        const wchar_t end = 0;
        result = ParseEx(tok, &end, 1, that, options, put, dt);
        trailing = false;
    }
    if (tok.err != teSuccess || (!partial && trailing)) return nullptr;
    return result;
}

TJsonRef TJsonObject::ParseFile(const UnicodeString& fileName, bool partial, const TJsonRef& that,
                                TJsonFindOptions options, const TJsonRef& put, TJsonType dt) {
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        return ParseStream(file, partial, that, options, put, dt);
    } catch (const EStreamError&) {
        return nullptr; // a file that cannot be read holds no JSON
    }
}
