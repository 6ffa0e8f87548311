#pragma once
// zlib as the yardstick, in its own translation unit: its crc32() and the reader's CRC
// mode constant share a name.

#include <cstddef>
#include <cstdint>

namespace zlibref {

// Inflates a raw Deflate stream into `out`; returns the bytes produced, or -1 on an error.
int64_t InflateRaw(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

}  // namespace zlibref
