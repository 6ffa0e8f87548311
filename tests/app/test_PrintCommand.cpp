// trickfolio --print: the built program on the demo catalogue without display or printer queue, and
// the command's failures on catalogues of the tests' making.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>

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

// Every widget or window shown on the way is counted: in this widget application a window would
// open (in the program it could not even be made).
class TShowCount : public QObject {
 public:
  TShowCount() { qApp->installEventFilter(this); }
  int Shown = 0;
  bool eventFilter(QObject* o, QEvent* e) override {
    Shown += e->type() == QEvent::Show && (o->isWidgetType() || o->isWindowType());
    return false;
  }
};

// The stream replayed to a PDF against the command's own PDF: the same words, their ends within
// 0.03 mm (one 1200-dpi device; centred or indented text may round to the next pixel, 0.021 mm).
TEST(PrintCommand, WritesWithoutWindowsAStreamThatReplaysToItsPdf) {
  QTemporaryDir dir;
  const auto path = [&](const char* name) { return dir.filePath(name).toStdString(); };
  const auto bytes = [](const QString& file) {
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  };
  TShowCount count;
  std::ostringstream err;
  const mode_t mask = ::umask(027);
  for (const char* option : {"--stream", "--pdf"})
    ASSERT_EQ(PrintCommand::Run({"--print", "Half-Life (PC)", option, path(option)},
                                TRICKFOLIO_BIN_DIR, err),
              0)
        << err.str();
  ::umask(mask);
  // The files have the mode of any new file, not the temporary file's 0600.
  for (const char* option : {"--stream", "--pdf"})
    EXPECT_EQ(std::filesystem::status(path(option)).permissions(), std::filesystem::perms(0640))
        << option;
  EXPECT_EQ(count.Shown, 0);
  QWidget().show();
  EXPECT_GT(count.Shown, 0) << "the count sees a window";
  // The program itself, without a display, writes the same stream.
  const TRun run = Exec("trickfolio", {"--print", "Half-Life (PC)", "--stream", dir.filePath("p")});
  ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(bytes(dir.filePath("p")), bytes(dir.filePath("--stream")));

  TFilePrinter replay;
  replay.SetStreamMode(smFile);
  replay.SetFileName(path("--stream"));
  RPDev().SetOutputFile(path("replayed.pdf"));
  replay.Execute();
  const auto printed = ReadPdfWords(path("--pdf")), replayed = ReadPdfWords(path("replayed.pdf"));
  ASSERT_GE(printed.size(), 2u);
  ASSERT_EQ(replayed.size(), printed.size());
  EXPECT_NEAR(PointsToMm(printed[0].Width), 210, 0.5);
  for (size_t p = 0; p < printed.size(); ++p) {
    const std::vector<TPdfWord>& a = printed[p].Words;
    const std::vector<TPdfWord>& b = replayed[p].Words;
    ASSERT_EQ(a.size(), b.size()) << "page " << p + 1;
    for (size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].Text, b[i].Text);
      for (auto end : {&TPdfWord::YMax, &TPdfWord::XMin, &TPdfWord::XMax})
        EXPECT_NEAR(PointsToMm(a[i].*end), PointsToMm(b[i].*end), 0.03) << a[i].Text;
    }
  }
  const TRun dump = Exec("report-dump", {dir.filePath("p")});
  ASSERT_EQ(dump.Code, 0) << dump.Err.toStdString();
  EXPECT_TRUE(dump.Out.contains(QString("pages %1 first").arg(printed.size())));
  EXPECT_EQ(dump.Out.count(" 80 page "), int(printed.size()));
  EXPECT_TRUE(dump.Out.contains(QRegularExpression(" 23 text-centred .* \"Half-Life\" ")));
}

TEST(PrintCommand, FailuresGiveTheirExitCodeAndMessageAndWriteNothing) {
  const auto standard = [](const TFolder& f) { f.Zip(Standard()); };
  struct TCase {
    std::vector<std::string> Args;
    std::function<void(const TFolder&)> Make;
    int Code;
    const char* Message;
  } const cases[] = {
      {{"--print", "Nope (PC)"}, standard, 1, "trickfolio.dat: no game \"Nope (PC)\""},
      {{"--print", "doom (pc)"}, standard, 1, "no game"},
      {{"--print", "Квейк (PC)"},
       standard,
       1,
       "online-only game, nothing to print; its codes are at"},
      {{"--print", "Lost (PC)"}, standard, 1, "the codes of \"Lost (PC)\" cannot be read"},
      {{"--print", "Doom (PC)"}, nullptr, 1, "trickfolio.dat: no such file"},
      {{"--print", "Doom (PC)"},
       [](auto& f) { f.WriteFile(f.Archive(), "PK\3\4 cut"); },
       1,
       "trickfolio.dat: cannot be read"},
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
    std::ostringstream stdErr;
    EXPECT_EQ(PrintCommand::Run(args, folder.Dir(), stdErr), c.Code) << c.Message;
    EXPECT_TRUE(stdErr.str().starts_with("trickfolio: ")) << c.Message;
    EXPECT_NE(stdErr.str().find(c.Message), std::string::npos) << stdErr.str();
    EXPECT_EQ(stdErr.str().find("usage:") != std::string::npos, c.Code == 2) << c.Message;
    EXPECT_FALSE(std::filesystem::exists(out)) << c.Message;
  }
  std::ostringstream err;
  EXPECT_EQ(PrintCommand::Run({"--print", "DOOM (PC)", "--pdf", "/nonexistent/d.pdf"},
                              TRICKFOLIO_BIN_DIR, err),
            1);
  EXPECT_TRUE(err.str().starts_with("trickfolio: /nonexistent/d.pdf: ")) << err.str();
  // A link is written through, not replaced by the finished file.
  QTemporaryDir dir;
  const std::string file = dir.filePath("codes.rps").toStdString(),
                    link = dir.filePath("link.rps").toStdString();
  std::filesystem::create_symlink(file, link);
  EXPECT_EQ(PrintCommand::Run({"--print", "DOOM (PC)", "--stream", link}, TRICKFOLIO_BIN_DIR, err),
            0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_GT(std::filesystem::file_size(file), 0u);
  // The program's own dispatch.
  EXPECT_EQ(Exec("trickfolio", {"--pdf", "x.pdf"}).Code, 2);
}

}  // namespace
