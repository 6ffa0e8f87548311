// A picture file named after the executable with ".bmp" replaces the splash picture. Kept
// in its own executable: the file lies beside the test binary while this test runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "Abcspla.h"

namespace {

// Removes the local picture however the test ends.
struct TLocalBmp {
  TLocalBmp() { QFile::remove(TabcSplash::LocalBmpFileName()); }
  ~TLocalBmp() { QFile::remove(TabcSplash::LocalBmpFileName()); }
};

QImage Solid(int width, int height, QColor color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

QRgb CentrePixel(TabcSplash& splash) {
  QWidget* window = splash.SplashWindow();
  return window->grab().toImage().pixel(window->rect().center());
}

}  // namespace

TEST(AbcsplaLocalBmp, ReplacesThePictureWhenAllowed) {
  TLocalBmp guard;
  const QString bmp = TabcSplash::LocalBmpFileName();
  EXPECT_TRUE(bmp.endsWith(QFileInfo(QCoreApplication::applicationFilePath()).fileName() + ".bmp"));
  ASSERT_TRUE(Solid(40, 30, Qt::red).save(bmp, "BMP"));

  TabcSplash splash;
  splash.SetBevelWidth(2);
  splash.SetPicture(TPicture(Solid(100, 80, Qt::blue)));
  splash.Show();
  ASSERT_NE(splash.SplashWindow(), nullptr);
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(44, 34));
  EXPECT_EQ(CentrePixel(splash), qRgb(255, 0, 0));
  splash.Hide();
  EXPECT_EQ(splash.Picture().Width(), 100);  // the component's own picture is untouched

  splash.SetAllowLocalBmp(false);
  splash.Show();
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(104, 84));
  splash.Hide();

  // A damaged local picture is passed over rather than stopping the start.
  QFile file(bmp);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("BM this is no bitmap");
  file.close();
  splash.SetAllowLocalBmp(true);
  EXPECT_NO_THROW(splash.Show());
  ASSERT_NE(splash.SplashWindow(), nullptr);
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(104, 84));
  EXPECT_EQ(CentrePixel(splash), qRgb(0, 0, 255));
}
