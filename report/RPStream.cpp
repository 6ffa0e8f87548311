#include "RPStream.h"

#include <cmath>
#include <cstring>

#include "LittleEndian.h"
#include "MemoryStream.h"

using namespace RPStream;

namespace {

// No position or length of a page comes near this many inches; a larger real is damage
// rather than a reason to draw at the edge of the integer range.
constexpr double kMaxReal = 100000;
// A value record may refer to an earlier one; references only ever point backwards, so
// this bounds nothing real and stops a chain of damaged ones early.
constexpr int kMaxValueHops = 16;

}  // namespace

void TReportReader::Damaged() {
  throw Exception(BadCode);
}

void TReportReader::SetPosition(int64_t position) {
  if (position < 0 || position > Size()) Damaged();
  FPos = position;
}

const uint8_t* TReportReader::Take(int64_t count) {
  if (count < 0 || count > Size() - FPos) Damaged();
  const auto* at = reinterpret_cast<const uint8_t*>(FData.data()) + FPos;
  FPos += count;
  return at;
}

uint8_t TReportReader::Byte() {
  return *Take(1);
}

int TReportReader::Short() {
  return int16_t(LoadLE16(Take(2)));
}

int64_t TReportReader::Int() {
  return int32_t(LoadLE32(Take(4)));
}

double TReportReader::Real() {
  const uint32_t bits = LoadLE32(Take(4));
  float f;
  std::memcpy(&f, &bits, 4);
  if (!std::isfinite(f) || std::fabs(f) > kMaxReal) Damaged();
  return f;
}

std::string TReportReader::String() {
  int64_t length = Byte();
  if (length > int64_t(ShortLengthMax)) length = (length - LongLengthBase) << 8 | Byte();
  const uint8_t* at = Take(length);
  return std::string(reinterpret_cast<const char*>(at), size_t(length));
}

// A count of items about to be read: never more than the stream could still hold, so a
// hostile count cannot make anyone allocate for it.
int64_t TReportReader::Count(int64_t count, int64_t itemSize) {
  if (count < 0 || count > (Size() - FPos) / itemSize) Damaged();
  return count;
}

void TReportReader::Graphic(TStreamField& field) {
  field.Kind = TStreamField::fkGraphic;
  const int64_t start = FPos;
  const uint8_t kind = Byte();
  const int plainKind = kind & ~ReferenceBit;
  if (plainKind < 1 || plainKind > 4) Damaged();
  field.Number = plainKind;
  if (kind & ReferenceBit) {
    // A reference: the earlier copy must lie before this field and be a copy itself.
    const int64_t ref = Int();
    if (ref < 0 || ref >= start) Damaged();
    const int64_t back = FPos;
    FPos = ref;
    const uint8_t refKind = Byte();
    if (refKind < 1 || refKind > 4) Damaged();
    const int64_t count = Count(Int(), 1);
    field.Bytes.assign(reinterpret_cast<const char*>(Take(count)), size_t(count));
    field.Ref = ref;
    FPos = back;
    return;
  }
  const int64_t count = Count(Int(), 1);
  field.Bytes.assign(reinterpret_cast<const char*>(Take(count)), size_t(count));
}

void TReportReader::NamedValue(TStreamField& field, int64_t limit) {
  field.Kind = TStreamField::fkText;
  int64_t resume = 0;
  for (int hop = 0;; ++hop) {
    const int n = Byte();
    const int m = Byte();
    const uint8_t* bytes = Take(n);
    if (hop == 0) resume = FPos;
    if (m < ValueReference) {
      field.Bytes.assign(reinterpret_cast<const char*>(bytes), size_t(std::min(m, n)));
      break;
    }
    if (n < 4 || hop >= kMaxValueHops) Damaged();
    const int64_t ref = int32_t(LoadLE32(bytes));
    if (ref < 0 || ref >= limit) Damaged();
    if (field.Ref < 0) field.Ref = ref;
    limit = ref;
    FPos = ref;
  }
  FPos = resume;
}

// Layout letters: B byte, S short, I int, R real, P point (two reals), T string, D an int
// count and that many bytes, G graphic, F a flag byte followed by a graphic when it is 1,
// N a short n and n + 1 points, V a named value.
const char* TReportReader::Layout(uint8_t code, int version) {
  switch (code) {
    case cmArc:
    case cmChord:
    case cmCopyRect:
    case cmPie:
      return "PPPP";
    case cmBrushCopy:
      return "GPPPPI";
    case cmDraw:
      return "GP";
    case cmDrawFocusRect:
    case cmEllipse:
    case cmFillRect:
    case cmFrameRect:
    case cmRectangle:
    case cmTabRectangle:
      return "PP";
    case cmFloodFill:
      return "PII";
    case cmLineTo:
    case cmMoveTo:
      return "P";
    case cmPolygon:
    case cmPolyline:
      return "N";
    case cmPrintBitmap:
      return "GPRR";
    case cmPrintBitmapRect:
      return "GPP";
    case cmRoundRect:
      return "PPRR";
    case cmStretchDraw:
      return "PPG";
    case cmTextRect:
      return "PPPT";
    case cmCenterText:
    case cmLeftText:
    case cmRightText:
      return "RTR";
    case cmOldBlockText:
    case cmBlockText:
      return "RTRR";
    case cmBKMode:
    case cmGraphicMode:
    case cmDeviceByte:
    case cmBrushStyle:
    case cmFontPitch:
    case cmFontBold:
    case cmFontUnderline:
    case cmFontItalic:
    case cmFontStrikeOut:
    case cmFontSuperscript:
    case cmFontSubscript:
    case cmFontAlign:
    case cmFontCharset:
    case cmPenMode:
    case cmPenStyle:
    case cmOrientation:
      return "B";
    case cmBackColor:
    case cmBrushColor:
    case cmFontColor:
    case cmPenColor:
      return "I";
    case cmScaleX:
    case cmScaleY:
    case cmPenWidth:
      return "R";
    case cmPrintData:
    case cmFontName:
    case cmPaperBin:
      return "T";
    case cmPrintDataStream:
      return "D";
    case cmImageRect:
      return "DTPP";
    case cmNamedValue:
      return "TV";
    case cmOldBrush:
      return "IBF";
    case cmBrushBitmap:
      return "F";
    case cmOldFont:
      // name, colour, pitch, [charset], size, bold, italic, underline, strike-out, [rotation]
      if (version >= 2018) return "TIBBRBBBBS";
      return version >= 2000 ? "TIBRBBBBS" : "TIBRBBBB";
    case cmFontSize:
      return "RR";
    case cmFontRotation:
      return "S";
    case cmOldPen:
      return "IBBR";
    case cmEndPage:
    case cmPreviewOnly:
    case cmPrinterOnly:
    case cmBoth:
      return "";
    case cmLineMetrics:
      return "RRR";
    default:
      return nullptr;
  }
}

void TReportReader::ReadField(char kind, TStreamCommand& command) {
  auto number = [&](TStreamField::TKind k, double value) {
    TStreamField& f = command.Fields.emplace_back();
    f.Kind = k;
    f.Number = value;
  };
  switch (kind) {
    case 'B':
      number(TStreamField::fkByte, Byte());
      break;
    case 'S':
      number(TStreamField::fkShort, Short());
      break;
    case 'I':
      number(TStreamField::fkInt, double(Int()));
      break;
    case 'R':
      number(TStreamField::fkReal, Real());
      break;
    case 'P':
      number(TStreamField::fkReal, Real());
      number(TStreamField::fkReal, Real());
      break;
    case 'T': {
      TStreamField& f = command.Fields.emplace_back();
      f.Kind = TStreamField::fkText;
      f.Bytes = String();
      break;
    }
    case 'D': {
      const int64_t count = Count(Int(), 1);
      TStreamField& f = command.Fields.emplace_back();
      f.Kind = TStreamField::fkBytes;
      f.Bytes.assign(reinterpret_cast<const char*>(Take(count)), size_t(count));
      break;
    }
    case 'G':
      Graphic(command.Fields.emplace_back());
      break;
    case 'F': {
      const uint8_t flag = Byte();
      number(TStreamField::fkByte, flag);
      if (flag == 1) Graphic(command.Fields.emplace_back());
      break;
    }
    case 'N': {
      const int n = Short();
      if (n < 0) Damaged();
      const int64_t points = Count(int64_t(n) + 1, 8);
      number(TStreamField::fkShort, n);
      command.Fields.reserve(command.Fields.size() + size_t(points) * 2);
      for (int64_t i = 0; i < points * 2; ++i) number(TStreamField::fkReal, Real());
      break;
    }
    case 'V':
      NamedValue(command.Fields.emplace_back(), command.Position);
      break;
    default:
      Damaged();
  }
}

TStreamCommand TReportReader::ReadCommand(int version) {
  TStreamCommand command;
  command.Position = FPos;
  command.Code = Byte();
  const char* layout = Layout(command.Code, version);
  if (!layout) Damaged();
  for (const char* k = layout; *k; ++k) ReadField(*k, command);
  return command;
}

TPageRecord TReportReader::ReadPageRecord(int64_t position, int version) {
  SetPosition(position);
  TPageRecord page;
  page.Position = position;
  if (Byte() != cmPage) Damaged();
  page.Previous = Int();
  page.Next = Int();
  page.Number = Short();
  if (version >= 2000) {
    page.Width = Real();
    page.Height = Real();
  } else {
    Byte();
  }
  page.Content = FPos;
  return page;
}

TStreamHeader TReportReader::ReadHeader() {
  FPos = 0;
  TStreamHeader h;
  if (FData.empty()) throw Exception(BadHeader);
  const uint8_t code = Byte();
  switch (code) {
    case cmHeader:
      h.Version = Short();
      break;
    case 'Q':
      h.Version = VersionQ;
      break;
    case 'Y':
      h.Version = VersionY;
      break;
    default:
      throw Exception(BadHeader);
  }
  h.Code = char(code);
  if (h.Version > 2009) h.Title = String();
  h.PageCount = Short();
  h.FirstPage = Short();
  h.LastPage = Short();
  h.PageWidth = Real();
  h.PageHeight = Real();
  h.PhysLeft = Real();
  h.PhysRight = Real();
  h.PhysTop = Real();
  h.PhysBottom = Real();
  h.Orientation = Byte();
  h.HasBinCollateDuplex = h.Version > 1999;
  if (h.HasBinCollateDuplex) {
    h.Bin = Short();
    h.Collate = Byte();
    h.Duplex = Byte();
  }
  h.Copies = Short();
  h.PaperSize = Short();
  h.PaperWidth = Short();
  h.PaperLength = Short();
  h.OutputFile = String();
  h.End = FPos;
  return h;
}

// ---- Writing ----

namespace {

constexpr size_t kBufferSize = 16384;

}  // namespace

void TReportStreamWriter::Open(TMemoryStream& stream) {
  FBuffer.clear();
  FStream = &stream;
}

void TReportStreamWriter::Close() {
  FBuffer.clear();
  FStream = nullptr;
}

int64_t TReportStreamWriter::Position() const {
  return (FStream ? FStream->Position() : 0) + int64_t(FBuffer.size());
}

void TReportStreamWriter::Flush() {
  if (FStream && !FBuffer.empty()) FStream->Write(FBuffer.data(), int64_t(FBuffer.size()));
  FBuffer.clear();
}

void TReportStreamWriter::WriteBytes(const void* data, size_t count) {
  if (!Writing()) return;
  if (FBuffer.size() + count > kBufferSize) Flush();
  if (count > kBufferSize) {
    FStream->Write(data, int64_t(count));
    return;
  }
  FBuffer.append(static_cast<const char*>(data), count);
}

void TReportStreamWriter::WriteShort(int value) {
  const int16_t v = int16_t(std::clamp(value, -32768, 32767));
  uint8_t bytes[2];
  StoreLE16(bytes, uint16_t(v));
  WriteBytes(bytes, 2);
}

void TReportStreamWriter::WriteInt(int64_t value) {
  const uint32_t v = uint32_t(int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
  uint8_t bytes[4];
  StoreLE32(bytes, v);
  WriteBytes(bytes, 4);
}

void TReportStreamWriter::WriteReal(double value) {
  const float f = float(value);
  uint32_t v = 0;
  std::memcpy(&v, &f, 4);
  uint8_t bytes[4];
  StoreLE32(bytes, v);
  WriteBytes(bytes, 4);
}

void TReportStreamWriter::WriteString(std::string_view text) {
  // The recording writer splits longer texts itself; anything else is cut to what fits.
  text = text.substr(0, MaxString);
  if (text.size() <= ShortLengthMax) {
    WriteByte(uint8_t(text.size()));
  } else {
    WriteByte(uint8_t(LongLengthBase + (text.size() >> 8)));
    WriteByte(uint8_t(text.size() & 0xFF));
  }
  WriteBytes(text.data(), text.size());
}

void TReportStreamWriter::WriteGraphic(uint8_t kind, std::string_view saved) {
  WriteByte(kind);
  WriteInt(int64_t(saved.size()));
  WriteBytes(saved.data(), saved.size());
}

void TReportStreamWriter::WriteGraphicReference(uint8_t kind, int64_t position) {
  WriteByte(uint8_t(kind | ReferenceBit));
  WriteInt(position);
}

void TReportStreamWriter::WriteNamedValue(std::string_view name, std::string_view value) {
  WriteString(name);
  WriteByte(uint8_t(value.size()));
  WriteByte(uint8_t(value.size()));
  WriteBytes(value.data(), value.size());
}

void TReportStreamWriter::WriteHeader(const TStreamHeader& h) {
  WriteByte(cmHeader);
  WriteShort(Version);
  WriteString(h.Title);
  FPageCountPos = Position();
  WriteShort(0);
  WriteShort(h.FirstPage);
  WriteShort(h.LastPage);
  WriteReal(h.PageWidth);
  WriteReal(h.PageHeight);
  WriteReal(h.PhysLeft);
  WriteReal(h.PhysRight);
  WriteReal(h.PhysTop);
  WriteReal(h.PhysBottom);
  WriteByte(uint8_t(h.Orientation));
  WriteShort(h.Bin);
  WriteByte(uint8_t(h.Collate));
  WriteByte(uint8_t(h.Duplex));
  WriteShort(h.Copies);
  WriteShort(h.PaperSize);
  WriteShort(h.PaperWidth);
  WriteShort(h.PaperLength);
  WriteString(h.OutputFile);
}

void TReportStreamWriter::PatchPageCount(int count) {
  Patch(FPageCountPos, count, 2);
}

int64_t TReportStreamWriter::WritePageRecord(int64_t previous, int number, double width,
                                             double height) {
  WriteByte(cmPage);
  WriteInt(previous);
  const int64_t link = Position();
  WriteInt(0);
  WriteShort(number);
  WriteReal(width);
  WriteReal(height);
  return link;
}

void TReportStreamWriter::PatchLink(int64_t linkPosition, int64_t target) {
  Patch(linkPosition, target, 4);
}

void TReportStreamWriter::Patch(int64_t position, int64_t value, int size) {
  if (!Writing()) return;
  Flush();
  const int64_t end = FStream->Position();
  FStream->SetPosition(position);
  uint8_t bytes[4];
  for (int i = 0; i < size; ++i) bytes[i] = uint8_t(uint64_t(value) >> (8 * i));
  FStream->Write(bytes, size);
  FStream->SetPosition(end);
}

void TReportStreamWriter::Truncate(int64_t position) {
  if (!FStream) return;
  Flush();
  FStream->SetSize(position);
  FStream->SetPosition(position);
}
