#include "RPFiler.h"

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QMessageBox>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "MessageHook.h"
#include "RPDevice.h"
#include "RPrinter.h"

using namespace RPStream;

namespace {

constexpr int kSlots = 10;

// Copy, or exclusive-or for rubber lines.
uint8_t PenModeCode(QPainter::CompositionMode mode) {
  return mode == QPainter::RasterOp_SourceXorDestination ? PenModeXor : PenModeCopy;
}

std::string SlotMessage(const char* operation) {
  return std::string(operation) + ": Index must be between 1 and " + std::to_string(kSlots);
}

}  // namespace

TReportFiler::TReportFiler(QObject* owner) : TBaseReport(owner) {}

TReportFiler::~TReportFiler() = default;

// ---- Encoding ----

void TReportFiler::WriteXY(double xInches, double yInches) {
  FWriter.WriteReal((xInches + FOriginX) * ScaleX() / 100);
  FWriter.WriteReal((yInches + FOriginY) * ScaleY() / 100);
}

void TReportFiler::WriteUnitsRect(const QRectF& rect) {
  WriteUnitsPoint(rect.left(), rect.top());
  WriteUnitsPoint(rect.right(), rect.bottom());
}

void TReportFiler::WriteGraphic(const QImage& image, uint8_t kind) {
  if (FReuseSlot > 0 && FGraphicSlots[size_t(FReuseSlot - 1)] > 0) {
    FWriter.WriteGraphicReference(kind, FGraphicSlots[size_t(FReuseSlot - 1)]);
    FReuseSlot = 0;
    return;
  }
  FReuseSlot = 0;
  FLastGraphicPos = FWriter.Position();
  QByteArray saved;
  QBuffer buffer(&saved);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  FWriter.WriteGraphic(kind, std::string_view(saved.constData(), size_t(saved.size())));
}

bool TReportFiler::Command(uint8_t code) {
  if (!FWriter.Writing() || FSkipPage) return false;
  FWriter.WriteByte(code);
  return true;
}

// ---- Job ----

void TReportFiler::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, "Error", ToQString(text), QMessageBox::Ok);
  box.exec();
}

bool TReportFiler::NoPrinters() const {
  return RPDev().NoPrinters();
}

bool TReportFiler::ReadDeviceMetrics(TDeviceMetrics& metrics) {
  if (NoPrinters()) return false;
  ReadPrinterMetrics(metrics);
  return true;
}

TStreamHeader TReportFiler::HeaderDevice() const {
  TStreamHeader header;
  TRPDevice& device = RPDev();
  const TDevMode* mode = device.DevMode();
  if (!mode) return header;
  header.Orientation = mode->Orientation == 2 ? 1 : 0;
  if (mode->DefaultSource != 0) header.Bin = mode->DefaultSource;
  header.Collate = mode->Collate == 1 ? 1 : 0;
  header.Duplex = std::max(mode->Duplex - 1, 0);
  header.Copies = int16_t(Copies());
  header.PaperSize = mode->PaperSize;
  header.PaperWidth = mode->PaperWidth;
  header.PaperLength = mode->PaperLength;
  header.OutputFile = device.OutputFile();
  return header;
}

QPaintDevice* TReportFiler::MetricDevice() {
  // Without printers the owning form's screen measures the text.
  if (NoPrinters()) return qobject_cast<QWidget*>(parent());
  return RPDev().InfoDevice();
}

bool TReportFiler::OpenStream() {
  if (FStreamMode == smUser) {
    if (!FUserStream) throw Exception("StreamMode is smUser but Stream is nil");
    FUserStream->SetPosition(0);
    FWriter.Open(*FUserStream);
    return true;
  }
  bool opened = true;
  if (FStreamMode == smFile) {
    opened =
        !FFileName.empty() && std::ofstream(FFileName, std::ios::binary | std::ios::trunc).good();
  } else if (FStreamMode == smTempFile) {
    std::string path = QDir::tempPath().toStdString() + "/RPXXXXXX";
    const int fd = mkstemp(path.data());
    opened = fd >= 0;
    if (opened) {
      ::close(fd);
      FFileName = path;
    }
  }
  if (!opened) {
    ShowError("Error initializing stream \"" + FFileName + "\"");
    return false;
  }
  // File modes fill their file when the job ends, so that the links can be patched.
  FOwnStream = std::make_unique<TMemoryStream>();
  FWriter.Open(*FOwnStream);
  return true;
}

void TReportFiler::CloseStream(bool keep) {
  if (keep) {
    FWriter.Flush();
    if (FOwnStream && !FFileName.empty() && FStreamMode != smUser)
      FOwnStream->SaveToFile(FFileName);
  } else if (FStreamMode == smFile || FStreamMode == smTempFile) {
    // The file made at the job's start goes with a job that failed.
    std::remove(FFileName.c_str());
  }
  FWriter.Close();
  FOwnStream.reset();
}

void TReportFiler::WriteHeader() {
  TStreamHeader header = NoPrinters() ? TStreamHeader() : HeaderDevice();
  header.Title = Title();
  header.FirstPage = FirstPage();
  header.LastPage = LastPage();
  header.PageWidth = UnitsToInches(PageWidth());
  header.PageHeight = UnitsToInches(PageHeight());
  header.PhysLeft = FPhysLeft;
  header.PhysRight = FPhysRight;
  header.PhysTop = FPhysTop;
  header.PhysBottom = FPhysBottom;
  FWriter.WriteHeader(header);
}

void TReportFiler::WritePageRecord() {
  const int64_t record = FWriter.Position();
  FPreviousRecordPos = FPagesWritten > 0 ? FPageRecordPos : 0;
  FNextLinkPos = FWriter.WritePageRecord(FPreviousRecordPos, ++FPagesWritten,
                                         UnitsToInches(PageWidth()), UnitsToInches(PageHeight()));
  FPageRecordPos = record;
  FPageOpen = true;
  WriteState();
}

void TReportFiler::WriteState() {
  WriteBrush(true);
  WriteFont(true);
  WritePen(true);
  FWriter.WriteByte(cmScaleX);
  FWriter.WriteReal(ScaleX());
  FWriter.WriteByte(cmScaleY);
  FWriter.WriteReal(ScaleY());
  FWriter.WriteByte(cmBKMode);
  FWriter.WriteByte(uint8_t(TextBKMode()));
  FWriter.WriteByte(cmBackColor);
  FWriter.WriteInt(FBackColor);
  for (const auto& [name, value] : FNamedValues) {
    FWriter.WriteByte(cmNamedValue);
    FWriter.WriteNamedValue(name, value);
  }
}

void TReportFiler::EndPage(bool last) {
  if (FPageOpen && !FSkipPage) FWriter.WriteByte(cmEndPage);
  FPageOpen = false;
  if (FPagesWritten > 0) FWriter.PatchLink(FNextLinkPos, last ? 0 : FWriter.Position());
}

void TReportFiler::Start() {
  BeginJob();
  FPagesWritten = 0;
  FPageRecordPos = FNextLinkPos = 0;
  FPageOpen = false;
  FNamedValues.clear();
  FGraphicSlots = {};
  FLastGraphicPos = 0;
  FReuseSlot = 0;
  DoBeforePrint();
  QWidget* form = qobject_cast<QWidget*>(parent());
  if (NoPrinters() && !form)
    throw Exception("TReportFiler.Owner must be a TForm if no printers are defined.");
  if (!OpenStream()) return;
  FWriter.SetMuted(true);
  OpenJob();
  if (NoPrinters()) {
    SetResolution(form->logicalDpiX(), form->logicalDpiY());
    ResetPageState();
  }
  FWriter.SetMuted(false);
  WriteHeader();
  FirstPageOfJob();
  UpdateStatus();
  if (!FSkipPage) WritePageRecord();
  PageStart();
}

void TReportFiler::NewPage() {
  PageEnd();
  EndPage(false);
  FWriter.SetMuted(true);
  NextPageNumber();
  if (!NoPrinters()) ReadPageGeometry();
  LayOutNewPage();
  FWriter.SetMuted(false);
  if (!FSkipPage) WritePageRecord();
  PageStart();
}

void TReportFiler::Finish() {
  if (!FPrinting) throw Exception(RPMessages::NotPrinting);
  FWriter.SetMuted(false);
  try {
    if (!FAborted) PageEnd();
    EndPage(true);
    FWriter.PatchPageCount(FPagesWritten);
    FWriter.Flush();
    CloseJob();
  } catch (...) {
    CloseStream(false);
    FPrinting = false;
    DoAfterPrint();
    throw;
  }
  // A job that an exception ended leaves no stream for anyone to print or preview.
  CloseStream(!FFailed);
  DoAfterPrint();
}

void TReportFiler::DiscardPage() {
  if (!FPrinting || !FPageOpen || !FWriter.IsOpen()) return;
  // The page starts again from its record: what it drew so far is dropped.
  FWriter.Truncate(FPageRecordPos);
  --FPagesWritten;
  FPageRecordPos = FPreviousRecordPos;
  WritePageRecord();
}

// ---- State ----

double TReportFiler::ReferenceWidth() {
  // Measuring realises the font, which sets the line metrics; the cursor must keep the
  // old ones until the line height is computed, as on the printer, or a line fitted to a
  // new font lands elsewhere than there.
  const double ascent = FAscent, descent = FDescent, leading = FLeading;
  const bool muted = FWriter.Muted();
  FWriter.SetMuted(true);
  const double width = double(TextWidthPixels(ReferenceText)) / FXDPI;
  FWriter.SetMuted(muted);
  FAscent = ascent;
  FDescent = descent;
  FLeading = leading;
  return width;
}

void TReportFiler::WriteFont(bool all) {
  if (!FWriter.Writing() || FSkipPage) return;
  const TRPFontRecord& f = FFont;
  const TRPFontRecord& was = FLastFont;
  TReportStreamWriter& out = FWriter;
  bool major = false;  // attributes after which the size is written again
  const auto put = [&](bool changed, uint8_t code, auto write) {
    if (!all && !changed) return false;
    out.WriteByte(code);
    write();
    return true;
  };
  major |= put(f.Name != was.Name, cmFontName, [&] { out.WriteString(f.Name); });
  put(f.Color != was.Color, cmFontColor, [&] { out.WriteInt(f.Color); });
  major |= put(f.Pitch != was.Pitch, cmFontPitch, [&] { out.WriteByte(uint8_t(f.Pitch)); });
  major |= put(f.Charset != was.Charset, cmFontCharset, [&] { out.WriteByte(uint8_t(f.Charset)); });
  major |= put(f.Bold != was.Bold, cmFontBold, [&] { out.WriteByte(f.Bold); });
  major |= put(f.Italic != was.Italic, cmFontItalic, [&] { out.WriteByte(f.Italic); });
  major |= put(f.Underline != was.Underline, cmFontUnderline, [&] { out.WriteByte(f.Underline); });
  major |= put(f.StrikeOut != was.StrikeOut, cmFontStrikeOut, [&] { out.WriteByte(f.StrikeOut); });
  put(f.Superscript != was.Superscript, cmFontSuperscript, [&] { out.WriteByte(f.Superscript); });
  put(f.Subscript != was.Subscript, cmFontSubscript, [&] { out.WriteByte(f.Subscript); });
  put(f.Rotation != was.Rotation, cmFontRotation, [&] { out.WriteShort(f.Rotation); });
  put(f.Align != was.Align, cmFontAlign, [&] { out.WriteByte(uint8_t(f.Align)); });
  put(major || f.Size != was.Size, cmFontSize, [&] {
    out.WriteReal(f.Size / 72.0);
    out.WriteReal(ReferenceWidth());
  });
  FLastFont = f;
}

void TReportFiler::WriteBrush(bool all) {
  if (!FWriter.Writing() || FSkipPage) return;
  const TRPBrush& b = Brush();
  if (all || b.Color != FLastBrush.Color) {
    FWriter.WriteByte(cmBrushColor);
    FWriter.WriteInt(b.Color);
  }
  if (all || b.Style != FLastBrush.Style) {
    FWriter.WriteByte(cmBrushStyle);
    FWriter.WriteByte(StyleCode(BrushStyles, b.Style));
  }
  if (all || b.Bitmap != FLastBrush.Bitmap) {
    FWriter.WriteByte(cmBrushBitmap);
    FWriter.WriteByte(b.Bitmap.isNull() ? 0 : 1);
    if (!b.Bitmap.isNull()) WriteGraphic(b.Bitmap);
  }
  FLastBrush = b;
}

void TReportFiler::WritePen(bool all) {
  if (!FWriter.Writing() || FSkipPage) return;
  const TRPPen& p = Pen();
  if (all || p.Color != FLastPen.Color) {
    FWriter.WriteByte(cmPenColor);
    FWriter.WriteInt(p.Color);
  }
  if (all || p.Mode != FLastPen.Mode) {
    FWriter.WriteByte(cmPenMode);
    FWriter.WriteByte(PenModeCode(p.Mode));
  }
  if (all || p.Style != FLastPen.Style) {
    FWriter.WriteByte(cmPenStyle);
    FWriter.WriteByte(StyleCode(PenStyles, p.Style));
  }
  if (all || p.Width != FLastPen.Width) {
    FWriter.WriteByte(cmPenWidth);
    FWriter.WriteReal(double(p.Width) / FXDPI);
  }
  FLastPen = p;
}

void TReportFiler::FontChanged() {
  if (FPrinting) WriteFont(false);
}

void TReportFiler::SetPen(const TRPPen& pen) {
  TBaseReport::SetPen(pen);
  if (FPrinting) WritePen(false);
}

void TReportFiler::SetBrush(const TRPBrush& brush) {
  TBaseReport::SetBrush(brush);
  if (FPrinting) WriteBrush(false);
}

void TReportFiler::SetTextBKMode(TBKMode value) {
  TBaseReport::SetTextBKMode(value);
  if (FPrinting && Command(cmBKMode)) FWriter.WriteByte(uint8_t(value));
}

void TReportFiler::SetBackColor(TColor color) {
  TBaseReport::SetBackColor(color);
  if (FPrinting && Command(cmBackColor)) FWriter.WriteInt(color);
}

void TReportFiler::SetScaleX(double value) {
  TBaseReport::SetScaleX(value);
  if (FPrinting && Command(cmScaleX)) FWriter.WriteReal(value);
}

void TReportFiler::SetScaleY(double value) {
  TBaseReport::SetScaleY(value);
  if (FPrinting && Command(cmScaleY)) FWriter.WriteReal(value);
}

void TReportFiler::ComputeLineHeight() {
  TBaseReport::ComputeLineHeight();
  if (!FPrinting || !Command(cmLineMetrics)) return;
  FWriter.WriteReal(FAscent);
  FWriter.WriteReal(FDescent);
  FWriter.WriteReal(FLineHeight);
}

void TReportFiler::OrientationChanged() {
  if (FPrinting && Orientation() != poDefault && Command(cmOrientation))
    FWriter.WriteByte(uint8_t(Orientation()));
}

void TReportFiler::PrintPreviewOnly() {
  TBaseReport::PrintPreviewOnly();
  if (FPrinting) Command(cmPreviewOnly);
}

void TReportFiler::PrintPrinterOnly() {
  TBaseReport::PrintPrinterOnly();
  if (FPrinting) Command(cmPrinterOnly);
}

void TReportFiler::PrintBoth() {
  TBaseReport::PrintBoth();
  if (FPrinting) Command(cmBoth);
}

void TReportFiler::SetNamedValue(const std::string& name, const std::string& value) {
  const std::string kept = value.substr(0, MaxValue);
  const auto it = std::find_if(FNamedValues.begin(), FNamedValues.end(),
                               [&](const auto& v) { return v.first == name; });
  if (it != FNamedValues.end())
    it->second = kept;
  else
    FNamedValues.emplace_back(name, kept);
  if (!FPrinting || !Command(cmNamedValue)) return;
  FWriter.WriteNamedValue(name, kept);
}

void TReportFiler::CheckSlot(int index, const char* operation) const {
  if (index < 1 || index > kSlots) throw Exception(SlotMessage(operation));
}

void TReportFiler::RegisterGraphic(int index) {
  CheckSlot(index, "RegisterGraphic");
  FGraphicSlots[size_t(index - 1)] = FLastGraphicPos;
}

void TReportFiler::ReuseGraphic(int index) {
  CheckSlot(index, "ReuseGraphic");
  FReuseSlot = index;
}

void TReportFiler::UnregisterGraphic(int index) {
  CheckSlot(index, "UnregisterGraphic");
  FGraphicSlots[size_t(index - 1)] = 0;
}

// ---- Text ----

void TReportFiler::RecordText(uint8_t code, std::string_view text, double x, double width) {
  if (text.size() > MaxString) {
    // A string field holds at most 16383 bytes: longer text goes as left-set pieces.
    double at = code == cmCenterText  ? x - UnitsToInches(TextWidth(text)) / 2
                : code == cmRightText ? x - UnitsToInches(TextWidth(text))
                                      : x;
    for (size_t from = 0; from < text.size(); from += MaxString) {
      const std::string_view piece = text.substr(from, MaxString);
      RecordText(cmLeftText, piece, at, 0);
      at += UnitsToInches(TextWidth(piece));
    }
    return;
  }
  if (!Command(code)) return;
  FWriter.WriteReal((FYPos + FOriginY) * ScaleY() / 100);
  FWriter.WriteString(text);
  FWriter.WriteReal((x + FOriginX) * ScaleX() / 100);
  if (code == cmBlockText) FWriter.WriteReal(width * ScaleX() / 100);
}

void TReportFiler::DrawTextLeft(std::string_view text, double x) {
  DrawTextAt(text, x, pjLeft);
}
void TReportFiler::DrawTextCentered(std::string_view text, double x) {
  DrawTextAt(text, x, pjCenter);
}
void TReportFiler::DrawTextRight(std::string_view text, double x) {
  DrawTextAt(text, x, pjRight);
}

void TReportFiler::DrawTextAt(std::string_view text, double x, TPrintJustify anchor) {
  CheckPrinting();
  const double w = UnitsToInches(TextWidth(text)) * 10000 / (ScaleX() * ScaleX());
  if (OutputAllowed()) {
    const bool codes = !IgnoreCodes && text.find(CodeMark) != std::string_view::npos;
    const bool macros = HoldsMacro(text);
    // Words land where they stand here on any replay device. A single word, even with
    // blanks around it, keeps its own command: block text would spread it letter by letter
    // over the slack left by the replay device's rounding, and text readers of the printed
    // page would then see letters instead of the word.
    if (FAccuracyMethod == amPositioning && FFont.Rotation == 0 && !macros && !codes &&
        InnerBlanks(text) > 0) {
      const double start = anchor == pjCenter ? x - w / 2 : anchor == pjRight ? x - w : x;
      RecordText(cmBlockText, text, start, w);
    } else {
      RecordText(anchor == pjCenter  ? cmCenterText
                 : anchor == pjRight ? cmRightText
                                     : cmLeftText,
                 text, x, 0);
    }
  }
  MoveAlongText(x, w, anchor);
  MessageHook::ProcessMessages();
}

void TReportFiler::DrawTextBlock(std::string_view text, double width, double x) {
  CheckPrinting();
  if (OutputAllowed()) RecordText(cmBlockText, text, x, width);
  FXPos = x + width;
  MessageHook::ProcessMessages();
}

// ---- Graphics ----

void TReportFiler::FourPoints(uint8_t code, double x1, double y1, double x2, double y2, double x3,
                              double y3, double x4, double y4) {
  CheckPrinting();
  if (!Command(code)) return;
  WriteUnitsPoint(x1, y1);
  WriteUnitsPoint(x2, y2);
  WriteUnitsPoint(x3, y3);
  WriteUnitsPoint(x4, y4);
  MessageHook::ProcessMessages();
}

void TReportFiler::TwoPoints(uint8_t code, double x1, double y1, double x2, double y2) {
  CheckPrinting();
  if (!Command(code)) return;
  WriteUnitsPoint(x1, y1);
  WriteUnitsPoint(x2, y2);
  MessageHook::ProcessMessages();
}

void TReportFiler::Points(uint8_t code, const std::vector<QPointF>& points) {
  CheckPrinting();
  if (points.empty() || !Command(code)) return;
  const size_t count = std::min<size_t>(points.size(), 32768);
  FWriter.WriteShort(int(count - 1));
  for (size_t i = 0; i < count; ++i) WriteUnitsPoint(points[i].x(), points[i].y());
  MessageHook::ProcessMessages();
}

void TReportFiler::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                       double y4) {
  FourPoints(cmArc, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TReportFiler::Chord(double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4) {
  FourPoints(cmChord, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TReportFiler::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                       double y4) {
  FourPoints(cmPie, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TReportFiler::BrushCopy(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                             TColor color) {
  CheckPrinting();
  if (!Command(cmBrushCopy)) return;
  WriteGraphic(bitmap);
  WriteUnitsRect(dest);
  // The source rectangle is in the bitmap's own pixels.
  FWriter.WriteReal(source.left());
  FWriter.WriteReal(source.top());
  FWriter.WriteReal(source.right());
  FWriter.WriteReal(source.bottom());
  FWriter.WriteInt(color);
}

void TReportFiler::CopyRect(const QRectF&, const QRectF&) {
  throw Exception("CopyRect() not supported in file mode.");
}

void TReportFiler::Draw(double x, double y, const QImage& graphic) {
  CheckPrinting();
  if (!Command(cmDraw)) return;
  WriteGraphic(graphic);
  WriteUnitsPoint(x, y);
}

void TReportFiler::DrawFocusRect(const QRectF& rect) {
  CheckPrinting();
  if (Command(cmDrawFocusRect)) WriteUnitsRect(rect);
}

void TReportFiler::Ellipse(double x1, double y1, double x2, double y2) {
  TwoPoints(cmEllipse, x1, y1, x2, y2);
}

void TReportFiler::FillRect(const QRectF& rect) {
  CheckPrinting();
  if (Command(cmFillRect)) WriteUnitsRect(rect);
}

void TReportFiler::FloodFill(double x, double y, TColor color, int fillKind) {
  CheckPrinting();
  if (!Command(cmFloodFill)) return;
  WriteUnitsPoint(x, y);
  FWriter.WriteInt(color);
  FWriter.WriteInt(fillKind);
}

void TReportFiler::FrameRect(const QRectF& rect) {
  CheckPrinting();
  if (Command(cmFrameRect)) WriteUnitsRect(rect);
}

void TReportFiler::DrawLineSegment(double x1, double y1, double x2, double y2) {
  if (!Command(cmMoveTo)) return;
  WriteXY(x1, y1);
  FWriter.WriteByte(cmLineTo);
  WriteXY(x2, y2);
}

void TReportFiler::Polygon(const std::vector<QPointF>& points) {
  Points(cmPolygon, points);
}

void TReportFiler::Polyline(const std::vector<QPointF>& points) {
  Points(cmPolyline, points);
}

void TReportFiler::PrintBitmap(double x, double y, double scaleX, double scaleY,
                               const QImage& bitmap) {
  CheckPrinting();
  if (!Command(cmPrintBitmap)) return;
  WriteGraphic(bitmap);
  WriteUnitsPoint(x, y);
  FWriter.WriteReal(scaleX);
  FWriter.WriteReal(scaleY);
}

void TReportFiler::PrintBitmapRect(double x1, double y1, double x2, double y2,
                                   const QImage& bitmap) {
  CheckPrinting();
  if (!Command(cmPrintBitmapRect)) return;
  WriteGraphic(bitmap);
  WriteUnitsPoint(x1, y1);
  WriteUnitsPoint(x2, y2);
}

void TReportFiler::Rectangle(double x1, double y1, double x2, double y2) {
  TwoPoints(cmRectangle, x1, y1, x2, y2);
}

void TReportFiler::TabRectangle(double x1, double y1, double x2, double y2) {
  TwoPoints(cmTabRectangle, x1, y1, x2, y2);
}

void TReportFiler::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
  CheckPrinting();
  if (!Command(cmRoundRect)) return;
  WriteUnitsPoint(x1, y1);
  WriteUnitsPoint(x2, y2);
  FWriter.WriteReal(UnitsToInches(x3) * ScaleX() / 100);
  FWriter.WriteReal(UnitsToInches(y3) * ScaleY() / 100);
}

void TReportFiler::StretchDraw(const QRectF& rect, const QImage& graphic) {
  CheckPrinting();
  if (!Command(cmStretchDraw)) return;
  WriteUnitsRect(rect);
  WriteGraphic(graphic);
}

void TReportFiler::TextRect(const QRectF& rect, double x, double y, std::string_view text) {
  CheckPrinting();
  if (!Command(cmTextRect)) return;
  WriteUnitsRect(rect);
  WriteUnitsPoint(x, y);
  FWriter.WriteString(text);
}

void TReportFiler::PrintImageRect(double x1, double y1, double x2, double y2,
                                  const std::string& image, const std::string& imageType) {
  CheckPrinting();
  if (!Command(cmImageRect)) return;
  FWriter.WriteInt(int64_t(image.size()));
  FWriter.WriteBytes(image.data(), image.size());
  FWriter.WriteString(imageType);
  WriteUnitsPoint(x1, y1);
  WriteUnitsPoint(x2, y2);
}

void TReportFiler::PrintData(std::string_view bytes) {
  CheckPrinting();
  if (Command(cmPrintData)) FWriter.WriteString(bytes);
}

void TReportFiler::PrintDataStream(TMemoryStream& stream, int64_t count) {
  CheckPrinting();
  count = std::clamp<int64_t>(count, 0, stream.Size() - stream.Position());
  std::string bytes(size_t(count), '\0');
  stream.Read(bytes.data(), count);
  if (!Command(cmPrintDataStream)) return;
  FWriter.WriteInt(count);
  FWriter.WriteBytes(bytes.data(), bytes.size());
}

bool TReportFiler::SelectPaperBin(const std::string& binName) {
  CheckPrinting();
  if (Command(cmPaperBin)) FWriter.WriteString(binName);
  return true;
}

void TReportFiler::SetDeviceByte(uint8_t value) {
  if (FPrinting && Command(cmDeviceByte)) FWriter.WriteByte(value);
}

void TReportFiler::SetGraphicMode(uint8_t mode) {
  CheckPrinting();
  if (Command(cmGraphicMode)) FWriter.WriteByte(mode);
}
