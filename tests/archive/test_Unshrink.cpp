// Method 1 on short streams built here, for the cases real archives rarely show.
#include <gtest/gtest.h>

#include <initializer_list>

#include "LegacyHarness.h"

namespace {

using legacy::Bytes;
using legacy::TBitWriter;

constexpr uint16_t kShrunk = 1;

// Codes of one width, in order.
Bytes Codes(std::initializer_list<uint32_t> codes, int width = 9) {
  TBitWriter w;
  for (uint32_t c : codes) w.Put(c, width);
  return w.Data();
}

legacy::TResult Unshrink(const Bytes& data, uint32_t declared) {
  return legacy::Decode(kShrunk, 0, data, declared);
}

TEST(Unshrink, CodeEqualToTheNextFreeCodeRepeatsThePreviousString) {
  // 'A'; 257 is the code this step defines, so it reads "A" + 'A'; 257 again, now defined.
  const auto r = Unshrink(Codes({'A', 257, 257}), 5);
  EXPECT_EQ(r.Text(), "AAAAA");
  EXPECT_TRUE(r.Raised.empty());
}

TEST(Unshrink, PartialClearHandsOutTheFreedLeavesLowestFirst) {
  const auto r = Unshrink(Codes({
                              'A', 'B',  // defines 257 = "AB"
                              257,       // "AB"; defines 258 = "BA"
                              'C',       // defines 259 = "ABC": 257 is now a prefix
                              256, 2,    // partial clear: frees 258 and 259, keeps 257
                              'D',       // defines the lowest free code, 258 = "CD"
                              258,       // "CD"; defines 259 = "DC"
                              257,       // "AB" survived the clear
                              259,       // "DC"
                          }),
                          12);
  EXPECT_EQ(r.Text(), "ABABCDCDABDC");
  EXPECT_TRUE(r.Raised.empty());
}

TEST(Unshrink, ControlCodeWidensTheCodes) {
  TBitWriter w;
  w.Put('A', 9);
  w.Put(256, 9);
  w.Put(1, 9);  // codes are 10 bits from here
  w.Put('B', 10);
  w.Put(257, 10);  // "AB"
  EXPECT_EQ(Unshrink(w.Data(), 4).Text(), "ABAB");
}

TEST(Unshrink, DamagedControlAndFirstCodesAreBadBlocks) {
  const auto unknownControl = Unshrink(Codes({'A', 256, 3, 'B'}), 2);
  EXPECT_EQ(unknownControl.Raised, std::vector<int>{E_BADBLOCK});
  EXPECT_EQ(unknownControl.Text(), "A");

  // Data that ends between a control code and its subcode was cut short.
  const auto cutAfterControl = Unshrink(Codes({'A', 256}), 2);
  EXPECT_EQ(cutAfterControl.Raised, std::vector<int>{E_BADBLOCK});
  EXPECT_EQ(cutAfterControl.Text(), "A");

  EXPECT_EQ(Unshrink(Codes({300}), 1).Raised, std::vector<int>{E_BADBLOCK});
  EXPECT_EQ(Unshrink({}, 1).Raised, std::vector<int>{E_BADBLOCK});

  // An empty member has no first code and needs none.
  const auto empty = Unshrink({}, 0);
  EXPECT_TRUE(empty.Raised.empty());
  EXPECT_TRUE(empty.Output.empty());

  // Widening past 13 bits would make codes beyond the table.
  TBitWriter w;
  w.Put('A', 9);
  int width = 9;
  for (; width <= 13; ++width) {
    w.Put(256, width);
    w.Put(1, width);
  }
  w.Put('B', width);
  EXPECT_EQ(Unshrink(w.Data(), 2).Raised, std::vector<int>{E_BADBLOCK});
}

TEST(Unshrink, PrefixCycleEndsInStackOverflow) {
  const auto r = Unshrink(Codes({
                              'A',
                              258,  // undefined but not the next free code: "A" + 'A'
                                    // (defines 257); 258 stays free as the old code
                              'B',  // defines 258 with prefix 258: a cycle
                              258,  // walking it never reaches a byte
                          }),
                          100);
  EXPECT_EQ(r.Raised, std::vector<int>{E_STACKOVERFLOW});
  EXPECT_EQ(r.Text(), "AAAB");
}

TEST(Unshrink, StopsAtTheDeclaredSize) {
  const auto r = Unshrink(Codes({'A', 'B', 'C', 'D'}), 2);
  EXPECT_EQ(r.Text(), "AB");
  EXPECT_TRUE(r.Raised.empty());
}

}  // namespace
