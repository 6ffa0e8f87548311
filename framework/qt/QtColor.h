#pragma once

#include <QColor>
#include <QRgb>

#include "Color.h"

// A framework colour as an opaque Qt colour. Only the low three bytes count, as they did
// when colours went to the drawing system, so clNone reaching the drawing paints white.
inline QColor ToQColor(TColor c) {
  return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

// The same as a pixel value, where a picture must tell clNone apart: having no Qt colour,
// it becomes a fully transparent black that no opaque pixel equals.
inline QRgb ColorToRgb(TColor c) {
  return c == clNone ? qRgba(0, 0, 0, 0) : ToQColor(c).rgb();
}

// A Qt pixel's colour, its alpha dropped.
inline TColor RgbToColor(QRgb rgb) {
  return RGBToColor(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb)));
}
