// The records are filled field after field in their declared order, with no offsets
// written out: each field must still come from its offset in the format.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "arxZipRecords.h"

namespace {

TEST(ZipRecords, EveryFieldComesFromItsOffset) {
  // Every byte different, so a field read from anywhere else reads another value.
  std::array<uint8_t, 64> b;
  for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(0xA0 + i);
  auto at = [&b](uint32_t offset, uint32_t width) {
    uint64_t value = 0;
    for (uint32_t i = width; i-- > 0;) value = value << 8 | b[offset + i];
    return value;
  };
  const TZipLocalHeader l = TZipLocalHeader::Parse(b.data(), b.size());
  const TZipCentralHeader c = TZipCentralHeader::Parse(b.data(), b.size());
  const TZipEndRecord e = TZipEndRecord::Parse(b.data(), b.size());
  const TZip64Locator k = TZip64Locator::Parse(b.data(), b.size());
  const TZip64EndRecord z = TZip64EndRecord::Parse(b.data(), b.size());
  const struct {
    const char* field;
    uint64_t read;
    uint32_t offset, width;
  } cases[] = {
      {"local signature", l.Signature, 0, 4},
      {"local version", l.VersionNeeded, 4, 2},
      {"local flags", l.Flags, 6, 2},
      {"local method", l.Method, 8, 2},
      {"local time", l.DosDateTime, 10, 4},
      {"local CRC", l.Crc, 14, 4},
      {"local packed", l.PackedSize, 18, 4},
      {"local unpacked", l.UnpackedSize, 22, 4},
      {"local name", l.NameLength, 26, 2},
      {"local extra", l.ExtraLength, 28, 2},
      {"central signature", c.Signature, 0, 4},
      {"central made by", c.VersionMadeBy, 4, 2},
      {"central version", c.VersionNeeded, 6, 2},
      {"central flags", c.Flags, 8, 2},
      {"central method", c.Method, 10, 2},
      {"central time", c.DosDateTime, 12, 4},
      {"central CRC", c.Crc, 16, 4},
      {"central packed", c.PackedSize, 20, 4},
      {"central unpacked", c.UnpackedSize, 24, 4},
      {"central name", c.NameLength, 28, 2},
      {"central extra", c.ExtraLength, 30, 2},
      {"central comment", c.CommentLength, 32, 2},
      {"central disk", c.DiskNumberStart, 34, 2},
      {"central internal", c.InternalAttr, 36, 2},
      {"central external", c.ExternalAttr, 38, 4},
      {"central offset", c.LocalOffset, 42, 4},
      {"end signature", e.Signature, 0, 4},
      {"end disk", e.DiskNumber, 4, 2},
      {"end directory disk", e.CentralDisk, 6, 2},
      {"end entries here", e.EntriesOnDisk, 8, 2},
      {"end entries", e.Entries, 10, 2},
      {"end size", e.CentralSize, 12, 4},
      {"end offset", e.CentralOffset, 16, 4},
      {"end comment", e.CommentLength, 20, 2},
      {"locator signature", k.Signature, 0, 4},
      {"locator disk", k.Disk, 4, 4},
      {"locator offset", k.EndRecordOffset, 8, 8},
      {"locator disks", k.Disks, 16, 4},
      {"zip64 signature", z.Signature, 0, 4},
      {"zip64 disk", z.DiskNumber, 16, 4},
      {"zip64 directory disk", z.CentralDisk, 20, 4},
      {"zip64 entries here", z.EntriesOnDisk, 24, 8},
      {"zip64 entries", z.Entries, 32, 8},
      {"zip64 size", z.CentralSize, 40, 8},
      {"zip64 offset", z.CentralOffset, 48, 8},
  };
  for (const auto& row : cases) EXPECT_EQ(row.read, at(row.offset, row.width)) << row.field;

  // One byte short of a record is no record, whatever the bytes say.
  EXPECT_EQ(TZipLocalHeader::Parse(b.data(), TZipLocalHeader::kSize - 1).Signature, 0u);
  EXPECT_EQ(TZipCentralHeader::Parse(b.data(), TZipCentralHeader::kSize - 1).Signature, 0u);
  EXPECT_EQ(TZipEndRecord::Parse(b.data(), TZipEndRecord::kSize - 1).Signature, 0u);
  EXPECT_EQ(TZip64Locator::Parse(b.data(), TZip64Locator::kSize - 1).Signature, 0u);
  EXPECT_EQ(TZip64EndRecord::Parse(b.data(), TZip64EndRecord::kSize - 1).Signature, 0u);
}

TEST(ZipRecords, AUnixModeDecidesFolderOrFileOverTheDosByte) {
  const struct {
    uint8_t host;
    uint32_t external, expected;
  } cases[] = {
      {kHostUnix, 0100644u << 16 | 0xFF, 0100644u << 16 | 0xE7},  // file beside a garbage byte
      {kHostUnix, 0040755u << 16, 0040755u << 16 | kAttrDirectory},
      {kHostUnix, kAttrDirectory, kAttrDirectory},  // no mode: the DOS byte stands
      {kHostDos, 0100644u << 16 | kAttrDirectory, 0100644u << 16 | kAttrDirectory},
  };
  for (const auto& row : cases) {
    TZipCentralHeader h;
    h.VersionMadeBy = uint16_t(row.host << 8 | 20);
    h.ExternalAttr = row.external;
    EXPECT_EQ(h.DosAttributes(), row.expected) << std::hex << row.external;
  }
}

}  // namespace
