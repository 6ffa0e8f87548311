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

}  // namespace

TCodeSet BuildHuff(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t lookupBits,
                   THuffTable& table) {
  table.RootBits = 0;
  if (n > kMaxSymbols || lookupBits == 0 || lookupBits > kMaxLookupBits) return TCodeSet::csInvalid;

  // The symbols are sorted by length (and by symbol within a length, the canonical order)
  // in four quarters at once, each with counters of its own: runs of equal lengths would
  // otherwise wait on one counter from symbol to symbol. Past n the lengths are zeros.
  constexpr uint32_t kParts = 4;
  const uint32_t quarter = (n + kParts - 1) / kParts;
  std::array<uint8_t, kMaxSymbols + kParts> lens{};
  std::memcpy(lens.data(), lengths, n);
  std::array<std::array<uint32_t, kMaxCodeBits + 2>, kParts> at{};
  uint32_t all = 0;
  for (uint32_t i = 0; i < quarter; ++i)
    for (uint32_t k = 0; k < kParts; ++k) {
      all |= lens[k * quarter + i];
      ++at[k][lens[k * quarter + i] & kMaxCodeBits];
    }
  if (all > kMaxCodeBits) return TCodeSet::csInvalid;
  std::array<uint32_t, kMaxCodeBits + 2> count{};
  for (uint32_t len = 0; len <= kMaxCodeBits; ++len)
    for (uint32_t k = 0; k < kParts; ++k) count[len] += at[k][len];
  uint32_t maxLen = kMaxCodeBits;
  while (maxLen > 0 && count[maxLen] == 0) --maxLen;
  if (maxLen == 0) return TCodeSet::csEmpty;

  int64_t left = 1;
  for (uint32_t len = 1; len <= kMaxCodeBits; ++len) {
    left = 2 * left - count[len];
    if (left < 0) return TCodeSet::csInvalid;
  }

  // Where each length's symbols start in the sorted order, then each quarter's share.
  std::array<uint32_t, kMaxCodeBits + 2> start{};
  for (uint32_t len = 1; len <= kMaxCodeBits + 1; ++len)
    start[len] = start[len - 1] + count[len - 1];
  for (uint32_t len = 0; len <= kMaxCodeBits; ++len)
    for (uint32_t k = 0, pos = start[len]; k < kParts; ++k) {
      const uint32_t share = at[k][len];
      at[k][len] = pos;
      pos += share;
    }
  std::array<uint16_t, kMaxSymbols + kParts> sorted;
  for (uint32_t i = 0; i < quarter; ++i)
    for (uint32_t k = 0; k < kParts; ++k)
      sorted[at[k][lens[k * quarter + i]]++] = uint16_t(k * quarter + i);
  std::array<uint32_t, kMaxSymbols> entry;
  for (uint32_t s = 0; s < n; ++s) entry[s] = SymbolEntry(s, lens[s], map);

  // The first level is always lookupBits wide, so that a decoder's masks are constants; a
  // set of shorter codes repeats its entries. Its unused codes are invalid entries as long
  // as the set's own first level would have been, which is as much as a decoder can read of
  // them before it may tell the data from its end.
  const uint32_t root = lookupBits;
  const uint32_t rootSize = 1u << root;
  // The table keeps its largest size, so that a new block's table costs no clearing.
  if (table.Entries.size() < rootSize) table.Entries.resize(rootSize);
  uint32_t* t = table.Entries.data();
  table.RootBits = root;

  // Canonical codes in sorted order: each the one before plus one, doubled from one length
  // to the next; bit-reversed because the stream sends codes most significant bit first
  // into a least-significant-first buffer. The first level grows one bit at a time: the
  // entries so far repeat in the new upper half, since the new bit does not matter to codes
  // that are shorter, and the codes of the new length go where they belong.
  t[0] = t[1] = Make(kInvalid, std::min(root, maxLen), 0, 0);
  uint32_t code = 0;
  uint32_t i = start[1];
  for (uint32_t l = 1; l <= root; ++l, code <<= 1) {
    if (l > 1) CopyEntries(t + (1u << (l - 1)), t, 1u << (l - 1));
    for (; i < start[l + 1]; ++i, ++code) t[ReverseBits(code, l)] = entry[sorted[i]];
  }
  if (maxLen <= root) return left > 0 ? TCodeSet::csIncomplete : TCodeSet::csComplete;

  // Each first-level index that starts longer codes gets a sub-table wide enough for
  // the longest of them.
  std::array<uint8_t, 1u << kMaxLookupBits> subBits;
  std::array<uint16_t, 1u << kMaxLookupBits> subStart;
  std::array<uint16_t, kMaxSymbols> linked;    // the indices with a sub-table
  std::array<uint16_t, kMaxSymbols> reversed;  // the longer codes', in sorted order
  std::fill_n(subBits.begin(), rootSize, 0);
  uint32_t links = 0;
  const uint32_t firstLong = i;
  for (uint32_t l = root + 1; l <= maxLen; ++l, code <<= 1)
    for (; i < start[l + 1]; ++i, ++code) {
      const uint32_t r = ReverseBits(code, l);
      reversed[i - firstLong] = uint16_t(r);
      const uint32_t p = r & (rootSize - 1);
      if (subBits[p] == 0) linked[links++] = uint16_t(p);
      subBits[p] = uint8_t(std::max<uint32_t>(subBits[p], l - root));
    }
  size_t total = rootSize;
  for (uint32_t j = 0; j < links; ++j) {
    subStart[linked[j]] = uint16_t(total);
    total += size_t(1) << subBits[linked[j]];
  }
  if (table.Entries.size() < total) table.Entries.resize(total);
  t = table.Entries.data();
  for (uint32_t j = 0; j < links; ++j) {
    const uint32_t p = linked[j];
    t[p] = Make(kLink, root, subBits[p], subStart[p]);
    if (left > 0)
      std::fill_n(t + subStart[p], size_t(1) << subBits[p],
                  Make(kInvalid, root + subBits[p], 0, 0));
  }
  for (uint32_t j = firstLong; j < i; ++j) {
    const uint32_t s = sorted[j];
    const uint32_t r = reversed[j - firstLong];
    const uint32_t p = r & (rootSize - 1);
    uint32_t* const sub = t + subStart[p];
    for (uint32_t x = r >> root; x < (1u << subBits[p]); x += 1u << (lens[s] - root))
      sub[x] = entry[s];
  }
  return left > 0 ? TCodeSet::csIncomplete : TCodeSet::csComplete;
}
