#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Color.h"
#include "StringList.h"

enum TGIFVersion { gvNone, gv87a, gv89a };

// A global or local colour table: Count entries of red, green, blue.
struct TGIFColorTable {
  int Count = 0;
  std::array<std::array<uint8_t, 3>, 256> Colors{};

  // The entry's colour, or clNone for an index outside the table.
  TColor Color(int index) const {
    if (index < 0 || index >= Count) return clNone;
    return RGBToColor(Colors[index][0], Colors[index][1], Colors[index][2]);
  }
};

enum TExtensionKind { etGraphic, etPlainText, etApplication, etComment };

// An extension block kept with the image that follows it.
struct TExtension {
  TExtensionKind Kind = etGraphic;
  // The fixed part after the label: the six bytes of a graphic control extension, the
  // header of a plain-text or application extension; empty for a comment.
  std::string Header;
  // One line per sub-block, as read.
  TStringList Data;
};

// One image of a file as read: shared between every copy of the picture.
struct TGIFItem {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Interlaced = false;
  bool LocalColorTable = false;
  int BitsPerPixel = 1;
  // The local table, or the global one when the image has none.
  std::shared_ptr<const TGIFColorTable> ColorTable;
  TColor TransparentColor = clNone;
  uint16_t Delay = 0;  // milliseconds
  int Disposal = 0;
  std::vector<TExtension> Extensions;
  // The minimum code size byte, then every sub-block with its length byte, up to and
  // including the zero-length terminator (when the file has it).
  std::string ImageData;
  // The data was cut short.
  bool Corrupted = false;
};

// The picture as read: screen, global table, loop and comment, and its images.
struct TGIFData {
  TGIFVersion Version = gvNone;
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  int BackgroundIndex = 0;
  TColor BackgroundColor = clNone;
  int BitsPerPixel = 1;
  int ColorResolution = 1;
  uint8_t AspectRatio = 0;
  std::shared_ptr<const TGIFColorTable> ColorTable;  // empty table when the file has none
  bool Looping = false;
  int RepeatCount = 1;
  TStringList Comment;
  std::vector<std::shared_ptr<const TGIFItem>> Frames;
};
