#pragma once

#include "RPDefine.h"

// A print area described relative to the page, the margins or the current line, with a
// minimum height that makes a shell start a new page. Copied by assignment.
class TReportSection {
 public:
  double Left() const { return FLeft; }
  void SetLeft(double value);
  double Right() const { return FRight; }
  void SetRight(double value);
  double Top() const { return FTop; }
  void SetTop(double value);
  double Bottom() const { return FBottom; }
  void SetBottom(double value);
  double MinHeight() const { return FMinHeight; }
  void SetMinHeight(double value) { FMinHeight = value < 0 ? 0 : value; }
  TDistMethod LeftMethod() const { return FLeftMethod; }
  // dmSpecial has no meaning on the left edge and is refused.
  void SetLeftMethod(TDistMethod value);
  TDistMethod RightMethod() const { return FRightMethod; }
  void SetRightMethod(TDistMethod value);
  TDistMethod TopMethod() const { return FTopMethod; }
  void SetTopMethod(TDistMethod value);
  TDistMethod BottomMethod() const { return FBottomMethod; }
  void SetBottomMethod(TDistMethod value);
  THeightMethod HeightMethod() const { return FHeightMethod; }
  void SetHeightMethod(THeightMethod value) { FHeightMethod = value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  int TabIndex() const { return FTabIndex; }
  void SetTabIndex(int value);  // 0..10
  int FontIndex() const { return FFontIndex; }
  void SetFontIndex(int value);  // 0..10
  // Not published: skips the minimum-height check.
  bool NoMinHeightCheck = false;

 private:
  double FLeft = 0, FRight = 0, FTop = 0, FBottom = 0, FMinHeight = 0;
  TDistMethod FLeftMethod = dmMargin;
  TDistMethod FRightMethod = dmMargin;
  TDistMethod FTopMethod = dmSpecial;
  TDistMethod FBottomMethod = dmMargin;
  THeightMethod FHeightMethod = hmLines;
  bool FEnabled = true;
  int FTabIndex = 0;
  int FFontIndex = 0;
};
