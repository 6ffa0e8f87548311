// report-dump as a process: a recorded stream listed line by line, a damaged one listed
// up to the damage, and its exit codes.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include "RPFiler.h"

namespace {

struct TRun {
  int Code;
  QStringList Lines;
  QString Err;
};

TRun RunTool(const QStringList& arguments) {
  QProcess tool;
  tool.start(TRICKFOLIO_BIN_DIR "/report-dump", arguments);
  tool.waitForFinished(30000);
  return {tool.exitCode(),
          QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
          QString::fromUtf8(tool.readAllStandardError())};
}

// Two pages recorded on a form: a title and a line each.
std::string TwoPages() {
  QWidget form;
  auto* filer = new TReportFiler(&form);
  TMemoryStream stream;
  filer->SetStreamMode(smUser);
  filer->SetStream(&stream);
  filer->SetTitle("Dump \xC4");
  filer->OnPrint = [&](QObject*) {
    filer->PrintLeft("first", 1);
    filer->NewPage();
    filer->PrintRight("second", 2);
  };
  filer->Execute();
  return stream.ToString();
}

QString Write(const QTemporaryDir& dir, const std::string& bytes, const char* name = "report.rp") {
  QFile file(dir.filePath(name));
  file.open(QIODevice::WriteOnly);
  file.write(bytes.data(), qint64(bytes.size()));
  return file.fileName();
}

TEST(ReportDump, ListsHeaderPagesAndCommands) {
  QTemporaryDir dir;
  const TRun run = RunTool({Write(dir, TwoPages())});
  ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
  ASSERT_GE(run.Lines.size(), 6);
  EXPECT_EQ(run.Lines[0], "header Z version 2017");
  EXPECT_EQ(run.Lines[1], "title \"Dump \\xC4\"");
  EXPECT_EQ(run.Lines[2], "pages 2 first 1 last 9999");
  EXPECT_EQ(run.Lines[3], "paper 8.5 x 11 in, strips 0 0 0 0");

  // Each page record with its links; the first's next is the second's position.
  QStringList pages, texts;
  for (const QString& line : run.Lines) {
    if (line.contains(" 80 page ")) pages << line;
    // The code, the name, the text and x; y is the baseline, which depends on the font.
    if (line.contains(" text-")) texts << line.section(' ', 1, 2) + line.section(' ', 4);
  }
  ASSERT_EQ(pages.size(), 2);
  const QString second = pages[1].section(' ', 0, 0);
  EXPECT_TRUE(pages[0].endsWith("page 1 previous @0 next " + second + " size 8.5 x 11"))
      << pages[0].toStdString();
  EXPECT_TRUE(
      pages[1].contains("page 2 previous @" + pages[0].section(' ', 0, 0).mid(1) + " next @0"))
      << pages[1].toStdString();
  EXPECT_EQ(texts.join('|').toStdString(), "24 text-left\"first\" 1|25 text-right\"second\" 2");
  EXPECT_TRUE(run.Lines.last().endsWith(" 82 end-page"));
}

TEST(ReportDump, DamageAndUsage) {
  QTemporaryDir dir;
  std::string cut = TwoPages();
  cut.resize(cut.size() - 3);
  struct Case {
    QStringList arguments;
    int code;
    QString error;
  } cases[] = {
      {{Write(dir, cut, "cut.rp")}, 1, "report-dump: Unexpected code found in report file.\n"},
      {{Write(dir, "Xyz", "other.rp")},
       1,
       "report-dump: Unexpected header code found in report file.\n"},
      {{dir.filePath("none.rp")}, 1, "report-dump: cannot read " + dir.filePath("none.rp") + "\n"},
      {{}, 2, "usage: report-dump FILE\n"},
  };
  for (const Case& c : cases) {
    const TRun run = RunTool(c.arguments);
    EXPECT_EQ(run.Code, c.code) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(run.Err.toStdString(), c.error.toStdString());
  }
  // What could be read before the damage is listed.
  EXPECT_GT(RunTool({dir.filePath("cut.rp")}).Lines.size(), 20);
}

}  // namespace
