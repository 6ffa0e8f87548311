// The windows are laid out around the skin images: a bitmap of the wrong size breaks a title
// bar or a button strip, and pieces that sit side by side must join without a seam.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

#include "SkinMap.h"

namespace {

using namespace SkinMap;

QString Path(int store, int index) {
  return QString(":/skin/images%1/%2.bmp").arg(store).arg(index, 2, 10, QChar('0'));
}

QImage Load(const QString& path) {
  QImage image(path);
  EXPECT_FALSE(image.isNull()) << path.toStdString();
  return image;
}

QImage Skin(int store, int index) {
  return Load(Path(store, index));
}

// The pixel depth that the file declares, read from its info header: QImage widens 24-bit
// bitmaps to 32 bits on loading, so only the file tells.
int BmpBitCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray head = file.read(34);
  if (head.size() < 34 || !head.startsWith("BM")) return -1;
  const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
  if (qFromLittleEndian<quint32>(bytes + 30) != 0) return -1;  // compressed
  return qFromLittleEndian<quint16>(bytes + 28);
}

// Each picture has its twin at twice the size for screens of twice the density.
void ExpectStore(int store, const TSkinSize* sizes, int count) {
  EXPECT_EQ(QDir(QString(":/skin/images%1").arg(store)).entryList(QDir::Files).size(), 2 * count);
  for (int i = 0; i < count; ++i) {
    const QString path = Path(store, i);
    SCOPED_TRACE(path.toStdString());
    const QImage image = Load(path);
    EXPECT_EQ(image.width(), sizes[i].Width);
    EXPECT_EQ(image.height(), sizes[i].Height);
    EXPECT_EQ(BmpBitCount(path), 24);
    const QString twin = QString(path).replace(".bmp", "@2x.bmp");
    EXPECT_EQ(Load(twin).size(), image.size() * 2);
    EXPECT_EQ(BmpBitCount(twin), 24);
  }
}

int MaxChannelDifference(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

double MeanLightness(const QImage& image) {
  double sum = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) sum += qGray(image.pixel(x, y));
  return sum / (image.width() * image.height());
}

void ExpectSameColumn(const QImage& a, int ax, const QImage& b, int bx) {
  ASSERT_EQ(a.height(), b.height());
  for (int y = 0; y < a.height(); ++y) EXPECT_EQ(a.pixel(ax, y), b.pixel(bx, y)) << "row " << y;
}

void ExpectSameRow(const QImage& a, int ay, const QImage& b, int by) {
  ASSERT_EQ(a.width(), b.width());
  for (int x = 0; x < a.width(); ++x) EXPECT_EQ(a.pixel(x, ay), b.pixel(x, by)) << "column " << x;
}

TEST(Artwork, StoresHoldTheLaidOutSizesAt24Bits) {
  ExpectStore(1, Images1Sizes, Images1Count);
  ExpectStore(2, Images2Sizes, Images2Count);
}

// The generator takes the stores' order, sizes and button places from the skin map too; with
// --check it draws both stores at both scales, stops at a picture the map does not fit, and
// writes nothing.
TEST(Artwork, TheGeneratorDrawsWhatTheSkinMapGives) {
  QProcess generator;
  generator.start("/usr/bin/python3",
                  {TRICKFOLIO_SOURCE_DIR "/resources/generate.py", QStringLiteral("--check")});
  ASSERT_TRUE(generator.waitForFinished(120000));
  EXPECT_EQ(generator.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
}

TEST(Artwork, PicturesAreJpegsOfTheirAreas) {
  // The header picture fills the left of the 79-pixel header strip; the splash picture is
  // also the About window's picture, whose area is 320 x 200.
  const struct {
    const char* Path;
    TSkinSize Expected;
  } pictures[] = {{":/pictures/header.jpg", {300, 79}}, {":/pictures/splash.jpg", {320, 200}}};
  for (const auto& picture : pictures) {
    SCOPED_TRACE(picture.Path);
    QFile file(picture.Path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(3) == QByteArray("\xFF\xD8\xFF", 3));
    const QImage image = Load(picture.Path);
    EXPECT_EQ(image.width(), picture.Expected.Width);
    EXPECT_EQ(image.height(), picture.Expected.Height);
  }
}

TEST(Artwork, FramePiecesJoinWithoutSeams) {
  const QImage left = Skin(2, 0), middle = Skin(2, 1), right = Skin(2, 2);
  ExpectSameColumn(left, left.width() - 1, middle, 0);
  ExpectSameColumn(middle, 0, right, 0);

  const QImage rightTop = Skin(2, 3), rightEdge = Skin(2, 4), rightCorner = Skin(2, 5);
  const QImage bottom = Skin(2, 6), leftCorner = Skin(2, 7), leftEdge = Skin(2, 8);
  ExpectSameRow(rightTop, rightTop.height() - 1, rightEdge, 0);
  ExpectSameRow(rightEdge, 0, rightCorner, 0);
  ExpectSameRow(leftEdge, 0, leftCorner, 0);
  ExpectSameColumn(leftCorner, leftCorner.width() - 1, bottom, 0);
  ExpectSameColumn(bottom, 0, rightCorner, 0);

  const QImage strip = Skin(1, 0), divider = Skin(1, 25);
  ExpectSameColumn(strip, 0, divider, 0);
  ExpectSameColumn(strip, 0, divider, divider.width() - 1);
}

// Buttons have no transparent colours, so each image carries the strip it sits on. Buttons
// that shift by one pixel while held carry the strip one row lower in their pressed image.
TEST(Artwork, ButtonsCarryTheStripBehindThem) {
  const QImage strip = Skin(1, 0);
  const struct {
    int First;
    int Top;
  } stripButtons[] = {{CloseButton.Leave, StripButtonTop},
                      {UpdateButton.Leave, StripButtonTop},
                      {AboutButton.Leave, StripButtonTop},
                      {PrintButton.Leave, StripButtonTop},
                      {AboutCloseButton.Leave, AboutStripButtonTop}};
  for (const auto& button : stripButtons) {
    for (int state = 0; state < 3; ++state) {
      SCOPED_TRACE(button.First + state);
      const int row = button.Top + (state == 2 ? 1 : 0);
      EXPECT_EQ(Skin(1, button.First + state).pixel(0, 0), strip.pixel(0, row));
    }
  }
  // Back and forward keep still while held.
  for (int index : {1, 2, 7})
    EXPECT_EQ(Skin(1, index).pixel(0, 0), strip.pixel(0, BackTop)) << index;
  for (int index : {3, 4, 8})
    EXPECT_EQ(Skin(1, index).pixel(0, 0), strip.pixel(0, ForwardTop)) << index;

  // The title-bar buttons sit on the title bar's right end; their rounded corners are
  // anti-aliased, so the corner pixel only nearly matches.
  const QImage titleEnd = Skin(2, 2);
  const struct {
    int First;
    int Left;
  } titleButtons[] = {{MinimiseButton.Leave, MinimiseLeft},
                      {MaximiseButton.Leave, MaximiseLeft},
                      {TitleCloseButton.Leave, TitleCloseLeft}};
  for (const auto& button : titleButtons) {
    for (int state = 0; state < 3; ++state) {
      SCOPED_TRACE(button.First + state);
      const int shift = state == 2 ? 1 : 0;
      const QRgb behind = titleEnd.pixel(button.Left + shift, TitleButtonTop + shift);
      EXPECT_LE(MaxChannelDifference(Skin(1, button.First + state).pixel(0, 0), behind), 40);
    }
  }
}

TEST(Artwork, HoverIsBrighterAndPressedDarker) {
  const struct {
    int Normal, Hover, Pressed;
  } buttons[] = {{1, 2, 7},    {3, 4, 8},    {10, 11, 12}, {13, 14, 15}, {16, 17, 18},
                 {19, 20, 21}, {22, 23, 24}, {26, 27, 28}, {29, 30, 31}, {32, 33, 34}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.Normal);
    const double normal = MeanLightness(Skin(1, button.Normal));
    EXPECT_GT(MeanLightness(Skin(1, button.Hover)), normal);
    EXPECT_LT(MeanLightness(Skin(1, button.Pressed)), normal);
  }
}

TEST(Artwork, HeaderPictureRunsOnIntoTheHeaderStrip) {
  const QImage header = Load(":/pictures/header.jpg");
  const QImage strip = Skin(1, 9);
  ASSERT_EQ(header.height(), strip.height());
  for (int y = 0; y < header.height(); ++y)
    EXPECT_LE(MaxChannelDifference(header.pixel(header.width() - 1, y), strip.pixel(0, y)), 10)
        << "row " << y;
}

}  // namespace
