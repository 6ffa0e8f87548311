#include "GIFHarness.h"

#include <cstdlib>

#include "GIFDecoder.h"
#include "GIFMessages.h"
#include "GIFReader.h"

namespace {

// Decoding is linear in the frame size; beyond this many pixels per input the fuzzer
// would spend its time clearing memory rather than finding faults.
constexpr int64_t kDecodeBudget = int64_t(1) << 22;

void Check(bool promise) {
  if (!promise) std::abort();
}

}  // namespace

void FuzzOneGIF(const uint8_t* data, size_t size) {
  std::shared_ptr<const TGIFData> gif;
  try {
    gif = ReadGIF(data, size);
  } catch (const EGIFError&) {
    return;
  }
  Check(int64_t(gif->ScreenWidth) * gif->ScreenHeight <= GIFMaxPixels);
  Check(gif->RepeatCount <= 30000);
  int64_t budget = kDecodeBudget;
  for (const auto& item : gif->Frames) {
    Check(item->Left + item->Width <= gif->ScreenWidth);
    Check(item->Top + item->Height <= gif->ScreenHeight);
    Check(item->TransparentColor == clNone || (item->TransparentColor & 0xFF000000) == 0);
    Check(GIFBitmapDepth(item->BitsPerPixel) >= item->BitsPerPixel);
    const int64_t pixels = int64_t(item->Width) * item->Height;
    if (pixels > budget) continue;
    budget -= pixels;
    int lastPercent = 0;
    const TGIFPixels decoded = DecodeGIFFrame(*item, [&](int percent) {
      Check(percent >= lastPercent && percent <= 100);
      lastPercent = percent;
    });
    const uint8_t mask = uint8_t((1u << item->BitsPerPixel) - 1);
    for (int64_t i = 0; i < pixels; ++i) Check((decoded.Indices.get()[i] & ~mask) == 0);
  }
}
