// The printer device and writer against a private scheduler that has no queue.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Exception.h"
#include "PrinterHarness.h"
#include "RPShell.h"

namespace {

class NoPrintersTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    RPDevFree();
    Cups.reset();
  }
  void SetUp() override {
    // Here rather than for the suite: a scheduler that fails to start fails the test.
    if (!Cups) Cups = std::make_unique<TCupsScheduler>();
    RPDevFree();
  }
  static inline std::unique_ptr<TCupsScheduler> Cups;
};

TEST_F(NoPrintersTest, DeviceHasNothingToOffer) {
  TRPDevice& device = RPDev();
  EXPECT_TRUE(device.NoPrinters());
  EXPECT_EQ(device.PrinterIndex(), -1);
  EXPECT_EQ(device.DeviceName(), "");
  EXPECT_EQ(device.MaxCopies(), 1);
  EXPECT_TRUE(device.Bins().empty());
  EXPECT_EQ(device.DevMode(), nullptr);
  EXPECT_FALSE(device.SelectPrinter("", false));
  EXPECT_FALSE(device.SelectBin("top", false));
  try {
    device.BeginDoc();
    FAIL() << "a document began without a printer";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid Printer -  on  ()");
  }
  // A queue added later is found when the printers are asked for again a moment after.
  Cups->AddQueue("late", true);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(device.Printers(), std::vector<std::string>{"late on trickpdf:/late"});
  EXPECT_EQ(device.DeviceName(), "late");
  Cups->RemoveQueue("late");
}

// The PDF stand-in: A4, one copy, no bins, and only into a file.
TEST_F(NoPrintersTest, PdfFallbackStandsInForTheMissingQueues) {
  TRPDevice& device = RPDev();
  device.SetPdfFallback(true);
  EXPECT_EQ(device.Printers(), std::vector<std::string>{"PDF on file:"});
  EXPECT_EQ(device.PaperSize(), 9);
  EXPECT_EQ(device.MaxCopies(), 1);
  EXPECT_TRUE(device.Bins().empty());
  EXPECT_EQ(device.XDPI(), 1200);
  EXPECT_EQ(device.DeviceCaps(TDeviceCap::PHYSICALOFFSETX), 0);
  try {
    device.BeginDoc();
    FAIL() << "the stand-in began a job for a queue";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid Printer - PDF on file: (PDF file)");
  }
  device.SetPdfFallback(false);
  EXPECT_TRUE(device.NoPrinters());
}

TEST_F(NoPrintersTest, StartShowsTheMessageAndStartsNoJob) {
  TRecordingPrinter printer;
  printer.Start();
  EXPECT_EQ(printer.Messages,
            std::vector<std::string>{"No printers are defined, aborting print job."});
  EXPECT_FALSE(printer.Printing());

  // A whole run: the message once, then the first drawing finds no job.
  TRecordingPrinter run;
  run.OnPrint = [&](QObject*) { run.PrintLeft("text", 1); };
  try {
    run.Execute();
    FAIL() << "printed without a printer";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid method call.  ReportPrinter is not printing.");
  }
  EXPECT_EQ(run.Messages.size(), 1u);

  // A detail shell on the idle writer stops after its one failed start.
  TRecordingPrinter engine;
  TDetailShell shell;
  shell.SetEngine(&engine);
  int rows = 0;
  shell.OnRowBefore = [&](TBaseReport*, TDetailShell*, bool& valid) { valid = ++rows < 3; };
  EXPECT_THROW(shell.Execute(), Exception);
  EXPECT_EQ(engine.Messages.size(), 1u);
  EXPECT_EQ(rows, 0);
}

TEST_F(NoPrintersTest, LetterPaperInTheCallersUnits) {
  // 8.5 x 11 in; the right and bottom margins count from those edges in any unit.
  struct Case {
    TPrintUnits units;
    double right, bottom;  // margins given
    double sectionRight, sectionBottom, pageWidth;
  } cases[] = {
      {unMM, 10, 15, 215.9 - 10, 279.4 - 15, 215.9},
      {unInch, 1, 0.5, 7.5, 10.5, 8.5},
      {unCM, 1, 1.5, 21.59 - 1, 27.94 - 1.5, 21.59},
  };
  for (const Case& c : cases) {
    TRecordingPrinter printer;
    printer.SetUnits(c.units);
    printer.SetMarginRight(c.right);
    printer.SetMarginBottom(c.bottom);
    EXPECT_NEAR(printer.SectionRight(), c.sectionRight, 1e-9) << c.units;
    EXPECT_NEAR(printer.SectionBottom(), c.sectionBottom, 1e-9) << c.units;
    EXPECT_NEAR(printer.PageWidth(), c.pageWidth, 1e-9) << c.units;
  }
}

}  // namespace
