#include "ImagePages.h"

#include <cmath>

TImagePages::TImagePages(int dpi, double paperWidth, double paperHeight, double strip)
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

TImagePages::~TImagePages() {
  CloseImagePage();
}

void TImagePages::CloseImagePage() {
  if (!FPainter) return;
  FPainter->end();
  FPainter.reset();
}

void TImagePages::OpenImagePage() {
  CloseImagePage();
  Pages.emplace_back(FMetrics.HorzRes, FMetrics.VertRes, QImage::Format_RGB32);
  Pages.back().fill(Qt::white);
  Pages.back().setDotsPerMeterX(FMetricImage.dotsPerMeterX());
  Pages.back().setDotsPerMeterY(FMetricImage.dotsPerMeterY());
  FPainter = std::make_unique<QPainter>(&Pages.back());
}
