#include "RPBase.h"

#include <algorithm>
#include <cmath>

#include "MessageHook.h"
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
