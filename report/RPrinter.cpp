#include "RPrinter.h"

#include <QMessageBox>

#include "RPDevice.h"

namespace {

int DeviceOrientation(TOrientation orientation) {
  return orientation == poLandScape ? 2 : 1;
}

}  // namespace

bool TReportPrinter::NoPrinters() const {
  return RPDev().NoPrinters();
}

QPainter* TReportPrinter::Canvas() {
  return RPDev().Canvas().Painter();
}

void TReportPrinter::Start() {
  if (NoPrinters()) {
    ShowInformation("No printers are defined, aborting print job.");
    return;
  }
  TCanvasReport::Start();
}

void TReportPrinter::ShowInformation(const std::string& text) {
  QMessageBox box(QMessageBox::Information, "Information", ToQString(text), QMessageBox::Ok);
  box.exec();
}

bool TReportPrinter::SelectPaperBin(const std::string& binName) {
  return !NoPrinters() && RPDev().SelectBin(binName, false);
}

void TReportPrinter::OrientationChanged() {
  if (Orientation() != poDefault && !NoPrinters())
    RPDev().SetOrientation(DeviceOrientation(Orientation()));
}

void ReadPrinterMetrics(TDeviceMetrics& metrics) {
  TRPDevice& device = RPDev();
  metrics.LogPixelsX = device.DeviceCaps(TDeviceCap::LOGPIXELSX);
  metrics.LogPixelsY = device.DeviceCaps(TDeviceCap::LOGPIXELSY);
  metrics.PhysicalOffsetX = device.DeviceCaps(TDeviceCap::PHYSICALOFFSETX);
  metrics.PhysicalOffsetY = device.DeviceCaps(TDeviceCap::PHYSICALOFFSETY);
  metrics.PhysicalWidth = device.DeviceCaps(TDeviceCap::PHYSICALWIDTH);
  metrics.PhysicalHeight = device.DeviceCaps(TDeviceCap::PHYSICALHEIGHT);
  metrics.HorzRes = device.DeviceCaps(TDeviceCap::HORZRES);
  metrics.VertRes = device.DeviceCaps(TDeviceCap::VERTRES);
}

bool TReportPrinter::ReadDeviceMetrics(TDeviceMetrics& metrics) {
  ReadPrinterMetrics(metrics);
  return true;
}

QPaintDevice* TReportPrinter::MetricDevice() {
  return NoPrinters() ? nullptr : RPDev().InfoDevice();
}

void TReportPrinter::DeviceBeginDoc() {
  TRPDevice& device = RPDev();
  device.SetTitle(Title());
  device.SetCopies(Copies());
  if (Orientation() != poDefault) device.SetOrientation(DeviceOrientation(Orientation()));
  device.BeginDoc();
}

void TReportPrinter::DeviceNewPage(bool open) {
  RPDev().NewPageSelect(open);
}

void TReportPrinter::DeviceEndDoc(bool aborted) {
  if (aborted)
    RPDev().AbortDoc();
  else
    RPDev().EndDoc();
}

std::string TReportPrinter::DeviceName() const {
  return RPDev().DeviceName();
}
std::string TReportPrinter::DriverName() const {
  return RPDev().DriverName();
}
std::string TReportPrinter::PortName() const {
  return RPDev().PortName();
}
