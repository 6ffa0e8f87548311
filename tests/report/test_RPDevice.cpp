// The printer device against a private CUPS scheduler with real PDF queues.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <clocale>
#include <filesystem>
#include <memory>

#include "Codepage.h"
#include "CupsFixture.h"
#include "Exception.h"
#include "RPDevice.h"

namespace {

std::unique_ptr<TCupsScheduler> Cups;

class RPDeviceTest : public ::testing::Test {
 protected:
  // Started here rather than for the suite, so that a scheduler that fails to start
  // fails the test instead of skipping it.
  static void StartCups() {
    Cups = std::make_unique<TCupsScheduler>();
    for (const char* queue : {"alpha", "beta", "gamma"}) Cups->AddQueue(queue, queue[0] == 'b');
  }
  static void TearDownTestSuite() {
    RPDevFree();
    Cups.reset();
  }
  void SetUp() override {
    if (!Cups) StartCups();
    RPDevFree();
  }

  // One page per text, each drawn 1 inch from the paper's top-left corner.
  static void PrintPages(TRPDevice& device, const std::vector<std::string>& texts) {
    device.BeginDoc();
    for (const std::string& text : texts) {
      device.NewPageSelect(true);
      device.Canvas().Painter()->drawText(
          device.XDPI() - device.DeviceCaps(TDeviceCap::PHYSICALOFFSETX), device.YDPI(),
          QString::fromStdString(text));
    }
    device.EndDoc();
  }

  static std::string MessageOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Exception& e) {
      return e.Message();
    }
    return "";
  }
};

TEST_F(RPDeviceTest, ListsOneEntryPerQueueAndSelectsTheDefault) {
  TRPDevice& device = RPDev();
  EXPECT_EQ(device.Printers(),
            (std::vector<std::string>{"alpha on trickpdf:/alpha", "beta on trickpdf:/beta",
                                      "gamma on trickpdf:/gamma"}));
  EXPECT_FALSE(device.NoPrinters());
  EXPECT_EQ(device.PrinterIndex(), 1);
  EXPECT_EQ(device.DeviceName(), "beta");
  EXPECT_EQ(device.DriverName(), "Trickfolio PDF Writer");
  EXPECT_EQ(device.PortName(), "trickpdf:/beta");
  device.SetPdfFallback(true);
  EXPECT_EQ(device.Printers().size(), 3u) << "the PDF stand-in only where no queue is";
}

TEST_F(RPDeviceTest, SelectsByName) {
  struct Case {
    std::string name;
    bool exact;
    bool found;
    int index;  // the selection afterwards
  } cases[] = {
      {"gamma", true, true, 2},
      {"GAMMA", true, false, 1},
      {"gam", true, false, 1},
      {"alpha on trickpdf:/alpha", true, true, 0},
      {"alpha on trickpdf:/beta", true, false, 1},
      {"GAM", false, true, 2},
      {"trickpdf:/", false, true, 0},  // the first match wins
      {"A ON TRICKPDF:/ALPHA", false, true, 0},
      {"delta", false, false, 1},
  };
  for (const Case& c : cases) {
    RPDevFree();
    TRPDevice& device = RPDev();
    EXPECT_EQ(device.SelectPrinter(c.name, c.exact), c.found) << c.name;
    EXPECT_EQ(device.PrinterIndex(), c.index) << c.name;
  }
}

TEST_F(RPDeviceTest, DeviceModeFollowsTheQueue) {
  TRPDevice& device = RPDev();
  EXPECT_EQ(device.MaxCopies(), 9999);
  EXPECT_EQ(device.Bins(), (std::vector<std::string>{"top", "bottom", "manual"}));
  EXPECT_EQ(device.PaperSize(), 9);  // A4, the queue's default
  EXPECT_EQ(device.DevMode()->PaperWidth, 2100);
  EXPECT_EQ(device.DevMode()->PaperLength, 2970);
  EXPECT_TRUE(device.DevMode()->Fields & TDevMode::dmDuplex);
  EXPECT_EQ(device.Duplex(), 1);

  struct Case {
    int copies;
    int expected;
  } copies[] = {{3, 3}, {0, 3}, {-1, 3}, {9999, 3}, {9998, 9998}, {1, 1}};
  for (const Case& c : copies) {
    device.SetCopies(c.copies);
    EXPECT_EQ(device.Copies(), c.expected) << c.copies;
  }

  struct BinCase {
    std::string name;
    bool exact;
    bool found;
    int bin;
  } bins[] = {{"bottom", true, true, 2},
              {"BOT", true, false, 2},
              {"MAN", false, true, 3},
              {"tray", false, false, 3},
              {"top", true, true, 1}};
  for (const BinCase& c : bins) {
    EXPECT_EQ(device.SelectBin(c.name, c.exact), c.found) << c.name;
    EXPECT_EQ(device.Bin(), c.bin) << c.name;
  }
}

TEST_F(RPDeviceTest, InformationContextGivesPaperAndPrintableArea) {
  TRPDevice& device = RPDev();
  // A4 (595 x 842 pt) with the queue's 12 pt strips, at the printer's 1200 dpi.
  struct Case {
    TDeviceCap cap;
    int portrait, letterLandscape;
  } cases[] = {
      {TDeviceCap::LOGPIXELSX, 1200, 1200},     {TDeviceCap::LOGPIXELSY, 1200, 1200},
      {TDeviceCap::PHYSICALOFFSETX, 200, 200},  {TDeviceCap::PHYSICALOFFSETY, 200, 200},
      {TDeviceCap::PHYSICALWIDTH, 9917, 13200}, {TDeviceCap::PHYSICALHEIGHT, 14033, 10200},
      {TDeviceCap::HORZRES, 9517, 12800},       {TDeviceCap::VERTRES, 13633, 9800},
  };
  for (const Case& c : cases) EXPECT_NEAR(device.DeviceCaps(c.cap), c.portrait, 1) << int(c.cap);
  // Changes reach the information context when it is next asked.
  device.SetPaperSize(1);
  device.SetOrientation(2);
  for (const Case& c : cases)
    EXPECT_NEAR(device.DeviceCaps(c.cap), c.letterLandscape, 1) << int(c.cap);
}

TEST_F(RPDeviceTest, PrintsPagesWithTheJobSettings) {
  TRPDevice& device = RPDev();
  device.SetTitle("Печать");  // arrives as the job's title, in UTF-8
  device.SetTitle(std::string("\xCF\xE5\xF7\xE0\xF2\xFC"));
  device.SetCopies(2);
  device.SetDuplex(2);
  device.SelectBin("bottom", true);
  PrintPages(device, {"one", "two"});
  EXPECT_FALSE(device.Printing());

  const TCupsScheduler::TJob job = Cups->NextJob();
  ASSERT_FALSE(job.Pdf.empty()) << Cups->ErrorLog();
  EXPECT_EQ(job.Title, "Печать");
  EXPECT_NE(job.Options.find("media-source=bottom"), std::string::npos) << job.Options;
  EXPECT_NE(job.Options.find("sides=two-sided-long-edge"), std::string::npos) << job.Options;
  std::vector<std::string> pages;
  for (const TPdfPage& page : ReadPdfWords(job.Pdf)) pages.push_back(page.Lines().at(0));
  EXPECT_EQ(pages, (std::vector<std::string>{"one", "two", "one", "two"}));
}

TEST_F(RPDeviceTest, OrientationChangesAtTheNextPage) {
  // To a file: on the queue the filter turns landscape pages onto the portrait sheet.
  const std::string file = Cups->Dir() + "/turned.pdf";
  TRPDevice& device = RPDev();
  device.SetOutputFile(file);
  device.BeginDoc();
  device.NewPageSelect(true);
  device.SetOrientation(2);
  device.NewPageSelect(true);
  device.EndDoc();
  const std::vector<TPdfPage> pages = ReadPdfWords(file);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_LT(pages[0].Width, pages[0].Height);
  EXPECT_GT(pages[1].Width, pages[1].Height);
}

TEST_F(RPDeviceTest, PrintingToAFileWritesAPdfThere) {
  const std::string file = Cups->Dir() + "/tofile.pdf";
  TRPDevice& device = RPDev();
  device.SetOutputFile(file);
  PrintPages(device, {"saved"});
  const std::vector<TPdfPage> pages = ReadPdfWords(file);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].Lines(), std::vector<std::string>{"saved"});
  // The text lies one inch from the paper's corner.
  EXPECT_NEAR(pages[0].Words.at(0).XMin, 72.0, 0.5);
}

TEST_F(RPDeviceTest, JobWithoutPagesOrAbortedPrintsNothing) {
  TRPDevice& device = RPDev();
  device.BeginDoc();
  device.NewPageSelect(false);
  device.EndDoc();
  device.BeginDoc();
  device.NewPageSelect(true);
  device.AbortDoc();
  EXPECT_TRUE(device.Aborted());
  EXPECT_FALSE(device.Printing());
  PrintPages(device, {"after"});
  const TCupsScheduler::TJob job = Cups->NextJob();
  ASSERT_FALSE(job.Pdf.empty()) << Cups->ErrorLog();
  EXPECT_EQ(ReadPdfWords(job.Pdf).at(0).Lines(), std::vector<std::string>{"after"});
}

TEST_F(RPDeviceTest, MisuseRaisesTheDeviceMessages) {
  TRPDevice& device = RPDev();
  const std::string already = "Invalid method call.  Device already printing.";
  const std::string notPrinting = "Invalid method call.  Device is not printing.";
  EXPECT_EQ(MessageOf([&] { device.EndDoc(); }), notPrinting);
  EXPECT_EQ(MessageOf([&] { device.AbortDoc(); }), notPrinting);
  EXPECT_EQ(MessageOf([&] { device.NewPageSelect(true); }), notPrinting);
  EXPECT_EQ(MessageOf([&] { device.Canvas(); }), "Error!  Canvas not yet active.");
  device.BeginDoc();
  EXPECT_EQ(MessageOf([&] { device.BeginDoc(); }), already);
  EXPECT_EQ(MessageOf([&] { device.SetCopies(2); }), already);
  EXPECT_EQ(MessageOf([&] { device.SetDuplex(2); }), already);
  EXPECT_EQ(MessageOf([&] { device.SetCollate(false); }), already);
  EXPECT_EQ(MessageOf([&] { device.SetOutputFile("x.pdf"); }), already);
  EXPECT_EQ(MessageOf([&] { device.SelectPrinter("alpha", true); }), already);
  device.AbortDoc();
}

TEST_F(RPDeviceTest, SetupDialogPlacesItselfAndItsChoiceBecomesTheDevices) {
  TRPDevice& device = RPDev();
  QPoint placed, wanted;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_TRUE(dialog);
    const QRect area = dialog->screen()->availableGeometry();
    const QSize size = dialog->frameGeometry().size();
    placed = dialog->frameGeometry().topLeft();
    wanted = QPoint(area.left() + (area.width() - size.width()) / 2,
                    area.top() + (area.height() - size.height()) / 3);
    for (auto* box : dialog->findChildren<QComboBox*>())
      if (int at = box->findText("gamma"); at >= 0) box->setCurrentIndex(at);
    dialog->accept();
  });
  ASSERT_TRUE(device.PrinterSetup());
  EXPECT_EQ(placed, wanted);
  EXPECT_EQ(device.DeviceName(), "gamma");
  EXPECT_EQ(device.PaperSize(), 9);
}

// Last: it changes the scheduler's queues.
TEST_F(RPDeviceTest, RefusingOrVanishedQueueAndNoDefaultSelectsTheLast) {
  TRPDevice& device = RPDev();
  ASSERT_EQ(device.PrinterIndex(), 1);
  Cups->RemoveQueue("beta");
  EXPECT_EQ(MessageOf([&] { device.DeviceCaps(TDeviceCap::HORZRES); }),
            "Invalid Printer - beta on trickpdf:/beta (Trickfolio PDF Writer)");
  RPDevFree();
  EXPECT_EQ(RPDev().Printers().size(), 2u);
  EXPECT_EQ(RPDev().DeviceName(), "gamma");
  // libcups answers in the user's language: from the locale's messages category, or, where
  // that is "C" (a language whose locale is not generated), from LC_ALL, LC_MESSAGES, LANG.
  Cups->AcceptJobs("gamma", false);
  const std::string messages = setlocale(LC_MESSAGES, nullptr);
  setlocale(LC_MESSAGES, "C");
  qputenv("LC_ALL", "ru_RU.UTF-8");
  EXPECT_EQ(MessageOf([&] { PrintPages(RPDev(), {"refused"}); }),
            Codepage::Utf8ToCp1251(
                "The printer refused the job - Назначение «gamma» не принимает задания."));
  qunsetenv("LC_ALL");
  setlocale(LC_MESSAGES, messages.c_str());
}

}  // namespace
