#pragma once

#include <cstdint>
#include <initializer_list>

// A set of a small enumeration: bit n stands for the value n.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E item : items) FBits |= Bit(item);
  }
  constexpr bool Contains(E item) const { return (FBits & Bit(item)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr std::uint32_t Bits() const { return FBits; }
  constexpr TSet& Include(E item) {
    FBits |= Bit(item);
    return *this;
  }
  constexpr TSet& Exclude(E item) {
    FBits &= ~Bit(item);
    return *this;
  }
  constexpr TSet operator+(TSet other) const { return FromBits(FBits | other.FBits); }
  constexpr TSet operator-(TSet other) const { return FromBits(FBits & ~other.FBits); }
  friend constexpr bool operator==(TSet, TSet) = default;

 private:
  static constexpr std::uint32_t Bit(E item) { return std::uint32_t(1) << unsigned(item); }
  static constexpr TSet FromBits(std::uint32_t bits) {
    TSet result;
    result.FBits = bits;
    return result;
  }
  std::uint32_t FBits = 0;
};
