#include "ZipTestKit.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "arxCrypt.h"

namespace fs = std::filesystem;

namespace ziptest {

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

TRunResult RunTool(const std::vector<std::string>& argv, const std::string& input,
                   const std::string& cwd) {
  TTempDir io;
  WriteFile(io / "in", input);
  TRunResult result;
  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    const int in = open((io / "in").c_str(), O_RDONLY);
    const int out = open((io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open((io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Out = Slurp(io / "out");
  result.Err = Slurp(io / "err");
  return result;
}

bool HaveTool(const std::string& name) {
  return RunTool({"sh", "-c", "command -v " + name}).ExitCode == 0;
}

TTempDir::TTempDir() {
  std::string pattern = (fs::temp_directory_path() / "trickfolio-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  FPath = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  // Tests may leave read-only files or folders behind.
  for (auto it = fs::recursive_directory_iterator(FPath, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored))
    if (!it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(FPath, ignored);
}

std::string ReadFile(const std::string& path) {
  return Slurp(path);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  const fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string MakeZip(const TTempDir& dir, const std::string& archive,
                    const std::vector<std::string>& args, const std::vector<std::string>& inputs,
                    const std::string& input) {
  std::vector<std::string> argv{"zip", "-q"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(archive);
  argv.insert(argv.end(), inputs.begin(), inputs.end());
  const TRunResult r = RunTool(argv, input, dir.Path());
  EXPECT_EQ(r.ExitCode, 0) << "zip failed: " << r.Err;
  return archive.front() == '/' ? archive : dir / archive;
}

namespace {

uint16_t Read16(const std::string& bytes, size_t offset) {
  return uint16_t(uint8_t(bytes.at(offset)) | uint8_t(bytes.at(offset + 1)) << 8);
}

}  // namespace

bool AnyPasswordPassesCheck(const std::string& bytes, const std::vector<std::string>& passwords) {
  for (size_t pos = 0; pos + 30 <= bytes.size() && Read32(bytes, pos) == 0x04034B50;) {
    const uint16_t flags = Read16(bytes, pos + 6);
    const size_t data = pos + 30 + Read16(bytes, pos + 26) + Read16(bytes, pos + 28);
    if ((flags & 1) && data + 12 <= bytes.size()) {
      uint8_t header[TZipKeys::kHeaderSize];
      for (size_t i = 0; i < sizeof header; ++i) header[i] = uint8_t(bytes[data + i]);
      const uint8_t check = (flags & 8) ? uint8_t(bytes[pos + 11]) : uint8_t(bytes[pos + 17]);
      for (const std::string& password : passwords) {
        TZipKeys keys;
        if (keys.TryPassword(password, header, check)) return true;
      }
    }
    const uint32_t packed = Read32(bytes, pos + 18);
    if ((flags & 8) && packed == 0) break;  // the size is only behind the data
    pos = data + packed;
    // A data descriptor follows, with or without its signature.
    if (flags & 8) pos += pos + 4 <= bytes.size() && Read32(bytes, pos) == 0x08074B50 ? 16 : 12;
  }
  return false;
}

std::string MakeEncryptedZip(const TTempDir& dir, const std::string& archive,
                             const std::string& password, const std::vector<std::string>& args,
                             const std::vector<std::string>& inputs,
                             const std::vector<std::string>& wrongPasswords) {
  std::vector<std::string> all{"-P", password};
  all.insert(all.end(), args.begin(), args.end());
  for (int attempt = 0;; ++attempt) {
    fs::remove(archive.front() == '/' ? archive : dir / archive);
    const std::string path = MakeZip(dir, archive, all, inputs);
    if (!AnyPasswordPassesCheck(ReadFile(path), wrongPasswords) || attempt == 50) return path;
  }
}

std::string MakePyZip(const TTempDir& dir, const std::string& archive, const std::string& script) {
  const std::string path = dir / archive;
  const TRunResult r = RunTool({"/usr/bin/python3", "-c", "import sys, zipfile\n" + script, path});
  EXPECT_EQ(r.ExitCode, 0) << "python failed: " << r.Err;
  return path;
}

void FlipBits(const std::string& path, int64_t offset, uint8_t mask) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  f.seekg(offset);
  const char c = char(f.get() ^ mask);
  f.seekp(offset);
  f.put(c);
}

void Truncate(const std::string& path, int64_t size) {
  fs::resize_file(path, uintmax_t(size));
}

void Patch16(const std::string& path, int64_t offset, uint16_t value) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  f.seekp(offset);
  f.put(char(value & 0xFF)).put(char(value >> 8));
}

void Patch32(const std::string& path, int64_t offset, uint32_t value) {
  Patch16(path, offset, uint16_t(value));
  Patch16(path, offset + 2, uint16_t(value >> 16));
}

uint32_t Read32(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(bytes.at(offset + size_t(i)));
  return v;
}

int64_t FindSignature(const std::string& bytes, uint32_t signature, size_t from) {
  for (size_t i = from; i + 4 <= bytes.size(); ++i)
    if (Read32(bytes, i) == signature) return int64_t(i);
  return -1;
}

}  // namespace ziptest
