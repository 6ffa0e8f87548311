#pragma once

#include "arxDecoder.h"

// Method 1 (shrunk): decodes the member through the decoder's input reader and output
// window. Damaged data is reported through the host and raised (DecodeMember catches).
void Unshrink(TDecoder& decoder);
