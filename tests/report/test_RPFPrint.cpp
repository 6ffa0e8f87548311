// Replaying report streams: streams recorded by the stream writer and streams written out
// here from the format's tables, onto QImage pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstring>

#include "RPFiler.h"
#include "RecordJob.h"
#include "ReplayHarness.h"
#include "StreamBytes.h"

namespace {

// The device fields after the page geometry; `full` for versions above 1999.
TBytes& DeviceFields(TBytes& h, bool full) {
  h.Byte(0);
  if (full) h.Short(265).Byte(0).Byte(0);
  return h.Short(1).Short(1).Short(0).Short(0).Str("");
}

// A header of the given code ('Z' writes 90 and the version).
TBytes Header(char code, int pages, int version = 2017) {
  TBytes h;
  if (code == 'Z')
    h.Byte(90).Short(version);
  else
    h.Byte(code);
  const int v = code == 'Q' ? 1101 : code == 'Y' ? 2009 : version;
  if (v > 2009) h.Str("Hand");
  h.Short(pages).Short(1).Short(9999).Real(8.5).Real(11).Real(0).Real(0).Real(0).Real(0);
  return DeviceFields(h, v > 1999);
}

// Appends a page record and its body, linking it to the previous one; returns its position.
int64_t AddPage(TBytes& s, int version, int number, int64_t previous, const TBytes& body) {
  const int64_t at = s.Size();
  s.Byte(80).Int(previous).Int(0).Short(number);
  if (version >= 2000)
    s.Real(8.5).Real(11);
  else
    s.Byte(0);
  s.b += body.b;
  s.Byte(82);
  if (previous > 0) {
    TBytes link;
    link.Int(at);
    s.b.replace(size_t(previous + 5), 4, link.b);
  }
  return at;
}

// A stream of `pages` pages, page n drawing "page n" left at x = n, y = 1.
std::string Pages(int pages, char code = 'Z', int version = 2017) {
  const int v = code == 'Q' ? 1101 : code == 'Y' ? 2009 : version;
  TBytes s = Header(code, pages, version);
  int64_t previous = 0;
  for (int n = 1; n <= pages; ++n) {
    TBytes body;
    body.Text(24, 1, "page " + std::to_string(n), n);
    previous = AddPage(s, v, n, previous, body);
  }
  return s.b;
}

struct TReplayRun {
  TMemoryStream Stream;
  TImageReplay Replay{96};
  std::string Error;
  explicit TReplayRun(const std::string& bytes, const std::string& selection = "") {
    Stream.WriteString(bytes);
    Replay.SetStreamMode(smUser);
    Replay.SetStream(&Stream);
    Replay.SetSelection(selection);
  }
  TReplayRun& Print(int first = 0, int last = 0) {
    try {
      Replay.PrintRange(first, last, 0);
    } catch (const Exception& e) {
      Error = e.Message();
    }
    return *this;
  }
  std::string Texts() const {
    std::string all;
    for (const auto& d : Replay.Drawn) all += (all.empty() ? "" : "|") + d.Text;
    return all;
  }
};

TEST(RPFPrint, OlderHeadersReplay) {
  struct Case {
    char code;
    int version;
    int expectVersion;
    std::string title;
  } cases[] = {
      {'Q', 0, 1101, "ReportPrinter Report"},
      {'Y', 0, 2009, "ReportPrinter Report"},
      {'Z', 1999, 1999, "ReportPrinter Report"},
      {'Z', 2017, 2017, "Hand"},
  };
  for (const Case& c : cases) {
    TReplayRun run(Pages(2, c.code, c.version));
    run.Print();
    SCOPED_TRACE(std::string(1, c.code) + std::to_string(c.version));
    EXPECT_EQ(run.Error, "");
    EXPECT_EQ(run.Replay.Header().Version, c.expectVersion);
    EXPECT_EQ(run.Replay.Title(), c.title);
    EXPECT_EQ(run.Texts(), "page 1|page 2");
    ASSERT_EQ(run.Replay.Drawn.size(), 2u);
    EXPECT_DOUBLE_EQ(run.Replay.Drawn[1].X, 2);
    EXPECT_DOUBLE_EQ(run.Replay.Drawn[1].Y, 1);
    EXPECT_EQ(run.Replay.Pages.size(), 2u);
  }
}

TEST(RPFPrint, RangesSelectionsAndReverseOrder) {
  struct Case {
    std::string selection;
    int first, last;
    std::string pages;
  } cases[] = {
      {"", 0, 0, "page 1|page 2|page 3|page 4"},
      {"", 2, 3, "page 2|page 3"},
      {"", 3, 99, "page 3|page 4"},
      {"R", 0, 0, "page 4|page 3|page 2|page 1"},
      {"r", 2, 3, "page 3|page 2"},
      {"1,3-4", 0, 0, "page 1|page 3|page 4"},
      {"EVEN,R", 0, 0, "page 4|page 2"},
      {"2-,R", 0, 0, "page 4|page 3|page 2"},
  };
  for (const Case& c : cases) {
    TReplayRun run(Pages(4), c.selection);
    run.Print(c.first, c.last);
    EXPECT_EQ(run.Error, "");
    EXPECT_EQ(run.Texts(), c.pages) << c.selection << " " << c.first << ".." << c.last;
  }
}

TEST(RPFPrint, PagesAreFoundThroughTheLinks) {
  TReplayRun run(Pages(5));
  TImageReplay& r = run.Replay;
  EXPECT_EQ(r.PageCount(), 5);
  for (int n : {4, 2, 5, 1, 3}) {
    r.GotoPage(n);
    EXPECT_EQ(r.CurrentPage(), n);
  }
  r.GotoPage(9);  // beyond the last: the walk stops at the last record
  EXPECT_EQ(r.CurrentPage(), 5);
}

TEST(RPFPrint, RecordedReportReplaysItsTextsAtTheirPlaces) {
  const std::string stream = TRecordJob().Run([](TReportFiler& f) {
    f.SetFont("Arial", 12);
    f.PrintLeft("left", 1);
    f.NewLine();
    f.PrintCentered("centred", 4.25);
    f.SetBold(true);
    f.NewLine();
    f.PrintRight("right", 7.5);
    f.NewPage();
    f.SetOriginX(0.5);
    f.PrintLeft("moved", 1);
    f.NewPage();
    f.SetFont("Courier New", 10);
    f.PrintLeft("third", 2);
  });
  TReplayRun run(stream);
  run.Print();
  ASSERT_EQ(run.Error, "");
  struct Want {
    char kind;
    std::string text;
    double x, y;
    int page;
  } want[] = {
      {'L', "left", 1, 1.0 / 6, 1},    {'C', "centred", 4.25, 2.0 / 6, 1},
      {'R', "right", 7.5, 3.0 / 6, 1}, {'L', "moved", 1.5, 1.0 / 6, 2},
      {'L', "third", 2, 1.0 / 6, 3},
  };
  ASSERT_EQ(run.Replay.Drawn.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    const auto& d = run.Replay.Drawn[i];
    EXPECT_EQ(d.Kind, want[i].kind);
    EXPECT_EQ(d.Text, want[i].text);
    EXPECT_NEAR(d.X, want[i].x, 1e-5) << d.Text;
    // The baseline sits the font's descent above the line's bottom.
    EXPECT_LT(d.Y, want[i].y) << d.Text;
    EXPECT_GT(d.Y, want[i].y - 0.06) << d.Text;
    EXPECT_EQ(d.Page, want[i].page);
  }
  EXPECT_TRUE(run.Replay.Font().Bold == false);
  EXPECT_EQ(run.Replay.Font().Name, "Courier New");
}

TEST(RPFPrint, MacrosAndNamedValuesAreExpanded) {
  TBytes body;
  body.Byte(37).Str("who").Byte(3).Byte(3).b += "Bob";
  body.Text(24, 1, "\xFD$RPCM11 of \xFD$RPCM10", 1);
  body.Text(24, 2, "by \xFD$RPCV\xFCwho\xFB!", 1);
  // A mark without a macro after it is the letter "э".
  body.Text(24, 3, "\xFD$RPCM16\xFD\xFD$RPCV\xFCnone\xFB\xFD$RPC", 1);
  TBytes s = Header('Z', 1);
  AddPage(s, 2017, 1, 0, body);
  TReplayRun run(s.b);
  run.Replay.MacroStrings = {"stored"};
  run.Print();
  EXPECT_EQ(run.Error, "");
  EXPECT_EQ(run.Texts(), "1 of 1|by Bob!|stored\xFD\xFD$RPC");
}

TEST(RPFPrint, NamedValueReferringBack) {
  // The second value refers to the first record's value bytes by position.
  TBytes body;
  TBytes s = Header('Z', 1);
  // After the page record (19 bytes), code 37 and the name "a".
  const int64_t firstValue = s.Size() + 19 + 3;
  body.Byte(37).Str("a").Byte(2).Byte(2).b += "xy";
  body.Byte(37).Str("b").Byte(4).Byte(254).Int(firstValue);
  body.Text(24, 1,
            "\xFD$RPCV\xFC"
            "b\xFB",
            1);
  AddPage(s, 2017, 1, 0, body);
  TReplayRun run(s.b);
  run.Print();
  EXPECT_EQ(run.Error, "");
  EXPECT_EQ(run.Texts(), "xy");
}

TEST(RPFPrint, FontSizeIsFittedToTheRecordedWidthFromVersion2000) {
  struct Case {
    int version;
    double recordedWidth;  // inches; the reference text at 10 pt is far wider than 1
    bool smaller;
  } cases[] = {{2017, 1, true}, {2000, 1, true}, {1999, 1, false}, {2017, 100, false}};
  for (const Case& c : cases) {
    TBytes body;
    body.Byte(54).Real(10.0 / 72).Real(c.recordedWidth);
    body.Text(24, 1, "x", 1);
    TBytes s = Header('Z', 1, c.version);
    AddPage(s, c.version, 1, 0, body);
    TReplayRun run(s.b);
    run.Print();
    EXPECT_EQ(run.Error, "");
    if (c.smaller)
      EXPECT_LT(run.Replay.Font().Size, 10) << c.version;
    else
      EXPECT_NEAR(run.Replay.Font().Size, 10, 1e-4) << c.version;
  }
}

TEST(RPFPrint, OrientationCommandTakesEffectAfterItsPage) {
  TBytes body;
  body.Byte(87).Byte(1);
  TBytes s = Header('Z', 1);
  AddPage(s, 2017, 1, 0, body);
  TReplayRun run(s.b);
  run.Print();
  EXPECT_EQ(run.Error, "");
  EXPECT_EQ(run.Replay.Orientation(), poLandScape);
}

TEST(RPFPrint, OpeningTheInput) {
  TImageReplay file;
  file.SetFileName("/nonexistent/report.rp");
  file.Execute();
  EXPECT_EQ(file.Messages, std::vector<std::string>{"Error initializing input stream "
                                                    "\"/nonexistent/report.rp\""});
  EXPECT_FALSE(file.Printing());

  TImageReplay user;
  user.SetStreamMode(smUser);
  try {
    user.Execute();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "StreamMode is smUser but Stream is nil");
  }
}

// Damaged and hostile streams: each ends with the format's message, never a crash, a
// hang or an allocation the stream's size does not justify.
TEST(RPFPrint, DamagedStreamsEndWithTheirMessage) {
  const std::string good = Pages(3);
  const int64_t page1 = Header('Z', 3).Size();
  const auto patched = [&](int64_t at, const TBytes& with) {
    std::string s = good;
    s.replace(size_t(at), with.b.size(), with.b);
    return s;
  };
  const auto page = [](TBytes body, int count = 1) {
    TBytes s = Header('Z', count);
    AddPage(s, 2017, 1, 0, body);
    return s.b;
  };
  const std::string badHeader = "Unexpected header code found in report file.";
  const std::string bad = "Unexpected code found in report file.";
  struct Case {
    const char* what;
    std::string stream;
    std::string error;
  } cases[] = {
      {"empty", "", badHeader},
      {"other first byte", "A" + good.substr(1), badHeader},
      {"header cut short", good.substr(0, 12), bad},
      {"page cut short", good.substr(0, size_t(page1 + 20)), bad},
      {"no end of page", good.substr(0, good.size() - 1), bad},
      {"record code not 80", patched(page1, TBytes().Byte(81)), bad},
      {"next link to itself", patched(page1 + 5, TBytes().Int(page1)), bad},
      {"next link backwards", patched(page1 + 5, TBytes().Int(3)), bad},
      {"next link past the end", patched(page1 + 5, TBytes().Int(1 << 30)), bad},
      {"negative link", patched(page1 + 5, TBytes().Int(-7)), bad},
      {"more pages than records", patched(8, TBytes().Short(30000)), bad},
      {"unknown command", page(TBytes().Byte(99)), bad},
      {"page record inside a page", page(TBytes().Byte(80)), bad},
      {"string longer than the stream", page(TBytes().Byte(51).Byte(0xFF).Byte(0xFF)), bad},
      {"raw data count huge", page(TBytes().Byte(31).Int(0x7FFFFFFF)), bad},
      {"raw data count negative", page(TBytes().Byte(31).Int(-1)), bad},
      {"polygon count negative", page(TBytes().Byte(14).Short(-2)), bad},
      {"polygon count beyond the stream", page(TBytes().Byte(15).Short(32767)), bad},
      {"not a number", page(TBytes().Byte(74).Int(0x7FC00000)), bad},
      {"infinite position", page(TBytes().Byte(12).Real(1).Int(0x7F800000)), bad},
      {"absurd position", page(TBytes().Byte(12).Real(1).Real(3e30)), bad},
      {"graphic kind 0", page(TBytes().Byte(5).Byte(0).Int(0).Real(0).Real(0)), bad},
      {"graphic refers forward", page(TBytes().Byte(5).Byte(129).Int(1 << 20)), bad},
      {"graphic refers to itself", page(TBytes().Byte(43).Byte(1).Byte(129).Int(page1 + 21)), bad},
      {"graphic count huge", page(TBytes().Byte(5).Byte(1).Int(0x7FFFFFF0)), bad},
      {"value refers forward", page(TBytes().Byte(37).Str("a").Byte(4).Byte(255).Int(1 << 20)),
       bad},
      {"value reference too short", page(TBytes().Byte(37).Str("a").Byte(2).Byte(254).Short(0)),
       bad},
      {"huge font and pen", page(TBytes().Byte(54).Real(90000).Real(1).Byte(74).Real(90000)), ""},
  };
  for (const Case& c : cases) {
    TReplayRun run(c.stream);
    run.Print();
    EXPECT_EQ(run.Error, c.error) << c.what;
    EXPECT_FALSE(run.Replay.Printing()) << c.what;
    if (c.error == bad && c.stream.size() > size_t(page1)) {  // the job had begun
      EXPECT_TRUE(run.Replay.Aborted()) << c.what;
    }
  }
}

TEST(RPFPrint, FuzzRegressionsReplay) {
  const std::string dir = TRICKFOLIO_SOURCE_DIR "/fuzz/regressions/replay";
  QDir folder(QString::fromStdString(dir));
  for (const QString& name : folder.entryList(QDir::Files)) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    SCOPED_TRACE(name.toStdString());
    FuzzOneReplay(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
  }
}

}  // namespace
