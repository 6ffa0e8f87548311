// The reader's shortcuts give the results of its plain road: output room reserved from
// what the packed data can vouch for.
#include <gtest/gtest.h>

#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

std::string Lines(size_t bytes) {
  std::string out;
  for (int i = 0; out.size() < bytes; ++i)
    out += "CODE" + std::to_string(i * 7919 % 100003) + "\r\n";
  out.resize(bytes);
  return out;
}

struct TFastPathFixture : ::testing::Test {
  TTempDir dir;
  TUnZip zip;
  TDecompMemoryStream stream;

  int Run(const std::string& path, const std::string& spec) {
    zip.SetArchiveFile(path);
    zip.FileSpec().Clear();
    zip.FileSpec().Add(spec);
    return zip.ExtractToMemoryStream(&stream);
  }
};

TEST_F(TFastPathFixture, OutputRoomIsReservedOnceForAnHonestMember) {
  const std::string codes = Lines(1500000);
  WriteFile(dir / "codes.txt", codes);
  stream.WriteString("before");
  ASSERT_EQ(Run(MakeZip(dir, "a.zip", {"-6"}, {"codes.txt"}), "codes.txt"), 1);
  EXPECT_EQ(stream.ToString(), "before" + codes);
  EXPECT_EQ(stream.Capacity(), stream.Size()) << "no growth step after the reservation";
}

TEST_F(TFastPathFixture, AForgedSizeReservesNoMoreThanThePackedDataCanGive) {
  const std::string codes = Lines(200000);
  WriteFile(dir / "codes.txt", codes);
  const std::string path = MakeZip(dir, "a.zip", {"-9"}, {"codes.txt"});
  const std::string bytes = ReadFile(path);
  const int64_t central = FindSignature(bytes, 0x02014B50);
  const uint32_t packed = Read32(bytes, 18);
  const uint64_t archiveSize = bytes.size();
  Patch32(path, 22, 0xFFFFFF00u);
  Patch32(path, central + 24, 0xFFFFFF00u);
  ASSERT_EQ(Run(path, "codes.txt"), 1);
  EXPECT_EQ(stream.ToString(), codes) << "the member still decodes whole";
  EXPECT_LE(stream.Capacity(), int64_t(packed) * 1032 + 65536);

  // A forged packed size as well: only the bytes left in the archive count.
  Patch32(path, 18, 0xFFFFFF00u);
  Patch32(path, central + 20, 0xFFFFFF00u);
  stream.Reset();
  Run(path, "codes.txt");
  EXPECT_LE(stream.Capacity(), int64_t(archiveSize) * 1032 + 65536);
  EXPECT_GE(stream.Size(), int64_t(codes.size()));

  // Stored data never expands.
  stream.Reset();
  const std::string storedPath = MakeZip(dir, "s.zip", {"-0"}, {"codes.txt"});
  Patch32(storedPath, 22, 0xFFFFFF00u);
  Run(storedPath, "codes.txt");
  EXPECT_EQ(stream.ToString(), codes);
  EXPECT_LE(stream.Capacity(), int64_t(codes.size()) + 8192);
}

}  // namespace
