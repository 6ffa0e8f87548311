// Fonts, the font cache, text measuring and placing, tabs and the graphics primitives.
#include <gtest/gtest.h>

#include "ImageWriter.h"

namespace {

using Strings = std::vector<std::string>;

template <typename Body>
void InJob(TImageWriter& w, Body body) {
  w.OnPrint = [&](QObject*) { body(); };
  w.Execute();
}

TEST(RPBaseText, FontSettersFollowTheirRules) {
  TImageWriter w;
  w.SetFontPitch(fpFixed);
  w.SetBold(true);
  w.SetFontRotation(90);
  w.SetFont("Courier New", 0);  // ignored: the font stays
  EXPECT_EQ(w.Font().Name, "Arial");
  EXPECT_EQ(w.Font().Pitch, fpFixed);
  w.SetFont("Courier New", 12);  // resets everything else
  TRPFontRecord expected;
  expected.Name = "Courier New";
  expected.Size = 12;
  EXPECT_EQ(w.Font(), expected);
  w.SetSuperscript(true);
  w.SetSubscript(true);
  EXPECT_FALSE(w.Font().Superscript);
  EXPECT_TRUE(w.Font().Subscript);
  for (const auto& [given, kept] : {std::pair{-90, 270}, {370, 10}, {359, 359}, {720, 0}}) {
    w.SetFontRotation(given);
    EXPECT_EQ(w.Font().Rotation, kept);
  }
  w.SetFontName(std::string(70, 'A'));
  EXPECT_EQ(w.Font().Name.size(), 60u);
  w.SetUnits(unMM);
  w.SetFontHeight(25.4 / 2);  // half an inch is 36 points
  EXPECT_NEAR(w.Font().Size, 36, 1e-9);
  w.SetFontHeight(0);  // at least one device pixel (300 dpi before any job)
  EXPECT_NEAR(w.Font().Size, 72.0 / 300, 1e-9);
  w.SetFont("Arial", 10);
  w.SaveFont(1);
  w.PushFont();
  w.SetFont("Courier New", 20);
  w.RestoreFont(1);
  EXPECT_EQ(w.Font().Name, "Arial");
  w.SetFont("Courier New", 20);
  w.PopFont();
  EXPECT_EQ(w.Font().Size, 10);
}

TEST(RPBaseText, FontsAreMadeOncePerAttributeSetAndFreedAtJobEnd) {
  TImageWriter w(96);
  InJob(w, [&] {
    w.SetFont("Arial", 10);
    for (int i = 0; i < 50; ++i) w.TextWidth("word");
    EXPECT_EQ(w.FontCache().Created(), 1);
    w.SetBold(true);
    w.TextWidth("word");
    w.SetBold(false);
    w.TextWidth("word");
    w.SetFont("Courier New", 10);
    w.TextWidth("word");
    w.SetFont("Arial", 10);
    w.TextWidth("word");
    EXPECT_EQ(w.FontCache().Created(), 3);  // Arial, Arial bold, Courier New
    EXPECT_EQ(w.FontCache().Count(), 3);
    EXPECT_EQ(w.FontCache().Front().Name, "Arial");  // the last hit comes first
    EXPECT_FALSE(w.FontCache().Front().Bold);
  });
  EXPECT_EQ(w.FontCache().Count(), 0);
}

// A long job asking for ever new sizes keeps the most recent fonts only.
TEST(RPBaseText, FontCacheKeepsTheMostRecentFonts) {
  constexpr int max = TRPFontCache::MaxCount;
  TRPFontCache cache;
  TRPFontKey key;
  key.Name = "Arial";
  for (key.PixelHeight = 1; key.PixelHeight <= max + 10; ++key.PixelHeight) cache.Realise(key);
  EXPECT_EQ(cache.Count(), max);
  key.PixelHeight = max + 10;  // the newest is still there
  cache.Realise(key);
  EXPECT_EQ(cache.Created(), max + 10);
  key.PixelHeight = 10;  // the oldest went
  EXPECT_EQ(cache.Realise(key).Key.PixelHeight, 10);
  EXPECT_EQ(cache.Created(), max + 11);
  EXPECT_EQ(cache.Count(), max);
}

TEST(RPBaseText, WidthsInUnitsAndPixels) {
  TImageWriter w(96);
  InJob(w, [&] {
    const int pixels = w.TextWidthPixels("abc");
    EXPECT_GT(pixels, 10);
    EXPECT_DOUBLE_EQ(w.TextWidth("abc"), pixels / 96.0);
    EXPECT_DOUBLE_EQ(w.TextWidth(""), 1 / 96.0);  // empty text counts one pixel
    w.SetScaleX(200);
    EXPECT_DOUBLE_EQ(w.TextWidth("abc"), pixels * 2 / 96.0);
    w.SetScaleX(100);
    // A tab moves to the next multiple of the tab interval: half an inch is 48 pixels.
    const int b = w.TextWidthPixels("b");
    EXPECT_EQ(w.TextWidthPixels("a\tb"), 48 + b);
    EXPECT_EQ(w.TextWidthPixels("\t\t"), 96);
    EXPECT_EQ(w.TextWidthPixels(std::string(20, 'x') + "\tb"),
              48 * (w.TextWidthPixels(std::string(20, 'x')) / 48 + 1) + b);
    w.SetUnits(unMM);
    EXPECT_DOUBLE_EQ(w.TextWidth("abc"), pixels / 96.0 * 25.4);
    EXPECT_EQ(w.TextWidthPixels("\t"), 2);  // half a millimetre: round(1.89)
  });
}

TEST(RPBaseText, PrintingPlacesTextAndMovesTheCursor) {
  TImageWriter w(96);
  double abc = 0;
  InJob(w, [&] {
    abc = w.TextWidth("abc");
    w.PrintCentered("abc", 4);
    EXPECT_DOUBLE_EQ(w.XPos(), 4 + abc / 2);
    w.PrintRight("abc", 6);
    EXPECT_DOUBLE_EQ(w.XPos(), 6);
    w.PrintLeft("abc", 2);
    EXPECT_DOUBLE_EQ(w.XPos(), 2 + abc);
    w.PrintAtCursor("d");
    w.PrintLeft("a\tb", 1);  // tab characters move to the next half inch from x
    w.PrintJustified("x", pjRight, 2, 0.25, 1);
    w.PrintJustified("y", pjCenter, 2, 0, 1);
    w.PrintJustified("z w", pjBlock, 2, 0.25, 1);
    w.SetTab(2, pjLeft, 0, 0, blNone, 0);
    w.SetTab(4, pjRight, 1, 0.1, blNone, 0);
    w.CarriageReturn();
    w.PrintWithTabs("p\tq\tr");
  });
  struct Drawn {
    char kind;
    const char* text;
    double x;
  };
  // Tab stops: p at the line start (no margin), q at the plain stop, r right in its cell.
  const Drawn expected[] = {
      {'C', "abc", 4},    {'R', "abc", 6}, {'L', "abc", 2},  {'L', "d", 2 + abc},
      {'L', "a", 1},      {'L', "b", 1.5}, {'R', "x", 2.75}, {'C', "y", 2},
      {'B', "z w", 1.25}, {'L', "p", 0},   {'L', "q", 2},    {'R', "r", 4.9},
  };
  ASSERT_EQ(w.Drawn.size(), std::size(expected));
  for (size_t i = 0; i < w.Drawn.size(); ++i) {
    EXPECT_EQ(w.Drawn[i].Kind, expected[i].kind) << i;
    EXPECT_EQ(w.Drawn[i].Text, expected[i].text) << i;
    EXPECT_DOUBLE_EQ(w.Drawn[i].X, expected[i].x) << i;
  }
}

TEST(RPBaseText, TabSetsSlotsAndBoxes) {
  TImageWriter w(96);
  InJob(w, [&] {
    w.SetTab(1, pjLeft, 1, 0, blAll, 50);
    w.SaveTabs(1);
    w.SetTab(3, pjLeft, 1, 0, blNone, 0);  // the saved set is not changed
    EXPECT_EQ(w.TabCount(), 2);
    w.ClearTabs();
    EXPECT_EQ(w.TabCount(), 0);
    w.RestoreTabs(1);
    EXPECT_EQ(w.TabCount(), 1);
    w.PushTabs();
    w.ClearTabs();
    w.PopTabs();
    EXPECT_EQ(w.TabCount(), 1);
    w.MoveToFirstLine();
    w.LineFeed();
    w.Tab();
    EXPECT_EQ(w.XPos(), 1);
    w.Tab();  // no stop left: the next half inch
    EXPECT_EQ(w.XPos(), 1.5);
  });
  // The cell of line 2 (1/6 to 2/6 inch, 96 to 192 pixels across) is shaded half grey
  // and framed in black.
  const QImage& page = w.Pages.at(0);
  EXPECT_EQ(qGray(page.pixel(140, 24)), 127);
  EXPECT_EQ(qGray(page.pixel(96, 24)), 0);
  EXPECT_EQ(qGray(page.pixel(140, 16)), 0);
  EXPECT_EQ(qGray(page.pixel(140, 40)), 255);
}

// Counts the segments that reach the canvas.
struct TLineCounter : TImageWriter {
  TLineCounter() : TImageWriter(96) {}
  int Segments = 0;
  void DrawLineSegment(double x1, double y1, double x2, double y2) override {
    ++Segments;
    TImageWriter::DrawLineSegment(x1, y1, x2, y2);
  }
};

TEST(RPBaseText, GraphicsPrimitivesDrawTheirShapes) {
  TLineCounter w;
  int beforeFlush = -1;
  w.OnPrintFooter = [&](QObject*) { beforeFlush = w.Segments; };
  InJob(w, [&] {
    w.SetBrush({0x0000FF, Qt::SolidPattern, QImage()});  // red
    w.Rectangle(1, 1, 2, 2);
    w.SetBrush({0xFF0000, Qt::SolidPattern, QImage()});  // blue
    w.Ellipse(3, 1, 4, 2);
    w.SetPen({0x00FF00, Qt::SolidLine, QPainter::CompositionMode_SourceOver, 3});
    w.Pie(1, 3, 2, 4, 2, 3.5, 1.5, 3);  // the quarter from 0 to 90 degrees
    w.Polygon({{5, 1}, {6, 1}, {5.5, 2}});
    // Three touching pieces of one rule and one diagonal.
    w.MoveTo(1, 5);
    w.LineTo(2, 5);
    w.LineTo(3, 5);
    w.MoveTo(3, 5);
    w.LineTo(4, 5);
    w.MoveTo(1, 6);
    w.LineTo(2, 7);
    w.PrintPreviewOnly();
    w.Rectangle(5, 5, 6, 6);  // not for a printer
  });
  const QImage& page = w.Pages.at(0);
  EXPECT_EQ(page.pixelColor(144, 144), QColor(Qt::red));
  EXPECT_EQ(page.pixelColor(336, 144), QColor(Qt::blue));
  EXPECT_EQ(page.pixelColor(175, 310), QColor(Qt::blue));   // inside the pie's quarter
  EXPECT_EQ(page.pixelColor(115, 360), QColor(Qt::white));  // outside it
  EXPECT_EQ(page.pixelColor(528, 130), QColor(Qt::blue));   // the polygon
  EXPECT_EQ(page.pixelColor(250, 480), QColor(Qt::green));  // the merged rule
  EXPECT_EQ(page.pixelColor(528, 528), QColor(Qt::white));
  EXPECT_EQ(beforeFlush, 1);  // only the diagonal went at once
  EXPECT_EQ(w.Segments, 2);   // the rule's three pieces were drawn as one
}

}  // namespace
