// The picture class: loading paths, frame access, drawing with transparency, sharing.
#include <gtest/gtest.h>

#include <QPainter>

#include "../gif/GIFBuilder.h"
#include "MemoryStream.h"
#include "RxGIF.h"
#include "SkinControl.h"

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
    EXPECT_EQ(ToQString(error.Message()), QString("Невозможно изменить размер изображения GIF"));
  }
}

}  // namespace
