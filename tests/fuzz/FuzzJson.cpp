// Fuzzed readers of the JSON library: the reader (whatever it accepts writes out and reads
// back, and a whole text reads as the character-by-character state machine reads it), paths against
// a document (any path leaves a document that writes out), and rule documents for the validator.
#include "FuzzDriver.h"

#include "support/jsonobject/jsonobject.h"

#include <stdexcept>

namespace {

const std::vector<std::string> JsonTokens = {
    "{",    "}",    "[",     "]",          ":",
    ",",    "\"",   "'",     "\\u00e9",    "\\",
    "null", "true", "1e308", "-0",         "9223372036854775808",
    "/*",   "*/",   "//",    "\n",         ".",
    "(",    ")",    "[0]",   "[16777215]", "a.b"};

std::vector<TFuzzInput> Documents() {
    return {"{\"a\":1,\"b\":[true,false,null],\"c\":{\"d\":\"text\\u00e9\",\"e\":-1.5e3}}",
            "[1,[2,[3,[4]]],{\"k\":[]},\"s\",0.25]",
            "{name:'bare',list:[1,2,],/* comment */ n: null} // end",
            "\"\\ud83d\\ude00 \\\" \\\\ \\/ \\b\\f\\n\\r\\t\"",
            "{\"path\":{\"to\":[{\"x\":1},{\"y\":[5,6]}]}}"};
}

// What the state machine alone makes of a whole text, taken as ParseString takes it: plain JSON
// takes a faster way of its own, which must come to the same.
UnicodeString ReadByTheStateMachine(const std::wstring& text, bool partial) {
    TJsonTokenizer tok;
    const TJsonRef value = TJsonObject::ParseEx(tok, text.c_str(), -1);
    if (tok.err != teSuccess) return L"<nil>";
    const wchar_t* const stop = text.c_str() + tok.char_offset;
    const bool consumedEnd = tok.char_offset > 0 && stop[-1] == 0;
    if (!partial && !consumedEnd && *stop != 0) return L"<nil>";
    return value ? value->AsJSon(false, false) : UnicodeString(L"<nil>");
}

void FeedReader(const TFuzzInput& input) {
    const std::wstring text = ByteText(input);
    for (const bool partial : {true, false}) {
        const TJsonRef value = TJsonObject::ParseString(text, partial);
        if ((value ? value->AsJSon(false, false) : UnicodeString(L"<nil>")) !=
            ReadByTheStateMachine(text, partial))
            throw std::runtime_error(
                "a whole text reads otherwise than the state machine reads it");
        if (!value) continue;
        const UnicodeString written = value->AsJSon(false, true);
        const TJsonRef again = TJsonObject::ParseString(written, false);
        if (!again || again->AsJSon(false, true) != written)
            throw std::runtime_error("an accepted value does not read back as written");
        value->Clone();
    }
}

std::vector<TFuzzInput> Paths() {
    return {"a",         "c.d",  "b[1]", "path.to[1].y[0]", "path.to[]", "new.deep.way",
            "list[3].x", "b[0]", "c.e",  "path.to[0].x"};
}

void FeedPath(const TFuzzInput& input) {
    const std::wstring path = ByteText(input);
    const TJsonRef doc = JsonFromText(L"{\"a\":1,\"b\":[true,false,null],\"c\":{\"d\":\"t\"},"
                                      L"\"path\":{\"to\":[{\"x\":1},{\"y\":[5,6]}]}}");
    doc->PathGetObject(path);
    doc->ForcePath(path, stArray);
    doc->PathPutInteger(path, 7);
    doc->PathPutString(path + L".s", L"x");
    doc->Delete(path);
    const UnicodeString written = doc->AsJSon();
    if (written.empty() || !TJsonObject::ParseString(written, false))
        throw std::runtime_error("a path left a document that does not write out");
}

std::vector<TFuzzInput> Rules() {
    return {"{\"type\":\"map\",\"mapping\":{\"a\":{\"type\":\"int\",\"required\":true},"
            "\"b\":{\"type\":\"seq\",\"sequence\":{\"type\":\"str\",\"length\":{\"min\":1}}}}}",
            "{\"type\":\"seq\",\"unique\":true,\"sequence\":{\"type\":\"int\",\"range\":{\"max\":"
            "9}}}",
            "{\"name\":\"base\",\"type\":\"map\",\"mapping\":{\"a\":{\"inherit\":\"base\"},\"c\":"
            "{\"type\":\"str\",\"enum\":[\"x\",\"y\"]}}}"};
}

void FeedValidator(const TFuzzInput& input) {
    const TJsonRef value = JsonFromText(L"{\"a\":1,\"b\":[\"x\",\"y\"],\"c\":\"x\"}");
    value->Validate(ByteText(input));
    JsonFromText(L"[1,2,2,10]")->Validate(ByteText(input));
}

const TFuzzRegistration Reader{{"json_reader", Documents, FeedReader, 2000, JsonTokens}};
const TFuzzRegistration Path{{"json_path", Paths, FeedPath, 1500, JsonTokens}};
const TFuzzRegistration Validator{{"json_validator", Rules, FeedValidator, 1500, JsonTokens}};

} // namespace
