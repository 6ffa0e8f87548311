#include <algorithm>
#include <cmath>

#include "RPBase.h"

// ---- Font ----

void TBaseReport::NotifyFont() {
  if (FFontNotifySuspended == 0 && FFontHooked) FontChanged();
}

void TBaseReport::SetFont(const std::string& name, double size) {
  if (size <= 0) return;
  ++FFontNotifySuspended;
  SetFontName(name);
  FFont.Color = clBlack;
  FFont.Pitch = fpDefault;
  FFont.Charset = 1;
  FFont.Size = size;
  FFont.Bold = FFont.Underline = FFont.Italic = FFont.StrikeOut = false;
  FFont.Superscript = FFont.Subscript = false;
  FFont.Rotation = 0;
  FFont.Width = 0;
  FFont.Align = faBaseline;
  --FFontNotifySuspended;
  NotifyFont();
}

void TBaseReport::SetBold(bool value) {
  FFont.Bold = value;
  NotifyFont();
}
void TBaseReport::SetItalic(bool value) {
  FFont.Italic = value;
  NotifyFont();
}
void TBaseReport::SetUnderline(bool value) {
  FFont.Underline = value;
  NotifyFont();
}
void TBaseReport::SetStrikeOut(bool value) {
  FFont.StrikeOut = value;
  NotifyFont();
}

void TBaseReport::SetSuperscript(bool value) {
  FFont.Superscript = value;
  if (value) FFont.Subscript = false;
  NotifyFont();
}

void TBaseReport::SetSubscript(bool value) {
  FFont.Subscript = value;
  if (value) FFont.Superscript = false;
  NotifyFont();
}

void TBaseReport::SetFontRotation(int degrees) {
  FFont.Rotation = ((degrees % 360) + 360) % 360;
  NotifyFont();
}

void TBaseReport::SetFontColor(TColor value) {
  FFont.Color = value;
  NotifyFont();
}

void TBaseReport::SetFontName(const std::string& value) {
  FFont.Name = value.substr(0, 60);
  NotifyFont();
}

void TBaseReport::SetFontSize(double points) {
  if (points <= 0) return;
  FFont.Size = points;
  NotifyFont();
}

void TBaseReport::SetFontHeight(double value) {
  FFont.Size = std::max(UnitsToInches(value), 1.0 / FYDPI) * 72.0;
  NotifyFont();
}

void TBaseReport::SetFontWidth(double value) {
  FFont.Width = std::max(0.0, UnitsToInches(value));
  NotifyFont();
}

void TBaseReport::SetFontPitch(int value) {
  FFont.Pitch = value;
  NotifyFont();
}
void TBaseReport::SetFontCharset(int value) {
  FFont.Charset = value;
  NotifyFont();
}
void TBaseReport::SetFontAlign(int value) {
  FFont.Align = value;
  NotifyFont();
}

void TBaseReport::SaveFont(int slot) {
  if (slot >= 1 && slot <= 10) FFontSlots[size_t(slot - 1)] = FFont;
}

void TBaseReport::RestoreFont(int slot) {
  if (slot < 1 || slot > 10) return;
  FFont = FFontSlots[size_t(slot - 1)];
  NotifyFont();
}

void TBaseReport::PushFont() {
  FFontStack.push_back(FFont);
}

void TBaseReport::PopFont() {
  if (FFontStack.empty()) return;
  FFont = FFontStack.back();
  FFontStack.pop_back();
  NotifyFont();
}

const TRPCachedFont& TBaseReport::RealiseFont() {
  const bool small = FFont.Superscript || FFont.Subscript;
  const double sizeInches = FFont.Size / 72.0 * FScaleY / 100 / (small ? 1.667 : 1.0);
  TRPFontKey key;
  key.Name = FFont.Name;
  key.Pitch = FFont.Pitch;
  key.PixelHeight = std::max(1, RoundHalfEven(FZoom / 100 * FYDPI * sizeInches));
  key.PixelWidth = RoundHalfEven(FXDPI * FFont.Width * FZoom / 100);
  key.Bold = FFont.Bold;
  key.Italic = FFont.Italic;
  key.Underline = FFont.Underline;
  key.StrikeOut = FFont.StrikeOut;
  key.Superscript = FFont.Superscript;
  key.Subscript = FFont.Subscript;
  key.Rotation = FFont.Rotation;
  key.Charset = FFont.Charset;
  key.Device = MetricDevice();
  const TRPCachedFont& font = FFontCache.Realise(key);
  const double toInches = 10000.0 / (FYDPI * FScaleY * FZoom) / (small ? 2 : 1);
  FAscent = font.Ascent * toInches;
  FDescent = font.Descent * toInches;
  FLeading = font.InternalLeading * toInches;
  return font;
}

// ---- Text ----

double TBaseReport::TextWidth(std::string_view text) {
  CheckPrinting();
  const TRPCachedFont& font = RealiseFont();
  int pixels = text.empty() ? 0 : int(std::lround(font.Metrics.horizontalAdvance(ToQString(text))));
  if (pixels == 0) pixels = 1;
  return pixels * FScaleX / (FXDPI * 100.0) * FUnitsFactor;
}

int TBaseReport::TextWidthPixels(std::string_view text) {
  const TRPCachedFont& font = RealiseFont();
  const int step = std::max(1, RoundHalfEven(TabInterval() * FXDPI));
  int width = 0;
  size_t start = 0;
  while (true) {
    const size_t tab = text.find('\t', start);
    const std::string_view piece =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (!piece.empty()) width += int(std::lround(font.Metrics.horizontalAdvance(ToQString(piece))));
    if (tab == std::string_view::npos) return width;
    width = (width / step + 1) * step;
    start = tab + 1;
  }
}

void TBaseReport::PrintJustified(std::string_view text, int justify, double width, double margin,
                                 double x) {
  switch (justify) {
    case pjCenter:
      DrawTextCentered(text, x + width / 2);
      return;
    case pjRight:
      DrawTextRight(text, x + width - margin);
      return;
    case pjBlock:
      DrawTextBlock(text, width - 2 * margin, x + margin);
      return;
    default:
      break;
  }
  const double t = TabInterval();
  double pos = x + margin;
  size_t start = 0;
  while (true) {
    const size_t tab = text.find('\t', start);
    const std::string_view piece =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (piece.empty()) {
      CheckPrinting();
      FXPos = pos;
    } else {
      DrawTextLeft(piece, pos);
      pos = FXPos;
    }
    if (tab == std::string_view::npos) return;
    pos = x + t * (std::trunc((pos - x + 0.001) / t) + 1);
    start = tab + 1;
  }
}

void TBaseReport::PrintCentered(std::string_view text, double x) {
  PrintJustified(text, pjCenter, 0, 0, UnitsToInches(x));
}

void TBaseReport::PrintLeft(std::string_view text, double x) {
  PrintJustified(text, pjLeft, 0, 0, UnitsToInches(x));
}

void TBaseReport::PrintRight(std::string_view text, double x) {
  PrintJustified(text, pjRight, 0, 0, UnitsToInches(x));
}

void TBaseReport::PrintBlock(std::string_view text, double x, double width) {
  PrintJustified(text, pjBlock, UnitsToInches(width), 0, UnitsToInches(x));
}

void TBaseReport::PrintAtCursor(std::string_view text) {
  if (FTabIndex >= 0 && FTabIndex < TabCount() && Tabs()[size_t(FTabIndex)].Width > 0) {
    const TTabStop& tab = Tabs()[size_t(FTabIndex)];
    PrintJustified(text, tab.Justify, tab.Width, tab.Margin, tab.Pos);
  } else {
    PrintJustified(text, pjLeft, 0, 0, FXPos);
  }
}

void TBaseReport::PrintWithTabs(std::string_view text) {
  size_t start = 0;
  while (true) {
    const size_t tab = text.find('\t', start);
    const std::string_view piece =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (!piece.empty()) PrintAtCursor(piece);
    if (tab == std::string_view::npos) return;
    Tab();
    start = tab + 1;
  }
}

void TBaseReport::PrintMemo(TBaseMemoBuf& memo, int lines, bool tabbed) {
  CheckPrinting();
  memo.BaseReport = this;
  memo.PrintLines(lines, tabbed);
}

// ---- Tabs ----

void TBaseReport::SetTabSet(std::shared_ptr<TTabSet> set) {
  FTabs = set ? std::move(set) : std::make_shared<TTabSet>();
}

// Slots and stacks share a set until one side changes it.
TTabSet& TBaseReport::MutableTabs() {
  if (FTabs.use_count() > 1) FTabs = std::make_shared<TTabSet>(*FTabs);
  return *FTabs;
}

void TBaseReport::SetTab(double x, int justify, double width, double margin, int lines, int shade) {
  TTabStop tab;
  tab.Pos = UnitsToInches(x);
  tab.Justify = justify;
  tab.Width = std::max(0.0, UnitsToInches(width));
  tab.Margin = std::max(0.0, UnitsToInches(margin));
  tab.Lines = lines;
  tab.Shade = std::clamp(shade, 0, 100);
  MutableTabs().push_back(tab);
}

void TBaseReport::ClearTabs() {
  SetTabSet(nullptr);
  ResetTabs();
}

void TBaseReport::SaveTabs(int slot) {
  if (slot >= 1 && slot <= 10) FTabSlots[size_t(slot - 1)] = FTabs;
}

void TBaseReport::RestoreTabs(int slot) {
  if (slot < 1 || slot > 10) return;
  SetTabSet(FTabSlots[size_t(slot - 1)]);
  ResetTabs();
}

void TBaseReport::PushTabs() {
  FTabStack.push_back(FTabs);
}

void TBaseReport::PopTabs() {
  if (FTabStack.empty()) return;
  SetTabSet(FTabStack.back());
  FTabStack.pop_back();
}

void TBaseReport::Tab(int leftWidth, int rightWidth, int topWidth, int bottomWidth,
                      int shadeOverride) {
  CheckPrinting();
  if (FTabIndex + 1 >= TabCount()) {
    // No stop left: move on by the tab interval, as tab characters do.
    const double t = TabInterval();
    const double start = LineStartI();
    FXPos = start + t * (std::trunc((FXPos - start + 0.001) / t) + 1);
    return;
  }
  const TTabStop& tab = Tabs()[size_t(++FTabIndex)];
  FXPos = tab.Pos;
  if (tab.Width <= 0) return;
  const auto width = [](int given, int side, int lines) {
    return given >= 0 ? given : (lines & side ? 1 : 0);
  };
  DrawTabBox(tab, width(leftWidth, blLeft, tab.Lines), width(rightWidth, blRight, tab.Lines),
             width(topWidth, blTop, tab.Lines), width(bottomWidth, blBottom, tab.Lines),
             shadeOverride >= 0 ? shadeOverride : (tab.Shade > 0 ? tab.Shade : FTabShade));
}

void TBaseReport::DrawTabBox(const TTabStop& tab, int left, int right, int top, int bottom,
                             int shade) {
  const double x1 = InchesToUnits(tab.Pos), x2 = InchesToUnits(tab.Pos + tab.Width);
  const double y1 = LineTop(), y2 = LineBottom();
  const TRPPen pen = FPen;
  const TRPBrush brush = FBrush;
  if (shade > 0) {
    const int level = 255 * (100 - std::clamp(shade, 0, 100)) / 100;
    const TColor grey = RGBToColor(uint8_t(level), uint8_t(level), uint8_t(level));
    SetPen({grey, Qt::NoPen, pen.Mode, 0});
    SetBrush({grey, Qt::SolidPattern, QImage()});
    TabRectangle(x1, y1, x2, y2);
  }
  const auto side = [&](int width, double ax, double ay, double bx, double by) {
    if (width <= 0) return;
    SetPen({pen.Color, Qt::SolidLine, pen.Mode, width});
    MoveTo(ax, ay);
    LineTo(bx, by);
  };
  side(left, x1, y1, x1, y2);
  side(right, x2, y1, x2, y2);
  side(top, x1, y1, x2, y1);
  side(bottom, x1, y2, x2, y2);
  SetPen(pen);
  SetBrush(brush);
  FXPos = tab.Pos;
}

void TBaseReport::MoveAlongText(double x, double width, TPrintJustify justify) {
  const double advance = justify == pjLeft ? width : justify == pjCenter ? width / 2 : 0;
  const double angle = FFont.Rotation * M_PI / 180;
  FXPos = x + std::cos(angle) * advance;
  FYPos -= std::sin(angle) * advance;
}

void TBaseReport::PrintTab(std::string_view text) {
  Tab();
  if (FTabIndex < 0 || FTabIndex >= TabCount() || Tabs()[size_t(FTabIndex)].Width <= 0) {
    PrintAtCursor(text);
    return;
  }
  const TTabStop& tab = Tabs()[size_t(FTabIndex)];
  const double room = InchesToUnits(tab.Width - 2 * tab.Margin);
  std::string_view cut = text;
  while (!cut.empty() && TextWidth(cut) > room) cut.remove_suffix(1);
  PrintAtCursor(cut);
}
