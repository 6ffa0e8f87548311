#include "ImageWriter.h"

#include <cmath>

TImageWriter::TImageWriter(int dpi, double paperWidth, double paperHeight, double strip)
    : FMetricImage(8, 8, QImage::Format_RGB32) {
  const int margin = int(std::lround(strip * dpi));
  FMetrics.LogPixelsX = FMetrics.LogPixelsY = dpi;
  FMetrics.PhysicalWidth = int(std::lround(paperWidth * dpi));
  FMetrics.PhysicalHeight = int(std::lround(paperHeight * dpi));
  FMetrics.PhysicalOffsetX = FMetrics.PhysicalOffsetY = margin;
  FMetrics.HorzRes = FMetrics.PhysicalWidth - 2 * margin;
  FMetrics.VertRes = FMetrics.PhysicalHeight - 2 * margin;
  const int dotsPerMeter = int(std::lround(dpi / 0.0254));
  FMetricImage.setDotsPerMeterX(dotsPerMeter);
  FMetricImage.setDotsPerMeterY(dotsPerMeter);
}

TImageWriter::~TImageWriter() {
  ClosePage();
}

std::vector<std::string> TImageWriter::Texts() const {
  std::vector<std::string> texts;
  for (const TDrawn& d : Drawn) texts.push_back(d.Text);
  return texts;
}

bool TImageWriter::ReadDeviceMetrics(TDeviceMetrics& metrics) {
  metrics = FMetrics;
  return true;
}

void TImageWriter::ClosePage() {
  if (!FPainter) return;
  FPainter->end();
  FPainter.reset();
}

void TImageWriter::DeviceNewPage(bool open) {
  ClosePage();
  DeviceCalls.push_back(open ? "page" : "skip");
  if (!open) return;
  Pages.emplace_back(FMetrics.HorzRes, FMetrics.VertRes, QImage::Format_RGB32);
  Pages.back().fill(Qt::white);
  Pages.back().setDotsPerMeterX(FMetricImage.dotsPerMeterX());
  Pages.back().setDotsPerMeterY(FMetricImage.dotsPerMeterY());
  FPainter = std::make_unique<QPainter>(&Pages.back());
}

void TImageWriter::DeviceEndDoc(bool aborted) {
  ClosePage();
  DeviceCalls.push_back(aborted ? "abort" : "end");
}

void TImageWriter::Draw(char kind, std::string_view text, double x, double left) {
  Drawn.push_back({kind, std::string(text), x, FYPos, CurrentPage()});
  if (!FPainter) return;
  const TRPCachedFont& font = RealiseFont();
  FPainter->setFont(font.Font);
  FPainter->setPen(Qt::black);
  FPainter->drawText(QPointF(XI2D(left), YI2D(FYPos)), ToQString(text));
}

void TImageWriter::DrawTextLeft(std::string_view text, double x) {
  CheckPrinting();
  const double width = UnitsToInches(TextWidth(text));
  if (OutputAllowed()) Draw('L', text, x, x);
  FXPos = x + width;
}

void TImageWriter::DrawTextCentered(std::string_view text, double x) {
  CheckPrinting();
  const double width = UnitsToInches(TextWidth(text));
  if (OutputAllowed()) Draw('C', text, x, x - width / 2);
  FXPos = x + width / 2;
}

void TImageWriter::DrawTextRight(std::string_view text, double x) {
  CheckPrinting();
  const double width = UnitsToInches(TextWidth(text));
  if (OutputAllowed()) Draw('R', text, x, x - width);
  FXPos = x;
}

void TImageWriter::DrawTextBlock(std::string_view text, double width, double x) {
  CheckPrinting();
  if (OutputAllowed()) Draw('B', text, x, x);
  FXPos = x + width;
}
