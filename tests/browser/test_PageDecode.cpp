// What the view makes of a page's bytes: its text in the right code page, and which
// picture files it takes.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "PageDecode.h"

namespace {

QByteArray Saved(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

}  // namespace

TEST(PageDecode, TextInTheDeclaredOrGuessedCodePage) {
  const QString word = QString::fromUtf8("Чит-коды");
  const QByteArray cp1251 = "\xD7\xE8\xF2-\xEA\xEE\xE4\xFB";
  const QByteArray utf8 = word.toUtf8();
  const struct {
    QByteArray body;
    QString contentType;
  } cases[] = {
      {cp1251, "text/html; charset=windows-1251"},
      {cp1251, "text/html; charset=\"CP1251\""},
      {"<meta charset=\"windows-1251\">" + cp1251, "text/html"},
      {"<meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">" + cp1251, ""},
      {cp1251, "text/html"},  // nothing declared, no valid UTF-8
      {utf8, "text/html"},
      {"\xEF\xBB\xBF" + utf8, ""},
      {utf8, "text/html; charset=utf-8"},
      {utf8, "text/html; charset=no-such-charset"},
  };
  for (const auto& [body, contentType] : cases)
    EXPECT_TRUE(PageDecode::HtmlText(body, contentType).endsWith(word))
        << contentType.toStdString() << " " << body.toStdString();
}

TEST(PageDecode, PicturesByTheirFirstBytesAndWithinTheBudget) {
  QImage small(30, 10, QImage::Format_RGB32);
  small.fill(QColor(10, 200, 30));
  const QImage large(2048, 1024, QImage::Format_RGB32);
  const qint64 budget = PageDecode::MaxPagePixels;
  const struct {
    QByteArray data;
    qint64 pixelsLeft;
    QSize size;  // 0 x 0: refused
    qint64 spent = qint64(size.width()) * size.height();
  } cases[] = {
      {Saved(small, "PNG"), budget, {30, 10}},
      {Saved(small, "JPEG"), budget, {30, 10}},
      {Saved(small, "BMP"), budget, {0, 0}},
      {"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>", budget, {0, 0}},
      {Saved(small, "PNG").left(40), budget, {0, 0}},  // cut short
      {Saved(small, "PNG").chopped(20), budget, {0, 0}, 300},  // spent though it fails
      {Saved(QImage(4096, 1024, QImage::Format_Mono), "PNG"), budget, {4096, 1024}},
      {Saved(QImage(4096, 1025, QImage::Format_Mono), "PNG"), budget, {0, 0}},
      // What earlier pictures of the page left over.
      {Saved(large, "PNG"), 2048 * 1024, {2048, 1024}},
      {Saved(large, "PNG"), 2048 * 1024 - 1, {0, 0}},
      {Saved(large, "JPEG"), 2048 * 1024 - 1, {0, 0}},
      {{}, budget, {0, 0}},
  };
  for (auto [data, pixelsLeft, size, spent] : cases) {
    const qint64 before = pixelsLeft;
    EXPECT_EQ(PageDecode::Picture(data, pixelsLeft).size(), size)
        << data.left(8).toHex().toStdString() << " " << before;
    EXPECT_EQ(pixelsLeft, before - spent);
  }
}
