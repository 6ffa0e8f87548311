#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "GIFTypes.h"

// More pixels than a screen may have, and than the frames of one picture may have
// together: the most the viewer will hold in memory for a picture (64 MiB of palette
// indices for the frames, four bytes a pixel for the composed screen), far beyond any
// banner, and small enough that a damaged header cannot ask for gigabytes.
constexpr int64_t GIFMaxPixels = int64_t(1) << 26;

// Reads a GIF87a or GIF89a file from memory. Throws EGIFError with the reader's messages;
// damaged image data is not an error (the frame is marked Corrupted). The image data is
// kept as read and decoded later (DecodeGIFFrame).
std::shared_ptr<const TGIFData> ReadGIF(const uint8_t* data, size_t size);
