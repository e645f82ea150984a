// The reader's main loop and the value grammar. The grammar is lenient: comments, single
// quotes, unquoted member names, bare words and trailing commas are accepted. The input is
// untrusted: the machine never reads past the given length or the first consumed NUL, nests at
// most 32 levels, and a token that cannot grow any more fails the call instead of throwing.
#include "support/jsonobject/JsonReader.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <new>

bool IsNumberCharacter(wchar_t c) noexcept {
    return (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.' || c == L'E' ||
           c == L'e';
}

bool IsJsonDelimiter(wchar_t c) noexcept {
    if (c == 0 || IsJsonWhitespace(c)) return true;
    return c < 128 && std::wcschr(L"\"(),.:[]{}", c) != nullptr;
}

void TJsonTokenizer::ResetLevel(Integer level) { stack[level] = TJsonTokenerSrec{}; }

void TJsonTokenizer::Reset() {
    for (Integer level = depth; level >= 0; --level) ResetLevel(level);
    depth = 0;
    err = teSuccess;
    finished.Reset();
    param_depth = 0;
    path_steps = 0;
    names.Clear(); // a name kept here would keep its document's slab
}

TJsonRef TJsonObject::ParseEx(TJsonTokenizer& tok, const wchar_t* text, Integer length,
                              const TJsonRef& that, TJsonFindOptions options, const TJsonRef& put,
                              TJsonType dt) {
    return TJsonReader(tok, that, options, put, dt).Run(text, length);
}

TJsonRef TJsonReader::Run(const wchar_t* text, Integer length) {
    T.char_offset = 0;
    T.err = teSuccess;
    try {
        Loop(text, length);
    } catch (const std::bad_alloc&) {
        T.err = teParseUnexpected; // a token or container too large for memory
    }
    return T.err == teSuccess ? EndResult() : nullptr;
}

void TJsonReader::Loop(const wchar_t* text, Integer length) {
    for (;;) {
        if (length >= 0 && T.char_offset == length) {
            const bool done = T.depth == 0 && L().state == tsEatws && L().saved_state == tsFinish;
            T.err = done ? teSuccess : teContinue;
            return;
        }
        if (const Integer run = PlainRun(text, length); run > 0) {
            if (T.pb.Append(text + T.char_offset, run) != run) {
                Fail(teParseUnexpected);
                return;
            }
            T.char_offset += run;
            continue;
        }
        const wchar_t c = text[T.char_offset];
        TStep step = Step(c);
        for (int redo = 0; step == Redo; ++redo)
            step = redo < MaxRedo ? Step(c) : Fail(teParseUnexpected);
        if (step == Stop) return;
        ++T.char_offset;
        if (c == 0) {
            if (L().state != tsFinish && L().saved_state != tsFinish) T.err = teParseEof;
            return;
        }
    }
}

// How many characters from the position on the current state would only append to the token,
// one call each: the plain characters of a quoted string or name, the characters of a number.
// They are taken as one run instead; the character that ends the run goes through its state.
Integer TJsonReader::PlainRun(const wchar_t* text, Integer length) {
    const TJsonTokenerState state = L().state;
    const wchar_t* const begin = text + T.char_offset;
    const wchar_t* const end = length >= 0 ? text + length : nullptr;
    const wchar_t* p = begin;
    if (state == tsString || state == tsObjectField) {
        const wchar_t quote = T.quote_char;
        while (p != end && *p && *p != quote && *p != L'\\') ++p;
    } else if (state == tsNumber) {
        for (; p != end && IsNumberCharacter(*p); ++p)
            if (*p == L'.' || *p == L'E' || *p == L'e') T.is_double = 1;
    }
    return static_cast<Integer>(p - begin);
}

TJsonRef TJsonReader::EndResult() {
    TJsonTokenerSrec& level = L();
    if (FOptions.Contains(foCallMethod) && level.current && level.current->AsMethod()) {
        TJsonRef result;
        CallMethod(level.current, level.parent, FPut, result);
        return result;
    }
    return level.current;
}

TJsonReader::TStep TJsonReader::Step(wchar_t c) {
    switch (L().state) {
    case tsEatws: return EatWhitespace(c);
    case tsStart: return Start(c);
    case tsFinish: return FinishLevel();
    case tsNull: return Literal(c, L"null", nullptr);
    case tsCommentStart:
    case tsComment:
    case tsCommentEol:
    case tsCommentEnd: return Comment(c);
    case tsString: return String(c);
    case tsStringEscape: return StringEscape(c);
    case tsIdentifier: return FThat ? PathName(c) : Identifier(c);
    case tsEscapeUnicode: return EscapeDigits(c, 4);
    case tsEscapeHexadecimal: return EscapeDigits(c, 2);
    case tsBoolean: return Literal(c, L"true", L"false");
    case tsNumber: return Number(c);
    case tsArray: return Array(c);
    case tsArrayAdd:
        if (L().current->AsArray()->Length() >= TJsonArray::MaxLength) return Fail(teParseArray);
        L().current->AsArray()->Add(std::exchange(T.finished, nullptr));
        return Eat(tsArraySep, Redo);
    case tsArraySep: return ArraySep(c);
    case tsObjectFieldStart: return ObjectFieldStart(c);
    case tsObjectField: return ObjectField(c, true);
    case tsObjectUnquotedField: return ObjectField(c, false);
    case tsObjectFieldEnd:
        return c == L':' ? Eat(tsObjectValue, Consume) : Fail(teParseObjectKeySep);
    case tsObjectValue: L().state = tsObjectValueAdd; return OpenLevel();
    case tsObjectValueAdd:
        StoreMember();
        L().field_name.clear();
        return Eat(tsObjectSep, Redo);
    case tsObjectSep: return ObjectSep(c);
    case tsEvalProperty: return EvalContainer(stObject);
    case tsEvalArray: return EvalContainer(stArray);
    case tsEvalMethod: return EvalMethod();
    case tsParamValue: return ParamValue(c);
    case tsParamPut: return ParamPut(c);
    case tsMethodValue: return MethodValue(c);
    case tsMethodPut: return MethodPut(c);
    }
    return Fail(teParseUnexpected);
}

TJsonReader::TStep TJsonReader::Fail(TJsonTokenizerError error) {
    T.err = error;
    return Stop;
}

TJsonReader::TStep TJsonReader::To(TJsonTokenerState state, TStep step) {
    L().state = state;
    return step;
}

// Whitespace and comments come next, then `saved`.
TJsonReader::TStep TJsonReader::Eat(TJsonTokenerState saved, TStep step) {
    L().saved_state = saved;
    return To(tsEatws, step);
}

TJsonReader::TStep TJsonReader::Finish(const TJsonRef& value) {
    L().current = value;
    return Eat(tsFinish, Redo);
}

TJsonReader::TStep TJsonReader::OpenLevel() {
    if (T.depth >= TJsonTokenizer::MaxDepth - 1) return Fail(teDepth);
    ++T.depth;
    T.ResetLevel(T.depth);
    return Redo;
}

TJsonReader::TStep TJsonReader::FinishLevel() {
    if (T.depth == 0) return Stop;
    T.finished = L().current;
    T.ResetLevel(T.depth);
    --T.depth;
    return Redo;
}

bool TJsonReader::Append(wchar_t c) { return T.pb.Append(&c, 1) == 1; }

TJsonReader::TStep TJsonReader::EatWhitespace(wchar_t c) {
    if (IsJsonWhitespace(c)) return Consume;
    if (c != L'/') return To(L().saved_state, Redo);
    T.pb.Reset();
    if (!Append(c)) return Fail(teParseUnexpected);
    return To(tsCommentStart, Consume);
}

// A `*` inside a block comment keeps it ready to close, so "/***/" is one whole comment.
TJsonReader::TStep TJsonReader::Comment(wchar_t c) {
    if (!Append(c)) return Fail(teParseUnexpected);
    switch (L().state) {
    case tsCommentStart:
        if (c == L'*') return To(tsComment, Consume);
        if (c == L'/') return To(tsCommentEol, Consume);
        return Fail(teParseComment);
    case tsComment: return c == L'*' ? To(tsCommentEnd, Consume) : Consume;
    case tsCommentEol: return c == L'\n' ? To(tsEatws, Consume) : Consume;
    default:
        if (c == L'/') return To(tsEatws, Consume);
        return c == L'*' ? Consume : To(tsComment, Consume);
    }
}

TJsonReader::TStep TJsonReader::Start(wchar_t c) {
    TJsonTokenerSrec& level = L();
    const bool top = T.depth == 0;
    switch (c) {
    case L'"':
    case L'\'':
        T.pb.Reset();
        T.quote_char = c;
        return To(tsString, Consume);
    case L'(':
        if (top && FThat && FThat->IsType(stMethod)) {
            level.current = FThat;
            level.state = tsParamValue;
        }
        return Consume;
    case L'[': NewValue(stArray, level.current); return Eat(tsArray, Consume);
    case L'{': NewValue(stObject, level.current); return Eat(tsObjectFieldStart, Consume);
    case L't':
    case L'T':
    case L'f':
    case L'F':
        T.pb.Reset();
        T.st_pos = 0;
        return To(tsBoolean, Redo);
    case L'n':
    case L'N':
        T.pb.Reset();
        T.st_pos = 0;
        return To(tsNull, Redo);
    default: break;
    }
    if (c >= L'0' && c <= L'9' && top && FThat && FThat->IsType(stObject)) {
        level.current = FThat;
        return To(tsIdentifier, Redo);
    }
    T.pb.Reset();
    if (c == L'-' || (c >= L'0' && c <= L'9')) {
        T.is_double = 0;
        return To(tsNumber, Redo);
    }
    return To(tsIdentifier, Redo);
}

// Reads the literal `word` or `other` (the `st_pos`-th character now); a character that
// leaves both makes the text a bare word instead. Case matters.
TJsonReader::TStep TJsonReader::Literal(wchar_t c, const wchar_t* word, const wchar_t* other) {
    if (!Append(c)) return Fail(teParseUnexpected);
    const auto matches = [this](const wchar_t* w) {
        const auto len = static_cast<Integer>(std::wcslen(w));
        return std::wcsncmp(T.pb.Data(), w, std::min(T.st_pos + 1, len)) == 0;
    };
    const wchar_t* found = matches(word) ? word : (other && matches(other) ? other : nullptr);
    if (!found) {
        T.pb.DropLast();
        return To(tsIdentifier, Redo);
    }
    if (T.st_pos == static_cast<Integer>(std::wcslen(found))) {
        if (IsJsonDelimiter(c)) {
            T.pb.DropLast();
            TJsonRef value;
            if (found[0] == L'n')
                NewValue(stNull, value);
            else
                NewValue(stBoolean, value)->FO.c_boolean = found[0] == L't';
            return Finish(value);
        }
        L().state = tsIdentifier;
    }
    ++T.st_pos;
    return Consume;
}

TJsonReader::TStep TJsonReader::String(wchar_t c) {
    if (c == T.quote_char) {
        L().current = TJsonObject::CreateString(T.pb.Data(),
                                                static_cast<std::size_t>(T.pb.Position()), FSlabs);
        return Eat(tsFinish, Consume);
    }
    if (c == L'\\') {
        L().saved_state = tsString;
        return To(tsStringEscape, Consume);
    }
    return Append(c) ? Consume : Fail(teParseUnexpected);
}

TJsonReader::TStep TJsonReader::StringEscape(wchar_t c) {
    static constexpr wchar_t from[] = L"bfnrt";
    static constexpr wchar_t to[] = {8, 12, 10, 13, 9};
    if (c == L'u' || c == L'x') {
        T.ucs_char = 0;
        T.st_pos = 0;
        return To(c == L'u' ? tsEscapeUnicode : tsEscapeHexadecimal, Consume);
    }
    const wchar_t* known = c ? std::wcschr(from, c) : nullptr;
    if (!Append(known ? to[known - from] : c)) return Fail(teParseUnexpected);
    return To(L().saved_state, Consume);
}

TJsonReader::TStep TJsonReader::EscapeDigits(wchar_t c, Integer digits) {
    const Integer digit = JsonHexDigit(c);
    if (digit < 0) return Fail(teParseString);
    T.ucs_char = static_cast<Word>(T.ucs_char + (digit << (4 * (digits - 1 - T.st_pos))));
    if (++T.st_pos < digits) return Consume;
    if (!Append(static_cast<wchar_t>(T.ucs_char))) return Fail(teParseUnexpected);
    return To(L().saved_state, Consume);
}

// A bare word ends at the NUL; inside an array also at `,` and `]`, as a member value also at
// `,` and `}`.
bool TJsonReader::EndsBareWord(wchar_t c) {
    if (c == 0) return true;
    if (T.depth == 0 || (c != L',' && c != L']' && c != L'}')) return false;
    const TJsonTokenerState parent = T.stack[T.depth - 1].state;
    if (parent == tsArrayAdd) return c != L'}';
    return parent == tsObjectValueAdd && c != L']';
}

TJsonReader::TStep TJsonReader::Identifier(wchar_t c) {
    if (EndsBareWord(c))
        return Finish(TJsonObject::CreateString(T.pb.Data(),
                                                static_cast<std::size_t>(T.pb.Position()), FSlabs));
    if (c == L'\\') {
        L().saved_state = tsIdentifier;
        return To(tsStringEscape, Consume);
    }
    return Append(c) ? Consume : Fail(teParseUnexpected);
}

TJsonReader::TStep TJsonReader::Number(wchar_t c) {
    if (IsNumberCharacter(c)) {
        if (c == L'.' || c == L'E' || c == L'e') T.is_double = 1;
        return Append(c) ? Consume : Fail(teParseUnexpected);
    }
    const TJsonRef value = NumberValue();
    return T.err == teSuccess ? Finish(value) : Stop;
}

Int64 JsonTokenInteger(const wchar_t* p) noexcept {
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+') ++p;
    UInt64 magnitude = 0;
    const UInt64 limit = negative ? UInt64{1} << 63 : (UInt64{1} << 63) - 1;
    for (; *p >= L'0' && *p <= L'9'; ++p)
        magnitude = std::min(limit, magnitude * 10 + static_cast<UInt64>(*p - L'0'));
    if (!negative) return static_cast<Int64>(magnitude);
    return magnitude == limit ? std::numeric_limits<Int64>::min() : -static_cast<Int64>(magnitude);
}

// The shortest correctly rounded conversion for the usual token, the runtime itself for the
// rest (a token too long for the buffer, out of range, or not a number at all).
double JsonTokenDouble(const wchar_t* token, Integer length) {
    char digits[64];
    const wchar_t* p = token;
    if (*p == L'+' && ((p[1] >= L'0' && p[1] <= L'9') || p[1] == L'.')) ++p;
    const Integer size = length - static_cast<Integer>(p - token);
    if (size > 0 && size <= static_cast<Integer>(sizeof digits)) {
        for (Integer i = 0; i < size; ++i) digits[i] = static_cast<char>(p[i]); // all ASCII
        double value = 0;
        const std::from_chars_result read = std::from_chars(digits, digits + size, value);
        if (read.ec == std::errc()) return value;
    }
    return std::wcstod(token, nullptr);
}

// In an array context an integer token is an index into the context, not a value.
TJsonRef TJsonReader::NumberValue() {
    TJsonRef number;
    if (T.is_double) {
        NewValue(stDouble, number)->FO.c_double = JsonTokenDouble(T.pb.Data(), T.pb.Position());
        return number;
    }
    const Int64 value = JsonTokenInteger(T.pb.Data());
    if (FThat && FThat->IsType(stArray)) return AddressElement(value);
    NewValue(stInt, number)->FO.c_int = value;
    return number;
}

TJsonObject* TJsonReader::NewValue(TJsonType type, TJsonRef& held) {
    TJsonObject* value = TJsonObject::New(type, FSlabs);
    held = TJsonRef(value);
    return value;
}

TJsonRef TJsonReader::AddressElement(Int64 index) {
    TJsonArray& array = *FThat->AsArray();
    const Integer i =
        index < 0 || index >= TJsonArray::MaxLength ? -1 : static_cast<Integer>(index);
    if (AtTop() && FOptions.Contains(foPutValue)) {
        if (i - array.Length() >= TJsonArray::MaxPathGrowth) {
            T.err = teEvalInt; // beyond what a path may write
            return nullptr;
        }
        array.PutElement(i, FPut);
        return FPut;
    }
    if (AtTop() && FOptions.Contains(foDelete)) return array.Delete(i);
    return array.GetElement(i);
}

TJsonReader::TStep TJsonReader::Array(wchar_t c) {
    if (c == L']') return EndArray();
    L().state = tsArrayAdd;
    return OpenLevel();
}

TJsonReader::TStep TJsonReader::ArraySep(wchar_t c) {
    if (c == L']') return EndArray();
    if (c == L',') return Eat(tsArray, Consume);
    return Fail(teParseArray);
}

TJsonReader::TStep TJsonReader::EndArray() {
    if (FSlabs) L().current->AsArray()->Settle(FSlabs);
    return Eat(tsFinish, Consume);
}

TJsonReader::TStep TJsonReader::ObjectFieldStart(wchar_t c) {
    if (c == L'}') return Eat(tsFinish, Consume);
    T.pb.Reset();
    if (c == L'"' || c == L'\'') {
        T.quote_char = c;
        return To(tsObjectField, Consume);
    }
    if (IsJsonDelimiter(c)) return Fail(teParseObjectKeyName);
    return To(tsObjectUnquotedField, Redo);
}

TJsonReader::TStep TJsonReader::ObjectField(wchar_t c, bool quoted) {
    const bool ends = quoted ? c == T.quote_char : (c == 0 || c == L':');
    if (ends) {
        L().field_name = T.pb.Text();
        return Eat(tsObjectFieldEnd, quoted ? Consume : Redo);
    }
    if (c == L'\\') {
        L().saved_state = quoted ? tsObjectField : tsObjectUnquotedField;
        return To(tsStringEscape, Consume);
    }
    return Append(c) ? Consume : Fail(teParseUnexpected);
}

TJsonReader::TStep TJsonReader::ObjectSep(wchar_t c) {
    if (c == L'}') return Eat(tsFinish, Consume);
    if (c == L',') return Eat(tsObjectFieldStart, Consume);
    return Fail(teParseObjectValueSep);
}

void TJsonReader::StoreMember() {
    const UnicodeString& name = L().field_name;
    const Cardinal hash = TJsonAvlEntry::Hash(name);
    L().current->AsObject()->Store(T.names.Get(name, hash, FSlabs), hash,
                                   std::exchange(T.finished, nullptr), FSlabs);
    L().field_name.clear();
}
