#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MemoryStream.h"
#include "RPDefine.h"
#include "RPFiler.h"
#include "RPFormHost.h"
#include "RPPreFrm.h"
#include "RPSetFrm.h"
#include "RPStaFrm.h"
#include "RPreview.h"
#include "Set.h"

class TReportSystem;

using TSystemSetups = TSet<TSystemSetup>;
using TSystemOptions = TSet<TSystemOption>;

// Modes of the window handlers: create, show, wait, free.
enum TOverrideMode { omCreate = 0, omShow = 1, omWait = 2, omFree = 3 };
using TReportSystemEvent = std::function<void(TReportSystem* ReportSystem,
                                              TOverrideMode OverrideMode, QWidget*& OverrideForm)>;

// Page and job settings handed to every writer of a run.
class TSystemPrinter {
 public:
  TSystemPrinter();

  int Copies = 1;
  int FirstPage = 1;
  int LastPage = 9999;
  TLineHeightMethod LineHeightMethod = lhmFont;
  int LinesPerInch = 6;
  double MarginBottom = 0, MarginLeft = 0, MarginRight = 0, MarginTop = 0;
  TOrientation Orientation = poPortrait;
  double ScaleX = 100, ScaleY = 100;
  std::string StatusFormat = "Printing page %p";
  TStringList StatusText;
  TBKMode TextBKMode = bkTransparent;
  std::string Title = "ReportPrinter Report";
  bool Collate = false;
  int Duplex = 1;  // the device's codes: 1 off, 2 vertical, 3 horizontal

  int TabShade() const { return FTabShade; }
  void SetTabShade(int value);
  TPrintUnits Units() const { return FUnits; }
  void SetUnits(TPrintUnits value);
  double UnitsFactor() const { return FUnitsFactor; }
  void SetUnitsFactor(double value);

  // The settings in their fixed order; collation and duplex reach the printer device
  // only when one is installed.
  void AssignTo(TBaseReport& writer) const;

 private:
  int FTabShade = 0;
  TPrintUnits FUnits = unInch;
  double FUnitsFactor = 1.0;
};

// Where the report stream of a run goes.
class TSystemFiler {
 public:
  TAccuracyMethod AccuracyMethod = amPositioning;
  std::string FileName;
  std::string StatusFormat = "Generating page %p";
  TStringList StatusText;
  TStreamMode StreamMode = smMemory;
  // The run's memory stream while StreamMode is smMemory; not owned.
  TMemoryStream* Stream = nullptr;
  bool IgnoreCodes = false;

  void AssignTo(TReportFiler& filer) const;
  // A replaying writer reads the stream that the stream writer wrote.
  void AssignTo(TFilePrinter& replay) const;
};

// The preview window's settings.
class TSystemPreview {
 public:
  int FormWidth = 615;
  int FormHeight = 450;
  Qt::WindowState FormState = Qt::WindowNoState;
  double GridHoriz = 0, GridVert = 0;
  TRPPen GridPen;
  TMarginMethod MarginMethod = mmFixed;
  double MarginPercent = 0;
  int PagesWide = 1, PagesHigh = 1;
  int PageInc = 1;
  TRulerType RulerType = rtNone;
  int ZoomInc = 10;

  bool Monochrome() const { return FMonochrome; }
  void SetMonochrome(bool value);
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int value);
  double ZoomFactor() const { return FZoomFactor; }
  void SetZoomFactor(double value);
  // Grid, margin method and percentage, monochrome, page increment, ruler, shadow, zoom
  // factor and increment, in this order.
  void AssignTo(TFilePreview& preview) const;

  // The two-line refusals of the monochrome and shadow rules; a test may catch them.
  std::function<void(const std::string&)> ShowMessage;

 private:
  void Refuse(const std::string& text) const;
  bool FMonochrome = false;
  int FShadowDepth = 0;
  double FZoomFactor = 100;
};

// The component that runs a whole report: optional setup, generation into a report
// stream under a status window, then the preview window or the printer.
class TReportSystem : public TRPComponent, public TRPReportRunner, public TRPFormHost {
 public:
  explicit TReportSystem(QObject* owner = nullptr);
  ~TReportSystem() override;

  std::string TitleSetup = "Report Setup";
  std::string TitleStatus = "Report Status";
  std::string TitlePreview = "Report Preview";
  TSystemSetups SystemSetups{ssAllowSetup,    ssAllowCopies,       ssAllowCollate,
                             ssAllowDuplex,   ssAllowDestPreview,  ssAllowDestPrinter,
                             ssAllowDestFile, ssAllowPrinterSetup, ssAllowPreviewSetup};
  TSystemOptions SystemOptions{soShowStatus, soAllowPrintFromPreview, soPreviewModal};
  TReportDest DefaultDest = rdPreview;
  TSystemFiler& SystemFiler() { return FSystemFiler; }
  TSystemPreview& SystemPreview() { return FSystemPreview; }
  TSystemPrinter& SystemPrinter() { return FSystemPrinter; }

  TNotifyEvent OnPrint;
  TPrintPageEvent OnPrintPage;
  TNotifyEvent OnBeforePrint;
  TNotifyEvent OnAfterPrint;
  TNotifyEvent OnNewPage;
  TNotifyEvent OnNewColumn;
  TNotifyEvent OnPrintHeader;
  TNotifyEvent OnPrintFooter;
  TNotifyEvent OnEndOfSection;
  TDecodeImageEvent OnDecodeImage;
  TNotifyEvent OnPreviewSetup;
  TNotifyEvent OnPreviewShow;
  TReportSystemEvent OverrideSetup;
  TReportSystemEvent OverrideStatus;
  TReportSystemEvent OverridePreview;

  // One complete print run. Exceptions of the report's handlers reach the caller after
  // every writer and window of the run is freed.
  void Execute();

  // ---- Run state ----
  TReportDest ReportDest() const override { return FReportDest; }
  void SetReportDest(TReportDest dest) override { FReportDest = dest; }
  bool Aborted() const { return FAborted; }
  void SetAborted(bool value) { FAborted = value; }
  bool CopiesByRepeat() const { return FCopiesByRepeat; }
  // The file the printer writes to (a PDF); empty prints to the queue.
  const std::string& OutputFileName() const { return FOutputFileName; }
  void SetOutputFileName(std::string name) override { FOutputFileName = std::move(name); }
  // The writer generating or printing the report, else nullptr.
  TBaseReport* ReportPrinter() const override { return FReportPrinter; }
  TRPSetupForm* SetupForm() const { return FSetupForm; }
  TRPStatusForm* StatusForm() const { return FStatusForm; }
  TRPPreviewForm* PreviewForm() const { return FPreviewForm; }

  // ---- Window handlers; an assigned override event replaces each ----
  void SetupHandler(TOverrideMode mode);
  void StatusHandler(TOverrideMode mode);
  void PreviewHandler(TOverrideMode mode);

  // Copies the writer events onto a writer of this system.
  void AssignEvents(TBaseReport& writer) const;
  // A replaying writer reads this run's stream and decodes its images through this system.
  void PrepareReplay(TFilePrinter& replay) const;

  TBaseReport* GeneratingReport() const override { return FReportPrinter; }
  void ExecuteWith(TNotifyEvent handler) override;

  // How many copies the selected printer makes of a job itself.
  virtual int PrinterCopyLimit() const;

  // ---- What the windows ask of the system ----
  bool Allows(TSystemSetup setup) const override { return SystemSetups.Contains(setup); }
  bool HasOption(TSystemOption option) const override { return SystemOptions.Contains(option); }
  const std::string& SetupTitle() const override { return TitleSetup; }
  TRPPrintOptions PrintOptions() const override;
  void SetPrintOptions(const TRPPrintOptions& options) override;
  void PreviewShown(TFilePreview& preview) override;
  void PrintReplay(TFilePrinter& printer) override;

 protected:
  // The stages' writers; a test may hand its own.
  virtual std::unique_ptr<TReportFiler> CreateFiler();
  virtual std::unique_ptr<TFilePrinter> CreateReplay();
  virtual std::unique_ptr<TBaseReport> CreatePrinter();

 private:
  void Generate();
  void Print();
  // Runs the writer's job; byRepeat (a printer that makes one copy only) runs it once per
  // copy, each a single copy.
  static void ExecuteCopies(TBaseReport& writer, bool byRepeat);
  void RunHandler(const TReportSystemEvent& override, QWidget*& form, TOverrideMode mode,
                  void (TReportSystem::*builtIn)(TOverrideMode));
  void BuiltInSetup(TOverrideMode mode);
  void BuiltInStatus(TOverrideMode mode);
  void BuiltInPreview(TOverrideMode mode);
  QWidget* OwnerWidget() const;

  TSystemFiler FSystemFiler;
  TSystemPreview FSystemPreview;
  TSystemPrinter FSystemPrinter;

  TReportDest FReportDest = rdPreview;
  bool FAborted = false;
  bool FCopiesByRepeat = false;
  std::string FOutputFileName;
  QPointer<QLabel> FStatusLabel;
  std::vector<std::string> FMacroStrings;
  TBaseReport* FReportPrinter = nullptr;
  std::unique_ptr<TMemoryStream> FRunStream;
  QPointer<TRPSetupForm> FSetupForm;
  QPointer<TRPStatusForm> FStatusForm;
  QPointer<TRPPreviewForm> FPreviewForm;
  // The windows of the override events, handed back to them in every mode.
  QWidget* FSetupOverride = nullptr;
  QWidget* FStatusOverride = nullptr;
  QWidget* FPreviewOverride = nullptr;
};
