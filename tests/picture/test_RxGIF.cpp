// The picture class: loading paths, frame access, drawing with transparency, sharing.
#include <gtest/gtest.h>

#include <QPainter>

#include "../gif/GIFBuilder.h"
#include "Codepage.h"
#include "MemoryStream.h"
#include "RxGIF.h"

using namespace gifbuild;

namespace {

QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray FormData(const std::string& gif) {
  const uint32_t n = uint32_t(gif.size());
  const char count[4] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
  return QByteArray(count, 4) + Bytes(gif);
}

// Two frames on a 4 x 3 screen: a full one of index 1, then a 2 x 2 one at (1, 1) whose
// index 2 is transparent, with a delay of 30 hundredths.
const std::string kTwoFrames = Header(4, 3) + Frame(0, 0, 4, 3, std::vector<uint8_t>(12, 1)) +
                               GraphicControl(2, 30, 2) + Frame(1, 1, 2, 2, {2, 3, 3, 2}) + ";";

TEST(RxGIF, LoadingPathsGiveTheSamePicture) {
  TGIFImage fromData, fromStream, fromForm;
  fromData.LoadFromData(Bytes(kTwoFrames));
  TMemoryStream stream;
  stream.WriteString("xx" + kTwoFrames);
  stream.SetPosition(2);
  fromStream.LoadFromStream(stream);
  fromForm.LoadFromFormData(FormData(kTwoFrames));
  for (const TGIFImage* image : {&fromData, &fromStream, &fromForm}) {
    EXPECT_EQ(image->Count(), 2);
    EXPECT_EQ(image->FrameIndex(), 0);
    EXPECT_EQ(image->ScreenWidth(), 4);
    EXPECT_EQ(image->ScreenHeight(), 3);
    EXPECT_EQ(image->Frames(1).Delay(), 300);
    EXPECT_EQ(image->Frames(1).Disposal(), 2);
    EXPECT_EQ(image->Frames(1).TransparentColor(), RGBToColor(2, 4, 6));
    EXPECT_TRUE(image->Transparent());
  }
}

TEST(RxGIF, FormDataWithAShortCountFails) {
  TGIFImage image;
  QByteArray form = FormData(kTwoFrames);
  form.chop(1);
  EXPECT_THROW(image.LoadFromFormData(form), EGIFError);
  EXPECT_THROW(image.LoadFromFormData(QByteArray("\x01\x00", 2)), EGIFError);
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.FrameIndex(), -1);
  EXPECT_EQ(image.ScreenWidth(), 0);
}

TEST(RxGIF, BitmapIsIndexedWithTheFramePalette) {
  TGIFImage image;
  image.LoadFromData(Bytes(kTwoFrames));
  const QImage& bitmap = image.Frames(1).Bitmap();
  ASSERT_EQ(bitmap.format(), QImage::Format_Indexed8);
  EXPECT_EQ(bitmap.size(), QSize(2, 2));
  EXPECT_EQ(bitmap.colorCount(), 16);  // a 4-entry table shows at depth 4
  EXPECT_EQ(bitmap.pixel(1, 0), qRgb(3, 6, 9));
  EXPECT_EQ(bitmap.pixel(0, 1), qRgb(3, 6, 9));
  EXPECT_EQ(bitmap.color(4), qRgb(128, 128, 128));
}

TEST(RxGIF, DrawingLeavesTransparentPixelsUnchanged) {
  TGIFImage image;
  image.LoadFromData(Bytes(kTwoFrames));
  for (bool transparent : {true, false}) {
    SCOPED_TRACE(transparent);
    QImage canvas(2, 2, QImage::Format_RGB32);
    canvas.fill(qRgb(200, 0, 0));
    {
      QPainter painter(&canvas);
      image.Frames(1).Draw(painter, QRect(0, 0, 2, 2), transparent);
    }
    const QRgb under = transparent ? qRgb(200, 0, 0) : qRgb(2, 4, 6);
    EXPECT_EQ(canvas.pixel(0, 0), under);
    EXPECT_EQ(canvas.pixel(1, 0), qRgb(3, 6, 9));
    EXPECT_EQ(canvas.pixel(1, 1), under);
  }
}

TEST(RxGIF, AssignSharesDataAndDecodedFrames) {
  TGIFImage source, copy;
  int changes = 0;
  copy.OnChange = [&](TGIFImage* sender) {
    EXPECT_EQ(sender, &copy);
    ++changes;
  };
  source.LoadFromData(Bytes(kTwoFrames));
  copy.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(&copy.Frames(1), &source.Frames(1));
  EXPECT_EQ(copy.Frames(0).Bitmap().constBits(), source.Frames(0).Bitmap().constBits());

  TGIFImage single;
  single.Assign(source.Frames(1));
  EXPECT_EQ(single.Count(), 1);
  EXPECT_EQ(single.ScreenWidth(), 3);
  EXPECT_EQ(single.Frames(0).ImageData(), source.Frames(1).ImageData());
}

TEST(RxGIF, FrameIndexAndSizeRules) {
  TGIFImage image;
  image.LoadFromData(Bytes(kTwoFrames));
  for (int value : {1, 2, -1}) image.SetFrameIndex(value);
  EXPECT_EQ(image.FrameIndex(), 1);
  EXPECT_EQ(image.Bitmap().size(), QSize(2, 2));
  EXPECT_THROW(image.Frames(2), Exception);
  try {
    image.SetWidth(10);
    FAIL();
  } catch (const EGIFError& error) {
    EXPECT_EQ(QString::fromStdString(Codepage::Cp1251ToUtf8(error.Message())),
              QString("Невозможно изменить размер изображения GIF"));
  }
}

TEST(RxGIF, DecodingReportsItsProgressOnce) {
  std::vector<uint8_t> pixels(300 * 200);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 13 % 251);
  TGIFImage image;
  std::vector<std::pair<TProgressStage, int>> reports;
  image.OnProgress = [&](TGIFImage* sender, TProgressStage stage, int percent) {
    EXPECT_EQ(sender, &image);
    reports.emplace_back(stage, percent);
  };
  image.LoadFromData(
      Bytes(Header(300, 200, 8) + Image(0, 0, 300, 200, ImageData(pixels, 8)) + ";"));
  ASSERT_GE(reports.size(), 10u);
  EXPECT_EQ(reports.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(reports.back(), std::make_pair(psEnding, 100));
  for (size_t i = 1; i + 1 < reports.size(); ++i) {
    EXPECT_EQ(reports[i].first, psRunning);
    EXPECT_GE(reports[i].second, reports[i - 1].second);
  }
  const size_t count = reports.size();
  image.Bitmap();
  EXPECT_EQ(reports.size(), count);  // decoded once
}

TEST(RxGIF, BitmapDepthFollowsTheTableSize) {
  const int colours[] = {2, 16, 16, 16, 256, 256, 256, 256};
  for (int bits = 1; bits <= 8; ++bits) {
    SCOPED_TRACE(bits);
    TGIFImage image;
    image.LoadFromData(Bytes(Header(2, 2, bits) + Frame(0, 0, 2, 2, {0, 1, 1, 0}) + ";"));
    EXPECT_EQ(image.Bitmap().colorCount(), colours[bits - 1]);
    EXPECT_EQ(image.Palette().size(), colours[bits - 1]);
    EXPECT_EQ(image.Bitmap().pixel(1, 0), qRgb(1, 2, 3));
  }
}

TEST(RxGIF, DamagedFilesLoadOrLeaveThePictureAlone) {
  TGIFImage image;
  const std::string cut = Header(2, 2) + Image(0, 0, 2, 2, ImageData({1, 2, 3, 1}, 2).substr(0, 3));
  image.LoadFromData(Bytes(cut));
  EXPECT_EQ(image.Count(), 1);
  EXPECT_TRUE(image.Frames(0).Corrupted());

  image.LoadFromData(Bytes(kTwoFrames));
  EXPECT_FALSE(image.Frames(0).Corrupted());
  EXPECT_THROW(image.LoadFromData(Bytes("GIF90a" + kTwoFrames.substr(6))), EGIFError);
  EXPECT_EQ(image.Count(), 2);
  EXPECT_EQ(image.ScreenWidth(), 4);
}

TEST(RxGIF, AssignedBitmapBecomesOneFrame) {
  QImage picture(3, 2, QImage::Format_RGB32);
  picture.fill(qRgb(10, 20, 30));
  picture.setPixel(2, 1, qRgb(200, 100, 0));
  TGIFImage image;
  image.AssignBitmap(picture);
  ASSERT_EQ(image.Count(), 1);
  EXPECT_EQ(image.ScreenWidth(), 3);
  EXPECT_EQ(image.ScreenHeight(), 2);
  EXPECT_EQ(image.Bitmap().pixel(0, 0), qRgb(10, 20, 30));
  EXPECT_EQ(image.Bitmap().pixel(2, 1), qRgb(200, 100, 0));
  EXPECT_FALSE(image.Transparent());
}

}  // namespace
