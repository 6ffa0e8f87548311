#include "RPBase.h"

#include <QColor>
#include <algorithm>
#include <cmath>
#include <exception>

#include "MessageHook.h"
#include "QtColor.h"
#include "RPSelection.h"

namespace {

// Lines are found to fit or to reach an edge by sums of line heights; a bottom that lies
// on the edge within this many inches counts as on it.
constexpr double kEdgeTolerance = 1e-9;

}  // namespace

TBaseReport::TBaseReport(QObject* owner)
    : TRPBaseComponent(owner), FTabs(std::make_shared<TTabSet>()) {
  AddPageEndHook([this] { FlushLines(); });
}

TBaseReport::~TBaseReport() = default;

// ---- Published properties ----

void TBaseReport::SetLinesPerInch(int value) {
  if (value > 0) FLinesPerInch = value;
}

void TBaseReport::SetUnits(TPrintUnits value) {
  FUnits = value;
  FUnitsFactor = UnitsFactorFor(value, FUnitsFactor);
}

void TBaseReport::SetUnitsFactor(double value) {
  if (value <= 0) return;
  FUnitsFactor = value;
  FUnits = UnitsFor(value);
}

// Without a printer the paper is Letter, 8.5 by 11 inches, whatever the caller's units.
double TBaseReport::MarginRightPosFor(double value) const {
  return FPageWidthI - UnitsToInches(value);
}

double TBaseReport::MarginBottomPosFor(double value) const {
  return FPageHeightI - UnitsToInches(value);
}

void TBaseReport::SetMarginLeft(double value) {
  FMarginLeft = value;
  FMarginLeftPos = UnitsToInches(value);
  FSectionLeft = FMarginLeftPos;
  PullCursorInside();
}

void TBaseReport::SetMarginRight(double value) {
  FMarginRight = value;
  FMarginRightPos = MarginRightPosFor(value);
  FSectionRight = FMarginRightPos;
  PullCursorInside();
}

void TBaseReport::SetMarginTop(double value) {
  FMarginTop = value;
  FMarginTopPos = UnitsToInches(value);
  FSectionTop = FMarginTopPos;
  PullCursorInside();
}

void TBaseReport::SetMarginBottom(double value) {
  FMarginBottom = value;
  FMarginBottomPos = MarginBottomPosFor(value);
  FSectionBottom = FMarginBottomPos;
  PullCursorInside();
}

void TBaseReport::SetTabShade(int value) {
  FTabShade = std::clamp(value, 0, 100);
}

// ---- Page state ----

double TBaseReport::PageWidth() const {
  return InchesToUnits(FPageWidthI);
}
double TBaseReport::PageHeight() const {
  return InchesToUnits(FPageHeightI);
}

void TBaseReport::PullCursorInside() {
  FXPos = std::clamp(FXPos, FSectionLeft, std::max(FSectionLeft, FSectionRight));
  FYPos = std::clamp(FYPos, FSectionTop, std::max(FSectionTop, FSectionBottom));
}

void TBaseReport::SetSectionLeft(double value) {
  FSectionLeft = UnitsToInches(value);
  if (FXPos < FSectionLeft) FXPos = FSectionLeft;
}

void TBaseReport::SetSectionRight(double value) {
  FSectionRight = UnitsToInches(value);
  if (FXPos > FSectionRight) FXPos = FSectionRight;
}

void TBaseReport::SetSectionTop(double value) {
  FSectionTop = UnitsToInches(value);
  if (FYPos < FSectionTop) FYPos = FSectionTop;
}

void TBaseReport::SetSectionBottom(double value) {
  FSectionBottom = UnitsToInches(value);
  if (FYPos > FSectionBottom) FYPos = FSectionBottom;
}

bool TBaseReport::PageSelected(int page) const {
  if (FSelection.empty()) return page >= FFirstPage && page <= FLastPage;
  return SelectionSelects(FSelection, page);
}

std::string TBaseReport::StatusMessage() const {
  TStatusFields fields;
  fields.Lines = &FStatusText;
  fields.CurrentCopy = FCurrentCopy;
  fields.Device = DeviceName();
  fields.FirstPage = FFirstPage;
  fields.LastPage = FLastPage;
  fields.CurrentPage = FCurrentPage;
  fields.Driver = DriverName();
  fields.TotalCopies = FTotalCopies;
  fields.Port = PortName();
  return FormatStatusText(FStatusFormat, fields);
}

void TBaseReport::UpdateStatus() {
  if (!FStatusLabel) return;
  FStatusLabel->setText(ToQString(StatusMessage()));
  MessageHook::ProcessMessages();
}

void TBaseReport::ReadPageGeometry() {
  FPhysLeft = FPhysRight = FPhysTop = FPhysBottom = 0;
  if (NoPrinters()) {
    FXDPI = FYDPI = 96;
    FPageWidthI = 8.5;
    FPageHeightI = 11;
    return;
  }
  TDeviceMetrics m;
  if (OutputKind() == okPreview || !ReadDeviceMetrics(m)) return;
  FXDPI = std::max(1, m.LogPixelsX);
  FYDPI = std::max(1, m.LogPixelsY);
  FPhysLeft = double(m.PhysicalOffsetX) / FXDPI;
  FPhysRight = double(m.PhysicalWidth - m.PhysicalOffsetX - m.HorzRes) / FXDPI;
  FPhysTop = double(m.PhysicalOffsetY) / FYDPI;
  FPhysBottom = double(m.PhysicalHeight - m.PhysicalOffsetY - m.VertRes) / FYDPI;
  FPageWidthI = double(m.HorzRes) / FXDPI + FPhysLeft + FPhysRight;
  FPageHeightI = double(m.VertRes) / FYDPI + FPhysTop + FPhysBottom;
}

void TBaseReport::RecomputeMarginPositions() {
  FMarginLeftPos = UnitsToInches(FMarginLeft);
  FMarginRightPos = MarginRightPosFor(FMarginRight);
  FMarginTopPos = UnitsToInches(FMarginTop);
  FMarginBottomPos = MarginBottomPosFor(FMarginBottom);
}

void TBaseReport::SectionToMargins() {
  FSectionLeft = FMarginLeftPos;
  FSectionRight = FMarginRightPos;
  FSectionTop = FMarginTopPos;
  FSectionBottom = FMarginBottomPos;
}

// ---- Device coordinates ----

int TBaseReport::XI2D(double inches) const {
  return RoundHalfEven(((inches + FOriginX) * FScaleX * FZoom / 10000 - FPhysLeft) * FXDPI) +
         FDevOffsetX;
}

int TBaseReport::YI2D(double inches) const {
  return RoundHalfEven(((inches + FOriginY) * FScaleY * FZoom / 10000 - FPhysTop) * FYDPI) +
         FDevOffsetY;
}

double TBaseReport::XD2I(int pixel) const {
  return (double(pixel - FDevOffsetX) / FXDPI + FPhysLeft) * 10000 / (FScaleX * FZoom) - FOriginX;
}

double TBaseReport::YD2I(int pixel) const {
  return (double(pixel - FDevOffsetY) / FYDPI + FPhysTop) * 10000 / (FScaleY * FZoom) - FOriginY;
}

QPointF TBaseReport::PointI2D(double xInches, double yInches) const {
  return QPointF(XI2D(xInches), YI2D(yInches));
}

QRectF TBaseReport::RectU2D(const QRectF& rect) const {
  return QRectF(PointU2D(rect.left(), rect.top()), PointU2D(rect.right(), rect.bottom()));
}

// ---- Line height and cursor ----

void TBaseReport::ComputeLineHeight() {
  if (!FPrinting) return;
  RealiseFont();
  switch (FLineHeightMethod) {
    case lhmLinesPerInch:
      FLineHeight = 1.0 / FLinesPerInch;
      break;
    case lhmFont:
      FLineHeight = FFont.Size / 60.0;
      break;
    case lhmUser:
      break;
  }
}

void TBaseReport::SetLineHeight(double value) {
  if (value <= 0) return;
  FLineHeightMethod = lhmUser;
  FLineHeight = UnitsToInches(value);
}

void TBaseReport::GotoLine(int line) {
  FLineNumber = line;
  ComputeLineHeight();
  ResetTabs();
  FXPos = LineStartI();
  FYPos = FSectionTop + line * FLineHeight - FDescent;
}

void TBaseReport::GotoColumn(int column) {
  FColumnNumber = column;
  FXPos = LineStartI();
  ResetTabs();
}

void TBaseReport::MoveToFirstLine() {
  CheckPrinting();
  GotoColumn(1);
  GotoLine(1);
}

void TBaseReport::CarriageReturn() {
  CheckPrinting();
  FXPos = LineStartI();
}

void TBaseReport::LineFeed() {
  CheckPrinting();
  ComputeLineHeight();
  ++FLineNumber;
  FYPos += FLineHeight;
}

void TBaseReport::NewLine() {
  CheckPrinting();
  if (FColumnNumber >= FColumns || LinesLeftInColumn() > 1) {
    CarriageReturn();
    LineFeed();
  } else {
    GotoLine(1);
    GotoColumn(FColumnNumber + 1);
    DoNewColumn();
  }
  ResetTabs();
  if (FYPos + FDescent >= FSectionBottom - kEdgeTolerance) DoEndOfSection();
}

void TBaseReport::EndParagraph() {
  NewLine();
}

void TBaseReport::FitLineToFont() {
  if (!FPrinting) return;
  const double top = FYPos + FDescent - FLineHeight;
  ComputeLineHeight();
  FYPos = top + FLineHeight - FDescent;
}

void TBaseReport::ClearColumns() {
  FColumnWidth = FSectionRight - FSectionLeft;
  FColumns = 1;
  GotoColumn(1);
}

int TBaseReport::LinesLeftInColumn() {
  const double bottom = FYPos + FDescent;
  if (bottom > FSectionBottom + kEdgeTolerance || FLineHeight <= 0) return 0;
  return int(std::trunc((FSectionBottom - bottom) / FLineHeight + kEdgeTolerance)) + 1;
}

int TBaseReport::LinesLeft() {
  if (FYPos + FDescent > FSectionBottom + kEdgeTolerance) return 0;
  return LinesLeftInColumn();
}

void TBaseReport::PushPos() {
  FPosStack.emplace_back(FXPos, FYPos);
}

void TBaseReport::PopPos() {
  if (FPosStack.empty()) return;
  FXPos = FPosStack.back().x();
  FYPos = FPosStack.back().y();
  FPosStack.pop_back();
}

// ---- Job ----

void TBaseReport::CheckPrinting() const {
  if (!FPrinting) throw Exception(RPMessages::NotPrinting);
  if (FAborted) throw EAbort();
}

void TBaseReport::Abort() {
  FAborted = true;
  FSkipPage = true;
}

void TBaseReport::Execute() {
  Start();
  RunJob(
      [this] {
        if (OnPrint || !OnPrintPage) {
          DoPrint();
        } else {
          while (DoPrintPage() && !FAborted) NewPage();
        }
      },
      [this] { Finish(); });
}

void TBaseReport::RunJob(const std::function<void()>& pages, const std::function<void()>& end) {
  try {
    pages();
  } catch (const EAbort&) {
    // Cancelled: the job closes and the caller reads Aborted; nothing is shown.
    end();
    return;
  } catch (...) {
    Fail();
    end();
    throw;
  }
  end();
}

void TBaseReport::Fail() {
  Abort();
  FFailed = true;
}

void TBaseReport::BeginJob() {
  if (FPrinting) throw Exception(RPMessages::AlreadyPrinting);
  FAborted = false;
  FFailed = false;
  FCurrentPage = 0;
}

void TBaseReport::OpenJob() {
  HookFontChange();
  ReadPageGeometry();
  RecomputeMarginPositions();
  SectionToMargins();
  FPrinting = true;
  ResetPageState();
}

void TBaseReport::FirstPageOfJob() {
  FCurrentPage = 1;
  FSkipPage = !(PageSelected(1) && !FAborted);
}

void TBaseReport::ResetPageState() {
  PushTabs();
  FBrush = TRPBrush();
  FPen = TRPPen();
  FOriginX = FOriginY = 0;
  ClearColumns();
  ClearTabs();
  SectionToMargins();
  MoveToFirstLine();
  ResetTabs();
  PopTabs();
}

void TBaseReport::PageStart() {
  if (FAborted) return;
  RunHooks(FPageStartHooks);
  DoNewPage();
  DoPrintHeader();
}

void TBaseReport::PageEnd() {
  DoPrintFooter();
  RunHooks(FPageEndHooks);
}

void TBaseReport::NextPageNumber() {
  CheckPrinting();
  ++FCurrentPage;
  UpdateStatus();
  FSkipPage = !(PageSelected(FCurrentPage) && !FAborted);
}

void TBaseReport::LayOutNewPage() {
  FOriginX = FOriginY = 0;
  ResetTabs();
  FMarginBottomPos = MarginBottomPosFor(FMarginBottom);
  FMarginRightPos = MarginRightPosFor(FMarginRight);
  SectionToMargins();
  if (FColumns > 1) DoNewColumn();
  MoveToFirstLine();
}

void TBaseReport::CloseJob() {
  UnhookFontChange();
  FFontCache.Clear();
  FLines.clear();
  FPrinting = false;
}

void TBaseReport::Start() {
  BeginJob();
  DoBeforePrint();
  DeviceBeginDoc();
  OpenJob();
  FirstPageOfJob();
  DeviceNewPage(!FSkipPage);
  UpdateStatus();
  PageStart();
}

void TBaseReport::NewPage() {
  PageEnd();
  NextPageNumber();
  DeviceNewPage(!FSkipPage);
  ReadPageGeometry();
  LayOutNewPage();
  PageStart();
}

void TBaseReport::Finish() {
  if (!FPrinting) throw Exception(RPMessages::NotPrinting);
  // A footer that raises still ends the document, or the writer would stay printing; the
  // job is abandoned, as on any failure.
  std::exception_ptr footerFailure;
  if (!FAborted) {
    try {
      PageEnd();
    } catch (...) {
      footerFailure = std::current_exception();
      Fail();
    }
  }
  try {
    const bool aborted = FAborted;
    CloseJob();
    DeviceEndDoc(aborted);
  } catch (...) {
    FPrinting = false;
    DoAfterPrint();
    throw;
  }
  DoAfterPrint();
  if (footerFailure) std::rethrow_exception(footerFailure);
}

int TBaseReport::AddPageStartHook(std::function<void()> hook) {
  FPageStartHooks.push_back({FNextHookId, std::move(hook)});
  return FNextHookId++;
}

void TBaseReport::RemovePageStartHook(int id) {
  std::erase_if(FPageStartHooks, [id](const THook& h) { return h.Id == id; });
}

int TBaseReport::AddPageEndHook(std::function<void()> hook) {
  FPageEndHooks.push_back({FNextHookId, std::move(hook)});
  return FNextHookId++;
}

void TBaseReport::RemovePageEndHook(int id) {
  std::erase_if(FPageEndHooks, [id](const THook& h) { return h.Id == id; });
}

void TBaseReport::RunHooks(const std::vector<THook>& hooks) {
  // A hook may remove itself or add another; run the ones present when the page turned.
  const std::vector<THook> snapshot = hooks;
  for (const THook& hook : snapshot) hook.Run();
}

// ---- Event dispatchers ----

void TBaseReport::DoPrint() {
  if (OnPrint) OnPrint(this);
}

bool TBaseReport::DoPrintPage() {
  if (!OnPrintPage) return false;
  int page = FCurrentPage;
  const bool more = OnPrintPage(this, page);
  FCurrentPage = page;
  return more;
}

void TBaseReport::DoBeforePrint() {
  if (OnBeforePrint) OnBeforePrint(this);
}

void TBaseReport::DoAfterPrint() {
  if (OnAfterPrint) OnAfterPrint(this);
}

void TBaseReport::DoNewPage() {
  if (OnNewPage) OnNewPage(this);
}

void TBaseReport::DoNewColumn() {
  if (OnNewColumn) OnNewColumn(this);
}

void TBaseReport::DoPrintHeader() {
  if (OnPrintHeader) OnPrintHeader(this);
}

void TBaseReport::DoPrintFooter() {
  if (OnPrintFooter) OnPrintFooter(this);
}

void TBaseReport::DoEndOfSection() {
  if (OnEndOfSection) OnEndOfSection(this);
}

// ---- Output switches ----

void TBaseReport::PrintPreviewOnly() {
  FOutputKinds = (FOutputKinds & ~(1 << okPrinter)) | (1 << okPreview);
}

void TBaseReport::PrintPrinterOnly() {
  FOutputKinds = (FOutputKinds & ~(1 << okPreview)) | (1 << okPrinter);
}

void TBaseReport::PrintBoth() {
  FOutputKinds |= (1 << okPreview) | (1 << okPrinter);
}

// ---- Font ----

void TBaseReport::NotifyFont() {
  if (FFontNotifySuspended == 0 && FFontHooked) FontChanged();
}

void TBaseReport::SetFont(const std::string& name, double size) {
  if (size <= 0) return;
  ++FFontNotifySuspended;
  SetFontName(name);
  FFont.Color = clBlack;
  FFont.Pitch = fpDefault;
  FFont.Charset = 1;
  FFont.Size = size;
  FFont.Bold = FFont.Underline = FFont.Italic = FFont.StrikeOut = false;
  FFont.Superscript = FFont.Subscript = false;
  FFont.Rotation = 0;
  FFont.Width = 0;
  FFont.Align = faBaseline;
  --FFontNotifySuspended;
  NotifyFont();
}

void TBaseReport::SetBold(bool value) {
  FFont.Bold = value;
  NotifyFont();
}
void TBaseReport::SetItalic(bool value) {
  FFont.Italic = value;
  NotifyFont();
}
void TBaseReport::SetUnderline(bool value) {
  FFont.Underline = value;
  NotifyFont();
}
void TBaseReport::SetStrikeOut(bool value) {
  FFont.StrikeOut = value;
  NotifyFont();
}

void TBaseReport::SetSuperscript(bool value) {
  FFont.Superscript = value;
  if (value) FFont.Subscript = false;
  NotifyFont();
}

void TBaseReport::SetSubscript(bool value) {
  FFont.Subscript = value;
  if (value) FFont.Superscript = false;
  NotifyFont();
}

void TBaseReport::SetFontRotation(int degrees) {
  FFont.Rotation = ((degrees % 360) + 360) % 360;
  NotifyFont();
}

void TBaseReport::SetFontColor(TColor value) {
  FFont.Color = value;
  NotifyFont();
}

void TBaseReport::SetFontName(const std::string& value) {
  FFont.Name = value.substr(0, 60);
  NotifyFont();
}

void TBaseReport::SetFontSize(double points) {
  if (points <= 0) return;
  FFont.Size = points;
  NotifyFont();
}

void TBaseReport::SetFontHeight(double value) {
  FFont.Size = std::max(UnitsToInches(value), 1.0 / FYDPI) * 72.0;
  NotifyFont();
}

void TBaseReport::SetFontWidth(double value) {
  FFont.Width = std::max(0.0, UnitsToInches(value));
  NotifyFont();
}

void TBaseReport::SetFontPitch(int value) {
  FFont.Pitch = value;
  NotifyFont();
}
void TBaseReport::SetFontCharset(int value) {
  FFont.Charset = value;
  NotifyFont();
}
void TBaseReport::SetFontAlign(int value) {
  FFont.Align = value;
  NotifyFont();
}

void TBaseReport::SaveFont(int slot) {
  if (slot >= 1 && slot <= 10) FFontSlots[size_t(slot - 1)] = FFont;
}

void TBaseReport::RestoreFont(int slot) {
  if (slot < 1 || slot > 10) return;
  FFont = FFontSlots[size_t(slot - 1)];
  NotifyFont();
}

void TBaseReport::PushFont() {
  FFontStack.push_back(FFont);
}

void TBaseReport::PopFont() {
  if (FFontStack.empty()) return;
  FFont = FFontStack.back();
  FFontStack.pop_back();
  NotifyFont();
}

const TRPCachedFont& TBaseReport::RealiseFont() {
  const bool small = FFont.Superscript || FFont.Subscript;
  const double sizeInches = FFont.Size / 72.0 * FScaleY / 100 / (small ? 1.667 : 1.0);
  TRPFontKey key;
  key.Name = FFont.Name;
  key.Pitch = FFont.Pitch;
  key.PixelHeight = std::max(1, RoundHalfEven(FZoom / 100 * FYDPI * sizeInches));
  key.PixelWidth = RoundHalfEven(FXDPI * FFont.Width * FZoom / 100);
  key.Bold = FFont.Bold;
  key.Italic = FFont.Italic;
  key.Underline = FFont.Underline;
  key.StrikeOut = FFont.StrikeOut;
  key.Superscript = FFont.Superscript;
  key.Subscript = FFont.Subscript;
  key.Rotation = FFont.Rotation;
  key.Charset = FFont.Charset;
  key.Device = MetricDevice();
  const TRPCachedFont& font = FFontCache.Realise(key);
  const double toInches = 10000.0 / (FYDPI * FScaleY * FZoom) / (small ? 2 : 1);
  FAscent = font.Ascent * toInches;
  FDescent = font.Descent * toInches;
  FLeading = font.InternalLeading * toInches;
  return font;
}

// ---- Text ----

double TBaseReport::TextWidth(std::string_view text) {
  CheckPrinting();
  const TRPCachedFont& font = RealiseFont();
  int pixels = text.empty() ? 0 : int(std::lround(font.Metrics.horizontalAdvance(ToQString(text))));
  if (pixels == 0) pixels = 1;
  return pixels * FScaleX / (FXDPI * 100.0) * FUnitsFactor;
}

int TBaseReport::TextWidthPixels(std::string_view text) {
  const TRPCachedFont& font = RealiseFont();
  const int step = std::max(1, RoundHalfEven(TabInterval() * FXDPI));
  int width = 0;
  size_t start = 0;
  while (true) {
    const size_t tab = text.find('\t', start);
    const std::string_view piece =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (!piece.empty()) width += int(std::lround(font.Metrics.horizontalAdvance(ToQString(piece))));
    if (tab == std::string_view::npos) return width;
    width = (width / step + 1) * step;
    start = tab + 1;
  }
}

void TBaseReport::PrintJustified(std::string_view text, int justify, double width, double margin,
                                 double x) {
  switch (justify) {
    case pjCenter:
      DrawTextCentered(text, x + width / 2);
      return;
    case pjRight:
      DrawTextRight(text, x + width - margin);
      return;
    case pjBlock:
      DrawTextBlock(text, width - 2 * margin, x + margin);
      return;
    default:
      break;
  }
  const double t = TabInterval();
  double pos = x + margin;
  size_t start = 0;
  while (true) {
    const size_t tab = text.find('\t', start);
    const std::string_view piece =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (piece.empty()) {
      CheckPrinting();
      FXPos = pos;
    } else {
      DrawTextLeft(piece, pos);
      pos = FXPos;
    }
    if (tab == std::string_view::npos) return;
    pos = x + t * (std::trunc((pos - x + 0.001) / t) + 1);
    start = tab + 1;
  }
}

void TBaseReport::PrintCentered(std::string_view text, double x) {
  PrintJustified(text, pjCenter, 0, 0, UnitsToInches(x));
}

void TBaseReport::PrintLeft(std::string_view text, double x) {
  PrintJustified(text, pjLeft, 0, 0, UnitsToInches(x));
}

void TBaseReport::PrintRight(std::string_view text, double x) {
  PrintJustified(text, pjRight, 0, 0, UnitsToInches(x));
}

void TBaseReport::PrintBlock(std::string_view text, double x, double width) {
  PrintJustified(text, pjBlock, UnitsToInches(width), 0, UnitsToInches(x));
}

void TBaseReport::PrintAtCursor(std::string_view text) {
  if (FTabIndex >= 0 && FTabIndex < TabCount() && Tabs()[size_t(FTabIndex)].Width > 0) {
    const TTabStop& tab = Tabs()[size_t(FTabIndex)];
    PrintJustified(text, tab.Justify, tab.Width, tab.Margin, tab.Pos);
  } else {
    PrintJustified(text, pjLeft, 0, 0, FXPos);
  }
}

void TBaseReport::PrintWithTabs(std::string_view text) {
  size_t start = 0;
  while (true) {
    const size_t tab = text.find('\t', start);
    const std::string_view piece =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (!piece.empty()) PrintAtCursor(piece);
    if (tab == std::string_view::npos) return;
    Tab();
    start = tab + 1;
  }
}

void TBaseReport::PrintMemo(TBaseMemoBuf& memo, int lines, bool tabbed) {
  CheckPrinting();
  memo.BaseReport = this;
  memo.PrintLines(lines, tabbed);
}

// ---- Tabs ----

void TBaseReport::SetTabSet(std::shared_ptr<TTabSet> set) {
  FTabs = set ? std::move(set) : std::make_shared<TTabSet>();
}

// Slots and stacks share a set until one side changes it.
TTabSet& TBaseReport::MutableTabs() {
  if (FTabs.use_count() > 1) FTabs = std::make_shared<TTabSet>(*FTabs);
  return *FTabs;
}

void TBaseReport::SetTab(double x, int justify, double width, double margin, int lines, int shade) {
  TTabStop tab;
  tab.Pos = UnitsToInches(x);
  tab.Justify = justify;
  tab.Width = std::max(0.0, UnitsToInches(width));
  tab.Margin = std::max(0.0, UnitsToInches(margin));
  tab.Lines = lines;
  tab.Shade = std::clamp(shade, 0, 100);
  MutableTabs().push_back(tab);
}

void TBaseReport::ClearTabs() {
  SetTabSet(nullptr);
  ResetTabs();
}

void TBaseReport::SaveTabs(int slot) {
  if (slot >= 1 && slot <= 10) FTabSlots[size_t(slot - 1)] = FTabs;
}

void TBaseReport::RestoreTabs(int slot) {
  if (slot < 1 || slot > 10) return;
  SetTabSet(FTabSlots[size_t(slot - 1)]);
  ResetTabs();
}

void TBaseReport::PushTabs() {
  FTabStack.push_back(FTabs);
}

void TBaseReport::PopTabs() {
  if (FTabStack.empty()) return;
  SetTabSet(FTabStack.back());
  FTabStack.pop_back();
}

void TBaseReport::Tab(int leftWidth, int rightWidth, int topWidth, int bottomWidth,
                      int shadeOverride) {
  CheckPrinting();
  if (FTabIndex + 1 >= TabCount()) {
    // No stop left: move on by the tab interval, as tab characters do.
    const double t = TabInterval();
    const double start = LineStartI();
    FXPos = start + t * (std::trunc((FXPos - start + 0.001) / t) + 1);
    return;
  }
  const TTabStop& tab = Tabs()[size_t(++FTabIndex)];
  FXPos = tab.Pos;
  if (tab.Width <= 0) return;
  const auto width = [](int given, int side, int lines) {
    return given >= 0 ? given : (lines & side ? 1 : 0);
  };
  DrawTabBox(tab, width(leftWidth, blLeft, tab.Lines), width(rightWidth, blRight, tab.Lines),
             width(topWidth, blTop, tab.Lines), width(bottomWidth, blBottom, tab.Lines),
             shadeOverride >= 0 ? shadeOverride : (tab.Shade > 0 ? tab.Shade : FTabShade));
}

void TBaseReport::DrawTabBox(const TTabStop& tab, int left, int right, int top, int bottom,
                             int shade) {
  const double x1 = InchesToUnits(tab.Pos), x2 = InchesToUnits(tab.Pos + tab.Width);
  const double y1 = LineTop(), y2 = LineBottom();
  const TRPPen pen = FPen;
  const TRPBrush brush = FBrush;
  if (shade > 0) {
    const int level = 255 * (100 - std::clamp(shade, 0, 100)) / 100;
    const TColor grey = RGBToColor(uint8_t(level), uint8_t(level), uint8_t(level));
    SetPen({grey, Qt::NoPen, pen.Mode, 0});
    SetBrush({grey, Qt::SolidPattern, QImage()});
    TabRectangle(x1, y1, x2, y2);
  }
  const auto side = [&](int width, double ax, double ay, double bx, double by) {
    if (width <= 0) return;
    SetPen({pen.Color, Qt::SolidLine, pen.Mode, width});
    MoveTo(ax, ay);
    LineTo(bx, by);
  };
  side(left, x1, y1, x1, y2);
  side(right, x2, y1, x2, y2);
  side(top, x1, y1, x2, y1);
  side(bottom, x1, y2, x2, y2);
  SetPen(pen);
  SetBrush(brush);
  FXPos = tab.Pos;
}

void TBaseReport::MoveAlongText(double x, double width, TPrintJustify justify) {
  const double advance = justify == pjLeft ? width : justify == pjCenter ? width / 2 : 0;
  const double angle = FFont.Rotation * M_PI / 180;
  FXPos = x + std::cos(angle) * advance;
  FYPos -= std::sin(angle) * advance;
}

void TBaseReport::PrintTab(std::string_view text) {
  Tab();
  if (FTabIndex < 0 || FTabIndex >= TabCount() || Tabs()[size_t(FTabIndex)].Width <= 0) {
    PrintAtCursor(text);
    return;
  }
  const TTabStop& tab = Tabs()[size_t(FTabIndex)];
  const double room = InchesToUnits(tab.Width - 2 * tab.Margin);
  std::string_view cut = text;
  while (!cut.empty() && TextWidth(cut) > room) cut.remove_suffix(1);
  PrintAtCursor(cut);
}

// ---- Graphics ----

namespace {

// The platform's arcs run counter-clockwise from the radial through the start point to the
// radial through the end point.
void ArcAngles(const QRectF& box, QPointF from, QPointF to, int& start16, int& span16) {
  const QPointF c = box.center();
  const auto angle = [&](QPointF p) {
    return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180 / M_PI;
  };
  const double a = angle(from);
  double span = angle(to) - a;
  while (span <= 0) span += 360;
  start16 = int(std::lround(a * 16));
  span16 = int(std::lround(span * 16));
}

}  // namespace

void TBaseReport::SetPen(const TRPPen& pen) {
  FPen = pen;
}

void TBaseReport::SetBrush(const TRPBrush& brush) {
  FBrush = brush;
}

QPainter* TBaseReport::GraphicsPainter() {
  CheckPrinting();
  if (!OutputAllowed()) return nullptr;
  QPainter* p = Canvas();
  if (!p) return nullptr;
  QPen pen(ToQColor(FPen.Color));
  pen.setStyle(FPen.Style);
  pen.setWidth(std::max(0, FPen.Width));
  p->setPen(pen);
  p->setCompositionMode(FPen.Mode);
  if (!FBrush.Bitmap.isNull())
    p->setBrush(QBrush(FBrush.Bitmap));
  else
    p->setBrush(QBrush(ToQColor(FBrush.Color), FBrush.Style));
  return p;
}

void TBaseReport::ArcShape(TArcShape shape, double x1, double y1, double x2, double y2, double x3,
                           double y3, double x4, double y4) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const QRectF box(PointU2D(x1, y1), PointU2D(x2, y2));
  int start = 0, span = 0;
  ArcAngles(box, PointU2D(x3, y3), PointU2D(x4, y4), start, span);
  switch (shape) {
    case asArc:
      p->drawArc(box, start, span);
      break;
    case asChord:
      p->drawChord(box, start, span);
      break;
    case asPie:
      p->drawPie(box, start, span);
      break;
  }
}

void TBaseReport::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4) {
  ArcShape(asArc, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBaseReport::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                        double y4) {
  ArcShape(asChord, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBaseReport::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4) {
  ArcShape(asPie, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBaseReport::BrushCopy(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                            TColor color) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  // The colour of the bitmap that takes the brush instead.
  QImage part = bitmap.copy(source.toRect()).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(color).rgb();
  const QRgb fill = ToQColor(FBrush.Color).rgb();
  for (int y = 0; y < part.height(); ++y)
    for (int x = 0; x < part.width(); ++x)
      if ((part.pixel(x, y) & 0xFFFFFF) == (key & 0xFFFFFF)) part.setPixel(x, y, fill);
  p->drawImage(RectU2D(dest), part);
}

void TBaseReport::CopyRect(const QRectF&, const QRectF&) {
  // A painter cannot read back what it drew on a printer; the copy only checks the job.
  CheckPrinting();
}

void TBaseReport::Draw(double x, double y, const QImage& graphic) {
  if (QPainter* p = GraphicsPainter()) p->drawImage(PointU2D(x, y), graphic);
}

void TBaseReport::DrawFocusRect(const QRectF& rect) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  p->setPen(QPen(Qt::black, 1, Qt::DotLine));
  p->setBrush(Qt::NoBrush);
  p->drawRect(RectU2D(rect));
}

void TBaseReport::Ellipse(double x1, double y1, double x2, double y2) {
  if (QPainter* p = GraphicsPainter()) p->drawEllipse(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)));
}

void TBaseReport::FillRect(const QRectF& rect) {
  QPainter* p = GraphicsPainter();
  if (p) p->fillRect(RectU2D(rect), p->brush());
}

void TBaseReport::FloodFill(double, double, TColor, int) {
  // A painter has no flood fill on a printer; the operation only checks the job.
  CheckPrinting();
}

void TBaseReport::FrameRect(const QRectF& rect) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  p->setPen(QPen(p->brush().color(), 1));
  p->setBrush(Qt::NoBrush);
  p->drawRect(RectU2D(rect));
}

void TBaseReport::MoveTo(double x, double y) {
  CheckPrinting();
  FPenX = UnitsToInches(x);
  FPenY = UnitsToInches(y);
}

void TBaseReport::LineTo(double x, double y) {
  CheckPrinting();
  const double x1 = FPenX, y1 = FPenY, x2 = UnitsToInches(x), y2 = UnitsToInches(y);
  FPenX = x2;
  FPenY = y2;
  if (!OutputAllowed()) return;
  // Rules drawn piece by piece (tab boxes, grids) are kept and drawn whole at page end.
  if (YI2D(y1) == YI2D(y2)) {
    FLines.push_back({true, YI2D(y1), std::min(x1, x2), std::max(x1, x2), y1, FPen});
  } else if (XI2D(x1) == XI2D(x2)) {
    FLines.push_back({false, XI2D(x1), std::min(y1, y2), std::max(y1, y2), x1, FPen});
  } else {
    DrawLineSegment(x1, y1, x2, y2);
  }
}

void TBaseReport::DrawLineSegment(double x1, double y1, double x2, double y2) {
  if (QPainter* p = GraphicsPainter()) p->drawLine(PointI2D(x1, y1), PointI2D(x2, y2));
}

void TBaseReport::FlushLines() {
  if (FLines.empty() || !FPrinting) {
    FLines.clear();
    return;
  }
  std::vector<TLineSegment> lines;
  lines.swap(FLines);
  std::stable_sort(lines.begin(), lines.end(), [](const TLineSegment& a, const TLineSegment& b) {
    if (a.Horizontal != b.Horizontal) return a.Horizontal;
    if (a.Fixed != b.Fixed) return a.Fixed < b.Fixed;
    return a.From < b.From;
  });
  const TRPPen pen = FPen;
  // The segments were kept only while output was on: draw them whatever it is now.
  const bool skip = FSkipPage;
  const int kinds = FOutputKinds;
  FSkipPage = false;
  FOutputKinds = 1 << OutputKind();
  for (size_t i = 0; i < lines.size();) {
    TLineSegment run = lines[i++];
    while (i < lines.size() && lines[i].Horizontal == run.Horizontal &&
           lines[i].Fixed == run.Fixed && lines[i].Pen == run.Pen &&
           lines[i].From <= run.To + 1e-9) {
      run.To = std::max(run.To, lines[i++].To);
    }
    FPen = run.Pen;
    if (run.Horizontal)
      DrawLineSegment(run.From, run.FixedI, run.To, run.FixedI);
    else
      DrawLineSegment(run.FixedI, run.From, run.FixedI, run.To);
  }
  FSkipPage = skip;
  FOutputKinds = kinds;
  FPen = pen;
}

void TBaseReport::Polygon(const std::vector<QPointF>& points) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  QPolygonF shape;
  for (const QPointF& point : points) shape << PointU2D(point.x(), point.y());
  p->drawPolygon(shape);
}

void TBaseReport::Polyline(const std::vector<QPointF>& points) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  QPolygonF shape;
  for (const QPointF& point : points) shape << PointU2D(point.x(), point.y());
  p->drawPolyline(shape);
}

void TBaseReport::PrintBitmap(double x, double y, double scaleX, double scaleY,
                              const QImage& bitmap) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const QPointF at = PointU2D(x, y);
  p->drawImage(QRectF(at, QSizeF(bitmap.width() * scaleX, bitmap.height() * scaleY)), bitmap);
}

void TBaseReport::PrintBitmapRect(double x1, double y1, double x2, double y2,
                                  const QImage& bitmap) {
  if (QPainter* p = GraphicsPainter())
    p->drawImage(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)), bitmap);
}

void TBaseReport::Rectangle(double x1, double y1, double x2, double y2) {
  if (QPainter* p = GraphicsPainter()) p->drawRect(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)));
}

void TBaseReport::TabRectangle(double x1, double y1, double x2, double y2) {
  Rectangle(x1, y1, x2, y2);
}

void TBaseReport::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const double rx = XI2D(UnitsToInches(x3)) - XI2D(0), ry = YI2D(UnitsToInches(y3)) - YI2D(0);
  p->drawRoundedRect(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)), rx / 2, ry / 2);
}

void TBaseReport::StretchDraw(const QRectF& rect, const QImage& graphic) {
  if (QPainter* p = GraphicsPainter()) p->drawImage(RectU2D(rect), graphic);
}

void TBaseReport::TextRect(const QRectF& rect, double x, double y, std::string_view text) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const TRPCachedFont& font = RealiseFont();
  p->save();
  p->setFont(font.Font);
  p->setPen(ToQColor(TextColor()));
  p->setClipRect(RectU2D(rect));
  p->drawText(PointU2D(x, y) + QPointF(0, font.Ascent), ToQString(text));
  p->restore();
}

void TBaseReport::PrintImageRect(double x1, double y1, double x2, double y2,
                                 const std::string& image, const std::string& imageType) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  QImage decoded;
  decoded.loadFromData(reinterpret_cast<const uchar*>(image.data()), int(image.size()),
                       imageType.empty() ? nullptr : imageType.c_str());
  if (!decoded.isNull()) p->drawImage(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)), decoded);
}

void TBaseReport::PrintData(std::string_view) {
  CheckPrinting();
}

void TBaseReport::PrintDataStream(TMemoryStream&, int64_t) {
  CheckPrinting();
}

bool TBaseReport::SelectPaperBin(const std::string&) {
  CheckPrinting();
  return false;
}
