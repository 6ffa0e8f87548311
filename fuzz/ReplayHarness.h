#pragma once

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RPFPrint.h"

// A stack of white QImage pages at one resolution standing in for a printer: the paper
// size and unprintable strips of a printer without the printer, and what each text
// primitive was asked to draw. The image writers' device.
class TImagePages {
 public:
  struct TDrawn {
    char Kind;  // 'C'entred, 'L'eft, 'R'ight, 'B'lock
    std::string Text;
    double X;  // inches
    double Y;  // baseline, inches
    int Page;
  };

  // Paper and strips in inches; dpi for both axes.
  TImagePages(int dpi, double paperWidth, double paperHeight, double strip);
  ~TImagePages();

  std::vector<TDrawn> Drawn;
  std::vector<QImage> Pages;

 protected:
  const TDeviceMetrics& ImageMetrics() const { return FMetrics; }
  QImage* MetricImage() { return &FMetricImage; }
  QPainter* PagePainter() const { return FPainter.get(); }
  // Closes the page being drawn and starts a new white one of the printable area.
  void OpenImagePage();
  void CloseImagePage();

 private:
  TDeviceMetrics FMetrics;
  QImage FMetricImage;
  std::unique_ptr<QPainter> FPainter;
};

// The replaying writer on a Letter page without unprintable strips instead of the printer.
// It keeps every message it would have shown and never touches the printer device.
class TImageReplay : public TFilePrinter, public TImagePages {
 public:
  explicit TImageReplay(int dpi = 96);

  std::vector<int> PageNumbers;  // the stream page replayed onto each image
  std::vector<std::string> Messages;

  bool NoPrinters() const override { return false; }
  QPainter* Canvas() override { return PagePainter(); }
  bool SelectPaperBin(const std::string&) override { return false; }

 protected:
  void ShowInformation(const std::string& text) override { Messages.push_back(text); }
  void ShowError(const std::string& text) override { Messages.push_back(text); }
  void ApplyHeaderSettings() override {}
  void OrientationChanged() override {}
  void DrawTextCentered(std::string_view text, double x) override;
  void DrawTextLeft(std::string_view text, double x) override;
  void DrawTextRight(std::string_view text, double x) override;
  void DrawTextBlock(std::string_view text, double width, double x) override;
  bool ReadDeviceMetrics(TDeviceMetrics& metrics) override;
  QPaintDevice* MetricDevice() override { return MetricImage(); }
  void DeviceBeginDoc() override {}
  void DeviceNewPage(bool open) override;
  void DeviceEndDoc(bool) override { CloseImagePage(); }
  std::string DeviceName() const override { return "Image"; }
  std::string DriverName() const override { return "QImage"; }
  std::string PortName() const override { return "Memory"; }

 private:
  void Keep(char kind, std::string_view text, double x);
};

// One fuzz input replayed whole, forwards and then in reverse; a damaged stream may end
// with an exception of the engine, nothing else.
void FuzzOneReplay(const uint8_t* data, size_t size);
