#pragma once

#include <qnamespace.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"

class TMemoryStream;

// The report stream, both ways: the writer that records a job's pages and the reader that
// decodes them for the replaying writers and the dump tool, so that the two agree on the
// format by construction.
//
// Format notes. Little-endian. byte, short (2, signed), int (4, signed), real (IEEE
// single; lengths and positions in inches). A string is its length then its bytes: one
// length byte up to 191, else 0xC0 + the high six bits and then the low eight, so 16383
// at most. A point is two reals. A graphic is a kind byte (1 bitmap, 2 metafile, 3 icon,
// 4 other; +128 for a reference) and either the int position of an earlier copy or an int
// count and the saved graphic. A named value is a byte n, a byte m and n bytes: m below
// 254 keeps the first m bytes, 254 and 255 say the first four bytes are the position of
// the value to read instead.
//
// A header (code 90, version 2017; the older "Q" and "Y" headers are read too) is followed
// by page records (code 80) linked both ways by stream positions, each opening with the
// whole drawing state and closing with code 82. The writer puts an attribute change in
// only when it differs from what the stream already says.
//
// Reading is bounds-checked: a stream that ends early, holds a length beyond its end, a
// reference that does not point back to an earlier field, or a real that is not a plain
// finite number raises the damaged-stream error, whatever the stream says.

namespace RPStream {

inline constexpr const char* BadHeader = "Unexpected header code found in report file.";
inline constexpr const char* BadCode = "Unexpected code found in report file.";

// The version this writer records.
inline constexpr int Version = 2017;

// A string length above this takes two bytes, the first offset by LongLengthBase.
inline constexpr size_t ShortLengthMax = 191;
inline constexpr uint8_t LongLengthBase = 0xC0;
inline constexpr size_t MaxString = 16383;

// Set in a graphic's kind byte when an int position of an earlier copy follows instead of
// the graphic.
inline constexpr uint8_t ReferenceBit = 128;

// A named value's length byte leaves 254 and 255 to references.
inline constexpr size_t MaxValue = 253;
inline constexpr uint8_t ValueReference = 254;

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

// The byte that opens a format code run inside text (the memo buffer's codes).
inline constexpr char CodeMark = '\x01';

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

// The header as read or to be written. A new one holds what a stream recorded without a
// printer says; the writer always writes code 90 and its own version.
struct TStreamHeader {
  char Code = 'Z';
  int Version = RPStream::Version;
  std::string Title;  // versions above 2009 only
  int PageCount = 0;
  int FirstPage = 0;
  int LastPage = 0;
  double PageWidth = 0, PageHeight = 0;  // inches
  double PhysLeft = 0, PhysRight = 0, PhysTop = 0, PhysBottom = 0;
  int Orientation = 0;
  bool HasBinCollateDuplex = true;  // versions above 1999
  int Bin = 265;
  int Collate = 0;
  int Duplex = 0;
  int Copies = 1;
  int PaperSize = 1;
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

// Writing a report stream through a buffer of 16384 bytes, so that a job's many small
// fields reach the stream in blocks. While muted nothing is written: the recording writer
// lays out and measures without recording. Fields patched later (the page count, the next
// links) are found by the positions their writers return.
class TReportStreamWriter {
 public:
  // Writes from the stream's position on; the stream is not owned and must stay until
  // Close.
  void Open(TMemoryStream& stream);
  // Lets the stream go; what the buffer still holds is dropped (Flush first to keep it).
  void Close();
  bool IsOpen() const { return FStream != nullptr; }
  bool Muted() const { return FMuted; }
  void SetMuted(bool muted) { FMuted = muted; }
  // Whether a write now reaches the stream.
  bool Writing() const { return FStream && !FMuted; }
  // The position the next byte lands on.
  int64_t Position() const;
  void Flush();

  void WriteBytes(const void* data, size_t count);
  void WriteByte(uint8_t value) { WriteBytes(&value, 1); }
  // Values beyond a field's range are written as its nearest end.
  void WriteShort(int value);
  void WriteInt(int64_t value);
  void WriteReal(double value);
  // A longer text is cut to MaxString bytes.
  void WriteString(std::string_view text);
  void WriteGraphic(uint8_t kind, std::string_view saved);
  void WriteGraphicReference(uint8_t kind, int64_t position);
  // A value of at most MaxValue bytes, kept whole.
  void WriteNamedValue(std::string_view name, std::string_view value);

  // The header with a page count of 0 until PatchPageCount.
  void WriteHeader(const TStreamHeader& header);
  void PatchPageCount(int count);
  // A page record whose next link is 0; returns where that link lies, for PatchLink.
  int64_t WritePageRecord(int64_t previous, int number, double width, double height);
  void PatchLink(int64_t linkPosition, int64_t target);
  // Drops the stream from the position on and goes on writing there.
  void Truncate(int64_t position);

 private:
  // Overwrites bytes already in the stream.
  void Patch(int64_t position, int64_t value, int size);

  TMemoryStream* FStream = nullptr;
  std::string FBuffer;
  bool FMuted = false;
  int64_t FPageCountPos = 0;
};
