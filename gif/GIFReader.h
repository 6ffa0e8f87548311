#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "GIFTypes.h"

// More pixels than a screen (and so any frame) may have: the largest picture the viewer
// will hold in memory, far beyond any banner, and small enough that a damaged header
// cannot ask for gigabytes.
constexpr int64_t GIFMaxPixels = int64_t(1) << 26;

// Reads a GIF87a or GIF89a file from memory. Throws EGIFError with the reader's messages;
// damaged image data is not an error (the frame is marked Corrupted). The image data is
// kept as read and decoded later (DecodeGIFFrame).
std::shared_ptr<const TGIFData> ReadGIF(const uint8_t* data, size_t size);
