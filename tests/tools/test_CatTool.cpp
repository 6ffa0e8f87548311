// trickfolio-cat list, cat and extract, run as the built program on archives made by
// Info-ZIP zip and Python's zipfile; listings are checked against zipinfo.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "ZipTestKit.h"

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

const std::string kTool = std::string(TRICKFOLIO_BIN_DIR) + "/trickfolio-cat";
const std::string kGames = "Doom\r\nQuake\r\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct TToolFixture : ::testing::Test {
  TTempDir dir;
  std::string codes;

  void SetUp() override {
    for (int i = 0; codes.size() < 3000; ++i) codes += "code " + std::to_string(i) + "\r\n";
    WriteFile(dir / "games.txt", kGames);
    WriteFile(dir / "sub/codes.txt", codes);
  }
  TRunResult Tool(std::vector<std::string> args, const std::string& cwd = "") {
    args.insert(args.begin(), kTool);
    return RunTool(args, "", cwd);
  }
};

TEST_F(TToolFixture, HelpAndUsageErrors) {
  const TRunResult help = Tool({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Out.find("usage: trickfolio-cat"), std::string::npos);
  EXPECT_EQ(help.Err, "");
  EXPECT_EQ(Tool({"cat", "--help"}).ExitCode, 0);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{},
                                              {"frobnicate"},
                                              {"list"},
                                              {"cat", "a.zip"},
                                              {"list", "a.zip", "-x"},
                                              {"cat", "a.zip", "x", "-p"},
                                              {"extract"}}) {
    const TRunResult r = Tool(bad);
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_EQ(r.Out, "") << "usage goes to standard error";
    EXPECT_NE(r.Err.find("usage:"), std::string::npos);
  }
}

// unzip -v's view of each member: method, sizes and CRC.
struct TListed {
  std::string Method;
  unsigned Packed = 0, Unpacked = 0;
  std::string Crc;
};
std::map<std::string, TListed> UnzipView(const std::string& archive) {
  std::map<std::string, TListed> members;
  for (const std::string& line : Lines(RunTool({"unzip", "-v", archive}).Out)) {
    std::istringstream fields(line);
    TListed m;
    std::string ratio, date, time, name;
    if (fields >> m.Unpacked >> m.Method >> m.Packed >> ratio >> date >> time >> m.Crc >> name)
      members[name] = m;
  }
  return members;
}

TEST_F(TToolFixture, ListAgreesWithZipInfo) {
  if (!HaveTool("unzip")) GTEST_SKIP() << "unzip missing";
  const std::string archive = MakeZip(dir, "a.zip", {"-9", "-r", "-P", "pw"}, {"games.txt", "sub"});
  const TRunResult r = Tool({"list", archive});
  ASSERT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const auto info = UnzipView(archive);
  const std::vector<std::string> lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string& line : lines) {
    std::istringstream fields(line);
    unsigned method, packed, unpacked;
    std::string crc, flags, name;
    fields >> method >> packed >> unpacked >> crc >> flags >> name;
    ASSERT_EQ(info.count(name), 1u) << name;
    const TListed& expected = info.at(name);
    const bool folder = name.back() == '/';
    EXPECT_EQ(method, expected.Method == "Stored" ? 0u : 8u) << name;
    EXPECT_EQ(crc, expected.Crc) << name;
    // unzip leaves the 12-byte encryption header out of the packed size; the directory
    // (and so the listing) counts it.
    EXPECT_EQ(packed, expected.Packed + (folder ? 0 : 12)) << name;
    EXPECT_EQ(unpacked, expected.Unpacked) << name;
    EXPECT_EQ(flags.size(), 4u);
    EXPECT_EQ(std::stoi(flags, nullptr, 16) & 1, folder ? 0 : 1) << "encrypted " << name;
  }
  EXPECT_EQ(lines[0].substr(lines[0].size() - 9), "games.txt");

  // The local header walk lists the same members when a comment hides the directory.
  const std::string commented =
      MakeZip(dir, "c.zip", {"-0", "-z"}, {"games.txt", "sub/codes.txt"}, "a comment");
  const std::vector<std::string> walked = Lines(Tool({"list", commented}).Out);
  ASSERT_EQ(walked.size(), 2u);
  EXPECT_NE(walked[1].find(" sub/codes.txt"), std::string::npos);
}

TEST_F(TToolFixture, CatWritesTheSelectedMembersInArchiveOrder) {
  WriteFile(dir / "more/games.txt", "second\r\n");
  const std::string archive = MakeEncryptedZip(
      dir, "a.zip", "secret", {}, {"games.txt", "sub/codes.txt", "more/games.txt"}, {"wrong"});
  TRunResult r = Tool({"cat", archive, "-p", "wrong", "-p", "secret", "games.txt"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, kGames + "second\r\n");
  EXPECT_EQ(r.Err, "");

  r = Tool({"cat", archive, "-p", "secret", "sub/codes.txt", "more/*.*"});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_TRUE(r.Out == codes + "second\r\n");
}

TEST_F(TToolFixture, CatFailuresNameTheMember) {
  const std::string archive =
      MakeEncryptedZip(dir, "p.zip", "secret", {}, {"games.txt"}, {"wrong"});
  MakeZip(dir, "p.zip", {}, {"sub/codes.txt"});
  TRunResult r = Tool({"cat", archive, "-p", "wrong", "*.*"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_TRUE(r.Out == codes) << "the member without a password still comes out";
  EXPECT_EQ(Lines(r.Err),
            std::vector<std::string>{
                "trickfolio-cat: games.txt: Required event not assigned (OnGetPassword)"});

  r = Tool({"cat", archive, "nothing.txt"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Err, "trickfolio-cat: no member matches\n");

  r = Tool({"cat", dir / "missing.zip", "x"});
  EXPECT_EQ(r.ExitCode, 2);
  EXPECT_EQ(r.Err, "trickfolio-cat cat: " + dir / "missing.zip" +
                       ": Invalid or unsupported archive type for this operation\n");
}

TEST_F(TToolFixture, CatReportsDamage) {
  const std::string archive = MakeZip(dir, "s.zip", {"-0"}, {"games.txt", "sub/codes.txt"});
  const std::string bytes = ReadFile(archive);
  const int64_t data = 30 + 9 + (uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8);
  FlipBits(archive, data + 2, 0x20);  // "Doom" -> "DoOm"
  TRunResult r = Tool({"cat", archive, "*.*"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_TRUE(r.Out == "DoOm\r\nQuake\r\n" + codes);
  EXPECT_EQ(r.Err, "trickfolio-cat: games.txt: File fails CRC check\n");

  Patch16(archive, 8, 14);  // method LZMA in the local header
  Patch16(archive, FindSignature(bytes, 0x02014B50) + 10, 14);
  r = Tool({"cat", archive, "games.txt"});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "trickfolio-cat: games.txt: Unsupported compression method\n");
}

TEST_F(TToolFixture, ExtractWritesFilesAndReplacesOldOnes) {
  const std::string archive = MakeZip(dir, "a.zip", {"-r", "-1"}, {"games.txt", "sub"});
  TTempDir out;
  WriteFile(out / "games.txt", "old");
  TRunResult r = Tool({"extract", archive, "-d", out.Path()});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(ReadFile(out / "games.txt"), kGames);
  EXPECT_EQ(ReadFile(out / "sub/codes.txt"), codes);

  // Without -d the current directory; NAMEs select.
  TTempDir here;
  r = Tool({"extract", archive, "codes.txt"}, here.Path());
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(ReadFile(here / "sub/codes.txt"), codes);
  EXPECT_FALSE(fs::exists(here / "games.txt"));
}

TEST_F(TToolFixture, ExtractRefusesNamesLeavingTheFolder) {
  const std::string archive = MakePyZip(dir, "h.zip",
                                        "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                        "z.writestr('../evil.txt', b'evil')\n"
                                        "z.writestr('fine.txt', b'fine')\n"
                                        "z.close()\n");
  TTempDir out;
  const std::string target = out / "x";
  const TRunResult r = Tool({"extract", archive, "-d", target});
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(ReadFile(target + "/fine.txt"), "fine");
  EXPECT_FALSE(fs::exists(out / "evil.txt"));
  EXPECT_EQ(r.Err, "trickfolio-cat: " + target +
                       "/../evil.txt: Error opening file (unsafe stored name)\n");
}

TEST_F(TToolFixture, ArchivesFromPipesStubsAndCommentsAreRead) {
  // zip from a pipe: 64-bit local headers with unknown sizes and a comment behind the
  // directory; then the same archive behind a shell stub.
  const TRunResult made = RunTool(
      {"sh", "-c", "zip -q - - < sub/codes.txt | cat > p.zip && echo note | zip -q -z p.zip"}, "",
      dir.Path());
  ASSERT_EQ(made.ExitCode, 0) << made.Err;
  WriteFile(dir / "stub.sh", "#!/bin/sh\nexit 0\n" + ReadFile(dir / "p.zip"));
  for (const std::string& archive : {dir / "p.zip", dir / "stub.sh"}) {
    SCOPED_TRACE(archive);
    const TRunResult cat = Tool({"cat", archive, "-"});
    EXPECT_EQ(cat.ExitCode, 0) << cat.Err;
    EXPECT_TRUE(cat.Out == codes) << cat.Out.size();
    const std::vector<std::string> listed = Lines(Tool({"list", archive}).Out);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_NE(listed[0].find(" " + std::to_string(codes.size()) + " "), std::string::npos)
        << listed[0];
  }
}

}  // namespace
