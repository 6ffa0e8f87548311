#include "RPDevice.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <climits>
#include <cmath>
#include <filesystem>

#include "Codepage.h"
#include "Exception.h"
#include "MessageHook.h"
#include "PrinterQueues.h"
#include "PrinterSetupDialog.h"
#include "QtCodepage.h"

namespace {

const char* const SAlreadyPrinting = "Invalid method call.  Device already printing.";
const char* const SNotPrinting = "Invalid method call.  Device is not printing.";
const char* const SCanvasNotActive = "Error!  Canvas not yet active.";

// The platform's paper number for a paper of its own width and length.
constexpr short kUserPaper = 256;

QPageSize PageSizeOf(const TDevMode& mode) {
  const QPageSize::PageSizeId id = QPageSize::id(mode.PaperSize);
  if (id != QPageSize::Custom) return QPageSize(id);
  if (mode.PaperWidth > 0 && mode.PaperLength > 0)
    return QPageSize(QSizeF(mode.PaperWidth / 10.0, mode.PaperLength / 10.0),
                     QPageSize::Millimeter);
  return QPageSize(QPageSize::A4);
}

void SetPaperFields(TDevMode& mode, const QPageSize& size) {
  const QSizeF mm = size.size(QPageSize::Millimeter);
  mode.PaperSize = short(size.windowsId());
  mode.PaperWidth = short(std::lround(mm.width() * 10));
  mode.PaperLength = short(std::lround(mm.height() * 10));
}

short DuplexCode(QPrinter::DuplexMode mode) {
  return mode == QPrinter::DuplexLongSide ? 2 : mode == QPrinter::DuplexShortSide ? 3 : 1;
}

// The paper and orientation, with the printer's own unprintable strips as margins, so
// that the paint rectangle is the printable area as on any printer.
QPageLayout LayoutOf(QPrinter& printer, const TDevMode& mode) {
  printer.setPageSize(PageSizeOf(mode));
  printer.setPageOrientation(mode.Orientation == 2 ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
  QPageLayout layout = printer.pageLayout();
  layout.setMargins(layout.minimumMargins());
  return layout;
}

// The settings that belong to the whole job, as the queue's job options.
std::vector<std::pair<std::string, std::string>> JobOptions(const TDevMode& mode,
                                                            const QPageLayout& layout,
                                                            const std::string& bin) {
  std::vector<std::pair<std::string, std::string>> options;
  if (mode.Copies > 1) options.emplace_back("copies", std::to_string(mode.Copies));
  if (mode.Fields & TDevMode::dmCollate)
    options.emplace_back("multiple-document-handling",
                         mode.Collate == 1 ? "separate-documents-collated-copies"
                                           : "separate-documents-uncollated-copies");
  if (mode.Fields & TDevMode::dmDuplex)
    options.emplace_back("sides", mode.Duplex == 2   ? "two-sided-long-edge"
                                  : mode.Duplex == 3 ? "two-sided-short-edge"
                                                     : "one-sided");
  if (!bin.empty()) options.emplace_back("media-source", bin);
  if (layout.pageSize().id() != QPageSize::Custom)
    options.emplace_back("media", layout.pageSize().key().toStdString());
  return options;
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
  return Codepage::AnsiUpperCase(text).find(Codepage::AnsiUpperCase(part)) != std::string::npos;
}

std::unique_ptr<TRPDevice>& Device() {
  static std::unique_ptr<TRPDevice> device;
  return device;
}

}  // namespace

// TRPCanvas

QPainter* TRPCanvas::Painter() const {
  return FDevice.Painter();
}

QPaintDevice* TRPCanvas::Device() const {
  return FDevice.ContextDevice();
}

void TRPCanvas::Refresh() {
  QPainter* painter = Painter();
  if (!painter) return;
  painter->setFont(Font);
  painter->setPen(Pen);
  painter->setBrush(Brush);
}

// TRPDevice

TRPDevice::TRPDevice() : FCanvas(*this) {}

TRPDevice::~TRPDevice() {
  if (FPrinting) FinishJob(false);
}

const std::vector<std::string>& TRPDevice::Printers() {
  // Queues come and go: a list without printers is read again when asked for, so that a
  // printer added since is found. Not at every question, though - a job laid out without
  // printers asks at every measurement. A list with printers is kept.
  if (!FListRead || (FPrinters.empty() && FListAge.hasExpired(kEmptyListAge))) ReadPrinters();
  return FPrinters;
}

void TRPDevice::ReadPrinters() {
  FListRead = true;
  FListAge.start();
  FPrinters.clear();
  FItems.clear();
  FPrinterIndex = -2;
  ForgetPrinter();
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
    const std::string queue = info.printerName().toStdString();
    FItems.emplace_back(FromQString(info.printerName()), FromQString(info.makeAndModel()),
                        Codepage::Utf8ToCp1251(PrinterQueues::DeviceUri(queue)));
    FPrinters.push_back(FItems.back().Device() + " on " + FItems.back().Port());
  }
  FPdfOnly = FPrinters.empty() && FPdfFallback;
  if (FPdfOnly) {
    FItems.emplace_back("PDF", "PDF file", "file:");
    FPrinters.push_back("PDF on file:");
  }
}

void TRPDevice::SetPdfFallback(bool on) {
  CheckNotPrinting();
  FPdfFallback = on;
  ReadPrinters();
}

const TRPDeviceItem& TRPDevice::PrinterItem(int index) {
  CheckListIndex(index, int(Printers().size()));
  return FItems[size_t(index)];
}

int TRPDevice::PrinterIndex() {
  // Asked first: a list read again forgets the choice.
  const int count = int(Printers().size());
  if (FPrinterIndex == -2) {
    const std::string wanted = FromQString(QPrinterInfo::defaultPrinterName());
    int chosen = count - 1;
    for (size_t i = 0; i < FItems.size(); ++i)
      if (!wanted.empty() &&
          Codepage::AnsiUpperCase(FItems[i].Device()) == Codepage::AnsiUpperCase(wanted)) {
        chosen = int(i);
        break;
      }
    FPrinterIndex = chosen;
  }
  return FPrinterIndex;
}

void TRPDevice::SetPrinterIndex(int index) {
  CheckNotPrinting();
  PrinterItem(index);
  ForgetPrinter();
  FPrinterIndex = index;
}

bool TRPDevice::SelectPrinter(const std::string& name, bool exact) {
  const std::vector<std::string>& captions = Printers();
  const bool joined = name.find(" on ") != std::string::npos;
  for (size_t i = 0; i < captions.size(); ++i) {
    const bool match = !exact   ? ContainsNoCase(captions[i], name)
                       : joined ? captions[i] == name
                                : FItems[i].Device() == name;
    if (match) {
      SetPrinterIndex(int(i));
      return true;
    }
  }
  return false;
}

std::string TRPDevice::DeviceName() {
  return PrinterIndex() < 0 ? "" : FItems[size_t(FPrinterIndex)].Device();
}
std::string TRPDevice::DriverName() {
  return PrinterIndex() < 0 ? "" : FItems[size_t(FPrinterIndex)].Driver();
}
std::string TRPDevice::PortName() {
  return PrinterIndex() < 0 ? "" : FItems[size_t(FPrinterIndex)].Port();
}

void TRPDevice::ForgetPrinter() {
  FInfo.reset();
  FDevModeRead = false;
  FDevMode = TDevMode();
  FPending = false;
  FMaxCopies = 0;
  FBinsRead = false;
  FBins.clear();
}

void TRPDevice::InvalidPrinter() {
  throw Exception("Invalid Printer - " + DeviceName() + " on " + PortName() + " (" + DriverName() +
                  ")");
}

void TRPDevice::ReadDevMode() {
  if (FDevModeRead || PrinterIndex() < 0) return;
  FDevModeRead = true;
  const QPrinterInfo info =
      FPdfOnly ? QPrinterInfo() : QPrinterInfo::printerInfo(ToQString(DeviceName()));
  TDevMode mode;
  mode.Fields = TDevMode::dmOrientation | TDevMode::dmPaperSize | TDevMode::dmPaperLength |
                TDevMode::dmPaperWidth | TDevMode::dmCopies;
  const QPageSize size = info.defaultPageSize();
  SetPaperFields(mode, size.isValid() ? size : QPageSize(QPageSize::A4));
  if (info.supportedDuplexModes().contains(QPrinter::DuplexLongSide)) {
    mode.Fields |= TDevMode::dmDuplex;
    mode.Duplex = DuplexCode(info.defaultDuplexMode());
  }
  FMaxCopies = FPdfOnly ? 1 : PrinterQueues::CopyLimit(DeviceName());
  if (FMaxCopies > 1) {
    mode.Fields |= TDevMode::dmCollate;
    mode.Collate = 1;
  }
  if (!Bins().empty()) mode.Fields |= TDevMode::dmDefaultSource;
  FDevMode = mode;
  FPending = true;
}

const TDevMode* TRPDevice::DevMode() {
  ReadDevMode();
  return FDevModeRead ? &FDevMode : nullptr;
}

void TRPDevice::ApplyPending() {
  if (!FPending || !FInfo) return;
  FPending = false;
  FLayout = LayoutOf(*FInfo, FDevMode);
  FResolution = FInfo->resolution();
  // The drawing context takes the paper from the next page on.
  if (FWriter) FWriter->setPageLayout(FLayout);
}

QPaintDevice* TRPDevice::InfoDevice() {
  if (PrinterIndex() < 0) InvalidPrinter();
  ReadDevMode();
  if (!FInfo && FPdfOnly) {
    FInfo = std::make_unique<QPrinter>(QPrinter::HighResolution);
    FInfo->setOutputFormat(QPrinter::PdfFormat);
    FPending = true;
  }
  if (!FInfo) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(ToQString(DeviceName()));
    if (info.isNull()) InvalidPrinter();
    FInfo = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!FInfo->isValid() || FInfo->printerName() != info.printerName()) {
      FInfo.reset();
      InvalidPrinter();
    }
    FPending = true;
  }
  ApplyPending();
  return ContextDevice();
}

QPaintDevice* TRPDevice::ContextDevice() const {
  if (FWriter) return FWriter.get();
  return FInfo.get();
}

int TRPDevice::DeviceCaps(TDeviceCap cap) {
  InfoDevice();
  const QRect paper = FLayout.fullRectPixels(FResolution);
  const QRect page = FLayout.paintRectPixels(FResolution);
  switch (cap) {
    case TDeviceCap::LOGPIXELSX:
    case TDeviceCap::LOGPIXELSY:
      return FResolution;
    case TDeviceCap::PHYSICALOFFSETX:
      return page.left();
    case TDeviceCap::PHYSICALOFFSETY:
      return page.top();
    case TDeviceCap::PHYSICALWIDTH:
      return paper.width();
    case TDeviceCap::PHYSICALHEIGHT:
      return paper.height();
    case TDeviceCap::HORZRES:
      return page.width();
    case TDeviceCap::VERTRES:
      return page.height();
  }
  return 0;
}

TRPCanvas& TRPDevice::Canvas() {
  if (!FPrinting) throw Exception(SCanvasNotActive);
  return FCanvas;
}

void TRPDevice::CheckNotPrinting() const {
  if (FPrinting) throw Exception(SAlreadyPrinting);
}

void TRPDevice::CheckPrinting() const {
  if (!FPrinting) throw Exception(SNotPrinting);
}

void TRPDevice::SetOutputFile(const std::string& fileName) {
  CheckNotPrinting();
  FOutputFile = fileName;
}

void TRPDevice::BeginDoc() {
  CheckNotPrinting();
  InfoDevice();
  // The stand-in has no queue to send a job to.
  if (FOutputFile.empty() && FPdfOnly) InvalidPrinter();
  if (FOutputFile.empty()) {
    FSpool = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/trickfolio-XXXXXX.pdf");
    if (!FSpool->open()) InvalidPrinter();
    FWriter = std::make_unique<QPdfWriter>(FSpool.get());
  } else {
    FWriter = std::make_unique<QPdfWriter>(ToQString(FOutputFile));
  }
  FWriter->setResolution(FResolution);
  FWriter->setPageLayout(FLayout);
  FWriter->setTitle(ToQString(FTitle));
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(FWriter.get())) {
    FPainter.reset();
    FWriter.reset();
    FSpool.reset();
    InvalidPrinter();
  }
  FPrinting = true;
  FAborted = false;
  FPageOpen = false;
  FPagesStarted = 0;
  FCanvas.Refresh();
}

void TRPDevice::NewPageSelect(bool open) {
  CheckPrinting();
  if (FPageOpen) {
    FPageOpen = false;
    // Where the platform's abort procedure ran: the status window stays live.
    MessageHook::ProcessMessages();
  }
  if (FPending)
    ApplyPending();
  else
    FCanvas.Refresh();
  if (!open) return;
  if (FPagesStarted > 0) FWriter->newPage();
  ++FPagesStarted;
  FPageOpen = true;
}

void TRPDevice::EndDoc() {
  CheckPrinting();
  // A job whose every page was skipped must not come out as a blank sheet.
  FinishJob(!FAborted && FPagesStarted > 0);
}

void TRPDevice::AbortDoc() {
  CheckPrinting();
  FAborted = true;
  EndDoc();
}

void TRPDevice::FinishJob(bool print) {
  FPainter->end();
  FPainter.reset();
  FWriter.reset();
  FPrinting = false;
  FPageOpen = false;
  const std::unique_ptr<QTemporaryFile> spool = std::move(FSpool);
  if (!spool) {
    if (!print) {
      std::error_code ignored;
      std::filesystem::remove(Codepage::Cp1251ToUtf8(FOutputFile), ignored);
    }
    return;
  }
  if (!print) return;
  spool->close();
  std::string error;
  const int bin = FDevMode.DefaultSource;
  if (!PrinterQueues::Submit(Codepage::Cp1251ToUtf8(DeviceName()), spool->fileName().toStdString(),
                             Codepage::Cp1251ToUtf8(FTitle),
                             JobOptions(FDevMode, FLayout, bin > 0 ? Bins()[size_t(bin - 1)] : ""),
                             error))
    // libcups gives its reason in UTF-8, in the user's language.
    throw Exception("The printer refused the job - " + Codepage::Utf8ToCp1251(error));
  MessageHook::ProcessMessages();
}

int TRPDevice::Orientation() {
  return DevMode() ? FDevMode.Orientation : 1;
}

void TRPDevice::SetOrientation(int orientation) {
  if (!DevMode() || (orientation != 1 && orientation != 2)) return;
  if (FDevMode.Orientation == orientation) return;
  FDevMode.Orientation = short(orientation);
  FPending = true;
}

int TRPDevice::Copies() {
  return DevMode() ? FDevMode.Copies : 1;
}

void TRPDevice::SetCopies(int copies) {
  CheckNotPrinting();
  if (!DevMode() || copies <= 0 || copies >= MaxCopies()) return;
  FDevMode.Copies = short(copies);
  FPending = true;
}

int TRPDevice::MaxCopies() {
  return DevMode() ? FMaxCopies : 1;
}

int TRPDevice::Duplex() {
  return DevMode() ? FDevMode.Duplex : 1;
}

void TRPDevice::SetDuplex(int duplex) {
  CheckNotPrinting();
  if (!DevMode() || !(FDevMode.Fields & TDevMode::dmDuplex) || duplex < 1 || duplex > 3) return;
  FDevMode.Duplex = short(duplex);
  FPending = true;
}

bool TRPDevice::Collate() {
  return DevMode() && FDevMode.Collate == 1;
}

void TRPDevice::SetCollate(bool collate) {
  CheckNotPrinting();
  if (!DevMode() || !(FDevMode.Fields & TDevMode::dmCollate)) return;
  FDevMode.Collate = collate ? 1 : 0;
  FPending = true;
}

int TRPDevice::PaperSize() {
  return DevMode() ? FDevMode.PaperSize : 1;
}

void TRPDevice::SetPaperSize(int paperSize) {
  if (!DevMode() || QPageSize::id(paperSize) == QPageSize::Custom) return;
  SetPaperFields(FDevMode, QPageSize(QPageSize::id(paperSize)));
  FPending = true;
}

void TRPDevice::SetPaperDimensions(int width, int length) {
  if (!DevMode() || width <= 0 || length <= 0 || width > SHRT_MAX || length > SHRT_MAX) return;
  if (FDevMode.PaperWidth == width && FDevMode.PaperLength == length) return;
  FDevMode.PaperSize = kUserPaper;
  FDevMode.PaperWidth = short(width);
  FDevMode.PaperLength = short(length);
  FPending = true;
}

const std::vector<std::string>& TRPDevice::Bins() {
  if (!FBinsRead && PrinterIndex() >= 0 && !FPdfOnly) {
    FBinsRead = true;
    for (const std::string& source : PrinterQueues::MediaSources(DeviceName()))
      FBins.push_back(Codepage::Utf8ToCp1251(source));
  }
  return FBins;
}

int TRPDevice::Bin() {
  return DevMode() ? FDevMode.DefaultSource : 0;
}

void TRPDevice::SetBin(int bin) {
  if (!DevMode() || bin < 0 || size_t(bin) > Bins().size() || FDevMode.DefaultSource == bin) return;
  FDevMode.DefaultSource = short(bin);
  FPending = true;
}

bool TRPDevice::SelectBin(const std::string& name, bool exact) {
  if (!DevMode()) return false;
  const std::vector<std::string>& bins = Bins();
  for (size_t i = 0; i < bins.size(); ++i)
    if (exact ? bins[i] == name : ContainsNoCase(bins[i], name)) {
      if (FDevMode.DefaultSource != short(i + 1)) {
        FDevMode.DefaultSource = short(i + 1);
        FPending = true;
      }
      return true;
    }
  return false;
}

bool TRPDevice::PrinterSetup(QWidget* parent) {
  CheckNotPrinting();
  InfoDevice();
  if (!RunPrinterSetupDialog(*FInfo, parent)) return false;
  TDevMode chosen = FDevMode;
  chosen.Orientation = FInfo->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
  SetPaperFields(chosen, FInfo->pageLayout().pageSize());
  chosen.Copies = short(FInfo->copyCount());
  chosen.Collate = FInfo->collateCopies() ? 1 : 0;
  chosen.Duplex = DuplexCode(FInfo->duplex());
  const std::string queue = FromQString(FInfo->printerName());
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Device() == queue && int(i) != FPrinterIndex) {
      SelectPrinter(FPrinters[i], true);
      ReadDevMode();
      chosen.Fields = FDevMode.Fields;
      chosen.DefaultSource = 0;
    }
  // The dialog's settings become the printer's, in place of what the queue reports.
  FDevMode = chosen;
  FInfo.reset();
  FPending = true;
  return true;
}

TRPDevice& RPDev() {
  if (!Device()) Device() = std::make_unique<TRPDevice>();
  return *Device();
}

void RPDevFree() {
  Device().reset();
}
