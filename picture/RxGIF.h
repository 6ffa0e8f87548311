#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "GIFDecoder.h"
#include "GIFMessages.h"
#include "GIFTypes.h"

class TMemoryStream;

// One image of a GIF picture. The data read from the file is shared by every copy; the
// bitmap is decoded on first use, once, and kept.
class TGIFFrame {
 public:
  explicit TGIFFrame(std::shared_ptr<const TGIFItem> item);
  // A frame made from a picture (assigning a bitmap to an image); it has no image data.
  static std::shared_ptr<TGIFFrame> FromBitmap(const QImage& bitmap);

  TGIFFrame(const TGIFFrame&) = delete;
  TGIFFrame& operator=(const TGIFFrame&) = delete;

  int Left() const { return FItem->Left; }
  int Top() const { return FItem->Top; }
  int Width() const { return FItem->Width; }
  int Height() const { return FItem->Height; }
  bool Interlaced() const { return FItem->Interlaced; }
  bool LocalColorTable() const { return FItem->LocalColorTable; }
  int BitsPerPixel() const { return FItem->BitsPerPixel; }
  const TGIFColorTable& ColorTable() const { return *FItem->ColorTable; }
  // Milliseconds: ten times the largest delay before the image, at most 65 535.
  uint16_t Delay() const { return FItem->Delay; }
  // 0 and 1 leave the frame, 2 restores the background, 3 the previous picture.
  int Disposal() const { return FItem->Disposal; }
  TColor TransparentColor() const { return FItem->TransparentColor; }
  const std::vector<TExtension>& Extensions() const { return FItem->Extensions; }
  const std::string& ImageData() const { return FItem->ImageData; }

  // The data was cut short or the decoder met invalid data. Decodes the frame first, so
  // the answer covers both.
  bool Corrupted() const;
  // The decoded picture in the frame's own rectangle: QImage::Format_Indexed8 whatever
  // the depth, with a colour table of 2^depth entries (depth 1, 4 or 8 from the frame's
  // table; entries the table lacks are grey 128, 128, 128). Throws EGIFError when the
  // bitmap cannot be allocated.
  const QImage& Bitmap() const;
  // Draws the bitmap stretched to `rect`. With `transparent` and a transparent colour,
  // pixels of that colour leave the canvas unchanged.
  void Draw(QPainter& canvas, const QRect& rect, bool transparent) const;

 private:
  friend class TGIFImage;
  void Decode(const TGIFProgress& progress) const;  // under FLock
  bool Decoded() const;
  const QImage& DecodedBitmap(const TGIFProgress& progress) const;

  std::shared_ptr<const TGIFItem> FItem;
  mutable std::mutex FLock;  // an animator may compose on its timer's thread
  mutable bool FDecoded = false;
  mutable bool FDecodeCorrupted = false;
  mutable QImage FBitmap;
  // The bitmap's pixels (not a copy) with its transparent colour's entries see-through.
  mutable QImage FMasked;
};

// A GIF picture: the logical screen, its colours and its frames. Assigning one picture to
// another shares the read data and the decoded frames.
enum TProgressStage { psStarting, psRunning, psEnding };

class TGIFImage {
 public:
  using TChangeEvent = std::function<void(TGIFImage* Sender)>;
  using TProgressEvent =
      std::function<void(TGIFImage* Sender, TProgressStage Stage, int PercentDone)>;

  TGIFImage();
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  // Every load replaces the whole picture, decodes frame 0 at once, marks the palette
  // changed and fires OnChange. A file that fails to read throws EGIFError and leaves
  // the picture as it was; if frame 0 cannot be decoded it is removed and the error
  // passes on.
  void LoadFromData(const uint8_t* data, size_t size);
  void LoadFromData(const QByteArray& bytes);
  // The bytes from the stream's position to its end.
  void LoadFromStream(TMemoryStream& stream);
  // Throws EGIFError(gmStreamRead) when the file cannot be read.
  void LoadFromFile(const QString& fileName);
  // The form data `Image.Data`: a 32-bit little-endian byte count, then the file.
  void ReadData(TMemoryStream& stream);
  void LoadFromFormData(const QByteArray& data);

  void Assign(const TGIFImage& source);
  // One frame (sharing its data); the screen is the frame's extent.
  void Assign(const TGIFFrame& frame);
  // One frame holding the bitmap, converted to 8-bit indexed colour when it is not.
  void AssignBitmap(const QImage& bitmap);
  void Clear();

  bool Empty() const { return FFrames.empty(); }
  int Count() const { return int(FFrames.size()); }
  // Frame `index`, zero-based; throws Exception outside 0 .. Count() - 1.
  const TGIFFrame& Frames(int index) const;
  // -1 when empty, 0 after loading. Setting it fires no change: the animator keeps its
  // frame here and tells its own listeners.
  int FrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int value);

  TGIFVersion Version() const { return Data().Version; }
  // The logical screen, raised to cover every frame; 0 for an empty image.
  int ScreenWidth() const;
  int ScreenHeight() const;
  int Width() const { return ScreenWidth(); }
  int Height() const { return ScreenHeight(); }
  // The size is the file's: both throw EGIFError(gmChangeSize).
  [[noreturn]] void SetWidth(int value);
  [[noreturn]] void SetHeight(int value);

  // The global table's entry for the background index; clNone without one.
  TColor BackgroundColor() const { return Data().BackgroundColor; }
  int BitsPerPixel() const { return Data().BitsPerPixel; }
  int ColorResolution() const { return Data().ColorResolution; }
  uint8_t AspectRatio() const { return Data().AspectRatio; }
  const TGIFColorTable& ColorTable() const { return *Data().ColorTable; }
  // From a loop application extension; kept with the picture, playback ignores them.
  bool Looping() const { return Data().Looping; }
  int RepeatCount() const { return Data().RepeatCount; }
  const TStringList& Comment() const { return Data().Comment; }

  // Whether the picture counts as transparent: the flag (true at creation) is set and
  // at least one frame has a transparent colour.
  bool Transparent() const;
  void SetTransparent(bool value) { FTransparent = value; }

  // The current frame's palette (its bitmap's colour table); empty for an empty image.
  QList<QRgb> Palette() const;
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool value) { FPaletteModified = value; }

  // The current frame's bitmap; a null image when empty.
  QImage Bitmap() const;
  // The current frame stretched to `rect`, transparently when the picture counts as
  // transparent.
  void Draw(QPainter& canvas, const QRect& rect) const;

  TChangeEvent OnChange;
  // Decoding that the picture itself starts (frame 0 on loading, the current frame for
  // Bitmap, Palette and Draw) reports its progress here: starting, running with the
  // percentage of compressed data consumed, ending. A frame decoded through its own
  // Bitmap has no picture to report to, since frames may be shared by several.
  TProgressEvent OnProgress;

 private:
  const QImage& CurrentBitmap() const;
  const TGIFData& Data() const;
  void Install(std::shared_ptr<const TGIFData> data,
               std::vector<std::shared_ptr<TGIFFrame>> frames);
  void Changed();

  std::shared_ptr<const TGIFData> FData;
  std::vector<std::shared_ptr<TGIFFrame>> FFrames;
  int FFrameIndex = -1;
  bool FTransparent = true;
  bool FPaletteModified = false;
};
