// `TStrings` as text: lines (Text), delimited items (CommaText, DelimitedText) and files.
//
// Delimited items: an item is quoted when it holds the quote character, the delimiter or, unless
// the delimiter is strict, a space or control character; quotes inside are doubled. A list of
// one empty item is written as two quotes so that it does not read back as an empty list.
// Reading splits on the delimiter and, unless strict, on blanks outside quotes; a delimiter at
// the end adds an empty last item.
#include "framework/StringLists.h"

namespace {

struct TDelimiting {
    wchar_t Delimiter;
    wchar_t Quote;
    bool Strict;

    bool IsBlank(wchar_t ch) const { return !Strict && ch <= L' '; }
};

bool NeedsQuotes(const UnicodeString& item, const TDelimiting& rules) {
    for (const wchar_t ch : item)
        if (ch == rules.Quote || ch == rules.Delimiter || rules.IsBlank(ch)) return true;
    return false;
}

UnicodeString Quoted(const UnicodeString& item, wchar_t quote) {
    UnicodeString result(1, quote);
    for (const wchar_t ch : item) {
        result += ch;
        if (ch == quote) result += ch;
    }
    return result + quote;
}

UnicodeString JoinItems(const TStrings& strings, const TDelimiting& rules) {
    if (strings.Count() == 1 && strings.Strings(0).empty()) return UnicodeString(2, rules.Quote);
    UnicodeString result;
    for (int i = 0; i < strings.Count(); ++i) {
        const UnicodeString item = strings.Strings(i);
        if (i > 0) result += rules.Delimiter;
        result += NeedsQuotes(item, rules) ? Quoted(item, rules.Quote) : item;
    }
    return result;
}

// From the opening quote at `pos` to past the closing one; an unclosed quote runs to the end.
UnicodeString ExtractQuoted(const UnicodeString& text, std::size_t& pos, wchar_t quote) {
    UnicodeString item;
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] != quote) {
            item += text[pos];
        } else if (pos + 1 < text.size() && text[pos + 1] == quote) {
            item += quote;
            ++pos;
        } else {
            ++pos;
            break;
        }
    }
    return item;
}

UnicodeString ExtractPlain(const UnicodeString& text, std::size_t& pos, const TDelimiting& rules) {
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != rules.Delimiter && !rules.IsBlank(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

std::vector<UnicodeString> SplitItems(const UnicodeString& text, const TDelimiting& rules) {
    std::vector<UnicodeString> items;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && rules.IsBlank(text[pos])) ++pos;
    };
    skipBlanks();
    while (pos < text.size()) {
        items.push_back(text[pos] == rules.Quote ? ExtractQuoted(text, pos, rules.Quote)
                                                 : ExtractPlain(text, pos, rules));
        skipBlanks();
        if (pos < text.size() && text[pos] == rules.Delimiter) {
            ++pos;
            skipBlanks();
            if (pos == text.size()) items.emplace_back();
        }
    }
    return items;
}

std::vector<UnicodeString> SplitLines(const UnicodeString& text) {
    std::vector<UnicodeString> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", pos);
        if (end == UnicodeString::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
        if (text[end] == L'\r' && pos < text.size() && text[pos] == L'\n') ++pos;
    }
    return lines;
}

constexpr TDelimiting CommaRules{L',', L'"', false};

} // namespace

void TStrings::ReplaceWith(const std::vector<UnicodeString>& items) {
    WithinUpdate([&] {
        Clear();
        for (const UnicodeString& item : items) Add(item);
    });
}

UnicodeString TStrings::Text() const {
    UnicodeString result;
    for (int i = 0; i < Count(); ++i) result += Strings(i) + L"\r\n";
    return result;
}

void TStrings::SetText(const UnicodeString& text) { ReplaceWith(SplitLines(text)); }

UnicodeString TStrings::CommaText() const { return JoinItems(*this, CommaRules); }

void TStrings::SetCommaText(const UnicodeString& text) {
    ReplaceWith(SplitItems(text, CommaRules));
}

UnicodeString TStrings::DelimitedText() const {
    return JoinItems(*this, {FDelimiter, FQuoteChar, FStrictDelimiter});
}

void TStrings::SetDelimitedText(const UnicodeString& text) {
    ReplaceWith(SplitItems(text, {FDelimiter, FQuoteChar, FStrictDelimiter}));
}

void TStrings::LoadFromStream(TStream* stream) {
    const Int64 size = stream->Size() - stream->Position();
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    stream->ReadBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
    SetText(DecodeTextWithMark(bytes.data(), bytes.size()));
}

void TStrings::LoadFromFile(const UnicodeString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TStrings::SaveToStream(TStream* stream, TTextEncoding encoding) const {
    const std::string bytes = ByteOrderMark(encoding) + EncodeText(Text(), encoding);
    stream->WriteBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
}

void TStrings::SaveToFile(const UnicodeString& fileName, TTextEncoding encoding) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file, encoding);
}
