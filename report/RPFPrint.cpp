#include "RPFPrint.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "MessageHook.h"
#include "RPDevice.h"

using namespace RPStream;

namespace {

// A recorded font is fitted to the replay device in steps of 1.1 device pixels; a real
// mismatch of metrics takes a handful, so a stream asking for more is not followed further.
constexpr int kMaxFitSteps = 32;
// Fonts and pens beyond these sizes only cost time to draw; the stream's value is cut.
constexpr double kMaxFontInches = 20;
constexpr double kMaxPenInches = 1;

QPainter::CompositionMode PenModeOf(int code) {
  return code == PenModeXor ? QPainter::RasterOp_SourceXorDestination
                            : QPainter::CompositionMode_SourceOver;
}

// The selection asks only for the order, not for pages: every page is meant.
bool OnlyReverse(const std::string& selection) {
  for (char c : selection)
    if (std::toupper(static_cast<unsigned char>(c)) != 'R' && c != ',' && c != ' ') return false;
  return true;
}

}  // namespace

TWaitCursor::TWaitCursor() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    FSet = true;
  }
}

TWaitCursor::~TWaitCursor() {
  if (FSet) QGuiApplication::restoreOverrideCursor();
}

TFilePrinter::TFilePrinter(QObject* owner) : TReportPrinter(owner) {
  SetUnits(unInch);
}

TFilePrinter::~TFilePrinter() = default;

// ---- The input ----

void TFilePrinter::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, "Error", ToQString(text), QMessageBox::Ok);
  box.exec();
}

bool TFilePrinter::OpenInput() {
  CloseInput();
  if (FStreamMode == smUser) {
    if (!FUserStream) throw Exception("StreamMode is smUser but Stream is nil");
    FInput = FUserStream;
  } else {
    // File modes read the whole file at once: the stream is then fixed while it is
    // replayed, whoever writes the file meanwhile.
    auto own = std::make_unique<TMemoryStream>();
    if (!own->LoadFromFile(FFileName)) {
      ShowError("Error initializing input stream \"" + FFileName + "\"");
      return false;
    }
    FOwnStream = std::move(own);
    FInput = FOwnStream.get();
  }
  FReader = std::make_unique<TReportReader>(std::string_view());
  return true;
}

void TFilePrinter::CloseInput() {
  FReader.reset();
  FOwnStream.reset();
  FInput = nullptr;
}

TReportReader& TFilePrinter::Reader() {
  if (!FReader) TReportReader::Damaged();
  FReader->Rebind(
      std::string_view(reinterpret_cast<const char*>(FInput->Memory()), size_t(FInput->Size())));
  return *FReader;
}

void TFilePrinter::ReadHeader() {
  TReportReader& reader = Reader();
  const int64_t back = reader.Position();
  FHeader = reader.ReadHeader();
  if (back > 0) reader.SetPosition(back);
  if (FHeader.Version > 2009) SetTitle(FHeader.Title);
  FNamedValues.clear();
  FPage = {};
  FCurrentPage = 0;
  if (!NoPrinters()) ApplyHeaderSettings();
}

void TFilePrinter::ApplyHeaderSettings() {
  TRPDevice& device = RPDev();
  if (device.Printing()) return;
  // Orientation and copies go through the writer, which hands them on at the document's
  // start.
  SetOrientation(FHeader.Orientation == 1 ? poLandScape : poPortrait);
  if (!KeepOwnSettings) {
    if (FHeader.HasBinCollateDuplex) {
      device.SetBin(FHeader.Bin);
      device.SetCollate(FHeader.Collate != 0);
      device.SetDuplex(FHeader.Duplex + 1);
    }
    SetCopies(FHeader.Copies);
  }
  device.SetPaperSize(FHeader.PaperSize);
  device.SetPaperDimensions(FHeader.PaperWidth, FHeader.PaperLength);
  if (!FHeader.OutputFile.empty()) device.SetOutputFile(FHeader.OutputFile);
}

int TFilePrinter::PageCount() {
  if (!InputOpen()) {
    if (!OpenInput()) return 0;
    ReadHeader();
  }
  return FHeader.PageCount;
}

// ---- Pages ----

void TFilePrinter::ReadCurrentPageRecord(int64_t position) {
  FPage = Reader().ReadPageRecord(position, FHeader.Version);
  FCurrentPage = FPage.Number;
}

void TFilePrinter::GotoPage(int n) {
  if (FPage.Position == 0) ReadCurrentPageRecord(FHeader.End);
  // Links are followed only in the direction they lead: a written stream's records lie
  // in page order, and a damaged one cannot send the walk round in a circle.
  while (FCurrentPage < n && FPage.Next > 0) {
    if (FPage.Next <= FPage.Position) Damaged();
    ReadCurrentPageRecord(FPage.Next);
  }
  while (FCurrentPage > n && FPage.Previous > 0) {
    if (FPage.Previous >= FPage.Position) Damaged();
    ReadCurrentPageRecord(FPage.Previous);
  }
  ReadCurrentPageRecord(FPage.Position);
}

void TFilePrinter::PlayPage(int n) {
  try {
    GotoPage(n);
    if (FCurrentPage != n) Damaged();
    UpdateStatus();
    PrintBoth();
    TReportReader& reader = Reader();
    while (Perform(reader.ReadCommand(FHeader.Version))) {
    }
    FlushLines();
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    if (e.Message() == BadCode) FAborted = true;
    throw;
  }
  if (FPendingOrientation != 2) {
    SetOrientation(TOrientation(FPendingOrientation));
    FPendingOrientation = 2;
  }
}

void TFilePrinter::Damaged() {
  FAborted = true;
  TReportReader::Damaged();
}

void TFilePrinter::BeginReplayPage() {
  DeviceNewPage(!FSkipPage);
  ReadPageGeometry();
}

// ---- The job ----

void TFilePrinter::Execute() {
  PrintRange(0, 0, 0);
}

void TFilePrinter::PrintRange(int first, int last, int copies) {
  if (NoPrinters()) {
    ShowInformation("No printers are defined, aborting print job.");
    return;
  }
  if (FPrinting) throw Exception(RPMessages::AlreadyPrinting);
  FStartTime = QDateTime::currentSecsSinceEpoch();
  FPendingOrientation = 2;
  TWaitCursor wait;
  if (!OpenInput()) return;
  try {
    ReadHeader();
    if (copies > 0) SetCopies(copies);
    BeginJob();
    DoBeforePrint();
    DeviceBeginDoc();
    OpenJob();
  } catch (...) {
    CloseInput();
    throw;
  }
  RunJob(
      [&] {
        first = std::max(first, 1);
        if (last < 1 || last > FHeader.PageCount) last = FHeader.PageCount;
        std::string selection = Selection();
        const bool reverse = std::any_of(selection.begin(), selection.end(),
                                         [](char c) { return c == 'R' || c == 'r'; });
        const bool everyPage = !selection.empty() && OnlyReverse(selection);
        const int count = std::max(0, last - first + 1);
        for (int i = 0; i < count; ++i) {
          const int page = reverse ? last - i : first + i;
          FSkipPage = !((everyPage || PageSelected(page)) && !FAborted);
          BeginReplayPage();
          MessageHook::ProcessMessages();
          PlayPage(page);
        }
      },
      [this] { EndReplayJob(); });
}

void TFilePrinter::EndReplayJob() {
  const bool aborted = FAborted;
  CloseJob();
  try {
    DeviceEndDoc(aborted);
  } catch (...) {
    if (FStreamMode != smUser) CloseInput();
    DoAfterPrint();
    throw;
  }
  // A user's stream stays open for the next replay; an own one goes.
  if (FStreamMode != smUser) CloseInput();
  DoAfterPrint();
}

// ---- Macros ----

std::string TFilePrinter::MacroText(int index) const {
  const QDateTime start = QDateTime::fromSecsSinceEpoch(FStartTime);
  const QLocale locale;
  switch (index) {
    case 0:
      return FromQString(locale.toString(start.date(), QLocale::ShortFormat));
    case 1:
      return FromQString(locale.toString(start.date(), QLocale::LongFormat));
    case 2:
      return FromQString(start.toString("MM/dd/yy"));
    case 3:
      return FromQString(start.toString("dd/MM/yy"));
    case 4:
      return FromQString(locale.toString(start.time(), QLocale::ShortFormat));
    case 5:
      return FromQString(locale.toString(start.time(), QLocale::LongFormat));
    case 6:
      return FromQString(start.toString("hh:mm AP"));
    case 7:
      return FromQString(start.toString("hh:mm"));
    case 8:
      return std::to_string(FirstPage());
    case 9:
      return std::to_string(LastPage());
    case 10:
      return std::to_string(FHeader.PageCount);
    case 11:
      return std::to_string(FCurrentPage);
    case 12:
      return std::to_string(FCurrentPage - FirstPage() + 1);
    case 13:
      return DeviceName();
    case 14:
      return DriverName();
    case 15:
      return PortName();
    default:
      return size_t(index - 16) < MacroStrings.size() ? MacroStrings[size_t(index - 16)] : "";
  }
}

std::string TFilePrinter::NamedValueText(const std::string& name) const {
  for (const auto& [n, v] : FNamedValues)
    if (n == name) return v;
  return "";
}

std::string TFilePrinter::ExpandMacros(std::string_view text) const {
  if (!HoldsMacro(text)) return std::string(text);
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const std::string_view rest = text.substr(i + 1);
    if (text[i] == MacroMark && rest.starts_with("$RPCM") && rest.size() >= 7 &&
        std::isdigit(static_cast<unsigned char>(rest[5])) &&
        std::isdigit(static_cast<unsigned char>(rest[6]))) {
      out += MacroText((rest[5] - '0') * 10 + (rest[6] - '0'));
      i += 8;
      continue;
    }
    if (text[i] == MacroMark && rest.starts_with("$RPCV") && rest.size() > 5 &&
        rest[5] == ValueStart) {
      const size_t end = rest.find(ValueEnd, 6);
      if (end != std::string_view::npos) {
        out += NamedValueText(std::string(rest.substr(6, end - 6)));
        i += end + 2;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

// ---- Commands ----

QImage TFilePrinter::GraphicImage(const TStreamField& field) const {
  QImage image;
  image.loadFromData(reinterpret_cast<const uchar*>(field.Bytes.data()), int(field.Bytes.size()),
                     field.Number == 1 ? "BMP" : nullptr);
  return image;
}

void TFilePrinter::PerformFontSize(double size, double referenceWidth) {
  size = std::min(size, kMaxFontInches);
  SetFontHeight(InchesToUnits(size));
  if (FHeader.Version < 2000 || referenceWidth <= 0) return;
  // The replay device may set the same font wider than the recording one did; a line
  // measured there must still fit, so the font shrinks until the reference text does.
  // The width is compared as the stream keeps it, a single: on the recording device
  // itself the exact width would otherwise exceed its rounded-down record and shrink the
  // font for nothing, moving every word after the first.
  const auto measure = [&] {
    return double(float(double(TextWidthPixels(ReferenceText)) / XDPI() * 100 / Zoom()));
  };
  double width = measure();
  for (int step = 0; width > referenceWidth && step < kMaxFitSteps; ++step) {
    const double smaller = FFont.Size / 72 - 1.1 * 100 / (YDPI() * Zoom());
    SetFontHeight(InchesToUnits(smaller));
    const double narrower = measure();
    if (narrower >= width) {
      SetFontHeight(InchesToUnits(size));
      return;
    }
    width = narrower;
  }
}

void TFilePrinter::PerformText(const TStreamCommand& c) {
  switch (c.Code) {
    case cmCenterText:
    case cmLeftText:
    case cmRightText: {
      FYPos = c.Real(0);
      const std::string text = ExpandMacros(c.Text(1));
      if (c.Code == cmCenterText)
        DrawTextCentered(text, c.Real(2));
      else if (c.Code == cmLeftText)
        DrawTextLeft(text, c.Real(2));
      else
        DrawTextRight(text, c.Real(2));
      break;
    }
    case cmOldBlockText:
    case cmBlockText:
      FYPos = c.Real(0);
      DrawTextBlock(ExpandMacros(c.Text(1)), c.Real(3), c.Real(2));
      break;
    case cmTextRect:
      TextRect(QRectF(QPointF(InchesToUnits(c.Real(0)), InchesToUnits(c.Real(1))),
                      QPointF(InchesToUnits(c.Real(2)), InchesToUnits(c.Real(3)))),
               InchesToUnits(c.Real(4)), InchesToUnits(c.Real(5)), ExpandMacros(c.Text(6)));
      break;
  }
  MessageHook::ProcessMessages();
}

void TFilePrinter::PerformGraphics(const TStreamCommand& c) {
  const auto u = [&](size_t i) { return InchesToUnits(c.Real(i)); };
  const auto rect = [&](size_t i) {
    return QRectF(QPointF(u(i), u(i + 1)), QPointF(u(i + 2), u(i + 3)));
  };
  switch (c.Code) {
    case cmArc:
      Arc(u(0), u(1), u(2), u(3), u(4), u(5), u(6), u(7));
      break;
    case cmChord:
      Chord(u(0), u(1), u(2), u(3), u(4), u(5), u(6), u(7));
      break;
    case cmPie:
      Pie(u(0), u(1), u(2), u(3), u(4), u(5), u(6), u(7));
      break;
    case cmCopyRect:
      CopyRect(rect(0), rect(4));
      break;
    case cmBrushCopy:
      BrushCopy(rect(1), GraphicImage(c.Fields[0]),
                QRectF(QPointF(c.Real(5), c.Real(6)), QPointF(c.Real(7), c.Real(8))),
                TColor(c.Int(9)));
      break;
    case cmDraw:
      Draw(u(1), u(2), GraphicImage(c.Fields[0]));
      break;
    case cmDrawFocusRect:
      DrawFocusRect(rect(0));
      break;
    case cmEllipse:
      Ellipse(u(0), u(1), u(2), u(3));
      break;
    case cmFillRect:
      FillRect(rect(0));
      break;
    case cmFloodFill:
      FloodFill(u(0), u(1), TColor(c.Int(2)), c.Int(3));
      break;
    case cmFrameRect:
      FrameRect(rect(0));
      break;
    case cmLineTo:
      LineTo(u(0), u(1));
      break;
    case cmMoveTo:
      MoveTo(u(0), u(1));
      break;
    case cmPolygon:
    case cmPolyline: {
      std::vector<QPointF> points;
      for (size_t i = 1; i + 1 < c.Fields.size(); i += 2) points.emplace_back(u(i), u(i + 1));
      if (c.Code == cmPolygon)
        Polygon(points);
      else
        Polyline(points);
      break;
    }
    case cmPrintBitmap:
      PrintBitmap(u(1), u(2), c.Real(3), c.Real(4), GraphicImage(c.Fields[0]));
      break;
    case cmPrintBitmapRect:
      PrintBitmapRect(u(1), u(2), u(3), u(4), GraphicImage(c.Fields[0]));
      break;
    case cmRectangle:
      Rectangle(u(0), u(1), u(2), u(3));
      break;
    case cmTabRectangle:
      TabRectangle(u(0), u(1), u(2), u(3));
      break;
    case cmRoundRect:
      RoundRect(u(0), u(1), u(2), u(3), u(4), u(5));
      break;
    case cmStretchDraw:
      StretchDraw(rect(0), GraphicImage(c.Fields[4]));
      break;
    case cmImageRect:
      if (OnDecodeImage) {
        TMemoryStream image;
        image.WriteString(c.Text(0));
        image.SetPosition(0);
        QImage bitmap;
        OnDecodeImage(this, image, c.Text(1), bitmap);
        PrintBitmapRect(u(2), u(3), u(4), u(5), bitmap);
      } else {
        PrintImageRect(u(2), u(3), u(4), u(5), c.Text(0), c.Text(1));
      }
      break;
  }
  MessageHook::ProcessMessages();
}

void TFilePrinter::PerformState(const TStreamCommand& c) {
  switch (c.Code) {
    case cmBKMode:
      SetTextBKMode(c.Int(0) ? bkOpaque : bkTransparent);
      break;
    case cmBackColor:
      SetBackColor(TColor(c.Int(0)));
      break;
    case cmPrintData:
      PrintData(ExpandMacros(c.Text(0)));
      break;
    case cmPrintDataStream: {
      TMemoryStream data;
      data.WriteString(c.Text(0));
      data.SetPosition(0);
      PrintDataStream(data, data.Size());
      break;
    }
    case cmNamedValue: {
      const auto it = std::find_if(FNamedValues.begin(), FNamedValues.end(),
                                   [&](const auto& v) { return v.first == c.Text(0); });
      if (it != FNamedValues.end())
        it->second = c.Text(1);
      else
        FNamedValues.emplace_back(c.Text(0), c.Text(1));
      break;
    }
    case cmOldBrush:
    case cmBrushColor:
    case cmBrushStyle:
    case cmBrushBitmap: {
      TRPBrush brush = Brush();
      if (c.Code == cmBrushColor) brush.Color = TColor(c.Int(0));
      if (c.Code == cmBrushStyle) brush.Style = StyleOf(BrushStyles, c.Int(0));
      if (c.Code == cmBrushBitmap)
        brush.Bitmap = c.Int(0) == 1 ? GraphicImage(c.Fields[1]) : QImage();
      if (c.Code == cmOldBrush) {
        brush.Color = TColor(c.Int(0));
        brush.Style = StyleOf(BrushStyles, c.Int(1));
        brush.Bitmap = c.Int(2) == 1 ? GraphicImage(c.Fields[3]) : QImage();
      }
      SetBrush(brush);
      break;
    }
    case cmOldPen:
    case cmPenColor:
    case cmPenMode:
    case cmPenStyle:
    case cmPenWidth: {
      TRPPen pen = Pen();
      const auto width = [&](double inches) {
        return int(std::lround(std::min(inches, kMaxPenInches) * XDPI() * Zoom() / 100));
      };
      if (c.Code == cmPenColor) pen.Color = TColor(c.Int(0));
      if (c.Code == cmPenMode) pen.Mode = PenModeOf(c.Int(0));
      if (c.Code == cmPenStyle) pen.Style = StyleOf(PenStyles, c.Int(0));
      if (c.Code == cmPenWidth) pen.Width = width(c.Real(0));
      if (c.Code == cmOldPen) {
        pen.Color = TColor(c.Int(0));
        pen.Mode = PenModeOf(c.Int(1));
        pen.Style = StyleOf(PenStyles, c.Int(2));
        pen.Width = width(c.Real(3));
      }
      SetPen(pen);
      break;
    }
    case cmOldFont: {
      // name, colour, pitch, [charset], size, bold, italic, underline, strike-out, [rotation]
      const bool charset = FHeader.Version >= 2018;
      size_t i = 0;
      SetFontName(c.Text(i++));
      SetFontColor(TColor(c.Int(i++)));
      SetFontPitch(c.Int(i++));
      if (charset) SetFontCharset(c.Int(i++));
      SetFontHeight(InchesToUnits(std::min(c.Real(i++), kMaxFontInches)));
      SetBold(c.Int(i++) != 0);
      SetItalic(c.Int(i++) != 0);
      SetUnderline(c.Int(i++) != 0);
      SetStrikeOut(c.Int(i++) != 0);
      if (i < c.Fields.size()) SetFontRotation(c.Int(i));
      break;
    }
    case cmFontName:
      SetFontName(c.Text(0));
      break;
    case cmFontColor:
      SetFontColor(TColor(c.Int(0)));
      break;
    case cmFontPitch:
      SetFontPitch(c.Int(0));
      break;
    case cmFontSize:
      PerformFontSize(c.Real(0), c.Real(1));
      break;
    case cmFontBold:
      SetBold(c.Int(0) != 0);
      break;
    case cmFontUnderline:
      SetUnderline(c.Int(0) != 0);
      break;
    case cmFontItalic:
      SetItalic(c.Int(0) != 0);
      break;
    case cmFontStrikeOut:
      SetStrikeOut(c.Int(0) != 0);
      break;
    case cmFontSuperscript:
      SetSuperscript(c.Int(0) != 0);
      break;
    case cmFontSubscript:
      SetSubscript(c.Int(0) != 0);
      break;
    case cmFontRotation:
      SetFontRotation(c.Int(0));
      break;
    case cmFontAlign:
      SetFontAlign(c.Int(0));
      break;
    case cmFontCharset:
      SetFontCharset(c.Int(0));
      break;
    case cmLineMetrics:
      FAscent = c.Real(0);
      FDescent = c.Real(1);
      FLineHeight = c.Real(2);
      break;
    case cmPreviewOnly:
      PrintPreviewOnly();
      break;
    case cmPrinterOnly:
      PrintPrinterOnly();
      break;
    case cmBoth:
      PrintBoth();
      break;
    case cmOrientation:
      FPendingOrientation = c.Int(0) == 1 ? poLandScape : poPortrait;
      break;
    case cmPaperBin:
      SelectPaperBin(ExpandMacros(c.Text(0)));
      break;
  }
}

bool TFilePrinter::Perform(const TStreamCommand& c) {
  switch (c.Code) {
    case cmEndPage:
      return false;
    case cmScaleX:
    case cmScaleY:
    case cmDeviceByte:
    case cmGraphicMode:
      // Recorded coordinates already carry the recording's scale; the device byte and the
      // graphic mode have no meaning on a painter.
      return true;
    case cmCenterText:
    case cmLeftText:
    case cmRightText:
    case cmOldBlockText:
    case cmBlockText:
    case cmTextRect:
      PerformText(c);
      return true;
    default:
      if (c.Code <= cmStretchDraw || c.Code == cmImageRect)
        PerformGraphics(c);
      else
        PerformState(c);
      return true;
  }
}
