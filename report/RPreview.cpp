#include "RPreview.h"

#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <utility>

#include "Finally.h"
#include "QtColor.h"

namespace {

constexpr int kStrip = 20;  // ruler strip, pixels
const QColor kStripColour(255, 255, 128);
const QColor kCornerColour(192, 192, 192);

bool HasLeftStrip(TRulerType t) {
  return t == rtVertCm || t == rtBothCm || t == rtVertIn || t == rtBothIn;
}

bool HasTopStrip(TRulerType t) {
  return t == rtHorizCm || t == rtBothCm || t == rtHorizIn || t == rtBothIn;
}

bool Inches(TRulerType t) {
  return t == rtHorizIn || t == rtVertIn || t == rtBothIn;
}

// One ruler tick: its length and, at whole units, the number it carries (0: none).
struct TTick {
  int Length;
  int Number;
};

// Centimetre rulers tick every millimetre, inch rulers every eighth of an inch.
TTick TickAt(int i, bool inches) {
  if (inches) {
    if (i % 8 == 0) return {18, i / 8};
    if (i % 4 == 0) return {15, 0};
    if (i % 2 == 0) return {10, 0};
    return {5, 0};
  }
  if (i % 10 == 0) return {18, i / 10};
  if (i % 5 == 0) return {15, 0};
  return {5, 0};
}

}  // namespace

TFilePreview::TFilePreview(QObject* owner) : TFilePrinter(owner) {}

TFilePreview::~TFilePreview() = default;

void TFilePreview::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, "", ToQString(text), QMessageBox::Ok);
  box.exec();
}

void TFilePreview::SetMonochrome(bool value) {
  if (value && FShadowDepth > 0) {
    ShowMessage(SMonochromeRefused);
    return;
  }
  FMonochrome = value;
}

void TFilePreview::SetShadowDepth(int value) {
  if (value > 0 && FMonochrome) {
    ShowMessage(SShadowsRefused);
    return;
  }
  FShadowDepth = value;
}

// ---- Geometry ----

int TFilePreview::LeftStrip() const {
  return HasLeftStrip(FRulerType) ? kStrip : 0;
}

int TFilePreview::TopStrip() const {
  return HasTopStrip(FRulerType) ? kStrip : 0;
}

double TFilePreview::PageWidthInches() const {
  if (FPage.Width > 0) return FPage.Width;
  return FHeader.PageWidth > 0 ? FHeader.PageWidth : 8.5;
}

double TFilePreview::PageHeightInches() const {
  if (FPage.Height > 0) return FPage.Height;
  return FHeader.PageHeight > 0 ? FHeader.PageHeight : 11;
}

int TFilePreview::ScreenDpiX() const {
  return FScrollBox ? FScrollBox->logicalDpiX() : 96;
}

int TFilePreview::ScreenDpiY() const {
  return FScrollBox ? FScrollBox->logicalDpiY() : 96;
}

int TFilePreview::Margin() const {
  const int m = int(std::lround(ScreenDpiX() * PageWidthInches() * FMarginPercent / 100));
  return FMarginMethod == mmScaled ? int(std::lround(m * FZoomFactor / 100)) : m;
}

void TFilePreview::MeasureScrollBox() {
  if (!FScrollBox) return;
  const int extent =
      FScrollBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FScrollBox);
  FScrollBarWidth = extent;
  FScrollBarHeight = extent;
  FBorderWidth = FBorderHeight = 2 * FScrollBox->frameWidth();
}

// ---- Zoom ----

void TFilePreview::SetZoomFactor(double value) {
  // A NaN would pass the limits below and leave no page to draw.
  if (!std::isfinite(value)) return;
  if (value <= -1.9)
    value = ZoomPageWidth();
  else if (value < 0)
    value = ZoomWholePage();
  FZoomFactor = std::clamp(value, 10.0, 200.0);
  if (OnZoomChange)
    OnZoomChange(this);
  else if (FPrinting)
    Redraw();
}

double TFilePreview::ZoomPageWidth() {
  if (!FScrollBox) return FZoomFactor;
  MeasureScrollBox();
  const double p = ScreenDpiX() * PageWidthInches();
  const double mp = FMarginPercent;
  const auto fit = [&](double w) {
    return FMarginMethod == mmFixed ? (w - (FBorderWidth + 2 * std::lround(p * mp / 100))) / p
                                    : (w - FBorderWidth) / (p * (mp / 50 + 1));
  };
  const double w = FScrollBox->width() - FShadowDepth - LeftStrip();
  double z = fit(w);
  const double fixedMargin = double(std::lround(p * mp / 100));
  const double margin = FMarginMethod == mmFixed ? fixedMargin : fixedMargin * z;
  const double free = FScrollBox->height() - FShadowDepth - TopStrip() - FBorderHeight;
  if (free < z * ScreenDpiY() * PageHeightInches() + 2 * margin) z = fit(w - FScrollBarWidth);
  return z * 100;
}

double TFilePreview::ZoomWholePage() {
  if (!FScrollBox) return FZoomFactor;
  MeasureScrollBox();
  const double a = FScrollBox->width() - FShadowDepth - LeftStrip() - 4;
  const double b = FScrollBox->height() - FShadowDepth - TopStrip() - 4;
  const double p = ScreenDpiX() * PageWidthInches();
  const double q = ScreenDpiY() * PageHeightInches();
  const double mp = FMarginPercent;
  double z;
  if (FMarginMethod == mmFixed) {
    const double f = 2.0 * std::lround(p * mp / 100);
    z = std::min((a - f) / p, (b - f) / q);
  } else {
    z = std::min(a / (p * (mp / 50 + 1)), b / (q + p * mp / 50));
  }
  return z * 100;
}

// ---- Running ----

void TFilePreview::Start() {
  if (FPrinting) return;
  if (!FScrollBox) throw Exception("ScrollBox must be assigned for FilePreview component");
  FStartTime = QDateTime::currentSecsSinceEpoch();
  if (OnZoomChange) OnZoomChange(this);
  MeasureScrollBox();
  // The image control replaces whatever the scroll box showed before.
  auto* sheet = new QWidget;
  FImage = new QLabel(sheet);
  FImage->move(0, 0);
  FScrollBox->setWidget(sheet);
  FScrollBox->setWidgetResizable(false);
  SetResolution(ScreenDpiX(), ScreenDpiY());
  FMetricImage = QImage(8, 8, QImage::Format_RGB32);
  FMetricImage.setDotsPerMeterX(int(std::lround(XDPI() / 0.0254)));
  FMetricImage.setDotsPerMeterY(int(std::lround(YDPI() / 0.0254)));
  if (!OpenInput()) return;
  try {
    ReadHeader();
    BeginJob();
    SetZoom(FZoomFactor);
    OpenJob();
  } catch (...) {
    CloseInput();
    throw;
  }
  FCurrentPage = 0;
  ShowPage(1);
}

void TFilePreview::Finish() {
  if (FDrawing) {
    FFinishPending = true;
    return;
  }
  FPainter.reset();
  FBitmap = QImage();
  CloseInput();
  if (FPrinting) CloseJob();
}

void TFilePreview::NextPage() {
  if (FPrinting && FCurrentPage < PageCount()) ShowPage(FCurrentPage + FPageInc);
}

void TFilePreview::PrevPage() {
  if (FPrinting && FCurrentPage > 1) ShowPage(FCurrentPage - FPageInc);
}

void TFilePreview::ShowPage(int n) {
  if (!FPrinting) return;
  if (FDrawing) {
    FPendingPage = n;
    return;
  }
  FDrawing = true;
  TFinally drawn([this] {
    FDrawing = false;
    FPendingPage = 0;
    if (std::exchange(FFinishPending, false)) Finish();
  });
  DrawPage(n);
  while (FPendingPage > 0 && !FFinishPending) DrawPage(std::exchange(FPendingPage, 0));
}

void TFilePreview::DrawPage(int n) {
  if (FMonochrome) FShadowDepth = 0;
  // A step past either end shows the end page.
  n = std::clamp(n, 1, std::max(1, FHeader.PageCount));
  const int left = LeftStrip();
  const int top = TopStrip();
  SetDevOffset(left, top);
  SetZoom(FZoomFactor);
  TWaitCursor wait;
  GotoPage(n);
  if (OnPageChange) OnPageChange(this);
  QScrollBar* hbar = FScrollBox ? FScrollBox->horizontalScrollBar() : nullptr;
  QScrollBar* vbar = FScrollBox ? FScrollBox->verticalScrollBar() : nullptr;
  const int hpos = hbar ? hbar->value() : 0;
  const int vpos = vbar ? vbar->value() : 0;
  if (hbar) hbar->setValue(0);
  if (vbar) vbar->setValue(0);

  const int m = Margin();
  const int pw = int(std::lround(XDPI() * PageWidthInches() * FZoomFactor / 100));
  const int ph = int(std::lround(YDPI() * PageHeightInches() * FZoomFactor / 100));
  const int width = pw + FShadowDepth + left;
  const int height = ph + FShadowDepth + top;
  FPainter.reset();
  // A page of the last one's size is drawn over its pixels: mapping a large zoom's bitmap
  // afresh for every page costs more than drawing it. The image control shares those
  // pixels, so it lets go of them first.
  if (FImage) FImage->clear();
  const QSize size(std::max(1, width), std::max(1, height));
  if (FBitmap.size() != size || FBitmap.format() != QImage::Format_RGB32)
    FBitmap = QImage(size, QImage::Format_RGB32);
  FBitmap.setDotsPerMeterX(FMetricImage.dotsPerMeterX());
  FBitmap.setDotsPerMeterY(FMetricImage.dotsPerMeterY());
  FBitmap.fill(Qt::white);
  FPainter = std::make_unique<QPainter>(&FBitmap);
  PaintFrame(*FPainter, pw, ph);
  PaintRulers(*FPainter, width, height);
  PaintGrid(*FPainter, pw, ph);
  FSkipPage = false;
  try {
    PlayPage(n);
  } catch (...) {
    FPainter.reset();
    ReleaseFonts();
    throw;
  }
  FPainter.reset();
  // A preview stays open while the user reads; the next page makes its own fonts.
  ReleaseFonts();
  if (FMonochrome) FBitmap = FBitmap.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);

  if (FImage) {
    FImage->setPixmap(QPixmap::fromImage(FBitmap));
    FImage->setGeometry(m, m, FBitmap.width(), FBitmap.height());
    if (QWidget* sheet = FImage->parentWidget())
      sheet->resize(FBitmap.width() + 2 * m, FBitmap.height() + 2 * m);
  }
  if (hbar) hbar->setValue(hpos);
  if (vbar) vbar->setValue(vpos);
}

// ---- Painting ----

void TFilePreview::PaintFrame(QPainter& p, int pw, int ph) {
  const int left = LeftStrip();
  const int top = TopStrip();
  const int s = FShadowDepth;
  if (s > 0) {
    p.fillRect(left + pw, top + s, s, ph, Qt::black);
    p.fillRect(left + s, top + ph, pw, s, Qt::black);
  }
  if (left > 0 && top > 0) p.fillRect(0, 0, left, top, kCornerColour);
  p.setPen(Qt::black);
  p.setBrush(kStripColour);
  if (top > 0) p.drawRect(left, 0, pw + s - 1, top - 1);
  if (left > 0) p.drawRect(0, top, left - 1, ph + s - 1);
  // The bitmap starts white: the page needs only its frame, and filling it again would
  // double the cost of a large zoom.
  p.setBrush(Qt::NoBrush);
  p.drawRect(left, top, pw - 1, ph - 1);
}

void TFilePreview::PaintRulers(QPainter& p, int width, int height) {
  const int left = LeftStrip();
  const int top = TopStrip();
  if (left == 0 && top == 0) return;
  const bool inches = Inches(FRulerType);
  const double step = inches ? 1.0 / 8 : 1.0 / 25.4;  // inches between ticks
  QFont font("Arial");
  font.setPixelSize(std::max(1, int(std::lround(7.0 * YDPI() / 72))));
  p.setFont(font);
  p.setPen(Qt::black);
  p.setBackgroundMode(Qt::TransparentMode);
  const QFontMetrics metrics(font, &FBitmap);
  const double zoom = FZoomFactor / 100;
  if (top > 0) {
    for (int i = 1;; ++i) {
      const int x = left + int(std::lround(i * step * XDPI() * zoom));
      if (x >= width - FShadowDepth) break;
      const TTick tick = TickAt(i, inches);
      p.drawLine(x, top - 1, x, top - tick.Length);
      if (tick.Number > 0) {
        const QString number = QString::number(tick.Number);
        p.drawText(x - 1 - metrics.horizontalAdvance(number),
                   top - tick.Length + metrics.ascent() - 1, number);
      }
    }
  }
  if (left > 0) {
    for (int i = 1;; ++i) {
      const int y = top + int(std::lround(i * step * YDPI() * zoom));
      if (y >= height - FShadowDepth) break;
      const TTick tick = TickAt(i, inches);
      p.drawLine(left - 1, y, left - tick.Length, y);
      if (tick.Number > 0) p.drawText(2, y - 1 - metrics.descent(), QString::number(tick.Number));
    }
  }
}

void TFilePreview::PaintGrid(QPainter& p, int pw, int ph) {
  const int left = LeftStrip();
  const int top = TopStrip();
  QPen pen(ToQColor(FGridPen.Color), FGridPen.Width, FGridPen.Style);
  p.setPen(pen);
  const double zoom = FZoomFactor / 100;
  if (FGridHoriz > 0) {
    const double every = FGridHoriz * YDPI() * zoom;
    for (double y = every; y < ph && every >= 1; y += every)
      p.drawLine(left, top + int(std::lround(y)), left + pw - 1, top + int(std::lround(y)));
  }
  if (FGridVert > 0) {
    const double every = FGridVert * XDPI() * zoom;
    for (double x = every; x < pw && every >= 1; x += every)
      p.drawLine(left + int(std::lround(x)), top, left + int(std::lround(x)), top + ph - 1);
  }
}
