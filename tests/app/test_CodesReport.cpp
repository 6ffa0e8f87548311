// The print button on a private CUPS queue: the codes report generated once, shown in
// the maximised preview, printed from there; without a queue only the message.
#include <gtest/gtest.h>

#include <QToolButton>

#include "CodesReport.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormHarness.h"
#include "GameListBox.h"
#include "ImageWriter.h"
#include "MessageHook.h"
#include "PrinterHarness.h"
#include "RPDevice.h"
#include "RPSystem.h"

namespace {

using namespace CatalogueMaker;

constexpr double Tolerance = 0.5;  // mm; pdftotext's boxes against the paper's middle

void Select(TFormMain& form, int index) {
  form.CLB_Games->SetItemIndex(index);
  form.CLB_Games->OnClick(form.CLB_Games);
}

TMembers WithLongGame() {
  TMembers m = Standard();
  std::vector<std::string> lines;
  for (int i = 1; i <= 150; ++i) lines.push_back("Code" + std::to_string(i) + " unlocks level");
  m["dune.txt"] = Lines(lines);
  // Long enough that its generation outlasts a second press of the print button.
  lines.clear();
  for (int i = 1; i <= 6100; ++i) lines.push_back("Level" + std::to_string(i) + " warp code");
  m["duke.txt"] = Lines(lines);
  return m;
}

// A press and release queued behind whatever the program handles now.
void PostClick(QWidget* w) {
  const QPointF at = w->rect().center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    QCoreApplication::postEvent(w, new QMouseEvent(type, at, w->mapToGlobal(at), Qt::LeftButton,
                                                   Qt::LeftButton, Qt::NoModifier));
}

class CodesReportTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    RPDevFree();
    Cups.reset();
  }
  void SetUp() override {
    // Started in the first test, so that a scheduler that cannot start fails it.
    if (!Cups) {
      Cups = std::make_unique<TCupsScheduler>();
      Cups->AddQueue("pdf", true);
      RPDevFree();
    }
    // As the program does: the engine lets window messages through while it works.
    MessageHook::SetProcessMessages([] { QCoreApplication::processEvents(); });
    h = std::make_unique<TFormHarness>(&members);
    h->Start();
    ASSERT_TRUE(h->Started);
    TReportSystem& rs = *h->Main->CodesReport->ReportSystem1;
    TNotifyEvent print = rs.OnPrint;
    rs.OnPrint = [this, print](QObject* sender) {
      ++Generated;
      print(sender);
    };
  }
  void TearDown() override {
    h.reset();
    MessageHook::SetProcessMessages(nullptr);
  }

  // Presses print on game index; while the preview is up, runs inPreview with it.
  void PressPrint(int index, const std::function<void(TRPPreviewForm&)>& inPreview,
                  const std::function<void()>& atPress = {}) {
    Select(*h->Main, index);
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&timer, inPreview] {
      if (auto* p = dynamic_cast<TRPPreviewForm*>(QApplication::activeModalWidget())) {
        timer.stop();
        inPreview(*p);
        p->DoneButton->click();
      }
    });
    timer.start();
    if (atPress) atPress();
    QTest::mouseClick(h->Main->CoolBitmapButton9, Qt::LeftButton);
    QTest::qWait(20);
  }
  bool Running() const { return h->Main->CodesReport->Running(); }

  static inline std::unique_ptr<TCupsScheduler> Cups;
  const TMembers members = WithLongGame();
  std::unique_ptr<TFormHarness> h;
  int Generated = 0;
};

TEST_F(CodesReportTest, PrintShowsTheMaximisedPreviewAndItsPrintReachesTheQueue) {
  bool maximised = false;
  QString caption;
  int generatedAtPreview = -1;
  PressPrint(3, [&](TRPPreviewForm& p) {
    maximised = p.windowState() & Qt::WindowMaximized;
    caption = p.windowTitle();
    generatedAtPreview = Generated;
    p.PrintButton->click();
  });
  EXPECT_TRUE(maximised);
  EXPECT_EQ(caption, "Предпросмотр печати");
  EXPECT_EQ(generatedAtPreview, 1);
  EXPECT_EQ(Generated, 1) << "printing from the preview replays, it does not generate again";
  EXPECT_TRUE(h->Messages.Texts.isEmpty());

  const std::vector<TPdfPage> pages = ReadPdfWords(Cups->NextJob().Pdf);
  ASSERT_EQ(pages.size(), 1u);
  const TPdfPage& page = pages[0];
  const double middle = PointsToMm(page.Width) / 2;
  const TPdfWord* wolf = FindWord(page, "Wolfenstein");
  const TPdfWord* three = FindWord(page, "3D");
  const TPdfWord* pc = FindWord(page, "PC");
  ASSERT_TRUE(wolf && three && pc);
  EXPECT_NEAR(PointsToMm(wolf->XMin + three->XMax) / 2, middle, Tolerance);
  EXPECT_NEAR(PointsToMm(pc->XMin + pc->XMax) / 2, middle, Tolerance);
  EXPECT_LT(wolf->YMax, pc->YMin);
  const std::vector<std::string> lines = page.Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "x");
  EXPECT_EQ(lines[3], "ab c");
}

TEST_F(CodesReportTest, ALongGameGoesOnOverPagesWithoutTitleOrTrailingEmptyPage) {
  PressPrint(1, [&](TRPPreviewForm& p) { p.PrintButton->click(); });
  EXPECT_EQ(Generated, 1);
  const std::vector<TPdfPage> pages = ReadPdfWords(Cups->NextJob().Pdf);
  ASSERT_GE(pages.size(), 2u);
  std::vector<std::string> all;
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::vector<std::string> lines = pages[i].Lines();
    ASSERT_FALSE(lines.empty()) << "page " << i + 1 << " is empty";
    if (i > 0) {
      EXPECT_EQ(FindWord(pages[i], "Dune"), nullptr) << "title repeated";
    }
    all.insert(all.end(), lines.begin(), lines.end());
  }
  EXPECT_EQ(all.front(), "Dune");
  EXPECT_EQ(all.back(), "Code150 unlocks level");
  EXPECT_EQ(all.size(), 2u + 150u);
}

// The run lets window messages through. A second press of the print button inside it, or
// a close of the window, must not start a run over the first one's memory or free it.
TEST_F(CodesReportTest, ASecondPressDuringTheRunIsIgnoredAndACloseCancelsIt) {
  const TReportSystem& rs = *h->Main->CodesReport->ReportSystem1;
  for (bool close : {false, true}) {
    bool inRun = false;
    int previews = 0;
    Generated = 0;
    const auto secondPress = [&] {
      QTimer::singleShot(20, [&] {
        inRun = Running();
        QTest::mouseClick(close ? h->Main->CoolBitmapButton7 : h->Main->CoolBitmapButton9,
                          Qt::LeftButton);
      });
    };
    PressPrint(2, [&](TRPPreviewForm&) { ++previews; }, secondPress);
    ASSERT_TRUE(inRun) << "the generation ended within 20 ms";
    EXPECT_FALSE(Running());
    EXPECT_EQ(Generated, 1);
    EXPECT_EQ(previews, close ? 0 : 1);
    EXPECT_EQ(rs.Aborted(), close);
    EXPECT_EQ(h->Main->isVisible(), !close);
    EXPECT_TRUE(h->Messages.Texts.isEmpty());
  }
}

// Drawing a page lets window messages through: "Done" pressed while a zoom draws the page
// closes the preview once that page is drawn.
TEST_F(CodesReportTest, DoneWhileAZoomDrawsThePageClosesThePreviewAfterIt) {
  bool doneWhileDrawing = false;
  TRPPreviewForm* preview = nullptr;
  PressPrint(2, [&](TRPPreviewForm& p) {
    preview = &p;
    QObject::connect(p.DoneButton, &QToolButton::pressed,
                     [&] { doneWhileDrawing |= p.FilePreview().Drawing(); });
    PostClick(p.ZoomInButton);
    PostClick(p.DoneButton);
    WaitFor([&] { return p.isHidden(); });
    EXPECT_FALSE(p.FilePreview().Printing());
    EXPECT_EQ(p.FilePreview().ZoomFactor(), 110);
  });
  EXPECT_TRUE(doneWhileDrawing);
  EXPECT_NE(preview, nullptr);
  EXPECT_EQ(h->Main->CodesReport->ReportSystem1->PreviewForm(), nullptr);
  EXPECT_TRUE(h->Messages.Texts.isEmpty());
}

// The queue goes away after the printers were read: the run fails inside, the program
// shows why and goes on; nothing is left open.
TEST_F(CodesReportTest, AQueueGoneSinceStartIsReportedNotFatal) {
  RPDevFree();
  ASSERT_FALSE(RPDev().NoPrinters());
  Cups->RemoveQueue("pdf");
  bool previewShown = false;
  PressPrint(3, [&](TRPPreviewForm&) { previewShown = true; });
  Cups->AddQueue("pdf", true);
  RPDevFree();
  EXPECT_FALSE(previewShown);
  ASSERT_EQ(h->Messages.Texts.size(), 1);
  EXPECT_TRUE(h->Messages.Texts[0].startsWith("Invalid Printer - pdf"))
      << h->Messages.Texts[0].toStdString();
  EXPECT_EQ(h->Messages.Icons[0], QMessageBox::Critical);
  EXPECT_EQ(h->Main->CodesReport->ReportSystem1->ReportPrinter(), nullptr);
}

// Last: it takes the queue away.
TEST_F(CodesReportTest, WithoutAQueueOnlyTheMessageAppears) {
  Cups->RemoveQueue("pdf");
  RPDevFree();
  bool previewShown = false;
  PressPrint(0, [&](TRPPreviewForm&) { previewShown = true; });
  EXPECT_FALSE(previewShown);
  EXPECT_EQ(Generated, 0);
  ASSERT_EQ(h->Messages.Texts.size(), 1);
  EXPECT_EQ(h->Messages.Texts[0], TCodesReport::NoPrintersMessage);
}

}  // namespace

namespace {

// Lines that fill the section exactly leave their line break unread: 84 fixed-pitch
// characters of 6 px on a 7-inch section at 72 dpi. Whichever line ends a page, no page
// holding only that break follows.
TEST(CodesReport, ALineFillingTheLastRowLeavesNoEmptyPage) {
  QWidget owner;
  for (int count = 1; count <= 80; ++count) {
    TCodesSource source{"Exact (PC)", {}, true};
    for (int i = 0; i < count; ++i) source.Lines.Add(std::string(84, 'x'));
    TCodesReport report(&owner, [&] { return source; });
    TImageWriter w(72, 8.5, 11);
    w.OnPrint = [&](QObject* sender) {
      w.SetSectionLeft(1);
      w.SetSectionRight(8);
      report.ReportSystem1Print(sender);
    };
    w.Execute();
    int lastDrawn = 0;
    for (const TImageWriter::TDrawn& d : w.Drawn)
      if (d.Text.find('x') != std::string::npos) lastDrawn = std::max(lastDrawn, d.Page);
    ASSERT_EQ(int(w.Pages.size()), lastDrawn) << count << " lines";
    ASSERT_EQ(w.Drawn.back().Text, std::string(84, 'x'));
  }
}

}  // namespace
