#pragma once

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RPFPrint.h"

// The replaying writer on QImage pages instead of the printer: a Letter page at a chosen
// resolution without unprintable strips. It keeps every text it was asked to draw and
// every message it would have shown, and never touches the printer device.
class TImageReplay : public TFilePrinter {
 public:
  struct TDrawn {
    char Kind;  // 'C'entred, 'L'eft, 'R'ight, 'B'lock
    std::string Text;
    double X;  // inches
    double Y;  // baseline, inches
    int Page;  // the stream's page number
  };

  explicit TImageReplay(int dpi = 96);
  ~TImageReplay() override;

  std::vector<TDrawn> Drawn;
  std::vector<QImage> Pages;
  std::vector<int> PageNumbers;  // the stream page replayed onto each image
  std::vector<std::string> Messages;

  bool NoPrinters() const override { return false; }
  QPainter* Canvas() override { return FPainter.get(); }
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
  QPaintDevice* MetricDevice() override { return &FMetricImage; }
  void DeviceBeginDoc() override {}
  void DeviceNewPage(bool open) override;
  void DeviceEndDoc(bool aborted) override;
  std::string DeviceName() const override { return "Image"; }
  std::string DriverName() const override { return "QImage"; }
  std::string PortName() const override { return "Memory"; }

 private:
  void Keep(char kind, std::string_view text, double x);
  void ClosePage();

  int FDpi;
  QImage FMetricImage;
  std::unique_ptr<QPainter> FPainter;
};

// One fuzz input replayed whole, forwards and then in reverse; a damaged stream may end
// with an exception of the engine, nothing else.
void FuzzOneReplay(const uint8_t* data, size_t size);
