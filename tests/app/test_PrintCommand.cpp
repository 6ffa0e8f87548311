// trickfolio --print: the built program on the demo catalogue without display or printer
// queue, and the command's failures on catalogues of the tests' making.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <sstream>

#include "CatalogueMaker.h"
#include "CupsFixture.h"
#include "PrintCommand.h"
#include "RPDevice.h"
#include "RPFPrint.h"

namespace {

using namespace CatalogueMaker;

// A scheduler socket that does not exist: no queue here nor in the programs started.
[[maybe_unused]] const bool NoQueues = qputenv("CUPS_SERVER", "/nonexistent/cups.sock");

struct TRun {
  int Code;
  QString Out, Err;
};

TRun Exec(const char* tool, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  p.setProcessEnvironment(env);
  p.start(QString(TRICKFOLIO_BIN_DIR "/") + tool, args);
  p.waitForFinished(60000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
          p.readAllStandardError()};
}

std::vector<TPdfPage> Replay(const QString& stream, const QString& pdf) {
  RPDev().SetPdfFallback(true);
  TFilePrinter replay;
  replay.SetStreamMode(smFile);
  replay.SetFileName(stream.toStdString());
  RPDev().SetOutputFile(pdf.toStdString());
  replay.Execute();
  RPDev().SetOutputFile("");
  return ReadPdfWords(pdf.toStdString());
}

// A page's text lines top to bottom: their words run together, their left and right ends.
// Lines rather than words, since a replayed word with leading blanks is spread letter by
// letter over a slack below a pixel, which the text reader takes for separate words.
struct TLine {
  double Y, Left, Right;
  std::string Text;
};
std::vector<TLine> LinesOf(const TPdfPage& page) {
  std::map<long, TLine> rows;
  for (const TPdfWord& w : page.Words) {
    TLine& line =
        rows.try_emplace(std::lround(w.YMax * 10), TLine{w.YMax, w.XMin, w.XMax, ""}).first->second;
    line.Left = std::min(line.Left, w.XMin);
    line.Right = std::max(line.Right, w.XMax);
    line.Text += w.Text;
  }
  std::vector<TLine> lines;
  for (const auto& [y, line] : rows) lines.push_back(line);
  return lines;
}

// Same text, lines' ends within 0.03 mm: both lay out on the same 1200-dpi device, and
// centred or indented text may round to the neighbouring pixel (0.021 mm).
TEST(PrintCommand, StreamIsListedAndReplaysToThePdfsTextPositions) {
  QTemporaryDir dir;
  const QString stream = dir.filePath("hl.rp"), pdf = dir.filePath("hl.pdf");
  for (const auto& [option, file] : {std::pair{"--stream", stream}, {"--pdf", pdf}}) {
    const TRun run = Exec("trickfolio", {"--print", "Half-Life (PC)", option, file});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "");
  }
  const std::vector<TPdfPage> printed = ReadPdfWords(pdf.toStdString());
  const std::vector<TPdfPage> replayed = Replay(stream, dir.filePath("replayed.pdf"));
  ASSERT_GE(printed.size(), 2u);
  ASSERT_EQ(replayed.size(), printed.size());
  EXPECT_NEAR(PointsToMm(printed[0].Width), 210, 0.5);
  for (size_t p = 0; p < printed.size(); ++p) {
    const std::vector<TLine> a = LinesOf(printed[p]), b = LinesOf(replayed[p]);
    ASSERT_EQ(a.size(), b.size()) << "page " << p + 1;
    for (size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].Text, b[i].Text);
      EXPECT_NEAR(PointsToMm(a[i].Y), PointsToMm(b[i].Y), 0.03) << a[i].Text;
      EXPECT_NEAR(PointsToMm(a[i].Left), PointsToMm(b[i].Left), 0.03) << a[i].Text;
      EXPECT_NEAR(PointsToMm(a[i].Right), PointsToMm(b[i].Right), 0.03) << a[i].Text;
    }
  }
  const TRun dump = Exec("report-dump", {stream});
  ASSERT_EQ(dump.Code, 0) << dump.Err.toStdString();
  EXPECT_TRUE(dump.Out.contains(QString("pages %1 first").arg(printed.size())));
  EXPECT_EQ(dump.Out.count(" 80 page "), int(printed.size()));
  EXPECT_TRUE(dump.Out.contains(" 23 text-centred ") && dump.Out.contains("\"Half-Life\""));
}

TEST(PrintCommand, FailuresGiveTheirExitCodeAndMessageAndWriteNothing) {
  TMembers wrongVersion = Standard();
  wrongVersion["version.txt"] = Lines({"Trickfolio v1.30"});
  struct TCase {
    std::vector<std::string> Args;
    std::function<void(const TFolder&)> Make;
    int Code;
    const char* Message;
  } const cases[] = {
      {{"--print", "Nope (PC)"}, [](auto& f) { f.Zip(Standard()); }, 1, "no game \"Nope (PC)\""},
      {{"--print", "doom (pc)"}, [](auto& f) { f.Zip(Standard()); }, 1, "no game"},
      {{"--print", "Квейк (PC)"}, [](auto& f) { f.Zip(Standard()); }, 1, "online-only game"},
      {{"--print", "Lost (PC)"}, [](auto& f) { f.Zip(Standard()); }, 1, "cannot be read"},
      {{"--print", "Doom (PC)"}, [](auto&) {}, 1, "trickfolio.dat: no such file"},
      {{"--print", "Doom (PC)"},
       [](auto& f) { f.WriteFile(f.Archive(), "PK\3\4 cut"); },
       1,
       "trickfolio.dat: cannot be read"},
      {{"--print", "Doom (PC)"}, [](auto& f) { f.Zip(Standard(), "other"); }, 1, "cannot be read"},
      {{"--print", "Doom (PC)"}, [&](auto& f) { f.Zip(wrongVersion); }, 1, "cannot be read"},
      {{}, nullptr, 2, "--print NAME is missing"},
      {{"--print"}, nullptr, 2, "option --print needs a value"},
      {{"--print", "Doom (PC)"}, nullptr, 2, "give --pdf FILE or --stream FILE"},
      {{"--print", "Doom (PC)", "--pdf", "a", "--stream", "b"}, nullptr, 2, "not both"},
      {{"--print", "Doom (PC)", "--print", "Dune (PC)"}, nullptr, 2, "--print given twice"},
      {{"--print", "Doom (PC)", "--png"}, nullptr, 2, "unknown option --png"},
      {{"--print", "Doom (PC)", "extra"}, nullptr, 2, "unexpected word extra"},
  };
  for (const TCase& c : cases) {
    TFolder folder;
    if (c.Make) c.Make(folder);
    const std::string out = folder.Dir() + "out.pdf";
    std::vector<std::string> args = c.Args;
    if (c.Code == 1) args.insert(args.end(), {"--pdf", out});
    std::ostringstream stdOut, stdErr;
    const std::string what = c.Message;
    EXPECT_EQ(PrintCommand::Run(args, folder.Dir(), stdOut, stdErr), c.Code) << what;
    EXPECT_TRUE(stdErr.str().starts_with("trickfolio: ")) << what;
    EXPECT_NE(stdErr.str().find(what), std::string::npos) << stdErr.str();
    EXPECT_EQ(stdErr.str().find("usage:") != std::string::npos, c.Code == 2) << what;
    EXPECT_EQ(stdOut.str(), "");
    EXPECT_FALSE(std::filesystem::exists(out)) << what;
  }
  // An output that cannot be written fails without a file and without a window's message.
  std::ostringstream ignored, err;
  EXPECT_EQ(PrintCommand::Run({"--print", "DOOM (PC)", "--pdf", "/nonexistent/d.pdf"},
                              TRICKFOLIO_BIN_DIR, ignored, err),
            1);
  EXPECT_TRUE(err.str().starts_with("trickfolio: /nonexistent/d.pdf: ")) << err.str();
  // The real program's dispatch: usage errors end with 2 also without a display.
  EXPECT_EQ(Exec("trickfolio", {"--pdf", "x.pdf"}).Code, 2);
}

// Every widget or window shown on the way is seen here (the application is a widget
// application in this test, so a window would open rather than abort); the control row
// shows that the watch sees one.
class TShowWatch : public QObject {
 public:
  TShowWatch() { qApp->installEventFilter(this); }
  int Shown = 0;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show && (o->isWidgetType() || o->isWindowType())) ++Shown;
    return false;
  }
};

TEST(PrintCommand, ShowsNoWindow) {
  QTemporaryDir dir;
  for (const char* option : {"--stream", "--pdf", "control"}) {
    TShowWatch watch;
    std::ostringstream out, err;
    if (std::string(option) == "control") {
      QWidget().show();
    } else {
      const std::string file = dir.filePath("f").toStdString();
      ASSERT_EQ(
          PrintCommand::Run({"--print", "DOOM (PC)", option, file}, TRICKFOLIO_BIN_DIR, out, err),
          0)
          << err.str();
    }
    EXPECT_EQ(watch.Shown > 0, std::string(option) == "control") << option;
  }
}

}  // namespace
