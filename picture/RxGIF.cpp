#include "RxGIF.h"

#include <QFile>
#include <algorithm>

#include "GIFDecoder.h"
#include "GIFReader.h"
#include "LittleEndian.h"
#include "MemoryStream.h"
#include "QtColor.h"

namespace {

// The bitmap's palette: the table's entries, then grey for what the depth has beyond it.
QList<QRgb> BitmapPalette(const TGIFColorTable& table, int depth) {
  QList<QRgb> palette(1 << depth, ColorToRgb(clGray));
  for (int i = 0; i < std::min(table.Count, int(palette.size())); ++i) {
    palette[i] = qRgb(table.Colors[i][0], table.Colors[i][1], table.Colors[i][2]);
  }
  return palette;
}

const TGIFData& EmptyData() {
  static const TGIFData empty = [] {
    TGIFData data;
    data.ColorTable = std::make_shared<const TGIFColorTable>();
    return data;
  }();
  return empty;
}

}  // namespace

// ---- TGIFFrame ----

TGIFFrame::TGIFFrame(std::shared_ptr<const TGIFItem> item) : FItem(std::move(item)) {}

std::shared_ptr<TGIFFrame> TGIFFrame::FromBitmap(const QImage& bitmap) {
  QImage indexed = bitmap.format() == QImage::Format_Indexed8
                       ? bitmap
                       : bitmap.convertToFormat(QImage::Format_Indexed8);
  auto table = std::make_shared<TGIFColorTable>();
  table->Count = std::min(int(indexed.colorCount()), 256);
  for (int i = 0; i < table->Count; ++i) {
    const QRgb rgb = indexed.color(i);
    table->Colors[i] = {uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb))};
  }
  auto item = std::make_shared<TGIFItem>();
  item->Width = indexed.width();
  item->Height = indexed.height();
  item->BitsPerPixel = 1;
  while ((1 << item->BitsPerPixel) < table->Count) ++item->BitsPerPixel;
  item->LocalColorTable = true;
  item->ColorTable = std::move(table);
  auto frame = std::make_shared<TGIFFrame>(std::move(item));
  indexed.setColorTable(
      BitmapPalette(*frame->FItem->ColorTable, GIFBitmapDepth(frame->BitsPerPixel())));
  frame->FBitmap = indexed;
  frame->FDecoded = true;
  return frame;
}

void TGIFFrame::Decode(const TGIFProgress& progress) const {
  if (FDecoded) return;
  const int depth = GIFBitmapDepth(FItem->BitsPerPixel);
  TGIFPixels pixels = DecodeGIFFrame(*FItem, progress);
  FDecodeCorrupted = pixels.Corrupted;
  if (pixels.Width > 0 && pixels.Height > 0) {
    // The image takes the decoder's buffer over: no copy of a large frame.
    uint8_t* buffer = pixels.Indices.release();
    QImage bitmap(
        buffer, pixels.Width, pixels.Height, pixels.Width, QImage::Format_Indexed8,
        [](void* p) { std::free(p); }, buffer);
    if (bitmap.isNull()) {
      std::free(buffer);
      throw EGIFError(gmOutOfMemory);
    }
    bitmap.setColorTable(BitmapPalette(*FItem->ColorTable, depth));
    FBitmap = std::move(bitmap);
  }
  FDecoded = true;
}

bool TGIFFrame::Corrupted() const {
  std::lock_guard lock(FLock);
  Decode({});
  return FItem->Corrupted || FDecodeCorrupted;
}

const QImage& TGIFFrame::Bitmap() const {
  return DecodedBitmap({});
}

bool TGIFFrame::Decoded() const {
  std::lock_guard lock(FLock);
  return FDecoded;
}

const QImage& TGIFFrame::DecodedBitmap(const TGIFProgress& progress) const {
  std::lock_guard lock(FLock);
  Decode(progress);
  return FBitmap;
}

void TGIFFrame::Draw(QPainter& canvas, const QRect& rect, bool transparent) const {
  std::lock_guard lock(FLock);
  Decode({});
  if (FBitmap.isNull()) return;
  if (!transparent || FItem->TransparentColor == clNone) {
    canvas.drawImage(rect, FBitmap);
    return;
  }
  if (FMasked.isNull()) {
    // Every entry of the transparent colour, not just the named index: the mask is made
    // by colour. Only the palette differs, so the pixels are the bitmap's own, not a
    // second copy of every transparent frame.
    QImage masked(FBitmap.constBits(), FBitmap.width(), FBitmap.height(), FBitmap.bytesPerLine(),
                  FBitmap.format());
    QList<QRgb> palette = FBitmap.colorTable();
    const QRgb see = ColorToRgb(FItem->TransparentColor);
    for (QRgb& entry : palette) {
      if (entry == see) entry = qRgba(0, 0, 0, 0);
    }
    masked.setColorTable(palette);
    FMasked = std::move(masked);
  }
  canvas.drawImage(rect, FMasked);
}

// ---- TGIFImage ----

TGIFImage::TGIFImage() = default;

void TGIFImage::LoadFromData(const uint8_t* data, size_t size) {
  std::shared_ptr<const TGIFData> read = ReadGIF(data, size);
  std::vector<std::shared_ptr<TGIFFrame>> frames;
  frames.reserve(read->Frames.size());
  for (const auto& item : read->Frames) frames.push_back(std::make_shared<TGIFFrame>(item));
  Install(std::move(read), std::move(frames));
  if (!FFrames.empty()) {
    try {
      CurrentBitmap();
    } catch (...) {
      FFrames.erase(FFrames.begin());
      FFrameIndex = FFrames.empty() ? -1 : 0;
      throw;
    }
  }
  FPaletteModified = true;
  Changed();
}

void TGIFImage::LoadFromData(const QByteArray& bytes) {
  LoadFromData(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

void TGIFImage::LoadFromStream(TMemoryStream& stream) {
  const int64_t start = stream.Position();
  stream.SetPosition(stream.Size());
  LoadFromData(stream.Memory() + start, size_t(stream.Size() - start));
}

void TGIFImage::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) throw EGIFError(gmStreamRead);
  LoadFromData(file.readAll());
}

void TGIFImage::ReadData(TMemoryStream& stream) {
  uint8_t count[4];
  if (stream.Read(count, 4) != 4) throw EGIFError(gmStreamRead);
  const uint32_t size = LoadLE32(count);
  // The count is checked against what the stream holds before anything is taken.
  if (stream.Size() - stream.Position() < int64_t(size)) throw EGIFError(gmStreamRead);
  const uint8_t* start = stream.Memory() + stream.Position();
  stream.SetPosition(stream.Position() + size);
  LoadFromData(start, size);
}

void TGIFImage::LoadFromFormData(const QByteArray& data) {
  TMemoryStream stream;
  stream.Write(data.constData(), data.size());
  stream.SetPosition(0);
  ReadData(stream);
}

void TGIFImage::Assign(const TGIFImage& source) {
  if (&source == this) return;
  Install(source.FData, source.FFrames);
  FFrameIndex = source.FFrameIndex;
  FTransparent = source.FTransparent;
  FPaletteModified = true;
  Changed();
}

void TGIFImage::Assign(const TGIFFrame& frame) {
  auto data = std::make_shared<TGIFData>();
  data->Version = gv89a;
  data->ScreenWidth = frame.Left() + frame.Width();
  data->ScreenHeight = frame.Top() + frame.Height();
  data->BitsPerPixel = frame.BitsPerPixel();
  data->ColorTable = std::make_shared<const TGIFColorTable>(frame.ColorTable());
  auto copy = std::make_shared<TGIFFrame>(frame.FItem);
  {
    std::lock_guard lock(frame.FLock);
    copy->FDecoded = frame.FDecoded;
    copy->FDecodeCorrupted = frame.FDecodeCorrupted;
    copy->FBitmap = frame.FBitmap;
  }
  Install(std::move(data), {std::move(copy)});
  FPaletteModified = true;
  Changed();
}

void TGIFImage::AssignBitmap(const QImage& bitmap) {
  auto frame = TGIFFrame::FromBitmap(bitmap);
  auto data = std::make_shared<TGIFData>();
  data->Version = gv89a;
  data->ScreenWidth = frame->Width();
  data->ScreenHeight = frame->Height();
  data->BitsPerPixel = frame->BitsPerPixel();
  data->ColorTable = std::make_shared<const TGIFColorTable>(frame->ColorTable());
  Install(std::move(data), {std::move(frame)});
  FPaletteModified = true;
  Changed();
}

void TGIFImage::Clear() {
  Install(nullptr, {});
  Changed();
}

void TGIFImage::Install(std::shared_ptr<const TGIFData> data,
                        std::vector<std::shared_ptr<TGIFFrame>> frames) {
  FData = std::move(data);
  FFrames = std::move(frames);
  FFrameIndex = FFrames.empty() ? -1 : 0;
}

void TGIFImage::Changed() {
  if (OnChange) OnChange(this);
}

const TGIFFrame& TGIFImage::Frames(int index) const {
  CheckListIndex(index, Count());
  return *FFrames[size_t(index)];
}

void TGIFImage::SetFrameIndex(int value) {
  if (value >= 0 && value < Count()) FFrameIndex = value;
}

const TGIFData& TGIFImage::Data() const {
  return FData ? *FData : EmptyData();
}

int TGIFImage::ScreenWidth() const {
  return Empty() ? 0 : FData->ScreenWidth;
}
int TGIFImage::ScreenHeight() const {
  return Empty() ? 0 : FData->ScreenHeight;
}

void TGIFImage::SetWidth(int) {
  throw EGIFError(gmChangeSize);
}
void TGIFImage::SetHeight(int) {
  throw EGIFError(gmChangeSize);
}

bool TGIFImage::Transparent() const {
  return FTransparent && std::any_of(FFrames.begin(), FFrames.end(), [](const auto& frame) {
           return frame->TransparentColor() != clNone;
         });
}

const QImage& TGIFImage::CurrentBitmap() const {
  const TGIFFrame& frame = Frames(FFrameIndex);
  if (!OnProgress || frame.Decoded()) return frame.Bitmap();
  auto* self = const_cast<TGIFImage*>(this);
  OnProgress(self, psStarting, 0);
  const QImage& bitmap =
      frame.DecodedBitmap([&](int percent) { OnProgress(self, psRunning, percent); });
  OnProgress(self, psEnding, 100);
  return bitmap;
}

QList<QRgb> TGIFImage::Palette() const {
  return Empty() ? QList<QRgb>() : CurrentBitmap().colorTable();
}

QImage TGIFImage::Bitmap() const {
  return Empty() ? QImage() : CurrentBitmap();
}

void TGIFImage::Draw(QPainter& canvas, const QRect& rect) const {
  if (Empty()) return;
  CurrentBitmap();
  Frames(FFrameIndex).Draw(canvas, rect, Transparent());
}
