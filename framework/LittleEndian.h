#pragma once

#include <cstdint>

// Unsigned little-endian fields of the file formats (zip records, GIF blocks, report
// streams), read from bytes the caller has checked are there.

inline uint16_t LoadLE16(const uint8_t* b) {
  return uint16_t(b[0] | b[1] << 8);
}
inline uint32_t LoadLE32(const uint8_t* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
inline uint64_t LoadLE64(const uint8_t* b) {
  return uint64_t(LoadLE32(b)) | uint64_t(LoadLE32(b + 4)) << 32;
}
