#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <string>

#include "Exception.h"

// A JPEG file could not be decoded (damaged, truncated, not a JPEG, or too large).
class EJPEG : public Exception {
 public:
  using Exception::Exception;
};

// A JPEG picture as the layouts carry it: the compressed bytes are kept (so a copy is
// the same file), the decoded pixels are what gets drawn.
class TJPEGImage {
 public:
  // A picture bigger than this is refused before its pixels are allocated: hostile headers
  // can claim 65500 x 65500.
  static constexpr qint64 MaxPixels = qint64(1) << 26;
  static constexpr int MaxScans = 64;

  // Decodes with libjpeg. A null image on failure (more than `maxPixels` pixels or
  // MaxScans scans among them); the reason goes to `error` if given.
  static QImage Decode(const QByteArray& data, std::string* error = nullptr,
                       qint64 maxPixels = MaxPixels);
  // True when the bytes start like a JPEG file (start-of-image marker).
  static bool IsJpeg(const QByteArray& data);

  // Both throw EJPEG and leave the image unchanged on failure.
  void LoadFromData(const QByteArray& data);
  void LoadFromFile(const QString& fileName);

  bool Empty() const { return FImage.isNull(); }
  int Width() const { return FImage.width(); }
  int Height() const { return FImage.height(); }
  const QByteArray& Data() const { return FData; }
  const QImage& Image() const { return FImage; }

 private:
  QByteArray FData;
  QImage FImage;
};
