#include <array>

#include "CanonicalCodes.h"
#include "DecoderHarness.h"

using namespace harness;

namespace {

// ---- hand-made streams ----------------------------------------------------------------

constexpr std::array<uint16_t, 29> kLenBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                               15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                               67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLenExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<uint8_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                            11, 4,  12, 3, 13, 2, 14, 1, 15};

// A literal (Length 0) or a match.
struct TToken {
  uint32_t Length;
  uint32_t Value;  // the byte, or the distance
};

template <size_t N>
uint32_t CodeIndex(const std::array<uint16_t, N>& base, uint32_t v) {
  uint32_t i = N - 1;
  while (base[i] > v) --i;
  return i;
}

void FixedSymbol(TBitWriter& w, uint32_t sym) {
  if (sym < 144)
    w.Code(0x30 + sym, 8);
  else if (sym < 256)
    w.Code(0x190 + sym - 144, 9);
  else if (sym < 280)
    w.Code(sym - 256, 7);
  else
    w.Code(0xC0 + sym - 280, 8);
}

// One fixed-code block of `tokens`, ended by code 256.
void FixedBlock(TBitWriter& w, bool last, const std::vector<TToken>& tokens) {
  w.Put(last, 1);
  w.Put(1, 2);
  for (const TToken& t : tokens) {
    if (t.Length == 0) {
      FixedSymbol(w, t.Value);
      continue;
    }
    const uint32_t li = t.Length == 258 ? 28 : CodeIndex(kLenBase, t.Length);
    FixedSymbol(w, 257 + li);
    w.Put(t.Length - kLenBase[li], kLenExtra[li]);
    const uint32_t di = CodeIndex(kDistBase, t.Value);
    w.Code(di, 5);
    w.Put(t.Value - kDistBase[di], kDistExtra[di]);
  }
  FixedSymbol(w, 256);
}

// What the tokens stand for.
Bytes Expand(const std::vector<TToken>& tokens) {
  Bytes out;
  for (const TToken& t : tokens) {
    if (t.Length == 0) out.push_back(uint8_t(t.Value));
    for (uint32_t i = 0; i < t.Length; ++i) out.push_back(out[out.size() - t.Value]);
  }
  return out;
}

// Non-final stored blocks carrying `bytes`, from the next byte boundary.
void StoredBlocks(TBitWriter& w, const Bytes& bytes) {
  for (size_t at = 0; at < bytes.size(); at += 65535) {
    const uint32_t n = uint32_t(std::min<size_t>(65535, bytes.size() - at));
    w.Put(0, 1);
    w.Put(0, 2);
    w.Byte(uint8_t(n)), w.Byte(uint8_t(n >> 8)), w.Byte(uint8_t(~n)), w.Byte(uint8_t(~n >> 8));
    for (size_t i = 0; i < n; ++i) w.Byte(bytes[at + i]);
  }
}

std::vector<TToken> Literals(const Bytes& bytes) {
  std::vector<TToken> tokens;
  for (uint8_t b : bytes) tokens.push_back({0, b});
  return tokens;
}

// A dynamic block header whose code-length code gives `clLengths` to the 19 symbols;
// `sequence` is written in that code, each symbol followed by its extra bits.
struct TClSymbol {
  uint32_t Symbol;
  uint32_t Extra = 0;
};

void DynamicHeader(TBitWriter& w, bool last, uint32_t nlit, uint32_t ndist,
                   const std::vector<uint8_t>& clLengths, const std::vector<TClSymbol>& sequence) {
  w.Put(last, 1);
  w.Put(2, 2);
  w.Put(nlit - 257, 5);
  w.Put(ndist - 1, 5);
  w.Put(19 - 4, 4);
  for (uint8_t s : kOrder) w.Put(clLengths[s], 3);
  const std::vector<uint32_t> codes = CanonicalCodes(clLengths);
  for (const TClSymbol& c : sequence) {
    w.Code(codes[c.Symbol], clLengths[c.Symbol]);
    if (c.Symbol == 16) w.Put(c.Extra, 2);
    if (c.Symbol == 17) w.Put(c.Extra, 3);
    if (c.Symbol == 18) w.Put(c.Extra, 7);
  }
}

// Code-length code of 16 four-bit codes for the lengths 0 to 15: every length written as is.
const std::vector<uint8_t> kPlainLengthCode = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
                                               4, 4, 4, 4, 4, 4, 0, 0, 0};

std::vector<TClSymbol> AsIs(const std::vector<uint8_t>& lengths) {
  std::vector<TClSymbol> seq;
  for (uint8_t l : lengths) seq.push_back({l});
  return seq;
}

// Lit/len lengths where only the listed symbols have codes.
std::vector<uint8_t> Lengths(size_t n, std::initializer_list<std::pair<uint32_t, uint8_t>> set) {
  std::vector<uint8_t> lengths(n, 0);
  for (auto [symbol, len] : set) lengths.at(symbol) = len;
  return lengths;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void WriteSymbol(TBitWriter& w, const std::vector<uint8_t>& lengths, uint32_t symbol) {
  w.Code(CanonicalCodes(lengths)[symbol], lengths[symbol]);
}

Bytes Str(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// ---- round trips against zlib ---------------------------------------------------------

TEST(Inflate, RoundTripsMixedDataAtLevels1And9) {
  for (TPath path : kPaths)
    for (int level : {1, 9})
      for (size_t size : {0, 1, 2, 258, 1000, 32767, 32768, 32769, 33055, 33056, 65535, 65536,
                          65537, 65824, 100000, 300000, 1200000}) {
        const Bytes plain = MixedData(size, uint32_t(size) + level);
        const TOutcome r = Inflated(Deflate(plain, level), plain.size(), path);
        ASSERT_EQ(r.Output, plain)
            << "level " << level << " size " << size << " " << PathName(path);
        EXPECT_EQ(r.Crc, ZlibCrc(plain));
        EXPECT_TRUE(r.Errors.empty());
        EXPECT_FALSE(r.Overrun);
      }
}

TEST(Inflate, RoundTripsIncompressibleRunsAndEveryBlockKind) {
  struct TCase {
    Bytes Plain;
    int Level;
    zlibkit::TStrategy Strategy;
  };
  const Bytes noise = Noise(200000, 7);
  // Each period from 1 to 40 bytes repeated over 700 bytes: matches of every short
  // distance, up to the longest length.
  Bytes periodic;
  for (size_t period = 1; period <= 40; ++period)
    for (size_t i = 0; i < 700; ++i) periodic.push_back(noise[period * 64 + i % period]);
  const std::vector<TCase> cases = {
      {noise, 9, zlibkit::zsDefault},                     // stored blocks inside a Deflate stream
      {noise, 0, zlibkit::zsDefault},                     // stored blocks only, several of them
      {Bytes(1 << 20, 'z'), 9, zlibkit::zsDefault},       // distance 1, length 258 all along
      {MixedData(400000, 3), 9, zlibkit::zsFixed},        // fixed codes over many windows
      {MixedData(400000, 4), 6, zlibkit::zsHuffmanOnly},  // literals only
      {MixedData(400000, 5), 6, zlibkit::zsRle},          // distance 1 only
      {periodic, 9, zlibkit::zsDefault},
  };
  for (TPath path : kPaths)
    for (const TCase& c : cases) {
      const TOutcome r = Inflated(Deflate(c.Plain, c.Level, c.Strategy), c.Plain.size(), path);
      ASSERT_EQ(r.Output, c.Plain)
          << "level " << c.Level << " strategy " << c.Strategy << " " << PathName(path);
      EXPECT_TRUE(r.Errors.empty());
    }
}

// Sync and full flushes end blocks in the middle of a byte and insert empty stored blocks,
// so blocks start with bits left over from the one before.
TEST(Inflate, BlocksStartingMidByteAndEmptyStoredBlocks) {
  const Bytes plain = MixedData(150000, 11);
  for (TPath path : kPaths)
    EXPECT_EQ(Inflated(DeflateWithFlushes(plain, 6), plain.size(), path).Output, plain)
        << PathName(path);
}

// ---- hand-made streams: what must decode ------------------------------------------------

TEST(Inflate, FinalStoredBlockOfLengthZeroGivesNothing) {
  const TOutcome r = Inflated({0x01, 0x00, 0x00, 0xFF, 0xFF}, 0);
  EXPECT_TRUE(r.Output.empty());
  EXPECT_EQ(r.Crc, 0u);  // the stored CRC of an empty member
  EXPECT_TRUE(r.Errors.empty());
}

TEST(Inflate, DistanceOneLength258RepeatsThePreviousByte) {
  TBitWriter w;
  FixedBlock(w, true, {{0, 'x'}, {258, 1}, {0, 'y'}});
  const TOutcome r = Inflated(w.Out(), 260);
  EXPECT_EQ(r.Output, Concat(Bytes(259, 'x'), Str("y")));
  EXPECT_TRUE(r.Errors.empty());
}

TEST(Inflate, MatchesWrapAroundTheWindowEnd) {
  // The first match runs over the end of the window, the second reads from its tail and
  // its head, the third reaches back exactly the window's size.
  std::vector<TToken> tokens = Literals(Noise(32700, 3));
  tokens.push_back({258, 1000});
  tokens.push_back({200, 300});
  tokens.push_back({258, 32768});
  tokens.push_back({0, '!'});
  TBitWriter w;
  FixedBlock(w, true, tokens);
  const Bytes expected = Expand(tokens);
  for (TPath path : kPaths) {
    const TOutcome r = Inflated(w.Out(), expected.size(), path);
    EXPECT_EQ(r.Output, expected) << PathName(path);
    EXPECT_TRUE(r.Errors.empty());
  }
}

TEST(Inflate, SingleOneBitDistanceCodeAndLiteralOnlyBlocksDecode) {
  // Both are valid: one distance code is sent with one bit, and a block of literals may
  // have no distance code at all.
  const auto lit = Lengths(258, {{'a', 1}, {256, 2}, {257, 2}});  // 'a', end, length 3
  TBitWriter w;
  DynamicHeader(w, false, 258, 1, kPlainLengthCode, AsIs(Concat(lit, {1})));
  WriteSymbol(w, lit, 'a');
  WriteSymbol(w, lit, 257);
  w.Code(0, 1);  // distance 1
  WriteSymbol(w, lit, 256);
  DynamicHeader(w, true, 258, 1, kPlainLengthCode, AsIs(Concat(lit, {0})));
  WriteSymbol(w, lit, 'a');
  WriteSymbol(w, lit, 256);
  const TOutcome r = Inflated(w.Out(), 5);
  EXPECT_EQ(r.Output, Str("aaaaa"));
  EXPECT_EQ(r.Errors, std::vector<int>{});
}

// ---- hand-made streams: damaged data ----------------------------------------------------

struct TBad {
  const char* Name;
  Bytes Stream;
  int Code;
  Bytes Before;  // what decodes before the fault
};

std::vector<TBad> BadStreams() {
  std::vector<TBad> bad;
  auto add = [&](const char* name, const TBitWriter& w, int code, const std::string& before) {
    bad.push_back({name, w.Out(), code, Str(before)});
  };
  {
    TBitWriter w;
    FixedBlock(w, false, Literals(Str("ab")));
    w.Put(1, 1);
    w.Put(0, 2);
    w.Byte(5), w.Byte(0), w.Byte(0xFA), w.Byte(0xFE);  // NLEN off by one
    w.Put(0, 32);
    add("LEN/NLEN mismatch", w, E_BADBLOCK, "ab");
  }
  {
    TBitWriter w;
    FixedBlock(w, false, Literals(Str("ab")));
    w.Put(1, 1);
    w.Put(3, 2);
    w.Put(0, 16);
    add("block type 3", w, E_BADBLOCK, "ab");
  }
  for (uint32_t code : {286u, 287u}) {
    TBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    FixedSymbol(w, 'q');
    FixedSymbol(w, code);
    w.Put(0, 24);
    add(code == 286 ? "fixed code 286" : "fixed code 287", w, E_BADBLOCK, "q");
  }
  {
    TBitWriter w;
    w.Put(1, 1);
    w.Put(1, 2);
    FixedSymbol(w, 'q');
    FixedSymbol(w, 257);
    w.Code(30, 5);
    w.Put(0, 24);
    add("fixed distance code 30", w, E_BADBLOCK, "q");
  }
  {
    TBitWriter w;
    FixedBlock(w, true, {{0, 'a'}, {0, 'b'}, {3, 3}});
    w.Put(0, 24);
    add("distance before the first byte", w, E_BADBLOCK, "ab");
  }
  {
    TBitWriter w;
    DynamicHeader(w, true, 257, 1, kPlainLengthCode, AsIs(std::vector<uint8_t>(258, 1)));
    w.Put(0, 24);
    add("over-subscribed literal/length code", w, E_INCOMPLETECODES, "");
  }
  {
    TBitWriter w;
    // Every code longer than the first-level lookup: the table's first level must grow.
    DynamicHeader(w, true, 257, 1, kPlainLengthCode, AsIs(std::vector<uint8_t>(258, 15)));
    w.Put(0, 24);
    add("only codes longer than the lookup", w, E_INCOMPLETECODES, "");
  }
  {
    TBitWriter w;
    const auto lit = Lengths(257, {{'a', 1}, {256, 1}});
    DynamicHeader(w, true, 257, 3, kPlainLengthCode, AsIs(Concat(lit, {1, 1, 1})));
    w.Put(0, 24);
    add("over-subscribed distance code", w, E_INCOMPLETECODES, "");
  }
  {
    TBitWriter w;
    // Lengths 0-14 and code 18 with four bits each.
    std::vector<uint8_t> cl(19, 4);
    cl[15] = cl[16] = cl[17] = 0;
    DynamicHeader(w, true, 257, 1, cl, {{18, 127}, {18, 127}});
    w.Put(0, 24);
    add("repeat past the last length", w, E_INCOMPLETECODES, "");
  }
  {
    TBitWriter w;
    DynamicHeader(w, true, 257, 1, kPlainLengthCode, AsIs(std::vector<uint8_t>(258, 0)));
    w.Put(0, 24);
    add("no literal/length code", w, E_INCOMPLETECODES, "");
  }
  {
    TBitWriter w;
    std::vector<uint8_t> cl(19, 0);
    cl[0] = cl[1] = cl[2] = 2;  // one code of two bits unused
    DynamicHeader(w, true, 257, 1, cl, {});
    w.Put(0, 24);
    add("incomplete code-length code", w, E_INCOMPLETECODES, "");
  }
  {
    TBitWriter w;
    const auto lit = Lengths(288, {{'r', 2}, {256, 2}, {286, 2}, {287, 2}});
    DynamicHeader(w, true, 288, 1, kPlainLengthCode, AsIs(Concat(lit, {1})));
    WriteSymbol(w, lit, 'r');
    WriteSymbol(w, lit, 286);
    w.Put(0, 24);
    add("dynamic code 286", w, E_INCOMPLETECODES, "r");
  }
  {
    TBitWriter w;
    const auto lit = Lengths(258, {{'r', 1}, {256, 2}, {257, 2}});
    DynamicHeader(w, true, 258, 1, kPlainLengthCode, AsIs(Concat(lit, {1})));
    WriteSymbol(w, lit, 'r');
    WriteSymbol(w, lit, 257);
    w.Code(1, 1);  // the unused half of a one-bit distance code
    w.Put(0, 24);
    add("dynamic invalid distance code", w, E_INCOMPLETECODES, "r");
  }
  {
    TBitWriter w;
    const auto lit = Lengths(258, {{'r', 1}, {256, 2}, {257, 2}});
    DynamicHeader(w, true, 258, 1, kPlainLengthCode, AsIs(Concat(lit, {0})));
    WriteSymbol(w, lit, 'r');
    WriteSymbol(w, lit, 257);
    w.Put(0, 24);
    add("length code without distance codes", w, E_INCOMPLETECODES, "r");
  }
  return bad;
}

// Each damaged stream is followed by more input, so that the fast loop meets the fault
// with input to spare, and also comes after 40000 good bytes, so that the output lies in
// the history buffer or in the target's room (where no distance reaches before the start).
TEST(Inflate, DamagedDataIsReportedOnceAndKeepsTheBytesBefore) {
  const Bytes lead = MixedData(40000, 31);
  for (const TBad& b : BadStreams())
    for (TPath path : kPaths)
      for (bool led : {false, true}) {
        if (led && b.Name == std::string("distance before the first byte")) continue;
        TBitWriter w;
        if (led) StoredBlocks(w, lead);
        const Bytes stream = Concat(Concat(w.Out(), b.Stream), Bytes(32, 0));
        const TOutcome r = Inflated(stream, 80000, path);
        const Bytes before = led ? Concat(lead, b.Before) : b.Before;
        EXPECT_EQ(r.Errors, std::vector<int>{b.Code}) << b.Name << " " << PathName(path) << led;
        EXPECT_EQ(r.Output, before) << b.Name << " " << PathName(path) << led;
      }
}

// ---- data that ends early ---------------------------------------------------------------

TEST(Inflate, CutStreamsGiveAPrefixWithoutError) {
  const Bytes plain = MixedData(100000, 21);
  const Bytes stream = Deflate(plain, 9);
  for (TPath path : kPaths)
    for (size_t keep = 0; keep < stream.size(); keep += 1 + keep / 3) {
      const Bytes cut(stream.begin(), stream.begin() + keep);
      const TOutcome r = Inflated(cut, plain.size(), path);
      ASSERT_TRUE(r.Errors.empty()) << keep << " " << PathName(path);
      ASSERT_LT(r.Output.size(), plain.size()) << keep;
      ASSERT_TRUE(std::equal(r.Output.begin(), r.Output.end(), plain.begin())) << keep;
      ASSERT_NE(r.Crc, ZlibCrc(plain));
    }
}

// Damaged streams of every kind stay inside their declared size and never crash.
TEST(Inflate, FlippedBitsNeverRunPastTheDeclaredSize) {
  const Bytes plain = MixedData(50000, 23);
  const Bytes stream = Deflate(plain, 6);
  uint32_t x = 99;
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = stream;
    for (int flips = 1 + round % 4; flips > 0; --flips) {
      x = x * 1664525u + 1013904223u;
      damaged[(x >> 8) % damaged.size()] ^= uint8_t(1u << (x >> 29));
    }
    const TOutcome r = Inflated(damaged, plain.size());
    ASSERT_LE(r.Output.size(), plain.size());
    ASSERT_LE(r.Errors.size(), 1u);
  }
}

}  // namespace
