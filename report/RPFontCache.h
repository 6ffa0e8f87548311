#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <list>
#include <string>

class QPaintDevice;

// The attributes that make one platform font: two requests with equal keys share it.
struct TRPFontKey {
  std::string Name;
  int Pitch = 0;
  int PixelHeight = 0;  // em height in device pixels
  int PixelWidth = 0;   // 0: the face's own proportions
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool Superscript = false;
  bool Subscript = false;
  int Rotation = 0;
  int Charset = 1;
  const QPaintDevice* Device = nullptr;  // metrics differ between devices
  bool operator==(const TRPFontKey&) const = default;
};

// A realised font with the metrics the writer reads from it, in device pixels.
struct TRPCachedFont {
  TRPFontKey Key;
  QFont Font;
  QFontMetricsF Metrics;
  int Ascent = 0;
  int Descent = 0;
  int InternalLeading = 0;
};

// Fonts made during one job, most recently used first, so that measuring word after
// word at one font never builds the font again. A long job that asks for many sizes (a
// replayed stream fits each recorded size in steps) keeps only the most recent ones.
class TRPFontCache {
 public:
  static constexpr int MaxCount = 64;
  // The entry for key, made on a miss; a hit moves to the front.
  const TRPCachedFont& Realise(const TRPFontKey& key);
  void Clear() { FEntries.clear(); }
  int Count() const { return int(FEntries.size()); }
  // How many fonts were built since the cache was made (misses).
  int Created() const { return FCreated; }
  const TRPFontKey& Front() const { return FEntries.front().Key; }

 private:
  static TRPCachedFont Make(const TRPFontKey& key);

  std::list<TRPCachedFont> FEntries;
  int FCreated = 0;
};
