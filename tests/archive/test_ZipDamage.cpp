// Damaged and hostile archives: every run ends, stays in bounds and keeps its output
// within the declared sizes.
#include <gtest/gtest.h>

#include "Err_Msgs.h"
#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

struct TDamageFixture : ::testing::Test {
  TTempDir dir;
  TUnZip zip;
  TDecompMemoryStream stream;
  std::vector<int> errors;
  std::vector<bool> verdicts;
  std::string text;

  void SetUp() override {
    zip.OnError = [this](TZipCommon*, const std::string&, const std::string&, const std::string&,
                         int code) { errors.push_back(code); };
    zip.OnEnd = [this](TZipCommon*, const std::string&, bool pass) { verdicts.push_back(pass); };
    for (int i = 0; text.size() < 50000; ++i)
      text += "line " + std::to_string(i * 7919 % 1000) + "\r\n";
    WriteFile(dir / "codes.txt", text);
    WriteFile(dir / "games.txt", "Doom\r\n");
  }
  // Runs over the file; only the reader's own run-level exceptions may come out.
  void RunAll(const std::string& path) {
    stream.Reset();
    zip.SetArchiveFile(path);
    zip.FileSpec().Clear();
    zip.FileSpec().Add("*.*");
    try {
      zip.ExtractToMemoryStream(&stream);
    } catch (const E_RAISE&) {
    }
    EXPECT_EQ(stream.Position(), 0);
  }
};

TEST_F(TDamageFixture, DeflateCutShortGivesThePrefixAndAFalseVerdict) {
  const std::string path = MakeZip(dir, "a.zip", {"-9"}, {"codes.txt"});
  const std::string bytes = ReadFile(path);
  const uint32_t packed = Read32(bytes, 18);
  Patch32(path, 18, packed - 40);
  Patch32(path, FindSignature(bytes, 0x02014B50) + 20, packed - 40);
  RunAll(path);
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_LT(stream.Size(), int64_t(text.size()));
  EXPECT_EQ(stream.ToString(), text.substr(0, size_t(stream.Size())));
  EXPECT_EQ(verdicts, std::vector<bool>{false});
}

TEST_F(TDamageFixture, OutputIsCutAtTheDeclaredSize) {
  const std::string path = MakeZip(dir, "a.zip", {"-9"}, {"codes.txt"});
  const std::string bytes = ReadFile(path);
  Patch32(path, 22, 1000);
  Patch32(path, FindSignature(bytes, 0x02014B50) + 24, 1000);
  RunAll(path);
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.ToString(), text.substr(0, 1000));
  EXPECT_EQ(verdicts, std::vector<bool>{false});
}

TEST_F(TDamageFixture, TruncatedAtManyOffsets) {
  const std::string path = MakeZip(dir, "a.zip", {"-9"}, {"games.txt", "codes.txt"});
  const std::string bytes = ReadFile(path);
  for (size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 8) {
    WriteFile(dir / "cut.zip", bytes.substr(0, cut));
    RunAll(dir / "cut.zip");
    EXPECT_LE(stream.Size(), int64_t(text.size() + 6)) << cut;
  }
}

TEST_F(TDamageFixture, FlippedBitsAnywhere) {
  const std::string path = MakeZip(dir, "a.zip", {"-1", "-P", "pw"}, {"games.txt", "codes.txt"});
  zip.Passwords().Add("pw");
  const std::string bytes = ReadFile(path);
  for (size_t at = 0; at < bytes.size(); at += 1 + at / 16) {
    for (uint8_t mask : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
      std::string damaged = bytes;
      damaged[at] = char(damaged[at] ^ mask);
      WriteFile(dir / "bad.zip", damaged);
      RunAll(dir / "bad.zip");
      // Nothing can grow past what the headers could declare.
      EXPECT_LE(stream.Size(), int64_t(2) * 0x01000000 * 2) << at;
    }
  }
}

TEST_F(TDamageFixture, LocalWalkWithZeroSizesStillEnds) {
  const std::string path =
      MakeZip(dir, "c.zip", {"-0", "-z"}, {"games.txt", "codes.txt"}, "comment");
  Patch32(path, 18, 0);  // first member's packed size
  zip.SetArchiveFile(path);
  ASSERT_EQ(zip.HeaderStatus(), hsLocal);
  RunAll(path);
  EXPECT_GE(stream.Count(), 1);
}

TEST_F(TDamageFixture, DirectoryEntriesPointingAnywhere) {
  const std::string path = MakeZip(dir, "a.zip", {"-0"}, {"games.txt", "codes.txt"});
  const std::string bytes = ReadFile(path);
  const int64_t first = FindSignature(bytes, 0x02014B50);
  const int64_t second = FindSignature(bytes, 0x02014B50, size_t(first) + 4);
  Patch32(path, first + 42, 0xFFFFFFF0u);
  Patch32(path, second + 42, 3);
  RunAll(path);
  EXPECT_EQ(stream.Count(), 0);
  // Two entries sharing one local header give the member once.
  Patch32(path, first + 42, 0);
  Patch32(path, second + 42, 0);
  RunAll(path);
  EXPECT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.ToString(), "Doom\r\n");
}

// 64-bit sizes near the top of their range in the directory: the progress sums over them
// stop at the ends of theirs instead of overflowing.
TEST_F(TDamageFixture, HugeZip64SizesInTheDirectory) {
  const std::string path = MakeZip(dir, "z.zip", {"-fz"}, {"games.txt", "codes.txt"});
  const std::string bytes = ReadFile(path);
  const std::string zip64Extra("\x01\x00\x08\x00", 4);  // the uncompressed size alone
  // Their sum is just past the top, and the second member's data overruns its size.
  const uint64_t sizes[] = {0x7FFFFFFFFFFFFFFFull, 0x100};
  int64_t at = -1;
  for (uint64_t size : sizes) {
    at = FindSignature(bytes, 0x02014B50, size_t(at + 1));
    const size_t extra = bytes.find(zip64Extra, size_t(at) + 46);
    ASSERT_NE(extra, std::string::npos);
    Patch32(path, int64_t(extra) + 4, uint32_t(size));
    Patch32(path, int64_t(extra) + 8, uint32_t(size >> 32));
  }
  std::vector<int> percents;
  zip.OnProgress = [&](TZipCommon*, uint8_t, uint8_t byArchive) { percents.push_back(byArchive); };
  RunAll(path);
  ASSERT_FALSE(percents.empty());
  for (int p : percents) EXPECT_LE(p, 100);
}

TEST_F(TDamageFixture, NamesLongerThan255BytesAreUsedWholeAndCutInTheEntry) {
  const std::string name = std::string(300, 'n') + ".txt";
  const std::string path = MakePyZip(dir, "l.zip",
                                     "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                     "z.writestr('" +
                                         name +
                                         "', b'long')\n"
                                         "z.writestr('short.txt', b'short')\n"
                                         "z.close()\n");
  zip.SetArchiveFile(path);
  zip.FileSpec().Add(name);
  zip.ExtractToMemoryStream(&stream);
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.ToString(), "long");
  EXPECT_EQ(stream.Entries(0).Name, name.substr(0, 255));
}

TEST_F(TDamageFixture, EncryptedMemberShorterThanItsHeader) {
  const std::string path = MakeZip(dir, "p.zip", {"-0", "-P", "pw"}, {"games.txt"});
  const std::string bytes = ReadFile(path);
  Patch32(path, 18, 5);
  Patch32(path, FindSignature(bytes, 0x02014B50) + 20, 5);
  zip.Passwords().Add("pw");
  RunAll(path);
  EXPECT_LE(stream.Size(), 6);
}

}  // namespace

namespace {

TEST_F(TDamageFixture, LocalHeaderWithoutAName) {
  const std::string path = MakeZip(dir, "a.zip", {"-0"}, {"games.txt", "codes.txt"});
  Patch16(path, 26, 0);  // the first local header's name length
  RunAll(path);
  // A member without a name has no output name, so the begin decision refuses it.
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.Entries(0).Name, "codes.txt");
  EXPECT_TRUE(stream.ToString() == text);
}

}  // namespace

namespace {

TEST_F(TDamageFixture, MembersInsideAnotherMembersDataAreDropped) {
  // A stored zip inside a zip: its local header lies in the outer member's data, and the
  // second directory entry is pointed at it, as overlapping "zip bombs" do.
  WriteFile(dir / "inner.txt", "inner");
  MakeZip(dir, "inner.zip", {"-0"}, {"inner.txt"});
  const std::string path = MakeZip(dir, "outer.zip", {"-0"}, {"inner.zip", "games.txt"});
  const std::string bytes = ReadFile(path);
  const int64_t inner = FindSignature(bytes, 0x04034B50, 4);
  const int64_t first = Read32(bytes, bytes.size() - 22 + 16);  // the outer directory
  const int64_t second = FindSignature(bytes, 0x02014B50, size_t(first) + 4);
  Patch32(path, second + 42, uint32_t(inner));
  RunAll(path);
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.Entries(0).Name, "inner.zip");
  EXPECT_EQ(errors, std::vector<int>{E_BADBLOCK});
}

}  // namespace
