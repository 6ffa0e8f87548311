#include "JpegImage.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "QtCodepage.h"

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

// libjpeg reports fatal errors by calling error_exit, which must not return. Throwing a
// C++ exception through the C library is undefined, so we jump back instead; the
// functions that set the jump point hold only trivially destructible locals, so no
// destructor is skipped.
struct TErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf JumpBack;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<TErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->Message);
  std::longjmp(manager->JumpBack, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  // The library pads a truncated file with grey and calls it a warning; a half-grey
  // splash is not a picture we want to show, so truncation is a failure.
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
  if (level < 0) cinfo->err->num_warnings++;
}

void OutputNothing(j_common_ptr) {}

// Each scan of a progressive picture walks all its blocks once more, and a hostile file
// can hold tens of thousands of empty scans; ordinary files have about ten.
[[noreturn]] void TooManyScans(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<TErrorManager*>(cinfo->err);
  std::snprintf(manager->Message, sizeof manager->Message, "JPEG image has more than %d scans",
                TJPEGImage::MaxScans);
  std::longjmp(manager->JumpBack, 1);
}

void CheckScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > TJPEGImage::MaxScans)
    TooManyScans(cinfo);
}

struct TDecoder {
  jpeg_decompress_struct Info;
  TErrorManager Error;
  jpeg_progress_mgr Progress;
};

bool ReadHeader(TDecoder& decoder, const unsigned char* data, unsigned long size) {
  if (setjmp(decoder.Error.JumpBack)) return false;
  jpeg_create_decompress(&decoder.Info);
  decoder.Progress.progress_monitor = CheckScans;
  decoder.Info.progress = &decoder.Progress;
  jpeg_mem_src(&decoder.Info, data, size);
  jpeg_read_header(&decoder.Info, TRUE);
  const bool cmyk =
      decoder.Info.jpeg_color_space == JCS_CMYK || decoder.Info.jpeg_color_space == JCS_YCCK;
  decoder.Info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&decoder.Info);
  return true;
}

bool ReadRows(TDecoder& decoder, unsigned char* rows, int stride) {
  if (setjmp(decoder.Error.JumpBack)) return false;
  while (decoder.Info.output_scanline < decoder.Info.output_height) {
    JSAMPROW row = rows + qsizetype(decoder.Info.output_scanline) * stride;
    jpeg_read_scanlines(&decoder.Info, &row, 1);
  }
  jpeg_finish_decompress(&decoder.Info);
  return true;
}

void Destroy(TDecoder& decoder) {
  if (setjmp(decoder.Error.JumpBack)) return;
  jpeg_destroy_decompress(&decoder.Info);
}

// CMYK JPEGs come from Adobe software with the channels stored inverted.
void CmykToRgb(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const auto* b = reinterpret_cast<const unsigned char*>(&pixel[x]);
      const int k = b[3];
      pixel[x] = qRgb(b[0] * k / 255, b[1] * k / 255, b[2] * k / 255);
    }
  }
}

std::string Fail(std::string* error, std::string message) {
  if (error) *error = message;
  return message;
}

}  // namespace

QImage TJPEGImage::Decode(const QByteArray& data, std::string* error, qint64 maxPixels) {
  if (!IsJpeg(data)) {
    Fail(error, "Not a JPEG file");
    return {};
  }
  TDecoder decoder{};
  decoder.Info.err = jpeg_std_error(&decoder.Error.Base);
  decoder.Error.Base.error_exit = ErrorExit;
  decoder.Error.Base.emit_message = EmitMessage;
  decoder.Error.Base.output_message = OutputNothing;
  std::strcpy(decoder.Error.Message, "JPEG error");

  QImage image;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
  bool ok = ReadHeader(decoder, bytes, static_cast<unsigned long>(data.size()));
  if (ok) {
    const int width = int(decoder.Info.output_width);
    const int height = int(decoder.Info.output_height);
    const bool cmyk = decoder.Info.out_color_space == JCS_CMYK;
    if (qint64(width) * height > maxPixels) {
      std::snprintf(decoder.Error.Message, sizeof decoder.Error.Message,
                    "JPEG image too large (%d x %d)", width, height);
      ok = false;
    } else {
      image = QImage(width, height, cmyk ? QImage::Format_RGB32 : QImage::Format_RGB888);
      ok = !image.isNull() && ReadRows(decoder, image.bits(), int(image.bytesPerLine()));
      if (image.isNull()) std::strcpy(decoder.Error.Message, "Out of memory for the JPEG image");
      if (ok && cmyk) CmykToRgb(image);
    }
  }
  const std::string message = decoder.Error.Message;
  Destroy(decoder);
  if (!ok) {
    Fail(error, message);
    return {};
  }
  return image;
}

bool TJPEGImage::IsJpeg(const QByteArray& data) {
  return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 &&
         uchar(data[2]) == 0xFF;
}

void TJPEGImage::LoadFromData(const QByteArray& data) {
  std::string error;
  QImage image = Decode(data, &error);
  if (image.isNull()) throw EJPEG(error);
  FData = data;
  FImage = std::move(image);
}

void TJPEGImage::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EJPEG("Cannot open JPEG file " + FromQString(fileName));
  LoadFromData(file.readAll());
}
