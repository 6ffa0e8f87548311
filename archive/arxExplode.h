#pragma once

#include "arxDecoder.h"

// Method 6 (imploded): decodes the member through the decoder's input reader and output
// window, up to its declared size. Flags bit 1 selects the 8 KiB dictionary, bit 2 the
// literal tree (three trees).
void Explode(TDecoder& decoder);
