#pragma once

#include <string>

#include "RPCanvas.h"

// The selected printer's information context as a writer's device metrics.
void ReadPrinterMetrics(TDeviceMetrics& metrics);

// The writer that prints straight on the selected printer through the printer device.
class TReportPrinter : public TCanvasReport {
 public:
  using TCanvasReport::TCanvasReport;

  bool NoPrinters() const override;
  // The drawing context's painter; "Error!  Canvas not yet active." while not printing.
  QPainter* Canvas() override;
  // Without printers: the information box, and no job is started.
  void Start() override;
  bool SelectPaperBin(const std::string& binName) override;

 protected:
  // Shows text in an information box with an OK button.
  virtual void ShowInformation(const std::string& text);

  void OrientationChanged() override;
  bool ReadDeviceMetrics(TDeviceMetrics& metrics) override;
  QPaintDevice* MetricDevice() override;
  void DeviceBeginDoc() override;
  void DeviceNewPage(bool open) override;
  void DeviceEndDoc(bool aborted) override;
  std::string DeviceName() const override;
  std::string DriverName() const override;
  std::string PortName() const override;
};
