#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input through the GIF reader and the decoder of every frame, with the reader's
// promises checked: frames inside the screen, the screen within its pixel limit.
void FuzzOneGIF(const uint8_t* data, size_t size);
