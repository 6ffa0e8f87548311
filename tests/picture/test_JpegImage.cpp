// JPEG decoding checked against Qt's own decoder on files made at test time, and hostile
// data (truncated, garbage, oversized, mutated) refused cleanly.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "JpegImage.h"
#include "Picture.h"

namespace {

const QString Convert = "/usr/bin/convert";

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture with gradients and sharp edges, so colour conversion and sampling both show.
QImage TestPattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x / 8 + y / 8) % 2 * 200));
  QPainter(&image).fillRect(width / 3, height / 3, width / 4, height / 4, Qt::yellow);
  return image;
}

QByteArray QtJpeg(const QImage& image, int quality = 90) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", quality);
  return bytes;
}

// A JPEG made by ImageMagick with the given extra options (colour space, sampling).
QByteArray MagickJpeg(const QTemporaryDir& dir, const QStringList& options) {
  const QString png = dir.filePath("source.png"), jpg = dir.filePath("made.jpg");
  TestPattern(123, 77).save(png);
  QStringList arguments{png};
  arguments << options << "-quality"
            << "92" << jpg;
  if (QProcess::execute(Convert, arguments) != 0) return {};
  return ReadFile(jpg);
}

int MaxChannelDifference(const QImage& a, const QImage& b) {
  const QImage left = a.convertToFormat(QImage::Format_RGB32);
  const QImage right = b.convertToFormat(QImage::Format_RGB32);
  int worst = 0;
  for (int y = 0; y < left.height(); ++y)
    for (int x = 0; x < left.width(); ++x) {
      const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q))});
    }
  return worst;
}

void ExpectSameAsQt(const QByteArray& jpeg) {
  ASSERT_FALSE(jpeg.isEmpty());
  std::string error;
  const QImage ours = TJPEGImage::Decode(jpeg, &error);
  const QImage theirs = QImage::fromData(jpeg, "JPEG");
  ASSERT_FALSE(ours.isNull()) << error;
  ASSERT_FALSE(theirs.isNull());
  ASSERT_EQ(ours.size(), theirs.size());
  EXPECT_LE(MaxChannelDifference(ours, theirs), 2);
}

}  // namespace

TEST(JpegImage, DecodesLikeQtForFilesFromQtAndImageMagick) {
  ExpectSameAsQt(QtJpeg(TestPattern(200, 150)));
  ExpectSameAsQt(QtJpeg(TestPattern(1, 1)));
  if (!QFile::exists(Convert)) GTEST_SKIP() << "ImageMagick not installed";
  QTemporaryDir dir;
  ExpectSameAsQt(MagickJpeg(dir, {"-sampling-factor", "4:2:0"}));
  ExpectSameAsQt(MagickJpeg(dir, {"-sampling-factor", "4:4:4", "-interlace", "JPEG"}));
  ExpectSameAsQt(MagickJpeg(dir, {"-colorspace", "Gray"}));
}

TEST(JpegImage, DecodesAdobeCmykLikeQt) {
  if (!QFile::exists(Convert)) GTEST_SKIP() << "ImageMagick not installed";
  QTemporaryDir dir;
  ExpectSameAsQt(MagickJpeg(dir, {"-colorspace", "CMYK"}));
}

TEST(JpegImage, DecodesTheProductsOwnPictures) {
  const QString folder = QString(TRICKFOLIO_SOURCE_DIR) + "/resources/pictures/";
  int found = 0;
  for (const QString name : {"splash.jpg", "header.jpg"}) {
    const QByteArray jpeg = ReadFile(folder + name);
    if (jpeg.isEmpty()) continue;
    ++found;
    ExpectSameAsQt(jpeg);
  }
  if (found == 0) GTEST_SKIP() << "no pictures in " << folder.toStdString();
}

TEST(JpegImage, DamagedDataFailsWithAReason) {
  const QByteArray good = QtJpeg(TestPattern(80, 60));
  const QList<QByteArray> bad{
      {},
      QByteArray("\xFF\xD8\xFF", 3),
      good.left(good.size() / 2),
      good.left(20),
      QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(500, '\x5A'),
      QByteArray("GIF89a not a jpeg at all"),
  };
  for (const QByteArray& data : bad) {
    std::string error;
    EXPECT_TRUE(TJPEGImage::Decode(data, &error).isNull()) << data.size();
    EXPECT_FALSE(error.empty()) << data.size();
  }
}

TEST(JpegImage, HugeClaimedSizeIsRefusedBeforeAllocating) {
  QByteArray jpeg = QtJpeg(TestPattern(16, 16));
  const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof, 0);
  // SOF0: marker, length (2), precision (1), height (2), width (2).
  jpeg[sof + 5] = '\xFF', jpeg[sof + 6] = '\xDC', jpeg[sof + 7] = '\xFF', jpeg[sof + 8] = '\xDC';
  std::string error;
  EXPECT_TRUE(TJPEGImage::Decode(jpeg, &error).isNull());
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST(JpegImage, MutatedFilesNeverCrash) {
  const QByteArray good = QtJpeg(TestPattern(48, 40), 75);
  QRandomGenerator random(20261207);
  for (int round = 0; round < 400; ++round) {
    QByteArray data = good;
    const int flips = 1 + int(random.bounded(8));
    for (int i = 0; i < flips; ++i)
      data[random.bounded(int(data.size()))] = char(random.bounded(256));
    if (round % 5 == 0) data.truncate(random.bounded(int(data.size())));
    const QImage image = TJPEGImage::Decode(data);
    if (!image.isNull()) {
      EXPECT_GT(image.width() * image.height(), 0);
    }
  }
}

TEST(JpegImage, FailedLoadThrowsAndKeepsThePicture) {
  TJPEGImage jpeg;
  const QByteArray good = QtJpeg(TestPattern(30, 20));
  jpeg.LoadFromData(good);
  EXPECT_EQ(jpeg.Width(), 30);
  EXPECT_EQ(jpeg.Data(), good);
  EXPECT_THROW(jpeg.LoadFromData(good.left(100)), EJPEG);
  EXPECT_EQ(jpeg.Width(), 30);
  EXPECT_EQ(jpeg.Data(), good);
  EXPECT_THROW(jpeg.LoadFromFile("/nonexistent/picture.jpg"), EJPEG);
}

TEST(Picture, HoldsJpegBmpAndPngAndRefusesOthers) {
  QTemporaryDir dir;
  const QImage source = TestPattern(40, 30);
  source.save(dir.filePath("p.bmp"), "BMP");
  source.save(dir.filePath("p.png"), "PNG");
  QFile jpg(dir.filePath("p.jpg"));
  ASSERT_TRUE(jpg.open(QIODevice::WriteOnly));
  jpg.write(QtJpeg(source));
  jpg.close();

  for (const QString name : {"p.bmp", "p.png", "p.jpg"}) {
    TPicture picture;
    picture.LoadFromFile(dir.filePath(name));
    EXPECT_TRUE(picture.HasGraphic()) << name.toStdString();
    EXPECT_EQ(picture.Image().size(), source.size());
  }
  TPicture bmp;
  bmp.LoadFromFile(dir.filePath("p.bmp"));
  EXPECT_EQ(MaxChannelDifference(bmp.Image(), source), 0);

  TPicture picture(source);
  EXPECT_THROW(picture.LoadFromData("no picture here"), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromData(QtJpeg(source).left(64)), EJPEG);
  EXPECT_THROW(picture.LoadFromFile(dir.filePath("missing.bmp")), EInvalidGraphic);
  EXPECT_EQ(picture.Image(), source);
}
