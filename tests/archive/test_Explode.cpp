// Method 6 on short streams built here: both dictionary sizes, two and three trees.
#include <gtest/gtest.h>

#include <string>

#include "LegacyHarness.h"

namespace {

using legacy::Bytes;
using legacy::TBitWriter;

constexpr uint16_t kImploded = 6;
constexpr uint16_t kBigDictionary = 2;
constexpr uint16_t kLiteralTree = 4;

// A tree whose symbols all have one bit length, sent as runs of 16: a byte (runs - 1),
// then per run (15 << 4) | (length - 1). With equal lengths the codes count down from the
// top: symbol s has code (symbols - 1 - s).
void PutFlatTree(TBitWriter& w, int symbols, int length) {
  w.Put(symbols / 16 - 1, 8);
  for (int run = 0; run < symbols / 16; ++run) w.Put(0xF0 | (length - 1), 8);
}

class TImplodeStream {
 public:
  explicit TImplodeStream(uint16_t flags) : FFlags(flags) {
    if (ThreeTrees()) PutFlatTree(W, 256, 8);
    PutFlatTree(W, 64, 6);  // lengths
    PutFlatTree(W, 64, 6);  // distances
  }
  bool ThreeTrees() const { return FFlags & kLiteralTree; }
  int LowBits() const { return FFlags & kBigDictionary ? 7 : 6; }

  void Literal(uint8_t b) {
    W.Put(1, 1);
    if (ThreeTrees())
      W.PutCode(255 - b, 8);
    else
      W.Put(b, 8);
  }
  // A copy of `length` bytes from `distance` bytes back (1 = the last byte).
  void Match(uint32_t distance, uint32_t length) {
    const uint32_t d = distance - 1;
    W.Put(0, 1);
    W.Put(d & ((1u << LowBits()) - 1), LowBits());
    W.PutCode(63 - (d >> LowBits()), 6);
    const uint32_t symbol = length - (ThreeTrees() ? 3 : 2);
    if (symbol < 63) {
      W.PutCode(63 - symbol, 6);
    } else {
      W.PutCode(0, 6);  // symbol 63: 8 more bits follow
      W.Put(symbol - 63, 8);
    }
  }
  legacy::TResult Decode(uint32_t declared) const {
    return legacy::Decode(kImploded, FFlags, W.Data(), declared);
  }

  TBitWriter W;

 private:
  uint16_t FFlags;
};

TEST(Explode, TwoAndThreeTreesWithBothDictionaries) {
  for (uint16_t flags : {0, 2, 4, 6}) {
    TImplodeStream s(flags);
    for (char c : std::string("abc")) s.Literal(c);
    s.Match(3, 6);
    s.Match(1, 3);  // overlapping: repeats the last byte
    const auto r = s.Decode(12);
    EXPECT_EQ(r.Text(), "abcabcabcccc") << flags;
    EXPECT_TRUE(r.Raised.empty() && r.Reported.empty()) << flags;
  }
}

TEST(Explode, LengthSymbol63ReadsEightMoreBits) {
  for (uint16_t flags : {0, 6}) {
    TImplodeStream s(flags);
    s.Literal('z');
    const uint32_t length = 63 + 200 + (flags ? 3 : 2);
    s.Match(1, length);
    s.Literal('!');
    const auto r = s.Decode(length + 2);
    EXPECT_EQ(r.Text(), "z" + std::string(length, 'z') + "!") << flags;
  }
}

// 5000 bytes back is out of reach of the 4 KiB dictionary: its distances stop at 4096.
TEST(Explode, EightKilobyteDictionaryReachesFurther) {
  Bytes text(6000);
  uint32_t x = 7;
  for (auto& b : text) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
  TImplodeStream big(kBigDictionary);
  for (uint8_t b : text) big.Literal(b);
  big.Match(5000, 10);
  big.Match(4096, 4);
  const auto r = big.Decode(6014);
  Bytes expected = text;
  expected.insert(expected.end(), text.begin() + 1000, text.begin() + 1010);
  expected.insert(expected.end(), expected.end() - 4096, expected.end() - 4092);
  EXPECT_TRUE(r.Output == expected);

  TImplodeStream small(0);
  for (uint8_t b : text) small.Literal(b);
  small.Match(4096, 4);
  expected.assign(text.begin(), text.end());
  expected.insert(expected.end(), text.begin() + 6000 - 4096, text.begin() + 6000 - 4092);
  EXPECT_TRUE(small.Decode(6004).Output == expected);
}

TEST(Explode, MatchBeforeTheFirstByteCopiesZeros) {
  TImplodeStream s(0);
  s.Literal('q');
  s.Match(100, 2);
  EXPECT_EQ(s.Decode(3).Output, (Bytes{'q', 0, 0}));
}

// A tree of 64 codes of 5 bits has more codes than 5 bits can tell apart.
TEST(Explode, OversubscribedTreeRaisesAmbiguity) {
  TBitWriter w;
  PutFlatTree(w, 64, 5);
  PutFlatTree(w, 64, 6);
  const auto r = legacy::Decode(kImploded, 0, w.Data(), 10);
  EXPECT_EQ(r.Raised, std::vector<int>{E_AMBIGUOUSTREE});
  EXPECT_TRUE(r.Output.empty());
}

// 64 codes of 16 bits share a 10-bit prefix: the tree needs more internal nodes than it
// has, which is reported, not raised, and then the member is a bad block with no output.
TEST(Explode, TreeOutOfNodesIsReportedWithoutOutput) {
  TBitWriter w;
  PutFlatTree(w, 64, 16);
  PutFlatTree(w, 64, 6);
  w.Put(1, 1);
  w.Put('a', 8);
  const auto r = legacy::Decode(kImploded, 0, w.Data(), 1);
  EXPECT_EQ(r.Reported, (std::vector<int>{E_AMBIGUOUSTREE, E_BADBLOCK}));
  EXPECT_TRUE(r.Raised.empty());
  EXPECT_TRUE(r.Output.empty());
}

TEST(Explode, TreeRunsMustCoverTheSymbolsExactly) {
  TBitWriter w;
  w.Put(4, 8);  // five runs of 16 symbols: 80 for a 64-symbol tree
  for (int i = 0; i < 5; ++i) w.Put(0xF5, 8);
  const auto r = legacy::Decode(kImploded, 0, w.Data(), 1);
  EXPECT_EQ(r.Reported, std::vector<int>{E_BADBLOCK});
  EXPECT_TRUE(r.Output.empty());
}

// 64 codes of 7 bits fill only the half of the tree under a first bit 0.
TEST(Explode, CodeIntoAnEmptyBranchRaisesAmbiguity) {
  TBitWriter w;
  PutFlatTree(w, 64, 6);
  PutFlatTree(w, 64, 7);  // distances
  w.Put(1, 1);
  w.Put('a', 8);
  w.Put(0, 1);  // a match
  w.Put(0, 6);
  w.Put(1, 1);  // first bit of the distance code: nothing there
  const auto r = legacy::Decode(kImploded, 0, w.Data(), 10);
  EXPECT_EQ(r.Raised, std::vector<int>{E_AMBIGUOUSTREE});
  EXPECT_EQ(r.Text(), "a");
}

TEST(Explode, EndsQuietlyWhenTheDataEnds) {
  TImplodeStream s(4);
  s.Literal('a');
  s.Literal('b');
  s.W.Put(1, 1);
  s.W.PutCode(0, 3);  // a literal code cut after 3 of its 8 bits
  const auto r = s.Decode(100);
  EXPECT_EQ(r.Text(), "ab");
  EXPECT_TRUE(r.Raised.empty() && r.Reported.empty());
}

}  // namespace
