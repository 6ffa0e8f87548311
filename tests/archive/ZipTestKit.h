#pragma once
// Archive-making helpers for tests: temporary folders, files, running the real zip
// producers (Info-ZIP zip, Python's zipfile) and damaging their output on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

struct TRunResult {
  int ExitCode = -1;  // the exit status, or -1 when the program could not run or died
  std::string Out;
  std::string Err;
};

// Runs a program (searched on PATH) with `input` on its standard input, in `cwd` when
// given; both outputs are captured.
TRunResult RunTool(const std::vector<std::string>& argv, const std::string& input = "",
                   const std::string& cwd = "");
// True when the program can be found on PATH.
bool HaveTool(const std::string& name);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return FPath; }
  // The path of `name` inside the folder.
  std::string operator/(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

std::string ReadFile(const std::string& path);
// Writes the bytes, creating missing parent folders.
void WriteFile(const std::string& path, const std::string& bytes);

// Runs `zip <args> <archive> <inputs>` inside `dir` (inputs relative to it) and returns
// the archive's full path. Fails the calling test when zip fails.
std::string MakeZip(const TTempDir& dir, const std::string& archive,
                    const std::vector<std::string>& args, const std::vector<std::string>& inputs,
                    const std::string& input = "");
// MakeZip with "-P password": the encryption header is random, and one wrong password in
// 256 passes its one-byte check, so the archive is made again until none of
// `wrongPasswords` would open a member.
std::string MakeEncryptedZip(const TTempDir& dir, const std::string& archive,
                             const std::string& password, const std::vector<std::string>& args,
                             const std::vector<std::string>& inputs,
                             const std::vector<std::string>& wrongPasswords);
// True when one of the passwords passes the one-byte check of an encrypted member's
// local header, so a test can tell a chance opening from a real one.
bool AnyPasswordPassesCheck(const std::string& bytes, const std::vector<std::string>& passwords);
// Runs a Python script with the archive's full path as sys.argv[1] (zipfile is imported
// as `zipfile`) and returns that path.
std::string MakePyZip(const TTempDir& dir, const std::string& archive, const std::string& script);

// Damage: exclusive-or one byte, cut the file, or patch little-endian fields.
void FlipBits(const std::string& path, int64_t offset, uint8_t mask);
void Truncate(const std::string& path, int64_t size);
void Patch16(const std::string& path, int64_t offset, uint16_t value);
void Patch32(const std::string& path, int64_t offset, uint32_t value);
uint32_t Read32(const std::string& bytes, size_t offset);
// Offset of the first occurrence of a 4-byte signature at or after `from`, or -1.
int64_t FindSignature(const std::string& bytes, uint32_t signature, size_t from = 0);

}  // namespace ziptest
