#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Turning the bytes of an untrusted page into what the view shows.
namespace PageDecode {

// The largest picture taken, in pixels, whatever its file claims.
inline constexpr qint64 MaxPicturePixels = 4096 * 1024;

// The page's text: the charset of the Content-Type header, else the page's own meta
// charset, else its byte-order mark, else UTF-8 when the bytes are valid UTF-8 and
// Windows-1251 when they are not.
QString HtmlText(const QByteArray& data, const QString& contentType);

// The text view's HTML layout grows steeply with nested tables, row and column spans, the
// number of elements and the size of style sheets; a page that goes past these bounds is
// cut off before the tag that does. Within them the worst page takes a few hundred
// milliseconds to lay out.
inline constexpr int MaxElements = 500;
inline constexpr int MaxTableDepth = 2;
inline constexpr int MaxSpan = 4;
inline constexpr qsizetype MaxStyleChars = 16 * 1024;
QString BoundedHtml(const QString& html);

// A PNG, JPEG or GIF picture (the first frame of a GIF); a null image for anything else,
// for a damaged file and for one larger than MaxPicturePixels.
QImage Picture(const QByteArray& data);

}  // namespace PageDecode
