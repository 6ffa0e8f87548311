#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// Pictures for the skin tests: every pixel tells where it came from.
namespace SkinTestImages {

inline QImage Solid(int width, int height, QColor color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

// Pixel (x, y) is (x * 16 + 1, y * 4 + 2, 77): distinct for the sizes the tests use.
inline QImage Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 16 + 1, y * 4 + 2, 77));
  return image;
}

inline QRgb PatternPixel(int x, int y) {
  return qRgb(x * 16 + 1, y * 4 + 2, 77);
}

// What the widget shows, rendered as it would be on screen.
inline QImage Shot(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace SkinTestImages
