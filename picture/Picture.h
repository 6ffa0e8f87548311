#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "Exception.h"

// A picture file could not be read.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// The holder behind every "picture" property: a JPEG (decoded by TJPEGImage) or any
// format Qt reads (BMP, PNG, ...). It is a value: components that take a picture keep
// their own copy.
class TPicture {
 public:
  TPicture() = default;
  explicit TPicture(QImage image) : FImage(std::move(image)) {}

  // Both throw EInvalidGraphic (EJPEG for a damaged JPEG) and keep the old picture.
  // File names may be Qt resource paths (":/...").
  void LoadFromFile(const QString& fileName);
  void LoadFromData(const QByteArray& data);

  void Assign(const TPicture& source) { *this = source; }
  void SetImage(const QImage& image) { FImage = image; }
  void Clear() { FImage = QImage(); }

  bool HasGraphic() const { return !FImage.isNull(); }
  int Width() const { return FImage.width(); }
  int Height() const { return FImage.height(); }
  const QImage& Image() const { return FImage; }

 private:
  QImage FImage;
};
