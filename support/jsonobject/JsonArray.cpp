// An array's elements: counted references in a storage that grows toward the capacity; the
// slots at and beyond the length are nil. Indexes are bounded by MaxLength so that no request
// makes the storage grow past what a process can hold.
#include "support/jsonobject/jsonobject.h"

#include <algorithm>
#include <new>
#include <utility>

TJsonArray::~TJsonArray() { FreeSlots(); }

void TJsonArray::Reserve(Integer index) {
    if (index < FSize) return;
    FSize = std::max(FSize * 2, index + 1);
}

void TJsonArray::Occupy(Integer index) {
    if (index < FStored) return;
    // Doubling, as the capacity does, but never past it.
    const Integer grown = std::max(FStored * 2, 4);
    MoveSlots(std::min(std::max(grown, index + 1), FSize), nullptr);
}

void TJsonArray::MoveSlots(Integer count, TJsonSlabs* slabs) {
    const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(TJsonRef);
    void* carved = slabs ? slabs->Allocate(bytes) : nullptr;
    auto* slots = static_cast<TJsonRef*>(carved ? carved : ::operator new(bytes));
    for (Integer i = 0; i < count; ++i)
        new (slots + i) TJsonRef(i < FStored ? std::move(FArray[i]) : TJsonRef());
    FreeSlots();
    FArray = slots;
    FStored = count;
    FInSlab = carved != nullptr;
}

void TJsonArray::FreeSlots() noexcept {
    if (!FArray) return;
    for (Integer i = 0; i < FStored; ++i) FArray[i].~TJsonRef();
    if (FInSlab)
        TJsonSlabs::Free(FArray);
    else
        ::operator delete(FArray);
    FArray = nullptr;
    FStored = 0;
}

void TJsonArray::Settle(TJsonSlabs* slabs) {
    if (FInSlab || FStored == FLength) return;
    if (FLength == 0) return FreeSlots();
    MoveSlots(FLength, slabs);
}

Integer TJsonArray::Add(const TJsonRef& value) {
    const Integer index = FLength;
    PutElement(index, value);
    return index;
}

TJsonRef TJsonArray::GetElement(Integer index) const {
    if (index < 0 || index >= FLength) return nullptr;
    return FArray[index];
}

void TJsonArray::PutElement(Integer index, const TJsonRef& value) {
    if (index < 0 || index >= MaxLength) return;
    Reserve(index);
    Occupy(index);
    FArray[index] = value;
    if (index >= FLength) FLength = index + 1;
}

void TJsonArray::Insert(Integer index, const TJsonRef& value) {
    if (index < 0) return;
    if (index >= FLength) return PutElement(index, value);
    if (FLength >= MaxLength) return;
    Reserve(FLength);
    Occupy(FLength);
    std::move_backward(FArray + index, FArray + FLength, FArray + FLength + 1);
    FArray[index] = value;
    ++FLength;
}

TJsonRef TJsonArray::Delete(Integer index) {
    if (index < 0 || index >= FLength) return nullptr;
    TJsonRef removed = std::move(FArray[index]);
    std::move(FArray + index + 1, FArray + FLength, FArray + index);
    FArray[--FLength].Reset();
    return removed;
}

void TJsonArray::Clear(bool all) {
    for (Integer i = 0; i < FLength; ++i) {
        if (all && FArray[i]) FArray[i]->Clear(true);
        FArray[i].Reset();
    }
    FLength = 0;
}

void TJsonArray::Pack(bool all) {
    Integer kept = 0;
    for (Integer i = 0; i < FLength; ++i) {
        if (!FArray[i]) continue;
        if (all) FArray[i]->Pack(true);
        if (kept != i) FArray[kept] = std::move(FArray[i]);
        ++kept;
    }
    for (Integer i = kept; i < FLength; ++i) FArray[i].Reset();
    FLength = kept;
}
