// TBlockManager: record items handed out from blocks of ten. The free list is LIFO, so a block
// just allocated gives its items from the last to the first, and an item freed is the next one
// handed out. A block is freed with its last used item.
#include "data/engine/MemDataHeap.h"

#include "data/engine/CLRClasses.h"

namespace {
NativeInt ItemSize(Integer recordSize) { return NativeInt(sizeof(TItemHeader)) + recordSize; }
} // namespace

PItemHeader TBlockManager::ItemOf(PBlockHeader Block, Integer Index) const {
    Byte* first = reinterpret_cast<Byte*>(Block) + sizeof(TBlockHeader);
    return reinterpret_cast<PItemHeader>(first + Index * ItemSize(RecordSize));
}

void TBlockManager::AllocBlock(PBlockHeader& Block, Word ItemCount) {
    Block = static_cast<PBlockHeader>(
        Marshal::AllocHGlobal(ItemCount * ItemSize(RecordSize) + NativeInt(sizeof(TBlockHeader))));
    Block->ItemCount = ItemCount;
    Block->UsedItems = 0;
    Block->Prev = nullptr;
    Block->Next = FirstBlock;
    Block->Test = 0;
    if (FirstBlock) FirstBlock->Prev = Block;
    FirstBlock = Block;
}

void TBlockManager::PushFree(PItemHeader Item) {
    Item->Prev = nullptr;
    Item->Next = FirstFree;
    if (FirstFree) FirstFree->Prev = Item;
    FirstFree = Item;
}

void TBlockManager::UnlinkFree(PItemHeader Item) {
    if (Item->Prev)
        Item->Prev->Next = Item->Next;
    else
        FirstFree = Item->Next;
    if (Item->Next) Item->Next->Prev = Item->Prev;
}

void TBlockManager::AddFreeBlock() {
    PBlockHeader block;
    AllocBlock(block, DefaultItemCount);
    for (Integer i = 0; i < block->ItemCount; ++i) {
        PItemHeader item = ItemOf(block, i);
        item->Flag = ItemFree;
        item->Block = block;
        PushFree(item);
    }
}

void TBlockManager::InitItem(PItemHeader Item) {
    Item->Rollback = nullptr;
    Item->Status = isUnmodified;
    Item->UpdateResult = urNone;
}

void TBlockManager::AllocItem(PItemHeader& Item) {
    if (!FirstFree) AddFreeBlock();
    PItemHeader item = FirstFree;
    Check(item->Flag == ItemFree, L"TBlockManager.AllocItem: the free item is in use");
    item->Flag = ItemUsed;
    UnlinkFree(item);
    InitItem(item);
    item->Order = 0;
    item->FilterResult = fsNotChecked;
    ++item->Block->UsedItems;
    Item = item;
}

void TBlockManager::FreeItem(PItemHeader Item) {
    Check(Item->Flag == ItemUsed, L"TBlockManager.FreeItem: the item is not in use");
    PBlockHeader block = Item->Block;
    if (block->UsedItems > 1) {
        Item->Flag = ItemFree;
        PushFree(Item);
        --block->UsedItems;
        return;
    }
    for (Integer i = 0; i < block->ItemCount; ++i) {
        PItemHeader other = ItemOf(block, i);
        if (other == Item) continue;
        Check(other->Flag == ItemFree, L"TBlockManager.FreeItem: a free block item is in use");
    }
    Item->Flag = ItemFree;
    for (Integer i = 0; i < block->ItemCount; ++i)
        if (ItemOf(block, i) != Item) UnlinkFree(ItemOf(block, i));
    FreeBlock(block);
}

void TBlockManager::RetireItem(PItemHeader Item) {
    Check(Item->Flag == ItemUsed, L"TBlockManager.RetireItem: the item is not in use");
    Item->Flag = ItemRetired;
}

void TBlockManager::FreeBlock(PBlockHeader Block) {
    if (Block->Prev)
        Block->Prev->Next = Block->Next;
    else
        FirstBlock = Block->Next;
    if (Block->Next) Block->Next->Prev = Block->Prev;
    Marshal::FreeHGlobal(Block);
}

void TBlockManager::FreeAllBlock() {
    while (FirstBlock) FreeBlock(FirstBlock);
    FirstFree = nullptr;
}

void TBlockManager::PutRecord(PItemHeader Item, const void* Rec) {
    std::memcpy(GetRecordPtr(Item), Rec, RecordSize);
}

void TBlockManager::GetRecord(PItemHeader Item, void* Rec) const {
    std::memcpy(Rec, GetRecordPtr(Item), RecordSize);
}

void TBlockManager::CopyRecord(PItemHeader ItemSrc, PItemHeader ItemDest) const {
    std::memcpy(GetRecordPtr(ItemDest), GetRecordPtr(ItemSrc), RecordSize);
}
