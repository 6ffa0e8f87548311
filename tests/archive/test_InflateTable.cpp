// The Deflate decoder's Huffman tables: every code of a usable set, followed by whatever
// bits, is found with its symbol, length and extra bits, through the first level or a
// sub-table; unused codes of an incomplete set are invalid; sets that are no code at all
// leave no table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "CanonicalCodes.h"
#include "arxInflateTable.h"

using namespace huff;

namespace {

using Lengths = std::vector<uint8_t>;

// Made-up bases and 0..5 extra bits, so that some length codes fit with their extra bits
// into the first level and some do not.
constexpr auto kBase = [] {
  std::array<uint16_t, 29> b{};
  for (uint32_t i = 0; i < 29; ++i) b[i] = uint16_t(3 + 40 * i);
  return b;
}();
constexpr auto kExtra = [] {
  std::array<uint8_t, 29> x{};
  for (uint32_t i = 0; i < 29; ++i) x[i] = uint8_t(i % 6);
  return x;
}();
constexpr TSymbolMap kLitLen = {257, true, kBase.data(), kExtra.data(), 29};

uint64_t Reversed(uint32_t code, uint32_t len) {
  uint64_t r = 0;
  for (uint32_t i = 0; i < len; ++i) r |= uint64_t((code >> i) & 1) << (len - 1 - i);
  return r;
}

uint32_t Lookup(const THuffTable& t, uint64_t bits) {
  uint32_t e = t.Entries[bits & ((1u << t.RootBits) - 1)];
  if (Kind(e) == kLink) e = t.Entries[Value(e) + ((bits >> t.RootBits) & ((1u << Lead(e)) - 1))];
  return e;
}

// Lengths 1, 2, .., 14, 15, 15 (complete when there are 16) given to `order`'s symbols.
Lengths Staircase(std::vector<uint32_t> order, uint32_t tweak = 0) {
  Lengths l(286, 0);
  for (uint32_t i = 0; i < order.size(); ++i) l[order[i]] = uint8_t(std::min(i + 1, 15u));
  if (tweak) l[3] = uint8_t(tweak);
  return l;
}

Lengths Fixed(size_t n = 288) {
  Lengths l(n, 8);
  std::fill(l.begin() + 144, l.begin() + 256, 9);
  std::fill(l.begin() + 256, l.begin() + 280, 7);
  return l;
}

// 'a'..'d' of 3 bits; 64 codes of 7 bits complete the set.
Lengths Texty() {
  Lengths l(286, 0);
  std::fill(l.begin() + 'a', l.begin() + 'e', 3);
  std::fill(l.begin() + 128, l.begin() + 188, 7);
  std::fill(l.begin() + 256, l.begin() + 260, 7);
  return l;
}

TEST(InflateTable, CodesAreFoundWithTheirSymbolsAndNonCodesRefused) {
  const struct {
    const char* Name;
    Lengths L;
    uint32_t Root;
    TCodeSet Expected;
  } cases[] = {
      {"fixed", Fixed(), 9, TCodeSet::csComplete},
      {"fixed, narrow", Fixed(), 7, TCodeSet::csComplete},
      {"fixed, wider than its codes", Fixed(), kMaxLookupBits, TCodeSet::csComplete},
      {"15-bit codes in sub-tables",
       Staircase({65, 256, 257, 266, 0, 280, 255, 1, 284, 270, 2, 3, 275, 4, 285, 283}), 10,
       TCodeSet::csComplete},
      {"short literals", Texty(), 10, TCodeSet::csComplete},
      {"19 symbols, the longest codes last",
       [] {
         Lengths l = Staircase({3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
         l.resize(19);
         return l;
       }(),
       7, TCodeSet::csComplete},
      {"one code of one bit", Staircase({256}), 10, TCodeSet::csIncomplete},
      {"incomplete, long codes", Staircase({256, 70, 71, 260, 72, 73, 74, 75, 76, 77, 78, 79}), 9,
       TCodeSet::csIncomplete},
      {"oversubscribed", Staircase({0, 1, 2}, 1), 10, TCodeSet::csInvalid},
      {"a length of 16", Staircase({0, 1, 2}, 16), 10, TCodeSet::csInvalid},
      {"no lengths", Lengths(286, 0), 10, TCodeSet::csEmpty},
      {"too many symbols", Fixed(289), 10, TCodeSet::csInvalid},
      {"no lookup bits", Fixed(), 0, TCodeSet::csInvalid},
      {"too many lookup bits", Fixed(), kMaxLookupBits + 1, TCodeSet::csInvalid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    THuffTable t;
    ASSERT_EQ(BuildHuff(c.L.data(), uint32_t(c.L.size()), kLitLen, c.Root, t), c.Expected);
    if (c.Expected != TCodeSet::csComplete && c.Expected != TCodeSet::csIncomplete) {
      EXPECT_EQ(t.RootBits, 0u);
      continue;
    }
    // Every code, then its extra bits, then another symbol's code.
    const std::vector<uint32_t> codes = CanonicalCodes(c.L);
    uint32_t x = 7;
    for (uint32_t s = 0; s < c.L.size(); ++s) {
      const uint32_t len = c.L[s];
      if (len == 0) continue;
      SCOPED_TRACE("symbol " + std::to_string(s));
      x = x * 1103515245 + 12345;
      const uint32_t extra = s > 256 && s < 286 ? kExtra[s - 257] : 0;
      const uint64_t extraValue = (x >> 8) & ((1u << extra) - 1);
      const uint32_t follow = c.L['a' + (x >> 20) % 4] ? 'a' + (x >> 20) % 4 : s;
      const uint64_t bits = Reversed(codes[s], len) | extraValue << len |
                            Reversed(codes[follow], c.L[follow]) << (len + extra);
      const uint32_t e = Lookup(t, bits);
      const uint32_t kind = s < 256 ? kLiteral : s == 256 ? kEnd : s < 286 ? 0 : kInvalid;
      EXPECT_EQ(Kind(e), kind);
      EXPECT_EQ(Bits(e), len + extra);
      // A literal's byte, a length's base plus its extra bits; nothing for the others.
      EXPECT_EQ(kind == 0 ? ValueAt(e, bits) : Value(e), kind == 0 ? kBase[s - 257] + extraValue
                                                         : kind == kLiteral ? s
                                                                            : 0);
    }
    // The all-ones code of a length is its last one, unused in an incomplete set; it is
    // known invalid once the set's longest code's bits are read, however wide the table.
    if (c.Expected == TCodeSet::csIncomplete) {
      EXPECT_EQ(Kind(Lookup(t, ~uint64_t(0))), kInvalid);
      EXPECT_EQ(Bits(Lookup(t, ~uint64_t(0))), *std::max_element(c.L.begin(), c.L.end()));
    }
  }
}

}  // namespace
