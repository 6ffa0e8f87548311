#include "RPSect.h"

namespace {

// Distances from the page edge cannot be negative; a width or height (dmSpecial on the
// right and bottom) neither.
double Kept(double value, bool nonNegative) {
  return nonNegative && value < 0 ? 0 : value;
}

}  // namespace

void TReportSection::SetLeft(double value) {
  FLeft = Kept(value, FLeftMethod == dmPage);
}

void TReportSection::SetRight(double value) {
  FRight = Kept(value, FRightMethod != dmMargin);
}

void TReportSection::SetTop(double value) {
  FTop = Kept(value, FTopMethod == dmPage);
}

void TReportSection::SetBottom(double value) {
  FBottom = Kept(value, FBottomMethod != dmMargin);
}

void TReportSection::SetLeftMethod(TDistMethod value) {
  if (value == dmSpecial) return;
  FLeftMethod = value;
  SetLeft(FLeft);
}

void TReportSection::SetRightMethod(TDistMethod value) {
  FRightMethod = value;
  SetRight(FRight);
}

void TReportSection::SetTopMethod(TDistMethod value) {
  FTopMethod = value;
  SetTop(FTop);
}

void TReportSection::SetBottomMethod(TDistMethod value) {
  FBottomMethod = value;
  SetBottom(FBottom);
}

void TReportSection::SetTabIndex(int value) {
  if (value >= 0 && value <= 10) FTabIndex = value;
}

void TReportSection::SetFontIndex(int value) {
  if (value >= 0 && value <= 10) FFontIndex = value;
}
