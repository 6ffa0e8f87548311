#pragma once

#include <cstddef>
#include <string_view>

// How pack and check tell UTF-8 sources from Windows-1251 ones.
namespace Utf8Text {

// Length of the well-formed UTF-8 sequence at `text[i]`; 0 when the bytes there are not
// one (a stray continuation, a bad lead, a cut-off or overlong-led sequence).
size_t SequenceLength(std::string_view text, size_t i);

}  // namespace Utf8Text
