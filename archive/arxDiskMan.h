#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Every call into the operating system's file layer lives in this unit: the drive object,
// the archive reader's input file and the safe output files. The rest of the reader keeps
// names with "\" separators; they become native paths only here.

// Native path of a reader path ("\" separators).
std::string ToNativePath(const std::string& path);
// Reader path of a native path.
std::string FromNativePath(const std::string& path);
// The current directory as a reader path, with a trailing "\".
std::string CurrentDirectory();
// The text of a reader path before its last "\" (with it), and after it.
std::string DirPart(const std::string& name);
std::string FilePart(const std::string& name);

enum TDriveType { dtUnknown, dtRemovable, dtFixed, dtRemote };

// The file system that holds a path. Archives on removable disks spanning several
// volumes are not supported, so no drive is ever treated as removable.
class TDiskManager {
 public:
  // Queries the file system of `path` (a file or directory, or the current directory when
  // empty); false when it cannot be queried.
  bool Query(const std::string& path);

  TDriveType DriveType() const { return FDriveType; }
  bool Removable() const { return false; }
  const std::string& VolumeLabel() const { return FVolumeLabel; }
  uint32_t SerialNumber() const { return FSerialNumber; }
  uint64_t FreeSpace() const { return FFreeSpace; }

 private:
  TDriveType FDriveType = dtUnknown;
  std::string FVolumeLabel;
  uint32_t FSerialNumber = 0;
  uint64_t FFreeSpace = 0;
};

// The archive, opened for reading.
class TArchiveFile {
 public:
  TArchiveFile() = default;
  TArchiveFile(const TArchiveFile&) = delete;
  TArchiveFile& operator=(const TArchiveFile&) = delete;
  ~TArchiveFile() { Close(); }

  // Opens a regular file (reader path); false when it cannot be.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return FHandle >= 0; }
  uint64_t Size() const { return FSize; }
  uint64_t Position() const { return FPosition; }
  // Positions past the end are allowed; reads there give nothing.
  void Seek(uint64_t offset) { FPosition = offset; }
  void SeekRelative(int64_t delta);
  // Up to count bytes from the position; fewer at the end, 0 on a read error.
  uint32_t Read(void* buffer, uint32_t count);
  // Reads exactly count bytes at offset; false when fewer are there.
  bool ReadAt(uint64_t offset, void* buffer, uint32_t count);
  // Up to count bytes at offset as Read gives them, leaving the position alone, so that
  // another thread may read beside the owner's.
  uint32_t ReadFrom(uint64_t offset, void* buffer, uint32_t count) const;

 private:
  int FHandle = -1;
  uint64_t FSize = 0;
  uint64_t FPosition = 0;
};

// A reader path split into the directory that must already be trusted (`Base`) and the
// parts below it that are created and walked without following symbolic links.
struct TOutputPath {
  std::string Base;
  std::vector<std::string> Dirs;
  std::string File;  // empty for a directory
};

// A file being written. Opening never follows a symbolic link below the base and never
// opens anything but a regular file.
class TOutputFile {
 public:
  TOutputFile() = default;
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;
  ~TOutputFile() { Close(); }

  // Creates the missing directories, then creates or truncates the file.
  bool Create(const TOutputPath& path);
  bool IsOpen() const { return FHandle >= 0; }
  // Returns the bytes written (fewer only on an error).
  uint32_t Write(const void* buffer, uint32_t count);
  // Permission bits (never type, set-id or sticky bits) and the modification time
  // (seconds since the epoch; negative keeps the current time), then closes.
  void SetAttributes(uint32_t mode, int64_t modified);
  bool Close();

 private:
  int FHandle = -1;
};

// Creates the directory chain of `path` (its File is ignored) under the same rules.
bool CreateOutputDirs(const TOutputPath& path);
// True when something (a file, a directory or a link) exists at the reader path.
bool PathExists(const std::string& path);
// Local time of a DOS date-time (date in the high word) as seconds since the epoch.
int64_t DosDateTimeToUnix(uint32_t dosDateTime);
