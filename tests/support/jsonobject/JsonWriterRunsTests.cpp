// The writer hands its text to the sink in runs: texts longer than a run, and what the sink
// answers, must come out as if every token were appended on its own.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

namespace {

// A sink that keeps what it is given and refuses every append after the first `accepted`.
class TCountingSink : public TJsonWriter {
public:
    explicit TCountingSink(int accepted) : FAccepted(accepted) {}
    using TJsonWriter::Append;
    Integer Append(const wchar_t* buf, Integer count) override {
        if (FAccepted-- <= 0) return -1;
        Text.append(buf, static_cast<std::size_t>(count));
        return count;
    }
    void Reset() override { Text.clear(); }
    UnicodeString Text;

private:
    int FAccepted;
};

} // namespace

TEST(JsonWriterRuns, LongTextsAreWrittenAsTheirPiecesAre) {
    const UnicodeString pieces[] = {L"a",     L"\"", UnicodeString(1, wchar_t(0xE9)),
                                    L"\n",    L"/",  UnicodeString(1, wchar_t(0x263A)),
                                    L"plain "};
    for (const std::size_t repeats : {std::size_t{1}, std::size_t{100}, std::size_t{3000}}) {
        for (const bool escape : {false, true}) {
            UnicodeString text, expected = L"\"";
            for (std::size_t r = 0; r < repeats; ++r)
                for (const UnicodeString& piece : pieces) {
                    text += piece;
                    const UnicodeString alone = TJsonObject::Create(piece)->AsJSon(false, escape);
                    expected += alone.substr(1, alone.size() - 2);
                }
            expected += L"\"";
            const TJsonRef list = TJsonObject::Create(stArray);
            list->AsArray()->Add(TJsonObject::Create(text));
            list->AsArray()->Add(TJsonObject::Create(text));
            EXPECT_EQ(TJsonObject::Create(text)->AsJSon(false, escape), expected) << repeats;
            EXPECT_EQ(list->AsJSon(false, escape), L"[" + expected + L"," + expected + L"]");
            EXPECT_EQ(list->CalcSize(false, escape), static_cast<Integer>(expected.size() * 2 + 3));
        }
    }
}

TEST(JsonWriterRuns, TheResultIsTheLastAppendsAndAFailureEndsTheWriting) {
    const TJsonRef doc = JsonFromText(L"{\"a\":[1,2.5,\"x\"],\"b\":{\"c\":true}}");
    TCountingSink all(1000);
    EXPECT_EQ(doc->Serialize(all, false, true, 0), 1); // the closing brace alone
    EXPECT_EQ(all.Text, doc->AsJSon());
    TCountingSink scalar(1000);
    EXPECT_EQ(TJsonObject::Create(Int64{-42})->Serialize(scalar, false, true, 0), 3);
    EXPECT_EQ(TJsonObject::Create(L"text")->Serialize(scalar, false, true, 0), 0);
    for (int accepted = 0; accepted < 2; ++accepted) {
        TCountingSink failing(accepted);
        EXPECT_LT(doc->Serialize(failing, false, true, 0), 0) << accepted;
        EXPECT_LT(TJsonObject::Create(L"text")->Serialize(failing, false, true, 0), 0);
        EXPECT_FALSE(JsonImpl(doc.Get())->Processing());
    }
}
