#pragma once

#include "arxDecoder.h"

// Methods 2 to 5 (reduced with compression factor 1 to 4): decodes the member through
// the decoder's input reader and output window, up to its declared size.
void Unreduce(TDecoder& decoder, int factor);
