#include "GIFComposeHarness.h"

#include <algorithm>
#include <cstdlib>

#include "GIFCompose.h"
#include "GIFHarness.h"
#include "RxGIF.h"

namespace {

// Composing draws the screen once per frame and again from the first frame to draw when
// composed afresh; past these the fuzzer would spend its time filling pixels.
constexpr int64_t kScreenBudget = int64_t(1) << 20;
constexpr int kMaxFrames = 48;

void Check(bool promise) {
  if (!promise) std::abort();
}

}  // namespace

void FuzzComposeGIF(const uint8_t* data, size_t size) {
  FuzzOneGIF(data, size);
  TGIFImage image;
  try {
    image.LoadFromData(data, size);
  } catch (const EGIFError&) {
    return;
  }
  const QSize screen(image.ScreenWidth(), image.ScreenHeight());
  if (image.Empty() || screen.isEmpty() || int64_t(screen.width()) * screen.height() > kScreenBudget)
    return;
  TGIFComposer stepping;
  for (int n = 0; n < std::min(image.Count(), kMaxFrames); ++n) {
    const QImage& shown = stepping.Compose(image, n, true, Qt::white);
    Check(shown.size() == screen && stepping.Index() == n);
    TGIFComposer afresh;
    Check(afresh.Compose(image, n, true, Qt::white) == shown);
    Check(afresh.TransparentColor() == stepping.TransparentColor());
  }
}
