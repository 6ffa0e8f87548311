#include "Utf8Text.h"

#include <cstdint>

namespace Utf8Text {

size_t SequenceLength(std::string_view text, size_t i) {
  const uint8_t lead = uint8_t(text[i]);
  const size_t length = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                                                      : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace Utf8Text
