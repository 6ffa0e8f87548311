// The header's banners as the window carries them: a byte count, then a GIF89a of one
// 468 x 60 image with a global table, background index 0 and no extensions.
#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

namespace {

QByteArray Resource(int n) {
  QFile file(QString(":/banners/RxGIFAnimator%1.dat").arg(n));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint8 Byte(const QByteArray& data, qsizetype at) {
  return at < data.size() ? quint8(data[at]) : 0xEE;
}
quint16 Word(const QByteArray& data, qsizetype at) {
  return quint16(Byte(data, at) | Byte(data, at + 1) << 8);
}

}  // namespace

TEST(Banners, CarryTheStructureTheWindowExpects) {
  const struct {
    int Banner;
    int Colours;
    bool Interlaced;
  } banners[] = {{1, 128, false}, {2, 256, true}, {3, 256, true}, {4, 256, true}, {5, 256, true}};
  for (const auto& b : banners) {
    SCOPED_TRACE(b.Banner);
    const QByteArray data = Resource(b.Banner);
    ASSERT_GE(data.size(), 4);
    const QByteArray gif = data.mid(4);
    EXPECT_EQ(qFromLittleEndian<quint32>(data.constData()), quint32(gif.size()));

    EXPECT_EQ(gif.left(6), "GIF89a");
    EXPECT_EQ(Word(gif, 6), 468);
    EXPECT_EQ(Word(gif, 8), 60);
    const quint8 screen = Byte(gif, 10);
    EXPECT_TRUE(screen & 0x80) << "global table";
    EXPECT_EQ(2 << (screen & 7), b.Colours);
    EXPECT_EQ(Byte(gif, 11), 0) << "background index";

    // The image follows the table at once: no extension before it.
    const qsizetype image = 13 + 3 * b.Colours;
    EXPECT_EQ(Byte(gif, image), ',');
    EXPECT_EQ(Word(gif, image + 1), 0);
    EXPECT_EQ(Word(gif, image + 3), 0);
    EXPECT_EQ(Word(gif, image + 5), 468);
    EXPECT_EQ(Word(gif, image + 7), 60);
    const quint8 flags = Byte(gif, image + 9);
    EXPECT_FALSE(flags & 0x80) << "local table";
    EXPECT_EQ(bool(flags & 0x40), b.Interlaced);
    EXPECT_EQ(1 << Byte(gif, image + 10), b.Colours) << "minimum code size";

    // Sub-blocks up to the terminator, then the trailer ends the file: no second image,
    // no extension after it.
    qsizetype at = image + 11;
    while (at < gif.size() && Byte(gif, at) != 0) at += 1 + Byte(gif, at);
    EXPECT_EQ(at, gif.size() - 2);
    EXPECT_EQ(Byte(gif, gif.size() - 1), ';');
  }
  EXPECT_EQ(Resource(2), Resource(4));
  EXPECT_EQ(Resource(3), Resource(5));
  EXPECT_NE(Resource(2), Resource(3));
}
