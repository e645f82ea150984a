// The reader's way through plain JSON, the text nearly every document is: each token is taken
// whole where it stands, strings and names without escapes straight from the text, instead of
// one character at a time through the states. It makes the very values the state machine
// makes, in the same slabs; at the first thing that is not plain JSON it gives up, and the
// state machine reads the text from the start, so leniency and errors stay its own.
#include "support/jsonobject/JsonReader.h"

#include <cwchar>
#include <new>

namespace {

bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

} // namespace

const wchar_t* TJsonReader::RunPlain(const wchar_t* text, TJsonRef& value) {
    FAt = text;
    try {
        if (!PlainBlanks() || !PlainValue(value, 0) || !PlainBlanks()) return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return FAt;
}

// Blanks up to the next token; a comment is not plain.
bool TJsonReader::PlainBlanks() {
    while (IsJsonWhitespace(*FAt)) ++FAt;
    return *FAt != L'/';
}

bool TJsonReader::PlainValue(TJsonRef& value, Integer level) {
    const wchar_t c = *FAt;
    if (c == L'{') return PlainObject(value, level);
    if (c == L'[') return PlainArray(value, level);
    if (c == L'"') {
        std::wstring_view text;
        if (!PlainText(text)) return false;
        value = TJsonObject::CreateString(text.data(), text.size(), FSlabs);
        return true;
    }
    if (c == L'-' || IsDigit(c)) return PlainNumber(value);
    for (const wchar_t* word : {L"true", L"false", L"null"}) {
        std::size_t length = 0; // stops at the text's NUL, a mismatch
        while (word[length] && FAt[length] == word[length]) ++length;
        if (word[length]) continue;
        if (!IsJsonDelimiter(FAt[length])) return false; // a bare word
        FAt += length;
        if (word[0] == L'n')
            NewValue(stNull, value);
        else
            NewValue(stBoolean, value)->FO.c_boolean = word[0] == L't';
        return true;
    }
    return false;
}

// The strict form only; the token must end where the state machine's would.
bool TJsonReader::PlainNumber(TJsonRef& value) {
    const wchar_t* const begin = FAt;
    const wchar_t* p = begin;
    if (*p == L'-') ++p;
    if (*p == L'0')
        ++p;
    else if (IsDigit(*p))
        while (IsDigit(*p)) ++p;
    else
        return false;
    bool isDouble = false;
    if (*p == L'.') {
        isDouble = true;
        if (!IsDigit(*++p)) return false;
        while (IsDigit(*p)) ++p;
    }
    if (*p == L'e' || *p == L'E') {
        isDouble = true;
        if (*++p == L'+' || *p == L'-') ++p;
        if (!IsDigit(*p)) return false;
        while (IsDigit(*p)) ++p;
    }
    if (IsNumberCharacter(*p)) return false;
    FAt = p;
    if (isDouble)
        NewValue(stDouble, value)->FO.c_double =
            JsonTokenDouble(begin, static_cast<Integer>(p - begin));
    else
        NewValue(stInt, value)->FO.c_int = JsonTokenInteger(begin);
    return true;
}

bool TJsonReader::PlainText(std::wstring_view& text) {
    const wchar_t* const begin = ++FAt;
    while (*FAt != L'"' && *FAt != L'\\' && *FAt != 0) ++FAt;
    if (*FAt == L'"') {
        text = std::wstring_view(begin, static_cast<std::size_t>(FAt++ - begin));
        return true;
    }
    T.pb.Reset();
    const wchar_t* run = begin;
    for (;;) {
        const auto count = static_cast<Integer>(FAt - run);
        if (T.pb.Append(run, count) != count) return false;
        if (*FAt == L'"') break;
        if (*FAt == 0 || !PlainEscape()) return false;
        run = FAt;
        while (*FAt != L'"' && *FAt != L'\\' && *FAt != 0) ++FAt;
    }
    ++FAt;
    text = std::wstring_view(T.pb.Data(), static_cast<std::size_t>(T.pb.Position()));
    return true;
}

// The escape at the position, as StringEscape and EscapeDigits read it.
bool TJsonReader::PlainEscape() {
    static constexpr wchar_t from[] = L"bfnrt";
    static constexpr wchar_t to[] = {8, 12, 10, 13, 9};
    const wchar_t c = *++FAt;
    ++FAt;
    if (c == 0) return false;
    wchar_t decoded = c;
    if (c == L'u' || c == L'x') {
        const Integer digits = c == L'u' ? 4 : 2;
        Word code = 0;
        for (Integer i = 0; i < digits; ++i) {
            const Integer digit = JsonHexDigit(*FAt++);
            if (digit < 0) return false;
            code = static_cast<Word>(code + (digit << (4 * (digits - 1 - i))));
        }
        decoded = static_cast<wchar_t>(code);
    } else if (const wchar_t* known = std::wcschr(from, c)) {
        decoded = to[known - from];
    }
    return T.pb.Append(&decoded, 1) == 1;
}

bool TJsonReader::PlainArray(TJsonRef& value, Integer level) {
    TJsonArray& array = *NewValue(stArray, value)->FO.c_array;
    ++FAt;
    if (!PlainBlanks()) return false;
    while (*FAt != L']') {
        if (level >= TJsonTokenizer::MaxDepth - 1 || array.Length() >= TJsonArray::MaxLength)
            return false;
        TJsonRef element;
        if (!PlainValue(element, level + 1) || !PlainBlanks()) return false;
        array.Add(element);
        if (*FAt == L']') break;
        if (*FAt != L',') return false;
        ++FAt;
        if (!PlainBlanks()) return false;
    }
    ++FAt;
    if (FSlabs) array.Settle(FSlabs);
    return true;
}

bool TJsonReader::PlainObject(TJsonRef& value, Integer level) {
    TJsonTableString& table = *NewValue(stObject, value)->FO.c_object;
    ++FAt;
    if (!PlainBlanks()) return false;
    while (*FAt != L'}') {
        std::wstring_view name;
        if (*FAt != L'"' || !PlainText(name) || !PlainBlanks() || *FAt++ != L':' ||
            !PlainBlanks() || level >= TJsonTokenizer::MaxDepth - 1)
            return false;
        // The name is held before the value is read: an escaped one lives in the token
        // buffer, which the value's own strings use.
        const Cardinal hash = TJsonAvlEntry::Hash(name);
        TJsonName* held = T.names.Get(name, hash, FSlabs);
        TJsonRef member;
        bool read = false;
        try {
            read = PlainValue(member, level + 1) && PlainBlanks();
        } catch (...) {
            held->Release();
            throw;
        }
        table.Store(held, hash, member, FSlabs);
        if (!read) return false;
        if (*FAt == L'}') break;
        if (*FAt != L',') return false;
        ++FAt;
        if (!PlainBlanks()) return false;
    }
    ++FAt;
    return true;
}
