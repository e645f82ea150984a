// An array's elements: counted references in a vector whose size is the capacity; the slots
// at and beyond the length are nil. Indexes are bounded by MaxLength so that no request makes
// the vector grow past what a process can hold.
#include "support/jsonobject/jsonobject.h"

#include <algorithm>

namespace {
constexpr Integer InitialCapacity = 32;
}

TJsonArray::TJsonArray() : FSize(InitialCapacity) {}

void TJsonArray::Reserve(Integer index) {
    if (index < FSize) return;
    FSize = std::max(FSize * 2, index + 1);
}

void TJsonArray::Occupy(Integer index) {
    if (static_cast<std::size_t>(index) < FArray.size()) return;
    // Doubling, as the capacity does, but never past it.
    const std::size_t grown = std::max<std::size_t>(FArray.size() * 2, 4);
    FArray.reserve(std::min<std::size_t>(std::max<std::size_t>(grown, index + 1), FSize));
    FArray.resize(static_cast<std::size_t>(index) + 1);
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
    std::move_backward(FArray.begin() + index, FArray.begin() + FLength,
                       FArray.begin() + FLength + 1);
    FArray[index] = value;
    ++FLength;
}

TJsonRef TJsonArray::Delete(Integer index) {
    if (index < 0 || index >= FLength) return nullptr;
    TJsonRef removed = std::move(FArray[index]);
    std::move(FArray.begin() + index + 1, FArray.begin() + FLength, FArray.begin() + index);
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
