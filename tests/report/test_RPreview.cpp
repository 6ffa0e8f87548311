// The preview on an offscreen scroll box: the page bitmap's pixels, the zoom rules, page
// steps and the monochrome and shadow rule.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>
#include <cmath>

#include "PrinterHarness.h"
#include "RPFiler.h"
#include "RPreview.h"
#include "RecordJob.h"

namespace {

class TTestPreview : public TRecordingFile<TFilePreview> {
 protected:
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
};

// A report of `pages` pages recorded on a form, each with one line of text.
void Record(TMemoryStream& stream, int pages) {
  stream.WriteString(TRecordJob().Run([&](TReportFiler& f) {
    for (int n = 1; n <= pages; ++n) {
      if (n > 1) f.NewPage();
      f.SetFont("Arial", 20);
      f.PrintLeft("WWWW page " + std::to_string(n), 1);
    }
  }));
}

struct TPreviewRun {
  TMemoryStream Stream;
  QScrollArea Box;
  TTestPreview Preview;
  explicit TPreviewRun(int pages = 3, int width = 900, int height = 700) {
    Record(Stream, pages);
    Box.resize(width, height);
    Preview.SetStreamMode(smUser);
    Preview.SetStream(&Stream);
    Preview.SetScrollBox(&Box);
  }
};

bool Black(const QImage& image, int x, int y) {
  return (image.pixel(x, y) & 0xFFFFFF) == 0;
}

// Ink of text, which is smoothed: anything clearly darker than the strip's yellow.
bool Dark(const QImage& image, int x, int y) {
  return qGray(image.pixel(x, y)) < 160;
}

QRgb Rgb(int r, int g, int b) {
  return qRgb(r, g, b);
}

TEST(RPreview, PageWithCentimetreRulersAndShadow) {
  TPreviewRun run;
  run.Preview.SetRulerType(rtBothCm);
  run.Preview.SetShadowDepth(5);
  run.Preview.Start();
  const QImage& bitmap = run.Preview.PageBitmap();
  ASSERT_EQ(run.Preview.XDPI(), 96);
  // Letter at 96 dpi, the 20-pixel strips and the shadow.
  ASSERT_EQ(bitmap.width(), 816 + 20 + 5);
  ASSERT_EQ(bitmap.height(), 1056 + 20 + 5);

  // The page's frame starts 20 pixels right of and below the corner.
  EXPECT_TRUE(Black(bitmap, 20, 20));
  EXPECT_TRUE(Black(bitmap, 20 + 815, 20 + 1055));
  EXPECT_EQ(bitmap.pixel(21, 21), Rgb(255, 255, 255));
  EXPECT_EQ(bitmap.pixel(5, 5), Rgb(192, 192, 192));
  EXPECT_EQ(bitmap.pixel(22, 1), Rgb(255, 255, 128));
  EXPECT_EQ(bitmap.pixel(1, 22), Rgb(255, 255, 128));

  // The shadow: offset by its depth along the right and bottom edges.
  EXPECT_TRUE(Black(bitmap, 20 + 816 + 2, 20 + 10));
  EXPECT_FALSE(Black(bitmap, 20 + 816 + 2, 21));
  EXPECT_TRUE(Black(bitmap, 20 + 10, 20 + 1056 + 2));
  EXPECT_FALSE(Black(bitmap, 21, 20 + 1056 + 2));

  // Every centimetre an 18-pixel tick with its number left of it; 15 at the half, 5 at
  // each millimetre.
  for (int cm = 1; cm <= 20; ++cm) {
    SCOPED_TRACE(cm);
    const int x = 20 + int(std::lround(cm / 2.54 * 96));
    for (int y = 2; y <= 19; ++y) EXPECT_TRUE(Black(bitmap, x, y)) << y;
    EXPECT_FALSE(Black(bitmap, x, 1));
    bool number = false;
    for (int nx = x - 12; nx < x; ++nx)
      for (int ny = 1; ny < 12; ++ny) number |= Dark(bitmap, nx, ny);
    EXPECT_TRUE(number);
    const int y = 20 + int(std::lround(cm / 2.54 * 96));
    for (int tx = 2; tx <= 19; ++tx) EXPECT_TRUE(Black(bitmap, tx, y)) << tx;
  }
  const int half = 20 + int(std::lround(0.5 / 2.54 * 96));
  EXPECT_TRUE(Black(bitmap, half, 5));
  EXPECT_FALSE(Black(bitmap, half, 4));
  const int mm = 20 + int(std::lround(0.1 / 2.54 * 96));
  EXPECT_TRUE(Black(bitmap, mm, 15));
  EXPECT_FALSE(Black(bitmap, mm, 14));

  // The replayed text inks the page near its line (1 inch in, first line).
  int ink = 0;
  for (int x = 20 + 96; x < 20 + 300; ++x)
    for (int y = 22; y < 20 + 40; ++y) ink += Dark(bitmap, x, y);
  EXPECT_GT(ink, 50);

  // The image control shows the bitmap at the margin's corner.
  ASSERT_NE(run.Preview.PageImage(), nullptr);
  EXPECT_EQ(run.Preview.PageImage()->pos(), QPoint(0, 0));
  EXPECT_EQ(run.Preview.PageImage()->size(), bitmap.size());
  if (::testing::Test::HasFailure()) bitmap.save("/tmp/preview-rtBothCm.png");
  run.Preview.Finish();
  EXPECT_TRUE(run.Preview.PageBitmap().isNull());
}

TEST(RPreview, ZoomRules) {
  struct Case {
    double start;
    std::function<void(TFilePreview&)> act;
    double zoom;
  } cases[] = {
      {100, [](TFilePreview& p) { p.SetZoomFactor(5); }, 10},
      {100, [](TFilePreview& p) { p.SetZoomFactor(0); }, 10},
      {100, [](TFilePreview& p) { p.SetZoomFactor(250); }, 200},
      {100, [](TFilePreview& p) { p.SetZoomFactor(57.5); }, 57.5},
      {195, [](TFilePreview& p) { p.ZoomIn(); }, 200},
      {15, [](TFilePreview& p) { p.ZoomOut(); }, 10},
      {100, [](TFilePreview& p) { p.ZoomOut(); }, 90},
  };
  for (const Case& c : cases) {
    TFilePreview preview;
    preview.SetZoomFactor(c.start);
    c.act(preview);
    EXPECT_DOUBLE_EQ(preview.ZoomFactor(), c.zoom) << c.start;
  }
}

TEST(RPreview, PageWidthAndWholePageFitTheScrollBox) {
  for (TRulerType ruler : {rtNone, rtBothIn}) {
    TPreviewRun run(1, 700, 500);
    run.Preview.SetRulerType(ruler);
    run.Preview.SetShadowDepth(4);
    run.Preview.Start();
    const int border = 2 * run.Box.frameWidth();
    const int bar = run.Box.style()->pixelMetric(QStyle::PM_ScrollBarExtent);

    run.Preview.SetZoomFactor(-2);  // page width: the page fills the width less a scroll bar
    const QImage& wide = run.Preview.PageBitmap();
    EXPECT_LE(wide.width() + border + bar, 700);
    EXPECT_GE(wide.width() + border + bar, 698);
    EXPECT_GT(wide.height(), 500);

    run.Preview.SetZoomFactor(-1);  // whole page: all of it inside, the height the limit
    const QImage& whole = run.Preview.PageBitmap();
    EXPECT_LE(whole.height() + 4, 500);
    EXPECT_GE(whole.height() + 4, 497);
    EXPECT_LT(whole.width(), 700);
    run.Preview.Finish();
  }
}

TEST(RPreview, PageStepsAndEvents) {
  TPreviewRun run(3);
  std::vector<int> shown;
  int zoomEvents = 0;
  run.Preview.OnPageChange = [&](QObject*) { shown.push_back(run.Preview.CurrentPage()); };
  run.Preview.Start();
  run.Preview.PrevPage();  // nothing before the first
  run.Preview.NextPage();
  run.Preview.NextPage();
  run.Preview.NextPage();  // nothing after the last
  run.Preview.SetPageInc(2);
  run.Preview.PrevPage();
  run.Preview.Redraw();
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 1, 1}));

  // An assigned OnZoomChange redraws for itself; unassigned, the preview redraws.
  const int width = run.Preview.PageBitmap().width();
  run.Preview.OnZoomChange = [&](QObject*) { ++zoomEvents; };
  run.Preview.SetZoomFactor(50);
  EXPECT_EQ(zoomEvents, 1);
  EXPECT_EQ(run.Preview.PageBitmap().width(), width);
  run.Preview.OnZoomChange = nullptr;
  run.Preview.SetZoomFactor(50);
  EXPECT_EQ(run.Preview.PageBitmap().width(), 408);
  run.Preview.Finish();
}

// An open preview holds no fonts between pages; a page drawn again with fonts made anew
// looks as it did.
TEST(RPreview, FontsAreReleasedAfterEachPage) {
  TPreviewRun run(2);
  run.Preview.Start();
  const QImage first = run.Preview.PageBitmap().copy();
  EXPECT_EQ(run.Preview.FontCache().Count(), 0);
  run.Preview.NextPage();
  EXPECT_EQ(run.Preview.FontCache().Count(), 0);
  run.Preview.PrevPage();
  EXPECT_GE(run.Preview.FontCache().Created(), 3);
  EXPECT_EQ(run.Preview.PageBitmap(), first);
  run.Preview.Finish();
}

TEST(RPreview, MonochromeAndShadowExcludeEachOther) {
  struct Case {
    int shadow;
    bool mono;
    bool setMono;  // else the shadow is set
    int value;
    std::string message;
    int shadowAfter;
    bool monoAfter;
  } cases[] = {
      {3, false, true, 1,
       "Monochrome not allowed while shadows are in effect.\nChange ShadowDepth to 0 first", 3,
       false},
      {0, true, false, 4,
       "Shadows not allowed while monochrome in effect.\nChange Monochrome to false first", 0,
       true},
      {0, false, true, 1, "", 0, true},
      {0, true, false, 0, "", 0, true},
  };
  for (const Case& c : cases) {
    TTestPreview p;
    p.SetShadowDepth(c.shadow);
    p.SetMonochrome(c.mono);
    if (c.setMono)
      p.SetMonochrome(c.value != 0);
    else
      p.SetShadowDepth(c.value);
    EXPECT_EQ(p.Messages.empty() ? "" : p.Messages[0], c.message);
    EXPECT_EQ(p.ShadowDepth(), c.shadowAfter);
    EXPECT_EQ(p.Monochrome(), c.monoAfter);
  }
}

TEST(RPreview, MonochromePageAndMissingScrollBox) {
  TPreviewRun run(1);
  run.Preview.SetMonochrome(true);
  run.Preview.Start();
  EXPECT_EQ(run.Preview.PageBitmap().format(), QImage::Format_Mono);
  run.Preview.Finish();

  TFilePreview lone;
  try {
    lone.Start();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "ScrollBox must be assigned for FilePreview component");
  }
}

}  // namespace
