#include "RPCanvas.h"

#include <QPainter>
#include <string>

#include "QtColor.h"

namespace {

bool IsBlank(char c) {
  return c == ' ';
}

// A word without blanks is spread letter by letter: a blank between every two letters.
std::string SpacedLetters(std::string_view text) {
  std::string spaced;
  for (size_t i = 0; i < text.size(); ++i) {
    spaced += text[i];
    if (i + 1 < text.size() && !IsBlank(text[i]) && !IsBlank(text[i + 1])) spaced += ' ';
  }
  return spaced;
}

}  // namespace

void TCanvasReport::DrawTextCentered(std::string_view text, double x) {
  DrawAnchored(text, x, pjCenter);
}

void TCanvasReport::DrawTextLeft(std::string_view text, double x) {
  DrawAnchored(text, x, pjLeft);
}

void TCanvasReport::DrawTextRight(std::string_view text, double x) {
  DrawAnchored(text, x, pjRight);
}

void TCanvasReport::DrawTextBlock(std::string_view text, double width, double x) {
  CheckPrinting();
  std::string spread(text);
  int gaps = InnerBlanks(spread);
  if (gaps == 0) {
    spread = SpacedLetters(text);
    gaps = std::max(1, InnerBlanks(spread));
  }
  const TRPCachedFont& font = RealiseFont();
  const double target = width * ScaleX() * Zoom() / 10000 * XDPI();
  const double extra = (target - font.Metrics.horizontalAdvance(ToQString(spread))) / gaps;
  // The leading blanks keep their width; from the first word on every blank takes its
  // share, so the words land where spreading puts them and an underline runs on.
  const size_t lead = std::min(spread.find_first_not_of(' '), spread.size());
  if (lead > 0) DrawAnchored(std::string_view(spread).substr(0, lead), x, pjLeft);
  DrawAnchored(std::string_view(spread).substr(lead), lead > 0 ? FXPos : x, pjLeft, extra);
  FXPos = x + width;
}

double TCanvasReport::PixelsToInchesX(double pixels) const {
  return pixels * 10000 / (XDPI() * ScaleX() * Zoom());
}

double TCanvasReport::BaselineRow(int ascent, int descent) const {
  const TRPFontRecord& f = Font();
  if (f.Superscript) {
    // The text's top halfway between the line's top and its middle.
    const double top = (UnitsToInches(LineTop()) + UnitsToInches(LineMiddle())) / 2;
    return YI2D(top) + ascent;
  }
  if (f.Subscript) return YI2D(UnitsToInches(LineBottom())) + 1 - descent;
  switch (f.Align) {
    case faTop:
      return YI2D(UnitsToInches(LineMiddle()) - FLeading) + ascent;
    case faBottom:
      return YI2D(UnitsToInches(LineBottom())) + 1 - descent;
    default:
      return YI2D(FYPos) + 1;
  }
}

void TCanvasReport::DrawAnchored(std::string_view text, double x, TPrintJustify anchor,
                                 double extra) {
  CheckPrinting();
  const TRPCachedFont& font = RealiseFont();
  QFont qfont = font.Font;
  if (extra != 0) qfont.setWordSpacing(extra);
  const QString qtext = ToQString(text);
  const double width = extra == 0 ? font.Metrics.horizontalAdvance(qtext)
                                  : QFontMetricsF(qfont, MetricDevice()).horizontalAdvance(qtext);
  const double shift = anchor == pjCenter ? width / 2 : anchor == pjRight ? width : 0;

  if (OutputAllowed())
    if (QPainter* p = Canvas()) {
      p->save();
      p->setFont(qfont);
      p->setPen(ToQColor(TextColor()));
      p->setBackgroundMode(TextBKMode() == bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
      p->setBackground(ToQColor(FBackColor));
      p->translate(XI2D(x), BaselineRow(font.Ascent, font.Descent));
      p->rotate(-Font().Rotation);
      p->drawText(QPointF(-shift, 0), qtext);
      p->restore();
    }

  MoveAlongText(x, PixelsToInchesX(width), anchor);
}
