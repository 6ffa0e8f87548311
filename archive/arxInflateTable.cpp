#include "arxInflateTable.h"

#include <algorithm>
#include <array>

using namespace huff;

namespace {

constexpr uint32_t kMaxCodeBits = 15;
constexpr uint32_t kMaxSymbols = 288;

constexpr std::array<uint8_t, 256> MakeByteReversal() {
  std::array<uint8_t, 256> r{};
  for (uint32_t b = 0; b < 256; ++b)
    for (uint32_t i = 0; i < 8; ++i) r[b] |= uint8_t(((b >> i) & 1) << (7 - i));
  return r;
}

constexpr std::array<uint8_t, 256> kByteReversal = MakeByteReversal();

// The low `len` bits of `code` in reverse order (len 1..15).
uint32_t ReverseBits(uint32_t code, uint32_t len) {
  const uint32_t r16 =
      uint32_t(kByteReversal[code & 0xFF]) << 8 | kByteReversal[(code >> 8) & 0xFF];
  return r16 >> (16 - len);
}

uint32_t SymbolEntry(uint32_t symbol, uint32_t len, const TSymbolMap& map) {
  if (symbol < map.Simple) {
    if (map.HasEnd && symbol == 256) return Make(kEnd, len, 0, 0);
    return Make(kLiteral, len, 0, symbol);
  }
  const uint32_t index = symbol - map.Simple;
  if (index < map.Coded) return Make(0, len + map.Extra[index], map.Extra[index], map.Base[index]);
  return Make(kInvalid, len, 0, 0);
}

// Writes a first-level entry of a code of `len` bits at every index that starts with the
// code. A length or distance whose extra bits fit too gets one entry per their value.
void PutFirstLevel(uint32_t* t, uint32_t root, uint32_t code, uint32_t len, uint32_t e) {
  const uint32_t extra = Extra(e);
  const uint32_t size = 1u << root;
  if (Kind(e) != 0 || extra == 0 || Bits(e) > root) {
    for (uint32_t i = code; i < size; i += 1u << len) t[i] = e;
    return;
  }
  for (uint32_t x = 0; x < (1u << extra); ++x) {
    const uint32_t resolved = Make(0, Bits(e), 0, Value(e) + x);
    for (uint32_t i = code | x << len; i < size; i += 1u << Bits(e)) t[i] = resolved;
  }
}

// Where a literal's code leaves room for a second literal's in the first-level bits, the
// entry takes both. The second code starts right after the first, so its entry is the one
// at the index shifted by the first code's length (the bits beyond the shift are unknown,
// and do not matter to a code that fits); that entry may have become a pair itself.
// Only literals shorter than the first-level bits less the shortest literal can start a
// pair, which in binary data is none.
void PairLiterals(THuffTable& table, const uint8_t* lengths, uint32_t n, const uint16_t* reversed) {
  const uint32_t root = table.RootBits;
  uint32_t* const t = table.Entries.data();
  n = std::min<uint32_t>(n, 256);
  uint32_t shortest = root;
  for (uint32_t s = 0; s < n; ++s)
    if (lengths[s] != 0) shortest = std::min<uint32_t>(shortest, lengths[s]);
  for (uint32_t s = 0; s < n; ++s) {
    const uint32_t len = lengths[s];
    if (len == 0 || len + shortest > root) continue;
    for (uint32_t i = reversed[s]; i < (1u << root); i += 1u << len) {
      uint32_t second = t[i >> len];
      if (second & kPair) second = FirstOfPair(second);
      if (Kind(second) != kLiteral || Bits(second) > root - len) continue;
      t[i] = Make(kLiteral | kPair, len + Bits(second), len, s | Value(second) << 8);
    }
  }
}

}  // namespace

TCodeSet BuildHuff(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t lookupBits,
                   THuffTable& table) {
  table.RootBits = 0;
  if (n > kMaxSymbols || lookupBits == 0 || lookupBits > kMaxLookupBits) return TCodeSet::csInvalid;

  std::array<uint32_t, kMaxCodeBits + 1> count{};
  for (uint32_t i = 0; i < n; ++i) {
    if (lengths[i] > kMaxCodeBits) return TCodeSet::csInvalid;
    ++count[lengths[i]];
  }
  count[0] = 0;
  uint32_t maxLen = kMaxCodeBits;
  while (maxLen > 0 && count[maxLen] == 0) --maxLen;
  if (maxLen == 0) return TCodeSet::csEmpty;

  int64_t left = 1;
  for (uint32_t len = 1; len <= kMaxCodeBits; ++len) {
    left = 2 * left - count[len];
    if (left < 0) return TCodeSet::csInvalid;
  }

  // First code of each length, then every symbol's code, bit-reversed because the
  // stream sends codes most significant bit first into a least-significant-first buffer.
  std::array<uint32_t, kMaxCodeBits + 2> next{};
  for (uint32_t len = 1, code = 0; len <= kMaxCodeBits; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  const uint32_t root = std::min(lookupBits, maxLen);
  const uint32_t rootSize = 1u << root;
  std::array<uint16_t, kMaxSymbols> reversed;
  // Each first-level index that starts longer codes gets a sub-table wide enough for
  // the longest of them.
  std::array<uint8_t, 1u << kMaxLookupBits> subBits;
  std::array<uint16_t, 1u << kMaxLookupBits> subStart;
  std::array<uint16_t, kMaxSymbols> linked;  // the indices with a sub-table
  uint32_t links = 0;
  if (maxLen > root) std::fill_n(subBits.begin(), rootSize, 0);
  for (uint32_t s = 0; s < n; ++s) {
    const uint32_t len = lengths[s];
    if (len == 0) continue;
    reversed[s] = uint16_t(ReverseBits(next[len]++, len));
    if (len > root) {
      const uint32_t p = reversed[s] & (rootSize - 1);
      if (subBits[p] == 0) linked[links++] = uint16_t(p);
      subBits[p] = uint8_t(std::max<uint32_t>(subBits[p], len - root));
    }
  }

  size_t total = rootSize;
  for (uint32_t i = 0; i < links; ++i) {
    subStart[linked[i]] = uint16_t(total);
    total += size_t(1) << subBits[linked[i]];
  }
  // The table keeps its largest size, so that a new block's table costs no clearing:
  // a complete code writes every entry. Unused codes of an incomplete one are invalid,
  // shown by the bits looked at.
  if (table.Entries.size() < total) table.Entries.resize(total);
  uint32_t* const t = table.Entries.data();
  table.RootBits = root;
  if (left > 0) std::fill_n(t, rootSize, Make(kInvalid, root, 0, 0));
  for (uint32_t i = 0; i < links; ++i) {
    const uint32_t p = linked[i];
    t[p] = Make(kLink, root, subBits[p], subStart[p]);
    if (left > 0)
      std::fill_n(t + subStart[p], size_t(1) << subBits[p],
                  Make(kInvalid, root + subBits[p], 0, 0));
  }

  for (uint32_t s = 0; s < n; ++s) {
    const uint32_t len = lengths[s];
    if (len == 0) continue;
    const uint32_t e = SymbolEntry(s, len, map);
    if (len <= root) {
      PutFirstLevel(t, root, reversed[s], len, e);
    } else {
      const uint32_t p = reversed[s] & (rootSize - 1);
      uint32_t* const sub = t + subStart[p];
      const uint32_t subSize = 1u << subBits[p];
      for (uint32_t i = reversed[s] >> root; i < subSize; i += 1u << (len - root)) sub[i] = e;
    }
  }
  if (map.Pairs) PairLiterals(table, lengths, n, reversed.data());
  return left > 0 ? TCodeSet::csIncomplete : TCodeSet::csComplete;
}
