#include "PageDecode.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>

#include "JpegImage.h"
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

// Takes the picture's pixels off the budget, if they fit, before it is decoded: the work
// is spent whether or not the picture then decodes.
bool Take(QSize size, qint64& pixelsLeft) {
  const qint64 pixels = qint64(size.width()) * size.height();
  if (!size.isValid() || pixels > pixelsLeft) return false;
  pixelsLeft -= pixels;
  return true;
}

// GIF pictures go through the product's own reader: the first frame at its place on the
// logical screen, its transparent colour see-through. The reader bounds the memory of a
// frame by its declared size; the screen and the first frame are checked against the
// budget here, before the frame is decoded.
QImage GifPicture(const QByteArray& data, qint64& pixelsLeft) {
  try {
    TGIFImage gif;
    gif.LoadFromData(data);
    const QSize screen(gif.ScreenWidth(), gif.ScreenHeight());
    if (gif.Empty()) return {};
    const TGIFFrame& frame = gif.Frames(0);
    qint64 afterFrame = pixelsLeft;
    if (!Take(QSize(frame.Width(), frame.Height()), afterFrame) || !Take(screen, pixelsLeft))
      return {};
    QImage picture(screen, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
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

QImage Picture(const QByteArray& data, qint64& pixelsLeft) {
  const QByteArray format = FormatOf(data);
  if (format == "gif") return GifPicture(data, pixelsLeft);
  if (format.isEmpty()) return {};
  QBuffer buffer;
  buffer.setData(data);
  QImageReader reader(&buffer, format);
  if (!Take(reader.size(), pixelsLeft)) return {};
  return format == "jpeg" ? TJPEGImage::Decode(data) : reader.read();
}

}  // namespace PageDecode
