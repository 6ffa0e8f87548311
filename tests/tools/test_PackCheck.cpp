// pack and check of trickfolio-cat, run as the real program on real folders; what pack
// writes is read back by the product's reader and by Info-ZIP unzip, and check is fed
// catalogues broken one rule at a time, made by pack and by Info-ZIP zip.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Codepage.h"
#include "arxDecompStream.h"
#include "arxUnZIP.h"
#include "ZipTestKit.h"

namespace fs = std::filesystem;

namespace {

const std::string kPassword = "Vextramole v4.83q";
const std::string kTool = std::string(TRICKFOLIO_BIN_DIR) + "/trickfolio-cat";

struct TRun {
  int Exit = -1;
  std::string Out;
};

std::string Shell(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a command line; stdout is captured, stderr joins it after "|".
TRun Sh(const std::string& commandLine) {
  TRun run;
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Out.append(buffer, n);
  const int status = pclose(pipe);
  run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TRun Tool(const std::string& arguments) {
  return Sh(Shell(kTool) + " " + arguments);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A temporary folder per test, gone afterwards.
class PackCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    FRoot = fs::temp_directory_path() /
            ("trickfolio-packcheck-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(FRoot);
    fs::create_directories(Src());
  }
  void TearDown() override { fs::remove_all(FRoot); }

  fs::path Src() const { return FRoot / "src"; }
  fs::path Archive() const { return FRoot / "trickfolio.dat"; }
  std::string A() const { return Shell(Archive().string()); }

  // Two games in Windows-1251: one table in fixed pitch, one online-only.
  void WriteCleanCatalogue() {
    WriteFile(Src() / "games.txt", "DOOM (PC)\r\n\xC3\xE5\xF0\xEE\xE8 III (PC)\r\n");
    WriteFile(Src() / "files.txt", "doom.txt\r\nheroes3.txt\r\n");
    WriteFile(Src() / "pitches.txt", "1\r\n0\r\n");
    WriteFile(Src() / "version.txt", "Trickfolio v1.29\r\n");
    WriteFile(Src() / "doom.txt", "IDDQD\t\t\xE1\xEE\xE3\r\nIDKFA\t\t\xE2\xF1\xB8\r\n");
    WriteFile(Src() / "heroes3.txt", "***\xCD\xEE\xEC\xE5\xF0:12345");
  }

  // Packs with a fresh random cipher header each time; where a test reads with a wrong
  // password, it packs again until that password fails every member's one-byte check, as
  // one in 256 would pass it.
  TRun Pack(const std::string& options = "", const std::string& wrongPassword = "") {
    for (int attempt = 0;; ++attempt) {
      TRun run = Tool("pack " + Shell(Src().string()) + " " + A() + " " + options);
      if (run.Exit != 0 || wrongPassword.empty() || attempt == 50 ||
          !ziptest::AnyPasswordPassesCheck(ReadFile(Archive()), {wrongPassword}))
        return run;
    }
  }

  TRun Check(const std::string& options = "") { return Tool("check " + A() + " " + options); }

  // Packed by Info-ZIP zip from the source folder: an independent producer.
  // One wrong password in 256 passes a member's one-byte check, so an archive made under
  // another password is made again until the catalogue's own fails on every member.
  void ZipSources(const std::string& password, const std::string& extra = "") {
    for (int attempt = 0; attempt < 50; ++attempt) {
      fs::remove(Archive());
      const TRun zip = Sh("cd " + Shell(Src().string()) + " && zip -q -r -P " + Shell(password) +
                          " " + extra + " " + A() + " .");
      ASSERT_EQ(zip.Exit, 0) << zip.Out;
      if (password == kPassword ||
          !ziptest::AnyPasswordPassesCheck(ReadFile(Archive()), {kPassword}))
        return;
    }
  }

  fs::path FRoot;
};

// The product's reader, as the viewer drives it: one name, one password.
struct TRead {
  int Count = 0;
  std::string Bytes;
};

TRead ReadMember(const fs::path& archive, const std::string& name, const std::string& password) {
  TUnZip unzip;
  unzip.SetArchiveFile(archive.string());
  unzip.Passwords().Clear();
  unzip.Passwords().Add(password);
  unzip.FileSpec().Clear();
  unzip.FileSpec().Add(name);
  TDecompMemoryStream stream;
  stream.Reset();
  unzip.ExtractToMemoryStream(&stream);
  return {stream.Count(), stream.ToString()};
}

std::string Unzip(const fs::path& archive, const std::string& name, const std::string& password) {
  return Sh("unzip -p -P " + Shell(password) + " " + Shell(archive.string()) + " " + Shell(name))
      .Out;
}

TEST_F(PackCheck, PackedMembersReadBackByteExactWithBothReaders) {
  WriteCleanCatalogue();
  // Several deflate blocks and every byte value.
  std::string big;
  for (uint32_t i = 0; i < 300000; ++i) big += char((i * 7919u + i / 13) % 256);
  WriteFile(Src() / "big.bin", big);
  WriteFile(Src() / "empty.txt", "");
  WriteFile(Src() / "files.txt", "doom.txt\r\nheroes3.txt\r\nbig.bin\r\nempty.txt\r\n");

  const TRun pack = Pack("", "Vextramole v4.83");
  ASSERT_EQ(pack.Exit, 0) << pack.Out;
  for (const char* name : {"games.txt", "files.txt", "pitches.txt", "version.txt", "doom.txt",
                           "heroes3.txt", "big.bin", "empty.txt"}) {
    const std::string source = ReadFile(Src() / name);
    const TRead own = ReadMember(Archive(), name, kPassword);
    EXPECT_EQ(own.Count, 1) << name;
    EXPECT_TRUE(own.Bytes == source) << name;
    EXPECT_TRUE(Unzip(Archive(), name, kPassword) == source) << name;
  }
  EXPECT_EQ(ReadMember(Archive(), "doom.txt", "Vextramole v4.83").Count, 0);
  const TRun test = Sh("unzip -tq -P " + Shell(kPassword) + " " + A());
  EXPECT_EQ(test.Exit, 0) << test.Out;
  // Every member carries the traditional cipher's flag.
  const TRun listing = Sh("zipinfo -v " + A() + " | grep -c 'file security status:.*encrypted'");
  EXPECT_EQ(listing.Out, "8\n");
}

// Members carry their files' local modification times in DOS form: 2-second steps, and
// nothing before 1980.
TEST_F(PackCheck, MembersKeepTheFilesDates) {
  WriteCleanCatalogue();
  const std::string src = Shell(Src().string());
  ASSERT_EQ(Sh("touch -d '2001-02-03 04:05:07' " + src + "/games.txt").Exit, 0);
  ASSERT_EQ(Sh("touch -d '1975-06-01 12:00:00' " + src + "/files.txt").Exit, 0);
  ASSERT_EQ(Pack().Exit, 0);
  const std::string listing = Sh("zipinfo -T " + A()).Out;
  EXPECT_NE(listing.find(" 20010203.040506 games.txt"), std::string::npos) << listing;
  EXPECT_NE(listing.find(" 19800101.000000 files.txt"), std::string::npos) << listing;
}

TEST_F(PackCheck, PasswordOptionAndUnencryptedPacking) {
  WriteCleanCatalogue();
  ASSERT_EQ(Pack("-p 'other words'", kPassword).Exit, 0);
  EXPECT_EQ(ReadMember(Archive(), "doom.txt", "other words").Count, 1);
  EXPECT_EQ(ReadMember(Archive(), "doom.txt", kPassword).Count, 0);
  EXPECT_EQ(Check("-p 'other words'").Exit, 0);

  ASSERT_EQ(Pack("-p ''").Exit, 0);
  EXPECT_TRUE(Sh("unzip -p " + A() + " doom.txt").Out == ReadFile(Src() / "doom.txt"));
  EXPECT_EQ(ReadMember(Archive(), "doom.txt", kPassword).Count, 1);

  EXPECT_EQ(Pack("-p " + std::string(256, 'x')).Exit, 2);
}

TEST_F(PackCheck, Utf8SourcesBecomeWindows1251) {
  WriteCleanCatalogue();
  WriteFile(Src() / "games.txt",
            "\xEF\xBB\xBF"
            "DOOM (PC)\n\xD0\x93\xD0\xB5\xD1\x80\xD0\xBE\xD0\xB8 III (PC)\n");
  WriteFile(Src() / "doom.txt", "IDDQD\t\t\xD0\xB1\xD0\xBE\xD0\xB3 \xE2\x80\x94 \xE2\x84\x96\n");
  WriteFile(Src() / "heroes3.txt", "***\xD0\x9D\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x80:12345\n");
  ASSERT_EQ(Pack("--utf8").Exit, 0);
  EXPECT_EQ(Unzip(Archive(), "games.txt", kPassword), "DOOM (PC)\n\xC3\xE5\xF0\xEE\xE8 III (PC)\n");
  EXPECT_EQ(Unzip(Archive(), "doom.txt", kPassword), "IDDQD\t\t\xE1\xEE\xE3 \x97 \xB9\n");
  const TRun check = Check();
  EXPECT_EQ(check.Exit, 0) << check.Out;
}

TEST_F(PackCheck, PackRefusesWhatItCannotPackAndLeavesTheOldArchive) {
  WriteCleanCatalogue();
  ASSERT_EQ(Pack().Exit, 0);
  const std::string before = ReadFile(Archive());

  WriteFile(Src() / "games.txt", "DOOM (PC)\nA (B)\n");
  WriteFile(Src() / "doom.txt", "ok\nIDDQD \xE2\x9C\x93\n");  // a check mark: not in 1251
  TRun pack = Pack("--utf8");
  EXPECT_EQ(pack.Exit, 2);
  EXPECT_NE(pack.Out.find("doom.txt:2:7: \"\xE2\x9C\x93\" has no Windows-1251 form"),
            std::string::npos)
      << pack.Out;

  WriteFile(Src() / "doom.txt", "IDDQD \xFF\xFE\n");  // 1251 bytes packed as if UTF-8
  pack = Pack("--utf8");
  EXPECT_EQ(pack.Exit, 2);
  EXPECT_NE(pack.Out.find("doom.txt:1:7: not valid UTF-8"), std::string::npos) << pack.Out;

  WriteCleanCatalogue();
  fs::remove(Src() / "heroes3.txt");
  pack = Pack();
  EXPECT_EQ(pack.Exit, 2);
  EXPECT_NE(pack.Out.find("heroes3.txt: no such file"), std::string::npos) << pack.Out;

  WriteCleanCatalogue();
  fs::remove(Src() / "version.txt");
  EXPECT_EQ(Pack().Exit, 2);

  WriteCleanCatalogue();
  for (const char* name : {"sub/doom.txt", "doom*.txt", "C:doom.txt", "\xE4\xF3\xEC.txt"}) {
    WriteFile(Src() / "files.txt", std::string("heroes3.txt\r\n") + name + "\r\n");
    pack = Pack();
    EXPECT_EQ(pack.Exit, 2) << name;
    EXPECT_NE(pack.Out.find("files.txt:2: member name"), std::string::npos) << pack.Out;
  }
  EXPECT_TRUE(ReadFile(Archive()) == before);
  EXPECT_FALSE(fs::exists(Archive().string() + ".part"));

  EXPECT_EQ(Tool("pack").Exit, 2);
  EXPECT_EQ(Tool("pack " + Shell(Src().string())).Exit, 2);
  EXPECT_EQ(Tool("pack a b --bogus").Exit, 2);
}

TEST_F(PackCheck, DemoCatalogueIsCleanAndReadsBack) {
  const fs::path data = fs::path(TRICKFOLIO_SOURCE_DIR) / "data";
  const TRun pack = Tool("pack " + Shell(data.string()) + " " + A() + " --utf8");
  ASSERT_EQ(pack.Exit, 0) << pack.Out;
  const TRun check = Check();
  EXPECT_EQ(check.Exit, 0);
  EXPECT_EQ(check.Out, "");

  const std::string games = ReadFile(data / "games.txt");
  EXPECT_GE(std::count(games.begin(), games.end(), '\n'), 40);
  std::istringstream files(ReadFile(data / "files.txt"));
  int online = 0;
  for (std::string name; std::getline(files, name);) {
    const std::string expected = Codepage::Utf8ToCp1251(ReadFile(data / name));
    const TRead own = ReadMember(Archive(), name, kPassword);
    ASSERT_EQ(own.Count, 1) << name;
    EXPECT_TRUE(own.Bytes == expected) << name;
    EXPECT_TRUE(Unzip(Archive(), name, kPassword) == expected) << name;
    online += own.Bytes.starts_with("***\xCD\xEE\xEC\xE5\xF0:");
  }
  EXPECT_GE(online, 3);
  // Names are matched without regard to ASCII case: no two may differ only by it.
  std::map<std::string, int> folded;
  for (const auto& entry : fs::directory_iterator(data))
    EXPECT_EQ(++folded[Codepage::AsciiUpperCase(entry.path().filename().string())], 1);
}

// One broken rule per case, each packed by pack from a fresh clean folder.
TEST_F(PackCheck, CheckReportsEachViolationOfPackedCatalogues) {
  struct TCase {
    const char* File;
    std::string Bytes;
    std::string Expected;
  };
  const std::vector<TCase> cases = {
      {"version.txt", "Trickfolio v1.29 \r\n",
       "version.txt: first line is \"Trickfolio v1.29 \", not \"Trickfolio v1.29\"\n"},
      {"version.txt", "trickfolio v1.29\r\nTrickfolio v1.29\r\n",
       "version.txt: first line is \"trickfolio v1.29\", not \"Trickfolio v1.29\"\n"},
      {"version.txt", "", "version.txt: empty\n"},
      {"files.txt", "doom.txt\r\n", "files.txt: 1 lines for 2 games\n"},
      {"pitches.txt", "", "pitches.txt: 0 lines for 2 games\n"},
      {"games.txt", "DOOM PC\r\nA (B)\r\n",
       "games.txt line 1 \"DOOM PC\": does not end with \")\"\n"},
      {"games.txt", "DOOM PC)\r\nA (B)\r\n",
       "games.txt line 1 \"DOOM PC)\": no \"(\" before the platform\n"},
      {"games.txt", "DOOM(PC)\r\nA  (B)\r\n",
       "games.txt line 1 \"DOOM(PC)\": not \"name (platform)\" with one space before the first "
       "\"(\"\n"
       "games.txt line 2 \"A  (B)\": not \"name (platform)\" with one space before the first "
       "\"(\"\n"},
      {"games.txt", " (PC)\r\nA ()\r\n",
       "games.txt line 1 \" (PC)\": not \"name (platform)\" with one space before the first "
       "\"(\"\n"
       "games.txt line 2 \"A ()\": empty platform\n"},
      {"games.txt", "\r\nA (B)\r\n", "games.txt line 1: empty\n"},
      {"heroes3.txt", "***\xCD\xEE\xEC\xE5\xF0:12345\r\n\r\n",
       "heroes3.txt: online-only marker followed by 1 more line(s), so it shows as codes\n"},
      {"heroes3.txt",
       "***\xCD\xEE\xEC\xE5\xF0:", "heroes3.txt: online-only marker without a site id\n"},
      {"heroes3.txt", "***\xCD\xEE\xEC\xE5\xF0:12 34",
       "heroes3.txt: site id \"12 34\" has characters a web address cannot carry\n"},
      {"files.txt", "doom.txt\r\n\r\n", "files.txt line 2: empty member name\n"},
      {"doom.txt", "IDDQD \xD0\xB1\xD0\xBE\xD0\xB3\r\n",
       "doom.txt: UTF-8 text, not Windows-1251 (packed without --utf8?)\n"},
  };
  for (const TCase& c : cases) {
    WriteCleanCatalogue();
    WriteFile(Src() / c.File, c.Bytes);
    ASSERT_EQ(Pack().Exit, 0) << c.Expected;
    const TRun check = Check();
    EXPECT_EQ(check.Exit, 1) << c.Expected;
    EXPECT_EQ(check.Out, c.Expected);
  }

  WriteCleanCatalogue();
  WriteFile(Src() / "games.txt", "");
  WriteFile(Src() / "files.txt", "");
  WriteFile(Src() / "pitches.txt", "");
  ASSERT_EQ(Pack().Exit, 0);
  EXPECT_EQ(Check().Out, "games.txt: empty\n");

  // Two code files that differ only in case: each name selects both.
  WriteCleanCatalogue();
  WriteFile(Src() / "DOOM.TXT", "x");
  WriteFile(Src() / "files.txt", "doom.txt\r\nDOOM.TXT\r\n");
  ASSERT_EQ(Pack().Exit, 0);
  EXPECT_EQ(Check().Out,
            "files.txt line 1 \"doom.txt\": selects 2 members\n"
            "files.txt line 2 \"DOOM.TXT\": selects 2 members\n");
}

// The same rules on archives that Info-ZIP zip made.
TEST_F(PackCheck, CheckReportsViolationsOfArchivesFromInfoZip) {
  WriteCleanCatalogue();
  ZipSources(kPassword);
  TRun check = Check();
  EXPECT_EQ(check.Exit, 0) << check.Out;

  ZipSources("not the password");
  EXPECT_EQ(Check().Out,
            "games.txt: the password does not open it\n"
            "files.txt: the password does not open it\n"
            "pitches.txt: the password does not open it\n"
            "version.txt: the password does not open it\n");

  fs::remove(Src() / "pitches.txt");
  fs::remove(Src() / "heroes3.txt");
  ZipSources(kPassword);
  check = Check();
  EXPECT_EQ(check.Exit, 1);
  EXPECT_EQ(check.Out,
            "pitches.txt: selects no member\n"
            "files.txt line 2 \"heroes3.txt\": selects no member\n");

  // A second games.txt in a folder is selected too, since folders do not count.
  WriteCleanCatalogue();
  fs::create_directories(Src() / "old");
  WriteFile(Src() / "old" / "GAMES.TXT", "X (Y)\r\n");
  ZipSources(kPassword);
  EXPECT_EQ(Check().Out, "games.txt: selects 2 members\n");

  // A damaged member: one byte of its stored data turned over.
  fs::remove_all(Src() / "old");
  ZipSources(kPassword, "-0 -X");
  std::string bytes = ReadFile(Archive());
  const size_t at = bytes.find("doom.txt") + 8 + 12 + 3;
  bytes[at] = char(bytes[at] ^ 0x40);
  WriteFile(Archive(), bytes);
  check = Check();
  EXPECT_EQ(check.Exit, 1);
  EXPECT_EQ(check.Out, "files.txt line 1 \"doom.txt\": damaged (File fails CRC check)\n");
}

TEST_F(PackCheck, CheckRunLevelErrorsAndUsage) {
  TRun check = Check();
  EXPECT_EQ(check.Exit, 2);
  EXPECT_NE(check.Out.find("no such file"), std::string::npos) << check.Out;
  WriteFile(Archive(), "this is no archive at all");
  EXPECT_EQ(Check().Exit, 2);
  EXPECT_EQ(Tool("check").Exit, 2);
  EXPECT_EQ(Tool("check a b").Exit, 2);
  EXPECT_EQ(Tool("check a -x").Exit, 2);
  for (const char* command : {"check --help", "pack --help"}) {
    const TRun help = Tool(command);
    EXPECT_EQ(help.Exit, 0);
    EXPECT_TRUE(help.Out.starts_with("usage: trickfolio-cat ")) << help.Out;
  }
}

}  // namespace
