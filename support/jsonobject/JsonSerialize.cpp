// The writer: a value as JSON text into any sink, and the conveniences over it (text, size,
// stream, file, socket). A value being written is marked Processing, so a value that contains
// itself writes null at the inner place instead of recursing for ever; a value nested deeper
// than MaxNesting fails the writing. The first failed append ends the writing and its failure
// is the result.
#include "support/jsonobject/JsonNesting.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr wchar_t HexDigits[] = L"0123456789abcdef";

// The escape for one character, or an empty text when it is written as it is.
UnicodeString EscapeOf(wchar_t c, bool escape) {
    if (c == L'"' || c == L'\\' || c == L'/') return UnicodeString{L'\\', c};
    if (!escape) return {};
    switch (c) {
    case 8: return L"\\b";
    case 9: return L"\\t";
    case 10: return L"\\n";
    case 12: return L"\\f";
    case 13: return L"\\r";
    default: break;
    }
    const unsigned code = static_cast<unsigned>(c);
    if (code >= 32 && code < 128) return {};
    UnicodeString text = L"\\u0000";
    for (int i = 0; i < 4; ++i) text[5 - i] = HexDigits[(code >> (4 * i)) & 15];
    return text;
}

Integer WriteEscaped(TJsonWriter& writer, const UnicodeString& text, bool escape) {
    Integer result = 0;
    size_t run = 0; // start of the characters not yet written
    for (size_t i = 0; i < text.size(); ++i) {
        const UnicodeString escaped = EscapeOf(text[i], escape);
        if (escaped.empty()) continue;
        if (i > run && writer.Append(text.c_str() + run, static_cast<Integer>(i - run)) < 0)
            return -1;
        if ((result = writer.Append(escaped)) < 0) return -1;
        run = i + 1;
    }
    if (text.size() > run)
        result = writer.Append(text.c_str() + run, static_cast<Integer>(text.size() - run));
    return result;
}

Integer WriteQuoted(TJsonWriter& writer, const UnicodeString& text, bool escape) {
    if (writer.Append(L"\"", 1) < 0 || WriteEscaped(writer, text, escape) < 0) return -1;
    return writer.Append(L"\"", 1);
}

// A line break and one space per level.
Integer WriteBreak(TJsonWriter& writer, Integer level) {
    return writer.Append(L"\r\n" + UnicodeString(static_cast<size_t>(level), L' '));
}

// Methods and values already being written are left out of containers.
bool Skipped(const TJsonRef& value) {
    return value && (value->IsType(stMethod) || value->GetProcessing());
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
UnicodeString DoubleText(double value) {
    if (!std::isfinite(value)) return L"null";
    char text[64]; // 15 digits, sign, point and exponent fit with room to spare
    _gcvt(value, 15, text);
    UnicodeString result(text, text + std::strlen(text));
    if (result.find_first_of(L".eE") == UnicodeString::npos) result += L'.';
    return result;
}

} // namespace

Integer TJsonObject::Serialize(TJsonWriter& writer, bool indent, bool escape, Integer level) {
    if (FProcessing) return writer.Append(L"null", 4);
    TJsonNesting nesting;
    if (nesting.TooDeep(FDataType)) return -1;
    FProcessing = true;
    Integer result = 0;
    try {
        switch (FDataType) {
        case stNull: result = writer.Append(L"null", 4); break;
        case stBoolean: result = writer.Append(FO.c_boolean ? L"true" : L"false"); break;
        case stInt: result = writer.Append(std::to_wstring(FO.c_int)); break;
        case stDouble: result = writer.Append(DoubleText(FO.c_double)); break;
        case stString: result = WriteQuoted(writer, FOString, escape) < 0 ? -1 : 0; break;
        case stMethod: break;
        case stObject: result = SerializeObject(writer, indent, escape, level); break;
        case stArray: result = SerializeArray(writer, indent, escape, level); break;
        }
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
    TJsonAvlIterator it(FO.c_object);
    while (it.MoveNext()) {
        const TJsonRef& value = it.Current()->Value();
        if (Skipped(value)) continue;
        if (!first && writer.Append(L",", 1) < 0) return -1;
        first = false;
        if (indent && WriteBreak(writer, level) < 0) return -1;
        if (WriteQuoted(writer, it.Current()->Name(), escape) < 0) return -1;
        if (writer.Append(indent ? L": " : L":") < 0) return -1;
        if (WriteValue(writer, value, indent, escape, level) < 0) return -1;
    }
    if (indent && WriteBreak(writer, level - 1) < 0) return -1;
    return writer.Append(L"}", 1);
}

Integer TJsonObject::SerializeArray(TJsonWriter& writer, bool indent, bool escape, Integer level) {
    TJsonArray& array = *FO.c_array;
    if (array.Length() == 0) return writer.Append(L"[]", 2);
    if (writer.Append(L"[", 1) < 0) return -1;
    if (indent && WriteBreak(writer, ++level) < 0) return -1;
    bool first = true;
    for (Integer i = 0; i < array.Length(); ++i) {
        const TJsonRef value = array.GetElement(i);
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
