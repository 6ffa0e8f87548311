#pragma once

#include <cstdint>
#include <vector>

class TDecoder;

// Decodes a Deflate member (method 8) through the decoder's input reader into its window.
// Damaged data is reported through the host's RaiseError (25111, 25138, 25253) and
// thrown; data that ends early stops quietly with the bytes decoded so far in the window.
void Inflate(TDecoder& decoder);

// One entry of a two-level Huffman decoding table.
struct THuft {
  // 0..13: a length or distance base follows with that many extra bits; kHuftEnd,
  // kHuftLiteral, kHuftInvalid; above kHuftLiteral: a sub-table of (Op - kHuftLiteral)
  // index bits starts at entry Value.
  uint8_t Op;
  // Bits of the code consumed at this level (for an invalid entry: the bits that show it
  // is invalid).
  uint8_t Bits;
  uint16_t Value;  // literal, base length or distance, or the sub-table's first entry
};

constexpr uint8_t kHuftEnd = 15;
constexpr uint8_t kHuftLiteral = 16;
constexpr uint8_t kHuftInvalid = 99;

struct THuftTable {
  std::vector<THuft> Entries;  // the first-level table, then the sub-tables
  uint32_t RootBits = 0;
};

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

// Builds the canonical code of `lengths` (at most 288 symbols, lengths 0..15) with
// `lookupBits` first-level bits. An invalid or empty set leaves no table; an incomplete
// one leaves a usable table whose unused codes are invalid entries.
TCodeSet BuildHuft(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t lookupBits,
                   THuftTable& table);
