#pragma once

#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// Writes zip archives of the kind the catalogue is: every member deflated and, with a
// password, encrypted with the traditional cipher. The whole archive is built in memory;
// catalogues are small.
class TZipWriter {
 public:
  // An empty password writes members without encryption.
  explicit TZipWriter(std::string password);

  // `dosDateTime` holds the DOS date in its high 16 bits and the time in its low 16.
  void AddMember(const std::string& name, std::string_view data, uint32_t dosDateTime);
  // Appends the central directory and the end record and hands over the archive's bytes.
  std::string Finish();

 private:
  struct TCentralEntry {
    std::string Name;
    uint16_t Flags = 0;
    uint32_t DosDateTime = 0;
    uint32_t Crc = 0;
    uint32_t PackedSize = 0;
    uint32_t UnpackedSize = 0;
    uint32_t LocalOffset = 0;
  };

  std::string Encrypt(std::string_view packed, uint32_t crc);
  void WriteSharedFields(const TCentralEntry& entry);
  void WriteLocalHeader(const TCentralEntry& entry);
  void WriteCentralHeader(const TCentralEntry& entry);

  std::string FPassword;
  std::string FArchive;
  std::vector<TCentralEntry> FEntries;
  std::random_device FRandom;
};

// Raw deflate (no zlib or gzip wrapper), as zip method 8 stores it.
std::string DeflateRaw(std::string_view data);

// The local time `t` as a DOS date-time (2-second steps), clamped to 1980..2107.
uint32_t DosDateTime(std::time_t t);
