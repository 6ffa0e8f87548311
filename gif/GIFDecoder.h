#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include "GIFTypes.h"

// The depth of a frame's bitmap for a colour table of 2^bitsPerPixel entries: 1 for two
// colours, 4 up to 16, 8 up to 256. Throws EGIFError(gmWrongColorCount) otherwise.
int GIFBitmapDepth(int bitsPerPixel);

// A decoded frame: Width x Height palette indices, rows top-down, Width bytes per row.
// The buffer comes from malloc, so that an image class can take it over (Release) with
// free as its clean-up.
struct TGIFPixels {
  struct TFree {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  int Width = 0;
  int Height = 0;
  std::unique_ptr<uint8_t, TFree> Indices;
  // The data was cut short or invalid; the rows it did not reach hold index 0.
  bool Corrupted = false;

  uint8_t At(int x, int y) const { return Indices.get()[size_t(y) * size_t(Width) + size_t(x)]; }
};

// Told the percentage of the compressed data consumed, now and then while decoding.
using TGIFProgress = std::function<void(int percent)>;

// Decodes a frame's LZW image data. Never reads past the data and never writes past the
// frame: damaged data ends decoding and marks the result Corrupted. Throws
// EGIFError(gmOutOfMemory) when the frame's buffer cannot be had.
TGIFPixels DecodeGIFFrame(const TGIFItem& item, const TGIFProgress& progress = {});
