#include "ReplayHarness.h"

#include "MemoryStream.h"

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
