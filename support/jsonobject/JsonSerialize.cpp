// The writer: a value as JSON text into any sink, and the conveniences over it (text, size,
// stream, file, socket). A value being written is marked Processing, so a value that contains
// itself writes null at the inner place instead of recursing for ever; a value nested deeper
// than MaxNesting fails the writing. The first failed append ends the writing and its failure
// is the result.
#include "support/jsonobject/JsonNesting.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr wchar_t HexDigits[] = L"0123456789abcdef";

// Writes the escape for `c` into `out` and answers its length, or 0 when the character is
// written as it is.
int EscapeOf(wchar_t c, bool escape, wchar_t (&out)[6]) {
    if (c == L'"' || c == L'\\' || c == L'/') {
        out[0] = L'\\';
        out[1] = c;
        return 2;
    }
    if (!escape) return 0;
    const unsigned code = static_cast<unsigned>(c);
    if (code >= 32 && code < 128) return 0;
    static constexpr wchar_t named[] = L"btn\0fr"; // the letters for 8 to 13; 11 has none
    if (code >= 8 && code <= 13 && code != 11) {
        out[0] = L'\\';
        out[1] = named[code - 8];
        return 2;
    }
    out[0] = L'\\';
    out[1] = L'u';
    for (int i = 0; i < 4; ++i) out[5 - i] = HexDigits[(code >> (4 * i)) & 15];
    return 6;
}

// Runs of characters that need no escape go to the sink at once.
Integer WriteEscaped(TJsonWriter& writer, const wchar_t* text, std::size_t size, bool escape) {
    Integer result = 0;
    std::size_t run = 0; // start of the characters not yet written
    wchar_t escaped[6];
    for (std::size_t i = 0; i < size; ++i) {
        const int length = EscapeOf(text[i], escape, escaped);
        if (length == 0) continue;
        if (i > run && writer.Append(text + run, static_cast<Integer>(i - run)) < 0) return -1;
        if ((result = writer.Append(escaped, length)) < 0) return -1;
        run = i + 1;
    }
    if (size > run) result = writer.Append(text + run, static_cast<Integer>(size - run));
    return result;
}

Integer WriteQuoted(TJsonWriter& writer, const wchar_t* text, std::size_t size, bool escape) {
    if (writer.Append(L"\"", 1) < 0 || WriteEscaped(writer, text, size, escape) < 0) return -1;
    return writer.Append(L"\"", 1);
}

// The integer's decimal digits, without a string of its own.
Integer WriteInteger(TJsonWriter& writer, Int64 value) {
    wchar_t digits[24];
    wchar_t* end = digits + std::size(digits);
    wchar_t* p = end;
    UInt64 magnitude = value < 0 ? 0 - static_cast<UInt64>(value) : static_cast<UInt64>(value);
    do {
        *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) *--p = L'-';
    return writer.Append(p, static_cast<Integer>(end - p));
}

// A line break and one space per level.
Integer WriteBreak(TJsonWriter& writer, Integer level) {
    return writer.Append(L"\r\n" + UnicodeString(static_cast<size_t>(level), L' '));
}

// Methods and values already being written are left out of containers.
bool Skipped(const TJsonRef& value) {
    const TJsonObject* held = JsonImpl(value.Get());
    return held && (held->DataType() == stMethod || held->Processing());
}

Integer WriteValue(TJsonWriter& writer, const TJsonRef& value, bool indent, bool escape,
                   Integer level) {
    if (!value) return writer.Append(L"null", 4);
    return value->Serialize(writer, indent, escape, level);
}

// The C runtime's general format with 15 significant digits. The runtime of Windows always
// writes the point ("1." for one); some compatible runtimes leave it out of whole numbers, which
// would read back as an integer, so it is added where missing. Infinities and NaN have no JSON
// text (the runtime's "1.#INF" would make the whole document unreadable): they are written as
// null.
Integer WriteDouble(TJsonWriter& writer, double value) {
    if (!std::isfinite(value)) return writer.Append(L"null", 4);
    char text[64]; // 15 digits, sign, point and exponent fit with room to spare
    _gcvt(value, 15, text);
    wchar_t wide[std::size(text) + 1];
    Integer length = 0;
    bool whole = true;
    for (const char* p = text; *p; ++p) {
        whole = whole && *p != '.' && *p != 'e' && *p != 'E';
        wide[length++] = static_cast<wchar_t>(*p);
    }
    if (whole) wide[length++] = L'.';
    return writer.Append(wide, length);
}

} // namespace

// A scalar holds nothing that could contain it or nest: it is written without the container's
// bookkeeping.
Integer TJsonObject::Serialize(TJsonWriter& writer, bool indent, bool escape, Integer level) {
    if (FProcessing) return writer.Append(L"null", 4);
    switch (FDataType) {
    case stNull: return writer.Append(L"null", 4);
    case stBoolean: return FO.c_boolean ? writer.Append(L"true", 4) : writer.Append(L"false", 5);
    case stInt: return WriteInteger(writer, FO.c_int);
    case stDouble: return WriteDouble(writer, FO.c_double);
    case stString: return WriteQuoted(writer, StringData(), StringSize(), escape) < 0 ? -1 : 0;
    case stMethod: return 0;
    case stObject:
    case stArray: break;
    }
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return -1;
    FProcessing = true;
    Integer result = 0;
    try {
        result = FDataType == stObject ? SerializeObject(writer, indent, escape, level)
                                       : SerializeArray(writer, indent, escape, level);
    } catch (...) {
        FProcessing = false;
        throw;
    }
    FProcessing = false;
    return result;
}

Integer TJsonObject::SerializeObject(TJsonWriter& writer, bool indent, bool escape, Integer level) {
    if (FO.c_object->IsEmpty()) return writer.Append(L"{}", 2);
    if (writer.Append(L"{", 1) < 0) return -1;
    if (indent) ++level;
    bool first = true;
    if (SerializeMembers(FO.c_object->FRoot, writer, indent, escape, level, first) < 0) return -1;
    if (indent && WriteBreak(writer, level - 1) < 0) return -1;
    return writer.Append(L"}", 1);
}

// The members of a subtree in the table's order (the FLt side, the entry, the FGt side): a walk
// as deep as the tree is high, without an iterator's path to set up per object.
Integer TJsonObject::SerializeMembers(const TJsonAvlEntry* node, TJsonWriter& writer, bool indent,
                                      bool escape, Integer level, bool& first) {
    for (; node; node = node->FGt) {
        if (SerializeMembers(node->FLt, writer, indent, escape, level, first) < 0) return -1;
        const TJsonRef& value = node->FPtr;
        if (Skipped(value)) continue;
        if (!first && writer.Append(L",", 1) < 0) return -1;
        first = false;
        if (indent && WriteBreak(writer, level) < 0) return -1;
        const std::wstring_view name = node->NameView();
        if (WriteQuoted(writer, name.data(), name.size(), escape) < 0) return -1;
        if (writer.Append(L": ", indent ? 2 : 1) < 0) return -1;
        if (WriteValue(writer, value, indent, escape, level) < 0) return -1;
    }
    return 0;
}

Integer TJsonObject::SerializeArray(TJsonWriter& writer, bool indent, bool escape, Integer level) {
    TJsonArray& array = *FO.c_array;
    if (array.Length() == 0) return writer.Append(L"[]", 2);
    if (writer.Append(L"[", 1) < 0) return -1;
    if (indent && WriteBreak(writer, ++level) < 0) return -1;
    bool first = true;
    for (Integer i = 0; i < array.Length(); ++i) {
        const TJsonRef& value = array.FArray[i];
        if (Skipped(value)) continue;
        if (!first && writer.Append(L",", 1) < 0) return -1;
        first = false;
        if (WriteValue(writer, value, indent, escape, level) < 0) return -1;
    }
    return writer.Append(L"]", 1);
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
