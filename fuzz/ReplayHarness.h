#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ImagePages.h"
#include "RPFPrint.h"

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
