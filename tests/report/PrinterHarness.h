#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Codepage.h"
#include "CupsFixture.h"
#include "MemoryStream.h"
#include "RPDevice.h"
#include "RPFPrint.h"
#include "RPMemo.h"
#include "RPrinter.h"

// A printing writer whose information box is recorded instead of shown.
template <typename TWriter>
class TRecording : public TWriter {
 public:
  std::vector<std::string> Messages;

 protected:
  void ShowInformation(const std::string& text) override { Messages.push_back(text); }
};
using TRecordingPrinter = TRecording<TReportPrinter>;

// A replaying writer (the file printer or the preview) whose error box is recorded too.
template <typename TFileWriter>
class TRecordingFile : public TRecording<TFileWriter> {
 protected:
  void ShowError(const std::string& text) override { this->Messages.push_back(text); }
};

// The codes report's page: millimetres, margins 15, 10, 10, 15, line pitch from the font.
inline void UseCodesPage(TBaseReport& printer) {
  printer.SetUnits(unMM);
  printer.SetMarginLeft(15);
  printer.SetMarginRight(10);
  printer.SetMarginTop(10);
  printer.SetMarginBottom(15);
  printer.SetLineHeightMethod(lhmFont);
}

// The codes report's layout: the title and subtitle (UTF-8) centred on the paper's middle,
// then the text (the engine's bytes) through a memo buffer, page by page; with maxPages,
// stops after that page. Returns how many bytes of the text were printed.
inline size_t PrintCodes(TBaseReport& r, const std::string& title, const std::string& subtitle,
                         const std::string& text, int maxPages = 0) {
  const double middle =
      ((r.SectionRight() - r.SectionLeft()) + r.MarginLeft() + r.MarginRight()) / 2;
  r.MoveToFirstLine();
  r.SetFont("Arial", 16);
  r.FitLineToFont();
  r.PrintCentered(Codepage::Utf8ToCp1251(title), middle);
  r.LineFeed();
  r.SetFont("Arial", 14);
  r.FitLineToFont();
  r.PrintCentered(Codepage::Utf8ToCp1251(subtitle), middle);
  TMemoryStream stream;
  stream.WriteString(text);
  TMemoBuf memo;
  memo.LoadFromStream(stream, stream.Size());
  memo.SaveBuffer();
  memo.Justify = pjLeft;
  r.LineFeed();
  r.LineFeed();
  memo.PrintStart = r.SectionLeft();
  memo.PrintEnd = r.SectionRight();
  r.SetFont("Arial", 12);
  r.SetFontPitch(fpVariable);
  r.FitLineToFont();
  while (memo.Pos() < memo.Size()) {
    r.ClearColumns();
    r.PrintMemo(memo, r.LinesLeft(), false);
    if (maxPages > 0 && r.CurrentPage() >= maxPages) break;
    if (memo.Pos() != memo.Size()) r.NewPage();
  }
  return size_t(memo.Pos());
}

// Runs one job whose OnPrint is `body` on a fresh writer and returns the queue's PDF.
inline std::vector<TPdfPage> PrintJob(TCupsScheduler& cups,
                                      const std::function<void(TRecordingPrinter&)>& body) {
  TRecordingPrinter printer;
  UseCodesPage(printer);
  printer.OnPrint = [&](QObject*) { body(printer); };
  printer.Execute();
  const TCupsScheduler::TJob job = cups.NextJob();
  if (job.Pdf.empty()) return {};
  return ReadPdfWords(job.Pdf);
}

inline const TPdfWord* FindWord(const TPdfPage& page, const std::string& text) {
  for (const TPdfWord& w : page.Words)
    if (w.Text == text) return &w;
  return nullptr;
}

// Tests that print through one private scheduler with one default PDF queue, "pdf".
template <typename TTest>
class TQueueTest : public TTest {
 protected:
  // Started for the first test rather than for the suite, so that a scheduler that fails
  // to start fails the test instead of skipping it.
  void SetUp() override {
    if (Cups) return;
    Cups = std::make_unique<TCupsScheduler>();
    Cups->AddQueue("pdf", true);
  }
  static void TearDownTestSuite() {
    RPDevFree();
    Cups.reset();
  }
  static inline std::unique_ptr<TCupsScheduler> Cups;
};
