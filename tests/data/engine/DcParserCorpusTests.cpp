// The lexer over a corpus of odd SQL: the lexemes, kept whole (blanks, comments and quotes
// included), give the text back; stream mode reads the same lexemes as text mode across block
// boundaries in every encoding; and a seeded mutation run feeds it damaged texts.
#include "data/engine/DcParser.h"

#include "EngineModules.h"
#include "SqlCorpus.h"

#include "framework/Streams.h"
#include "framework/TextEncoding.h"

#include <random>

namespace {

struct TScanned {
    Integer Code;
    UnicodeString Text;
    Int64 Pos, Line;
    bool operator==(const TScanned&) const = default;
};

class DcParserCorpusTest : public EngineModulesTest {
protected:
    DcParserCorpusTest() : EngineModulesTest({CLRClassesModule(), DcParserModule()}) {}

    // Every lexeme whole: blanks, comments, quotes and keywords as written.
    static void KeepEverything(TParser& parser) {
        parser.SetOmitBlank(false);
        parser.SetUppered(false);
        parser.SetQuotedString(true);
        parser.SetAdvancedStringParsing(true); // lines inside strings count, as in stream mode
        parser.DecSeparator = L".";
    }

    // Lexes to the end; `failed` tells whether an unknown symbol stopped it.
    static std::vector<TScanned> Scan(TParser& parser, bool* failed = nullptr) {
        KeepEverything(parser);
        std::vector<TScanned> lexemes;
        if (failed) *failed = false;
        try {
            for (;;) {
                UnicodeString text;
                const Integer code = parser.GetNext(text);
                if (code == lcEnd) break;
                lexemes.push_back({code, text, parser.CurrPos(), parser.CurrLine()});
            }
        } catch (const Exception&) {
            if (!failed) throw;
            *failed = true;
        }
        return lexemes;
    }

    static std::vector<TScanned> ScanText(const UnicodeString& text) {
        TOwned<TSQLParser> parser(Construct<TSQLParser>(text));
        return Scan(*parser);
    }

    static std::vector<TScanned> ScanStream(const std::string& bytes, Encoding* encoding) {
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), NativeInt(bytes.size()));
        stream.SetPosition(0);
        TOwned<TSQLParser> parser(Construct<TSQLParser>(static_cast<TStream*>(&stream), encoding));
        return Scan(*parser);
    }

    static UnicodeString Joined(const std::vector<TScanned>& lexemes) {
        UnicodeString text;
        for (const TScanned& l : lexemes) text += l.Text;
        return text;
    }

    static UnicodeString Corpus(int copies) {
        UnicodeString text;
        for (int i = 0; i < copies; ++i)
            for (const std::wstring& statement : SqlCorpus())
                if (statement.find(L"unterminated") == std::wstring::npos)
                    text += statement + L";\r\n";
        return text;
    }
};

TEST_F(DcParserCorpusTest, LexemesGiveTheTextBack) {
    for (const std::wstring& statement : SqlCorpus()) {
        const auto lexemes = ScanText(statement);
        EXPECT_EQ(Joined(lexemes), statement);
        Int64 end = 0;
        for (const TScanned& l : lexemes) {
            end += Int64(l.Text.size());
            EXPECT_EQ(l.Pos, end) << "each lexeme ends where the next begins";
        }
    }
}

TEST_F(DcParserCorpusTest, DistinctAndIntersectAreKeywordsInTheCorpus) {
    const auto lexemes = ScanText(SqlCorpus()[2] + L" " + SqlCorpus()[1]);
    int distinct = 0, intersect = 0;
    for (const TScanned& l : lexemes) {
        distinct += l.Code == 107;
        intersect += l.Code == 117;
    }
    EXPECT_EQ(distinct, 1);
    EXPECT_EQ(intersect, 1);
}

TEST_F(DcParserCorpusTest, StreamModeReadsWhatTextModeReads) {
    const UnicodeString ascii = Corpus(150); // several 64 KB blocks, with re-basing
    std::string bytes;
    for (wchar_t c : ascii) bytes += c < 128 ? char(c) : '?';
    UnicodeString narrowed(bytes.begin(), bytes.end());
    ASSERT_GT(bytes.size(), 3u * 65536);
    EXPECT_EQ(ScanStream(bytes, nullptr), ScanText(narrowed));

    const std::string utf16 = EncodeText(ascii, TTextEncoding::Utf16LE);
    EXPECT_EQ(ScanStream(utf16, Encoding::Unicode()), ScanText(ascii));
}

TEST_F(DcParserCorpusTest, Utf8CharactersSplitByABlockBoundaryDecodeWhole) {
    for (int shift = 0; shift < 3; ++shift) {
        // A three-byte character starts 1, 2 or 3 bytes before the first block's end.
        const UnicodeString text =
            UnicodeString(65533 + shift, L'x') + L" \u4e2d\u6587 '\u503c' " + Corpus(3);
        const std::string utf8 = UnicodeToUtf8(text);
        const auto streamed = ScanStream(utf8, Encoding::UTF8());
        EXPECT_EQ(streamed, ScanText(text)) << "shift " << shift;
        EXPECT_EQ(Joined(streamed), text);
    }
}

TEST_F(DcParserCorpusTest, ALexemeLongerThanABlockIsReadWhole) {
    const UnicodeString text = L"a '" + UnicodeString(200000, L'z') + L"' b";
    const auto lexemes = ScanStream(UnicodeToUtf8(text), Encoding::Default());
    ASSERT_EQ(lexemes.size(), 5u);
    EXPECT_EQ(lexemes[2].Text.size(), 200002u);
    EXPECT_EQ(lexemes[4].Pos, Int64(text.size()));
}

// Damaged statements: the lexer ends or names an unknown symbol, and what it read is the text
// up to that point.
TEST_F(DcParserCorpusTest, SeededMutationsNeverLoseText) {
    std::mt19937 random(20261211);
    const wchar_t alphabet[] = L"'\"$-/*\r\n \t.:;?@#[]{}()_aZ9\x01\x7f\u00e9\u4e2d";
    const auto& corpus = SqlCorpus();
    for (int round = 0; round < 4000; ++round) {
        UnicodeString text = corpus[random() % corpus.size()];
        const int edits = 1 + int(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
            switch (random() % 3) {
            case 0: text.insert(at, 1, alphabet[random() % (std::size(alphabet) - 1)]); break;
            case 1:
                if (at < text.size()) text.erase(at, 1 + random() % 4);
                break;
            default: text.insert(at, text.substr(random() % (text.size() + 1), random() % 8));
            }
        }
        TOwned<TSQLParser> parser(Construct<TSQLParser>(text));
        bool failed = false;
        const auto lexemes = Scan(*parser, &failed);
        const UnicodeString read = Joined(lexemes);
        ASSERT_EQ(text.compare(0, read.size(), read), 0) << "round " << round;
        if (failed) {
            ASSERT_LT(read.size(), text.size());
            const wchar_t stop = text[read.size()];
            ASSERT_TRUE(stop < 32 || stop == 127)
                << "round " << round << " stopped at " << int(stop);
        } else {
            ASSERT_EQ(read, text) << "round " << round;
        }
    }
}

} // namespace
