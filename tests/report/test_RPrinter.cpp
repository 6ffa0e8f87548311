// The printer writer on a private CUPS queue, its PDF read back with pdftotext -bbox.
// Positions are compared in millimetres from the paper's top-left corner; the queue's
// paper is A4 with 12 pt unprintable strips, which the writer must not shift anything by.
#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "Codepage.h"
#include "PrinterHarness.h"

namespace {

// pdftotext places a word within 0.01 pt; the rest is the writer's rounding to 1/1200 in.
constexpr double Tolerance = 0.1;  // mm
constexpr double PointMm = 25.4 / 72;

using RPrinterTest = TQueueTest<::testing::Test>;

std::string Cp1251(const char* utf8) {
  return Codepage::Utf8ToCp1251(utf8);
}

TEST_F(RPrinterTest, CodesPageLandsWhereTheArithmeticPutsIt) {
  double middle = 0;
  const std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    // Half the paper: the section plus both margins.
    middle = ((r.SectionRight() - r.SectionLeft()) + r.MarginLeft() + r.MarginRight()) / 2;
    r.MoveToFirstLine();
    r.SetFont("Arial", 16);
    r.FitLineToFont();
    r.PrintCentered(Cp1251("Заголовок"), middle);
    r.LineFeed();
    r.SetFont("Arial", 14);
    r.FitLineToFont();
    r.PrintCentered("PC", middle);
    r.LineFeed();
    r.LineFeed();
    r.SetFont("Courier New", 10);
    r.SetFontPitch(fpFixed);
    r.FitLineToFont();
    for (const char* line : {"first", "second", "third"}) {
      r.PrintLeft(line, r.SectionLeft());
      r.NewLine();
    }
  });
  ASSERT_EQ(pages.size(), 1u) << Cups->ErrorLog();
  EXPECT_NEAR(middle, 105, 0.05);  // A4 is 210 mm wide

  // Each line's box bottom is its baseline plus the face's descent, that is the line's
  // bottom: 10 mm down, then 1.2 x size per line (16, 14, two blank 14, then 10 pt).
  struct Case {
    std::string text;
    bool centred;
    double x;  // the left end, or the middle when centred
    double bottom;
  } cases[] = {
      {"Заголовок", true, 105, 10 + 19.2 * PointMm}, {"PC", true, 105, 10 + 36.0 * PointMm},
      {"first", false, 15, 10 + 64.8 * PointMm},     {"second", false, 15, 10 + 76.8 * PointMm},
      {"third", false, 15, 10 + 88.8 * PointMm},
  };
  for (const Case& c : cases) {
    const TPdfWord* w = FindWord(pages[0], c.text);
    ASSERT_TRUE(w) << c.text;
    const double x = c.centred ? (w->XMin + w->XMax) / 2 : w->XMin;
    EXPECT_NEAR(PointsToMm(x), c.x, Tolerance) << c.text;
    EXPECT_NEAR(PointsToMm(w->YMax), c.bottom, Tolerance) << c.text;
  }
}

TEST_F(RPrinterTest, LettersStayLetters) {
  // Each character is its own glyph, as measured: no ligature takes "fi" or "ff" apart.
  const std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    r.SetFont("Arial", 12);
    r.PrintLeft("fifty official flags", 20);
  });
  ASSERT_EQ(pages.size(), 1u) << Cups->ErrorLog();
  EXPECT_EQ(pages[0].Lines(), std::vector<std::string>{"fifty official flags"});
}

TEST_F(RPrinterTest, TextReferencesAndCursor) {
  // Arial 20 pt on one baseline 50 mm down; what each primitive leaves in the cursor.
  struct Case {
    std::string text;
    std::function<void(TBaseReport&, double x)> print;
    double xRef;         // 0: left end at x, 0.5: middle, 1: right end
    double cursorShare;  // XPos afterwards: x + share x width
  } cases[] = {
      {"Left", [](TBaseReport& r, double x) { r.PrintLeft("Left", x); }, 0, 1},
      {"Centre", [](TBaseReport& r, double x) { r.PrintCentered("Centre", x); }, 0.5, 0.5},
      {"Right", [](TBaseReport& r, double x) { r.PrintRight("Right", x); }, 1, 0},
  };
  std::vector<double> widths, cursors;
  const std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    r.SetFont("Arial", 20);
    double y = 50;
    for (const Case& c : cases) {
      r.SetYPos(y += 20);
      widths.push_back(r.TextWidth(c.text));
      c.print(r, 100);
      cursors.push_back(r.XPos());
    }
  });
  ASSERT_EQ(pages.size(), 1u) << Cups->ErrorLog();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const TPdfWord* w = FindWord(pages[0], c.text);
    ASSERT_TRUE(w) << c.text;
    EXPECT_NEAR(PointsToMm(w->XMin + (w->XMax - w->XMin) * c.xRef), 100, Tolerance) << c.text;
    EXPECT_NEAR(PointsToMm(w->XMax - w->XMin), widths[i], Tolerance) << c.text;
    EXPECT_NEAR(cursors[i], 100 + c.cursorShare * widths[i], 0.01) << c.text;
    // Baseline one device pixel below YPos: the box bottom is the descent further down.
    EXPECT_NEAR(PointsToMm(w->YMax - 0.212 * 20), 70 + 20 * i, Tolerance) << c.text;
  }
}

TEST_F(RPrinterTest, VerticalReferences) {
  // Arial 20 pt, one word per reference along one line; each expectation is read from
  // the writer's line queries just before the word is printed.
  const double descent = 0.212 * 20 * PointMm;  // the face's descent below its baseline
  struct Case {
    std::string text;
    std::function<void(TBaseReport&)> set;
    std::function<double(TBaseReport&)> expected;  // mm
    bool top;                                      // compared with the box's top (else its bottom)
  } cases[] = {
      // Baseline one pixel below YPos.
      {"Base", [](TBaseReport& r) { r.SetFontAlign(faBaseline); },
       [&](TBaseReport& r) { return r.YPos() + descent; }, false},
      // Top of the character cell at LineMiddle - internal leading.
      {"Top", [](TBaseReport& r) { r.SetFontAlign(faTop); },
       [](TBaseReport& r) {
         return r.LineMiddle() - (r.AscentHeight() + r.DescentHeight() - r.FontHeight());
       },
       true},
      // Bottom one pixel below LineBottom.
      {"Bottom", [](TBaseReport& r) { r.SetFontAlign(faBottom); },
       [](TBaseReport& r) { return r.LineBottom(); }, false},
      // Superscript: top halfway between LineTop and LineMiddle.
      {"Super", [](TBaseReport& r) { r.SetSuperscript(true); },
       [](TBaseReport& r) { return (r.LineTop() + r.LineMiddle()) / 2; }, true},
      {"Sub", [](TBaseReport& r) { r.SetSubscript(true); },
       [](TBaseReport& r) { return r.LineBottom(); }, false},
  };
  std::vector<double> expected;
  const std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    double x = 15;
    for (const Case& c : cases) {
      r.SetFont("Arial", 20);
      r.FitLineToFont();
      r.SetYPos(100);
      c.set(r);
      r.TextWidth(c.text);  // realises the font: its metrics are the line's from here
      expected.push_back(c.expected(r));
      r.PrintLeft(c.text, x);
      x = r.XPos() + 5;
    }
  });
  ASSERT_EQ(pages.size(), 1u) << Cups->ErrorLog();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const TPdfWord* w = FindWord(pages[0], cases[i].text);
    ASSERT_TRUE(w) << cases[i].text;
    EXPECT_NEAR(PointsToMm(cases[i].top ? w->YMin : w->YMax), expected[i], Tolerance)
        << cases[i].text;
  }
  // Both small forms are drawn at size / 1.667.
  for (const char* small : {"Super", "Sub"}) {
    const TPdfWord* w = FindWord(pages[0], small);
    EXPECT_NEAR(w->YMax - w->YMin, (0.905 + 0.212) * 20 / 1.667, 0.2) << small;
  }
}

TEST_F(RPrinterTest, BlockTextSpreadsToTheWidth) {
  // 40 mm wide from x = 120 mm. Leading and trailing blanks keep their own width.
  struct Case {
    std::string text;
    std::string first, last;  // words as pdftotext splits them
    int lead, trail;          // blanks before the first and after the last word
  } cases[] = {
      {"one two three", "one", "three", 0, 0},
      {"  lead and trail  ", "lead", "trail", 2, 2},
      {"abc", "a", "c", 0, 0},  // no blank: one between every two letters
  };
  double blank = 0;
  const std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    r.SetFont("Arial", 12);
    blank = r.TextWidth(" ");
    double y = 30;
    for (const Case& c : cases) {
      r.SetYPos(y += 15);
      r.PrintBlock(c.text, 120, 40);
    }
  });
  ASSERT_EQ(pages.size(), 1u) << Cups->ErrorLog();
  for (const Case& c : cases) {
    const TPdfWord* first = FindWord(pages[0], c.first);
    const TPdfWord* last = FindWord(pages[0], c.last);
    ASSERT_TRUE(first && last) << c.text;
    EXPECT_NEAR(PointsToMm(first->XMin), 120 + c.lead * blank, Tolerance) << c.text;
    EXPECT_NEAR(PointsToMm(last->XMax), 160 - c.trail * blank, Tolerance) << c.text;
  }
}

TEST_F(RPrinterTest, RotatedTextMovesTheCursorAlongItsAngle) {
  struct Case {
    int angle;
    double dx, dy;  // cursor move per unit of text width
  } cases[] = {{0, 1, 0}, {90, 0, -1}, {180, -1, 0}, {30, std::cos(M_PI / 6), -0.5}};
  for (const Case& c : cases) {
    double width = 0, dx = 0, dy = 0;
    PrintJob(*Cups, [&](TRecordingPrinter& r) {
      r.SetFont("Arial", 12);
      r.SetFontRotation(c.angle);
      r.SetYPos(100);
      width = r.TextWidth("Turned");
      r.PrintLeft("Turned", 50);
      dx = r.XPos() - 50;
      dy = r.YPos() - 100;
    });
    EXPECT_NEAR(dx, c.dx * width, 0.05) << c.angle;
    EXPECT_NEAR(dy, c.dy * width, 0.05) << c.angle;
  }
}

// The new paper's edges after a page break that turns it: the queue's A4 is 595 by 842 pt.
TEST_F(RPrinterTest, PageBreakToOtherPaperMovesTheSectionsEdges) {
  double right = 0, bottom = 0;
  const std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    r.PrintLeft("portrait", r.SectionLeft());
    r.SetOrientation(poLandScape);
    r.NewPage();
    right = r.SectionRight();
    bottom = r.SectionBottom();
    r.PrintLeft("landscape", r.SectionLeft());
  });
  ASSERT_EQ(pages.size(), 2u) << Cups->ErrorLog();
  EXPECT_NEAR(right, PointsToMm(842) - 10, 0.05);
  EXPECT_NEAR(bottom, PointsToMm(595) - 15, 0.05);
}

}  // namespace
