#pragma once

#include <cstdint>

// Unsigned little-endian fields of the file formats (zip records, GIF blocks, report
// streams), read from and written to bytes the caller has checked are there. Compilers
// make one load or store of each.

inline uint16_t LoadLE16(const uint8_t* b) {
  return uint16_t(b[0] | b[1] << 8);
}
inline uint32_t LoadLE32(const uint8_t* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
inline uint64_t LoadLE64(const uint8_t* b) {
  return uint64_t(LoadLE32(b)) | uint64_t(LoadLE32(b + 4)) << 32;
}

inline void StoreLE16(uint8_t* b, uint16_t v) {
  b[0] = uint8_t(v);
  b[1] = uint8_t(v >> 8);
}
inline void StoreLE32(uint8_t* b, uint32_t v) {
  StoreLE16(b, uint16_t(v));
  StoreLE16(b + 2, uint16_t(v >> 16));
}
inline void StoreLE64(uint8_t* b, uint64_t v) {
  StoreLE32(b, uint32_t(v));
  StoreLE32(b + 4, uint32_t(v >> 32));
}
