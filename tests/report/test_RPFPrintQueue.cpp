// A report recorded by the stream writer and replayed by the replaying writer on a private
// CUPS queue lands where the printer writer prints it directly; selections and reverse
// order give their pages in their order.
#include <gtest/gtest.h>

#include <cmath>

#include "PrinterHarness.h"
#include "RPFPrint.h"
#include "RPFiler.h"

namespace {

// pdftotext places a word within 0.01 pt; the stream keeps positions as IEEE singles.
constexpr double Tolerance = 0.1;  // mm

using RPFPrintQueueTest = TQueueTest<::testing::Test>;

// A stream writer that measures on the printer, as the report system's writer does when a
// printer is installed.
class TPrinterFiler : public TReportFiler {
 public:
  bool NoPrinters() const override { return RPDev().NoPrinters(); }

 protected:
  bool ReadDeviceMetrics(TDeviceMetrics& m) override {
    TRPDevice& device = RPDev();
    m.LogPixelsX = device.DeviceCaps(TDeviceCap::LOGPIXELSX);
    m.LogPixelsY = device.DeviceCaps(TDeviceCap::LOGPIXELSY);
    m.PhysicalOffsetX = device.DeviceCaps(TDeviceCap::PHYSICALOFFSETX);
    m.PhysicalOffsetY = device.DeviceCaps(TDeviceCap::PHYSICALOFFSETY);
    m.PhysicalWidth = device.DeviceCaps(TDeviceCap::PHYSICALWIDTH);
    m.PhysicalHeight = device.DeviceCaps(TDeviceCap::PHYSICALHEIGHT);
    m.HorzRes = device.DeviceCaps(TDeviceCap::HORZRES);
    m.VertRes = device.DeviceCaps(TDeviceCap::VERTRES);
    return true;
  }
  QPaintDevice* MetricDevice() override { return RPDev().InfoDevice(); }
};

class TQuietFilePrinter : public TFilePrinter {
 public:
  std::vector<std::string> Messages;

 protected:
  void ShowInformation(const std::string& text) override { Messages.push_back(text); }
  void ShowError(const std::string& text) override { Messages.push_back(text); }
};

// The codes report of a long text: 49 lines on the first page, 53 on the second, the rest
// on the third.
std::string CodesText() {
  std::string text;
  for (int i = 1; i <= 130; ++i)
    text +=
        Codepage::Utf8ToCp1251("Строка " + std::to_string(i) + ": код IDKFA и ещё слова") + "\r\n";
  return text;
}

void Codes(TBaseReport& r) {
  PrintCodes(r, "Период полураспада", "PC", CodesText());
}

std::string RecordCodes() {
  TPrinterFiler filer;
  UseCodesPage(filer);
  TMemoryStream stream;
  filer.SetStreamMode(smUser);
  filer.SetStream(&stream);
  filer.SetAccuracyMethod(amPositioning);
  filer.OnPrint = [&](QObject*) { Codes(filer); };
  filer.Execute();
  return stream.ToString();
}

std::vector<TPdfPage> Replay(TCupsScheduler& cups, const std::string& recorded,
                             const std::string& selection = "", int first = 0, int last = 0) {
  TMemoryStream stream;
  stream.WriteString(recorded);
  TQuietFilePrinter replay;
  replay.SetStreamMode(smUser);
  replay.SetStream(&stream);
  replay.SetSelection(selection);
  replay.PrintRange(first, last, 0);
  EXPECT_TRUE(replay.Messages.empty());
  const TCupsScheduler::TJob job = cups.NextJob();
  return job.Pdf.empty() ? std::vector<TPdfPage>() : ReadPdfWords(job.Pdf);
}

TEST_F(RPFPrintQueueTest, ReplayedReportPrintsLikeTheDirectOne) {
  const std::vector<TPdfPage> direct = PrintJob(*Cups, [](TRecordingPrinter& r) { Codes(r); });
  ASSERT_GE(direct.size(), 3u) << Cups->ErrorLog();
  const std::string recorded = RecordCodes();
  const std::vector<TPdfPage> replayed = Replay(*Cups, recorded);
  ASSERT_EQ(replayed.size(), direct.size()) << Cups->ErrorLog();
  for (size_t p = 0; p < direct.size(); ++p) {
    SCOPED_TRACE(p + 1);
    EXPECT_EQ(replayed[p].Lines(), direct[p].Lines());
    ASSERT_EQ(replayed[p].Words.size(), direct[p].Words.size());
    for (size_t w = 0; w < direct[p].Words.size(); ++w) {
      const TPdfWord& a = direct[p].Words[w];
      const TPdfWord& b = replayed[p].Words[w];
      EXPECT_EQ(b.Text, a.Text);
      EXPECT_NEAR(PointsToMm(b.XMin), PointsToMm(a.XMin), Tolerance) << a.Text;
      EXPECT_NEAR(PointsToMm(b.YMax), PointsToMm(a.YMax), Tolerance) << a.Text;
    }
  }
}

TEST_F(RPFPrintQueueTest, SelectionsAndReverseOrderOnTheQueue) {
  const std::string recorded = RecordCodes();
  // Each page is known by its first line.
  const auto firstLines = [](const std::vector<TPdfPage>& pages) {
    std::vector<std::string> lines;
    for (const TPdfPage& page : pages) lines.push_back(page.Lines().at(0));
    return lines;
  };
  const std::vector<std::string> all = firstLines(Replay(*Cups, recorded));
  ASSERT_EQ(all.size(), 3u) << Cups->ErrorLog();
  struct Case {
    std::string selection;
    int first, last;
    std::vector<int> pages;  // indexes into all
  } cases[] = {
      {"R", 0, 0, {2, 1, 0}},
      {"2", 0, 0, {1}},
      {"1,3,R", 0, 0, {2, 0}},
      {"", 2, 3, {1, 2}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> want;
    for (int i : c.pages) want.push_back(all[size_t(i)]);
    EXPECT_EQ(firstLines(Replay(*Cups, recorded, c.selection, c.first, c.last)), want)
        << c.selection << " " << c.first << ".." << c.last;
  }
}

}  // namespace
