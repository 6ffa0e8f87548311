#include "arxCrc.h"

#include <cstring>

namespace {

// Slicing by eight: table k advances a byte through k further zero bytes, so eight input
// bytes cost eight independent lookups instead of a chain of eight dependent ones.
using TSliceTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TSliceTables MakeSliceTables() {
  TSliceTables t{};
  t[0] = Crc32Table;
  for (int k = 1; k < 8; ++k)
    for (int n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ Crc32Table[t[k - 1][n] & 0xFF];
  return t;
}

constexpr TSliceTables Slices = MakeSliceTables();

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* bytes, size_t n) {
  while (n >= 8) {
    const uint32_t lo = LoadLE32(bytes) ^ crc;
    const uint32_t hi = LoadLE32(bytes + 4);
    crc = Slices[7][lo & 0xFF] ^ Slices[6][(lo >> 8) & 0xFF] ^ Slices[5][(lo >> 16) & 0xFF] ^
          Slices[4][lo >> 24] ^ Slices[3][hi & 0xFF] ^ Slices[2][(hi >> 8) & 0xFF] ^
          Slices[1][(hi >> 16) & 0xFF] ^ Slices[0][hi >> 24];
    bytes += 8;
    n -= 8;
  }
  while (n-- > 0) crc = Crc32Byte(crc, *bytes++);
  return crc;
}

uint32_t Crc16Update(uint32_t crc, const uint8_t* bytes, size_t n) {
  while (n-- > 0) crc = Crc16Table[(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
  return crc;
}
