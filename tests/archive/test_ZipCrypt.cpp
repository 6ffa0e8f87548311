// The traditional zip cipher against Info-ZIP's encrypted members.
#include <gtest/gtest.h>

#include <algorithm>

#include "ZipTestKit.h"
#include "arxCrypt.h"

using namespace ziptest;

namespace {

struct TEncryptedMember {
  uint8_t Header[TZipKeys::kHeaderSize];
  uint8_t Check;
  std::string Data;
};

// The first member of a stored archive made with zip -0 -P.
TEncryptedMember FirstMember(const std::string& bytes) {
  TEncryptedMember m;
  const size_t data = 30 + (uint8_t(bytes[26]) | uint8_t(bytes[27]) << 8) +
                      (uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8);
  for (size_t i = 0; i < TZipKeys::kHeaderSize; ++i) m.Header[i] = uint8_t(bytes[data + i]);
  // Info-ZIP writes encrypted members with a data descriptor (flag bit 3), so the check
  // byte is the time's high byte, not the CRC's.
  m.Check = (bytes[6] & 8) ? uint8_t(bytes[11]) : uint8_t(bytes[17]);
  m.Data = bytes.substr(data + TZipKeys::kHeaderSize, Read32(bytes, 18) - TZipKeys::kHeaderSize);
  return m;
}

TEST(ZipCrypt, OpensAndDecryptsAZipMember) {
  TTempDir dir;
  WriteFile(dir / "games.txt", "Doom\r\nQuake\r\n");
  TEncryptedMember m =
      FirstMember(ReadFile(MakeZip(dir, "a.zip", {"-0", "-P", "s3cret"}, {"games.txt"})));
  TZipKeys keys;
  ASSERT_TRUE(keys.TryPassword("s3cret", m.Header, m.Check));
  keys.DecryptBuffer(reinterpret_cast<uint8_t*>(m.Data.data()), m.Data.size());
  EXPECT_EQ(m.Data, "Doom\r\nQuake\r\n");
  EXPECT_FALSE(keys.TryPassword("", m.Header, m.Check));
}

TEST(ZipCrypt, OnlyTheLengthModulo256Counts) {
  // A header whose last plain byte is the check byte, written with "abc".
  uint8_t header[TZipKeys::kHeaderSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x5A};
  TZipKeys writer;
  writer.InitKeys("abc");
  writer.EncryptBuffer(header, sizeof header);
  TZipKeys reader;
  EXPECT_TRUE(reader.TryPassword("abc" + std::string(256, 'z'), header, 0x5A));
  EXPECT_TRUE(reader.TryPassword("abc", header, 0x5A));
  EXPECT_FALSE(reader.TryPassword("abd", header, 0x5A));
}

TEST(ZipCrypt, BlockDecryptionEqualsTheByteStep) {
  // The block loop is written apart from the one-byte step for speed; both must give the
  // same plain bytes and leave the same keys, from any keys and in pieces of any size.
  uint32_t seed = 1251;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  std::string data(100000, '\0');
  for (char& c : data) c = char(next() >> 16);
  for (const char* password : {"a", "Vextramole v4.83q", "\xCA\xEB\xFE\xF7"}) {
    TZipKeys block, byte;
    block.InitKeys(password);
    byte.InitKeys(password);
    std::string viaBlock = data, viaByte = data;
    for (size_t at = 0; at < data.size();) {
      const size_t n = std::min<size_t>(data.size() - at, next() % 5000);
      block.DecryptBuffer(reinterpret_cast<uint8_t*>(viaBlock.data()) + at, n);
      for (size_t i = at; i < at + n; ++i) viaByte[i] = char(byte.Decrypt(uint8_t(viaByte[i])));
      at += n;
    }
    EXPECT_EQ(viaBlock, viaByte) << password;
    EXPECT_EQ(block.DecryptByte(), byte.DecryptByte()) << password;
  }
}

}  // namespace
