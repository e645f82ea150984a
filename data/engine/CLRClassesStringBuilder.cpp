// WideStringBuilder: a UTF-16 buffer whose capacity grows by half of itself plus what is added,
// so that a lexeme or an escaped text built unit by unit costs amortised constant time.
#include "data/engine/CLRClasses.h"

#include <algorithm>

WideStringBuilder::WideStringBuilder(Integer capacity) : FString(std::max(capacity, 0)) {}

WideStringBuilder::WideStringBuilder(const UnicodeString& value, Integer capacity)
    : WideStringBuilder(capacity) {
    Append(value);
}

void WideStringBuilder::Reserve(Integer n) {
    const Integer capacity = Capacity();
    if (capacity - FActualLength < n) FString.resize(n + FActualLength + capacity / 2);
}

void WideStringBuilder::Append(const wchar_t* units, Integer count) {
    if (count <= 0) return;
    Reserve(count);
    std::copy(units, units + count, FString.begin() + FActualLength);
    FActualLength += count;
}

void WideStringBuilder::Append(wchar_t value) {
    const Integer capacity = Capacity();
    if (capacity - FActualLength <= 0) FString.resize(FActualLength + capacity / 2 + 1);
    FString[FActualLength++] = value;
}

void WideStringBuilder::Append(wchar_t value, Integer repeatCount) {
    Append(UnicodeString(std::max(repeatCount, 0), value));
}

void WideStringBuilder::Append(const WideStringBuilder* value) {
    if (value) Append(value->FString.data(), value->FActualLength);
}

void WideStringBuilder::Insert(Integer index, const UnicodeString& value) {
    const Integer n = Integer(value.size());
    if (n == 0) return;
    Reserve(n);
    auto at = FString.begin() + index;
    std::copy_backward(at, FString.begin() + FActualLength, FString.begin() + FActualLength + n);
    std::copy(value.begin(), value.end(), at);
    FActualLength += n;
}

void WideStringBuilder::SetLength(Integer Value) {
    const Integer capacity = Capacity();
    if (capacity - FActualLength < Value) FString.resize(Value + FActualLength + capacity / 2);
    FActualLength = Value;
}

void WideStringBuilder::Replace(const UnicodeString& OldValue, const UnicodeString& NewValue) {
    const Integer o = Integer(OldValue.size());
    const Integer r = Integer(NewValue.size());
    if (o == 0) return; // an empty text occurs everywhere: replacing it would never end
    Integer p = 0;
    while (p + o <= FActualLength) {
        auto used = FString.begin();
        auto found = std::search(used + p, used + FActualLength, OldValue.begin(), OldValue.end());
        if (found == used + FActualLength) return;
        p = Integer(found - used);
        if (r > o) Reserve(r - o);
        auto at = FString.begin() + p;
        auto end = FString.begin() + FActualLength;
        if (r < o) std::move(at + o, end, at + r);
        if (r > o)
            std::move_backward(at + o, end, end + (r - o)); // from the end: the tail moves right
        std::copy(NewValue.begin(), NewValue.end(), at);
        FActualLength += r - o;
        p += r;
    }
}
