#include "GIFCompose.h"

#include <QPainter>
#include <algorithm>

#include "QtColor.h"
#include "RxGIF.h"

namespace {

QRect FrameRect(const TGIFFrame& frame) {
  return QRect(frame.Left(), frame.Top(), frame.Width(), frame.Height());
}

bool CoversScreen(const TGIFFrame& frame, const TGIFImage& image) {
  return FrameRect(frame).contains(QRect(0, 0, image.ScreenWidth(), image.ScreenHeight()));
}

// Going down from n, the first frame that hides everything before it: it covers the
// screen and is opaque, or it is disposed to the background before n is drawn. A frame
// before n that restores the previous picture gives back what was beneath it, so it
// hides nothing.
int FirstFrameToDraw(const TGIFImage& image, int n) {
  for (int i = n; i >= 1; --i) {
    const TGIFFrame& frame = image.Frames(i);
    if (!CoversScreen(frame, image) || (i < n && frame.Disposal() == 3)) continue;
    if (frame.TransparentColor() == clNone || (frame.Disposal() == 2 && i < n)) return i;
  }
  return 0;
}

}  // namespace

const QImage& TGIFComposer::Compose(const TGIFImage& image, int n, bool transparent,
                                    QColor window) {
  n = std::clamp(n, 0, image.Count() - 1);
  // Painting the shown frame again (a repaint, or the picture a timer tick composed).
  if (n == FIndex && transparent == FTransparent) return FBitmap;

  const bool reuse = FIndex >= 0 && n == FIndex + 1 && image.Frames(FIndex).Disposal() != 3;
  if (reuse) {
    const TGIFFrame& previous = image.Frames(FIndex);
    if (previous.Disposal() == 2) {
      QPainter canvas(&FBitmap);
      canvas.fillRect(FrameRect(previous), QColor(FFill));
    }
  } else {
    Start(image, n, transparent, window);
  }
  {
    QPainter canvas(&FBitmap);
    const TGIFFrame& frame = image.Frames(n);
    frame.Draw(canvas, FrameRect(frame), true);
  }
  FIndex = n;
  return FBitmap;
}

// A new picture: the fill colour chosen, then the frames before n that still show.
void TGIFComposer::Start(const TGIFImage& image, int n, bool transparent, QColor window) {
  FBitmap = QImage(image.ScreenWidth(), image.ScreenHeight(), QImage::Format_RGB32);
  const TColor current = image.Frames(std::max(image.FrameIndex(), 0)).TransparentColor();
  TColor fill = RgbToColor(window.rgb());
  if (current != clNone)
    fill = current;
  else if (image.BackgroundColor() != clNone && image.Transparent())
    fill = image.BackgroundColor();
  FFill = ColorToRgb(fill);
  FBitmap.fill(FFill);

  const int start = FirstFrameToDraw(image, n);
  QPainter canvas(&FBitmap);
  // The undefined disposals 4 to 7 leave the frame in place, as stepping on from it does.
  for (int i = start; i < n; ++i) {
    const TGIFFrame& frame = image.Frames(i);
    if (frame.Disposal() == 2) {
      if (i != start) canvas.fillRect(FrameRect(frame), QColor(FFill));
    } else if (frame.Disposal() != 3) {
      frame.Draw(canvas, FrameRect(frame), true);
    }
  }
  FTransparentColor = current != clNone && transparent ? current : clNone;
  FTransparent = transparent;
}

void TGIFComposer::Clear() {
  FBitmap = QImage();
  FIndex = -1;
  FTransparentColor = clNone;
}

QImage WithTransparentColor(const QImage& image, TColor color) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ColorToRgb(color) & RGB_MASK;
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((row[x] & RGB_MASK) == key) row[x] = 0;
  }
  return out;
}
