// Methods 2 to 5 on short streams built here.
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>

#include "LegacyHarness.h"

namespace {

using legacy::Bytes;
using legacy::TBitWriter;

constexpr uint8_t kDLE = 0x90;

// The follower sets, sent for byte values 255 down to 0: a 6-bit count, then the
// followers in 8 bits each. Values not in `sets` have an empty set.
void PutFollowerSets(TBitWriter& w, const std::map<int, std::string>& sets = {}) {
  for (int value = 255; value >= 0; --value) {
    const auto it = sets.find(value);
    const std::string followers = it == sets.end() ? "" : it->second;
    w.Put(static_cast<uint32_t>(followers.size()), 6);
    for (unsigned char f : followers) w.Put(f, 8);
  }
}

// Inner-layer bytes after empty follower sets: each goes as 8 plain bits.
Bytes Plain(std::initializer_list<uint8_t> bytes) {
  TBitWriter w;
  PutFollowerSets(w);
  for (uint8_t b : bytes) w.Put(b, 8);
  return w.Data();
}

legacy::TResult Unreduce(int factor, const Bytes& data, uint32_t declared) {
  return legacy::Decode(static_cast<uint16_t>(factor + 1), 0, data, declared);
}

TEST(Unreduce, DleFollowedByZeroIsTheByte0x90) {
  for (int factor = 1; factor <= 4; ++factor) {
    const auto r = Unreduce(factor, Plain({'a', kDLE, 0, 'b'}), 3);
    EXPECT_EQ(r.Text(),
              "a\x90"
              "b")
        << factor;
    EXPECT_TRUE(r.Raised.empty());
  }
}

TEST(Unreduce, MatchLengthAndDistanceFollowTheFactor) {
  for (int factor = 1; factor <= 4; ++factor) {
    const uint8_t lengthMask = static_cast<uint8_t>(0xFF >> factor);
    // DLE V C: length (V and mask) + 3 = 4, distance (V's high bits) * 256 + C + 1 = 4.
    const auto shortMatch = Unreduce(factor, Plain({'A', 'B', 'C', 'D', kDLE, 1, 3}), 8);
    EXPECT_EQ(shortMatch.Text(), "ABCDABCD") << factor;

    // A saturated length takes one more byte: mask + 2 + 3 copies at distance 1.
    const auto longMatch = Unreduce(factor, Plain({'x', kDLE, lengthMask, 2, 0}), lengthMask + 6);
    EXPECT_EQ(longMatch.Text(), std::string(lengthMask + 6, 'x')) << factor;

    // The high bits of V reach 256 bytes further back; before the first byte the
    // dictionary holds zeros.
    const uint8_t farBack = static_cast<uint8_t>(1 << (8 - factor));
    const auto zeros = Unreduce(factor, Plain({'A', kDLE, farBack, 0, 'B'}), 5);
    EXPECT_EQ(zeros.Output, (Bytes{'A', 0, 0, 0, 'B'})) << factor;
  }
}

// After 'A' a flag bit 0 selects from A's followers by a 1-bit index (two followers).
// The stream's last byte keeps 6 zero bits, which would read as three more followers of
// 'A': only the declared size says where the member ends.
TEST(Unreduce, FollowerSetsAndTheDeclaredEnd) {
  TBitWriter w;
  PutFollowerSets(w, {{'A', "BC"}});
  w.Put('A', 8);  // the set of 0 (the start) is empty: a plain byte
  w.Put(0, 1);
  w.Put(1, 1);    // follower 1 of 'A': 'C'
  w.Put('A', 8);  // the set of 'C' is empty
  ASSERT_EQ(w.Data().size() * 8 - (194 * 8 + 18), 6u);
  const auto r = Unreduce(1, w.Data(), 3);
  EXPECT_EQ(r.Text(), "ACA");
  EXPECT_TRUE(r.Raised.empty());
}

TEST(Unreduce, DamagedStreams) {
  // An index past the end of a three-byte set.
  TBitWriter w;
  PutFollowerSets(w, {{0, "xyz"}});
  w.Put(0, 1);
  w.Put(3, 2);
  EXPECT_EQ(Unreduce(2, w.Data(), 1).Raised, std::vector<int>{E_BADBLOCK});

  // Data ending inside the follower sets or a match yields what was decoded, quietly.
  const auto cut = Unreduce(3, Plain({'a', 'b', kDLE, 5}), 10);
  EXPECT_EQ(cut.Text(), "ab");
  EXPECT_TRUE(cut.Raised.empty());
  EXPECT_TRUE(Unreduce(4, Bytes(100, 0), 10).Output.empty());
}

}  // namespace
