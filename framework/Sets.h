// `TSet<E>`: a set of the values of an unscoped enumeration with at most 64 values, as option
// and state sets need (`Include`, `Exclude`, `Contains`, union, difference, intersection).
#pragma once

#include <cstdint>
#include <initializer_list>

template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E value : values) FBits |= Bit(value);
    }
    static constexpr TSet FromBits(std::uint64_t bits) {
        TSet set;
        set.FBits = bits;
        return set;
    }

    constexpr bool Contains(E value) const { return (FBits & Bit(value)) != 0; }
    constexpr void Include(E value) { FBits |= Bit(value); }
    constexpr void Exclude(E value) { FBits &= ~Bit(value); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr std::uint64_t Bits() const { return FBits; }

    constexpr TSet operator+(TSet other) const { return FromBits(FBits | other.FBits); }
    constexpr TSet operator-(TSet other) const { return FromBits(FBits & ~other.FBits); }
    constexpr TSet operator*(TSet other) const { return FromBits(FBits & other.FBits); }
    constexpr TSet& operator+=(TSet other) {
        FBits |= other.FBits;
        return *this;
    }
    constexpr TSet& operator-=(TSet other) {
        FBits &= ~other.FBits;
        return *this;
    }
    constexpr TSet& operator*=(TSet other) {
        FBits &= other.FBits;
        return *this;
    }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint64_t Bit(E value) {
        return std::uint64_t{1} << static_cast<unsigned>(value);
    }
    std::uint64_t FBits = 0;
};
