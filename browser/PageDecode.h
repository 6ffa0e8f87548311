#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Turning the bytes of an untrusted page into what the view shows.
namespace PageDecode {

// The decoded pixels of all the pictures of one page together: what the banner needs many
// times over, and a bound on the memory its pictures hold.
inline constexpr qint64 MaxPagePixels = 4096 * 1024;

// The page's text: the charset of the Content-Type header, else the page's own meta
// charset, else its byte-order mark, else UTF-8 when the bytes are valid UTF-8 and
// Windows-1251 when they are not.
QString HtmlText(const QByteArray& data, const QString& contentType);

// A PNG, JPEG or GIF picture (the first frame of a GIF); a null image for anything else,
// for a damaged file, for a JPEG of too many scans and for one with more pixels than
// `pixelsLeft`, the budget of the page's pictures. A picture's declared pixels come off
// the budget before it is decoded, whether it then decodes or not.
QImage Picture(const QByteArray& data, qint64& pixelsLeft);

}  // namespace PageDecode
