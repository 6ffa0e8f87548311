#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input through the Deflate decoder three ways (every symbol checked, the fast
// loop into the history buffer, the fast loop into the target's room); any difference in
// the bytes, errors, CRC, overrun or progress steps between them traps. The input is an
// option byte (bits 0-1: cancel at that progress step, none for 0), three bytes of the
// declared size (little-endian, taken modulo 256 KiB + 1), then the raw Deflate stream.
void FuzzOneStream(const uint8_t* data, size_t size);
