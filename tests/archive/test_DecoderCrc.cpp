#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arxCrc.h"

namespace {

const std::string kCheck = "123456789";

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

TEST(Crc, CheckValues) {
  EXPECT_EQ(Crc32Update(0xFFFFFFFF, Bytes(kCheck), kCheck.size()) ^ 0xFFFFFFFF, 0xCBF43926u);
  EXPECT_EQ(Crc16Update(0, Bytes(kCheck), kCheck.size()), 0xBB3Du);
}

// The wide paths must agree with the byte step at every length and alignment.
TEST(Crc, WidePathsMatchTheByteStep) {
  std::vector<uint8_t> data(1000);
  uint32_t x = 12345;
  for (auto& b : data) b = uint8_t((x = x * 1103515245 + 12345) >> 16);
  for (size_t start = 0; start < 9; ++start)
    for (size_t n = 0; n + start <= data.size(); n += 7) {
      uint32_t byByte = 0xFFFFFFFF;
      for (size_t i = 0; i < n; ++i) byByte = Crc32Byte(byByte, data[start + i]);
      ASSERT_EQ(Crc32Update(0xFFFFFFFF, data.data() + start, n), byByte) << start << " " << n;
    }
}

}  // namespace
