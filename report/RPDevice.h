#pragma once

#include <QBrush>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QPageLayout>
#include <QPen>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class QPaintDevice;
class QPdfWriter;
class QPrinter;
class QTemporaryFile;
class QWidget;
class TRPDevice;

// One installed printer. On CUPS a printer is a queue: the device is the queue's name,
// the driver its make and model, the port its device URI.
class TRPDeviceItem {
 public:
  TRPDeviceItem(std::string device, std::string driver, std::string port)
      : FDevice(std::move(device)), FDriver(std::move(driver)), FPort(std::move(port)) {}
  const std::string& Device() const { return FDevice; }
  const std::string& Driver() const { return FDriver; }
  const std::string& Port() const { return FPort; }

 private:
  std::string FDevice;
  std::string FDriver;
  std::string FPort;
};

// The printer's settings block, in the codes the report stream records: orientation
// 1 portrait / 2 landscape, paper size as the platform's paper number, paper length and
// width in tenths of a millimetre, the bin as its number in Bins() (0: the printer's
// choice), duplex 1 simplex / 2 vertical / 3 horizontal, collation 1 on.
struct TDevMode {
  enum TField : unsigned {
    dmOrientation = 0x1,
    dmPaperSize = 0x2,
    dmPaperLength = 0x4,
    dmPaperWidth = 0x8,
    dmCopies = 0x100,
    dmDefaultSource = 0x200,
    dmDuplex = 0x1000,
    dmCollate = 0x8000,
  };
  unsigned Fields = 0;  // the fields this printer has
  short Orientation = 1;
  short PaperSize = 0;
  short PaperLength = 0;
  short PaperWidth = 0;
  short Copies = 1;
  short DefaultSource = 0;
  short Duplex = 1;
  short Collate = 0;
};

// What the information context answers, named as the platform's device capabilities.
enum class TDeviceCap {
  LOGPIXELSX,
  LOGPIXELSY,
  PHYSICALOFFSETX,
  PHYSICALOFFSETY,
  PHYSICALWIDTH,
  PHYSICALHEIGHT,
  HORZRES,
  VERTRES,
};

// The canvas whose handle is the device's current context. Brush, pen and font are kept
// here rather than in the context, so they survive every change of context and page.
class TRPCanvas {
 public:
  explicit TRPCanvas(TRPDevice& device) : FDevice(device) {}
  // The drawing context; null while the device is not printing.
  QPainter* Painter() const;
  // The context to measure against: the drawing context's device, else the information
  // context.
  QPaintDevice* Device() const;

  QFont Font;
  QColor FontColor = Qt::black;
  QPen Pen;
  QBrush Brush;
  // Selects the kept state into the drawing context.
  void Refresh();

 private:
  TRPDevice& FDevice;
};

// The one printer device of the process: the installed printers, the selected printer's
// settings, the contexts to measure and to draw with, and the document calls.
class TRPDevice {
 public:
  TRPDevice();
  ~TRPDevice();
  TRPDevice(const TRPDevice&) = delete;
  TRPDevice& operator=(const TRPDevice&) = delete;

  // The printer list: "%s on %s" from device and port, one per queue, read once (an empty
  // list again when asked for after kEmptyListAge ms).
  const std::vector<std::string>& Printers();
  const TRPDeviceItem& PrinterItem(int index);
  bool NoPrinters() { return Printers().empty(); }
  // Where no queue is installed, a printer that only writes PDF files (A4, no unprintable
  // strips) may stand in, so that a report can still be laid out and printed to a file.
  // Changing it reads the printer list again.
  void SetPdfFallback(bool on);
  // The selected printer, chosen on first need; -1 when there is none.
  int PrinterIndex();
  void SetPrinterIndex(int index);
  bool SelectPrinter(const std::string& name, bool exact);
  // Device, driver and port of the selected printer; empty without printers.
  std::string DeviceName();
  std::string DriverName();
  std::string PortName();

  // The document: title and output file (a PDF at that path; empty prints to the queue).
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& title) { FTitle = title; }
  const std::string& OutputFile() const { return FOutputFile; }
  void SetOutputFile(const std::string& fileName);
  void BeginDoc();
  void EndDoc();
  void AbortDoc();
  // Closes the open page, applies pending settings and opens a page when `open` is set.
  void NewPageSelect(bool open);
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  bool PageOpen() const { return FPageOpen; }

  // Settings; they take effect at the next page or context.
  const TDevMode* DevMode();  // null without printers
  int Orientation();
  void SetOrientation(int orientation);
  int Copies();
  void SetCopies(int copies);
  int MaxCopies();
  int Duplex();
  void SetDuplex(int duplex);
  bool Collate();
  void SetCollate(bool collate);
  int PaperSize();
  void SetPaperSize(int paperSize);
  // Width and length in tenths of a millimetre; paper of other dimensions than the paper
  // size's becomes a paper of its own.
  void SetPaperDimensions(int width, int length);
  const std::vector<std::string>& Bins();
  int Bin();
  // A bin by its number in Bins() (0: the printer's choice); other numbers are ignored.
  void SetBin(int bin);
  bool SelectBin(const std::string& name, bool exact);
  // The platform's printer setup dialog for the selected printer; true on OK.
  bool PrinterSetup(QWidget* parent = nullptr);

  // The contexts.
  int DeviceCaps(TDeviceCap cap);
  int XDPI() { return DeviceCaps(TDeviceCap::LOGPIXELSX); }
  int YDPI() { return DeviceCaps(TDeviceCap::LOGPIXELSY); }
  QPaintDevice* InfoDevice();
  QPainter* Painter() const { return FPainter.get(); }
  QPaintDevice* ContextDevice() const;
  // The canvas of the drawing context; "Error!  Canvas not yet active." while not printing.
  TRPCanvas& Canvas();

 private:
  void ReadPrinters();
  void ForgetPrinter();
  void ReadDevMode();
  void CheckNotPrinting() const;
  void CheckPrinting() const;
  [[noreturn]] void InvalidPrinter();
  void ApplyPending();
  void FinishJob(bool print);

  static constexpr qint64 kEmptyListAge = 500;
  bool FListRead = false;
  QElapsedTimer FListAge;
  bool FPdfFallback = false;
  // The list holds the PDF stand-in alone.
  bool FPdfOnly = false;
  std::vector<std::string> FPrinters;
  std::vector<TRPDeviceItem> FItems;
  int FPrinterIndex = -2;

  bool FDevModeRead = false;
  TDevMode FDevMode;
  bool FPending = false;
  int FMaxCopies = 0;
  bool FBinsRead = false;
  std::vector<std::string> FBins;

  // The information context: the queue as Qt sees it, for its resolution and its
  // unprintable strips, which give the page layout that every page is drawn with.
  std::unique_ptr<QPrinter> FInfo;
  QPageLayout FLayout;
  int FResolution = 0;
  // The drawing context: the job is drawn into a PDF, which goes to the queue at EndDoc
  // (so an aborted job never reaches it) or stays at the output file's path.
  std::unique_ptr<QTemporaryFile> FSpool;
  std::unique_ptr<QPdfWriter> FWriter;
  std::unique_ptr<QPainter> FPainter;
  TRPCanvas FCanvas;

  std::string FTitle;
  std::string FOutputFile;
  bool FPrinting = false;
  bool FAborted = false;
  bool FPageOpen = false;
  int FPagesStarted = 0;
};

// The device, created on first use.
TRPDevice& RPDev();
// Frees the device (the engine's shutdown); the next RPDev() reads the printers afresh.
void RPDevFree();
