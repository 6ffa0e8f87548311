#pragma once

#include <cstdint>
#include <vector>

// Canonical Huffman decoding tables of the Deflate decoder: a first-level table indexed by
// the next RootBits bits of input, and sub-tables for the codes that are longer.
//
// Each entry is one 32-bit word, so that the hot loop gets everything from one load:
//   bits  0-7   the bits the entry takes from the input: the code's length, with the
//               extra bits of a length or distance; a link's first-level bits
//   bits  8-11  how many of those bits come before the bits to add to the value: the
//               code's own length for a length or distance (all of them when nothing is
//               left to add); the index bits of a link's sub-table
//   bits 12-15  the kind: literal, end of block, link, invalid; none for a length or
//               distance
//   bits 16-31  the value: the literal, the base length or distance, the sub-table's
//               first entry
// Sub-table entries count the whole code, first-level bits included.
struct THuffTable {
  std::vector<uint32_t> Entries;
  uint32_t RootBits = 0;
};

namespace huff {

constexpr uint32_t kLiteral = 0x1000;
constexpr uint32_t kEnd = 0x4000;
constexpr uint32_t kLink = 0x8000;
constexpr uint32_t kInvalid = kEnd | kLink;
constexpr uint32_t kKindMask = kLiteral | kEnd | kLink;

constexpr uint32_t Make(uint32_t kind, uint32_t bits, uint32_t lead, uint32_t value) {
  return value << 16 | kind | lead << 8 | bits;
}
constexpr uint32_t Bits(uint32_t e) {
  return e & 0xFF;
}
constexpr uint32_t Lead(uint32_t e) {
  return (e >> 8) & 0xF;
}
constexpr uint32_t Kind(uint32_t e) {
  return e & kKindMask;
}
constexpr uint32_t Value(uint32_t e) {
  return e >> 16;
}
// The value of a length or distance entry, given the input bits the entry starts at: the
// entry's bits less the leading ones are the extra bits. (A mask and a shift, which
// processors with BMI2 do in one step each.)
constexpr uint32_t ValueAt(uint32_t e, uint64_t bits) {
  return Value(e) + uint32_t((bits & ((uint64_t(1) << Bits(e)) - 1)) >> Lead(e));
}

}  // namespace huff

enum class TCodeSet { csComplete, csIncomplete, csInvalid, csEmpty };

// How symbols map to entries: the first `Simple` symbols are literals (with 256 the end
// of block when `HasEnd`); the next `Coded` take a base and extra bits; any further
// symbol is an invalid code.
struct TSymbolMap {
  uint32_t Simple;
  bool HasEnd;
  const uint16_t* Base;
  const uint8_t* Extra;
  uint32_t Coded;
};

constexpr uint32_t kMaxLookupBits = 11;

// Builds the canonical code of `lengths` (at most 288 symbols, lengths 0..15) with
// `lookupBits` (at most kMaxLookupBits) first-level bits.
// An invalid or empty set leaves no table; an incomplete one leaves a usable table whose
// unused codes are invalid entries.
TCodeSet BuildHuff(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t lookupBits,
                   THuffTable& table);
