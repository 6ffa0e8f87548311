// gif-frames as a process: its report, its pictures and its exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "../../skin/GifBuild.h"

namespace {

struct TRun {
  int Code;
  QString Out, Err;
};

TRun RunTool(const QStringList& arguments) {
  QProcess tool;
  tool.start(TRICKFOLIO_BIN_DIR "/gif-frames", arguments);
  tool.waitForFinished(30000);
  return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
          QString::fromUtf8(tool.readAllStandardError())};
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  return file.fileName();
}

}  // namespace

TEST(GifFrames, ReportsAndWritesEveryFrame) {
  QTemporaryDir dir;
  // A looping two-frame picture: a red frame with a hole in its corner, then a blue frame
  // with holes that is disposed to the background.
  std::string text =
      GifBuild::Describe(3, 2, {{0, 0, {"000", "003"}, 1, 10, 3}, {1, 0, {"23", "33"}, 2, 250, 3}});
  text.insert(text.find("end\n") + 4, "\nnetscape loop 7\n");
  QFile source(dir.filePath("anim.txt"));
  source.open(QIODevice::WriteOnly);
  source.write(QByteArray::fromStdString(text));
  source.close();
  QProcess gifbuild;
  gifbuild.setStandardOutputFile(dir.filePath("anim.gif"));
  gifbuild.start("/usr/bin/gifbuild", {source.fileName()});
  ASSERT_TRUE(gifbuild.waitForFinished(10000));

  const TRun run = RunTool({dir.filePath("anim.gif"), dir.filePath("out")});
  EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
  EXPECT_EQ(run.Out,
            "version 89a\n"
            "screen 3 2\n"
            "background #FF0000\n"
            "transparent 1\n"
            "looping 1 repeat 7\n"
            "frames 2\n"
            "frame 0 left 0 top 0 width 3 height 2 interlaced 0 local 0 bits 2 delay 100 "
            "disposal 1 transparent #FFFFFF corrupted 0\n"
            "frame 1 left 1 top 0 width 2 height 2 interlaced 0 local 0 bits 2 delay 2500 "
            "disposal 2 transparent #FFFFFF corrupted 0\n");

  using Rows = std::vector<std::string>;
  const struct {
    const char* Name;
    Rows Expected;
    bool Alpha;
  } pictures[] = {
      {"frame-000.png", {"RRR", "RRW"}, false},
      {"frame-001.png", {"BW", "WW"}, false},
      // The hole shows the fill, frame 0's transparent colour, marked see-through ...
      {"screen-000.png", {"RRR", "RR."}, true},
      // ... and frame 1 drawn over it keeps what its own holes leave.
      {"screen-001.png", {"RBR", "RR."}, true},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.Name);
    const QImage image(dir.filePath(QString("out/") + p.Name));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.hasAlphaChannel(), p.Alpha);
    EXPECT_EQ(GifBuild::Letters(image), p.Expected);
  }
}

TEST(GifFrames, ExitCodes) {
  QTemporaryDir dir;
  const struct {
    QStringList Arguments;
    int Code;
    QString Err;
  } cases[] = {
      {{}, 2, "usage: gif-frames FILE [OUTDIR]\n"},
      {{"a", "b", "c"}, 2, "usage: gif-frames FILE [OUTDIR]\n"},
      {{Write(dir, "bad.gif", "GIF90a\x01\0\x01\0\0\0\0;")},
       1,
       "Неизвестная версия изображения GIF\n"},
      {{Write(dir, "label.gif", QByteArray("GIF89a\x01\0\x01\0\0\0\0!\x42", 15))},
       1,
       "Неопределенное расширение GIF: 42\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Arguments.join(' ').toStdString());
    const TRun run = RunTool(c.Arguments);
    EXPECT_EQ(run.Code, c.Code);
    EXPECT_EQ(run.Err, c.Err);
    EXPECT_TRUE(run.Out.isEmpty());
  }
}

TEST(GifFrames, AFrameWithoutPixelsIsNotedAndTheRunSucceeds) {
  // A 0 x 0 screen and one 0 x 0 frame: readable, but nothing to draw.
  QTemporaryDir dir;
  const QString file =
      Write(dir, "empty.gif", QByteArray("GIF89a\0\0\0\0\0\0\0,\0\0\0\0\0\0\0\0\0\x02\0;", 26));
  const TRun run = RunTool({file, dir.filePath("out")});
  EXPECT_EQ(run.Code, 0);
  EXPECT_TRUE(run.Out.contains("frame 0 left 0 top 0 width 0 height 0"));
  EXPECT_EQ(run.Err,
            "frame-000.png not written: no pixels\nscreen-000.png not written: no pixels\n");
  EXPECT_TRUE(QDir(dir.filePath("out")).isEmpty());
}
