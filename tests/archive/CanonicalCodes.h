#pragma once
// The codes a set of code lengths stands for, by the textbook rule, for tests that write
// Huffman-coded bits by hand or look them up in the decoder's tables.

#include <cstddef>
#include <cstdint>
#include <vector>

// Shorter codes first, equal lengths in symbol order; a length of 0 gets no code.
inline std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
  std::vector<uint32_t> codes(lengths.size());
  uint32_t code = 0;
  for (uint32_t len = 1; len <= 15; ++len, code <<= 1)
    for (std::size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len) codes[s] = code++;
  return codes;
}
