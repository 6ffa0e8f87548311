#include "StreamDump.h"

#include <cstdio>
#include <string>

#include "RPStream.h"

using namespace RPStream;

namespace {

const char* CommandName(uint8_t code) {
  switch (code) {
    case cmArc:
      return "arc";
    case cmBrushCopy:
      return "brush-copy";
    case cmChord:
      return "chord";
    case cmCopyRect:
      return "copy-rect";
    case cmDraw:
      return "draw";
    case cmDrawFocusRect:
      return "focus-rect";
    case cmEllipse:
      return "ellipse";
    case cmFillRect:
      return "fill-rect";
    case cmFloodFill:
      return "flood-fill";
    case cmFrameRect:
      return "frame-rect";
    case cmLineTo:
      return "line-to";
    case cmMoveTo:
      return "move-to";
    case cmPie:
      return "pie";
    case cmPolygon:
      return "polygon";
    case cmPolyline:
      return "polyline";
    case cmPrintBitmap:
      return "bitmap";
    case cmPrintBitmapRect:
      return "bitmap-rect";
    case cmRectangle:
      return "rectangle";
    case cmTabRectangle:
      return "tab-rectangle";
    case cmRoundRect:
      return "round-rect";
    case cmStretchDraw:
      return "stretch-draw";
    case cmTextRect:
      return "text-rect";
    case cmCenterText:
      return "text-centred";
    case cmLeftText:
      return "text-left";
    case cmRightText:
      return "text-right";
    case cmBKMode:
      return "bk-mode";
    case cmBackColor:
      return "back-colour";
    case cmScaleX:
      return "scale-x";
    case cmScaleY:
      return "scale-y";
    case cmPrintData:
      return "printer-data";
    case cmPrintDataStream:
      return "printer-data-stream";
    case cmOldBlockText:
      return "text-block-old";
    case cmBlockText:
      return "text-block";
    case cmGraphicMode:
      return "graphic-mode";
    case cmDeviceByte:
      return "device-byte";
    case cmImageRect:
      return "image-rect";
    case cmNamedValue:
      return "named-value";
    case cmOldBrush:
      return "brush-old";
    case cmBrushColor:
      return "brush-colour";
    case cmBrushStyle:
      return "brush-style";
    case cmBrushBitmap:
      return "brush-bitmap";
    case cmOldFont:
      return "font-old";
    case cmFontName:
      return "font-name";
    case cmFontColor:
      return "font-colour";
    case cmFontPitch:
      return "font-pitch";
    case cmFontSize:
      return "font-size";
    case cmFontBold:
      return "font-bold";
    case cmFontUnderline:
      return "font-underline";
    case cmFontItalic:
      return "font-italic";
    case cmFontStrikeOut:
      return "font-strike-out";
    case cmFontSuperscript:
      return "font-superscript";
    case cmFontSubscript:
      return "font-subscript";
    case cmFontRotation:
      return "font-rotation";
    case cmFontAlign:
      return "font-align";
    case cmFontCharset:
      return "font-charset";
    case cmOldPen:
      return "pen-old";
    case cmPenColor:
      return "pen-colour";
    case cmPenMode:
      return "pen-mode";
    case cmPenStyle:
      return "pen-style";
    case cmPenWidth:
      return "pen-width";
    case cmEndPage:
      return "end-page";
    case cmLineMetrics:
      return "line-metrics";
    case cmPreviewOnly:
      return "preview-only";
    case cmPrinterOnly:
      return "printer-only";
    case cmBoth:
      return "both";
    case cmOrientation:
      return "orientation";
    case cmPaperBin:
      return "paper-bin";
    default:
      return "?";
  }
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// Text in double quotes, bytes outside printable ASCII as \xNN, so that the listing stays
// one line per command whatever the code page.
std::string Quoted(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

std::string Field(const TStreamField& f) {
  switch (f.Kind) {
    case TStreamField::fkText:
      return f.Ref >= 0 ? Quoted(f.Bytes) + " (from @" + std::to_string(f.Ref) + ")"
                        : Quoted(f.Bytes);
    case TStreamField::fkBytes:
      return std::to_string(f.Bytes.size()) + " bytes";
    case TStreamField::fkGraphic:
      return "graphic kind " + Number(f.Number) + " " + std::to_string(f.Bytes.size()) + " bytes" +
             (f.Ref >= 0 ? " (copy at @" + std::to_string(f.Ref) + ")" : "");
    case TStreamField::fkReal:
      return Number(f.Number);
    default:
      return std::to_string(int64_t(f.Number));
  }
}

void DumpHeader(const TStreamHeader& h, std::ostream& out) {
  out << "header " << h.Code << " version " << h.Version << "\n";
  if (h.Version > 2009) out << "title " << Quoted(h.Title) << "\n";
  out << "pages " << h.PageCount << " first " << h.FirstPage << " last " << h.LastPage << "\n";
  out << "paper " << Number(h.PageWidth) << " x " << Number(h.PageHeight) << " in, strips "
      << Number(h.PhysLeft) << " " << Number(h.PhysRight) << " " << Number(h.PhysTop) << " "
      << Number(h.PhysBottom) << "\n";
  out << "orientation " << h.Orientation;
  if (h.HasBinCollateDuplex)
    out << " bin " << h.Bin << " collate " << h.Collate << " duplex " << h.Duplex;
  out << " copies " << h.Copies << " paper-size " << h.PaperSize << " paper-width " << h.PaperWidth
      << " paper-length " << h.PaperLength << "\n";
  out << "output-file " << Quoted(h.OutputFile) << "\n";
}

}  // namespace

void DumpReportStream(std::string_view stream, std::ostream& out) {
  TReportReader reader(stream);
  const TStreamHeader header = reader.ReadHeader();
  DumpHeader(header, out);
  // Pages are listed in the order they lie in the stream; their links are shown, not
  // followed, so a damaged link is visible rather than a detour.
  int64_t at = header.End;
  while (at < reader.Size()) {
    const TPageRecord page = reader.ReadPageRecord(at, header.Version);
    out << "@" << page.Position << " 80 page " << page.Number << " previous @" << page.Previous
        << " next @" << page.Next;
    if (header.Version >= 2000)
      out << " size " << Number(page.Width) << " x " << Number(page.Height);
    out << "\n";
    for (;;) {
      const TStreamCommand c = reader.ReadCommand(header.Version);
      out << "@" << c.Position << " " << int(c.Code) << " " << CommandName(c.Code);
      for (const TStreamField& f : c.Fields) out << " " << Field(f);
      out << "\n";
      if (c.Code == cmEndPage) break;
    }
    at = reader.Position();
  }
}
