#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The two CRCs of the archive formats, both reflected (least significant bit first):
// CRC-32 with polynomial 0xEDB88320 (zip, and the step of the traditional zip cipher)
// and CRC-16 with polynomial 0xA001 (older archive families). The register is whatever
// the caller keeps; zip starts it at 0xFFFFFFFF and compares its complement.

namespace arxCrcDetail {

constexpr std::array<uint32_t, 256> MakeReflectedTable(uint32_t polynomial) {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ polynomial : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace arxCrcDetail

inline constexpr std::array<uint32_t, 256> Crc32Table =
    arxCrcDetail::MakeReflectedTable(0xEDB88320u);
inline constexpr std::array<uint32_t, 256> Crc16Table = arxCrcDetail::MakeReflectedTable(0xA001u);

static_assert(Crc32Table[1] == 0x77073096u && Crc32Table[2] == 0xEE0E612Cu);
static_assert(Crc16Table[1] == 0xC0C1u && Crc16Table[2] == 0xC181u && Crc16Table[3] == 0x0140u);

// One byte into a CRC-32 register; the cipher's key schedule runs on this.
inline uint32_t Crc32Byte(uint32_t crc, uint8_t b) {
  return Crc32Table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

// `n` bytes into a CRC-32 register; returns the new register.
uint32_t Crc32Update(uint32_t crc, const uint8_t* bytes, size_t n);
// `n` bytes into a CRC-16 register (the low 16 bits are used); returns the new register.
uint32_t Crc16Update(uint32_t crc, const uint8_t* bytes, size_t n);
