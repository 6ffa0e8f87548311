#include "RPFontCache.h"

#include <QFontMetrics>
#include <algorithm>

#include "QtCodepage.h"

const TRPCachedFont& TRPFontCache::Realise(const TRPFontKey& key) {
  for (auto it = FEntries.begin(); it != FEntries.end(); ++it) {
    if (it->Key == key) {
      FEntries.splice(FEntries.begin(), FEntries, it);
      return FEntries.front();
    }
  }
  FEntries.push_front(Make(key));
  ++FCreated;
  if (FEntries.size() > MaxCount) FEntries.pop_back();
  return FEntries.front();
}

TRPCachedFont TRPFontCache::Make(const TRPFontKey& key) {
  // Face names are the engine's bytes; fontconfig maps the classic names to
  // metric-compatible faces.
  QFont font(ToQString(key.Name));
  font.setPixelSize(std::max(1, key.PixelHeight));
  font.setWeight(key.Bold ? QFont::Bold : QFont::Normal);
  font.setItalic(key.Italic);
  font.setUnderline(key.Underline);
  font.setStrikeOut(key.StrikeOut);
  if (key.Pitch == 2) {
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
  }
  // Glyph advances must be the face's design widths so that what is measured here is
  // what lands on paper, whatever the device.
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  if (key.PixelWidth > 0) {
    const QFontMetricsF natural =
        key.Device ? QFontMetricsF(font, key.Device) : QFontMetricsF(font);
    const double average = natural.averageCharWidth();
    if (average > 0) font.setStretch(std::clamp(int(100.0 * key.PixelWidth / average), 1, 4000));
  }
  QFontMetricsF metrics = key.Device ? QFontMetricsF(font, key.Device) : QFontMetricsF(font);
  TRPCachedFont entry{key, font, metrics};
  entry.Ascent = int(std::lround(metrics.ascent()));
  entry.Descent = int(std::lround(metrics.descent()));
  entry.InternalLeading = std::max(0, entry.Ascent + entry.Descent - std::max(1, key.PixelHeight));
  return entry;
}
