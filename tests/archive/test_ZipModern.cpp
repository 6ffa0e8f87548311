// Archives as today's zip programs write them: 64-bit records, members streamed to a pipe,
// archives behind a program or other leading bytes, comments that hold an archive.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "Err_Msgs.h"
#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

const std::string kGames = "Doom\r\nQuake\r\n";

// Collects a run's bytes through the streaming target.
class TStringSink : public TOutputSink {
 public:
  uint32_t Write(const uint8_t* data, uint32_t count) override {
    Data.append(reinterpret_cast<const char*>(data), count);
    return count;
  }
  std::string Data;
};

struct TModernFixture : ::testing::Test {
  TTempDir dir;
  TUnZip zip;
  std::string codes;
  std::vector<std::string> problems;  // errors and failed CRC verdicts

  void SetUp() override {
    for (int i = 0; codes.size() < 200000; ++i)
      codes +=
          "code " + std::to_string(i * 7919 % 10007) + " for level " + std::to_string(i) + "\r\n";
    WriteFile(dir / "games.txt", kGames);
    WriteFile(dir / "codes.txt", codes);
    zip.OnError = [this](TZipCommon*, const std::string& name, const std::string&,
                         const std::string&,
                         int code) { problems.push_back(name + ": " + std::to_string(code)); };
    zip.OnEnd = [this](TZipCommon*, const std::string& name, bool pass) {
      if (!pass) problems.push_back(name + ": CRC");
    };
  }
  // What each member name of the rows holds.
  std::string Expected(const std::string& name) const {
    return name == "games.txt" ? kGames : name == "empty.txt" ? std::string() : codes;
  }
  std::string Shell(const std::string& command, const std::string& archive) {
    const TRunResult r = RunTool({"sh", "-c", command}, "", dir.Path());
    EXPECT_EQ(r.ExitCode, 0) << command << ": " << r.Err;
    return dir / archive;
  }
  std::string Member(const std::string& name) {
    TDecompMemoryStream stream;
    zip.FileSpec().Clear();
    zip.FileSpec().Add(name);
    zip.ExtractToMemoryStream(&stream);
    return stream.ToString();
  }
  std::string Streamed(const std::vector<std::string>& names) {
    TStringSink sink;
    zip.FileSpec().Clear();
    for (const std::string& name : names) zip.FileSpec().Add(name);
    zip.ExtractToSink(sink);
    return sink.Data;
  }
};

struct TModernCase {
  const char* Label;
  std::function<std::string(TModernFixture&)> Make;
  TArcType Type;
  std::vector<std::string> Names;  // empty.txt, games.txt, codes.txt in an archive, or "-"
  bool Walkable;                   // starts with a local header: read again without its end
};

const std::string kShellStub = "#!/bin/sh\necho unpacking\nexit 0\n" + std::string(3000, '#');
const std::string kProgramStub = "MZ\x90" + std::string(5000, '\x01');

// Both texts zipped with `zipArg` behind `stub`, the offsets adjusted to it or left stale.
TModernCase Stubbed(const char* label, const std::string& stub, TArcType type,
                    const std::string& archive, const std::string& zipArg, bool adjust) {
  const auto make = [=](TModernFixture& f) {
    MakeZip(f.dir, "plain.zip", {zipArg}, {"games.txt", "codes.txt"});
    WriteFile(f.dir / archive, stub + ReadFile(f.dir / "plain.zip"));
    if (adjust) {
      EXPECT_EQ(RunTool({"zip", "-q", "-A", f.dir / archive}).ExitCode, 0);
    }
    return f.dir / archive;
  };
  return {label, make, type, {"games.txt", "codes.txt"}, false};
}

// Records written out by hand, for what no producer here writes on request. Each member is
// (name, data, method, flags, made by, external attributes, local extra); a member flagged
// for a descriptor leaves its local header's sizes at 0 and its descriptor unsigned.
const std::string kRecords = R"(
import struct, zlib
def text(name): return open(sys.argv[1].rsplit('/', 1)[0] + '/' + name, 'rb').read()
def write(entries, directory_shift):
    body, central = b'', b''
    for name, data, method, flags, made_by, attr, extra in entries:
        c = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = c.compress(data) + c.flush() if method == 8 else data
        crc, at, name = zlib.crc32(data), len(body), name.encode()
        fields = (flags, method, 0x210000, crc, len(packed), len(data))
        local = (0, 0, 0) if flags & 8 else fields[3:]
        body += struct.pack('<IHHHIIIIHH', 0x04034B50, 20, *fields[:3], *local, len(name),
                            len(extra)) + name + extra + packed
        if flags & 8: body += struct.pack('<III', *fields[3:])
        central += struct.pack('<IHHHHIIIIHHHHHII', 0x02014B50, made_by, 20, *fields,
                               len(name), 0, 0, 0, 0, attr, at) + name
    open(sys.argv[1], 'wb').write(body + central + struct.pack('<IHHHHIIH', 0x06054B50, 0, 0,
        len(entries), len(entries), len(central), len(body) + directory_shift, 0))
)";

// An empty member and both texts through kRecords, alike but for their data.
TModernCase Written(const char* label, const std::string& entries, bool walkable = true,
                    const std::string& shift = "0") {
  const std::string script = kRecords + "write([(n, b'' if n == 'empty.txt' else text(n), " +
                             entries + ") for n in ('empty.txt', 'games.txt', 'codes.txt')], " +
                             shift + ")\n";
  const auto make = [=](TModernFixture& f) { return MakePyZip(f.dir, "w.zip", script); };
  return {label, make, atZip, {"empty.txt", "games.txt", "codes.txt"}, walkable};
}

const TModernCase kCases[] = {
    {"zip_from_a_pipe",  // 64-bit extra with unknown sizes, 8-byte descriptor
     [](TModernFixture& f) { return f.Shell("zip -q - - < codes.txt | cat > p.zip", "p.zip"); },
     atZip,
     {"-"},
     true},
    {"zip_to_a_pipe",
     [](TModernFixture& f) {
       return f.Shell("zip -q - games.txt codes.txt | cat > o.zip", "o.zip");
     },
     atZip,
     {"games.txt", "codes.txt"},
     true},
    {"zip_forced_zip64",
     [](TModernFixture& f) {
       return MakeZip(f.dir, "fz.zip", {"-fz"}, {"games.txt", "codes.txt"});
     },
     atZip,
     {"games.txt", "codes.txt"},
     true},
    {"python_force_zip64",
     [](TModernFixture& f) {
       return MakePyZip(f.dir, "py.zip",
                        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                        "  for n in ('games.txt', 'codes.txt'):\n"
                        "    with z.open(n, 'w', force_zip64=True) as m:\n"
                        "      m.write(open(sys.argv[1][:-6] + n, 'rb').read())\n");
     },
     atZip,
     {"games.txt", "codes.txt"},
     true},
    {"7z_from_standard_input",  // -si makes 7z write 64-bit local headers
     [](TModernFixture& f) {
       return f.Shell("7z a -tzip -sicodes.txt 7.zip < codes.txt >/dev/null", "7.zip");
     },
     atZip,
     {"codes.txt"},
     true},
    // The 64-bit locator's offset is stale as well in the last one.
    Stubbed("shell_stub_unadjusted", kShellStub, atZip, "s.zip", "-9", false),
    Stubbed("shell_stub_adjusted", kShellStub, atZip, "sa.zip", "-9", true),
    Stubbed("program_stub_unadjusted", kProgramStub, atZipExe, "x.exe", "-0", false),
    Stubbed("program_stub_adjusted", kProgramStub, atZipExe, "xa.exe", "-9", true),
    Stubbed("program_stub_zip64_unadjusted", kProgramStub, atZipExe, "x64.exe", "-fz", false),
    // The local headers' sizes are plain, so their 64-bit extra field stands for nothing.
    Written("zip64_extra_beside_plain_sizes", "8, 0, 20, 0x20, struct.pack('<HHQQ', 1, 16, 0, 2)"),
    // Only the directory sizes these; the record points 3 bytes past the directory.
    Written("stored_descriptors_directory_offset_too_far", "0, 8, 20, 0x20, b''", false, "3"),
    // The DOS byte beside the Unix mode says folder, volume label and more.
    Written("unix_mode_beside_garbage_attributes", "8, 0, 0x314, 0o100644 << 16 | 0xFF, b''"),
    {"local_sizes_0_without_descriptor",  // only the directory has the uncompressed sizes
     [](TModernFixture& f) {
       return MakePyZip(f.dir, "l0.zip",
                        "import struct\n"
                        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                        "  for n in ('games.txt', 'codes.txt'):\n"
                        "    z.write(sys.argv[1][:-6] + n, n)\n"
                        "b, at = bytearray(open(sys.argv[1], 'rb').read()), 0\n"
                        "while b[at:at + 4] == b'PK\\3\\4':\n"
                        "  struct.pack_into('<I', b, at + 22, 0)\n"
                        "  packed, = struct.unpack_from('<I', b, at + 18)\n"
                        "  name, extra = struct.unpack_from('<HH', b, at + 26)\n"
                        "  at += 30 + name + extra + packed\n"
                        "open(sys.argv[1], 'wb').write(b)\n");
     },
     atZip,
     {"games.txt", "codes.txt"},
     false},
    {"archive_in_the_comment_with_offsets_of_the_file",
     [](TModernFixture& f) {
       return MakePyZip(f.dir, "ac.zip",
                        "import io, struct\n"
                        "f = io.BytesIO()\n"
                        "with zipfile.ZipFile(f, 'w', zipfile.ZIP_DEFLATED) as z:\n"
                        "  for n in ('games.txt', 'codes.txt'):\n"
                        "    z.write(sys.argv[1][:-6] + n, n)\n"
                        "outer = len(f.getvalue())\n"
                        "with zipfile.ZipFile(f, 'w') as z: z.writestr('other.txt', 'not this')\n"
                        "b = bytearray(f.getvalue())\n"
                        "struct.pack_into('<H', b, outer - 2, len(b) - outer)\n"
                        "open(sys.argv[1], 'wb').write(b)\n");
     },
     atZip,
     {"games.txt", "codes.txt"},
     true},
    {"zip_on_unix_with_a_cyrillic_name",  // the system's UTF-8, without the flag
     [](TModernFixture& f) {
       WriteFile(f.dir / "коды.txt", f.codes);
       return MakeZip(f.dir, "u.zip", {}, {"games.txt", "коды.txt"});
     },
     atZip,
     {"games.txt", "\xEA\xEE\xE4\xFB.txt"},
     false},
    {"beyond_4_GiB",  // a sparse file: every offset is 64-bit, nothing of it on disk
     [](TModernFixture& f) {
       return MakePyZip(f.dir, "far.zip",
                        "f = open(sys.argv[1], 'wb'); f.seek(5 << 30)\n"
                        "with zipfile.ZipFile(f, 'w', zipfile.ZIP_DEFLATED) as z:\n"
                        "  for n in ('games.txt', 'codes.txt'):\n"
                        "    z.write(sys.argv[1][:-7] + n, n)\n");
     },
     atZip,
     {"games.txt", "codes.txt"},
     false},
};

class TModernArchives : public TModernFixture, public ::testing::WithParamInterface<TModernCase> {};

TEST_P(TModernArchives, ExtractByteExactly) {
  const TModernCase& c = GetParam();
  const std::string path = c.Make(*this);
  for (const bool walk : {false, true}) {
    if (walk) {
      if (!c.Walkable) break;
      // Without its end record the archive is read by walking its local headers.
      const std::string bytes = ReadFile(path);
      int64_t end = -1;
      for (int64_t at; (at = FindSignature(bytes, 0x06054B50, size_t(end + 1))) >= 0;) end = at;
      Patch32(path, end, 0x06054B51);
    }
    SCOPED_TRACE(walk ? "local walk" : "central directory");
    zip.SetArchiveFile(path);
    EXPECT_EQ(zip.ArcType(), c.Type);
    EXPECT_EQ(zip.HeaderStatus(), walk ? hsLocal : hsEndRecord | hsCentral | hsLocal);
    std::string all;
    for (const std::string& name : c.Names) {
      const std::string expected = Expected(name);
      EXPECT_EQ(Member(name), expected) << name;
      all += expected;
    }
    EXPECT_EQ(Streamed(c.Names), all);
    const TUnBaseHeaderObj listed = zip.ListMembers();
    ASSERT_EQ(listed.size(), c.Names.size());
    EXPECT_EQ(listed.back().UnpackedSize, codes.size());
    EXPECT_EQ(problems, std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(Producers, TModernArchives, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.Label); });

// An archive kept as another archive's comment ends the file with an end record of its
// own, which points at its own directory once its leading bytes are allowed for.
TEST_F(TModernFixture, ArchiveInTheCommentDoesNotHideTheRealDirectory) {
  WriteFile(dir / "other.txt", "not this one");
  const std::string inner = ReadFile(MakeZip(dir, "inner.zip", {}, {"other.txt"}));
  std::string outer = ReadFile(MakeZip(dir, "outer.zip", {"-9"}, {"games.txt", "codes.txt"}));
  const size_t record = size_t(FindSignature(outer, 0x06054B50));
  outer[record + 20] = char(inner.size() & 0xFF);
  outer[record + 21] = char(inner.size() >> 8);
  WriteFile(dir / "commented.zip", outer + inner);

  for (const int buffer : {0, 32767}) {
    TUnZip reader;
    if (buffer) reader.SetZipCmntBufSize(buffer);
    reader.SetArchiveFile(dir / "commented.zip");
    EXPECT_EQ(reader.ArcType(), atZip);
    EXPECT_EQ(reader.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
    EXPECT_EQ(reader.LeadingBytes(), 0u);
    std::vector<std::string> names;
    for (const TUnBaseHeader& m : reader.ListMembers()) names.push_back(m.StoredName);
    EXPECT_EQ(names, (std::vector<std::string>{"games.txt", "codes.txt"})) << buffer;
  }

  // A record's signature in plain comment text is passed over for the real one.
  const std::string fake = "PK\x05\x06" + std::string(18, '\x01');
  const std::string path =
      MakeZip(dir, "fake.zip", {"-z"}, {"games.txt"}, "see " + fake + " here\n.\n");
  zip.SetZipCmntBufSize(2000);
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
  EXPECT_EQ(Member("games.txt"), kGames);
}

// The one-byte check lets about one wrong password in 256 through; the next password of
// the list that passes it is tried before the member is given up.
TEST_F(TModernFixture, WrongPasswordPassingTheCheckGivesWayToTheNextOne) {
  for (const std::string method : {"-0", "-9"}) {
    const std::string path =
        MakeZip(dir, "e" + method + ".zip", {method, "-P", "right"}, {"codes.txt"});
    const std::string bytes = ReadFile(path);
    const size_t data = 30 + size_t(uint8_t(bytes[26])) + size_t(uint8_t(bytes[28]));
    uint8_t header[TZipKeys::kHeaderSize];
    for (size_t i = 0; i < sizeof header; ++i) header[i] = uint8_t(bytes[data + i]);
    const uint8_t check = (bytes[6] & 8) ? uint8_t(bytes[11]) : uint8_t(bytes[17]);
    std::string wrong;
    for (int i = 0; wrong.empty() && i < 100000; ++i) {
      TZipKeys keys;
      if (keys.TryPassword("wrong" + std::to_string(i), header, check))
        wrong = "wrong" + std::to_string(i);
    }
    ASSERT_FALSE(wrong.empty());
    SCOPED_TRACE(method + " " + wrong);
    zip.SetArchiveFile(path);

    zip.Passwords().Clear();
    zip.Passwords().Add(wrong);
    zip.Passwords().Add("right");
    EXPECT_EQ(Member("codes.txt"), codes);
    EXPECT_EQ(zip.CurrentPassword(), "right");
    EXPECT_EQ(Streamed({"codes.txt"}), codes);
    EXPECT_EQ(problems, std::vector<std::string>{});

    // With no better password the first one decodes, and the damage shows as before.
    zip.Passwords().Clear();
    zip.Passwords().Add(wrong);
    EXPECT_NE(Member("codes.txt"), codes);
    EXPECT_FALSE(problems.empty());
    problems.clear();
  }
}

TEST_F(TModernFixture, TimeInTheCorruptHeaderHandlerIsPausedOut) {
  const std::string path = MakeZip(dir, "c.zip", {"-z"}, {"games.txt"}, "comment\n.\n");
  zip.OnCorruptZipHeader = [](TZipCommon*, uint8_t, bool& cancel) {
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    cancel = false;
  };
  float elapsed = -1;
  zip.OnElapsedTime = [&](TZipCommon*, float seconds) { elapsed = seconds; };
  zip.SetArchiveFile(path);
  EXPECT_EQ(Member("games.txt"), kGames);
  EXPECT_GE(elapsed, 0.0f);
  EXPECT_LT(elapsed, 0.4f);
}

// Leading zero bytes before a spanned-archive mark: when the end record is not found, the
// walk starts after the zeros.
TEST_F(TModernFixture, ZeroPrefixedSpannedMarkIsWalkedFromTheMark) {
  const std::string archive = ReadFile(MakeZip(dir, "c.zip", {"-z"}, {"games.txt"}, "note\n.\n"));
  WriteFile(dir / "z.zip", std::string(100, '\0') + "PK\x07\x08" + archive);
  zip.SetArchiveFile(dir / "z.zip");
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_EQ(zip.StartOffset(), 100u);
  EXPECT_EQ(Member("games.txt"), kGames);
}

}  // namespace
