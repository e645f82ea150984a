// The writer: a value as JSON text into any sink, and the conveniences over it (text, size,
// stream, file, socket). A value being written is marked Processing, so a value that contains
// itself writes null at the inner place instead of recursing for ever; a value nested deeper
// than MaxNesting fails the writing. The first failed append ends the writing and its failure
// is the result.
#include "support/jsonobject/JsonNesting.h"
#include "support/jsonobject/JsonTextOut.h"

#include <array>
#include <cmath>
#include <string_view>

namespace {

constexpr wchar_t HexDigits[] = L"0123456789abcdef";

// Writes the escape for `c` at `out` and answers the end of what it wrote; `out` itself when
// the character is written as it is.
wchar_t* EscapeOf(wchar_t c, bool escape, wchar_t* out) {
    if (c == L'"' || c == L'\\' || c == L'/') {
        *out++ = L'\\';
        *out++ = c;
        return out;
    }
    if (!escape) return out;
    const unsigned code = static_cast<unsigned>(c);
    if (code >= 32 && code < 128) return out;
    static constexpr wchar_t named[] = L"btn\0fr"; // the letters for 8 to 13; 11 has none
    *out++ = L'\\';
    if (code >= 8 && code <= 13 && code != 11) {
        *out++ = named[code - 8];
        return out;
    }
    *out++ = L'u';
    for (int shift = 12; shift >= 0; shift -= 4) *out++ = HexDigits[(code >> shift) & 15];
    return out;
}

// The characters below 128 that are written as they are with escaping: the printable ones but
// the quote, the backslash and the slash. Tested first, as most text is made of them.
constexpr auto PlainAscii = [] {
    std::array<bool, 128> plain{};
    for (unsigned c = 32; c < 128; ++c) plain[c] = c != '"' && c != '\\' && c != '/';
    return plain;
}();

constexpr std::size_t LongestEscape = 6;

// Written straight into the gathered text when the longest it can become fits there, which is
// the case for all but very long strings; runs of characters that need no escape are copied
// at once otherwise.
bool WriteQuoted(TJsonTextOut& out, std::wstring_view text, bool escape) {
    wchar_t* to = text.size() <= (TJsonTextOut::Capacity - 2) / LongestEscape
                      ? out.Room(text.size() * LongestEscape + 2)
                      : nullptr;
    if (to) {
        *to++ = L'"';
        for (const wchar_t c : text) {
            if (c < 128 && PlainAscii[c]) {
                *to++ = c;
                continue;
            }
            wchar_t* end = EscapeOf(c, escape, to);
            if (end == to) *end++ = c;
            to = end;
        }
        *to++ = L'"';
        out.Commit(to);
        return true;
    }
    if (!out.Put(L'"')) return false;
    std::size_t run = 0; // start of the characters not yet written
    wchar_t escaped[LongestEscape];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < 128 && PlainAscii[c]) continue;
        const std::size_t length = static_cast<std::size_t>(EscapeOf(c, escape, escaped) - escaped);
        if (length == 0) continue;
        if (!out.Put(text.data() + run, i - run) || !out.Put(escaped, length)) return false;
        run = i + 1;
    }
    return out.Put(text.data() + run, text.size() - run) && out.Put(L'"');
}

// A line break and one space per level.
bool WriteBreak(TJsonTextOut& out, Integer level) {
    if (!out.Put(L"\r\n", 2)) return false;
    for (Integer i = 0; i < level; ++i)
        if (!out.Put(L' ')) return false;
    return true;
}

// Methods and values already being written are left out of containers.
bool Skipped(const TJsonRef& value) {
    const TJsonObject* held = JsonImpl(value.Get());
    return held && (held->DataType() == stMethod || held->Processing());
}

// Infinities and NaN have no JSON text (the runtime's "1.#INF" would make the whole document
// unreadable): they are written as null.
std::size_t DoubleOrNull(double number, wchar_t (&text)[64]) {
    if (std::isfinite(number)) return DoubleText(number, text);
    std::copy(L"null", L"null" + 4, text);
    return 4;
}

} // namespace

// The text is gathered and handed to the sink in runs; the result is that of the last append (0
// for a string). A scalar holds nothing that could contain it or nest: it is written without
// the container's bookkeeping. A container's closing bracket is an append of its own, the last;
// a container nested deeper than MaxNesting fails the writing.
Integer TJsonObject::Serialize(TJsonWriter& writer, bool indent, bool escape, Integer level) {
    TJsonTextOut out(writer);
    if (FProcessing || (FDataType != stObject && FDataType != stArray)) {
        if (!WriteValue(out, indent, escape, level)) return -1;
        const Integer result = out.Finish();
        return FDataType == stString && !FProcessing && result >= 0 ? 0 : result;
    }
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return -1;
    if (IsEmptyContainer()) return writer.Append(FDataType == stObject ? L"{}" : L"[]", 2);
    if (!WriteContents(out, indent, escape, level) || !out.Flush()) return -1;
    return writer.Append(FDataType == stObject ? L"}" : L"]", 1);
}

bool TJsonObject::WriteValue(TJsonTextOut& out, bool indent, bool escape, Integer level) {
    if (FProcessing) return out.Put(L"null", 4);
    switch (FDataType) {
    case stNull: return out.Put(L"null", 4);
    case stBoolean: return FO.c_boolean ? out.Put(L"true", 4) : out.Put(L"false", 5);
    case stInt:
    case stDouble: {
        wchar_t text[64];
        return out.Put(text, FDataType == stInt ? IntegerText(FO.c_int, text)
                                                : DoubleOrNull(FO.c_double, text));
    }
    case stString: return WriteQuoted(out, {StringData(), StringSize()}, escape);
    case stMethod: return true;
    case stObject:
    case stArray: break;
    }
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return false;
    if (IsEmptyContainer()) return out.Put(FDataType == stObject ? L"{}" : L"[]", 2);
    return WriteContents(out, indent, escape, level) &&
           out.Put(FDataType == stObject ? L'}' : L']');
}

bool TJsonObject::IsEmptyContainer() const noexcept {
    return FDataType == stObject ? FO.c_object->IsEmpty() : FO.c_array->Length() == 0;
}

// A container's text up to its closing bracket. The value is marked as being written
// meanwhile, so that a value inside itself is written as null there.
bool TJsonObject::WriteContents(TJsonTextOut& out, bool indent, bool escape, Integer level) {
    FProcessing = true;
    bool written = false;
    try {
        written = FDataType == stObject ? WriteObject(out, indent, escape, level)
                                        : WriteArray(out, indent, escape, level);
    } catch (...) {
        FProcessing = false;
        throw;
    }
    FProcessing = false;
    return written;
}

// Up to the closing brace, which the caller writes.
bool TJsonObject::WriteObject(TJsonTextOut& out, bool indent, bool escape, Integer level) {
    if (!out.Put(L'{')) return false;
    if (indent) ++level;
    bool first = true;
    if (!WriteMembers(FO.c_object->FRoot, out, indent, escape, level, first)) return false;
    return !indent || WriteBreak(out, level - 1);
}

// The members of a subtree in the table's order (the FLt side, the entry, the FGt side): a walk
// as deep as the tree is high, without an iterator's path to set up per object.
bool TJsonObject::WriteMembers(const TJsonAvlEntry* node, TJsonTextOut& out, bool indent,
                               bool escape, Integer level, bool& first) {
    for (; node; node = node->FGt) {
        // Wanted once the FLt side is written: asked for meanwhile.
        __builtin_prefetch(node->FGt);
        __builtin_prefetch(node->FPtr.Get());
        if (!WriteMembers(node->FLt, out, indent, escape, level, first)) return false;
        const TJsonRef& value = node->FPtr;
        if (Skipped(value)) continue;
        if (!first && !out.Put(L',')) return false;
        first = false;
        if (indent && !WriteBreak(out, level)) return false;
        if (!WriteQuoted(out, node->NameView(), escape)) return false;
        if (!out.Put(L": ", indent ? 2 : 1)) return false;
        if (!WriteElement(out, value, indent, escape, level)) return false;
    }
    return true;
}

// The values of a large document are mostly not in the cache, and writing them would wait on
// each block in turn. The reader carves an element's blocks (the value, its table or text, the
// values it holds and their entries) one after the other, before the next element's: so while
// an element is written, the memory from the next element up to the one after it is asked for,
// when that span is short enough to be one element's. Elements made otherwise at worst make
// the hint useless.
void TJsonObject::PrefetchElement(const TJsonRef& element, const TJsonRef& following) noexcept {
    constexpr std::ptrdiff_t MostAhead = 4096, Line = 64;
    const char* from = reinterpret_cast<const char*>(element.Get());
    const char* to = reinterpret_cast<const char*>(following.Get());
    if (!from) return;
    if (!to || to < from || to - from > MostAhead) to = from + Line;
    for (; from < to; from += Line) __builtin_prefetch(from);
}

// Up to the closing bracket, which the caller writes.
bool TJsonObject::WriteArray(TJsonTextOut& out, bool indent, bool escape, Integer level) {
    TJsonArray& array = *FO.c_array;
    if (!out.Put(L'[')) return false;
    if (indent && !WriteBreak(out, ++level)) return false;
    bool first = true;
    for (Integer i = 0; i < array.Length(); ++i) {
        if (i + 1 < array.Length())
            PrefetchElement(array.FArray[i + 1],
                            i + 2 < array.Length() ? array.FArray[i + 2] : TJsonRef());
        const TJsonRef& value = array.FArray[i];
        if (Skipped(value)) continue;
        if (!first && !out.Put(L',')) return false;
        first = false;
        if (!WriteElement(out, value, indent, escape, level)) return false;
    }
    return true;
}

bool TJsonObject::WriteElement(TJsonTextOut& out, const TJsonRef& value, bool indent, bool escape,
                               Integer level) {
    if (!value) return out.Put(L"null", 4);
    return JsonImpl(value.Get())->WriteValue(out, indent, escape, level);
}

UnicodeString TJsonObject::AsJSon(bool indent, bool escape) {
    TJsonWriterString writer;
    if (Serialize(writer, indent, escape, 0) < 0) return {};
    return writer.Text();
}

Integer TJsonObject::CalcSize(bool indent, bool escape) {
    TJsonWriterFake writer;
    if (Serialize(writer, indent, escape, 0) < 0) return -1;
    return writer.Size();
}

Int64 TJsonObject::SaveTo(TStream& stream, bool indent, bool escape) {
    TJsonWriterStream writer(stream);
    if (Serialize(writer, indent, escape, 0) < 0) {
        writer.Reset();
        return 0;
    }
    return stream.Size();
}

Int64 TJsonObject::SaveTo(const UnicodeString& fileName, bool indent, bool escape) {
    TFileStream file(fileName, fmCreate);
    return SaveTo(file, indent, escape);
}

Int64 TJsonObject::SaveTo(UINT_PTR socket, bool indent, bool escape) {
    TJsonWriterSock writer(socket);
    if (Serialize(writer, indent, escape, 0) < 0) return 0;
    return writer.Size();
}
