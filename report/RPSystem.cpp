#include "RPSystem.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "Finally.h"
#include "RPDevice.h"
#include "RPPreFrm.h"
#include "RPSetFrm.h"
#include "RPStaFrm.h"
#include "RPrinter.h"

// ---------------------------------------------------------------- settings

TSystemPrinter::TSystemPrinter() {
  if (!RPDev().NoPrinters()) Duplex = RPDev().Duplex();
}

void TSystemPrinter::SetTabShade(int value) {
  FTabShade = std::clamp(value, 0, 100);
}

void TSystemPrinter::SetUnits(TPrintUnits value) {
  FUnits = value;
  FUnitsFactor = UnitsFactorFor(value, FUnitsFactor);
}

void TSystemPrinter::SetUnitsFactor(double value) {
  if (value <= 0) return;
  FUnitsFactor = value;
  FUnits = UnitsFor(value);
}

void TSystemPrinter::AssignTo(TBaseReport& w) const {
  w.SetCopies(Copies);
  w.SetFirstPage(FirstPage);
  w.SetLastPage(LastPage);
  w.SetLineHeightMethod(LineHeightMethod);
  w.SetLinesPerInch(LinesPerInch);
  // Margins are kept in inches, so the units come first here.
  w.SetUnits(FUnits);
  if (FUnits == unUser) w.SetUnitsFactor(FUnitsFactor);
  w.SetMarginBottom(MarginBottom);
  w.SetMarginLeft(MarginLeft);
  w.SetMarginRight(MarginRight);
  w.SetMarginTop(MarginTop);
  w.SetOrientation(Orientation);
  w.SetScaleX(ScaleX);
  w.SetScaleY(ScaleY);
  w.SetStatusFormat(StatusFormat);
  w.SetStatusText(StatusText);
  w.SetTabShade(FTabShade);
  w.SetTextBKMode(TextBKMode);
  w.SetTitle(Title);
  if (!w.NoPrinters() && !RPDev().Printing()) {
    RPDev().SetCollate(Collate);
    RPDev().SetDuplex(Duplex);
  }
}

void TSystemFiler::AssignTo(TReportFiler& f) const {
  f.IgnoreCodes = IgnoreCodes;
  f.SetAccuracyMethod(AccuracyMethod);
  f.SetFileName(FileName);
  f.SetStatusFormat(StatusFormat);
  f.SetStatusText(StatusText);
  f.SetStreamMode(StreamMode == smMemory ? smUser : StreamMode);
  if (StreamMode == smMemory) f.SetStream(Stream);
}

void TSystemFiler::AssignTo(TFilePrinter& r) const {
  r.SetFileName(FileName);
  r.SetStreamMode(StreamMode == smMemory ? smUser : StreamMode);
  if (StreamMode == smMemory) r.SetStream(Stream);
}

void TSystemPreview::Refuse(const std::string& text) const {
  if (ShowMessage) {
    ShowMessage(text);
    return;
  }
  QMessageBox box(QMessageBox::Warning, "Warning", QString::fromLatin1(text), QMessageBox::Ok);
  box.exec();
}

void TSystemPreview::SetMonochrome(bool value) {
  if (value && FShadowDepth > 0) {
    Refuse(TFilePreview::SMonochromeRefused);
    return;
  }
  FMonochrome = value;
}

void TSystemPreview::SetShadowDepth(int value) {
  if (value > 0 && FMonochrome) {
    Refuse(TFilePreview::SShadowsRefused);
    return;
  }
  FShadowDepth = value;
}

void TSystemPreview::SetZoomFactor(double value) {
  // A NaN passes the limits and would reach the preview as a zoom with no page.
  if (!std::isfinite(value)) return;
  FZoomFactor = std::clamp(value, 10.0, 200.0);
}

void TSystemPreview::AssignTo(TFilePreview& p) const {
  p.SetGridHoriz(GridHoriz);
  p.SetGridPen(GridPen);
  p.SetGridVert(GridVert);
  p.SetMarginMethod(MarginMethod);
  p.SetMarginPercent(MarginPercent);
  p.SetMonochrome(FMonochrome);
  p.SetPageInc(PageInc);
  p.SetRulerType(RulerType);
  p.SetShadowDepth(FShadowDepth);
  p.SetZoomFactor(FZoomFactor);
  p.SetZoomInc(ZoomInc);
}

// ---------------------------------------------------------------- the run

TReportSystem::TReportSystem(QObject* owner) : TRPComponent(owner) {}

TReportSystem::~TReportSystem() = default;

QWidget* TReportSystem::OwnerWidget() const {
  return qobject_cast<QWidget*>(parent());
}

int TReportSystem::PrinterCopyLimit() const {
  return RPDev().MaxCopies();
}

std::unique_ptr<TReportFiler> TReportSystem::CreateFiler() {
  return std::make_unique<TReportFiler>(parent());
}

std::unique_ptr<TFilePrinter> TReportSystem::CreateReplay() {
  return std::make_unique<TFilePrinter>(parent());
}

std::unique_ptr<TBaseReport> TReportSystem::CreatePrinter() {
  return std::make_unique<TReportPrinter>(parent());
}

void TReportSystem::AssignEvents(TBaseReport& w) const {
  w.OnPrint = OnPrint;
  w.OnPrintPage = OnPrintPage;
  w.OnBeforePrint = OnBeforePrint;
  w.OnAfterPrint = OnAfterPrint;
  w.OnNewPage = OnNewPage;
  w.OnNewColumn = OnNewColumn;
  w.OnPrintHeader = OnPrintHeader;
  w.OnPrintFooter = OnPrintFooter;
  w.OnEndOfSection = OnEndOfSection;
}

void TReportSystem::PrepareReplay(TFilePrinter& replay) const {
  FSystemFiler.AssignTo(replay);
  replay.MacroStrings = FMacroStrings;
  replay.OnDecodeImage = OnDecodeImage;
}

void TReportSystem::ExecuteWith(TNotifyEvent handler) {
  TNotifyEvent own = std::exchange(OnPrint, std::move(handler));
  TFinally restore([&] { OnPrint = std::move(own); });
  Execute();
}

void TReportSystem::Execute() {
  FReportDest = DefaultDest;
  FAborted = false;
  if (SystemSetups.Contains(ssAllowSetup)) {
    TFinally free([this] { SetupHandler(omFree); });
    SetupHandler(omCreate);
    SetupHandler(omShow);
    SetupHandler(omWait);
  }
  if (FAborted) return;
  FCopiesByRepeat = PrinterCopyLimit() <= 1 && FSystemPrinter.Copies > 1;
  const bool viaStream =
      FReportDest == rdPreview || SystemOptions.Contains(soUseFiler) || FCopiesByRepeat;
  TFinally cleanUp([this, viaStream] {
    // A generation that was cancelled or raised for the printer leaves its status window.
    if (FStatusForm || FStatusOverride) StatusHandler(omFree);
    FSystemFiler.Stream = nullptr;
    FRunStream.reset();
    if (viaStream && FSystemFiler.StreamMode == smTempFile && !FSystemFiler.FileName.empty())
      std::remove(FSystemFiler.FileName.c_str());
  });
  if (viaStream && FSystemFiler.StreamMode == smMemory) {
    FRunStream = std::make_unique<TMemoryStream>();
    FSystemFiler.Stream = FRunStream.get();
  }
  if (viaStream) Generate();
  if (FAborted) return;
  if (FReportDest == rdPreview) {
    TFinally free([this] { PreviewHandler(omFree); });
    PreviewHandler(omCreate);
    PreviewHandler(omShow);
    PreviewHandler(omWait);
  } else {
    Print();
  }
}

void TReportSystem::Generate() {
  if (SystemOptions.Contains(soNoGenerate)) return;
  FAborted = true;
  StatusHandler(omCreate);
  std::unique_ptr<TReportFiler> filer = CreateFiler();
  FSystemPrinter.AssignTo(*filer);
  FSystemFiler.AssignTo(*filer);
  AssignEvents(*filer);
  FReportPrinter = filer.get();
  TFinally done([&] {
    FAborted = filer->Aborted();
    FStatusLabel = filer->StatusLabel();
    FSystemFiler.FileName = filer->FileName();
    FReportPrinter = nullptr;
    filer.reset();
    // For the printer the status window stays open; an exception closes it.
    if (FReportDest == rdPreview || std::uncaught_exceptions() > 0) StatusHandler(omFree);
  });
  StatusHandler(omShow);
  filer->Execute();
  FMacroStrings = filer->MacroStrings;
}

void TReportSystem::Print() {
  FAborted = true;
  std::unique_ptr<TBaseReport> writer;
  TFinally done([&] {
    // The output file belongs to this run; later jobs go to the queue again.
    if (writer && !writer->NoPrinters() && !RPDev().Printing()) RPDev().SetOutputFile("");
    FReportPrinter = nullptr;
    writer.reset();
    StatusHandler(omFree);
  });
  const bool noGenerate = SystemOptions.Contains(soNoGenerate);
  if (SystemOptions.Contains(soUseFiler) || FCopiesByRepeat) {
    if (noGenerate) StatusHandler(omCreate);
    std::unique_ptr<TFilePrinter> replay = CreateReplay();
    FSystemPrinter.AssignTo(*replay);
    // A stream this run generated holds the run's own settings, which the line above gave
    // the printer already; its copy count must not undo the copies made by repetition. A
    // stream made elsewhere brings its bin, collation, duplex and copies.
    replay->KeepOwnSettings = !noGenerate;
    replay->SetUnits(unInch);
    PrepareReplay(*replay);
    replay->SetStatusLabel(FStatusLabel);
    writer = std::move(replay);
    FReportPrinter = writer.get();
    if (noGenerate) StatusHandler(omShow);
  } else {
    StatusHandler(omCreate);
    writer = CreatePrinter();
    FSystemPrinter.AssignTo(*writer);
    AssignEvents(*writer);
    FReportPrinter = writer.get();
    StatusHandler(omShow);
  }
  if (!writer->NoPrinters()) RPDev().SetOutputFile(FOutputFileName);
  ExecuteCopies(*writer, FCopiesByRepeat);
  FAborted = writer->Aborted();
  if (!FAborted) StatusHandler(omWait);
}

void TReportSystem::ExecuteCopies(TBaseReport& writer, bool byRepeat) {
  int totalCopies = 1;
  if (byRepeat) {
    totalCopies = writer.Copies();
    writer.SetCopies(1);
  }
  writer.SetTotalCopies(totalCopies);
  for (int copy = 1; copy <= totalCopies && !writer.Aborted(); ++copy) {
    writer.SetCurrentCopy(copy);
    writer.Execute();
  }
}

// ---------------------------------------------------------------- what the windows ask

TRPPrintOptions TReportSystem::PrintOptions() const {
  return {FSystemPrinter.Copies, FSystemPrinter.Collate, FSystemPrinter.Duplex};
}

void TReportSystem::SetPrintOptions(const TRPPrintOptions& options) {
  FSystemPrinter.Copies = options.Copies;
  FSystemPrinter.Collate = options.Collate;
  FSystemPrinter.Duplex = options.Duplex;
}

void TReportSystem::PreviewShown(TFilePreview& preview) {
  if (OnPreviewShow) OnPreviewShow(&preview);
}

void TReportSystem::PrintReplay(TFilePrinter& printer) {
  ExecuteCopies(printer, PrinterCopyLimit() <= 1 && printer.Copies() > 1);
}

// ---------------------------------------------------------------- window handlers

void TReportSystem::RunHandler(const TReportSystemEvent& override, QWidget*& form,
                               TOverrideMode mode, void (TReportSystem::*builtIn)(TOverrideMode)) {
  if (override) {
    override(this, mode, form);
    if (mode == omFree) form = nullptr;
  } else {
    (this->*builtIn)(mode);
  }
}

void TReportSystem::SetupHandler(TOverrideMode mode) {
  RunHandler(OverrideSetup, FSetupOverride, mode, &TReportSystem::BuiltInSetup);
}

void TReportSystem::StatusHandler(TOverrideMode mode) {
  RunHandler(OverrideStatus, FStatusOverride, mode, &TReportSystem::BuiltInStatus);
}

void TReportSystem::PreviewHandler(TOverrideMode mode) {
  RunHandler(OverridePreview, FPreviewOverride, mode, &TReportSystem::BuiltInPreview);
}

void TReportSystem::BuiltInSetup(TOverrideMode mode) {
  switch (mode) {
    case omCreate:
      FSetupForm = new TRPSetupForm(*this, OwnerWidget());
      FSetupForm->setWindowTitle(ToQString(TitleSetup));
      FSetupForm->SetDestinationMode();
      break;
    case omShow:
      if (FSetupForm) FAborted = FSetupForm->exec() != QDialog::Accepted;
      break;
    case omWait:
      break;
    case omFree:
      delete FSetupForm.data();
      break;
  }
}

void TReportSystem::BuiltInStatus(TOverrideMode mode) {
  if (!SystemOptions.Contains(soShowStatus)) return;
  switch (mode) {
    case omCreate:
      if (!FStatusForm) {
        FStatusForm = new TRPStatusForm(*this, OwnerWidget());
        FStatusForm->setWindowTitle(ToQString(TitleStatus));
      }
      break;
    case omShow:
      if (!FStatusForm) break;
      if (FReportPrinter) FReportPrinter->SetStatusLabel(FStatusForm->StatusLabel);
      FStatusForm->SetCancelMode();
      FStatusForm->show();
      QCoreApplication::processEvents();
      break;
    case omWait:
      if (FStatusForm && SystemOptions.Contains(soWaitForOK)) FStatusForm->WaitForOK();
      break;
    case omFree:
      delete FStatusForm.data();
      break;
  }
}

void TReportSystem::BuiltInPreview(TOverrideMode mode) {
  switch (mode) {
    case omCreate:
      FPreviewForm = new TRPPreviewForm(*this, OwnerWidget());
      FPreviewForm->setWindowTitle(ToQString(TitlePreview));
      FPreviewForm->resize(FSystemPreview.FormWidth, FSystemPreview.FormHeight);
      FPreviewForm->setWindowState(FSystemPreview.FormState);
      break;
    case omShow:
      if (!FPreviewForm) break;
      PrepareReplay(FPreviewForm->ReportPrinter());
      PrepareReplay(FPreviewForm->FilePreview());
      FSystemPreview.AssignTo(FPreviewForm->FilePreview());
      if (OnPreviewSetup) OnPreviewSetup(&FPreviewForm->FilePreview());
      if (SystemOptions.Contains(soPreviewModal))
        FPreviewForm->exec();
      else
        FPreviewForm->show();
      break;
    case omWait:
      if (FPreviewForm && !SystemOptions.Contains(soPreviewModal)) FPreviewForm->WaitForClose();
      break;
    case omFree:
      delete FPreviewForm.data();
      break;
  }
}
