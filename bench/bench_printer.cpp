// Printing a 1,000-line code text to PDF through the printer writer, laid out as the
// codes report lays it out (title, subtitle, memo buffer page by page), beside Qt's own
// QTextDocument::print of the same text to a PDF file. The writer's metrics come from a
// real CUPS queue on a private scheduler; both write their PDF to a file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <QTextDocument>
#include <filesystem>

#include "PrinterHarness.h"
#include "QtCodepage.h"
#include "QueueBenchMain.h"
#include "RepeatedCodeText.h"

namespace {

const std::string& Text() {
  static const std::string text = RepeatedCodeText(TRICKFOLIO_SOURCE_DIR, 1000);
  return text;
}

std::string OutputPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void BM_ReportPrinterToPdf(benchmark::State& state) {
  const std::string pdf = OutputPath("trickfolio-bench-writer.pdf");
  RPDev().SetOutputFile(pdf);
  int pages = 0;
  for (auto _ : state) {
    TReportPrinter printer;
    UseCodesPage(printer);
    printer.OnPrint = [&](QObject*) { PrintCodes(printer, "Half-Life", "PC", Text()); };
    printer.Execute();
    pages = printer.CurrentPage();
  }
  RPDev().SetOutputFile("");
  state.counters["pages"] = pages;
  state.counters["pdf_kB"] = double(std::filesystem::file_size(pdf)) / 1024;
}
BENCHMARK(BM_ReportPrinterToPdf)->Unit(benchmark::kMillisecond);

void BM_QTextDocumentToPdf(benchmark::State& state) {
  const std::string pdf = OutputPath("trickfolio-bench-qtextdocument.pdf");
  const QString text = ToQString(Text());
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 10, 10, 15), QPageLayout::Millimeter);
    QTextDocument document;
    document.setDefaultFont(QFont("Arial", 12));
    document.setPlainText(text);
    document.print(&printer);
  }
  state.counters["pdf_kB"] = double(std::filesystem::file_size(pdf)) / 1024;
}
BENCHMARK(BM_QTextDocumentToPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarksWithQueue(argc, argv);
}
