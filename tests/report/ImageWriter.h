#pragma once

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "RPBase.h"

// A writer whose device is a stack of QImage pages at a chosen resolution: the paper
// size and unprintable strips of a printer without the printer. It keeps what each text
// primitive was asked to draw (in inches) and the device calls in order.
class TImageWriter : public TBaseReport {
 public:
  struct TDrawn {
    char Kind;  // 'C'entred, 'L'eft, 'R'ight, 'B'lock
    std::string Text;
    double X;  // inches
    double Y;  // baseline, inches
    int Page;
  };

  // Paper and strips in inches; dpi for both axes.
  explicit TImageWriter(int dpi = 96, double paperWidth = 8.5, double paperHeight = 11,
                        double strip = 0);
  ~TImageWriter() override;

  bool HasPrinter = true;
  std::vector<TDrawn> Drawn;
  std::vector<QImage> Pages;
  std::vector<std::string> DeviceCalls;

  bool NoPrinters() const override { return !HasPrinter; }
  QPainter* Canvas() override { return FPainter.get(); }
  std::vector<std::string> Texts() const;

 protected:
  void DrawTextCentered(std::string_view text, double x) override;
  void DrawTextLeft(std::string_view text, double x) override;
  void DrawTextRight(std::string_view text, double x) override;
  void DrawTextBlock(std::string_view text, double width, double x) override;
  bool ReadDeviceMetrics(TDeviceMetrics& metrics) override;
  QPaintDevice* MetricDevice() override { return &FMetricImage; }
  void DeviceBeginDoc() override { DeviceCalls.push_back("begin"); }
  void DeviceNewPage(bool open) override;
  void DeviceEndDoc(bool aborted) override;

 private:
  void Draw(char kind, std::string_view text, double x, double left);
  void ClosePage();

  TDeviceMetrics FMetrics;
  QImage FMetricImage;
  std::unique_ptr<QPainter> FPainter;
};
