// The report system's whole run on a private CUPS queue, offscreen, with its windows
// driven the way a user would: buttons clicked while the run waits on them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "Codepage.h"
#include "PrinterHarness.h"
#include "RPFPrint.h"
#include "RPShell.h"
#include "RPSystem.h"

namespace {

using RPSystemTest = TQueueTest<::testing::Test>;

class TTestSystem : public TReportSystem {
 public:
  int CopyLimit = -1;  // -1: the printer's own
  int PrinterCopyLimit() const override {
    return CopyLimit < 0 ? TReportSystem::PrinterCopyLimit() : CopyLimit;
  }
};

// Runs action on the first modal window of type T that appears.
template <class T>
void OnModal(std::function<void(T*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    if (auto* window = dynamic_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      action(window);
    }
  });
  timer->start();
}

// One line of text per page, page count pages.
void Pages(TBaseReport& r, int count) {
  for (int page = 1; page <= count; ++page) {
    r.PrintLeft("Page" + std::to_string(page), 1);
    if (page < count) r.NewPage();
  }
}

int LiveWindows() {
  int count = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (dynamic_cast<TRPStatusForm*>(w) || dynamic_cast<TRPSetupForm*>(w) ||
        dynamic_cast<TRPPreviewForm*>(w))
      ++count;
  return count;
}

TEST_F(RPSystemTest, PreviewRunGeneratesOnceUnderTheStatusWindowThenShowsThePreview) {
  TTestSystem rs;
  rs.SystemSetups = {};
  int generated = 0;
  bool statusShown = false;
  std::string statusText;
  rs.OnPrint = [&](QObject* sender) {
    ++generated;
    EXPECT_NE(dynamic_cast<TReportFiler*>(sender), nullptr);
    statusShown = rs.StatusForm() && rs.StatusForm()->isVisible();
    statusText = rs.StatusForm()->StatusLabel->text().toStdString();
    Pages(*dynamic_cast<TBaseReport*>(sender), 3);
  };
  bool statusGoneAtPreview = false;
  std::string pageLabel;
  OnModal<TRPPreviewForm>([&](TRPPreviewForm* preview) {
    statusGoneAtPreview = rs.StatusForm() == nullptr;
    QTest::qWait(20);
    preview->NextPageButton->click();
    pageLabel = preview->PageLabel->text().toStdString();
    preview->DoneButton->click();
  });
  rs.Execute();
  EXPECT_EQ(generated, 1);
  EXPECT_TRUE(statusShown);
  EXPECT_EQ(statusText, "Generating page 1");
  EXPECT_TRUE(statusGoneAtPreview);
  EXPECT_EQ(pageLabel, "Page 2 of 3");
  EXPECT_FALSE(rs.Aborted());
  EXPECT_EQ(LiveWindows(), 0);
}

TEST_F(RPSystemTest, CancelInTheStatusWindowEndsTheRun) {
  for (TReportDest dest : {rdPreview, rdPrinter}) {
    TTestSystem rs;
    rs.SystemSetups = {};
    rs.DefaultDest = dest;
    rs.SystemOptions = {soShowStatus, soUseFiler, soAllowPrintFromPreview, soPreviewModal};
    int pagesAfterCancel = 0;
    rs.OnPrint = [&](QObject* sender) {
      auto& r = *dynamic_cast<TBaseReport*>(sender);
      r.PrintLeft("before", 1);
      rs.StatusForm()->CancelButton->click();
      r.NewPage();
      ++pagesAfterCancel;
    };
    bool previewShown = false;
    OnModal<TRPPreviewForm>([&](TRPPreviewForm* p) {
      previewShown = true;
      p->close();
    });
    rs.Execute();
    QTest::qWait(20);
    EXPECT_TRUE(rs.Aborted()) << dest;
    EXPECT_EQ(pagesAfterCancel, 0) << dest;
    EXPECT_FALSE(previewShown) << dest;
    EXPECT_EQ(LiveWindows(), 0) << dest;
  }
}

// The preview's zoom and page edits: what is not a finite number is not applied, and a
// failure of the replay behind either edit is shown as the tool buttons show theirs.
TEST_F(RPSystemTest, ThePreviewsEditsRejectNonNumbersAndShowReplayFailures) {
  TTestSystem rs;
  rs.SystemSetups = {};
  rs.OnPrint = [](QObject* sender) {
    auto& r = *dynamic_cast<TBaseReport*>(sender);
    r.PrintLeft("Page1", 1);
    r.NewPage();
    r.PrintImageRect(1, 1, 2, 2, "data", "odd");
  };
  rs.OnDecodeImage = [](QObject*, TMemoryStream&, const std::string&, QImage&) {
    throw Exception("the picture failed");
  };
  std::vector<double> zooms;
  QStringList failures;
  std::string pageLabel;
  OnModal<TRPPreviewForm>([&](TRPPreviewForm* p) {
    const auto enter = [&](QLineEdit* edit, const char* text) {
      edit->setFocus();
      edit->clear();
      QTest::keyClicks(edit, text);
      QTest::keyClick(edit, Qt::Key_Return);
    };
    for (const char* text : {"nan", "-NaN", "inf", "-inf", "1e999", "abc"}) {
      enter(p->ZoomEdit, text);
      zooms.push_back(p->FilePreview().ZoomFactor());
    }
    for (auto [edit, text] : {std::pair{p->PageEdit, "2"}, {p->ZoomEdit, "150"}}) {
      OnModal<QMessageBox>([&](QMessageBox* box) {
        failures << box->windowTitle() + ": " + box->text();
        box->accept();
      });
      enter(edit, text);
    }
    enter(p->PageEdit, "1");
    pageLabel = p->PageLabel->text().toStdString();
    p->DoneButton->click();
  });
  rs.Execute();
  EXPECT_EQ(zooms, std::vector<double>(6, 100));
  EXPECT_EQ(failures, QStringList({"Error: the picture failed", "Error: the picture failed"}));
  EXPECT_EQ(pageLabel, "Page 1 of 2");
  EXPECT_EQ(LiveWindows(), 0);
}

TEST_F(RPSystemTest, CopiesTheQueueCannotMakeAreReplayedOncePerCopy) {
  struct TCase {
    int Copies;
    int Jobs;
    bool Replayed;  // generated into the stream and replayed, or printed directly
  };
  for (const TCase c : {TCase{1, 1, false}, TCase{2, 2, true}, TCase{3, 3, true}}) {
    TTestSystem rs;
    rs.CopyLimit = 1;
    rs.SystemSetups = {};
    rs.DefaultDest = rdPrinter;
    rs.SystemPrinter().Copies = c.Copies;
    int handlerRuns = 0;
    bool sawFiler = false;
    rs.OnPrint = [&](QObject* sender) {
      ++handlerRuns;
      sawFiler = dynamic_cast<TReportFiler*>(sender) != nullptr;
      Pages(*dynamic_cast<TBaseReport*>(sender), 2);
    };
    rs.Execute();
    EXPECT_EQ(handlerRuns, 1) << c.Copies;
    EXPECT_EQ(sawFiler, c.Replayed) << c.Copies;
    EXPECT_EQ(rs.CopiesByRepeat(), c.Replayed) << c.Copies;
    for (int job = 1; job <= c.Jobs; ++job) {
      const std::vector<TPdfPage> pages = ReadPdfWords(Cups->NextJob().Pdf);
      ASSERT_EQ(pages.size(), 2u) << c.Copies << " copy " << job;
      EXPECT_NE(FindWord(pages[1], "Page2"), nullptr);
    }
  }
}

// Wherever the report fails - generating it, printing it directly or into a file, replaying
// its stream - the job is abandoned: nothing of it reaches the queue or the file, and the
// error, after every writer and window is freed, reaches the caller.
TEST_F(RPSystemTest, AJobEndedByAnExceptionIsAbandonedAndTheErrorReachesTheCaller) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("half.pdf");
  struct TCase {
    const char* Name;
    TReportDest Dest;
    bool UseFiler;
    bool InReplay;  // the replay fails, on an image it cannot decode, not the report
  };
  const TCase cases[] = {
      {"preview", rdPreview, false, false},
      {"printer", rdPrinter, false, false},
      {"file", rdFile, false, false},
      {"printer via the stream", rdPrinter, true, false},
      {"replay of the stream", rdPrinter, true, true},
  };
  for (const TCase& c : cases) {
    TTestSystem rs;
    rs.SystemSetups = {};
    rs.DefaultDest = c.Dest;
    if (c.UseFiler) rs.SystemOptions = {soUseFiler};
    if (c.Dest == rdFile) rs.SetOutputFileName(pdf.toStdString());
    rs.OnPrint = [&](QObject* sender) {
      auto& r = *dynamic_cast<TBaseReport*>(sender);
      r.PrintLeft("half", 1);
      r.NewPage();
      if (!c.InReplay) throw Exception("the report failed");
      r.PrintImageRect(1, 1, 2, 2, "data", "odd");
    };
    rs.OnDecodeImage = [](QObject*, TMemoryStream&, const std::string&, QImage&) {
      throw Exception("the report failed");
    };
    try {
      rs.Execute();
      ADD_FAILURE() << "no exception: " << c.Name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "the report failed");
    }
    EXPECT_EQ(rs.ReportPrinter(), nullptr) << c.Name;
    EXPECT_EQ(rs.SystemFiler().Stream, nullptr) << c.Name;
    EXPECT_EQ(LiveWindows(), 0) << c.Name;
    EXPECT_FALSE(QFile::exists(pdf)) << c.Name;
    // The system runs again, and that run's job is the next on the queue.
    rs.OnPrint = [](QObject* sender) { Pages(*dynamic_cast<TBaseReport*>(sender), 1); };
    rs.DefaultDest = rdPrinter;
    rs.SetOutputFileName("");
    rs.Execute();
    const std::vector<TPdfPage> pages = ReadPdfWords(Cups->NextJob().Pdf);
    ASSERT_EQ(pages.size(), 1u) << c.Name;
    EXPECT_NE(FindWord(pages[0], "Page1"), nullptr) << c.Name << ": the failed job was printed";
  }
}

TEST_F(RPSystemTest, FileDestinationPrintsStraightToThePdf) {
  QTemporaryDir dir;
  const std::string pdf = dir.filePath("codes.pdf").toStdString();
  TTestSystem rs;
  rs.SystemSetups = {};
  rs.DefaultDest = rdFile;
  rs.SetOutputFileName(pdf);
  std::vector<std::string> writers;
  rs.OnPrint = [&](QObject* sender) {
    writers.push_back(dynamic_cast<TReportFiler*>(sender) ? "stream" : "printer");
    Pages(*dynamic_cast<TBaseReport*>(sender), 2);
  };
  rs.Execute();
  EXPECT_EQ(writers, std::vector<std::string>{"printer"});
  const std::vector<TPdfPage> pages = ReadPdfWords(pdf);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NE(FindWord(pages[0], "Page1"), nullptr);
  EXPECT_EQ(RPDev().OutputFile(), "") << "later jobs must go to the queue";
}

// The generating writer's macro strings reach the writer that replays its stream; a stream
// that the run did not generate brings its own settings, the paper bin here.
TEST_F(RPSystemTest, ReplayGetsTheMacroStringsAndAStreamNotGeneratedItsSettings) {
  QTemporaryDir dir;
  TTestSystem rs;
  rs.SystemSetups = {};
  rs.DefaultDest = rdPrinter;
  rs.SystemOptions = {soUseFiler};
  rs.SystemFiler().StreamMode = smFile;
  rs.SystemFiler().FileName = dir.filePath("report").toStdString();
  int generated = 0;
  rs.OnPrint = [&](QObject* sender) {
    auto& r = *dynamic_cast<TBaseReport*>(sender);
    ++generated;
    r.MacroStrings = {"carried"};
    r.PrintLeft("\xFD$RPCM16 macro", 1);
  };
  RPDev().SelectBin("bottom", true);
  rs.Execute();
  const std::vector<TPdfPage> pages = ReadPdfWords(Cups->NextJob().Pdf);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].Lines(), std::vector<std::string>{"carried macro"});

  RPDevFree();  // the queue's own bin again
  rs.SystemOptions = {soUseFiler, soNoGenerate};
  rs.Execute();
  EXPECT_EQ(generated, 1);
  const TCupsScheduler::TJob job = Cups->NextJob();
  EXPECT_NE(job.Options.find("media-source=bottom"), std::string::npos) << job.Options;
  RPDevFree();
}

TEST_F(RPSystemTest, SetupWindowEnablesWhatTheSystemAllows) {
  struct TCase {
    TSystemSetups Setups;
    TReportDest Dest;
    bool Printer, Preview, File, Copies, Collate, Duplex, Setup;
  };
  const TCase cases[] = {
      {{ssAllowSetup, ssAllowDestPreview, ssAllowDestPrinter},
       rdPrinter,
       true,
       true,
       false,
       false,
       false,
       false,
       false},
      {{ssAllowSetup, ssAllowDestFile, ssAllowCopies, ssAllowCollate, ssAllowDuplex,
        ssAllowPrinterSetup},
       rdFile,
       false,
       false,
       true,
       true,
       true,
       true,
       true},
  };
  for (const TCase& c : cases) {
    TTestSystem rs;
    rs.SystemSetups = c.Setups;
    rs.DefaultDest = c.Dest;
    rs.SystemPrinter().Copies = 4;
    bool generated = false;
    rs.OnPrint = [&](QObject*) { generated = true; };
    OnModal<TRPSetupForm>([&](TRPSetupForm* f) {
      EXPECT_EQ(f->windowTitle(), "Report Setup");
      EXPECT_EQ(f->PrinterLabel->text(), "pdf on trickpdf:/pdf");
      EXPECT_FALSE(f->DestGroup->isHidden());
      EXPECT_TRUE(f->RangeGroup->isHidden());
      EXPECT_EQ(f->PrinterRadio->isEnabled(), c.Printer);
      EXPECT_EQ(f->PreviewRadio->isEnabled(), c.Preview);
      EXPECT_EQ(f->FileRadio->isEnabled(), c.File);
      EXPECT_EQ(f->CopiesEdit->isEnabled(), c.Copies);
      EXPECT_EQ(f->CollateCheck->isEnabled(), c.Collate);
      EXPECT_EQ(f->DuplexCheck->isEnabled(), c.Duplex);
      EXPECT_EQ(f->SetupButton->isEnabled(), c.Setup);
      EXPECT_EQ(f->CopiesEdit->text(), "4");
      EXPECT_EQ(f->FileRadio->isChecked(), c.Dest == rdFile);
      EXPECT_EQ(f->FileNameEdit->isEnabled(), c.Dest == rdFile);
      f->CancelButton->click();
    });
    rs.Execute();
    EXPECT_TRUE(rs.Aborted());
    EXPECT_FALSE(generated) << "Cancel in the setup window still ran the report";
    EXPECT_EQ(LiveWindows(), 0);
  }
}

TEST_F(RPSystemTest, SetupWindowOkChoosesTheDestinationAndCopies) {
  QTemporaryDir dir;
  // A Cyrillic name reaches the disk as typed.
  const QString pdf = dir.filePath(QString::fromUtf8("отчёт.pdf"));
  TTestSystem rs;
  rs.SystemSetups = {ssAllowSetup, ssAllowDestFile, ssAllowDestPrinter, ssAllowCopies};
  rs.DefaultDest = rdPrinter;
  rs.OnPrint = [](QObject* sender) { Pages(*dynamic_cast<TBaseReport*>(sender), 1); };
  OnModal<TRPSetupForm>([&](TRPSetupForm* f) {
    f->FileRadio->click();
    f->FileNameEdit->setText(pdf);
    f->CopiesEdit->setText("2");
    f->OKButton->click();
  });
  rs.Execute();
  EXPECT_EQ(rs.ReportDest(), rdFile);
  EXPECT_EQ(rs.OutputFileName(), Codepage::Utf8ToCp1251(pdf.toStdString()));
  EXPECT_EQ(rs.SystemPrinter().Copies, 2);
  EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(RPSystemTest, RangeModeSetsTheReplayingPrintersPages) {
  struct TCase {
    const char* Radio;
    const char* Selection;
    int First, Last;
    std::string WantSelection;
  };
  const TCase cases[] = {
      {"AllRadio", "", 1, 9999, ""},
      {"SelectionRadio", "2,4", 1, 9999, "2,4"},
      {"PagesRadio", "", 3, 5, ""},
  };
  for (const TCase& c : cases) {
    TTestSystem rs;
    TFilePrinter replay;
    TRPSetupForm form(rs);
    form.SetRangeMode(replay, 7);
    form.show();
    EXPECT_EQ(form.ToEdit->text(), "7");
    EXPECT_EQ(form.SelectionEdit->text(), "1-7");
    form.findChild<QRadioButton*>(c.Radio)->click();
    EXPECT_EQ(form.FromEdit->isVisible(), std::string(c.Radio) == "PagesRadio");
    EXPECT_EQ(form.SelectionEdit->isEnabled(), std::string(c.Radio) == "SelectionRadio");
    if (*c.Selection) form.SelectionEdit->setText(c.Selection);
    form.FromEdit->setText(QString::number(c.First));
    form.ToEdit->setText(QString::number(c.Last));
    replay.SetSelection("old");
    form.OKButton->click();
    EXPECT_EQ(replay.FirstPage(), c.First) << c.Radio;
    EXPECT_EQ(replay.LastPage(), c.Last) << c.Radio;
    EXPECT_EQ(replay.Selection(), c.WantSelection) << c.Radio;
  }
}

// Answers every message box that opens, Yes where it asks, and keeps its text.
struct TBoxAnswers {
  QStringList Texts;
  QTimer Timer;
  TBoxAnswers() {
    Timer.setInterval(5);
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Texts << box->text();
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        (yes ? yes : box->button(QMessageBox::Ok))->click();
      }
    });
    Timer.start();
  }
};

// The names a file dialog lists in its folder, once it has read them.
QStringList Listed(QFileDialog& dialog, int atLeast) {
  auto* view = dialog.findChild<QListView*>("listView");
  QStringList names;
  for (int wait = 0; wait < 1000 && names.size() < atLeast; ++wait) {
    QTest::qWait(5);
    names.clear();
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
      names << view->model()->index(row, 0, view->rootIndex()).data().toString();
  }
  return names;
}

TEST_F(RPSystemTest, BrowseTakesOnlyANameThatCanBeWritten) {
  QTemporaryDir dir;
  for (const char* name : {"old.pdf", "locked.pdf", "noext"})
    QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
  QFile::setPermissions(dir.filePath("locked.pdf"), QFile::ReadOwner | QFile::ReadOther);
  struct TCase {
    const char* Typed;
    const char* Message;  // the box that opens, if any
    bool Taken;
  };
  const TCase cases[] = {
      {"new.pdf", nullptr, true},
      {"old.pdf", "already exists", true},  // asked to replace it, and Yes
      {"locked.pdf", "is read-only", false},
      {"missing/new.pdf", "does not exist", false},
  };
  for (const TCase& c : cases) {
    TTestSystem rs;
    TRPSetupForm form(rs);
    form.SetDestinationMode();
    form.show();
    form.FileRadio->click();
    const QString start = dir.filePath("start.pdf");
    form.FileNameEdit->setText(start);
    TBoxAnswers boxes;
    QStringList listed;
    OnModal<QFileDialog>([&](QFileDialog* d) {
      listed = Listed(*d, 3);
      auto* name = d->findChild<QLineEdit*>("fileNameEdit");
      name->clear();
      QTest::keyClicks(name, c.Typed);
      QTest::keyClick(name, Qt::Key_Return);
      // A refused name leaves the dialog open.
      if (d->isVisible())
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    form.BrowseButton->click();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"locked.pdf", "noext", "old.pdf"})) << "all files are shown";
    EXPECT_EQ(form.FileNameEdit->text().toStdString(),
              (c.Taken ? dir.filePath(c.Typed) : start).toStdString());
    const std::string shown = boxes.Texts.join('|').toStdString();
    EXPECT_EQ(boxes.Texts.size(), c.Message ? 1 : 0) << shown;
    EXPECT_TRUE(!c.Message || shown.find(c.Message) != std::string::npos) << shown;
  }
}

TEST_F(RPSystemTest, SetupChoosesThePrinterThatTheLabelNamesAndTheRunUses) {
  Cups->AddQueue("other");
  RPDevFree();
  TTestSystem rs;
  TRPSetupForm form(rs);
  form.SetDestinationMode();
  form.show();
  // Cancel keeps the printer; OK takes the one chosen in the dialog.
  for (const bool ok : {false, true}) {
    OnModal<QPrintDialog>([&](QPrintDialog* d) {
      for (QComboBox* printers : d->findChildren<QComboBox*>())
        if (const int other = printers->findText("other"); other >= 0)
          printers->setCurrentIndex(other);
      d->findChild<QDialogButtonBox*>()
          ->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
          ->click();
    });
    form.SetupButton->click();
    EXPECT_EQ(form.PrinterLabel->text(), ok ? "other on trickpdf:/other" : "pdf on trickpdf:/pdf");
  }
  rs.SystemSetups = {};
  rs.DefaultDest = rdPrinter;
  rs.OnPrint = [](QObject* sender) { Pages(*dynamic_cast<TBaseReport*>(sender), 1); };
  rs.Execute();
  ASSERT_FALSE(Cups->NextJob().Pdf.empty());
  QProcess lpstat;
  lpstat.start("lpstat", {"-W", "completed", "-o", "other"});
  lpstat.waitForFinished(30000);
  EXPECT_TRUE(lpstat.readAllStandardOutput().startsWith("other-")) << "the job went elsewhere";
  Cups->RemoveQueue("other");
  RPDevFree();
}

TEST_F(RPSystemTest, AShellWhoseEngineIsTheSystemRunsThroughIt) {
  TTestSystem rs;
  rs.SystemSetups = {};
  rs.DefaultDest = rdPrinter;
  TDetailShell shell;
  shell.SetEngine(&rs);
  int rows = 0;
  shell.OnRowPrint = [&](TBaseReport* r, TDetailShell*, bool&) {
    EXPECT_EQ(r, rs.ReportPrinter());
    r->PrintLeft("Row" + std::to_string(++rows), 1);
    r->LineFeed();
  };
  shell.OnRowAfter = [&](TBaseReport*, TDetailShell*, bool& valid) { valid = rows < 3; };
  shell.Execute();
  const std::vector<TPdfPage> pages = ReadPdfWords(Cups->NextJob().Pdf);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(FindWord(pages[0], "Row3"), nullptr);
  EXPECT_FALSE(rs.OnPrint) << "the shell's handler stays with the shell's run";
}

TEST(RPSystemSettings, PreviewSettingsKeepTheirRules) {
  TSystemPreview preview;
  std::vector<std::string> messages;
  preview.ShowMessage = [&](const std::string& text) { messages.push_back(text); };
  const std::pair<double, double> zooms[] = {{5, 10}, {250, 200}, {75, 75}, {std::nan(""), 75}};
  for (auto [set, want] : zooms) {
    preview.SetZoomFactor(set);
    EXPECT_EQ(preview.ZoomFactor(), want);
  }
  preview.SetShadowDepth(3);
  preview.SetMonochrome(true);
  EXPECT_FALSE(preview.Monochrome());
  preview.SetShadowDepth(0);
  preview.SetMonochrome(true);
  preview.SetShadowDepth(2);
  EXPECT_EQ(preview.ShadowDepth(), 0);
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "Monochrome not allowed while shadows are in effect.\nChange "
                          "ShadowDepth to 0 first",
                          "Shadows not allowed while monochrome in effect.\nChange Monochrome "
                          "to false first"}));
}

}  // namespace
