// Extraction into memory from archives made by Info-ZIP zip and Python's zipfile.
#include <gtest/gtest.h>

#include "Codepage.h"
#include "Err_Msgs.h"
#include "MessageHook.h"
#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

const std::string kGames = "Doom\r\nQuake\r\nHeretic\r\n";

std::string Repeated(const std::string& unit, size_t bytes) {
  std::string out;
  while (out.size() < bytes) out += unit;
  out.resize(bytes);
  return out;
}

struct TExtractFixture : ::testing::Test {
  TTempDir dir;
  TUnZip zip;
  TDecompMemoryStream stream;
  std::vector<std::pair<std::string, int>> errors;
  std::vector<std::pair<std::string, bool>> ends;
  const std::string codes = Repeated("IDDQD IDKFA god mode\r\n", 70000);

  void SetUp() override {
    zip.OnError = [this](TZipCommon*, const std::string& name, const std::string&,
                         const std::string&, int code) { errors.emplace_back(name, code); };
    WriteFile(dir / "games.txt", kGames);
    WriteFile(dir / "codes.txt", codes);
  }
  void TrackEnds() {
    zip.OnEnd = [this](TZipCommon*, const std::string& name, bool pass) {
      ends.emplace_back(name, pass);
    };
  }
  int Run(const std::string& path, std::initializer_list<std::string> patterns) {
    zip.SetArchiveFile(path);
    zip.FileSpec().Clear();
    for (const std::string& line : patterns) zip.FileSpec().Add(line);
    return zip.ExtractToMemoryStream(&stream);
  }
  std::string Member(int index) const {
    const TDecompEntry& e = stream.Entries(index);
    const int64_t end =
        index + 1 < stream.Count() ? stream.Entries(index + 1).Offset : stream.Size();
    return stream.ToString().substr(size_t(e.Offset), size_t(end - e.Offset));
  }
};

TEST_F(TExtractFixture, StoredAndDeflatedAtBothLevels) {
  for (const char* level : {"-0", "-1", "-9"}) {
    stream.Reset();
    errors.clear();
    const std::string path =
        MakeZip(dir, std::string("a") + level + ".zip", {level}, {"games.txt", "codes.txt"});
    EXPECT_EQ(Run(path, {"codes.txt"}), 1) << level;
    ASSERT_EQ(stream.Count(), 1);
    EXPECT_EQ(stream.ToString(), codes);
    EXPECT_EQ(stream.Entries(0).Name, "codes.txt");
    EXPECT_EQ(stream.Entries(0).UnpackedSize, int64_t(codes.size()));
    EXPECT_EQ(stream.Entries(0).Offset, 0);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_TRUE(errors.empty());
  }
}

TEST_F(TExtractFixture, EveryMemberWithOffsetsInArchiveOrder) {
  WriteFile(dir / "data/GAMES.TXT", "upper\r\n");
  WriteFile(dir / "more/games.txt", "folder\r\n");
  const std::string path =
      MakeZip(dir, "f.zip", {"-9"}, {"games.txt", "data/GAMES.TXT", "more/games.txt"});
  TrackEnds();
  EXPECT_EQ(Run(path, {"games.txt"}), 3);
  ASSERT_EQ(stream.Count(), 3);
  EXPECT_EQ(Member(0), kGames);
  EXPECT_EQ(Member(1), "upper\r\n");
  EXPECT_EQ(Member(2), "folder\r\n");
  EXPECT_EQ(stream.Entries(1).Name, "data\\GAMES.TXT");
  EXPECT_EQ(stream.Entries(1).Offset, int64_t(kGames.size()));
  EXPECT_EQ(stream.Entries(2).Offset, int64_t(kGames.size() + 7));
  EXPECT_EQ(ends.size(), 3u);
  for (const auto& [name, pass] : ends) EXPECT_TRUE(pass) << name;

  stream.Reset();
  EXPECT_EQ(Run(path, {"more\\games.txt"}), 1);
  EXPECT_EQ(stream.ToString(), "folder\r\n");

  stream.Reset();
  EXPECT_EQ(Run(path, {}), 0) << "empty FileSpec selects nothing";
  EXPECT_EQ(stream.Count(), 0);
}

TEST_F(TExtractFixture, FoldersAreNotMembers) {
  WriteFile(dir / "sub/deep/x.txt", "x");
  const std::string path = MakeZip(dir, "d.zip", {"-r"}, {"sub"});
  EXPECT_EQ(Run(path, {"*.*"}), 1);
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.Entries(0).Name, "sub\\deep\\x.txt");
}

TEST_F(TExtractFixture, StreamIsAppendedToAndLeftAtPositionZero) {
  stream.WriteString("previous");
  const std::string path = MakeZip(dir, "a.zip", {"-1"}, {"games.txt"});
  EXPECT_EQ(Run(path, {"games.txt"}), 1);
  EXPECT_EQ(stream.Entries(0).Offset, 8);
  EXPECT_EQ(stream.ToString(), "previous" + kGames);
  EXPECT_EQ(stream.Position(), 0);

  // A second run without Reset appends too, although the first left the position at 0.
  EXPECT_EQ(Run(path, {"games.txt"}), 1);
  ASSERT_EQ(stream.Count(), 2);
  EXPECT_EQ(stream.Entries(1).Offset, int64_t(8 + kGames.size()));
  EXPECT_EQ(stream.ToString(), "previous" + kGames + kGames);
}

TEST_F(TExtractFixture, OemNamesAreTranslatedBeforeMatching) {
  // "Игры.txt" in code page 866, as DOS archivers stored it.
  const std::string oem = "\x88\xa3\xe0\xeb.txt";
  const std::string ansi = Codepage::OemToAnsi(oem);
  const std::string path = MakePyZip(
      dir, "oem.zip",
      "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
      "z.writestr('XXXX.txt', b'oem')\n"
      "z.close()\n"
      "d = open(sys.argv[1], 'rb').read().replace(b'XXXX', bytes([0x88, 0xa3, 0xe0, 0xeb]))\n"
      "open(sys.argv[1], 'wb').write(d)\n");
  EXPECT_EQ(Run(path, {ansi}), 1);
  EXPECT_EQ(stream.Entries(0).Name, ansi);
  EXPECT_EQ(stream.ToString(), "oem");

  stream.Reset();
  zip.SetTranslateOemChar(false);
  EXPECT_EQ(Run(path, {ansi}), 0);
  EXPECT_EQ(Run(path, {oem}), 1);
}

TEST_F(TExtractFixture, Utf8FlaggedNamesBecomeWindows1251) {
  const std::string path = MakePyZip(dir, "u.zip",
                                     "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                     "z.writestr('Игры.txt', b'utf')\n"
                                     "z.close()\n");
  EXPECT_EQ(Run(path, {Codepage::Utf8ToCp1251("Игры.txt")}), 1);
  EXPECT_EQ(stream.ToString(), "utf");
}

TEST_F(TExtractFixture, DataDescriptorsTakeTheDirectorysSizesAndCrc) {
  // Info-ZIP's -fd leaves the packed size and CRC out of the local header.
  const std::string fd = MakeZip(dir, "fd.zip", {"-fd", "-9"}, {"codes.txt"});
  TrackEnds();
  EXPECT_EQ(Run(fd, {"codes.txt"}), 1);
  EXPECT_EQ(stream.ToString(), codes);
  // Python writing to a pipe leaves every size out.
  const std::string py = MakePyZip(dir, "py.zip",
                                   "class Pipe:\n"
                                   "  def __init__(s, f): s.f = f\n"
                                   "  def write(s, b): return s.f.write(b)\n"
                                   "  def flush(s): s.f.flush()\n"
                                   "with open(sys.argv[1], 'wb') as f:\n"
                                   "  z = zipfile.ZipFile(Pipe(f), 'w', zipfile.ZIP_DEFLATED)\n"
                                   "  z.writestr('games.txt', b'" +
                                       std::string("Doom\\r\\nQuake\\r\\nHeretic\\r\\n") +
                                       "')\n"
                                       "  z.close()\n");
  const std::string bytes = ReadFile(py);
  ASSERT_EQ(Read32(bytes, 22), 0u) << "local header without the size";
  stream.Reset();
  EXPECT_EQ(Run(py, {"games.txt"}), 1);
  EXPECT_EQ(stream.ToString(), kGames);
  EXPECT_EQ(stream.Entries(0).UnpackedSize, int64_t(kGames.size()));
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_TRUE(ends[0].second);
  EXPECT_TRUE(ends[1].second);
}

TEST_F(TExtractFixture, PasswordsInListOrder) {
  const std::string path =
      MakeEncryptedZip(dir, "p.zip", "secret", {}, {"games.txt", "codes.txt"}, {"wrong"});
  zip.Passwords().Add("wrong");
  zip.Passwords().Add("secret");
  TrackEnds();
  EXPECT_EQ(Run(path, {"*.*"}), 2);
  EXPECT_EQ(Member(0), kGames);
  EXPECT_EQ(Member(1), codes);
  EXPECT_EQ(zip.CurrentPassword(), "secret");
  EXPECT_TRUE(errors.empty());
  for (const auto& [name, pass] : ends) EXPECT_TRUE(pass) << name;

  stream.Reset();
  zip.Passwords().Clear();
  zip.Passwords().Add("");
  zip.Passwords().Add("wrong");
  EXPECT_EQ(Run(path, {"*.*"}), 0);
  EXPECT_EQ(stream.Count(), 0);
  EXPECT_TRUE(zip.PasswordFailed());
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].second, E_REQUIREDEVENT);
  EXPECT_EQ(errors[1], std::make_pair(std::string("codes.txt"), int(E_BADPASSWORD)));
}

TEST_F(TExtractFixture, UnencryptedMembersSurviveAFailedPassword) {
  const std::string path = MakeZip(dir, "m.zip", {"-P", "secret"}, {"games.txt"});
  MakeZip(dir, "m.zip", {}, {"codes.txt"});
  EXPECT_EQ(Run(path, {"*.*"}), 1);
  ASSERT_EQ(stream.Count(), 1);
  EXPECT_EQ(stream.Entries(0).Name, "codes.txt");
  EXPECT_EQ(stream.ToString(), codes);
}

TEST_F(TExtractFixture, GetPasswordHandlerIsAskedUpToTheAttempts) {
  const std::string path = MakeEncryptedZip(dir, "p.zip", "secret", {}, {"games.txt"}, {"bad"});
  std::vector<std::string> answers = {"bad", "secret"};
  int asked = 0;
  zip.OnGetPassword = [&](TZipCommon*, const std::string& name, std::string& password,
                          bool& tryAgain) {
    EXPECT_EQ(name, "games.txt");
    EXPECT_TRUE(tryAgain);
    password = answers[size_t(asked++)];
  };
  EXPECT_EQ(Run(path, {"games.txt"}), 1);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(stream.ToString(), kGames);
  EXPECT_EQ(zip.Passwords()[0], "secret") << "the found password goes on top";
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].second, E_BADPASSWORD);

  stream.Reset();
  zip.Passwords().Clear();
  asked = 0;
  zip.SetPasswordAttempts(0);
  EXPECT_EQ(Run(path, {"games.txt"}), 0);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(stream.Count(), 0);
}

TEST_F(TExtractFixture, DataDescriptorMembersCheckTheTimeByte) {
  // With flag bit 3 the check byte is the high byte of the time; Info-ZIP writes it so
  // when the output is not seekable.
  const TRunResult r =
      ziptest::RunTool({"sh", "-c", "zip -q -P secret -fz- - games.txt > s.zip"}, "", dir.Path());
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  const std::string bytes = ReadFile(dir / "s.zip");
  ASSERT_TRUE(bytes[6] & 0x08) << "expected a data descriptor";
  zip.Passwords().Add("secret");
  TrackEnds();
  EXPECT_EQ(Run(dir / "s.zip", {"games.txt"}), 1);
  EXPECT_EQ(stream.ToString(), kGames);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_TRUE(ends[0].second);
}

TEST_F(TExtractFixture, UnsupportedMethodKeepsAnEmptyEntry) {
  const std::string path = MakeZip(dir, "u.zip", {"-0"}, {"games.txt", "codes.txt"});
  const std::string bytes = ReadFile(path);
  Patch16(path, 8, 12);  // local method of the first member: bzip2
  Patch16(path, FindSignature(bytes, 0x02014B50) + 10, 12);
  TrackEnds();
  EXPECT_EQ(Run(path, {"*.*"}), 2);
  ASSERT_EQ(stream.Count(), 2);
  EXPECT_EQ(stream.Entries(0).Name, "games.txt");
  EXPECT_EQ(stream.Entries(1).Offset, 0) << "no bytes for the first member";
  EXPECT_EQ(stream.ToString(), codes);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0], std::make_pair(std::string("games.txt"), int(E_UNKNMETH)));
  EXPECT_FALSE(ends[0].second);
  EXPECT_TRUE(ends[1].second);
}

TEST_F(TExtractFixture, EscapedSizesWithoutTheirExtraFieldFailTheMember) {
  // 0xFFFFFFFF sends a reader to the 64-bit extra field; without one the sizes are unknown.
  const std::string path = MakeZip(dir, "z64.zip", {"-0"}, {"codes.txt", "games.txt"});
  const std::string bytes = ReadFile(path);
  const int64_t central = FindSignature(bytes, 0x02014B50);
  for (int64_t at : {int64_t(18), int64_t(22), central + 20, central + 24})
    Patch32(path, at, 0xFFFFFFFFu);
  TrackEnds();
  Run(path, {"*.*"});
  EXPECT_EQ(stream.ToString(), kGames);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[0], std::make_pair(std::string("codes.txt"), false));
  EXPECT_EQ(ends[1], std::make_pair(std::string("games.txt"), true));
}

TEST_F(TExtractFixture, EventsOfARun) {
  const std::string path = MakeZip(dir, "e.zip", {"-9"}, {"games.txt", "codes.txt"});
  std::vector<std::string> log;
  int processed = 0;
  MessageHook::SetProcessMessages([&] { ++processed; });
  zip.OnActivate = [&](TZipCommon*) { log.push_back("activate"); };
  zip.OnDeactivate = [&](TZipCommon*) { log.push_back("deactivate"); };
  zip.OnBegin = [&](TZipCommon*, const std::string& name, int count, bool& extract) {
    log.push_back("begin " + name + " " + std::to_string(count));
    extract = name != "games.txt";
  };
  uint8_t lastArchive = 0;
  zip.OnProgress = [&](TZipCommon*, uint8_t, uint8_t byArchive) {
    EXPECT_GE(byArchive, lastArchive);
    lastArchive = byArchive;
  };
  float elapsed = -1;
  zip.OnElapsedTime = [&](TZipCommon*, float seconds) { elapsed = seconds; };
  EXPECT_EQ(Run(path, {"*.*"}), 1);
  MessageHook::SetProcessMessages(nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"activate", "begin games.txt 0", "begin codes.txt 0",
                                           "deactivate"}));
  EXPECT_EQ(stream.ToString(), codes);
  EXPECT_EQ(lastArchive, 100);
  EXPECT_GE(processed, 3) << "messages are processed after every output block";
  EXPECT_GE(elapsed, 0.0f);
}

TEST_F(TExtractFixture, CancelStopsTheRunAndReplacesCodes) {
  const std::string path = MakeZip(dir, "c.zip", {"-9"}, {"codes.txt", "games.txt"});
  zip.OnProgress = [&](TZipCommon* sender, uint8_t, uint8_t) { sender->SetCancel(true); };
  TrackEnds();
  Run(path, {"*.*"});
  EXPECT_LT(stream.Size(), int64_t(codes.size()));
  EXPECT_EQ(stream.Count(), 1) << "no member after the cancel";
  for (const auto& [name, code] : errors) EXPECT_EQ(code, E_USERCANCEL) << name;
  EXPECT_EQ(stream.Position(), 0);
}

}  // namespace
