#pragma once

#include <cstdint>

// A colour as the framework keeps it and as report streams store it: red in the low byte,
// then green, then blue (0x00BBGGRR).
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clPurple = 0x800080;
constexpr TColor clBlue = 0xFF0000;
// The absence of a colour.
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor RGBToColor(uint8_t r, uint8_t g, uint8_t b) {
  return TColor(r) | TColor(g) << 8 | TColor(b) << 16;
}
constexpr uint8_t ColorRed(TColor c) {
  return uint8_t(c);
}
constexpr uint8_t ColorGreen(TColor c) {
  return uint8_t(c >> 8);
}
constexpr uint8_t ColorBlue(TColor c) {
  return uint8_t(c >> 16);
}
