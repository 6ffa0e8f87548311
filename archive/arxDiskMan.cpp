#include "arxDiskMan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {

std::string Replaced(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

// A component that must never be walked: the parent and anything that could escape.
bool IsUnsafeComponent(const std::string& part) {
  return part == ".." || part.find('/') != std::string::npos;
}

bool IsSkippedComponent(const std::string& part) {
  return part.empty() || part == ".";
}

// The base directory, created with its parents when missing. The base is chosen by the
// caller, not by the archive, so links in it are followed.
int OpenBase(const std::string& base) {
  std::string native = base.empty() ? std::string(".") : ToNativePath(base);
  for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
    ::mkdir(native.substr(0, slash).c_str(), 0777);
    if (slash == std::string::npos) break;
  }
  return ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Walks (and creates) the directories below the base without following links; returns
// the innermost directory's handle or -1.
int OpenDirs(const TOutputPath& path) {
  int dir = OpenBase(path.Base);
  for (const std::string& part : path.Dirs) {
    if (dir < 0) break;
    if (IsSkippedComponent(part)) continue;
    int next = -1;
    if (!IsUnsafeComponent(part)) {
      if (::mkdirat(dir, part.c_str(), 0777) == 0 || errno == EEXIST)
        next = ::openat(dir, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    ::close(dir);
    dir = next;
  }
  return dir;
}

int OpenRegularFile(int dir, const std::string& name) {
  // O_NONBLOCK keeps a FIFO planted under the name from stalling the run.
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  int handle = ::openat(dir, name.c_str(), flags, 0666);
  if (handle < 0 && errno == EACCES) {
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        ::fchmodat(dir, name.c_str(), (st.st_mode & 07777) | S_IWUSR, 0) == 0)
      handle = ::openat(dir, name.c_str(), flags, 0666);
  }
  if (handle < 0) return -1;
  struct stat st;
  if (::fstat(handle, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(handle);
    return -1;
  }
  ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
  return handle;
}

}  // namespace

std::string ToNativePath(const std::string& path) {
  return Replaced(path, '\\', '/');
}

std::string FromNativePath(const std::string& path) {
  return Replaced(path, '/', '\\');
}

std::string CurrentDirectory() {
  std::string dir(4096, '\0');
  if (!::getcwd(dir.data(), dir.size())) return {};
  dir.resize(dir.find('\0'));
  dir = FromNativePath(dir);
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir;
}

std::string DirPart(const std::string& name) {
  const size_t cut = name.rfind('\\');
  return cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
}

std::string FilePart(const std::string& name) {
  const size_t cut = name.rfind('\\');
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

bool TDiskManager::Query(const std::string& path) {
  struct statvfs fs;
  const std::string native = path.empty() ? std::string(".") : ToNativePath(path);
  if (::statvfs(native.c_str(), &fs) != 0) {
    FDriveType = dtUnknown;
    return false;
  }
  FDriveType = dtFixed;
  FSerialNumber = uint32_t(fs.f_fsid);
  FFreeSpace = uint64_t(fs.f_bavail) * fs.f_frsize;
  return true;
}

bool TArchiveFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: a FIFO under the archive's name must not stall the open; it is refused
  // below like anything else that is not a regular file.
  const int handle = ::open(ToNativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (handle < 0) return false;
  struct stat st;
  if (::fstat(handle, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(handle);
    return false;
  }
  FHandle = handle;
  FSize = uint64_t(st.st_size);
  FPosition = 0;
  return true;
}

void TArchiveFile::Close() {
  if (FHandle >= 0) ::close(FHandle);
  FHandle = -1;
  FSize = FPosition = 0;
}

void TArchiveFile::SeekRelative(int64_t delta) {
  FPosition = (delta < 0 && uint64_t(-delta) > FPosition) ? 0 : FPosition + uint64_t(delta);
}

uint32_t TArchiveFile::Read(void* buffer, uint32_t count) {
  const uint32_t done = ReadFrom(FPosition, buffer, count);
  FPosition += done;
  return done;
}

uint32_t TArchiveFile::ReadFrom(uint64_t offset, void* buffer, uint32_t count) const {
  if (FHandle < 0 || offset >= FSize || count == 0) return 0;
  uint32_t done = 0;
  while (done < count) {
    const ssize_t got =
        ::pread(FHandle, static_cast<uint8_t*>(buffer) + done, count - done, off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return 0;
    if (got == 0) break;
    done += uint32_t(got);
  }
  return done;
}

bool TArchiveFile::ReadAt(uint64_t offset, void* buffer, uint32_t count) {
  Seek(offset);
  return Read(buffer, count) == count;
}

bool TOutputFile::Create(const TOutputPath& path) {
  Close();
  if (path.File.empty() || IsSkippedComponent(path.File) || IsUnsafeComponent(path.File))
    return false;
  const int dir = OpenDirs(path);
  if (dir < 0) return false;
  FHandle = OpenRegularFile(dir, path.File);
  ::close(dir);
  return FHandle >= 0;
}

uint32_t TOutputFile::Write(const void* buffer, uint32_t count) {
  uint32_t done = 0;
  while (FHandle >= 0 && done < count) {
    const ssize_t put = ::write(FHandle, static_cast<const uint8_t*>(buffer) + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += uint32_t(put);
  }
  return done;
}

void TOutputFile::SetAttributes(uint32_t mode, int64_t modified) {
  if (FHandle < 0) return;
  if (mode != 0) ::fchmod(FHandle, mode_t(mode & 0777));
  if (modified >= 0) {
    const struct timespec times[2] = {{0, UTIME_NOW}, {time_t(modified), 0}};
    ::futimens(FHandle, times);
  }
}

bool TOutputFile::Close() {
  if (FHandle < 0) return true;
  const bool ok = ::close(FHandle) == 0;
  FHandle = -1;
  return ok;
}

bool CreateOutputDirs(const TOutputPath& path) {
  const int dir = OpenDirs(path);
  if (dir < 0) return false;
  ::close(dir);
  return true;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(ToNativePath(path).c_str(), &st) == 0;
}

int64_t DosDateTimeToUnix(uint32_t dosDateTime) {
  struct tm t = {};
  t.tm_sec = int(dosDateTime & 0x1F) * 2;
  t.tm_min = int((dosDateTime >> 5) & 0x3F);
  t.tm_hour = int((dosDateTime >> 11) & 0x1F);
  t.tm_mday = int((dosDateTime >> 16) & 0x1F);
  t.tm_mon = int((dosDateTime >> 21) & 0x0F) - 1;
  t.tm_year = int((dosDateTime >> 25) & 0x7F) + 80;
  t.tm_isdst = -1;
  const time_t result = ::mktime(&t);
  return result == time_t(-1) ? -1 : int64_t(result);
}
