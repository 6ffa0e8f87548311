#include "Picture.h"

#include <QFile>

#include "JpegImage.h"
#include "QtCodepage.h"

void TPicture::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EInvalidGraphic("Cannot open picture file " +
                          FromQString(fileName));
  LoadFromData(file.readAll());
}

void TPicture::LoadFromData(const QByteArray& data) {
  if (TJPEGImage::IsJpeg(data)) {
    TJPEGImage jpeg;
    jpeg.LoadFromData(data);
    FImage = jpeg.Image();
    return;
  }
  QImage image = QImage::fromData(data);
  if (image.isNull()) throw EInvalidGraphic("Bitmap image is not valid");
  FImage = std::move(image);
}
