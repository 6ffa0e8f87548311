#pragma once

#include <string_view>

#include "RPBase.h"

class QPainter;

// The writer that draws on a device canvas at device pixels: the printer writer, and the
// replaying writers that draw a report stream on the printer or the preview's bitmap.
class TCanvasReport : public TBaseReport {
 public:
  using TBaseReport::TBaseReport;

 protected:
  void DrawTextCentered(std::string_view text, double x) override;
  void DrawTextLeft(std::string_view text, double x) override;
  void DrawTextRight(std::string_view text, double x) override;
  void DrawTextBlock(std::string_view text, double width, double x) override;

 private:
  // Draws text with its justify point (left end, middle or right end) at x (inches) on the current
  // line, with `extra` device pixels added to every blank, and moves the cursor along the text's
  // direction.
  void DrawAnchored(std::string_view text, double x, TPrintJustify anchor, double extra = 0);
  // The device row of the text's baseline for the font's vertical reference.
  double BaselineRow(int ascent, int descent) const;
  // Device pixels back to inches along x, the inverse of the writer's column mapping.
  double PixelsToInchesX(double pixels) const;
};
