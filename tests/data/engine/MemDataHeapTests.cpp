#include "data/engine/MemDataHeap.h"

#include "EngineModules.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace {

constexpr Integer ItemHeaderSize = 4 * Integer(sizeof(void*)) + 9;
constexpr Integer BlockHeaderSize = 2 * Integer(sizeof(void*)) + 5;
static_assert(sizeof(TItemHeader) == ItemHeaderSize);
static_assert(sizeof(TBlockHeader) == BlockHeaderSize);

// ---------------------------------------------------------------------------------------------
// Block manager

TEST(BlockManager, BlocksOfTenHandedOutLastItemFirst) {
    TBlockManager manager;
    manager.RecordSize = 7;
    PItemHeader first;
    manager.AllocItem(first);
    ASSERT_NE(manager.FirstBlock, nullptr);
    EXPECT_EQ(first, manager.ItemOf(manager.FirstBlock, 9));
    EXPECT_EQ(reinterpret_cast<Byte*>(first) - reinterpret_cast<Byte*>(manager.FirstBlock),
              BlockHeaderSize + 9 * (ItemHeaderSize + 7));
    EXPECT_EQ(first->Flag, TBlockManager::ItemUsed);
    EXPECT_EQ(first->Status, isUnmodified);
    EXPECT_EQ(first->UpdateResult, urNone);
    EXPECT_EQ(first->Rollback, nullptr);
    EXPECT_EQ(first->Order, 0);
    EXPECT_EQ(first->FilterResult, fsNotChecked);
    std::vector<PItemHeader> items{first};
    for (int i = 1; i < 10; ++i) {
        PItemHeader item;
        manager.AllocItem(item);
        items.push_back(item);
    }
    EXPECT_EQ(manager.FirstBlock->Next, nullptr);
    EXPECT_EQ(manager.FirstFree, nullptr);
    PItemHeader eleventh;
    manager.AllocItem(eleventh);
    ASSERT_NE(manager.FirstBlock->Next, nullptr) << "the 11th item needs a second block";
    EXPECT_EQ(eleventh->Block, manager.FirstBlock);

    // Freeing 9 of the first block's items keeps it; the 10th frees it.
    for (int i = 0; i < 9; ++i) manager.FreeItem(items[i]);
    EXPECT_EQ(items[9]->Block->UsedItems, 1);
    EXPECT_NE(manager.FirstBlock->Next, nullptr);
    manager.FreeItem(items[9]);
    EXPECT_EQ(manager.FirstBlock->Next, nullptr);
    EXPECT_EQ(manager.FirstBlock, eleventh->Block);
}

TEST(BlockManager, RecordsCopyInAndOutAndDoubleFreeFails) {
    TBlockManager manager;
    manager.RecordSize = 5;
    PItemHeader a, b;
    manager.AllocItem(a);
    manager.AllocItem(b);
    manager.PutRecord(a, "abcde");
    manager.CopyRecord(a, b);
    char out[6] = {};
    manager.GetRecord(b, out);
    EXPECT_STREQ(out, "abcde");
    EXPECT_EQ(TBlockManager::GetRecordPtr(a), reinterpret_cast<Byte*>(a) + ItemHeaderSize);
    manager.FreeItem(a);
    EXPECT_THROW(manager.FreeItem(a), EAssertionFailed);
    manager.RetireItem(b);
    EXPECT_THROW(manager.FreeItem(b), EAssertionFailed);
    EXPECT_THROW(manager.RetireItem(b), EAssertionFailed);
}

// The free list, the blocks and the records compared with a model of what they must hold.
struct TBlockModel {
    std::vector<PItemHeader> FreeStack; // top at the back
    std::map<PItemHeader, Byte> Live;   // item -> the byte its record is filled with
    std::set<PItemHeader> Retired;

    std::string Compare(const TBlockManager& manager) const {
        std::ostringstream error;
        std::vector<PItemHeader> freeList;
        for (PItemHeader item = manager.FirstFree; item; item = item->Next) {
            if (item->Next && item->Next->Prev != item) error << "free list links broken; ";
            if (item->Flag != TBlockManager::ItemFree) error << "free item not marked free; ";
            freeList.push_back(item);
            if (freeList.size() > 100000) return "free list loops";
        }
        std::vector<PItemHeader> expected(FreeStack.rbegin(), FreeStack.rend());
        if (freeList != expected) error << "free list order differs; ";
        std::map<PBlockHeader, Integer> used;
        for (const auto& [item, fill] : Live) {
            ++used[item->Block];
            if (item->Flag != TBlockManager::ItemUsed) error << "live item not marked used; ";
            const Byte* record = static_cast<const Byte*>(TBlockManager::GetRecordPtr(item));
            if (std::any_of(record, record + manager.RecordSize,
                            [fill](Byte b) { return b != fill; }))
                error << "record overwritten; ";
        }
        for (PItemHeader item : Retired) {
            ++used[item->Block];
            if (item->Flag != TBlockManager::ItemRetired) error << "retired item not marked; ";
        }
        std::size_t blocks = 0;
        for (PBlockHeader block = manager.FirstBlock; block; block = block->Next, ++blocks) {
            auto it = used.find(block);
            if (it == used.end() || block->UsedItems != it->second) error << "UsedItems differs; ";
        }
        if (blocks != used.size()) error << "blocks kept without used items; ";
        return error.str();
    }

    void Allocated(const TBlockManager& manager, PItemHeader item, std::string& error) {
        if (FreeStack.empty()) // a new block: its items were pushed first to last
            for (Integer i = 0; i < 10; ++i) FreeStack.push_back(manager.ItemOf(item->Block, i));
        if (FreeStack.back() != item) error += "allocated item is not the free list's head; ";
        FreeStack.pop_back();
    }

    void Freed(PItemHeader item, PBlockHeader block, bool blockFreed) {
        Live.erase(item);
        if (!blockFreed) {
            FreeStack.push_back(item);
            return;
        }
        std::erase_if(FreeStack, [block](PItemHeader free) { return free->Block == block; });
    }
};

TEST(BlockManager, MatchesTheModelUnderRandomOperations) {
    TBlockManager manager;
    manager.RecordSize = 13;
    TBlockModel model;
    std::mt19937 random(35);
    for (int step = 0; step < 20000; ++step) {
        std::string error;
        if (model.Live.empty() || random() % 100 < 55) {
            PItemHeader item;
            manager.AllocItem(item);
            if (model.Live.count(item) || model.Retired.count(item))
                error += "a live or retired item was handed out again; ";
            model.Allocated(manager, item, error);
            const Byte fill = Byte(random());
            std::memset(TBlockManager::GetRecordPtr(item), fill, manager.RecordSize);
            model.Live[item] = fill;
        } else {
            auto it = std::next(model.Live.begin(), random() % model.Live.size());
            PItemHeader item = it->first;
            PBlockHeader block = item->Block;
            const bool last = block->UsedItems == 1;
            if (random() % 5 == 0) { // retired: neither freed nor handed out again
                manager.RetireItem(item);
                model.Live.erase(item);
                model.Retired.insert(item);
            } else {
                manager.FreeItem(item);
                model.Freed(item, block, last);
            }
        }
        error += model.Compare(manager);
        ASSERT_EQ(error, "") << "step " << step;
    }
}

TEST(BlockManager, TheModelComparisonCatchesACorruptedCount) {
    TBlockManager manager;
    manager.RecordSize = 4;
    TBlockModel model;
    std::string error;
    for (int i = 0; i < 3; ++i) {
        PItemHeader item;
        manager.AllocItem(item);
        model.Allocated(manager, item, error);
        std::memset(TBlockManager::GetRecordPtr(item), 7, 4);
        model.Live[item] = 7;
    }
    ASSERT_EQ(error + model.Compare(manager), "");
    --manager.FirstBlock->UsedItems; // the deliberate fault
    EXPECT_NE(model.Compare(manager), "");
    ++manager.FirstBlock->UsedItems;
}

// ---------------------------------------------------------------------------------------------
// String heap

constexpr Integer LinkSize = Integer(sizeof(void*));

TEST(StringHeap, SizeClassesAndTheFirstChunkLayout) {
    TStringHeap heap;
    void* a = heap.NewBuf(16);
    void* b = heap.NewBuf(16);
    EXPECT_EQ(static_cast<Byte*>(b) - static_cast<Byte*>(a), 22);
    EXPECT_EQ(TStringHeap::BufSize(a), 16);
    EXPECT_EQ(TStringHeap::BufMark(a), 101);
    // The chunk link and the buffer's header come before the first data byte.
    void* chunk = *reinterpret_cast<void**>(static_cast<Byte*>(a) - 6 - LinkSize);
    EXPECT_EQ(chunk, nullptr) << "the first chunk links to no older chunk";

    EXPECT_EQ(TStringHeap::BufSize(heap.NewBuf(1)), 8);
    EXPECT_EQ(TStringHeap::BufSize(heap.NewBuf(8)), 8);
    EXPECT_EQ(TStringHeap::BufSize(heap.NewBuf(2000)), 2000);
    EXPECT_FALSE(heap.SysGetMem());
    void* large = heap.NewBuf(2001);
    EXPECT_TRUE(heap.SysGetMem());
    EXPECT_EQ(TStringHeap::BufSize(large), 2001) << "large buffers keep their size header";
    heap.DisposeBuf(large);
    EXPECT_EQ(heap.NewBuf(0), nullptr);
    EXPECT_EQ(heap.NewBuf(-3), nullptr);
}

TEST(StringHeap, ReferenceMarks) {
    TStringHeap heap;
    void* buf = heap.NewBuf(10);
    heap.AddRef(buf);
    EXPECT_EQ(TStringHeap::BufMark(buf), 102);
    heap.DisposeBuf(buf);
    EXPECT_EQ(TStringHeap::BufMark(buf), 101);
    heap.DisposeBuf(buf);
    EXPECT_EQ(TStringHeap::BufMark(buf), 100);
    try {
        heap.DisposeBuf(buf);
        FAIL() << "a disposed buffer was disposed again";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), L"DisposeBuf failed");
    }
    try {
        heap.AddRef(buf);
        FAIL() << "a disposed buffer gained a reference";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), L"AddRefStr failed");
    }
    EXPECT_EQ(heap.NewBuf(16), buf) << "a freed buffer is the next of its class";
    heap.AddRef(nullptr);
    heap.DisposeBuf(nullptr);
}

TEST(StringHeap, TheReferenceMarkNeverWraps) {
    TStringHeap heap;
    void* buf = heap.NewBuf(4);
    for (int i = 101; i < 0xFFFF; ++i) heap.AddRef(buf);
    EXPECT_EQ(TStringHeap::BufMark(buf), 0xFFFF);
    EXPECT_THROW(heap.AddRef(buf), EAssertionFailed);
    EXPECT_EQ(TStringHeap::BufMark(buf), 0xFFFF) << "the failed AddRef changed nothing";
    heap.DisposeBuf(buf);
    EXPECT_EQ(TStringHeap::BufMark(buf), 0xFFFE);
}

TEST(StringHeap, ChunkTailsAreSalvagedAndFullChunksRollOver) {
    TStringHeap heap;
    // 8 buffers of 2000 bytes fill 16048 of the first chunk's room; the 9th does not fit.
    std::vector<void*> bufs;
    for (int i = 0; i < 8; ++i) bufs.push_back(heap.NewBuf(2000));
    const Integer tail = TStringHeap::ChunkRoom - 8 * 2006;
    void* next = heap.NewBuf(2000);
    EXPECT_NE(static_cast<Byte*>(next) - static_cast<Byte*>(bufs[7]), 2006) << "a new chunk";
    // The salvaged tail is now the free buffer of its class.
    const Integer salvagedClass = (tail - 6) / 8;
    void* salvaged = heap.NewBuf(salvagedClass * 8);
    EXPECT_EQ(salvaged, static_cast<Byte*>(bufs[7]) + 2006);
    EXPECT_EQ(TStringHeap::BufSize(salvaged), salvagedClass * 8);
}

TEST(StringHeap, AStarvedChunkGivesItsRemainderToTheLastPiece) {
    TStringHeap heap;
    Integer room = TStringHeap::ChunkRoom;
    while (room >= 2006 + 20) {
        heap.NewBuf(2000);
        room -= 2006;
    }
    // 8-byte pieces (14 bytes each) until the largest class that fits leaves 8 to 13 bytes.
    while (room > 2000 || (room - 14) % 8 >= 6) {
        heap.NewBuf(8);
        room -= 14;
    }
    const Integer sizeClass = (room - 14) / 8;
    void* last = heap.NewBuf(sizeClass * 8);
    EXPECT_EQ(TStringHeap::BufSize(last), sizeClass * 8 + 8);
    // The chunk was given up: the next piece starts a new one.
    void* next = heap.NewBuf(8);
    EXPECT_NE(static_cast<Byte*>(next) - static_cast<Byte*>(last), sizeClass * 8 + 8 + 6);
}

TEST(StringHeap, StringCopies) {
    TStringHeap heap;
    void* trimmed = heap.AllocStr("ab ", true);
    EXPECT_STREQ(static_cast<char*>(trimmed), "ab");
    EXPECT_EQ(TStringHeap::BufSize(trimmed), 8);
    EXPECT_STREQ(static_cast<char*>(heap.AllocStr("abcdef", false, 3)), "abc");
    EXPECT_EQ(heap.AllocStr(nullptr), nullptr);
    void* wide = heap.AllocWideStr(L"x y  ", true);
    EXPECT_STREQ(static_cast<wchar_t*>(wide), L"x y");
    void* copy = heap.ReAllocWideStr(wide);
    EXPECT_STREQ(static_cast<wchar_t*>(copy), L"x y");
    EXPECT_EQ(TStringHeap::BufMark(wide), 100) << "the old buffer was disposed of";
    void* narrowCopy = heap.ReAllocStr(trimmed);
    EXPECT_STREQ(static_cast<char*>(narrowCopy), "ab");
}

TEST(StringHeap, ClearStartsAgain) {
    TStringHeap heap;
    EXPECT_TRUE(heap.Empty());
    heap.Clear(); // nothing to do
    void* first = heap.NewBuf(8);
    EXPECT_FALSE(heap.Empty());
    heap.Clear();
    EXPECT_TRUE(heap.Empty());
    EXPECT_FALSE(heap.SysGetMem());
    void* again = heap.NewBuf(8);
    EXPECT_EQ(TStringHeap::BufMark(again), 101);
    (void)first;
}

// A trivially correct model: live buffers with their reference counts and contents.
struct THeapModel {
    struct TLive {
        Integer Size;
        Integer Refs;
        Byte Fill;
    };
    std::map<Byte*, TLive> Live;
    bool Empty = true, SysGetMem = false;

    std::string Compare(const TStringHeap& heap) const {
        std::ostringstream error;
        if (heap.Empty() != Empty) error << "Empty differs; ";
        if (heap.SysGetMem() != SysGetMem) error << "SysGetMem differs; ";
        const Byte* end = nullptr;
        for (const auto& [buf, live] : Live) {
            if (TStringHeap::BufMark(buf) != 100 + live.Refs) error << "mark differs; ";
            const Integer size = TStringHeap::BufSize(buf);
            if (size < live.Size) error << "buffer smaller than asked; ";
            if (live.Size <= 2000 && size % 8 != 0) error << "small size not a multiple of 8; ";
            if (std::any_of(buf, buf + live.Size, [&live](Byte b) { return b != live.Fill; }))
                error << "data overwritten; ";
            if (end && buf - 6 < end) error << "buffers overlap; ";
            end = buf + size;
        }
        return error.str();
    }
};

TEST(StringHeap, MatchesTheModelUnderRandomOperations) {
    TStringHeap heap;
    THeapModel model;
    std::mt19937 random(8104);
    for (int step = 0; step < 30000; ++step) {
        const unsigned op = random() % 100;
        if (model.Live.empty() || op < 50) {
            const unsigned kind = random() % 20;
            const Integer size = kind == 0  ? 2001 + Integer(random() % 6000)
                                 : kind < 4 ? 1 + Integer(random() % 2000)
                                            : 1 + Integer(random() % 120);
            Byte* buf = static_cast<Byte*>(heap.NewBuf(size));
            ASSERT_EQ(model.Live.count(buf), 0u)
                << "a live buffer was handed out again, step " << step;
            const Byte fill = Byte(random());
            std::memset(buf, fill, size);
            model.Live[buf] = {size, 1, fill};
            model.Empty = false;
            model.SysGetMem = model.SysGetMem || size > 2000;
        } else if (op < 85) {
            auto it = std::next(model.Live.begin(), random() % model.Live.size());
            heap.DisposeBuf(it->first);
            if (--it->second.Refs == 0) {
                if (it->second.Size <= 2000) {
                    EXPECT_EQ(TStringHeap::BufMark(it->first), 100);
                }
                model.Live.erase(it);
            }
        } else if (op < 99) {
            auto it = std::next(model.Live.begin(), random() % model.Live.size());
            heap.AddRef(it->first);
            ++it->second.Refs;
        } else { // a storage's release: large buffers first, then one Clear
            for (auto it = model.Live.begin(); it != model.Live.end();)
                if (it->second.Size > 2000) {
                    while (it->second.Refs-- > 0) heap.DisposeBuf(it->first);
                    it = model.Live.erase(it);
                } else {
                    ++it;
                }
            heap.Clear();
            model = THeapModel();
        }
        ASSERT_EQ(model.Compare(heap), "") << "step " << step;
    }
    for (auto& [buf, live] : model.Live)
        if (live.Size > 2000) heap.DisposeBuf(buf);
}

TEST(StringHeap, TheModelComparisonCatchesAReferenceBehindItsBack) {
    TStringHeap heap;
    THeapModel model;
    Byte* buf = static_cast<Byte*>(heap.NewBuf(24));
    std::memset(buf, 5, 24);
    model.Live[buf] = {24, 1, 5};
    model.Empty = false;
    ASSERT_EQ(model.Compare(heap), "");
    heap.AddRef(buf); // the deliberate fault: the model is not told
    EXPECT_NE(model.Compare(heap), "");
    buf[24] = 9; // and an overrun into the next piece's header is caught too
    Byte* next = static_cast<Byte*>(heap.NewBuf(8));
    std::memset(next, 1, 8);
    model.Live[buf].Refs = 2;
    model.Live[next] = {8, 1, 1};
    next[-6] = 0; // corrupts the neighbour's recorded size
    EXPECT_NE(model.Compare(heap), "");
}

TEST(StringHeap, SharedBuffersUnderThreadSafety) {
    for (int repeat = 0; repeat < 3; ++repeat) {
        TStringHeap heap;
        heap.SetThreadSafety(true);
        void* shared = heap.NewBuf(32);
        std::vector<std::thread> threads;
        std::atomic<int> failures{0};
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&heap, shared, &failures, t] {
                std::mt19937 random(t);
                for (int i = 0; i < 20000; ++i) {
                    heap.AddRef(shared);
                    const Integer size = 1 + Integer(random() % 300);
                    Byte* own = static_cast<Byte*>(heap.NewBuf(size));
                    std::memset(own, t, size);
                    if (std::any_of(own, own + size, [t](Byte b) { return b != t; })) ++failures;
                    heap.DisposeBuf(own);
                    heap.DisposeBuf(shared);
                }
            });
        for (std::thread& thread : threads) thread.join();
        EXPECT_EQ(failures.load(), 0);
        EXPECT_EQ(TStringHeap::BufMark(shared), 101) << "no reference was lost or gained";
        heap.SetThreadSafety(false);
    }
}

} // namespace
