#pragma once

#include <QColor>
#include <QImage>

#include "GIFTypes.h"

class TGIFImage;

// The picture an animation shows at a frame: every frame before it drawn over the screen
// by the disposal rules, then the frame itself. The last result is kept, so stepping to
// the next frame draws only that frame (unless the one before must restore what it
// covered).
class TGIFComposer {
 public:
  // The picture of frame `n` (limited to the last frame) of a non-empty image, the size of
  // its logical screen. `transparent`: the animator shows transparent colours
  // transparently. `window`: the system window colour, the fill when nothing else is.
  const QImage& Compose(const TGIFImage& image, int n, bool transparent, QColor window);
  void Clear();

  const QImage& Bitmap() const { return FBitmap; }
  // The frame the kept picture shows; -1 when none is kept.
  int Index() const { return FIndex; }
  // The colour that shows transparently in the kept picture; clNone when none.
  TColor TransparentColor() const { return FTransparentColor; }

 private:
  void Start(const TGIFImage& image, int n, bool transparent, QColor window);

  QImage FBitmap;
  int FIndex = -1;
  TColor FTransparentColor = clNone;
  // What a disposed frame's rectangle is filled with: the colour the picture began with.
  QRgb FFill = 0;
  // Whether FTransparentColor was asked for; a kept picture made the other way is not
  // reused as is.
  bool FTransparent = false;
};

// `image` with every pixel of `color` fully transparent (a copy), for drawing it so that
// those pixels leave the canvas unchanged.
QImage WithTransparentColor(const QImage& image, TColor color);
