#include "arxInflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "Err_Msgs.h"
#include "arxDecoder.h"
#include "arxInflateFast.h"
#include "arxInflateTable.h"

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

/* Decoding runs in two gears over the same state. The fast loop (arxInflateFast) takes
   every symbol for which eight input bytes and room for a longest match are at hand; the
   careful one here takes the rest: the member's last input bytes, where the data may end
   inside a code. Both decode into a history buffer several windows long, which is written
   out a window's size at a time, as a 32 KiB window alone would be: the same output
   blocks, progress steps and points where a cancel or an overrun ends the member. */

namespace {

constexpr uint32_t kMaxSymbols = 288;
// Output is written in pieces of the window's size; the history a match may reach is
// as long.
constexpr uint32_t kPiece = TDecoder::kWindowSize;
constexpr uint32_t kHistory = TDecoder::kWindowSize;
// Pieces are decoded below this end of the history buffer; the fast loop's overshoot
// lies beyond.
constexpr uint32_t kSpan = TDecoder::kScratchSize - kFastOutSlack;
static_assert(kSpan >= kHistory + kPiece);

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

constexpr uint32_t kCodeLengthBits = 7;
// A code and its extra bits.
constexpr uint32_t kMaxEntryBits = 15 + 13;

uint64_t Mask(uint32_t n) {
  return (uint64_t(1) << n) - 1;
}

// Thrown when the data ends (or the run is cancelled) in the middle of a block: decoding
// stops quietly and keeps what it has.
struct TStop {};

// The fixed codes: literal/length lengths 8 for 0-143, 9 for 144-255, 7 for 256-279 and 8
// for 280-287; all 30 distance codes have 5 bits (an incomplete code by design).
struct TFixedTables {
  TFixedTables() {
    std::array<uint8_t, kMaxSymbols> lengths;
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.end(), 8);
    LitComplete = BuildHuff(lengths.data(), kMaxSymbols, kLitLenMap, kFastLitBits, Lit) ==
                  TCodeSet::csComplete;
    std::fill(lengths.begin(), lengths.begin() + 30, 5);
    const TCodeSet dist = BuildHuff(lengths.data(), 30, kDistMap, kFastDistBits, Dist);
    DistUsable = dist == TCodeSet::csComplete || dist == TCodeSet::csIncomplete;
  }
  THuffTable Lit, Dist;
  bool LitComplete, DistUsable;
};

class TInflater {
 public:
  // Decodes straight into the output target's memory where it has room for the whole
  // member, into the history buffer otherwise.
  TInflater(TDecoder& decoder, uint8_t* history) : D(decoder), FHistory(history), FOut(history) {
    const uint64_t size = D.Header().UnpackedSize;
    if (size >= kPiece + kFastOutSlack && size <= UINT32_MAX) FOut = D.Host().OutputRoom(size);
    FRoom = FOut ? uint32_t(size) : 0;
    if (!FOut) FOut = FHistory;
    MakeRoom();
  }
  // Whatever ends the member, the bytes decoded and not yet written (less than a piece)
  // go to the decoder's window for its final flush.
  ~TInflater() {
    std::memcpy(D.Window(), FOut + FDone, FPos - FDone);
    D.WindowPos() = FPos - FDone;
  }

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
  TCodeSet Build(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t bits,
                 THuffTable& table);

  void StoredBlock();
  void FixedBlock();
  void DynamicBlock();
  void ReadCodeLengths(uint32_t total, uint8_t* lengths);

  void Codes(const THuffTable& lit, const THuffTable& dist, int badCode);
  bool CodesFast(const THuffTable& lit, const THuffTable& dist, int badCode);
  bool CodeCareful(const THuffTable& lit, const THuffTable& dist, int badCode);
  uint32_t Decode(const THuffTable& table, int badCode);
  void PutOut(uint8_t b) {
    FOut[FPos++] = b;
    if (FPos - FDone == kPiece) Flush();
  }
  void Flush();
  void MakeRoom();

  TDecoder& D;
  uint8_t* const FHistory;
  // The member's output from its first byte on, or its last kHistory bytes at least once
  // it has moved to (or slid in) the history buffer: every position below FPos is this
  // member's. FRoom is the size of the target's memory while FOut lies there, else 0.
  uint8_t* FOut;
  uint32_t FRoom = 0;
  uint32_t FPos = 0;
  uint32_t FDone = 0;  // the bytes below are written out

  // Bits above FCount are either zero or the next input bits themselves, so refills may
  // load whole words over them.
  uint64_t FBits = 0;
  uint32_t FCount = 0;

  THuffTable FLit, FDist, FCodeLength;
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

// Writes the next piece. A cancel or an overrun ends the member there, as it would with a
// window of a piece's size: what was decoded beyond is dropped.
void TInflater::Flush() {
  uint8_t* const piece = FOut + FDone;
  FDone += kPiece;
  try {
    D.WriteOutput(piece, kPiece);
  } catch (...) {
    FPos = FDone;
    throw;
  }
  if (D.Overrun() || D.Cancelled()) {
    FPos = FDone;
    throw TStop{};
  }
  MakeRoom();
}

// Keeps room for the next piece and the fast loop's overshoot beyond it. In the target's
// memory the last piece that does not fit whole (and anything beyond the declared size)
// goes on in the history buffer, with the history it needs; there the last kHistory
// bytes move to the start near the end.
void TInflater::MakeRoom() {
  if (FRoom != 0) {
    if (FDone + kPiece + kFastOutSlack <= FRoom) return;
    const uint32_t keep = std::min(FPos, kHistory);
    std::memcpy(FHistory, FOut + FPos - keep, keep);
    FDone -= FPos - keep;
    FPos = keep;
    FOut = FHistory;
    FRoom = 0;
  }
  if (FDone + kPiece > kSpan) {
    const uint32_t shift = FPos - kHistory;
    std::memmove(FOut, FOut + shift, kHistory);
    FPos -= shift;
    FDone -= shift;
  }
}

TCodeSet TInflater::Build(const uint8_t* lengths, uint32_t n, const TSymbolMap& map, uint32_t bits,
                          THuffTable& table) {
  try {
    return BuildHuff(lengths, n, map, bits, table);
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
    const uint32_t n = std::min({left, D.InputAvailable(), FDone + kPiece - FPos});
    if (n == 0) {
      const int b = D.NextByte();
      if (b < 0) throw TStop{};
      PutOut(uint8_t(b));
      --left;
      continue;
    }
    std::memcpy(FOut + FPos, D.InputNext(), n);
    D.SkipInput(n);
    FPos += n;
    left -= n;
    if (FPos - FDone == kPiece) Flush();
  }
}

const TFixedTables& FixedTables() {
  static const TFixedTables tables;
  return tables;
}

void TInflater::FixedBlock() {
  const TFixedTables* fixed = nullptr;
  try {
    fixed = &FixedTables();
  } catch (const std::bad_alloc&) {
    Fail(E_MEMERR);
  }
  if (!fixed->LitComplete || !fixed->DistUsable) Fail(E_INCOMPLETECODES);
  Codes(fixed->Lit, fixed->Dist, E_BADBLOCK);
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
  if (Build(codeLengths.data(), 19, kCodeLengthMap, kCodeLengthBits, FCodeLength) !=
      TCodeSet::csComplete)
    Fail(E_INCOMPLETECODES);

  std::array<uint8_t, kMaxSymbols + 32> lengths{};
  ReadCodeLengths(nlit + ndist, lengths.data());

  // A block without end-of-block code cannot be decoded; 286 and 287 count toward the
  // code but are never valid symbols.
  TCodeSet result = Build(lengths.data(), nlit, kLitLenMap, kFastLitBits, FLit);
  if (!AcceptableCode(result, lengths.data(), nlit)) Fail(E_INCOMPLETECODES);
  // No distance lengths at all is a block of literals only; any length code in it is
  // then an invalid code.
  const uint8_t* distLengths = lengths.data() + nlit;
  result = Build(distLengths, ndist, kDistMap, kFastDistBits, FDist);
  if (result == TCodeSet::csEmpty) {
    constexpr uint32_t size = 1u << kFastDistBits;
    FDist.Entries.resize(std::max<size_t>(FDist.Entries.size(), size));
    std::fill_n(FDist.Entries.begin(), size, huff::Make(huff::kInvalid, 1, 0, 0));
    FDist.RootBits = kFastDistBits;
  } else if (!AcceptableCode(result, distLengths, ndist)) {
    Fail(E_INCOMPLETECODES);
  }
  Codes(FLit, FDist, E_INCOMPLETECODES);
}

// The code-length code is complete and at most kCodeLengthBits long, so that its table has
// neither links nor invalid entries, and every entry is the symbol itself.
void TInflater::ReadCodeLengths(uint32_t total, uint8_t* lengths) {
  const uint32_t* const table = FCodeLength.Entries.data();
  uint8_t previous = 0;
  for (uint32_t i = 0; i < total;) {
    if (FCount < kCodeLengthBits) Refill();
    const uint32_t e = table[FBits & Mask(kCodeLengthBits)];
    // Bits that are not there yet are zeros in the buffer: an entry that needs them means
    // the data ended inside the code.
    if (huff::Bits(e) > FCount) throw TStop{};
    DropBits(huff::Bits(e));
    const uint32_t symbol = huff::Value(e);
    if (symbol < 16) {
      previous = lengths[i++] = uint8_t(symbol);
      continue;
    }
    uint32_t repeat;
    uint8_t value = 0;
    if (symbol == 16) {
      repeat = 3 + GetBits(2);
      value = previous;
    } else if (symbol == 17) {
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

void TInflater::Codes(const THuffTable& lit, const THuffTable& dist, int badCode) {
  if (!D.FastInflate()) {
    while (!CodeCareful(lit, dist, badCode)) {
    }
    return;
  }
  while (!CodesFast(lit, dist, badCode))
    if (CodeCareful(lit, dist, badCode)) return;
}

// One symbol with every check: the data may end inside it, a piece may fill, the code
// may be invalid. Returns true at the end of the block.
bool TInflater::CodeCareful(const THuffTable& lit, const THuffTable& dist, int badCode) {
  const uint32_t e = Decode(lit, badCode);
  if (e & huff::kLiteral) {
    PutOut(uint8_t(huff::Value(e)));
    return false;
  }
  if (huff::Kind(e) == huff::kEnd) return true;
  const uint32_t distance = huff::Value(Decode(dist, badCode));
  if (distance > FPos) Fail(E_BADBLOCK);
  for (uint32_t len = huff::Value(e); len > 0; --len) PutOut(FOut[FPos - distance]);
  return false;
}

// The next symbol, its bits (with any extra bits) taken: an entry of its kind with its
// final value.
uint32_t TInflater::Decode(const THuffTable& table, int badCode) {
  if (FCount < kMaxEntryBits) Refill();
  uint32_t e = table.Entries[FBits & Mask(table.RootBits)];
  if (huff::Kind(e) == huff::kLink)
    e = table.Entries[huff::Value(e) + ((FBits >> table.RootBits) & Mask(huff::Lead(e)))];
  // Bits that are not there yet are zeros in the buffer: an entry that needs them
  // means the data ended inside the code or its extra bits.
  if (huff::Bits(e) > FCount) throw TStop{};
  if (huff::Kind(e) == huff::kInvalid) Fail(badCode);
  const uint32_t value = huff::Kind(e) == 0 ? huff::ValueAt(e, FBits) : huff::Value(e);
  DropBits(huff::Bits(e));
  return huff::Make(huff::Kind(e), 0, 0, value);
}

// Runs of the fast loop, each up to the next piece or the end of the input block; the
// block is topped up between runs. Returns true at the end of the block; false when the
// member's data is nearly used up, for CodeCareful to go on.
bool TInflater::CodesFast(const THuffTable& lit, const THuffTable& dist, int badCode) {
  for (;;) {
    // A run may end past the piece with its last match, whichever limit it met.
    if (FPos - FDone >= kPiece) Flush();
    const uint32_t available = D.InputAvailable() >= 8 ? D.InputAvailable() : D.TopUpInput();
    if (available < 8) return false;
    const uint8_t* const in = D.InputNext();
    TFastRun run{in, in + available - 8, FOut + FPos, FOut + FDone + kPiece, FOut, FBits, FCount};
    const TFastStop stop = InflateFast(run, lit, dist);
    D.SkipInput(uint32_t(run.In - in));
    FPos = uint32_t(run.Out - FOut);
    FBits = run.Bits;
    FCount = run.Count;
    switch (stop) {
      case TFastStop::fsEndOfBlock:
        return true;
      case TFastStop::fsBadCode:
        Fail(badCode);
      case TFastStop::fsBadDistance:
        Fail(E_BADBLOCK);
      case TFastStop::fsOutput:
      case TFastStop::fsInput:
        break;
    }
  }
}

}  // namespace

void Inflate(TDecoder& decoder) {
  uint8_t* history;
  try {
    history = decoder.Scratch();
  } catch (const std::bad_alloc&) {
    decoder.Host().RaiseError(decoder.OutputName(), E_MEMERR);
    return;
  }
  TInflater(decoder, history).Run();
}
