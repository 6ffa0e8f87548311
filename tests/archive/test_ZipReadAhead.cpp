// Encrypted members read and decrypted ahead on a helper thread give exactly what the
// plain road gives: the same bytes, entries, verdicts and errors, also for damaged,
// truncated and oversized members and for a cancelled run.
#include <gtest/gtest.h>

#include <random>

#include "Err_Msgs.h"
#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

const char* const kPassword = "Ключ";

// The threshold is the reader's own knob; here it forces the helper on or off.
class TTunedUnZip : public TUnZip {
 public:
  explicit TTunedUnZip(bool readAhead) { FReadAheadMin = readAhead ? 1 : UINT64_MAX; }
};

struct TOutcome {
  int Count = 0;
  std::string Data;
  std::vector<std::string> Entries;
  std::vector<std::string> Events;

  bool operator==(const TOutcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TOutcome& o) {
  out << o.Count << " members, " << o.Data.size() << " bytes;";
  for (const std::string& e : o.Events) out << " " << e;
  return out;
}

TOutcome Extract(const std::string& path, bool readAhead, int cancelAfterSteps = -1) {
  TTunedUnZip zip(readAhead);
  TOutcome o;
  zip.Passwords().Add(kPassword);
  zip.FileSpec().Add("*.*");
  zip.OnError = [&](TZipCommon*, const std::string& name, const std::string&, const std::string&,
                    int code) { o.Events.push_back("error " + name + " " + std::to_string(code)); };
  zip.OnEnd = [&](TZipCommon*, const std::string& name, bool pass) {
    o.Events.push_back("end " + name + (pass ? " pass" : " fail"));
  };
  zip.OnCorruptZipHeader = [](TZipCommon*, uint8_t, bool& cancel) { cancel = false; };
  int steps = 0;
  zip.OnProgress = [&](TZipCommon* sender, uint8_t, uint8_t) {
    if (++steps == cancelAfterSteps) sender->SetCancel(true);
  };
  zip.SetArchiveFile(path);
  TDecompMemoryStream stream;
  o.Count = zip.ExtractToMemoryStream(&stream);
  o.Data = stream.ToString();
  for (int i = 0; i < stream.Count(); ++i)
    o.Entries.push_back(stream.Entries(i).Name + "@" + std::to_string(stream.Entries(i).Offset));
  return o;
}

// Text that packs to about two thirds: many of the helper's blocks, and its ring wraps.
std::string Codes(size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string out;
  while (out.size() < bytes)
    out += "CODE" + std::to_string(random() % 1000000) + "\t" + std::to_string(random()) + "\r\n";
  out.resize(bytes);
  return out;
}

struct TReadAheadFixture : ::testing::Test {
  TTempDir dir;
  std::string path;

  void SetUp() override {
    WriteFile(dir / "big.txt", Codes(1200000, 1));
    WriteFile(dir / "small.txt", "IDDQD\r\n");
    WriteFile(dir / "after.txt", Codes(90000, 2));
    path = MakeEncryptedZip(dir, "c.zip", kPassword, {"-6"}, {"big.txt", "small.txt", "after.txt"},
                            {});
  }
  // Where the first member's encrypted data begins, after its cipher header.
  int64_t BigData() const {
    const std::string bytes = ReadFile(path);
    return 30 + 7 + (uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8) + 12;
  }
  TOutcome ExpectSameBothWays(int cancelAfterSteps = -1) {
    const TOutcome plain = Extract(path, false, cancelAfterSteps);
    const TOutcome ahead = Extract(path, true, cancelAfterSteps);
    EXPECT_EQ(ahead, plain);
    return plain;
  }
};

TEST_F(TReadAheadFixture, SoundArchiveGivesTheSameMembers) {
  const TOutcome ahead = Extract(path, true);
  EXPECT_EQ(ahead.Count, 3);
  EXPECT_EQ(ahead.Data, Codes(1200000, 1) + "IDDQD\r\n" + Codes(90000, 2));
  EXPECT_EQ(ahead, Extract(path, false));
}

TEST_F(TReadAheadFixture, DamagedDataFailsAlikeAndTheNextMembersSurvive) {
  for (const int64_t at : {int64_t(5), int64_t(40000), int64_t(300000)}) {
    FlipBits(path, BigData() + at, 0x5A);
    ExpectSameBothWays();
    FlipBits(path, BigData() + at, 0x5A);
  }
}

TEST_F(TReadAheadFixture, TruncatedArchiveEndsAlike) {
  const std::string whole = ReadFile(path);
  size_t decoded = 0;
  for (const int64_t cut : {BigData() + 100, BigData() + 32768 * 9 + 5, BigData() + 500000}) {
    WriteFile(path, whole);
    Truncate(path, cut);
    decoded += ExpectSameBothWays().Data.size();
  }
  EXPECT_GT(decoded, 500000u) << "the cut archives must still be read";
}

TEST_F(TReadAheadFixture, OversizedMemberIsCutAlike) {
  const std::string bytes = ReadFile(path);
  const int64_t central = FindSignature(bytes, 0x02014B50);
  // A declared size far below the data: decoding overruns while the helper reads on.
  Patch32(path, 22, 70000);
  Patch32(path, central + 24, 70000);
  ExpectSameBothWays();
}

TEST_F(TReadAheadFixture, CancelledRunStopsAlike) {
  for (const int steps : {1, 3, 20})
    EXPECT_LT(ExpectSameBothWays(steps).Data.size(), 1200000u) << steps;
}

}  // namespace
