#pragma once
// zlib for the decoder tests, kept out of their translation units: its crc32() and the
// reader's CRC mode constant share a name.

#include <cstdint>
#include <vector>

namespace zlibkit {

enum TStrategy { zsDefault, zsFiltered, zsHuffmanOnly, zsRle, zsFixed };

// Raw Deflate (no zlib wrapper) as zip members carry it.
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& plain, int level,
                             TStrategy strategy = zsDefault);
// Raw Deflate of `plain` cut into pieces of growing size, alternating sync and full
// flushes between them: blocks end mid-byte and empty stored blocks appear.
std::vector<uint8_t> DeflateWithFlushes(const std::vector<uint8_t>& plain, int level);
uint32_t Crc32(const std::vector<uint8_t>& bytes);

}  // namespace zlibkit
