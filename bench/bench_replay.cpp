// The recorded report and its preview, beside Qt's own printing and print preview of the
// same text in the same run:
// - a 200-page codes report recorded into a memory stream, and replayed from it to PDF,
//   against QTextDocument::print of the text those pages hold;
// - one preview page (ShowPage) at zoom 100 and 200, against QPrintPreviewWidget showing a
//   page's worth of that text at the same zoom;
// - the memory of a preview walked over all 200 pages, against QPrintPreviewWidget holding
//   the same 200-page text;
// - the viewer's print button on the demo catalogue's longest game, up to the preview
//   window painting its first page.
// Metrics come from a real CUPS queue on a private scheduler, as the program's come from
// the selected printer.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollArea>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "Abcspla.h"
#include "Catalogue.h"
#include "Codepage.h"
#include "CodesReport.h"
#include "CoolBitmapButton.h"
#include "GameListBox.h"
#include "PrinterHarness.h"
#include "QtCodepage.h"
#include "QueueBenchMain.h"
#include "RPFPrint.h"
#include "RPFiler.h"
#include "RPPreFrm.h"
#include "RPSystem.h"
#include "RPreview.h"
#include "RepeatedCodeText.h"
#include "Unit1.h"

namespace {

constexpr int kPages = 200;
// The preview window's scroll box, as a maximised window on a small screen gives it.
constexpr int kBoxWidth = 1024, kBoxHeight = 700;

// More lines than 200 pages hold.
const std::string& Text() {
  static const std::string text = RepeatedCodeText(TRICKFOLIO_SOURCE_DIR, 15000);
  return text;
}

std::string OutputPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

double KiB(double bytes) {
  return bytes / 1024;
}

// The heap's bytes in use, mapped blocks included, in KiB: what the process holds, free of
// the allocator's habit of keeping freed pages resident.
double HeapKiB() {
  const struct mallinfo2 info = ::mallinfo2();
  return KiB(double(info.uordblks + info.hblkhd));
}

// The pages of a PDF written by Qt, which puts every page object's type uncompressed.
int PdfPages(const std::string& pdf) {
  std::ifstream in(pdf, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  int pages = 0;
  for (size_t at = bytes.find("/Type /Page"); at != std::string::npos;
       at = bytes.find("/Type /Page", at + 1))
    pages += bytes.compare(at, 12, "/Type /Pages") != 0;
  return pages;
}

// The codes report's first 200 pages recorded into stream; returns the text they hold.
std::string Record(TMemoryStream& stream) {
  TReportFiler filer;
  UseCodesPage(filer);
  filer.SetStreamMode(smUser);
  filer.SetStream(&stream);
  size_t printed = 0;
  filer.OnPrint = [&](QObject*) { printed = PrintCodes(filer, "Half-Life", "PC", Text(), kPages); };
  filer.Execute();
  return Text().substr(0, printed);
}

// The report recorded once, for the benchmarks that read it.
struct TRecording {
  TMemoryStream Stream;
  std::string Printed;  // the text on its pages, CR LF lines
  TRecording() { Printed = Record(Stream); }
  QString PrintedText() const {
    return ToQString(Printed).replace("\r\n", "\n");
  }
  // About one page's worth of the text, cut at a line end.
  QString PageText() const {
    const std::string page = Printed.substr(0, Printed.find("\r\n", Printed.size() / kPages));
    return ToQString(page).replace("\r\n", "\n");
  }
};

TRecording& Recording() {
  static TRecording recording;
  return recording;
}

int StreamPages(TMemoryStream& stream) {
  TFilePrinter reader;
  reader.SetStreamMode(smUser);
  reader.SetStream(&stream);
  return reader.PageCount();
}

void ReplayToPdf(TMemoryStream& stream, const std::string& pdf) {
  TFilePrinter printer;
  printer.SetStreamMode(smUser);
  printer.SetStream(&stream);
  RPDev().SetOutputFile(pdf);
  printer.Execute();
  RPDev().SetOutputFile("");
}

// Qt's side: the same font, and A4 with the report's margins.
void UseCodesPaper(QPrinter& printer) {
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageMargins(QMarginsF(15, 10, 10, 15), QPageLayout::Millimeter);
}

void SetCodesText(QTextDocument& document, const QString& text) {
  document.setDefaultFont(QFont("Arial", 12));
  document.setPlainText(text);
}

// Qt's print preview of a text, in a window of the preview's size.
struct TQtPreview {
  QTextDocument Document;
  QPrinter Printer;
  QPrintPreviewWidget Preview{&Printer};
  explicit TQtPreview(const QString& text) {
    SetCodesText(Document, text);
    UseCodesPaper(Printer);
    QObject::connect(&Preview, &QPrintPreviewWidget::paintRequested,
                     [this](QPrinter* p) { Document.print(p); });
    Preview.resize(kBoxWidth, kBoxHeight);
    Preview.show();
  }
};

// ---- 200 pages to PDF ----

void BM_Record200Pages(benchmark::State& state) {
  TMemoryStream stream;
  for (auto _ : state) {
    stream.Clear();
    Record(stream);
  }
  state.counters["pages"] = StreamPages(stream);
  state.counters["stream_kB"] = KiB(double(stream.Size()));
}
BENCHMARK(BM_Record200Pages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Replay200PagesToPdf(benchmark::State& state) {
  TMemoryStream& stream = Recording().Stream;
  const std::string pdf = OutputPath("trickfolio-bench-replay.pdf");
  for (auto _ : state) ReplayToPdf(stream, pdf);
  state.counters["pages"] = PdfPages(pdf);
  state.counters["pdf_kB"] = KiB(double(std::filesystem::file_size(pdf)));
}
BENCHMARK(BM_Replay200PagesToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a print run through the stream costs: recording, then replaying.
void BM_RecordAndReplay200PagesToPdf(benchmark::State& state) {
  const std::string pdf = OutputPath("trickfolio-bench-replay.pdf");
  for (auto _ : state) {
    TMemoryStream stream;
    Record(stream);
    ReplayToPdf(stream, pdf);
  }
  state.counters["pages"] = PdfPages(pdf);
}
BENCHMARK(BM_RecordAndReplay200PagesToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_QTextDocumentPrintSameTextToPdf(benchmark::State& state) {
  const QString text = Recording().PrintedText();
  const std::string pdf = OutputPath("trickfolio-bench-qtextdocument.pdf");
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    UseCodesPaper(printer);
    QTextDocument document;
    SetCodesText(document, text);
    document.print(&printer);
  }
  state.counters["pages"] = PdfPages(pdf);
  state.counters["pdf_kB"] = KiB(double(std::filesystem::file_size(pdf)));
}
BENCHMARK(BM_QTextDocumentPrintSameTextToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- One preview page ----

// A preview of the recorded report in a shown scroll box, with the print button's
// settings (centimetre rulers on both sides).
struct TPreviewWindow {
  QScrollArea Box;
  TFilePreview Preview;
  explicit TPreviewWindow(double zoom) {
    Box.resize(kBoxWidth, kBoxHeight);
    Box.show();
    Preview.SetStreamMode(smUser);
    Preview.SetStream(&Recording().Stream);
    Preview.SetScrollBox(&Box);
    Preview.SetRulerType(rtBothCm);
    Preview.SetZoomFactor(zoom);
    Preview.Start();
  }
  ~TPreviewWindow() { Preview.Finish(); }
};

// Args: zoom, and 1 when the scroll box is painted as well (what the peer's figure holds).
void BM_ShowPage(benchmark::State& state) {
  TPreviewWindow window(double(state.range(0)));
  const bool paint = state.range(1) != 0;
  int page = 1;
  for (auto _ : state) {
    page = (page + 36) % kPages + 1;  // a different page each time, from anywhere
    window.Preview.ShowPage(page);
    if (paint) benchmark::DoNotOptimize(window.Box.grab());
  }
  state.counters["bitmap_kB"] = KiB(double(window.Preview.PageBitmap().sizeInBytes()));
  state.counters["fonts_held"] = window.Preview.FontCache().Count();
}
BENCHMARK(BM_ShowPage)
    ->ArgNames({"zoom", "painted"})
    ->Args({100, 0})
    ->Args({200, 0})
    ->Args({100, 1})
    ->Args({200, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Qt's print preview of a page's worth of the same text, laid out anew and painted.
void BM_QPrintPreviewWidgetPage(benchmark::State& state) {
  TQtPreview qt(Recording().PageText());
  QPrintPreviewWidget& preview = qt.Preview;
  preview.setZoomMode(QPrintPreviewWidget::CustomZoom);
  preview.setZoomFactor(double(state.range(0)) / 100);
  // Its margins are wider: lines go until the text fills one page of its own.
  for (preview.updatePreview(); preview.pageCount() > 1; preview.updatePreview()) {
    QString text = qt.Document.toPlainText();
    text.truncate(text.lastIndexOf('\n'));
    qt.Document.setPlainText(text);
  }
  for (auto _ : state) {
    preview.updatePreview();
    benchmark::DoNotOptimize(preview.grab());
  }
  state.counters["pages"] = preview.pageCount();
  state.counters["lines"] = qt.Document.lineCount();
}
BENCHMARK(BM_QPrintPreviewWidgetPage)
    ->ArgName("zoom")
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---- Memory of a long report's preview ----

// Every page of the 200 shown in turn: what the preview holds stays one page's bitmap
// (and the label's copy of it on the screen), whichever page is shown.
void BM_PreviewWalk200Pages(benchmark::State& state) {
  double held = 0, mostHeld = 0, bitmap = 0;
  int fonts = 0;
  for (auto _ : state) {
    const double before = HeapKiB();
    TPreviewWindow window(100);
    for (int page = 2; page <= kPages; ++page) {
      window.Preview.ShowPage(page);
      mostHeld = std::max(mostHeld, HeapKiB() - before);
    }
    held = HeapKiB() - before;
    bitmap = KiB(double(window.Preview.PageBitmap().sizeInBytes()));
    fonts = window.Preview.FontCache().Count();
  }
  state.SetItemsProcessed(state.iterations() * (kPages - 1));
  state.counters["bitmap_kB"] = bitmap;
  state.counters["held_kB"] = held;
  state.counters["most_held_kB"] = mostHeld;
  state.counters["fonts_held"] = fonts;
}
BENCHMARK(BM_PreviewWalk200Pages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The peer holds every page of a document as a picture.
void BM_QPrintPreviewWidget200Pages(benchmark::State& state) {
  double held = 0;
  int pages = 0;
  const QString text = Recording().PrintedText();
  for (auto _ : state) {
    const double before = HeapKiB();
    TQtPreview qt(text);
    qt.Preview.updatePreview();
    benchmark::DoNotOptimize(qt.Preview.grab());
    held = HeapKiB() - before;
    pages = qt.Preview.pageCount();
  }
  state.counters["pages"] = pages;
  state.counters["held_kB"] = held;
}
BENCHMARK(BM_QPrintPreviewWidget200Pages)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// ---- The print button ----

// The viewer on the demo catalogue beside the binaries.
TFormMain& Viewer() {
  static TFormMain* form = [] {
    auto* f = new TFormMain;
    f->abcSplash1->Hide();
    f->hide();
    f->Catalogue->ExeDir = TRICKFOLIO_BIN_DIR "/";
    f->FormActivate(f);
    return f;
  }();
  return *form;
}

// The index of the game with the longest code text.
int LongestGame(TFormMain& f) {
  static const int longest = [&f] {
    int index = 0;
    size_t size = 0;
    TStringList lines;
    for (int i = 0; i < int(f.GameItems.size()); ++i) {
      if (!f.Catalogue->ExtractCodes(i, lines) || lines.Text().size() <= size) continue;
      size = lines.Text().size();
      index = i;
    }
    return index;
  }();
  return longest;
}

// Shows the longest game. Again before every print: closing the preview activates the
// main window, which starts it afresh on the first game.
void ShowLongestGame(TFormMain& f) {
  QCoreApplication::processEvents();
  f.CLB_Games->SetItemIndex(LongestGame(f));
  f.ActionViewCodes->trigger();
}

// Calls back at the first paint of a watched widget.
class TPaintWatch : public QObject {
 public:
  std::function<void()> OnPaint;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && OnPaint) std::exchange(OnPaint, nullptr)();
    return QObject::eventFilter(watched, event);
  }
};

// From the click to the preview window painting the page; the window is closed untimed.
void BM_PrintButtonToFirstPage(benchmark::State& state) {
  TFormMain& f = Viewer();
  TReportSystem& rs = *f.CodesReport->ReportSystem1;
  TPaintWatch watch;
  QElapsedTimer clock;
  double painted = 0, drawn = 0, drawnTotal = 0;
  int pages = 0;
  const auto close = [&rs] {
    if (TRPPreviewForm* form = rs.PreviewForm()) form->done(0);
  };
  const TNotifyEvent own = rs.OnPreviewShow;
  rs.OnPreviewShow = [&](QObject* sender) {
    if (own) own(sender);
    auto* preview = static_cast<TFilePreview*>(sender);
    drawn = double(clock.nsecsElapsed()) / 1e9;
    pages = preview->PageCount();
    watch.OnPaint = [&] {
      painted = double(clock.nsecsElapsed()) / 1e9;
      QTimer::singleShot(0, close);
    };
    preview->PageImage()->installEventFilter(&watch);
  };
  for (auto _ : state) {
    painted = -1;
    // A window that never paints, or a message instead of the preview, must not hold
    // the run.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    guard.start(10000);
    ShowLongestGame(f);
    clock.start();
    f.CoolBitmapButton9->Click();
    if (painted < 0) {
      state.SkipWithError("the preview did not paint its page");
      break;
    }
    state.SetIterationTime(painted);
    drawnTotal += drawn;
  }
  rs.OnPreviewShow = own;
  state.counters["pages"] = pages;
  state.counters["page_drawn_ms"] =
      benchmark::Counter(drawnTotal * 1000, benchmark::Counter::kAvgIterations);
  state.SetLabel(Codepage::Cp1251ToUtf8(f.GameItems[size_t(LongestGame(f))]));
}
BENCHMARK(BM_PrintButtonToFirstPage)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarksWithQueue(argc, argv);
}
