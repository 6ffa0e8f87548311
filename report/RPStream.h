#pragma once

#include <qnamespace.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"

// Reading a report stream back: the header, page records and commands, each decoded by
// its parameter layout so that the replaying writers and the dump tool agree on the
// format.
//
// Format notes. Little-endian. byte, short (2, signed), int (4, signed), real (IEEE
// single). A string is its length then its bytes: one length byte up to 191, else
// 0xC0 + the high six bits and then the low eight. A point is two reals. A graphic is a
// kind byte (1 bitmap, 2 metafile, 3 icon, 4 other; +128 for a reference) and either the
// int position of an earlier copy or an int count and the saved graphic. A named value is
// a byte n, a byte m and n bytes: m below 254 keeps the first m bytes, 254 and 255 say
// the first four bytes are the position of the value to read instead.
//
// Everything is bounds-checked: a stream that ends early, holds a length beyond its end,
// a reference that does not point back to an earlier field, or a real that is not a
// plain finite number raises the damaged-stream error, whatever the stream says.

namespace RPStream {

inline constexpr const char* BadHeader = "Unexpected header code found in report file.";
inline constexpr const char* BadCode = "Unexpected code found in report file.";

enum : uint8_t {
  cmArc = 1,
  cmBrushCopy = 2,
  cmChord = 3,
  cmCopyRect = 4,
  cmDraw = 5,
  cmDrawFocusRect = 6,
  cmEllipse = 7,
  cmFillRect = 8,
  cmFloodFill = 9,
  cmFrameRect = 10,
  cmLineTo = 11,
  cmMoveTo = 12,
  cmPie = 13,
  cmPolygon = 14,
  cmPolyline = 15,
  cmPrintBitmap = 16,
  cmPrintBitmapRect = 17,
  cmRectangle = 18,
  cmTabRectangle = 19,
  cmRoundRect = 20,
  cmStretchDraw = 21,
  cmTextRect = 22,
  cmCenterText = 23,
  cmLeftText = 24,
  cmRightText = 25,
  cmBKMode = 26,
  cmBackColor = 27,
  cmScaleX = 28,
  cmScaleY = 29,
  cmPrintData = 30,
  cmPrintDataStream = 31,
  cmOldBlockText = 32,
  cmBlockText = 33,
  cmGraphicMode = 34,
  cmDeviceByte = 35,
  cmImageRect = 36,
  cmNamedValue = 37,
  cmOldBrush = 40,
  cmBrushColor = 41,
  cmBrushStyle = 42,
  cmBrushBitmap = 43,
  cmOldFont = 50,
  cmFontName = 51,
  cmFontColor = 52,
  cmFontPitch = 53,
  cmFontSize = 54,
  cmFontBold = 55,
  cmFontUnderline = 56,
  cmFontItalic = 57,
  cmFontStrikeOut = 58,
  cmFontSuperscript = 59,
  cmFontSubscript = 60,
  cmFontRotation = 61,
  cmFontAlign = 62,
  cmFontCharset = 63,
  cmOldPen = 70,
  cmPenColor = 71,
  cmPenMode = 72,
  cmPenStyle = 73,
  cmPenWidth = 74,
  cmPage = 80,
  cmEndPage = 82,
  cmLineMetrics = 83,
  cmPreviewOnly = 84,
  cmPrinterOnly = 85,
  cmBoth = 86,
  cmOrientation = 87,
  cmPaperBin = 88,
  cmHeader = 90,
};

// The text written in front of a macro inside recorded text, and the value macro's
// delimiters.
inline constexpr char MacroMark = '\xFD';
inline constexpr char ValueStart = '\xFC';
inline constexpr char ValueEnd = '\xFB';

// Whether the text holds a macro: the mark followed by "$RPCM" or "$RPCV". The mark on its
// own is the letter "э" of Windows-1251, ordinary text.
inline bool HoldsMacro(std::string_view text) {
  for (size_t at = text.find(MacroMark); at != std::string_view::npos;
       at = text.find(MacroMark, at + 1)) {
    const std::string_view rest = text.substr(at + 1);
    if (rest.starts_with("$RPCM") || rest.starts_with("$RPCV")) return true;
  }
  return false;
}

// The text whose width at the recording font the font-size command carries, so that a
// replay can fit the font to the recording's metrics.
inline constexpr const char* ReferenceText =
    "abcdefg hijklmnop qrstuv wxyz ABCDEFG HIJKLMNOP QRSTUV WXYZ 0123456789";

// A brush or pen style's code is its position in these tables (brushes: solid, clear, then
// the six hatches; pens: solid, dash, dot, dash-dot, dash-dot-dot, clear). A style without
// a code is written as the first, and a code out of range is read as the first.
inline constexpr std::array BrushStyles{Qt::SolidPattern, Qt::NoBrush,         Qt::HorPattern,
                                        Qt::VerPattern,   Qt::FDiagPattern,    Qt::BDiagPattern,
                                        Qt::CrossPattern, Qt::DiagCrossPattern};
inline constexpr std::array PenStyles{Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                      Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};

template <class T, size_t N>
uint8_t StyleCode(const std::array<T, N>& styles, T style) {
  const auto it = std::find(styles.begin(), styles.end(), style);
  return it == styles.end() ? 0 : uint8_t(it - styles.begin());
}

template <class T, size_t N>
T StyleOf(const std::array<T, N>& styles, int code) {
  return code >= 0 && size_t(code) < N ? styles[size_t(code)] : styles[0];
}

// The pen mode codes: copy, or exclusive-or for rubber lines.
inline constexpr uint8_t PenModeCopy = 4;
inline constexpr uint8_t PenModeXor = 14;

// The version an older header's first byte stands for.
inline constexpr int VersionQ = 1101;
inline constexpr int VersionY = 2009;

}  // namespace RPStream

struct TStreamHeader {
  char Code = 'Z';
  int Version = 0;
  std::string Title;  // versions above 2009 only
  int PageCount = 0;
  int FirstPage = 0;
  int LastPage = 0;
  double PageWidth = 0, PageHeight = 0;  // inches
  double PhysLeft = 0, PhysRight = 0, PhysTop = 0, PhysBottom = 0;
  int Orientation = 0;
  bool HasBinCollateDuplex = false;  // versions above 1999
  int Bin = 0;
  int Collate = 0;
  int Duplex = 0;
  int Copies = 1;
  int PaperSize = 0;
  int PaperWidth = 0;
  int PaperLength = 0;
  std::string OutputFile;
  int64_t End = 0;  // where the first page record starts
};

struct TPageRecord {
  int64_t Position = 0;
  int64_t Previous = 0;
  int64_t Next = 0;
  int Number = 0;
  double Width = 0, Height = 0;  // inches; 0 in streams before version 2000
  int64_t Content = 0;           // the first command of the page
};

// One parameter of a command. Points arrive as two reals, x then y.
struct TStreamField {
  enum TKind { fkByte, fkShort, fkInt, fkReal, fkText, fkBytes, fkGraphic };
  TKind Kind = fkByte;
  double Number = 0;  // byte, short, int, real; a graphic's kind without the reference bit
  std::string Bytes;  // text, raw bytes, a named value, a graphic's saved form
  int64_t Ref = -1;   // a graphic or value that referred to an earlier copy: its position
};

struct TStreamCommand {
  uint8_t Code = 0;
  int64_t Position = 0;
  std::vector<TStreamField> Fields;

  double Real(size_t i) const { return Fields.at(i).Number; }
  int Int(size_t i) const { return int(Fields.at(i).Number); }
  const std::string& Text(size_t i) const { return Fields.at(i).Bytes; }
};

class TReportReader {
 public:
  // The stream's bytes, not copied: they must outlive the reader.
  explicit TReportReader(std::string_view data) : FData(data) {}

  // The same stream after its bytes moved (a memory stream that grew); the position stays.
  void Rebind(std::string_view data) {
    FData = data;
    if (FPos > Size()) FPos = Size();
  }
  int64_t Position() const { return FPos; }
  int64_t Size() const { return int64_t(FData.size()); }
  // Moving outside the stream is damage.
  void SetPosition(int64_t position);

  // Reads the header from the stream's start ("Unexpected header code found in report
  // file." for a first byte other than "Z", "Q" or "Y").
  TStreamHeader ReadHeader();
  // The page record at the position; any other code is damage.
  TPageRecord ReadPageRecord(int64_t position, int version);
  // The next command with its parameters; an unknown code is damage.
  TStreamCommand ReadCommand(int version);

  // The parameter layout of a command: one letter per field (see the source), nullptr
  // for a code that is not a command.
  static const char* Layout(uint8_t code, int version);

  [[noreturn]] static void Damaged();

 private:
  const uint8_t* Take(int64_t count);
  uint8_t Byte();
  int Short();
  int64_t Int();
  double Real();
  std::string String();
  int64_t Count(int64_t count, int64_t itemSize);
  void Graphic(TStreamField& field);
  void NamedValue(TStreamField& field, int64_t limit);
  void ReadField(char kind, TStreamCommand& command);

  std::string_view FData;
  int64_t FPos = 0;
};
