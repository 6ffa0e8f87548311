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

// A PNG, JPEG or GIF picture (the first frame of a GIF); a null image for anything else,
// for a damaged file and for one larger than MaxPicturePixels.
QImage Picture(const QByteArray& data);

}  // namespace PageDecode
