#pragma once

#include <string>

class TBaseReport;
class TFilePrinter;
class TFilePreview;

enum TReportDest { rdPreview = 0, rdPrinter = 1, rdFile = 2 };
enum TSystemSetup {
  ssAllowSetup,
  ssAllowCopies,
  ssAllowCollate,
  ssAllowDuplex,
  ssAllowDestPreview,
  ssAllowDestPrinter,
  ssAllowDestFile,
  ssAllowPrinterSetup,
  ssAllowPreviewSetup
};
enum TSystemOption {
  soUseFiler,
  soWaitForOK,
  soShowStatus,
  soAllowPrintFromPreview,
  soPreviewModal,
  soNoGenerate
};

// The run's copies, collation and duplex (the device's codes: 1 off, 2 vertical,
// 3 horizontal), as the setup window shows and changes them.
struct TRPPrintOptions {
  int Copies = 1;
  bool Collate = false;
  int Duplex = 1;
};

// What the setup, status and preview windows ask of the report system that opens them.
// They know the system only through this, so the system depends on its windows and not
// the other way round.
class TRPFormHost {
 public:
  virtual bool Allows(TSystemSetup setup) const = 0;
  virtual bool HasOption(TSystemOption option) const = 0;
  virtual const std::string& SetupTitle() const = 0;

  virtual TReportDest ReportDest() const = 0;
  virtual void SetReportDest(TReportDest dest) = 0;
  virtual void SetOutputFileName(std::string name) = 0;
  virtual TRPPrintOptions PrintOptions() const = 0;
  virtual void SetPrintOptions(const TRPPrintOptions& options) = 0;

  // The writer generating or printing the report (the status window cancels it), else
  // nullptr.
  virtual TBaseReport* ReportPrinter() const = 0;
  // The preview has shown its first page.
  virtual void PreviewShown(TFilePreview& preview) = 0;
  // The preview's print button: its replaying printer prints the run's copies.
  virtual void PrintReplay(TFilePrinter& printer) = 0;

 protected:
  ~TRPFormHost() = default;
};
