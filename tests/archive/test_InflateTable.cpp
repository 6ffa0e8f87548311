// The Deflate decoder's Huffman tables: every code of a set, followed by whatever bits, is
// found with its symbol, length and extra bits, through the first level or a sub-table;
// literal pairs hold the literal whose code follows; unused codes of an incomplete set are
// invalid; sets that are no code at all are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "arxInflateTable.h"

using namespace huff;

namespace {

using Lengths = std::vector<uint8_t>;

// Literal/length symbols with made-up bases and 0..5 extra bits, so that some length
// entries take their extra bits into the first level and some do not.
struct TLengthCodes {
  TLengthCodes() {
    for (uint32_t i = 0; i < 29; ++i) {
      Base[i] = uint16_t(3 + 40 * i);
      Extra[i] = uint8_t(i % 6);
    }
  }
  std::array<uint16_t, 29> Base;
  std::array<uint8_t, 29> Extra;
};
const TLengthCodes kCodes;
const TSymbolMap kLitLen = {257, true, kCodes.Base.data(), kCodes.Extra.data(), 29, true};

uint64_t Reversed(uint32_t code, uint32_t len) {
  uint64_t r = 0;
  for (uint32_t i = 0; i < len; ++i) r |= uint64_t((code >> i) & 1) << (len - 1 - i);
  return r;
}

// Canonical codes by the textbook rule: shorter first, equal lengths in symbol order.
std::vector<uint32_t> CanonicalCodes(const Lengths& lengths) {
  std::vector<uint32_t> codes(lengths.size());
  uint32_t code = 0;
  for (uint32_t len = 1; len <= 15; ++len, code <<= 1)
    for (size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len) codes[s] = code++;
  return codes;
}

uint32_t Lookup(const THuffTable& t, uint64_t bits) {
  uint32_t e = t.Entries[bits & ((1u << t.RootBits) - 1)];
  if (Kind(e) == kLink) e = t.Entries[Value(e) + ((bits >> t.RootBits) & ((1u << Lead(e)) - 1))];
  return e;
}

// Lengths 1, 2, .., 14, 15, 15 (a complete set) given to the symbols in `order`.
Lengths Staircase(std::vector<uint32_t> order, size_t n) {
  Lengths l(n, 0);
  for (uint32_t i = 0; i < order.size(); ++i) l[order[i]] = uint8_t(std::min(i + 1, 15u));
  return l;
}

Lengths Fixed() {
  Lengths l(288, 8);
  std::fill(l.begin() + 144, l.begin() + 256, 9);
  std::fill(l.begin() + 256, l.begin() + 280, 7);
  return l;
}

// Short literal codes, so that pairs form: 'a'..'d' 3 bits, the rest filled evenly.
Lengths Texty() {
  Lengths l(286, 0);
  for (uint32_t s = 'a'; s <= 'd'; ++s) l[s] = 3;
  // 4/8 used; 64 codes of 7 bits (4/8) complete it, among them the end of block and
  // length codes.
  for (uint32_t s = 0; s < 60; ++s) l[128 + s] = 7;
  for (uint32_t s = 256; s < 260; ++s) l[s] = 7;
  return l;
}

TEST(InflateTable, EveryCodeIsFoundWithItsSymbol) {
  const struct {
    const char* Name;
    Lengths L;
    uint32_t Root;
    TCodeSet Expected;
  } cases[] = {
      {"fixed", Fixed(), 9, TCodeSet::csComplete},
      {"fixed, narrow", Fixed(), 7, TCodeSet::csComplete},
      {"15-bit codes in sub-tables",
       Staircase({65, 256, 257, 266, 0, 280, 255, 1, 284, 270, 2, 3, 275, 4, 285, 283}, 286), 10,
       TCodeSet::csComplete},
      {"short literals make pairs", Texty(), 10, TCodeSet::csComplete},
      {"one code of one bit", Staircase({256}, 286), 10, TCodeSet::csIncomplete},
      {"incomplete, long codes", Staircase({256, 70, 71, 260, 72, 73, 74, 75, 76, 77, 78, 79}, 286),
       9, TCodeSet::csIncomplete},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    THuffTable t;
    ASSERT_EQ(BuildHuff(c.L.data(), uint32_t(c.L.size()), kLitLen, c.Root, t), c.Expected);
    const std::vector<uint32_t> codes = CanonicalCodes(c.L);
    uint32_t x = 7;
    for (uint32_t s = 0; s < c.L.size(); ++s) {
      const uint32_t len = c.L[s];
      if (len == 0) continue;
      SCOPED_TRACE("symbol " + std::to_string(s));
      x = x * 1103515245 + 12345;
      // The code, then extra bits, then another symbol's code (for a pair).
      const uint32_t extra = s > 256 && s < 286 ? kCodes.Extra[s - 257] : 0;
      const uint64_t extraValue = (x >> 8) & ((1u << extra) - 1);
      uint32_t follow = 'a' + (x >> 20) % 4;
      if (c.L[follow] == 0) follow = s;
      const uint64_t bits = Reversed(codes[s], len) | extraValue << len |
                            Reversed(codes[follow], c.L[follow]) << (len + extra);
      uint32_t e = Lookup(t, bits);
      if (Kind(e) == kPair) {
        EXPECT_EQ(Value(e) >> 8, follow);
        EXPECT_EQ(Bits(e), len + c.L[follow]);
        e = FirstOfPair(e);
      }
      if (s < 256) {
        EXPECT_EQ(Kind(e), kLiteral);
        EXPECT_EQ(Value(e), s);
        EXPECT_EQ(Bits(e), len);
      } else if (s == 256) {
        EXPECT_EQ(Kind(e), kEnd);
        EXPECT_EQ(Bits(e), len);
      } else if (s < 286) {
        EXPECT_EQ(Kind(e), 0u);
        EXPECT_EQ(Bits(e), len + extra);
        EXPECT_EQ(ValueAt(e, bits), kCodes.Base[s - 257] + extraValue);
      } else {
        EXPECT_EQ(Kind(e), kInvalid);
      }
    }
    // An incomplete set's unused codes: the all-ones code of every length is the last
    // one, unused when the set is incomplete.
    if (c.Expected == TCodeSet::csIncomplete) {
      EXPECT_EQ(Kind(Lookup(t, ~uint64_t(0))), kInvalid);
    }
  }
}

TEST(InflateTable, SetsThatAreNoCodeAreRefused) {
  Lengths oversubscribed(286, 0);
  for (uint32_t s = 0; s < 3; ++s) oversubscribed[s] = 1;
  Lengths tooLong = Staircase({0, 1, 2}, 286);
  tooLong[3] = 16;
  const struct {
    const char* Name;
    Lengths L;
    uint32_t Root;
    TCodeSet Expected;
  } cases[] = {
      {"oversubscribed", oversubscribed, 10, TCodeSet::csInvalid},
      {"a length of 16", tooLong, 10, TCodeSet::csInvalid},
      {"no lengths", Lengths(286, 0), 10, TCodeSet::csEmpty},
      {"too many symbols", Lengths(289, 8), 10, TCodeSet::csInvalid},
      {"no lookup bits", Fixed(), 0, TCodeSet::csInvalid},
      {"too many lookup bits", Fixed(), kMaxLookupBits + 1, TCodeSet::csInvalid},
  };
  for (const auto& c : cases) {
    THuffTable t;
    EXPECT_EQ(BuildHuff(c.L.data(), uint32_t(c.L.size()), kLitLen, c.Root, t), c.Expected)
        << c.Name;
    EXPECT_EQ(t.RootBits, 0u) << c.Name;
  }
}

}  // namespace
