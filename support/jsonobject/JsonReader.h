// The reader's state machine, shared by the value grammar (JsonParse.cpp) and the path
// evaluator (JsonPathEval.cpp). Private to the module.
//
// One character at a time is handed to the state of the current level; a state consumes it
// (the position advances) or redoes it (the same character goes to the new state). Levels are
// the tokenizer's 32 stack records: an array element, a member value, an index or a method
// argument opens the next level, and a finished level hands its value up through
// `TJsonTokenizer::finished`. Everything a call leaves in the tokenizer lets the next call go
// on with the next chunk of the same text.
#pragma once

#include "support/jsonobject/jsonobject.h"

class TJsonReader {
public:
    TJsonReader(TJsonTokenizer& tok, const TJsonRef& that, TJsonFindOptions options,
                const TJsonRef& put, TJsonType dt) noexcept
        : T(tok), FThat(that), FOptions(options), FPut(put), FType(dt),
          FSlabs(that ? nullptr : &tok.slabs) {}

    TJsonRef Run(const wchar_t* text, Integer length);
    // Reads a whole NUL-ended text that holds plain JSON (no comments, quotes other than the
    // double one, bare words or numbers outside the strict form) to the values Run would make,
    // and answers where it stopped after the value and the blanks that follow. Answers nil at
    // anything else, which Run then reads as ever.
    const wchar_t* RunPlain(const wchar_t* text, TJsonRef& value);

private:
    enum TStep { Consume, Redo, Stop };

    // A character is redone at most this often; more would mean a state machine loop.
    static constexpr int MaxRedo = 64;

    void Loop(const wchar_t* text, Integer length);
    Integer PlainRun(const wchar_t* text, Integer length);
    TStep Step(wchar_t c);
    TJsonRef EndResult();

    TJsonTokenerSrec& L() { return T.stack[T.depth]; }
    TStep Fail(TJsonTokenizerError error);
    TStep Finish(const TJsonRef& value);
    TStep OpenLevel();
    TStep To(TJsonTokenerState state, TStep step);
    TStep Eat(TJsonTokenerState saved, TStep step);
    bool Append(wchar_t c);

    // Value grammar.
    TStep EatWhitespace(wchar_t c);
    TStep Comment(wchar_t c);
    TStep Start(wchar_t c);
    TStep FinishLevel();
    TStep Literal(wchar_t c, const wchar_t* word, const wchar_t* other);
    TStep String(wchar_t c);
    TStep StringEscape(wchar_t c);
    TStep EscapeDigits(wchar_t c, Integer digits);
    TStep Identifier(wchar_t c);
    TStep Number(wchar_t c);
    TJsonRef NumberValue();
    // A new value of the document being read, now held by `held`: its blocks come from the
    // document's slabs.
    TJsonObject* NewValue(TJsonType type, TJsonRef& held);
    TJsonRef AddressElement(Int64 index);
    TStep Array(wchar_t c);
    TStep ArraySep(wchar_t c);
    TStep EndArray();
    TStep ObjectFieldStart(wchar_t c);
    TStep ObjectField(wchar_t c, bool quoted);
    TStep ObjectSep(wchar_t c);
    // Stores the value a level handed up under the current level's member name.
    void StoreMember();
    bool EndsBareWord(wchar_t c);

    // The plain reader: each answers false where the text is not plain JSON.
    bool PlainValue(TJsonRef& value, Integer level);
    bool PlainArray(TJsonRef& value, Integer level);
    bool PlainObject(TJsonRef& value, Integer level);
    // The text between the quotes at the position, its escapes undone: in place or in the
    // token buffer.
    bool PlainText(std::wstring_view& text);
    bool PlainEscape();
    bool PlainNumber(TJsonRef& value);
    bool PlainBlanks();

    // Path evaluation.
    TStep PathName(wchar_t c);
    TStep StepObject(wchar_t c, const UnicodeString& name);
    TStep StepIndexedArray(wchar_t c);
    TStep StepArray(wchar_t c, const UnicodeString& name);
    TStep StepMethod(wchar_t c);
    TStep EvalContainer(TJsonType type);
    TStep ParamValue(wchar_t c);
    TStep ParamPut(wchar_t c);
    TStep EvalMethod();
    TStep MethodValue(wchar_t c);
    TStep MethodPut(wchar_t c);
    void CallMethod(const TJsonRef& method, const TJsonRef& self, const TJsonRef& params,
                    TJsonRef& result);
    bool AtTop() const noexcept { return T.param_depth == 0; }

    TJsonTokenizer& T;
    const TJsonRef& FThat;
    TJsonFindOptions FOptions;
    const TJsonRef& FPut;
    TJsonType FType;
    TJsonSlabs* FSlabs;           // nil while a path is evaluated: what it makes stays on the heap
    const wchar_t* FAt = nullptr; // the plain reader's position
};

// The value of a hexadecimal digit, or -1.
inline Integer JsonHexDigit(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9') return c - L'0';
    const wchar_t lower = c | 0x20;
    return lower >= L'a' && lower <= L'f' ? lower - L'a' + 10 : -1;
}
inline bool IsJsonWhitespace(wchar_t c) noexcept {
    return c == 8 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
}
bool IsJsonDelimiter(wchar_t c) noexcept;
// A character a number token is made of: digits, signs, the point and the exponent letters.
bool IsNumberCharacter(wchar_t c) noexcept;
// An optional sign and the digits up to the first other character; beyond 64 bits the value
// stays at the nearest end of the range.
Int64 JsonTokenInteger(const wchar_t* p) noexcept;
// The number a decimal token of `length` characters starts with, as the C runtime's wcstod
// reads it.
double JsonTokenDouble(const wchar_t* token, Integer length);
