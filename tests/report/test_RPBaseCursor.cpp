// Line height, cursor movement, lines left and the end-of-section event.
#include <gtest/gtest.h>

#include "ImageWriter.h"

namespace {

// Runs body inside a job on a 96-dpi Letter page whose section is the inch band
// from 1 to 1 + height inches.
template <typename Body>
void InSection(double height, Body body, TLineHeightMethod method = lhmLinesPerInch, int lpi = 6) {
  TImageWriter w(96);
  w.SetLineHeightMethod(method);
  w.SetLinesPerInch(lpi);
  w.SetMarginTop(1);
  w.SetMarginBottom(11 - 1 - height);
  w.SetMarginLeft(1);
  w.OnPrint = [&](QObject*) { body(w); };
  w.Execute();
}

TEST(RPBaseCursor, LineHeightByMethod) {
  struct Case {
    TLineHeightMethod method;
    int lpi;
    double points;
    double height;
  };
  const Case cases[] = {
      {lhmFont, 6, 10, 1.0 / 6},       {lhmLinesPerInch, 6, 10, 1.0 / 6}, {lhmFont, 6, 12, 0.2},
      {lhmLinesPerInch, 8, 12, 0.125}, {lhmFont, 6, 16, 16.0 / 60},
  };
  for (const Case& c : cases) {
    InSection(
        5,
        [&](TBaseReport& w) {
          w.SetFont("Arial", c.points);
          w.MoveToFirstLine();
          EXPECT_NEAR(w.LineHeight(), c.height, 1e-12) << c.method << " " << c.points;
          // The bottom of line n lies n line heights below the section top.
          w.SetLineNumber(3);
          EXPECT_NEAR(w.LineBottom(), 1 + 3 * c.height, 1e-12);
          EXPECT_NEAR(w.LineTop(), 1 + 2 * c.height, 1e-12);
          EXPECT_NEAR(w.YPos(), w.LineBottom() - w.DescentHeight(), 1e-12);
        },
        c.method, c.lpi);
  }
  InSection(5, [](TBaseReport& w) {
    w.SetLineHeight(0.3);
    w.SetFont("Arial", 30);
    w.LineFeed();
    EXPECT_EQ(w.LineHeightMethod(), lhmUser);
    EXPECT_NEAR(w.LineHeight(), 0.3, 1e-12);
  });
}

TEST(RPBaseCursor, LinesLeftCountsTheCurrentLine) {
  struct Case {
    double height;
    int lpi;
    int lines;
  };
  for (const Case c :
       {Case{1, 6, 6}, Case{2.5, 4, 10}, Case{1, 8, 8}, Case{1.1, 6, 6}, Case{0.1, 6, 0}}) {
    InSection(
        c.height,
        [&](TBaseReport& w) {
          w.MoveToFirstLine();
          EXPECT_EQ(w.LinesLeft(), c.lines) << c.height << " " << c.lpi;
          EXPECT_EQ(w.LinesLeftInColumn(), c.lines);
        },
        lhmLinesPerInch, c.lpi);
  }
}

TEST(RPBaseCursor, NewLineReachingTheSectionBottomCallsEndOfSection) {
  InSection(1, [](TBaseReport& w) {
    std::vector<int> ends;  // line numbers at which the event came
    w.OnEndOfSection = [&](QObject*) { ends.push_back(w.LineNumber()); };
    w.MoveToFirstLine();
    const struct {
      int line, left;
    } steps[] = {{2, 5}, {3, 4}, {4, 3}, {5, 2}, {6, 1}, {7, 0}, {8, 0}};
    for (const auto& step : steps) {
      w.NewLine();
      EXPECT_EQ(w.LineNumber(), step.line);
      EXPECT_EQ(w.LinesLeft(), step.left) << step.line;
      EXPECT_EQ(w.CurrentPage(), 1);
    }
    // The last line that fits exactly already reports the end, and every line after it.
    EXPECT_EQ(ends, (std::vector<int>{6, 7, 8}));
  });
}

TEST(RPBaseCursor, CursorOperations) {
  InSection(5, [](TBaseReport& w) {
    w.MoveToFirstLine();
    EXPECT_EQ(w.LineNumber(), 1);
    EXPECT_EQ(w.ColumnNumber(), 1);
    EXPECT_EQ(w.XPos(), 1);
    w.SetXPos(3);
    w.LineFeed();  // the column and XPos stay
    EXPECT_EQ(w.XPos(), 3);
    EXPECT_EQ(w.LineNumber(), 2);
    w.CarriageReturn();
    EXPECT_EQ(w.XPos(), 1);
    w.SetXPos(2);
    w.EndParagraph();
    EXPECT_EQ(w.XPos(), 1);
    EXPECT_EQ(w.LineNumber(), 3);
    w.PushPos();
    w.NewLine();
    w.PopPos();
    EXPECT_EQ(w.LineNumber(), 4);  // the position stack keeps XPos and YPos only
    EXPECT_NEAR(w.LineBottom(), 1 + 3.0 / 6, 1e-12);
    w.SetSectionLeft(2);
    w.SetSectionRight(5);
    w.ClearColumns();
    EXPECT_EQ(w.Columns(), 1);
    EXPECT_EQ(w.ColumnWidth(), 3);
    EXPECT_EQ(w.XPos(), 2);
  });
}

TEST(RPBaseCursor, FitLineToFontKeepsTheLineTopAndGrowsDownwards) {
  InSection(
      5,
      [](TBaseReport& w) {
        w.SetFont("Arial", 10);
        w.MoveToFirstLine();
        w.LineFeed();
        const double top = w.LineTop();
        w.SetFont("Arial", 24);
        w.FitLineToFont();
        EXPECT_NEAR(w.LineTop(), top, 1e-12);
        EXPECT_NEAR(w.LineHeight(), 0.4, 1e-12);
        EXPECT_NEAR(w.LineBottom(), top + 0.4, 1e-12);
        EXPECT_GT(w.AscentHeight(), w.DescentHeight());
      },
      lhmFont);
}

}  // namespace
