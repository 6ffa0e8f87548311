// The report stream, byte for byte against streams written out here from the format's
// tables.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QWidget>
#include <cstring>
#include <fstream>

#include "RPFiler.h"
#include "RecordJob.h"
#include "StreamBytes.h"

namespace {

using Bytes = std::string;

// The recording job under the title the expected headers carry.
struct TFilerJob : TRecordJob {
  TFilerJob() { Filer->SetTitle("T"); }
};

const char* const kReference =
    "abcdefg hijklmnop qrstuv wxyz ABCDEFG HIJKLMNOP QRSTUV WXYZ 0123456789";

// Header of a 1-page-count job without printers, Letter paper.
TBytes Header(int pages, const Bytes& title = "T") {
  TBytes h;
  h.Byte(90).Short(2017).Str(title).Short(pages).Short(1).Short(9999).Real(8.5).Real(11);
  h.Real(0).Real(0).Real(0).Real(0);
  h.Byte(0).Short(265).Byte(0).Byte(0).Short(1).Short(1).Short(0).Short(0).Str("");
  return h;
}

// The state block of a page start with the writer's initial brush, font and pen.
TBytes State(double referenceWidth, int dpi) {
  TBytes s;
  s.Byte(41).Int(0).Byte(42).Byte(1).Byte(43).Byte(0);
  s.Byte(51).Str("Arial").Byte(52).Int(0).Byte(53).Byte(0).Byte(63).Byte(1);
  s.Byte(55).Byte(0).Byte(57).Byte(0).Byte(56).Byte(0).Byte(58).Byte(0);
  s.Byte(59).Byte(0).Byte(60).Byte(0).Byte(61).Short(0).Byte(62).Byte(0);
  s.Byte(54).Real(10.0 / 72).Real(referenceWidth);
  s.Byte(71).Int(0).Byte(72).Byte(4).Byte(73).Byte(0).Byte(74).Real(1.0 / dpi);
  s.Byte(28).Real(100).Byte(29).Real(100).Byte(26).Byte(0).Byte(27).Int(0xFFFFFF);
  return s;
}

TEST(RPFiler, OnePageByteForByte) {
  TFilerJob job;
  double y = 0, reference = 0;
  int dpi = 0;
  const Bytes stream = job.Run([&](TReportFiler& f) {
    dpi = f.XDPI();
    reference = double(f.TextWidthPixels(kReference)) / dpi;
    y = f.YPos();
    f.PrintLeft("ab", 1);
    f.PrintRight("cd", 3);
    f.PrintCentered("ef", 4);
    f.PrintBlock("g h", 1, 2);
  });
  TBytes expected = Header(1);
  const int64_t record = int64_t(expected.b.size());
  expected.Byte(80).Int(0).Int(0).Short(1).Real(8.5).Real(11);
  expected.b += State(reference, dpi).b;
  expected.Byte(24).Real(y).Str("ab").Real(1);
  expected.Byte(25).Real(y).Str("cd").Real(3);
  expected.Byte(23).Real(y).Str("ef").Real(4);
  expected.Byte(33).Real(y).Str("g h").Real(1).Real(2);
  expected.Byte(82);
  EXPECT_EQ(stream, expected.b);
  EXPECT_EQ(record, 49);
}

TEST(RPFiler, StringLengthsTakeOneOrTwoBytes) {
  struct Case {
    size_t length;
    Bytes prefix;
  };
  for (const Case& c :
       {Case{191, "\xBF"}, Case{192, "\xC0\xC0"}, Case{200, "\xC0\xC8"}, Case{16383, "\xFF\xFF"}}) {
    TFilerJob job;
    const Bytes text(c.length, 'x');
    const Bytes stream = job.Run([&](TReportFiler& f) { f.PrintLeft(text, 1); });
    EXPECT_NE(stream.find(c.prefix + text), Bytes::npos) << c.length;
  }
  // A text longer than a string field goes as several left-set texts.
  TFilerJob job;
  const Bytes stream = job.Run([&](TReportFiler& f) { f.PrintLeft(Bytes(20000, 'y'), 1); });
  EXPECT_NE(stream.find("\xFF\xFF" + Bytes(16383, 'y')), Bytes::npos);
  EXPECT_NE(stream.find("\xCE\x21" + Bytes(20000 - 16383, 'y')), Bytes::npos);
}

// Walks the page records along their next links: (position, previous, next, number).
struct TRecord {
  int64_t pos, previous, next;
  int number;
};
int32_t IntAt(const Bytes& s, int64_t at) {
  int32_t v;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}
std::vector<TRecord> Records(const Bytes& s, int64_t first) {
  std::vector<TRecord> records;
  for (int64_t at = first; at != 0 && records.size() < 10;) {
    EXPECT_EQ(uint8_t(s[size_t(at)]), 80);
    TRecord r{at, IntAt(s, at + 1), IntAt(s, at + 5), int(int16_t(IntAt(s, at + 9) & 0xFFFF))};
    records.push_back(r);
    at = r.next;
  }
  return records;
}

TEST(RPFiler, PagesAreLinkedBothWaysAndSkippedPagesLeaveNoRecord) {
  struct Case {
    const char* selection;
    std::vector<const char*> kept;
  };
  for (const Case& c :
       {Case{"", {"p1", "p2", "p3"}}, Case{"1,3", {"p1", "p3"}}, Case{"2", {"p2"}}}) {
    TFilerJob job;
    job.Filer->SetSelection(c.selection);
    const Bytes stream = job.Run([&](TReportFiler& f) {
      f.PrintLeft("p1", 1);
      f.NewPage();
      f.PrintLeft("p2", 1);
      f.NewPage();
      f.PrintLeft("p3", 1);
    });
    const int64_t first = int64_t(Header(0).b.size());
    EXPECT_EQ(uint8_t(stream[5]), c.kept.size());  // the patched page count
    const auto records = Records(stream, first);
    ASSERT_EQ(records.size(), c.kept.size()) << c.selection;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].number, int(i + 1));
      EXPECT_EQ(records[i].previous, i == 0 ? 0 : records[i - 1].pos);
      // Each page's content and end lie between its record and the next.
      const int64_t end = i + 1 < records.size() ? records[i + 1].pos : int64_t(stream.size());
      const Bytes page = stream.substr(size_t(records[i].pos), size_t(end - records[i].pos));
      EXPECT_NE(page.find(c.kept[i]), Bytes::npos);
      EXPECT_EQ(uint8_t(page.back()), 82);
    }
    for (const char* text : {"p1", "p2", "p3"})
      EXPECT_EQ(stream.find(text) != Bytes::npos,
                std::find(c.kept.begin(), c.kept.end(), Bytes(text)) != c.kept.end());
  }
}

TEST(RPFiler, ChangesAreWrittenOnlyWhenTheyDiffer) {
  TFilerJob job;
  double ref12 = 0, refBold = 0, ascent = 0, descent = 0, height = 0;
  const Bytes stream = job.Run([&](TReportFiler& f) {
    f.SetFont("Arial", 10);  // the same font: nothing
    f.SetBold(false);
    f.SetFont("Arial", 12);  // the size alone
    ref12 = double(f.TextWidthPixels(kReference)) / f.XDPI();
    f.SetBold(true);  // bold, then the size again
    f.SetBold(true);  // unchanged
    refBold = double(f.TextWidthPixels(kReference)) / f.XDPI();
    f.SetPen({0x0000FF, Qt::SolidLine, QPainter::CompositionMode_SourceOver, 1});
    f.SetPen({0x0000FF, Qt::SolidLine, QPainter::CompositionMode_SourceOver, 1});
    f.LineFeed();  // line metrics
    ascent = f.AscentHeight();
    descent = f.DescentHeight();
    height = f.LineHeight();
    f.PrintPreviewOnly();
    f.PrintBoth();
    f.PrintPrinterOnly();
  });
  TBytes tail;
  tail.Byte(54).Real(12.0 / 72).Real(ref12);
  tail.Byte(55).Byte(1).Byte(54).Real(12.0 / 72).Real(refBold);
  tail.Byte(71).Int(0x0000FF);
  tail.Byte(83).Real(ascent).Real(descent).Real(height);
  tail.Byte(84).Byte(86).Byte(85).Byte(82);
  ASSERT_GE(stream.size(), tail.b.size());
  EXPECT_EQ(stream.substr(stream.size() - tail.b.size()), tail.b);
}

TEST(RPFiler, PositioningRecordsTextWithBlanksAsBlockText) {
  TFilerJob job;
  job.Filer->SetAccuracyMethod(amPositioning);
  double y = 0, w = 0, w2 = 0, w3 = 0;
  const Bytes stream = job.Run([&](TReportFiler& f) {
    y = f.YPos();
    w = f.TextWidth("a b");
    w2 = f.TextWidth("  a  b ");
    w3 = f.TextWidth("\xFD b");
    f.PrintCentered("a b", 4);
    f.PrintCentered("ab", 4);
    f.PrintRight("a b", 4);
    // One word with blanks only around it is no block: nothing lies between words to spread.
    f.PrintLeft("   ab", 1);
    f.PrintCentered(" ab ", 4);
    f.PrintRight("ab  ", 4);
    f.PrintLeft("  a  b ", 1);
    // The macro mark alone is the letter "э"; a macro keeps its own command.
    f.PrintLeft("\xFD b", 1);
    f.PrintLeft("\xFD$RPCM11 b", 1);
    f.PrintLeft("\x01" "a b", 1);
  });
  TBytes body;
  body.Byte(33).Real(y).Str("a b").Real(4 - w / 2).Real(w);
  body.Byte(23).Real(y).Str("ab").Real(4);
  body.Byte(33).Real(y).Str("a b").Real(4 - w).Real(w);
  body.Byte(24).Real(y).Str("   ab").Real(1);
  body.Byte(23).Real(y).Str(" ab ").Real(4);
  body.Byte(25).Real(y).Str("ab  ").Real(4);
  body.Byte(33).Real(y).Str("  a  b ").Real(1).Real(w2);
  body.Byte(33).Real(y).Str("\xFD b").Real(1).Real(w3);
  body.Byte(24).Real(y).Str("\xFD$RPCM11 b").Real(1);
  body.Byte(24).Real(y).Str("\x01" "a b").Real(1);
  body.Byte(82);
  EXPECT_EQ(stream.substr(stream.size() - body.b.size()), body.b);

  // Format codes that are ignored are text like any other.
  TFilerJob ignoring;
  ignoring.Filer->SetAccuracyMethod(amPositioning);
  ignoring.Filer->IgnoreCodes = true;
  const Bytes plain = ignoring.Run([&](TReportFiler& f) { f.PrintLeft("\x01" "a b", 1); });
  TBytes block;
  block.Byte(33).Real(y).Str("\x01" "a b").Real(1);
  EXPECT_NE(plain.find(block.b), Bytes::npos);
}

TEST(RPFiler, Messages) {
  struct Case {
    const char* name;
    std::function<void(TReportFiler&)> act;
    const char* message;
  };
  const Case inJob[] = {
      {"copy", [](TReportFiler& f) { f.CopyRect({}, {}); },
       "CopyRect() not supported in file mode."},
      {"register", [](TReportFiler& f) { f.RegisterGraphic(0); },
       "RegisterGraphic: Index must be between 1 and 10"},
      {"reuse", [](TReportFiler& f) { f.ReuseGraphic(11); },
       "ReuseGraphic: Index must be between 1 and 10"},
      {"unregister", [](TReportFiler& f) { f.UnregisterGraphic(-1); },
       "UnregisterGraphic: Index must be between 1 and 10"},
  };
  for (const Case& c : inJob) {
    TFilerJob job;
    try {
      job.Run(c.act);
      ADD_FAILURE() << c.name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  TFilerJob nil;
  nil.Filer->SetStream(nullptr);
  try {
    nil.Filer->Start();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "StreamMode is smUser but Stream is nil");
  }
  TReportFiler orphan;
  TMemoryStream stream;
  orphan.SetStreamMode(smUser);
  orphan.SetStream(&stream);
  try {
    orphan.Start();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TReportFiler.Owner must be a TForm if no printers are defined.");
  }
  EXPECT_FALSE(orphan.Printing());
}

// Catches the message box's text.
struct TQuietFiler : TReportFiler {
  using TReportFiler::TReportFiler;
  std::vector<std::string> Shown;
  void ShowError(const std::string& text) override { Shown.push_back(text); }
};

TEST(RPFiler, StreamModes) {
  QWidget form;
  const std::string dir = QDir::tempPath().toStdString();
  const auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  };
  // A file that cannot be made: the message, and no job.
  TQuietFiler bad(&form);
  bad.SetStreamMode(smFile);
  bad.SetFileName("/nonexistent-folder/report.rp");
  bad.Start();
  EXPECT_FALSE(bad.Printing());
  EXPECT_EQ(bad.Shown, std::vector<std::string>{
                           "Error initializing stream \"/nonexistent-folder/report.rp\""});

  struct Case {
    TStreamMode mode;
    std::string file;
  };
  for (const Case& c : {Case{smFile, dir + "/rp-file-test.rp"},
                        Case{smMemory, dir + "/rp-memory-test.rp"}, Case{smTempFile, ""}}) {
    TQuietFiler f(&form);
    f.SetStreamMode(c.mode);
    f.SetFileName(c.file);
    f.OnPrint = [&](QObject*) { f.PrintLeft("saved", 1); };
    f.Execute();
    if (c.mode == smTempFile) {
      EXPECT_EQ(f.FileName().rfind(dir + "/RP", 0), 0u) << f.FileName();
    }
    const Bytes saved = read(f.FileName());
    EXPECT_EQ(saved.substr(0, 3), "Z\xE1\x07");  // 90, then 2017
    EXPECT_NE(saved.find("saved"), Bytes::npos);
    EXPECT_EQ(uint8_t(saved.back()), 82);
    std::remove(f.FileName().c_str());
  }
}

// A job that raises leaves no stream file (not even the one opened at its start), while a
// cancelled one still saves what it recorded.
TEST(RPFiler, AJobThatRaisesLeavesNoStreamFile) {
  QWidget form;
  const std::string file = QDir::tempPath().toStdString() + "/rp-failed-test.rp";
  for (TStreamMode mode : {smFile, smTempFile}) {
    for (bool cancel : {false, true}) {
      TQuietFiler f(&form);
      f.SetStreamMode(mode);
      f.SetFileName(file);
      f.OnPrint = [&](QObject*) {
        f.PrintLeft("half", 1);
        f.NewPage();
        if (cancel) f.Abort();
        f.PrintLeft("more", 1);  // where a cancelled job unwinds, quietly
        throw Exception("failed");
      };
      if (cancel)
        EXPECT_NO_THROW(f.Execute());
      else
        EXPECT_THROW(f.Execute(), Exception);
      EXPECT_EQ(QFile::exists(QString::fromStdString(f.FileName())), cancel) << mode;
      std::remove(f.FileName().c_str());
    }
  }
}

TEST(RPFiler, GraphicsAndReferences) {
  TFilerJob job;
  QImage dot(2, 2, QImage::Format_RGB32);
  dot.fill(Qt::red);
  const Bytes stream = job.Run([&](TReportFiler& f) {
    f.Rectangle(1, 2, 3, 4);
    f.Draw(1, 1, dot);
    f.RegisterGraphic(3);
    f.ReuseGraphic(3);
    f.Draw(2, 2, dot);
    f.Polygon({{0, 0}, {1, 0}, {1, 1}});
    f.MoveTo(1, 5);
    f.LineTo(2, 5);
    f.LineTo(3, 5);
  });
  TBytes rect;
  rect.Byte(18).Real(1).Real(2).Real(3).Real(4);
  EXPECT_NE(stream.find(rect.b), Bytes::npos);
  const size_t draw = stream.find(rect.b) + rect.b.size();
  ASSERT_EQ(uint8_t(stream[draw]), 5);
  EXPECT_EQ(uint8_t(stream[draw + 1]), 1);  // a bitmap saved whole
  const int32_t size = IntAt(stream, int64_t(draw) + 2);
  EXPECT_EQ(stream.substr(draw + 6, 2), "BM");
  const size_t again = draw + 6 + size_t(size) + 8;
  ASSERT_EQ(uint8_t(stream[again]), 5);
  EXPECT_EQ(uint8_t(stream[again + 1]), 129);  // a reference to the first copy
  EXPECT_EQ(IntAt(stream, int64_t(again) + 2), int32_t(draw + 1));
  TBytes polygon;
  polygon.Byte(14).Short(2).Real(0).Real(0).Real(1).Real(0).Real(1).Real(1);
  EXPECT_NE(stream.find(polygon.b), Bytes::npos);
  // The rule's two pieces went as one line at the page's end.
  TBytes rule;
  rule.Byte(12).Real(1).Real(5).Byte(11).Real(3).Real(5).Byte(82);
  EXPECT_EQ(stream.substr(stream.size() - rule.b.size()), rule.b);
}

TEST(RPFiler, NamedValuesAndDiscardedPages) {
  TFilerJob job;
  const Bytes stream = job.Run([&](TReportFiler& f) {
    f.SetNamedValue("k", "v1");
    f.PrintLeft("p1", 1);
    f.NewPage();
    f.PrintLeft("dropped", 1);
    f.DiscardPage();
    f.PrintLeft("p2", 1);
  });
  TBytes value;
  value.Byte(37).Str("k").Byte(2).Byte(2);
  value.b += "v1";
  const size_t first = stream.find(value.b);
  ASSERT_NE(first, Bytes::npos);
  EXPECT_NE(stream.find(value.b, first + 1), Bytes::npos);  // repeated in page 2's state
  EXPECT_EQ(stream.find("dropped"), Bytes::npos);
  const auto records = Records(stream, int64_t(Header(0).b.size()));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].number, 2);
  EXPECT_EQ(records[1].previous, records[0].pos);
  EXPECT_EQ(uint8_t(stream[5]), 2);
}

}  // namespace
