#include "arxInflateTable.h"

#include <algorithm>
#include <array>
#include <cstring>

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
  if (index < map.Coded) return Make(0, len + map.Extra[index], len, map.Base[index]);
  return Make(kInvalid, len, 0, 0);
}

// Copies `n` entries (a power of two) between parts of a table that do not overlap, in
// four-entry steps where there are four: the compiler's block copy for an unknown size is
// slow to start.
void CopyEntries(uint32_t* to, const uint32_t* from, uint32_t n) {
  if (n < 4) {
    std::copy_n(from, n, to);
    return;
  }
  for (uint32_t j = 0; j < n; j += 4) std::memcpy(to + j, from + j, 4 * sizeof *to);
}

// The level at which a first-level entry is placed: a length or distance whose extra
// bits fit into the first-level bits too is placed with them, one entry per their value.
uint32_t PlacedBits(uint32_t e, uint32_t root) {
  return Kind(e) == 0 && Bits(e) > root ? Lead(e) : Bits(e);
}

// Puts a first-level entry at level Bits(e) = PlacedBits: once, or once for each value of
// its extra bits, with that value added.
void PutFirstLevel(uint32_t* t, uint32_t code, uint32_t e, uint32_t root) {
  if (Kind(e) != 0 || Bits(e) > root) {
    t[code] = e;
    return;
  }
  const uint32_t len = Lead(e);
  for (uint32_t x = 0; x < (1u << (Bits(e) - len)); ++x)
    t[code | x << len] = Make(0, Bits(e), Bits(e), Value(e) + x);
}

}  // namespace

TCodeSet BuildHuff(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t lookupBits,
                   THuffTable& table) {
  table.RootBits = 0;
  if (n > kMaxSymbols || lookupBits == 0 || lookupBits > kMaxLookupBits) return TCodeSet::csInvalid;

  // Counted in two halves, so that runs of equal lengths do not wait on one counter.
  std::array<uint32_t, kMaxCodeBits + 1> count{}, count2{};
  uint32_t all = 0;
  for (uint32_t i = 0; i < n; ++i) {
    all |= lengths[i];
    ++(i % 2 ? count2 : count)[lengths[i] & kMaxCodeBits];
  }
  if (all > kMaxCodeBits) return TCodeSet::csInvalid;
  for (uint32_t len = 1; len <= kMaxCodeBits; ++len) count[len] += count2[len];
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
  // The first level is always lookupBits wide, so that a decoder's masks are constants; a
  // set of shorter codes repeats its entries. Its unused codes are invalid entries as long
  // as the set's own first level would have been, which is as much as a decoder can read of
  // them before it may tell the data from its end.
  const uint32_t root = lookupBits;
  const uint32_t invalidBits = std::min(lookupBits, maxLen);
  const uint32_t rootSize = 1u << root;
  // Every symbol's entry and code, bit-reversed because the stream sends codes most
  // significant bit first into a least-significant-first buffer; the first-level entries
  // sorted by the level that places them, after them the symbols the first level does
  // not take (unused ones, longer codes). Without branches on the lengths, which vary
  // at random.
  std::array<uint32_t, kMaxSymbols> entry;
  std::array<uint16_t, kMaxSymbols> reversed;
  std::array<uint8_t, kMaxSymbols> levelOf;
  std::array<uint16_t, kMaxSymbols> placed;
  std::array<uint32_t, kMaxLookupBits + 3> level{};
  const uint32_t elsewhere = root + 1;
  // Each first-level index that starts longer codes gets a sub-table wide enough for
  // the longest of them.
  std::array<uint8_t, 1u << kMaxLookupBits> subBits;
  std::array<uint16_t, 1u << kMaxLookupBits> subStart;
  std::array<uint16_t, kMaxSymbols> linked;  // the indices with a sub-table
  std::array<uint16_t, kMaxSymbols> longer;  // the symbols in sub-tables
  uint32_t links = 0, longs = 0;
  if (maxLen > root) std::fill_n(subBits.begin(), rootSize, 0);
  for (uint32_t s = 0; s < n; ++s) {
    const uint32_t len = lengths[s];
    reversed[s] = uint16_t(ReverseBits(next[len]++, len));
    entry[s] = SymbolEntry(s, len, map);
    levelOf[s] = uint8_t(len == 0 || len > root ? elsewhere : PlacedBits(entry[s], root));
    ++level[levelOf[s] + 1];
    if (len > root) {
      longer[longs++] = uint16_t(s);
      const uint32_t p = reversed[s] & (rootSize - 1);
      if (subBits[p] == 0) linked[links++] = uint16_t(p);
      subBits[p] = uint8_t(std::max<uint32_t>(subBits[p], len - root));
    }
  }
  for (uint32_t l = 1; l <= elsewhere; ++l) level[l + 1] += level[l];
  for (uint32_t s = 0; s < n; ++s) placed[level[levelOf[s]]++] = uint16_t(s);

  size_t total = rootSize;
  for (uint32_t i = 0; i < links; ++i) {
    subStart[linked[i]] = uint16_t(total);
    total += size_t(1) << subBits[linked[i]];
  }
  // The table keeps its largest size, so that a new block's table costs no clearing.
  if (table.Entries.size() < total) table.Entries.resize(total);
  uint32_t* const t = table.Entries.data();
  table.RootBits = root;

  // The first level grows one bit at a time: the entries so far repeat in the new upper
  // half, since the new bit does not matter to codes that are shorter, and the codes of
  // the new length go where they belong. Unused codes of an incomplete set stay invalid,
  // shown by the bits looked at.
  t[0] = t[1] = Make(kInvalid, invalidBits, 0, 0);
  for (uint32_t l = 1, i = 0; l <= root; ++l) {
    if (l > 1) CopyEntries(t + (1u << (l - 1)), t, 1u << (l - 1));
    for (; i < level[l]; ++i) PutFirstLevel(t, reversed[placed[i]], entry[placed[i]], root);
  }

  for (uint32_t i = 0; i < links; ++i) {
    const uint32_t p = linked[i];
    t[p] = Make(kLink, root, subBits[p], subStart[p]);
    if (left > 0)
      std::fill_n(t + subStart[p], size_t(1) << subBits[p],
                  Make(kInvalid, root + subBits[p], 0, 0));
  }
  for (uint32_t i = 0; i < longs; ++i) {
    const uint32_t s = longer[i];
    const uint32_t p = reversed[s] & (rootSize - 1);
    uint32_t* const sub = t + subStart[p];
    for (uint32_t j = reversed[s] >> root; j < (1u << subBits[p]); j += 1u << (lengths[s] - root))
      sub[j] = entry[s];
  }
  return left > 0 ? TCodeSet::csIncomplete : TCodeSet::csComplete;
}
