// The lexer's shared symbol and keyword tables and their lookup. Tables are sorted by UTF-16
// units; a lookup upper-cases a-z of the text only, so keywords match case-insensitively for
// ASCII letters and never for other scripts.
#include "data/engine/DcParser.h"

#include "framework/Conversions.h"

#include <algorithm>
#include <memory>

namespace {
wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c; }

// Unit by unit over the shorter length; on a tie the shorter text is the smaller.
int CompareEntry(const UnicodeString& entry, const wchar_t* text, Integer length) {
    const Integer n = std::min(Integer(entry.size()), length);
    for (Integer i = 0; i < n; ++i) {
        const wchar_t a = entry[i], b = UpperAscii(text[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    return Integer(entry.size()) < length ? -1 : Integer(entry.size()) > length ? 1 : 0;
}

struct TTables {
    bool LocaleUpperIsAsciiUpper;
    TLexemTable GenericSymbols;
    TLexemTable GenericKeywords;
    TLexemTable SQLSymbols;
    TLexemTable SQLKeywords;
};
TTables* Tables = nullptr; // set at start-up, read-only until shutdown

std::vector<TLexemTable::TEntry> GenericSymbolEntries() {
    std::vector<TLexemTable::TEntry> entries;
    Integer code = 1;
    for (wchar_t c = 33; c <= 96; ++c)
        if (c <= 47 || (c >= 58 && c <= 64) || c >= 91)
            entries.push_back({UnicodeString(1, c), code++});
    return entries;
}

std::vector<TLexemTable::TEntry> SQLKeywordEntries() {
    // 107 and 117 complete the select modifiers and the clause codes that use them.
    static const wchar_t* const words[] = {
        L"ALL",       L"AND",     L"AS",     L"BEGIN",     L"BY",          L"COMMIT", L"DELETE",
        L"DISTINCT",  L"EXECUTE", L"FETCH",  L"FOR",       L"FROM",        L"FULL",   L"GROUP",
        L"HAVING",    L"INNER",   L"INSERT", L"INTERSECT", L"INTO",        L"IS",     L"JOIN",
        L"LEFT",      L"LIMIT",   L"LOCK",   L"MINUS",     L"NOT",         L"OFFSET", L"ON",
        L"OR",        L"ORDER",   L"OUTER",  L"RELEASE",   L"RETURNING",   L"RIGHT",  L"ROLLBACK",
        L"SAVEPOINT", L"SELECT",  L"SET",    L"TO",        L"TRANSACTION", L"UNION",  L"UPDATE",
        L"WHERE"};
    std::vector<TLexemTable::TEntry> entries;
    Integer code = 100;
    for (const wchar_t* word : words) entries.push_back({word, code++});
    return entries;
}

const TTables& Shared() {
    Check(Tables != nullptr, L"The DcParser module is not initialised");
    return *Tables;
}
} // namespace

TLexemTable::TLexemTable(std::vector<TEntry> entries) : FEntries(std::move(entries)) {
    std::sort(FEntries.begin(), FEntries.end(),
              [](const TEntry& a, const TEntry& b) { return a.Text < b.Text; });
}

const TLexemTable::TEntry* TLexemTable::Find(const wchar_t* text, Integer length) const {
    Integer low = 0, high = Integer(FEntries.size()) - 1;
    while (low <= high) {
        const Integer middle = (low + high) / 2;
        const int order = CompareEntry(FEntries[middle].Text, text, length);
        if (order == 0) return &FEntries[middle];
        if (order < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return nullptr;
}

bool LocaleUpperIsAsciiUpper() { return Shared().LocaleUpperIsAsciiUpper; }
const TLexemTable& GenericSymbolLexems() { return Shared().GenericSymbols; }
const TLexemTable& GenericKeywordLexems() { return Shared().GenericKeywords; }
const TLexemTable& SQLSymbolLexems() { return Shared().SQLSymbols; }
const TLexemTable& SQLKeywordLexems() { return Shared().SQLKeywords; }

TModuleEntry DcParserModule() {
    return {
        L"DcParser",
        {L"CLRClasses"},
        [] {
            Tables = new TTables{
                AnsiUpperCase(L"abcdefghijklmnopqrstuvwxyz") == L"ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                TLexemTable(GenericSymbolEntries()),
                TLexemTable({{L"AND", 29}, {L"NOT", 30}, {L"OR", 31}}),
                TLexemTable(
                    {{L"*", 1}, {L"=", 2}, {L":", 3}, {L",", 4}, {L".", 5}, {L"/", 6}, {L";", 7}}),
                TLexemTable(SQLKeywordEntries())};
        },
        [] {
            delete Tables;
            Tables = nullptr;
        }};
}
