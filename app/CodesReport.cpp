#include "CodesReport.h"

#include <QMessageBox>
#include <QWidget>

#include "CatalogueFormat.h"
#include "Codepage.h"
#include "Finally.h"
#include "RPDevice.h"
#include "RPMemo.h"
#include "RPShell.h"
#include "RPSystem.h"

namespace {

// The window layout's settings of the report system (titles and formats as UTF-8 here,
// Windows-1251 in the engine).
void ApplyLayoutSettings(TReportSystem& rs) {
  rs.TitleSetup = Codepage::Utf8ToCp1251("Установки печати");
  rs.TitleStatus = Codepage::Utf8ToCp1251("Статус печати");
  rs.TitlePreview = Codepage::Utf8ToCp1251("Предпросмотр печати");
  rs.SystemSetups = {ssAllowDestPreview, ssAllowDestPrinter};
  rs.SystemFiler().StatusFormat = Codepage::Utf8ToCp1251("Генерирация страницы %p");
  rs.SystemPreview().FormState = Qt::WindowMaximized;
  rs.SystemPreview().RulerType = rtBothCm;
  rs.SystemPreview().SetZoomFactor(100);
  TSystemPrinter& printer = rs.SystemPrinter();
  printer.MarginLeft = 15;
  printer.MarginRight = 10;
  printer.MarginTop = 10;
  printer.MarginBottom = 15;
  printer.ScaleX = 100;
  printer.ScaleY = 100;
  printer.StatusFormat = Codepage::Utf8ToCp1251("Печать страницы %p");
  printer.Title = Codepage::Utf8ToCp1251("Печать");
  printer.SetUnits(unMM);
  printer.SetUnitsFactor(25.4);
}

}  // namespace

TCodesReport::TCodesReport(QObject* owner, std::function<TCodesSource()> source)
    : ReportSystem1(new TReportSystem(owner)),
      DetailShell1(new TDetailShell(owner)),
      FOwner(owner),
      FSource(std::move(source)) {
  ReportSystem1->setObjectName("ReportSystem1");
  DetailShell1->setObjectName("DetailShell1");
  ApplyLayoutSettings(*ReportSystem1);
  ReportSystem1->OnPrint = [this](QObject* sender) { ReportSystem1Print(sender); };
  DetailShell1->SectionRow().SetTopMethod(dmMargin);
  DetailShell1->OnRowAfter = [this](TBaseReport* r, TDetailShell* s, bool& valid) {
    DetailShell1RowAfter(r, s, valid);
  };
}

TCodesReport::~TCodesReport() = default;

void TCodesReport::PrintButtonClick() {
  if (FRunning) {
    BringRunForward();
    return;
  }
  if (RPDev().NoPrinters()) {
    ShowError(QString::fromUtf8(NoPrintersMessage));
    return;
  }
  {
    FRunning = true;
    FCancelled = false;
    TFinally ended([this] { FRunning = false; });
    // A failure of the run (a queue gone since the printers were read, a refused job) is
    // reported like any error of the window; it must not end the program.
    try {
      ReportSystem1->Execute();
    } catch (const std::exception& e) {
      ShowError(ToQString(e.what()));
    }
  }
  if (std::exchange(FCloseAfterRun, false))
    if (auto* window = qobject_cast<QWidget*>(FOwner)) window->close();
}

bool TCodesReport::DeferClose() {
  if (!FRunning) return false;
  FCloseAfterRun = true;
  CancelRun();
  return true;
}

void TCodesReport::BringRunForward() {
  QWidget* windows[] = {ReportSystem1->PreviewForm(), ReportSystem1->StatusForm(),
                        ReportSystem1->SetupForm()};
  for (QWidget* window : windows)
    if (window && window->isVisible()) {
      window->raise();
      window->activateWindow();
      return;
    }
}

// As the status window's Cancel does, and the preview's own printing with it; a setup or
// preview window that waits for the user is closed.
void TCodesReport::CancelRun() {
  FCancelled = true;
  if (TBaseReport* writer = ReportSystem1->ReportPrinter()) writer->Abort();
  if (TRPSetupForm* setup = ReportSystem1->SetupForm()) setup->reject();
  if (TRPPreviewForm* preview = ReportSystem1->PreviewForm()) {
    preview->ReportPrinter().Abort();
    preview->close();
  }
}

void TCodesReport::ShowError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, "Error", text, QMessageBox::Ok,
                  qobject_cast<QWidget*>(FOwner));
  box.exec();
}

bool TCodesReport::PrintBufDone() const {
  const std::string& text = PrintBuf->Buffer();
  const std::string_view rest = std::string_view(text).substr(size_t(PrintBuf->Pos()));
  return rest.empty() || rest == "\r\n" || rest == "\r" || rest == "\n";
}

void TCodesReport::ReportSystem1Print(QObject* Sender) {
  TBaseReport& R = *dynamic_cast<TBaseReport*>(Sender);
  // A cancel that came while the run prepared, before the writer's job cleared its flag.
  if (FCancelled) R.Abort();
  const TCodesSource source = FSource();
  FLineCount = source.Lines.Count();
  const CatalogueFormat::TGameLine line = CatalogueFormat::SplitGameLine(source.ListLine);
  const double x = ((R.SectionRight() - R.SectionLeft()) + R.MarginLeft() + R.MarginRight()) / 2;
  R.MoveToFirstLine();
  R.SetFont("Arial", 16);
  R.FitLineToFont();
  R.PrintCentered(line.Name, x);
  R.LineFeed();
  R.SetFont("Arial", 14);
  R.FitLineToFont();
  R.PrintCentered(line.Platform, x);

  PrintBuf = std::make_unique<TMemoBuf>();
  TFinally freeBuf([this] { PrintBuf.reset(); });
  PrintBuf->SetData(source.Lines.Text());
  PrintBuf->SaveBuffer();
  PrintRow = 0;
  PrintBuf->Justify = pjLeft;
  R.LineFeed();
  R.LineFeed();
  PrintBuf->PrintStart = R.SectionLeft();
  PrintBuf->PrintEnd = R.SectionRight();
  if (source.FixedPitch) {
    R.SetFont("Courier New", 10);
    R.SetFontPitch(fpFixed);
  } else {
    R.SetFont("Arial", 12);
    R.SetFontPitch(fpVariable);
  }
  R.FitLineToFont();
  while (!PrintBufDone()) {
    R.ClearColumns();
    R.PrintMemo(*PrintBuf, R.LinesLeft(), false);
    if (!PrintBufDone()) R.NewPage();
  }
  PrintBuf.reset();
  DetailShell1->Execute(&R);
}

void TCodesReport::DetailShell1RowAfter(TBaseReport*, TDetailShell*, bool& Valid) {
  ++PrintRow;
  Valid = PrintRow < FLineCount;
}
