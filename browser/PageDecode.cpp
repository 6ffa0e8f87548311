#include "PageDecode.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>

#include "RxGIF.h"

namespace PageDecode {
namespace {

QString CharsetOf(const QString& contentType) {
  static const QRegularExpression charset(R"(charset\s*=\s*"?([A-Za-z0-9._:-]+))",
                                          QRegularExpression::CaseInsensitiveOption);
  return charset.match(contentType).captured(1);
}

// Only formats known by their first bytes are handed to a reader; the page cannot pick
// a reader by its address or headers.
QByteArray FormatOf(const QByteArray& data) {
  if (data.startsWith("\x89PNG\r\n\x1a\n")) return "png";
  if (data.startsWith("\xff\xd8\xff")) return "jpeg";
  if (data.startsWith("GIF8")) return "gif";
  return {};
}

bool SpanTooWide(const QString& attributes) {
  static const QRegularExpression span(R"(\b(?:col|row)span\s*=\s*["']?\s*(\d+))",
                                       QRegularExpression::CaseInsensitiveOption);
  for (auto spans = span.globalMatch(attributes); spans.hasNext();) {
    bool number = false;
    const int value = spans.next().captured(1).toInt(&number);
    if (!number || value > MaxSpan) return true;
  }
  return false;
}

bool WithinBounds(QSize size) {
  return size.isValid() && qint64(size.width()) * size.height() <= MaxPicturePixels;
}

// GIF pictures go through the product's own reader: the first frame at its place on the
// logical screen, its transparent colour see-through. The reader bounds the memory of a
// frame by its declared size; the screen is checked here.
QImage GifPicture(const QByteArray& data) {
  try {
    TGIFImage gif;
    gif.LoadFromData(data);
    const QSize screen(gif.ScreenWidth(), gif.ScreenHeight());
    if (gif.Empty() || !WithinBounds(screen)) return {};
    QImage picture(screen, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const TGIFFrame& frame = gif.Frames(0);
    frame.Draw(painter, QRect(frame.Left(), frame.Top(), frame.Width(), frame.Height()), true);
    return picture;
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

QString HtmlText(const QByteArray& data, const QString& contentType) {
  QString declared = CharsetOf(contentType);
  if (declared.isEmpty()) declared = CharsetOf(QString::fromLatin1(data.left(1024)));
  if (!declared.isEmpty()) {
    QStringDecoder decoder(declared.toLatin1().constData());
    if (decoder.isValid()) return decoder.decode(data);
  }
  if (const auto byteOrderMark = QStringConverter::encodingForData(data))
    return QStringDecoder(*byteOrderMark).decode(data);
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(data);
  // Pages of this site that declare nothing are in the product's own code page.
  return utf8.hasError() ? QStringDecoder("windows-1251").decode(data) : text;
}

// Tags are told apart roughly, without a full parser: a "<table" inside a comment or a
// script counts as well, which errs on the safe side.
QString BoundedHtml(const QString& html) {
  static const QRegularExpression tag(R"(<(/?)([A-Za-z][A-Za-z0-9]*)([^>]*)>)");
  int elements = 0, tables = 0;
  qsizetype styleChars = 0;
  for (auto tags = tag.globalMatch(html); tags.hasNext();) {
    const QRegularExpressionMatch found = tags.next();
    const QString name = found.captured(2).toLower();
    if (!found.captured(1).isEmpty()) {
      if (name == "table" && tables > 0) --tables;
      continue;
    }
    if (name == "style") {
      const qsizetype end = html.indexOf("</style", found.capturedEnd(), Qt::CaseInsensitive);
      styleChars += (end < 0 ? html.size() : end) - found.capturedEnd();
    }
    if (++elements > MaxElements || (name == "table" && ++tables > MaxTableDepth) ||
        styleChars > MaxStyleChars || SpanTooWide(found.captured(3)))
      return html.left(found.capturedStart());
  }
  return html;
}

QImage Picture(const QByteArray& data) {
  const QByteArray format = FormatOf(data);
  if (format == "gif") return GifPicture(data);
  if (format.isEmpty()) return {};
  QBuffer buffer;
  buffer.setData(data);
  QImageReader reader(&buffer, format);
  return WithinBounds(reader.size()) ? reader.read() : QImage();
}

}  // namespace PageDecode
