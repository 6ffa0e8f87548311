#pragma once

#include <QBrush>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "QtCodepage.h"
#include "RPDefine.h"
#include "RPFontCache.h"
#include "StringList.h"

class QPainter;
class QPaintDevice;
class TMemoryStream;
class TBaseReport;

// The writer: page model, text cursor, fonts, tabs and the life cycle of one print job.
// Lengths cross the interface in the caller's Units and are kept in inches inside.
//
// How a device plugs in. Everything device-specific is a protected virtual of the
// "device seam" group below; this class never talks to a printer itself:
//  - NoPrinters() says whether any printer is installed (no printer: Letter paper at
//    96 dpi and no unprintable strips);
//  - ReadDeviceMetrics() is the information context: resolution, paper and printable
//    area in device pixels, read at each job start and new page;
//  - MetricDevice() is the paint device fonts are measured against (nullptr: plain pixel
//    metrics), Canvas() the QPainter drawn on while a page is open;
//  - DeviceBeginDoc()/DeviceNewPage()/DeviceEndDoc() are the document calls that the
//    default Start/NewPage/Finish make at the printer writer's points.
// A canvas writer implements the four text primitives; a printer writer adds the device
// seam (and its no-printer message in Start). A stream writer overrides Start/NewPage/
// Finish and the primitives to record them instead.

// Device capabilities of an information context, in device pixels.
struct TDeviceMetrics {
  int LogPixelsX = 96;
  int LogPixelsY = 96;
  int PhysicalOffsetX = 0;
  int PhysicalOffsetY = 0;
  int PhysicalWidth = 0;
  int PhysicalHeight = 0;
  int HorzRes = 0;
  int VertRes = 0;
};

class TRPBaseComponent : public TRPComponent {
 public:
  using TRPComponent::TRPComponent;
};

// A block of text a writer prints a few wrapped lines at a time (TMemoBuf).
class TBaseMemoBuf {
 public:
  virtual ~TBaseMemoBuf() = default;
  TBaseReport* BaseReport = nullptr;
  // Prints count lines (0: all that remain); the height printed, in writer units.
  virtual double PrintLines(int count, bool tabbed) = 0;
};

// The current font as the caller set it.
struct TRPFontRecord {
  std::string Name = "Arial";
  double Size = 10;  // points
  double Width = 0;  // inches; 0: the face's own proportions
  int Pitch = fpDefault;
  int Charset = 1;
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool Superscript = false;
  bool Subscript = false;
  int Rotation = 0;  // degrees, 0..359
  int Align = faBaseline;
  bool operator==(const TRPFontRecord&) const = default;
};

// Box lines drawn around a tab cell.
enum TBoxLine { blNone = 0, blLeft = 1, blRight = 2, blTop = 4, blBottom = 8, blAll = 15 };

struct TTabStop {
  double Pos = 0;  // inches from the paper's left edge
  int Justify = pjLeft;
  double Width = 0;   // inches; 0: no cell, only a stop
  double Margin = 0;  // inches kept free inside the cell
  int Lines = blNone;
  int Shade = 0;  // percent
};
using TTabSet = std::vector<TTabStop>;

struct TRPPen {
  TColor Color = clBlack;
  Qt::PenStyle Style = Qt::SolidLine;
  QPainter::CompositionMode Mode = QPainter::CompositionMode_SourceOver;
  int Width = 1;  // device pixels
  bool operator==(const TRPPen&) const = default;
};

struct TRPBrush {
  TColor Color = clBlack;
  Qt::BrushStyle Style = Qt::NoBrush;
  QImage Bitmap;
};

class TBaseReport : public TRPBaseComponent {
 public:
  explicit TBaseReport(QObject* owner = nullptr);
  ~TBaseReport() override;

  // ---- Published properties ----
  int FirstPage() const { return FFirstPage; }
  void SetFirstPage(int value) { FFirstPage = value; }
  int LastPage() const { return FLastPage; }
  void SetLastPage(int value) { FLastPage = value; }
  QLabel* StatusLabel() const { return FStatusLabel; }
  void SetStatusLabel(QLabel* label) { FStatusLabel = label; }
  const std::string& StatusFormat() const { return FStatusFormat; }
  void SetStatusFormat(std::string format) { FStatusFormat = std::move(format); }
  TStringList& StatusText() { return FStatusText; }
  void SetStatusText(const TStringList& lines) { FStatusText.Assign(lines); }
  TLineHeightMethod LineHeightMethod() const { return FLineHeightMethod; }
  void SetLineHeightMethod(TLineHeightMethod value) { FLineHeightMethod = value; }
  int LinesPerInch() const { return FLinesPerInch; }
  void SetLinesPerInch(int value);
  TPrintUnits Units() const { return FUnits; }
  void SetUnits(TPrintUnits value);
  double UnitsFactor() const { return FUnitsFactor; }
  void SetUnitsFactor(double value);
  double MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(double value);
  double MarginRight() const { return FMarginRight; }
  void SetMarginRight(double value);
  double MarginTop() const { return FMarginTop; }
  void SetMarginTop(double value);
  double MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(double value);
  int TabShade() const { return FTabShade; }
  void SetTabShade(int value);
  const std::string& Title() const { return FTitle; }
  void SetTitle(std::string value) { FTitle = std::move(value); }
  int Copies() const { return FCopies; }
  void SetCopies(int value) { FCopies = value; }
  TOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TOrientation value) {
    FOrientation = value;
    OrientationChanged();
  }
  TBKMode TextBKMode() const { return FTextBKMode; }
  virtual void SetTextBKMode(TBKMode value) { FTextBKMode = value; }
  double ScaleX() const { return FScaleX; }
  virtual void SetScaleX(double value) { FScaleX = value; }
  double ScaleY() const { return FScaleY; }
  virtual void SetScaleY(double value) { FScaleY = value; }

  TNotifyEvent OnPrint;
  TPrintPageEvent OnPrintPage;
  TNotifyEvent OnBeforePrint;
  TNotifyEvent OnAfterPrint;
  TNotifyEvent OnNewPage;
  TNotifyEvent OnNewColumn;
  TNotifyEvent OnPrintHeader;
  TNotifyEvent OnPrintFooter;
  TNotifyEvent OnEndOfSection;
  // The report's own macro strings, the macros from 16 on: a generating writer's are
  // handed to the writers that replay its stream.
  std::vector<std::string> MacroStrings;

  // ---- Units ----
  double UnitsToInches(double value) const { return value / FUnitsFactor; }
  double InchesToUnits(double inches) const { return inches * FUnitsFactor; }

  // ---- Page state ----
  int XDPI() const { return FXDPI; }
  int YDPI() const { return FYDPI; }
  double PhysLeft() const { return FPhysLeft; }
  double PhysRight() const { return FPhysRight; }
  double PhysTop() const { return FPhysTop; }
  double PhysBottom() const { return FPhysBottom; }
  double PageWidth() const;   // units
  double PageHeight() const;  // units
  double SectionLeft() const { return InchesToUnits(FSectionLeft); }
  void SetSectionLeft(double value);
  double SectionRight() const { return InchesToUnits(FSectionRight); }
  void SetSectionRight(double value);
  double SectionTop() const { return InchesToUnits(FSectionTop); }
  void SetSectionTop(double value);
  double SectionBottom() const { return InchesToUnits(FSectionBottom); }
  void SetSectionBottom(double value);
  double MarginLeftPos() const { return FMarginLeftPos; }  // inches from the paper's edge
  double MarginRightPos() const { return FMarginRightPos; }
  double MarginTopPos() const { return FMarginTopPos; }
  double MarginBottomPos() const { return FMarginBottomPos; }
  double OriginX() const { return InchesToUnits(FOriginX); }
  void SetOriginX(double value) { FOriginX = UnitsToInches(value); }
  double OriginY() const { return InchesToUnits(FOriginY); }
  void SetOriginY(double value) { FOriginY = UnitsToInches(value); }
  double Zoom() const { return FZoom; }
  int DevOffsetX() const { return FDevOffsetX; }
  int DevOffsetY() const { return FDevOffsetY; }
  int CurrentPage() const { return FCurrentPage; }
  int CurrentCopy() const { return FCurrentCopy; }
  void SetCurrentCopy(int value) { FCurrentCopy = value; }
  int TotalCopies() const { return FTotalCopies; }
  void SetTotalCopies(int value) { FTotalCopies = value; }
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  bool SkipPage() const { return FSkipPage; }
  const std::string& Selection() const { return FSelection; }
  void SetSelection(std::string value) { FSelection = std::move(value); }
  // Whether page produces output, by Selection or else FirstPage..LastPage. A token that
  // is not a number raises the runtime's integer-conversion error.
  bool PageSelected(int page) const;
  // StatusFormat with its codes replaced, as the status label shows it.
  std::string StatusMessage() const;

  // ---- Device coordinates (round half to even) ----
  int XI2D(double inches) const;
  int YI2D(double inches) const;
  double XD2I(int pixel) const;
  double YD2I(int pixel) const;
  int XU2D(double value) const { return XI2D(UnitsToInches(value)); }
  int YU2D(double value) const { return YI2D(UnitsToInches(value)); }
  double XD2U(int pixel) const { return InchesToUnits(XD2I(pixel)); }
  double YD2U(int pixel) const { return InchesToUnits(YD2I(pixel)); }

  // ---- Cursor ----
  double XPos() const { return InchesToUnits(FXPos); }
  void SetXPos(double value) { FXPos = UnitsToInches(value); }
  double YPos() const { return InchesToUnits(FYPos); }
  void SetYPos(double value) { FYPos = UnitsToInches(value); }
  int LineNumber() const { return FLineNumber; }
  void SetLineNumber(int line) { GotoLine(line); }
  int ColumnNumber() const { return FColumnNumber; }
  int Columns() const { return FColumns; }
  double ColumnWidth() const { return InchesToUnits(FColumnWidth); }
  double LineHeight() const { return InchesToUnits(FLineHeight); }
  // Sets the height (units) and switches to lhmUser so that it stays.
  void SetLineHeight(double value);
  double AscentHeight() const { return InchesToUnits(FAscent); }
  double DescentHeight() const { return InchesToUnits(FDescent); }
  double LineTop() const { return InchesToUnits(FYPos + FDescent - FLineHeight); }
  double LineBottom() const { return InchesToUnits(FYPos + FDescent); }
  double LineMiddle() const { return InchesToUnits(FYPos - FAscent); }
  double LineStart() const { return InchesToUnits(LineStartI()); }
  void CarriageReturn();
  void LineFeed();
  void NewLine();
  void EndParagraph();
  void MoveToFirstLine();
  void FitLineToFont();
  void ClearColumns();
  int LinesLeft();
  int LinesLeftInColumn();
  // Position stack (XPos, YPos).
  void PushPos();
  void PopPos();

  // ---- Font ----
  const TRPFontRecord& Font() const { return FFont; }
  virtual void SetFont(const std::string& name, double size);
  void SetBold(bool value);
  void SetItalic(bool value);
  void SetUnderline(bool value);
  void SetStrikeOut(bool value);
  void SetSuperscript(bool value);
  void SetSubscript(bool value);
  void SetFontRotation(int degrees);
  void SetFontColor(TColor value);
  void SetFontName(const std::string& value);
  void SetFontSize(double points);
  double FontHeight() const { return InchesToUnits(FFont.Size / 72.0); }
  void SetFontHeight(double value);
  void SetFontWidth(double value);
  void SetFontPitch(int value);
  void SetFontCharset(int value);
  void SetFontAlign(int value);
  bool Bold() const { return FFont.Bold; }
  int FontPitch() const { return FFont.Pitch; }
  // Font slots 1..10 and the font stack.
  void SaveFont(int slot);
  void RestoreFont(int slot);
  void PushFont();
  void PopFont();
  const TRPFontCache& FontCache() const { return FFontCache; }

  // ---- Text ----
  virtual double TextWidth(std::string_view text);           // units
  int TextWidthPixels(std::string_view text);                // device pixels, tabs expanded
  double TabInterval() const { return 0.5 / FUnitsFactor; }  // inches
  void PrintCentered(std::string_view text, double x);
  void PrintLeft(std::string_view text, double x);
  void PrintRight(std::string_view text, double x);
  void PrintBlock(std::string_view text, double x, double width);
  void PrintAtCursor(std::string_view text);
  // justify as TPrintJustify; width, margin and x in inches.
  void PrintJustified(std::string_view text, int justify, double width, double margin, double x);
  void PrintWithTabs(std::string_view text);
  void PrintMemo(TBaseMemoBuf& memo, int lines, bool tabbed);

  // ---- Tabs ----
  // x in units from the paper's left edge, width and margin in units.
  void SetTab(double x, int justify, double width, double margin, int lines, int shade);
  void ClearTabs();
  void ResetTabs() { FTabIndex = -1; }
  const TTabSet& Tabs() const { return *FTabs; }
  int TabCount() const { return int(FTabs->size()); }
  void SaveTabs(int slot);
  void RestoreTabs(int slot);
  void PushTabs();
  void PopTabs();
  // Moves to the next tab stop, drawing its box lines (widths in pixels, -1: the stop's
  // own) and shading (-1: the stop's own, else percent).
  virtual void Tab(int leftWidth = -1, int rightWidth = -1, int topWidth = -1, int bottomWidth = -1,
                   int shadeOverride = -1);
  // A tab followed by the text cut to the tab cell's width.
  virtual void PrintTab(std::string_view text);

  // ---- Graphics (units) ----
  virtual void SetPen(const TRPPen& pen);
  virtual void SetBrush(const TRPBrush& brush);
  const TRPPen& Pen() const { return FPen; }
  const TRPBrush& Brush() const { return FBrush; }
  virtual void SetBackColor(TColor color) { FBackColor = color; }
  virtual void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4);
  virtual void BrushCopy(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                         TColor color);
  virtual void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                     double y4);
  virtual void CopyRect(const QRectF& dest, const QRectF& source);
  virtual void Draw(double x, double y, const QImage& graphic);
  virtual void DrawFocusRect(const QRectF& rect);
  virtual void Ellipse(double x1, double y1, double x2, double y2);
  virtual void FillRect(const QRectF& rect);
  virtual void FloodFill(double x, double y, TColor color, int fillKind);
  virtual void FrameRect(const QRectF& rect);
  virtual void LineTo(double x, double y);
  virtual void MoveTo(double x, double y);
  virtual void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4);
  virtual void Polygon(const std::vector<QPointF>& points);
  virtual void Polyline(const std::vector<QPointF>& points);
  virtual void PrintBitmap(double x, double y, double scaleX, double scaleY, const QImage& bitmap);
  virtual void PrintBitmapRect(double x1, double y1, double x2, double y2, const QImage& bitmap);
  virtual void Rectangle(double x1, double y1, double x2, double y2);
  virtual void TabRectangle(double x1, double y1, double x2, double y2);
  virtual void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3);
  virtual void StretchDraw(const QRectF& rect, const QImage& graphic);
  virtual void TextRect(const QRectF& rect, double x, double y, std::string_view text);
  virtual void PrintImageRect(double x1, double y1, double x2, double y2, const std::string& image,
                              const std::string& imageType);
  // Raw printer data: a painter has no pass-through, so canvas writers only check the job.
  virtual void PrintData(std::string_view bytes);
  virtual void PrintDataStream(TMemoryStream& stream, int64_t count);
  virtual bool SelectPaperBin(const std::string& binName);
  // A one-byte device setting: only recorded, a painter has none.
  virtual void SetDeviceByte(uint8_t) {}

  // ---- Output switches ----
  virtual void PrintPreviewOnly();
  virtual void PrintPrinterOnly();
  virtual void PrintBoth();
  bool OutputEnabled(int kind) const { return (FOutputKinds >> kind) & 1; }

  // ---- Job ----
  virtual bool NoPrinters() const { return true; }
  virtual int OutputKind() const { return okPrinter; }
  virtual QPainter* Canvas() { return nullptr; }
  virtual void Execute();
  virtual void Start();
  virtual void NewPage();
  virtual void Finish();
  virtual void DiscardPage() {}
  void Abort();
  // Raises unless printing (and the silent abort once aborted).
  void CheckPrinting() const;
  // After CheckPrinting: whether this page and this writer kind produce output.
  bool OutputAllowed() const { return !FSkipPage && OutputEnabled(OutputKind()); }

  // Hooks run at every page start and end (a shell marks new pages with one).
  int AddPageStartHook(std::function<void()> hook);
  void RemovePageStartHook(int id);
  int AddPageEndHook(std::function<void()> hook);
  void RemovePageEndHook(int id);

 protected:
  // Device pixels from inches round half to even, as the platform's conversions did.
  static int RoundHalfEven(double value) { return int(std::nearbyint(value)); }

  // ---- Event dispatchers ----
  virtual void DoPrint();
  virtual bool DoPrintPage();
  virtual void DoBeforePrint();
  virtual void DoAfterPrint();
  virtual void DoNewPage();
  virtual void DoNewColumn();
  virtual void DoPrintHeader();
  virtual void DoPrintFooter();
  virtual void DoEndOfSection();

  // ---- Font notification ----
  // Called after an attribute changed (unless suspended) while the font is hooked.
  virtual void FontChanged() {}
  virtual void HookFontChange() { FFontHooked = true; }
  virtual void UnhookFontChange() { FFontHooked = false; }
  virtual void OrientationChanged() {}

  // ---- Text primitives (x and width in inches, at YPos) ----
  virtual void DrawTextCentered(std::string_view text, double x) = 0;
  virtual void DrawTextLeft(std::string_view text, double x) = 0;
  virtual void DrawTextRight(std::string_view text, double x) = 0;
  virtual void DrawTextBlock(std::string_view text, double width, double x) = 0;

  // ---- The device seam ----
  virtual bool ReadDeviceMetrics(TDeviceMetrics&) { return false; }
  virtual QPaintDevice* MetricDevice() { return nullptr; }
  virtual void DeviceBeginDoc() {}
  // Closes an open page and opens the next when open is set.
  virtual void DeviceNewPage(bool /*open*/) {}
  virtual void DeviceEndDoc(bool /*aborted*/) {}
  virtual std::string DeviceName() const { return ""; }
  virtual std::string DriverName() const { return ""; }
  virtual std::string PortName() const { return ""; }

  // ---- Shared pieces of Start, NewPage and Finish ----
  // Raises when running; clears Aborted; CurrentPage = 0.
  void BeginJob();
  // Aborts a job that an exception ends.
  void Fail();
  // Runs a started job's pages, then ends the job with end: a cancel ends it quietly, any
  // other exception fails the job, ends it and goes on to the caller.
  void RunJob(const std::function<void()>& pages, const std::function<void()>& end);
  // Geometry, margins and section for a new job; Printing = true; page-state reset.
  void OpenJob();
  // CurrentPage = 1 and SkipPage decided.
  void FirstPageOfJob();
  // Status text, then (unless aborted) page-start hooks, DoNewPage, DoPrintHeader.
  void PageStart();
  // DoPrintFooter and the page-end hooks.
  void PageEnd();
  // Between page end and page start, in two halves around the device's new page (which
  // may change the paper): the next page's number and whether it is skipped, then - after
  // the geometry was read - its margins, section and cursor.
  void NextPageNumber();
  void LayOutNewPage();
  // Fonts and pending lines released; Printing = false.
  void CloseJob();
  void ResetPageState();
  void ReadPageGeometry();
  void RecomputeMarginPositions();
  void SectionToMargins();
  void UpdateStatus();
  // Sets the resolution of a writer that supplies its own (the preview).
  void SetResolution(int xdpi, int ydpi) {
    FXDPI = xdpi;
    FYDPI = ydpi;
  }
  void SetZoom(double zoom) { FZoom = zoom; }
  void SetDevOffset(int x, int y) {
    FDevOffsetX = x;
    FDevOffsetY = y;
  }

  // ---- Font realisation and metrics ----
  // Current font as a platform font, from the cache; refreshes Ascent/Descent/Leading.
  const TRPCachedFont& RealiseFont();
  virtual void ComputeLineHeight();
  // Text colour on the device (monochrome printers print non-white text black).
  virtual TColor TextColor() const { return FFont.Color; }

  // ---- Cursor internals (inches) ----
  void GotoLine(int line);
  void GotoColumn(int column);
  double LineStartI() const { return FSectionLeft + (FColumnNumber - 1) * FColumnWidth; }
  void PullCursorInside();

  // Draws one line on the canvas with the current pen (inches); the stream writer records.
  virtual void DrawLineSegment(double x1, double y1, double x2, double y2);
  // Moves the cursor past text `width` inches wide whose justify point is at x: past its
  // end, its middle or not at all, along the font's rotation.
  void MoveAlongText(double x, double width, TPrintJustify justify);
  // Draws the merged horizontal and vertical segments of the page.
  void FlushLines();
  // Frees the fonts made so far; the next text makes its font again.
  void ReleaseFonts() { FFontCache.Clear(); }
  // The painter with the current pen and brush, or nullptr when nothing is drawn.
  QPainter* GraphicsPainter();
  QPointF PointI2D(double xInches, double yInches) const;
  QPointF PointU2D(double x, double y) const {
    return PointI2D(UnitsToInches(x), UnitsToInches(y));
  }
  QRectF RectU2D(const QRectF& rect) const;

  // ---- State (inches unless said otherwise) ----
  double FXPos = 0, FYPos = 0;
  double FAscent = 0, FDescent = 0, FLeading = 0;
  double FLineHeight = 1.0 / 6;
  double FSectionLeft = 0, FSectionRight = 0, FSectionTop = 0, FSectionBottom = 0;
  double FOriginX = 0, FOriginY = 0;
  double FPhysLeft = 0, FPhysRight = 0, FPhysTop = 0, FPhysBottom = 0;
  int FXDPI = 300, FYDPI = 300;
  double FZoom = 100;
  int FDevOffsetX = 0, FDevOffsetY = 0;
  TRPFontRecord FFont;
  TColor FBackColor = clWhite;
  int FCurrentPage = 0;
  bool FPrinting = false;
  bool FAborted = false;
  // The job is ending by an exception: it is aborted, so nothing half-done goes out.
  bool FFailed = false;
  bool FSkipPage = false;

 private:
  void NotifyFont();
  double MarginRightPosFor(double value) const;
  double MarginBottomPosFor(double value) const;
  void SetTabSet(std::shared_ptr<TTabSet> set);
  TTabSet& MutableTabs();
  enum TArcShape { asArc, asChord, asPie };
  void ArcShape(TArcShape shape, double x1, double y1, double x2, double y2, double x3, double y3,
                double x4, double y4);
  void DrawTabBox(const TTabStop& tab, int left, int right, int top, int bottom, int shade);
  struct TLineSegment {
    bool Horizontal;
    int Fixed;        // the pixel row or column
    double From, To;  // inches along the line
    double FixedI;    // inches across
    TRPPen Pen;
  };
  struct THook {
    int Id;
    std::function<void()> Run;
  };
  static void RunHooks(const std::vector<THook>& hooks);

  int FFirstPage = 1;
  int FLastPage = 9999;
  QPointer<QLabel> FStatusLabel;
  std::string FStatusFormat = "Printing page %p";
  TStringList FStatusText;
  TLineHeightMethod FLineHeightMethod = lhmLinesPerInch;
  int FLinesPerInch = 6;
  TPrintUnits FUnits = unInch;
  double FUnitsFactor = 1.0;
  double FMarginLeft = 0, FMarginRight = 0, FMarginTop = 0, FMarginBottom = 0;
  double FMarginLeftPos = 0, FMarginRightPos = 0, FMarginTopPos = 0, FMarginBottomPos = 0;
  double FPageWidthI = 8.5, FPageHeightI = 11;
  int FTabShade = 0;
  std::string FTitle = "ReportPrinter Report";
  int FCopies = 1;
  TOrientation FOrientation = poPortrait;
  TBKMode FTextBKMode = bkTransparent;
  double FScaleX = 100, FScaleY = 100;
  int FCurrentCopy = 1, FTotalCopies = 1;
  std::string FSelection;
  int FLineNumber = 1, FColumnNumber = 1, FColumns = 1;
  double FColumnWidth = 0;
  int FOutputKinds = 0b111;
  bool FFontHooked = false;
  int FFontNotifySuspended = 0;
  TRPFontCache FFontCache;
  std::array<TRPFontRecord, 10> FFontSlots;
  std::vector<TRPFontRecord> FFontStack;
  std::vector<QPointF> FPosStack;
  std::shared_ptr<TTabSet> FTabs;
  std::array<std::shared_ptr<TTabSet>, 10> FTabSlots;
  std::vector<std::shared_ptr<TTabSet>> FTabStack;
  int FTabIndex = -1;
  TRPPen FPen;
  TRPBrush FBrush;
  double FPenX = 0, FPenY = 0;  // MoveTo/LineTo position, inches
  std::vector<TLineSegment> FLines;
  std::vector<THook> FPageStartHooks, FPageEndHooks;
  int FNextHookId = 1;
};
