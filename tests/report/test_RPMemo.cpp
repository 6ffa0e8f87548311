// The memo buffer's loading, word and line rules and printing, on a 96-dpi writer whose
// widths are measured with its own font.
#include <gtest/gtest.h>

#include <sstream>

#include "ImageWriter.h"
#include "MemoryStream.h"
#include "RPMemo.h"

namespace {

constexpr int kDpi = 96;

struct TMemoJob {
  TImageWriter Writer{kDpi};
  TMemoBuf Memo;

  // Runs body inside a job with the memo on the writer, in Courier New 10.
  template <typename Body>
  void Run(Body body) {
    Writer.SetMarginLeft(1);
    Writer.SetMarginTop(1);
    Writer.OnPrint = [&](QObject*) {
      Writer.SetFont("Courier New", 10);
      Memo.BaseReport = &Writer;
      body();
    };
    Writer.Execute();
  }
  // Makes the block exactly pixels wide, starting at one inch.
  void BlockPixels(int pixels) {
    Memo.PrintStart = 1;
    Memo.PrintEnd = 1 + double(pixels - 1) / kDpi;
  }
  std::vector<std::string> AllLines() {
    std::vector<std::string> lines;
    bool eop = false;
    std::string line;
    while (Memo.Pos() < Memo.Size()) {
      Memo.GetNextLine(eop, line);
      lines.push_back(line);
    }
    return lines;
  }
  // Lines of text wrapped in a block of pixels.
  static std::vector<std::string> Wrap(const std::string& text, int pixels) {
    TMemoJob job;
    std::vector<std::string> lines;
    job.Run([&] {
      job.BlockPixels(pixels);
      job.Memo.SetData(text);
      lines = job.AllLines();
    });
    return lines;
  }
  static int Pixels(const std::string& text) {
    TImageWriter w(kDpi);
    int pixels = 0;
    w.OnPrint = [&](QObject*) {
      w.SetFont("Courier New", 10);
      pixels = w.TextWidthPixels(text);
    };
    w.Execute();
    return pixels;
  }
};

using Lines = std::vector<std::string>;

TEST(RPMemo, WordAndLineRules) {
  const int word = TMemoJob::Pixels("alpha");
  const int both = TMemoJob::Pixels("alpha beta");
  struct Case {
    const char* name;
    std::string text;
    int pixels;
    Lines lines;
  };
  const Case cases[] = {
      {"the second word wraps without its blank", "alpha beta", both - 1, {"alpha", "beta"}},
      {"both fit", "alpha beta", both, {"alpha beta"}},
      {"indent kept on the first line only",
       "   alpha beta",
       TMemoJob::Pixels("   alpha"),
       {"   alpha", "beta"}},
      {"each break ends a paragraph once", "a\r\nb\rc\nd", 1000, {"a", "b", "c", "d"}},
      {"two breaks make an empty line", "a\r\n\r\nb\n\nc", 1000, {"a", "", "b", "", "c"}},
      {"a long word splits by characters",
       "abcdefghij",
       TMemoJob::Pixels("abcd"),
       {"abcd", "efgh", "ij"}},
      {"an exactly full last line is followed by an empty one",
       "alpha\r\nbeta",
       word,
       {"alpha", "", "beta"}},
      {"trailing blanks stay on the last line", "alpha  ", 1000, {"alpha  "}},
      {"a block narrower than a character takes one each", "abc", 2, {"a", "b", "c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(TMemoJob::Wrap(c.text, c.pixels), c.lines) << c.name;
}

TEST(RPMemo, KeepSpacesKeepsTheBlanksOfWrappedLines) {
  TMemoJob job;
  job.Run([&] {
    job.BlockPixels(TMemoJob::Pixels("alpha  "));
    job.Memo.KeepSpaces = true;
    job.Memo.SetData("alpha  beta");
    EXPECT_EQ(job.AllLines(), (Lines{"alpha", "  beta"}));
  });
}

TEST(RPMemo, VeryLongWordsAreTakenInPiecesOfAtMost65520Bytes) {
  TMemoBuf memo;
  memo.SetData(std::string(70000, 'x') + " y");
  EXPECT_EQ(memo.GetWord().size(), 65520u);
  EXPECT_EQ(memo.GetWord().size(), 70000u - 65520u);
  EXPECT_EQ(memo.GetWord(), " y");
  EXPECT_EQ(memo.GetWord(), "");
}

TEST(RPMemo, Loading) {
  TMemoryStream memory;
  memory.WriteString("first\r\nsecond");
  // A memory stream is read from its first byte, whatever its position, and never past it.
  TMemoBuf memo;
  memo.LoadFromStream(memory, 5);
  EXPECT_EQ(memo.Buffer(), "first");
  memo.LoadFromStream(memory, 1000);
  EXPECT_EQ(memo.Buffer(), "first\r\nsecond");
  memo.LoadFromStream(memory, -1);
  EXPECT_EQ(memo.Size(), 0);
  // Other streams from their position; 0 means to the end.
  std::istringstream other("skip:rest of it");
  other.seekg(5);
  memo.LoadFromStream(other, 0);
  EXPECT_EQ(memo.Buffer(), "rest of it");
  std::istringstream shorter("abc");
  memo.LoadFromStream(shorter, 10);
  EXPECT_EQ(memo.Buffer(), "abc");
  std::istringstream promised("xyz");  // a count far beyond the stream allocates nothing for it
  memo.LoadFromStream(promised, int64_t(1) << 40);
  EXPECT_EQ(memo.Buffer(), "xyz");

  // Code runs come out of the text and are kept by position, opaque.
  memo.SetData(
      "ab\x01X\x04"
      "cd\x01Y\x04\x01Z\x04"
      "e\x01open");
  EXPECT_EQ(memo.Buffer(), "abcde");
  ASSERT_EQ(memo.Codes().size(), 3u);
  EXPECT_EQ(memo.Codes()[0].Pos, 2);
  EXPECT_EQ(memo.Codes()[1].Code, "\x01Y\x04\x01Z\x04");
  EXPECT_EQ(memo.Codes()[2].Code, "\x01open");
  memo.ReplaceCodes = true;
  memo.SetData("a\x01X\x04\x01Y\x04\x01Z\x04");
  EXPECT_EQ(memo.Codes()[0].Code, "\x01Y\x04\x01Z\x04");
  EXPECT_FALSE(memo.ReplaceCodes);
  memo.ProcessCodes = false;
  memo.SetData("a\x01X\x04");
  EXPECT_EQ(memo.Size(), 4);
  EXPECT_TRUE(memo.Codes().empty());

  memo.SetData("one");
  memo.SaveBuffer();
  memo.SetData("two");
  memo.GetWord();
  memo.RestoreBuffer();
  EXPECT_EQ(memo.Buffer(), "one");
  EXPECT_EQ(memo.Pos(), 0);
  memo.ClearBuffer();
  EXPECT_EQ(memo.Size(), 0);
  EXPECT_TRUE(memo.NewParagraph());
}

TEST(RPMemo, CodeRunsReturnIntoTheirLines) {
  TMemoJob job;
  job.Run([&] {
    job.BlockPixels(TMemoJob::Pixels("ab cd"));
    job.Memo.SetData(
        "ab \x01X\x04"
        "cd ef\x01Y\x04");
    EXPECT_EQ(job.AllLines(), (Lines{"ab \x01X\x04"
                                     "cd",
                                     "ef\x01Y\x04"}));
  });
}

TEST(RPMemo, PrintLinesCountsLinesAndMovesTheCursor) {
  TMemoJob job;
  job.Run([&] {
    job.BlockPixels(1000);
    job.Memo.SetData("one\r\ntwo\r\nthree\r\nfour");
    EXPECT_EQ(job.Memo.LineCount(), 4);
    EXPECT_EQ(job.Memo.Pos(), 0);  // counting does not move
    job.Writer.MoveToFirstLine();
    EXPECT_DOUBLE_EQ(job.Memo.PrintLines(2, false), 2.0 / 6);
    EXPECT_EQ(job.Memo.LineCount(), 2);
    // Five lines asked, two left: three empty lines follow, Pos ends at Size.
    EXPECT_DOUBLE_EQ(job.Memo.PrintLines(5, false), 5.0 / 6);
    EXPECT_EQ(job.Memo.Pos(), job.Memo.Size());
    EXPECT_EQ(job.Writer.LineNumber(), 8);  // the line after the last printed
    EXPECT_EQ(job.Memo.PrintLines(-1, false), 0);
  });
  ASSERT_EQ(job.Writer.Texts(), (Lines{"one", "two", "three", "four"}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(job.Writer.Drawn[size_t(i)].Y + job.Writer.DescentHeight(), 1 + (i + 1) / 6.0,
                1e-9);
    EXPECT_DOUBLE_EQ(job.Writer.Drawn[size_t(i)].X, 1);
  }
}

TEST(RPMemo, PrintLinesZeroPrintsEverythingWhateverThePage) {
  TMemoJob job;
  std::string text;
  for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\r\n";
  job.Run([&] {
    job.BlockPixels(1000);
    job.Memo.SetData(text);
    job.Writer.MoveToFirstLine();
    job.Memo.PrintLines(0, false);
  });
  EXPECT_EQ(job.Writer.Drawn.size(), 100u);
  EXPECT_EQ(job.Writer.Pages.size(), 1u);
}

TEST(RPMemo, BlockJustificationSpreadsAllButTheParagraphsLastLine) {
  TMemoJob job;
  job.Run([&] {
    job.BlockPixels(TMemoJob::Pixels("aa bb"));
    job.Memo.Justify = pjBlock;
    job.Memo.SetData("aa bb cc dd ee\r\nff");
    job.Memo.PrintLines(0, false);
  });
  std::string kinds;
  for (const auto& d : job.Writer.Drawn) kinds += d.Kind;
  EXPECT_EQ(kinds, "BBLL");
  EXPECT_EQ(job.Writer.Texts(), (Lines{"aa bb", "cc dd", "ee", "ff"}));
}

TEST(RPMemo, Messages) {
  struct Case {
    const char* name;
    std::function<void(TMemoJob&)> act;
    const char* message;
  };
  const char* noReport = "TMemoBuf.BaseReport not assigned.";
  const char* range = "TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart";
  const Case cases[] = {
      {"print without writer",
       [](TMemoJob& j) {
         j.Memo.BaseReport = nullptr;
         j.Memo.PrintLines(1, false);
       },
       noReport},
      {"count without writer",
       [](TMemoJob& j) {
         j.Memo.BaseReport = nullptr;
         j.Memo.LineCount();
       },
       noReport},
      {"next line without writer",
       [](TMemoJob& j) {
         bool eop;
         std::string line;
         j.Memo.BaseReport = nullptr;
         j.Memo.GetNextLine(eop, line);
       },
       noReport},
      {"empty block",
       [](TMemoJob& j) {
         j.Memo.PrintStart = j.Memo.PrintEnd = 2;
         j.Memo.PrintLines(1, false);
       },
       range},
      {"reversed block",
       [](TMemoJob& j) {
         j.Memo.PrintStart = 3;
         j.Memo.PrintEnd = 2;
         j.Memo.PrintLines(0, false);
       },
       range},
  };
  for (const Case& c : cases) {
    TMemoJob job;
    job.Memo.SetData("text");
    job.Run([&] {
      try {
        c.act(job);
        ADD_FAILURE() << c.name;
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), c.message) << c.name;
      }
    });
  }
  // Outside a job the writer refuses to print.
  TMemoJob idle;
  idle.Memo.SetData("text");
  idle.BlockPixels(100);
  try {
    idle.Writer.PrintMemo(idle.Memo, 0, false);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid method call.  ReportPrinter is not printing.");
  }
}

}  // namespace
