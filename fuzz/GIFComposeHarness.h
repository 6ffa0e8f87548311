#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input through the reader and decoder (FuzzOneGIF), then as the animator shows
// it: the picture loaded and its frames composed in order, each compared with the same
// frame composed afresh (stepping on from the kept picture must change nothing).
void FuzzComposeGIF(const uint8_t* data, size_t size);
