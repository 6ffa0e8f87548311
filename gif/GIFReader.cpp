#include "GIFReader.h"

#include <algorithm>
#include <cstring>

#include "GIFMessages.h"
#include "LittleEndian.h"

// Format notes. A GIF file is a 6-byte signature ("GIF87a" or "GIF89a"), a 7-byte logical
// screen descriptor (width, height, packed flags, background index, aspect ratio) and an
// optional global colour table, then a sequence of blocks each starting with an
// introducer byte: "!" an extension (label byte, then sub-blocks), "," an image (9-byte
// descriptor, optional local table, minimum code size byte, sub-blocks), ";" the trailer.
// A sub-block is a length byte followed by that many bytes; a zero length ends the run.
// Numbers are little-endian.

namespace {

constexpr uint8_t kExtension = '!';
constexpr uint8_t kImage = ',';
constexpr uint8_t kTrailer = ';';

constexpr uint8_t kGraphicControl = 0xF9;
constexpr uint8_t kComment = 0xFE;
constexpr uint8_t kPlainText = 0x01;
constexpr uint8_t kApplication = 0xFF;

constexpr int kMaxRepeatCount = 30000;

// A bounds-checked cursor over the file's bytes.
class TByteReader {
 public:
  TByteReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}

  bool AtEnd() const { return FPos >= FSize; }
  size_t Remaining() const { return FSize - FPos; }
  int NextByte() { return AtEnd() ? -1 : FData[FPos++]; }
  // A fixed-size structure: a file cut inside it is the framework's read error.
  const uint8_t* Take(size_t count) {
    if (Remaining() < count) throw EGIFError(gmStreamRead);
    const uint8_t* start = FData + FPos;
    FPos += count;
    return start;
  }
  uint8_t TakeByte() { return *Take(1); }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

bool SameIgnoringCase(const uint8_t* bytes, const char* text, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t lower = (bytes[i] >= 'A' && bytes[i] <= 'Z') ? bytes[i] + 32 : bytes[i];
    if (lower != uint8_t(text[i])) return false;
  }
  return true;
}

TGIFVersion ReadSignature(TByteReader& in) {
  const uint8_t* header = in.Take(6);
  if (!SameIgnoringCase(header, "gif", 3)) throw EGIFError(gmUnknownVersion);
  if (SameIgnoringCase(header + 3, "87a", 3)) return gv87a;
  if (SameIgnoringCase(header + 3, "89a", 3)) return gv89a;
  throw EGIFError(gmUnknownVersion);
}

std::shared_ptr<const TGIFColorTable> ReadColorTable(TByteReader& in, int bits) {
  auto table = std::make_shared<TGIFColorTable>();
  table->Count = 1 << bits;
  std::memcpy(table->Colors.data(), in.Take(size_t(table->Count) * 3), size_t(table->Count) * 3);
  return table;
}

// The run of sub-blocks after an extension's fixed part, one line per sub-block.
TStringList ReadSubBlocks(TByteReader& in) {
  TStringList blocks;
  for (;;) {
    const uint8_t length = in.TakeByte();
    if (length == 0) return blocks;
    blocks.Add(std::string(reinterpret_cast<const char*>(in.Take(length)), length));
  }
}

std::string Joined(const TStringList& blocks) {
  std::string text;
  for (const std::string& block : blocks.Lines()) text += block;
  return text;
}

class TGIFReader {
 public:
  TGIFReader(const uint8_t* data, size_t size) : FIn(data, size) {}
  std::shared_ptr<const TGIFData> Read();

 private:
  void ReadScreen();
  void ReadBlocks();
  void ReadExtension();
  void ReadApplication(const uint8_t* header, const TStringList& blocks);
  void ReadFrame();
  void ReadImageData(TGIFItem& item);
  void ApplyGraphicControls(TGIFItem& item) const;
  void CoverFrames();
  void KeepTrailingComments();

  TByteReader FIn;
  std::shared_ptr<TGIFData> FData = std::make_shared<TGIFData>();
  std::vector<TExtension> FGathered;
};

std::shared_ptr<const TGIFData> TGIFReader::Read() {
  FData->Version = ReadSignature(FIn);
  ReadScreen();
  ReadBlocks();
  KeepTrailingComments();
  CoverFrames();
  return FData;
}

void TGIFReader::ReadScreen() {
  const uint8_t* screen = FIn.Take(7);
  FData->ScreenWidth = LoadLE16(screen);
  FData->ScreenHeight = LoadLE16(screen + 2);
  const uint8_t packed = screen[4];
  FData->BitsPerPixel = (packed & 7) + 1;
  FData->ColorResolution = ((packed >> 4) & 7) + 1;
  FData->BackgroundIndex = screen[5];
  FData->AspectRatio = screen[6];
  FData->ColorTable = (packed & 0x80) ? ReadColorTable(FIn, FData->BitsPerPixel)
                                      : std::make_shared<const TGIFColorTable>();
  FData->BackgroundColor = FData->ColorTable->Color(FData->BackgroundIndex);
}

void TGIFReader::ReadBlocks() {
  int introducer = FIn.NextByte();
  while (introducer > 0 && introducer != kTrailer) {
    if (introducer == kExtension) {
      ReadExtension();
      introducer = FIn.NextByte();  // end of data here counts as the trailer
    } else if (introducer == kImage) {
      ReadFrame();
      do introducer = FIn.NextByte();
      while (introducer == 0);
      // Whatever follows an image that is not a block ends the picture quietly: some
      // writers leave padding or junk after the last image.
      if (introducer != kExtension && introducer != kImage && introducer != kTrailer) break;
    } else {
      throw EGIFError(gmStreamRead);
    }
  }
}

void TGIFReader::ReadExtension() {
  const uint8_t label = FIn.TakeByte();
  TExtension extension;
  switch (label) {
    case kGraphicControl:
      extension.Kind = etGraphic;
      extension.Header.assign(reinterpret_cast<const char*>(FIn.Take(6)), 6);
      FGathered.push_back(std::move(extension));
      return;
    case kComment:
      extension.Kind = etComment;
      extension.Data = ReadSubBlocks(FIn);
      FGathered.push_back(std::move(extension));
      return;
    case kPlainText:
      FIn.Take(13);
      ReadSubBlocks(FIn);
      // Text drawn over the picture replaces what the gathered controls described.
      FGathered.clear();
      return;
    case kApplication: {
      const uint8_t* header = FIn.Take(12);
      ReadApplication(header, ReadSubBlocks(FIn));
      return;
    }
    default:
      throw EGIFError(gmUnknownExtension, label);
  }
}

// The loop extension: identifier and authentication code, then a sub-block 1, count.
void TGIFReader::ReadApplication(const uint8_t* header, const TStringList& blocks) {
  const bool loop = std::memcmp(header + 1, "NETSCAPE2.0", 11) == 0 ||
                    std::memcmp(header + 1, "ANIMEXTS1.0", 11) == 0;
  if (!loop || blocks.Count() == 0) return;
  const std::string& first = blocks[0];
  if (first.size() < 3 || first[0] != 1) return;
  FData->Looping = true;
  FData->RepeatCount =
      std::min(int(LoadLE16(reinterpret_cast<const uint8_t*>(first.data()) + 1)), kMaxRepeatCount);
}

void TGIFReader::ReadFrame() {
  auto item = std::make_shared<TGIFItem>();
  item->BitsPerPixel = FData->BitsPerPixel;
  item->Extensions = std::move(FGathered);
  FGathered.clear();

  const uint8_t* descriptor = FIn.Take(9);
  item->Left = LoadLE16(descriptor);
  item->Top = LoadLE16(descriptor + 2);
  item->Width = LoadLE16(descriptor + 4);
  item->Height = LoadLE16(descriptor + 6);
  if (item->Width == 0) item->Width = FData->ScreenWidth;
  if (item->Height == 0) item->Height = FData->ScreenHeight;
  const uint8_t packed = descriptor[8];
  item->Interlaced = (packed & 0x40) != 0;
  item->LocalColorTable = (packed & 0x80) != 0;
  if (item->LocalColorTable) {
    item->BitsPerPixel = (packed & 7) + 1;
    item->ColorTable = ReadColorTable(FIn, item->BitsPerPixel);
  } else {
    item->ColorTable = FData->ColorTable;
  }
  ReadImageData(*item);
  ApplyGraphicControls(*item);
  FData->Frames.push_back(std::move(item));
}

// Copies the compressed data as it stands; a cut-off file leaves the frame Corrupted
// rather than failing, so that what was received can still be shown: a sub-block cut
// short keeps its length byte and the bytes that did arrive.
void TGIFReader::ReadImageData(TGIFItem& item) {
  const int codeSize = FIn.NextByte();
  if (codeSize < 0) {
    item.Corrupted = true;
    return;
  }
  item.ImageData.push_back(char(codeSize));
  for (;;) {
    const int length = FIn.NextByte();
    if (length < 0) {
      item.Corrupted = true;
      return;
    }
    item.ImageData.push_back(char(length));
    if (length == 0) return;
    const size_t arrived = std::min(FIn.Remaining(), size_t(length));
    item.ImageData.append(reinterpret_cast<const char*>(FIn.Take(arrived)), arrived);
    if (arrived < size_t(length)) {
      item.Corrupted = true;
      return;
    }
  }
}

// Graphic control extension record: block size, packed field (bits 2-4 disposal, bit 0
// transparency), delay in hundredths of a second, transparent index, terminator.
void TGIFReader::ApplyGraphicControls(TGIFItem& item) const {
  int largestDelay = 0;
  for (const TExtension& extension : item.Extensions) {
    if (extension.Kind != etGraphic) continue;
    const auto* record = reinterpret_cast<const uint8_t*>(extension.Header.data());
    const uint8_t packed = record[1];
    largestDelay = std::max(largestDelay, int(LoadLE16(record + 2)));
    item.Disposal = (packed >> 2) & 7;
    if (packed & 1) {
      const TColor color = item.ColorTable->Color(record[4]);
      if (color != clNone) item.TransparentColor = color;
    }
  }
  // Ten times a long delay does not fit 16 bits: it saturates rather than wrapping round
  // to a short one.
  item.Delay = uint16_t(std::min(largestDelay * 10, 0xFFFF));
}

// The screen is raised to cover every frame. A screen too large to hold, or frames that
// together would be, fail here, so no later allocation is ever sized by a damaged header
// and the decoded frames that a picture keeps stay within one budget.
void TGIFReader::CoverFrames() {
  int64_t framePixels = 0;
  for (const auto& item : FData->Frames) {
    FData->ScreenWidth = std::max(FData->ScreenWidth, item->Left + item->Width);
    FData->ScreenHeight = std::max(FData->ScreenHeight, item->Top + item->Height);
    framePixels += int64_t(item->Width) * item->Height;
  }
  if (int64_t(FData->ScreenWidth) * FData->ScreenHeight > GIFMaxPixels ||
      framePixels > GIFMaxPixels)
    throw EGIFError(gmTooLarge);
}

// What is still gathered stood after the last image: only its comments have a place.
void TGIFReader::KeepTrailingComments() {
  if (FData->Frames.empty() || FData->Comment.Count() != 0) return;
  std::string text;
  for (const TExtension& extension : FGathered) {
    if (extension.Kind != etComment) continue;
    if (!text.empty()) text += "\r\n\r\n";
    text += Joined(extension.Data);
  }
  FData->Comment.SetText(text);
}

}  // namespace

std::shared_ptr<const TGIFData> ReadGIF(const uint8_t* data, size_t size) {
  return TGIFReader(data, size).Read();
}
