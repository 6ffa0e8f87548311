#include "ImageWriter.h"

std::vector<std::string> TImageWriter::Texts() const {
  std::vector<std::string> texts;
  for (const TDrawn& d : Drawn) texts.push_back(d.Text);
  return texts;
}

bool TImageWriter::ReadDeviceMetrics(TDeviceMetrics& metrics) {
  metrics = ImageMetrics();
  return true;
}

void TImageWriter::DeviceNewPage(bool open) {
  CloseImagePage();
  DeviceCalls.push_back(open ? "page" : "skip");
  if (open) OpenImagePage();
}

void TImageWriter::DeviceEndDoc(bool aborted) {
  CloseImagePage();
  DeviceCalls.push_back(aborted ? "abort" : "end");
}

void TImageWriter::Draw(char kind, std::string_view text, double x, double left) {
  Drawn.push_back({kind, std::string(text), x, FYPos, CurrentPage()});
  QPainter* painter = PagePainter();
  if (!painter) return;
  const TRPCachedFont& font = RealiseFont();
  painter->setFont(font.Font);
  painter->setPen(Qt::black);
  painter->drawText(QPointF(XI2D(left), YI2D(FYPos)), ToQString(text));
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
