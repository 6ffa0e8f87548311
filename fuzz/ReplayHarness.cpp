#include "ReplayHarness.h"

#include "MemoryStream.h"

TImageReplay::TImageReplay(int dpi) : FDpi(dpi), FMetricImage(8, 8, QImage::Format_RGB32) {
  FMetricImage.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
  FMetricImage.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
}

TImageReplay::~TImageReplay() {
  ClosePage();
}

bool TImageReplay::ReadDeviceMetrics(TDeviceMetrics& m) {
  m.LogPixelsX = m.LogPixelsY = FDpi;
  m.PhysicalOffsetX = m.PhysicalOffsetY = 0;
  m.PhysicalWidth = m.HorzRes = int(8.5 * FDpi);
  m.PhysicalHeight = m.VertRes = 11 * FDpi;
  return true;
}

void TImageReplay::ClosePage() {
  FPainter.reset();
}

void TImageReplay::DeviceNewPage(bool open) {
  ClosePage();
  if (!open) return;
  Pages.emplace_back(int(8.5 * FDpi), 11 * FDpi, QImage::Format_RGB32);
  Pages.back().fill(Qt::white);
  Pages.back().setDotsPerMeterX(FMetricImage.dotsPerMeterX());
  Pages.back().setDotsPerMeterY(FMetricImage.dotsPerMeterY());
  PageNumbers.push_back(0);
  FPainter = std::make_unique<QPainter>(&Pages.back());
}

void TImageReplay::DeviceEndDoc(bool) {
  ClosePage();
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
