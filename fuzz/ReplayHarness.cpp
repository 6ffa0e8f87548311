#include "ReplayHarness.h"

#include <cmath>

#include "MemoryStream.h"

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

TImageReplay::TImageReplay(int dpi) : TImagePages(dpi, 8.5, 11, 0) {}

bool TImageReplay::ReadDeviceMetrics(TDeviceMetrics& metrics) {
  metrics = ImageMetrics();
  return true;
}

void TImageReplay::DeviceNewPage(bool open) {
  CloseImagePage();
  if (!open) return;
  OpenImagePage();
  PageNumbers.push_back(0);
}

void TImageReplay::Keep(char kind, std::string_view text, double x) {
  if (!OutputAllowed()) return;
  Drawn.push_back({kind, std::string(text), x, UnitsToInches(YPos()), CurrentPage()});
  if (!PageNumbers.empty()) PageNumbers.back() = CurrentPage();
}

void TImageReplay::DrawTextCentered(std::string_view text, double x) {
  Keep('C', text, x);
  TFilePrinter::DrawTextCentered(text, x);
}

void TImageReplay::DrawTextLeft(std::string_view text, double x) {
  Keep('L', text, x);
  TFilePrinter::DrawTextLeft(text, x);
}

void TImageReplay::DrawTextRight(std::string_view text, double x) {
  Keep('R', text, x);
  TFilePrinter::DrawTextRight(text, x);
}

void TImageReplay::DrawTextBlock(std::string_view text, double width, double x) {
  Keep('B', text, x);
  TFilePrinter::DrawTextBlock(text, width, x);
}

void FuzzOneReplay(const uint8_t* data, size_t size) {
  TMemoryStream stream;
  stream.Write(data, int64_t(size));
  for (const char* selection : {"", "R"}) {
    TImageReplay replay(24);
    replay.SetStreamMode(smUser);
    replay.SetStream(&stream);
    replay.SetSelection(selection);
    try {
      replay.PrintRange(0, 0, 0);
    } catch (const Exception&) {
      // The damaged-stream and header messages: the designed end of a hostile stream.
    }
  }
}
