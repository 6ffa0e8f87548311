#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CupsFixture.h"
#include "RPDevice.h"
#include "RPrinter.h"

// A printer writer whose information box is recorded instead of shown.
class TRecordingPrinter : public TReportPrinter {
 public:
  std::vector<std::string> Messages;

 protected:
  void ShowInformation(const std::string& text) override { Messages.push_back(text); }
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
