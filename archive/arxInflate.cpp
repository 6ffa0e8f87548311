#include "arxInflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "Err_Msgs.h"
#include "arxDecoder.h"

/* Format notes (RFC 1951).

   A Deflate stream is a sequence of blocks; each starts with a bit marking the last block
   and two bits of block type: 0 stored, 1 fixed Huffman codes, 2 dynamic Huffman codes,
   3 reserved. Bits are taken from each byte least significant first; Huffman codes are
   packed starting with their most significant bit, every other field with its least
   significant bit first.

   A Huffman-coded block is a run of literal/length codes ended by code 256. Codes 0-255
   are literal bytes; 257-285 give a match length of 3-258 with 0-5 extra bits, and are
   followed by a distance code 0-29 (distance 1-32768 with 0-13 extra bits). A match
   copies `length` bytes starting `distance` bytes back in the output, and may overlap
   the bytes it is producing. Codes 286, 287 and distances 30, 31 never occur in valid
   data. Matches may reach back into earlier blocks of the member, never before its
   first byte.

   The codes are canonical: a code is fully described by the bit length of each symbol.
   Shorter codes sort first, and codes of equal length follow symbol order. */

namespace {

constexpr uint32_t kMaxCodeBits = 15;
constexpr uint32_t kMaxSymbols = 288;
constexpr uint32_t kMaxMatch = 258;
constexpr uint32_t kWindowMask = TDecoder::kWindowSize - 1;

// Lengths 3-258 and distances 1-32768: each pair of codes (each four for lengths) adds an
// extra bit, every code's base following the range of the one before it; the last length
// code stands for 258 alone.
struct TBaseTable {
  std::array<uint16_t, 30> Base{};
  std::array<uint8_t, 30> Extra{};
};

constexpr TBaseTable MakeLengthTable() {
  TBaseTable t;
  for (uint32_t code = 0, base = 3; code < 28; base += 1u << t.Extra[code], ++code) {
    t.Extra[code] = uint8_t(code < 8 ? 0 : (code - 4) / 4);
    t.Base[code] = uint16_t(base);
  }
  t.Base[28] = 258;
  return t;
}

constexpr TBaseTable MakeDistanceTable() {
  TBaseTable t;
  for (uint32_t code = 0, base = 1; code < 30; base += 1u << t.Extra[code], ++code) {
    t.Extra[code] = uint8_t(code < 4 ? 0 : (code - 2) / 2);
    t.Base[code] = uint16_t(base);
  }
  return t;
}

constexpr TBaseTable kLengths = MakeLengthTable();
constexpr TBaseTable kDistances = MakeDistanceTable();
static_assert(kLengths.Base[27] == 227 && kLengths.Extra[27] == 5 && kLengths.Extra[28] == 0);
static_assert(kDistances.Base[29] == 24577 && kDistances.Extra[29] == 13);

constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

constexpr TSymbolMap kLitLenMap = {257, true, kLengths.Base.data(), kLengths.Extra.data(), 29};
constexpr TSymbolMap kDistMap = {0, false, kDistances.Base.data(), kDistances.Extra.data(), 30};
constexpr TSymbolMap kCodeLengthMap = {19, false, nullptr, nullptr, 0};

// First-level widths: the fixed codes are short, the dynamic ones cover most codes in one look.
constexpr uint32_t kFixedLitBits = 7;
constexpr uint32_t kFixedDistBits = 5;
constexpr uint32_t kDynLitBits = 9;
constexpr uint32_t kDynDistBits = 6;
constexpr uint32_t kCodeLengthBits = 7;

uint64_t Mask(uint32_t n) {
  return (uint64_t(1) << n) - 1;
}

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

uint64_t LoadLE64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) {
    uint64_t r = 0;
    for (int i = 0; i < 8; ++i) r |= uint64_t(p[i]) << (8 * i);
    v = r;
  }
  return v;
}

THuft SymbolEntry(uint32_t symbol, const TSymbolMap& map) {
  if (symbol < map.Simple) {
    if (map.HasEnd && symbol == 256) return {kHuftEnd, 0, 0};
    return {kHuftLiteral, 0, uint16_t(symbol)};
  }
  const uint32_t index = symbol - map.Simple;
  if (index < map.Coded) return {map.Extra[index], 0, map.Base[index]};
  return {kHuftInvalid, 0, 0};
}

bool IsSubTable(const THuft& e) {
  return e.Op > kHuftLiteral && e.Op != kHuftInvalid;
}

template <size_t N>
inline void Move(uint8_t* to, const uint8_t* from) {
  std::memcpy(to, from, N);
}

// Copies a match whose source lies wholly before `out` in the same buffer, with the
// result of a byte-by-byte copy: a source overlapping the destination repeats the bytes
// just written. Nothing past out + len is touched, since the window beyond the position
// still holds history. Lengths are at least 3.
inline void CopyBack(uint8_t* out, uint32_t len, uint32_t dist) {
  const uint8_t* src = out - dist;
  if (dist >= 8) {
    // Every 8-byte piece reads bytes written before it; the last one ends exactly at
    // the end and may rewrite a few bytes with the same values.
    if (len >= 8) {
      uint8_t* const end = out + len;
      for (; out + 8 <= end; out += 8, src += 8) Move<8>(out, src);
      if (out < end) Move<8>(end - 8, end - 8 - dist);
    } else if (len >= 4) {
      Move<4>(out, src);
      Move<4>(out + len - 4, src + len - 4);
    } else {
      out[0] = src[0], out[1] = src[1], out[2] = src[2];
    }
  } else if (dist == 1) {
    std::memset(out, *src, len);
  } else {
    while (len-- > 0) *out++ = *src++;
  }
}

// Thrown when the data ends (or the run is cancelled) in the middle of a block: decoding
// stops quietly and keeps what it has.
struct TStop {};

class TInflater {
 public:
  explicit TInflater(TDecoder& decoder)
      : D(decoder), FWindow(decoder.Window()), FPos(decoder.WindowPos()) {}
  // Whatever ends the member, the window keeps every byte decoded so far.
  ~TInflater() { D.WindowPos() = FPos; }

  void Run();

 private:
  void Refill();
  uint32_t GetBits(uint32_t n);
  void DropBits(uint32_t n) {
    FBits >>= n;
    FCount -= n;
  }
  // RaiseError throws unless the run is cancelled; either way decoding ends here.
  [[noreturn]] void Fail(int code) {
    D.Host().RaiseError(D.OutputName(), code);
    throw TStop{};
  }
  void Build(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t bits,
             THuftTable& table, TCodeSet& result);

  void StoredBlock();
  void FixedBlock();
  void DynamicBlock();
  void ReadCodeLengths(uint32_t total, uint8_t* lengths);

  void Codes(const THuftTable& lit, const THuftTable& dist, int badCode);
  bool CodesFast(const THuftTable& lit, const THuftTable& dist, int badCode);
  bool CodeCareful(const THuftTable& lit, const THuftTable& dist, int badCode);
  THuft Decode(const THuftTable& table, int badCode);
  void PutOut(uint8_t b) {
    FWindow[FPos++] = b;
    if (FPos == TDecoder::kWindowSize) Flush();
  }
  void Flush();

  TDecoder& D;
  uint8_t* const FWindow;
  uint32_t FPos;
  // Once the window has been written out in full, every distance up to its size reaches
  // bytes of this member; before that only the bytes below the position do.
  bool FWrapped = false;

  // Bits above FCount are either zero or the next input bits themselves, so refills may
  // load whole words over them.
  uint64_t FBits = 0;
  uint32_t FCount = 0;

  THuftTable FFixedLit, FFixedDist;
  bool FFixedBuilt = false;
  THuftTable FLit, FDist, FCodeLength;
};

// Brings the bit buffer to at least 56 bits while the input lasts: eight bytes at a time
// from the input block, byte by byte through the shared reader near its end.
void TInflater::Refill() {
  if (D.InputAvailable() >= 8) {
    FBits |= LoadLE64(D.InputNext()) << FCount;
    D.SkipInput((63 - FCount) >> 3);
    FCount |= 56;
    return;
  }
  while (FCount <= 56) {
    const int b = D.NextByte();
    if (b < 0) return;
    FBits |= uint64_t(b) << FCount;
    FCount += 8;
  }
}

uint32_t TInflater::GetBits(uint32_t n) {
  if (FCount < n) {
    Refill();
    if (FCount < n) throw TStop{};
  }
  const uint32_t v = uint32_t(FBits & Mask(n));
  DropBits(n);
  return v;
}

void TInflater::Flush() {
  D.WindowPos() = FPos;
  FPos = 0;
  D.FlushWindow();
  FWrapped = true;
  if (D.Overrun() || D.Cancelled()) throw TStop{};
}

void TInflater::Build(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t bits,
                      THuftTable& table, TCodeSet& result) {
  try {
    result = BuildHuft(lengths, n, map, bits, table);
  } catch (const std::bad_alloc&) {
    Fail(E_MEMERR);
  }
}

void TInflater::Run() {
  bool last;
  try {
    do {
      last = GetBits(1) != 0;
      switch (GetBits(2)) {
        case 0:
          StoredBlock();
          break;
        case 1:
          FixedBlock();
          break;
        case 2:
          DynamicBlock();
          break;
        default:
          Fail(E_BADBLOCK);
      }
      // Leftover bits stay in the buffer as the start of the next block; the data ends
      // there only when the next header cannot be read.
    } while (!last && !D.Cancelled());
  } catch (const TStop&) {
  }
}

/* Stored block: the rest of the current byte is skipped, then LEN and NLEN (16 bits each,
   NLEN the one's complement of LEN), then LEN bytes copied as they are. */
void TInflater::StoredBlock() {
  DropBits(FCount & 7);
  const uint32_t len = GetBits(16);
  if (GetBits(16) != (~len & 0xFFFF)) Fail(E_BADBLOCK);
  uint32_t left = len;
  for (; left > 0 && FCount >= 8; --left) PutOut(uint8_t(GetBits(8)));
  // Whatever is left to copy comes from the input directly, which would leave the bit
  // buffer's look-ahead stale; the buffer is empty at this point.
  if (left > 0) FBits = 0;
  while (left > 0) {
    uint32_t n = std::min({left, D.InputAvailable(), TDecoder::kWindowSize - FPos});
    if (n == 0) {
      const int b = D.NextByte();
      if (b < 0) throw TStop{};
      PutOut(uint8_t(b));
      --left;
      continue;
    }
    std::memcpy(FWindow + FPos, D.InputNext(), n);
    D.SkipInput(n);
    FPos += n;
    left -= n;
    if (FPos == TDecoder::kWindowSize) Flush();
  }
}

/* Fixed block: literal/length lengths 8 for 0-143, 9 for 144-255, 7 for 256-279 and 8 for
   280-287; all 30 distance codes have 5 bits (an incomplete code by design). */
void TInflater::FixedBlock() {
  if (!FFixedBuilt) {
    std::array<uint8_t, kMaxSymbols> lengths;
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.end(), 8);
    TCodeSet result;
    Build(lengths.data(), kMaxSymbols, kLitLenMap, kFixedLitBits, FFixedLit, result);
    if (result != TCodeSet::csComplete) Fail(E_INCOMPLETECODES);
    std::fill(lengths.begin(), lengths.begin() + 30, 5);
    Build(lengths.data(), 30, kDistMap, kFixedDistBits, FFixedDist, result);
    if (result == TCodeSet::csInvalid || result == TCodeSet::csEmpty) Fail(E_INCOMPLETECODES);
    FFixedBuilt = true;
  }
  Codes(FFixedLit, FFixedDist, E_BADBLOCK);
}

// A code may be incomplete only the way the format allows: a single code of one bit.
bool AcceptableCode(TCodeSet result, const uint8_t* lengths, uint32_t n) {
  if (result == TCodeSet::csComplete) return true;
  if (result != TCodeSet::csIncomplete) return false;
  return std::count_if(lengths, lengths + n, [](uint8_t l) { return l != 0; }) == 1 &&
         *std::max_element(lengths, lengths + n) == 1;
}

/* Dynamic block: HLIT (5 bits, + 257), HDIST (5 bits, + 1), HCLEN (4 bits, + 4); then
   HCLEN 3-bit lengths of the code-length code in the order 16, 17, 18, 0, 8, 7, 9, 6, 10,
   5, 11, 4, 12, 3, 13, 2, 14, 1, 15; then the HLIT + HDIST literal/length and distance
   lengths as one sequence in that code: 0-15 a length, 16 the previous length 3-6 times
   (2 extra bits), 17 zero 3-10 times (3 bits), 18 zero 11-138 times (7 bits). */
void TInflater::DynamicBlock() {
  const uint32_t nlit = GetBits(5) + 257;
  const uint32_t ndist = GetBits(5) + 1;
  const uint32_t ncode = GetBits(4) + 4;

  std::array<uint8_t, 19> codeLengths{};
  for (uint32_t i = 0; i < ncode; ++i) codeLengths[kCodeLengthOrder[i]] = uint8_t(GetBits(3));
  TCodeSet result;
  Build(codeLengths.data(), 19, kCodeLengthMap, kCodeLengthBits, FCodeLength, result);
  if (result != TCodeSet::csComplete) Fail(E_INCOMPLETECODES);

  std::array<uint8_t, kMaxSymbols + 32> lengths{};
  ReadCodeLengths(nlit + ndist, lengths.data());

  // A block without end-of-block code cannot be decoded; 286 and 287 count toward the
  // code but are never valid symbols.
  Build(lengths.data(), nlit, kLitLenMap, kDynLitBits, FLit, result);
  if (!AcceptableCode(result, lengths.data(), nlit)) Fail(E_INCOMPLETECODES);
  // No distance lengths at all is a block of literals only; any length code in it is
  // then an invalid code.
  const uint8_t* distLengths = lengths.data() + nlit;
  Build(distLengths, ndist, kDistMap, kDynDistBits, FDist, result);
  if (result == TCodeSet::csEmpty) {
    FDist.Entries.assign(2, THuft{kHuftInvalid, 0, 0});
    FDist.RootBits = 1;
  } else if (!AcceptableCode(result, distLengths, ndist)) {
    Fail(E_INCOMPLETECODES);
  }
  Codes(FLit, FDist, E_INCOMPLETECODES);
}

void TInflater::ReadCodeLengths(uint32_t total, uint8_t* lengths) {
  uint8_t previous = 0;
  for (uint32_t i = 0; i < total;) {
    const THuft e = Decode(FCodeLength, E_INCOMPLETECODES);
    if (e.Value < 16) {
      previous = lengths[i++] = uint8_t(e.Value);
      continue;
    }
    uint32_t repeat;
    uint8_t value = 0;
    if (e.Value == 16) {
      repeat = 3 + GetBits(2);
      value = previous;
    } else if (e.Value == 17) {
      repeat = 3 + GetBits(3);
    } else {
      repeat = 11 + GetBits(7);
    }
    if (repeat > total - i) Fail(E_INCOMPLETECODES);
    std::fill(lengths + i, lengths + i + repeat, value);
    i += repeat;
    previous = value;
  }
}

void TInflater::Codes(const THuftTable& lit, const THuftTable& dist, int badCode) {
  while (!CodesFast(lit, dist, badCode))
    if (CodeCareful(lit, dist, badCode)) return;
}

// One symbol with every check: the data may end inside it, the window may fill, the code
// may be invalid. Returns true at the end of the block.
bool TInflater::CodeCareful(const THuftTable& lit, const THuftTable& dist, int badCode) {
  const THuft e = Decode(lit, badCode);
  if (e.Op == kHuftLiteral) {
    PutOut(uint8_t(e.Value));
    return false;
  }
  if (e.Op == kHuftEnd) return true;
  uint32_t len = e.Value + GetBits(e.Op);
  const THuft d = Decode(dist, badCode);
  const uint32_t distance = d.Value + GetBits(d.Op);
  // Before the window has filled once, what lies beyond the position is left over from
  // an earlier member, never this member's data.
  if (distance > FPos && !FWrapped) Fail(E_BADBLOCK);
  for (; len > 0; --len) PutOut(FWindow[(FPos - distance) & kWindowMask]);
  return false;
}

THuft TInflater::Decode(const THuftTable& table, int badCode) {
  if (FCount < kMaxCodeBits) Refill();
  THuft e = table.Entries[FBits & Mask(table.RootBits)];
  if (IsSubTable(e)) {
    if (e.Bits > FCount) throw TStop{};
    DropBits(e.Bits);
    const uint32_t index = e.Value + uint32_t(FBits & Mask(e.Op - kHuftLiteral));
    if (index >= table.Entries.size()) Fail(badCode);
    e = table.Entries[index];
  }
  // Bits that are not there yet are zeros in the buffer: an entry that needs them
  // means the data ended inside the code.
  if (e.Bits > FCount) throw TStop{};
  if (e.Op == kHuftInvalid || IsSubTable(e)) Fail(badCode);
  DropBits(e.Bits);
  return e;
}

// The hot loop: while eight input bytes can be loaded and a longest match fits into the
// window, one refill covers two literals, or a literal/length, distance and their extra
// bits (at most 48 bits). Every bit it looks at is real input, so an invalid code here is
// damaged data. Returns true at the end of the block; false when the input block or the
// window runs short, for CodeCareful to go on.
bool TInflater::CodesFast(const THuftTable& lit, const THuftTable& dist, int badCode) {
  const uint32_t available = D.InputAvailable();
  if (available < 8 || FPos >= TDecoder::kWindowSize - kMaxMatch) return false;
  const uint8_t* in = D.InputNext();
  const uint8_t* const inStart = in;
  const uint8_t* const inLast = in + available - 8;
  uint8_t* const window = FWindow;
  uint8_t* out = window + FPos;
  uint8_t* const outLast = window + TDecoder::kWindowSize - kMaxMatch;
  const THuft* const lt = lit.Entries.data();
  const THuft* const dt = dist.Entries.data();
  const size_t litSize = lit.Entries.size();
  const size_t distSize = dist.Entries.size();
  const uint64_t litMask = Mask(lit.RootBits);
  const uint64_t distMask = Mask(dist.RootBits);
  const bool wrapped = FWrapped;
  uint64_t bits = FBits;
  uint32_t count = FCount;
  int fault = 0;
  bool end = false;

  auto consume = [&](uint32_t n) {
    bits >>= n;
    count -= n;
  };
  // The entry of the next code, through its sub-table if it has one; invalid when the
  // sub-table index would leave the table.
  auto lookup = [&](const THuft* table, size_t size, uint64_t mask) {
    THuft e = table[bits & mask];
    if (IsSubTable(e)) {
      const size_t index = e.Value + ((bits >> e.Bits) & Mask(e.Op - kHuftLiteral));
      if (index >= size) return THuft{kHuftInvalid, 0, 0};
      consume(e.Bits);
      e = table[index];
    }
    return e;
  };

  while (in <= inLast && out < outLast) {
    bits |= LoadLE64(in) << count;
    in += (63 - count) >> 3;
    count |= 56;

    THuft e = lookup(lt, litSize, litMask);
    if (e.Op == kHuftLiteral) {
      consume(e.Bits);
      *out++ = uint8_t(e.Value);
      // A second literal fits into the bits left; anything else waits for the refill.
      e = lt[bits & litMask];
      if (e.Op != kHuftLiteral) continue;
      consume(e.Bits);
      *out++ = uint8_t(e.Value);
      continue;
    }
    if (e.Op == kHuftEnd) {
      consume(e.Bits);
      end = true;
      break;
    }
    if (e.Op > kHuftEnd) {
      fault = badCode;
      break;
    }
    consume(e.Bits);
    const uint32_t len = e.Value + uint32_t(bits & Mask(e.Op));
    consume(e.Op);

    const THuft d = lookup(dt, distSize, distMask);
    if (d.Op >= kHuftEnd) {
      fault = badCode;
      break;
    }
    consume(d.Bits);
    const uint32_t distance = d.Value + uint32_t(bits & Mask(d.Op));
    consume(d.Op);

    const uint32_t pos = uint32_t(out - window);
    if (distance <= pos) {
      CopyBack(out, len, distance);
      out += len;
      continue;
    }
    if (!wrapped) {
      fault = E_BADBLOCK;
      break;
    }
    // The source starts in the window's tail, written before the last flush, and may run
    // on into its head. The tail lies after the destination, so a forward copy is safe.
    const uint32_t tail = distance - pos;
    const uint32_t first = std::min(len, tail);
    std::memmove(out, window + TDecoder::kWindowSize - tail, first);
    out += first;
    if (len > first) {
      CopyBack(out, len - first, distance);
      out += len - first;
    }
  }

  D.SkipInput(uint32_t(in - inStart));
  FBits = bits;
  FCount = count;
  FPos = uint32_t(out - window);
  if (fault != 0) Fail(fault);
  return end;
}

}  // namespace

TCodeSet BuildHuft(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t lookupBits,
                   THuftTable& table) {
  table.Entries.clear();
  table.RootBits = 0;
  if (n > kMaxSymbols || lookupBits == 0 || lookupBits > 9) return TCodeSet::csInvalid;

  std::array<uint32_t, kMaxCodeBits + 1> count{};
  for (uint32_t i = 0; i < n; ++i) {
    if (lengths[i] > kMaxCodeBits) return TCodeSet::csInvalid;
    ++count[lengths[i]];
  }
  count[0] = 0;
  uint32_t maxLen = kMaxCodeBits;
  while (maxLen > 0 && count[maxLen] == 0) --maxLen;
  if (maxLen == 0) return TCodeSet::csEmpty;
  uint32_t minLen = 1;
  while (count[minLen] == 0) ++minLen;

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
  const uint32_t root = std::clamp(lookupBits, minLen, maxLen);
  const uint32_t rootSize = 1u << root;
  std::array<uint16_t, kMaxSymbols> reversed{};
  // The root grows to the shortest code length, so it can exceed the lookup bits.
  std::vector<uint8_t> subBits(rootSize);
  for (uint32_t s = 0; s < n; ++s) {
    const uint32_t len = lengths[s];
    if (len == 0) continue;
    reversed[s] = uint16_t(ReverseBits(next[len]++, len));
    if (len > root) {
      uint8_t& sub = subBits[reversed[s] & (rootSize - 1)];
      sub = uint8_t(std::max<uint32_t>(sub, len - root));
    }
  }

  std::vector<uint16_t> subStart(rootSize);
  size_t total = rootSize;
  const bool hasSubTables = maxLen > root;
  if (hasSubTables)
    for (uint32_t p = 0; p < rootSize; ++p)
      if (subBits[p] != 0) {
        subStart[p] = uint16_t(total);
        total += size_t(1) << subBits[p];
      }
  table.Entries.assign(total, THuft{kHuftInvalid, uint8_t(root), 0});
  table.RootBits = root;
  if (hasSubTables)
    for (uint32_t p = 0; p < rootSize; ++p) {
      if (subBits[p] == 0) continue;
      table.Entries[p] = {uint8_t(kHuftLiteral + subBits[p]), uint8_t(root), subStart[p]};
      std::fill_n(table.Entries.begin() + subStart[p], size_t(1) << subBits[p],
                  THuft{kHuftInvalid, subBits[p], 0});
    }

  for (uint32_t s = 0; s < n; ++s) {
    const uint32_t len = lengths[s];
    if (len == 0) continue;
    THuft e = SymbolEntry(s, map);
    if (len <= root) {
      e.Bits = uint8_t(len);
      for (uint32_t i = reversed[s]; i < rootSize; i += 1u << len) table.Entries[i] = e;
    } else {
      const uint32_t p = reversed[s] & (rootSize - 1);
      const uint32_t subSize = 1u << subBits[p];
      e.Bits = uint8_t(len - root);
      for (uint32_t i = reversed[s] >> root; i < subSize; i += 1u << (len - root))
        table.Entries[subStart[p] + i] = e;
    }
  }
  return left > 0 ? TCodeSet::csIncomplete : TCodeSet::csComplete;
}

void Inflate(TDecoder& decoder) {
  TInflater(decoder).Run();
}
