#pragma once

#include <string>
#include <vector>

#include "RPBase.h"
#include "ImagePages.h"

// A writer on image pages (the paper of a printer without the printer) that also keeps the
// device calls in order.
class TImageWriter : public TBaseReport, public TImagePages {
 public:
  // Paper and strips in inches; dpi for both axes.
  explicit TImageWriter(int dpi = 96, double paperWidth = 8.5, double paperHeight = 11,
                        double strip = 0)
      : TImagePages(dpi, paperWidth, paperHeight, strip) {}

  bool HasPrinter = true;
  std::vector<std::string> DeviceCalls;

  bool NoPrinters() const override { return !HasPrinter; }
  QPainter* Canvas() override { return PagePainter(); }
  std::vector<std::string> Texts() const;

 protected:
  void DrawTextCentered(std::string_view text, double x) override;
  void DrawTextLeft(std::string_view text, double x) override;
  void DrawTextRight(std::string_view text, double x) override;
  void DrawTextBlock(std::string_view text, double width, double x) override;
  bool ReadDeviceMetrics(TDeviceMetrics& metrics) override;
  QPaintDevice* MetricDevice() override { return MetricImage(); }
  void DeviceBeginDoc() override { DeviceCalls.push_back("begin"); }
  void DeviceNewPage(bool open) override;
  void DeviceEndDoc(bool aborted) override;

 private:
  void Draw(char kind, std::string_view text, double x, double left);
};
