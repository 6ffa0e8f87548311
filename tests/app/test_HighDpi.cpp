// The skin on a screen of twice the density: the controls show the pictures drawn for it
// rather than the plain ones scaled up.
#include <gtest/gtest.h>

#include <QImage>
#include <QApplication>

#include "CoolBitmapButton.h"
#include "Unit1.h"

namespace {

// Read by the test program's QApplication, which is made after this.
const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");

QImage Rgb(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

// A screenshot of the main window: the close button on its bottom bar and the logical pixel
// of the bar above it. The bar's light colour turns into the button's dark border in one
// step, with no blend between, and the button is its @2x picture pixel for pixel.
TEST(HighDpi, AButtonsEdgeIsSharpAtTwiceTheDensity) {
  ASSERT_TRUE(kScaled);
  TFormMain form;
  const QImage window = Rgb(form.grab().toImage());
  ASSERT_EQ(window.size(), form.size() * 2);
  TCoolBitmapButton* button = form.CoolBitmapButton3;
  const QImage twin = Rgb(QImage(":/skin/images1/10@2x.bmp"));
  ASSERT_EQ(button->size() * 2, twin.size());

  const QPoint at = button->mapTo(&form, QPoint(0, 0)) * 2;
  const QImage shot = window.copy(at.x(), at.y() - 2, twin.width(), twin.height() + 2);
  const int x = twin.width() / 2;
  const QRgb border = qRgb(0x20, 0x3a, 0x58);
  EXPECT_GT(qGray(shot.pixel(x, 1)), 200);
  EXPECT_EQ(shot.pixel(x, 2), border);
  EXPECT_EQ(shot.pixel(x, 3), border);
  EXPECT_EQ(shot.copy(0, 2, twin.width(), twin.height()), twin);
}
