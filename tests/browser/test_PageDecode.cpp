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

TEST(PageDecode, PagesPastTheLayoutBoundsAreCutBeforeTheTagThatCrossesThem) {
  const QString cell = "<table><tr><td>";
  const QString style = "<style>" + QString(PageDecode::MaxStyleChars, 'x') + "</style>";
  const struct {
    QString kept, dropped;
  } cases[] = {
      {cell + cell + "x</td></tr></table></td></tr></table>", ""},
      {cell + cell, cell + "deep"},
      {"<TABLE><tr><td>" + cell, "<Table border=1>"},
      {(cell + "</td></tr></table>").repeated(20), ""},  // side by side, not nested
      {"<td colspan=4 rowspan=\"4\">a</td>", ""},
      {"<p>wide", "<td colspan=5>"},
      {"<p>tall", "<td ROWSPAN = '9'>"},
      {"<p>huge", "<td colspan=99999999999>"},
      {QString("<b>").repeated(PageDecode::MaxElements), "<i>"},
      {"1 < 2 and <3 " + QString("</b>").repeated(600), ""},  // neither is an element
      {style, ""},
      {style, "<STYLE>x"},
  };
  for (const auto& [kept, dropped] : cases)
    EXPECT_EQ(PageDecode::BoundedHtml(kept + dropped), kept)
        << (kept + dropped).left(80).toStdString();
}

TEST(PageDecode, PicturesByTheirFirstBytesAndWithinBounds) {
  QImage small(30, 10, QImage::Format_RGB32);
  small.fill(QColor(10, 200, 30));
  const struct {
    QByteArray data;
    QSize size;  // 0 x 0: refused
  } cases[] = {
      {Saved(small, "PNG"), {30, 10}},
      {Saved(small, "JPEG"), {30, 10}},
      {Saved(small, "BMP"), {0, 0}},
      {"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>", {0, 0}},
      {Saved(small, "PNG").left(40), {0, 0}},  // cut short
      {Saved(QImage(4096, 1024, QImage::Format_Mono), "PNG"), {4096, 1024}},
      {Saved(QImage(4096, 1025, QImage::Format_Mono), "PNG"), {0, 0}},
      {{}, {0, 0}},
  };
  for (const auto& [data, size] : cases)
    EXPECT_EQ(PageDecode::Picture(data).size(), size) << data.left(8).toHex().toStdString();
}
