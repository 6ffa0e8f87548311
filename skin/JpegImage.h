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
  // Decodes with libjpeg. A null image on failure; the reason goes to `error` if given.
  static QImage Decode(const QByteArray& data, std::string* error = nullptr);
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
