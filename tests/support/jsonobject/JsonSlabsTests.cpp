// The document's slabs: blocks carved from them against a model of what each block holds, and
// values read from a large document living on after the reader, changed and freed on other
// threads.
#include "support/jsonobject/jsonobject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TBlock {
    unsigned char* At;
    std::size_t Size;
    unsigned char Fill;
};

// Whether every live block still holds its own fill: carving two blocks over each other, or
// reusing a block still in use, shows here.
bool Intact(const std::vector<TBlock>& blocks) {
    for (const TBlock& block : blocks)
        for (std::size_t i = 0; i < block.Size; ++i)
            if (block.At[i] != block.Fill) return false;
    return true;
}

UnicodeString DocumentOf(int items) {
    UnicodeString text = L"[";
    for (int k = 0; k < items; ++k)
        text += (k ? L"," : L"") + UnicodeString(L"{\"id\":") + std::to_wstring(k) +
                L",\"name\":\"item " + std::to_wstring(k) + L"\",\"tags\":[\"a\",\"b\"]}";
    return text + L"]";
}

} // namespace

TEST(JsonSlabs, BlocksKeepTheirContentsWhileOthersComeAndGo) {
    std::mt19937 random(7);
    std::vector<TBlock> live;
    {
        TJsonSlabs slabs;
        // A small document stays on the heap: the first requests are refused.
        for (Integer i = 0; i < TJsonSlabs::HeapBlocks; ++i) EXPECT_EQ(slabs.Allocate(16), nullptr);
        EXPECT_EQ(slabs.Allocate(TJsonSlabs::MaxBlock + 1), nullptr);
        unsigned char fill = 0;
        for (int round = 0; round < 20000; ++round) {
            if (!live.empty() && random() % 3 == 0) {
                const std::size_t doomed = random() % live.size();
                TJsonSlabs::Free(live[doomed].At);
                live[doomed] = live.back();
                live.pop_back();
                continue;
            }
            const std::size_t size = 1 + random() % TJsonSlabs::MaxBlock;
            auto* at = static_cast<unsigned char*>(slabs.Allocate(size));
            ASSERT_NE(at, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % TJsonSlabs::Alignment, 0u);
            std::memset(at, ++fill, size);
            live.push_back({at, size, fill});
        }
        EXPECT_TRUE(Intact(live));
    }
    // The blocks outlive the slabs object that carved them.
    EXPECT_TRUE(Intact(live));
    // The check bites: one changed byte is seen.
    live.front().At[0] ^= 1;
    EXPECT_FALSE(Intact(live));
    live.front().At[0] ^= 1;
    // Freed on another thread.
    std::thread([&] {
        for (const TBlock& block : live) TJsonSlabs::Free(block.At);
    }).join();
}

TEST(JsonSlabs, ValuesOfALargeDocumentOutliveItAndChange) {
    const Integer before = JsonLiveValueCount();
    TJsonRef item, name;
    {
        const TJsonRef root = TJsonObject::ParseString(DocumentOf(3000), false);
        ASSERT_TRUE(root);
        ASSERT_EQ(root->AsArray()->Length(), 3000);
        item = root->AsArray()->GetElement(2500);
        name = root->AsArray()->GetElement(2999)->PathGetObject(L"name");
    }
    EXPECT_EQ(item->AsJSon(), L"{\"id\":2500,\"tags\":[\"a\",\"b\"],\"name\":\"item 2500\"}");
    EXPECT_EQ(name->AsString(), L"item 2999");
    // Changes made after the reading take other memory; the document's is let go as it was.
    item->PathPutString(L"name", L"renamed");
    item->PathPutString(L"tags[0]", L"a much longer tag than the one read");
    item->PathPutInteger(L"extra", 5);
    EXPECT_EQ(item->AsJSon(),
              L"{\"id\":2500,\"extra\":5,\"tags\":[\"a much longer tag than the one read\","
              L"\"b\"],\"name\":\"renamed\"}");
    TJsonRef other = TJsonObject::ParseString(DocumentOf(600), false);
    other->AsArray()->Add(item);
    std::thread([&] {
        item.Reset();
        name.Reset();
        other.Reset();
    }).join();
    EXPECT_EQ(JsonLiveValueCount(), before);
}
