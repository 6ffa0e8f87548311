#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <algorithm>

#include "CoolCtrls.h"
#include "CoolPaint.h"
#include "QtColor.h"

using namespace coolpaint;

// ---------------------------------------------------------------- memo

TCoolMemo::TCoolMemo(QWidget* parent) : TSkinControl<QPlainTextEdit>(parent) {
  FColor = palette().color(QPalette::Base);
  FFontColor = palette().color(QPalette::Text);
  // The classic inactive caption colours; the platform has no such palette roles.
  FCaptionColor = ToQColor(clGray);
  FCaptionTextColor = ToQColor(clSilver);
  FBorderPen = QPen(Qt::black, 1);
  FChangeLink.OnChange = [this](QObject*) { Reframe(); };
  setFocusPolicy(Qt::StrongFocus);
  setTabChangesFocus(true);
  SetScrollBars(ssNone);
  // The background is painted here in every mode, so Qt's fill would only be painted over.
  viewport()->setAutoFillBackground(false);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (BackgroundMode()) viewport()->update();
    if (OnChange) OnChange(this);
  });
  Reframe();
}

TCoolMemo::~TCoolMemo() = default;

void TCoolMemo::SetScrollBars(TScrollStyle value) {
  FScrollBars = value;
  const bool horizontal = value == ssHorizontal || value == ssBoth;
  const bool vertical = value == ssVertical || value == ssBoth;
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TCoolMemo::SetWordWrap(bool value) {
  FWordWrap = value;
  setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TCoolMemo::SetWantTabs(bool value) {
  FWantTabs = value;
  setTabChangesFocus(!value);
}

void TCoolMemo::SetBorderStyle(TBorderStyle value) {
  FBorderStyle = value;
  Reframe();
}

void TCoolMemo::SetColor(const QColor& value) {
  FColor = value;
  QPalette colours = palette();
  colours.setColor(QPalette::Base, value);
  setPalette(colours);
  viewport()->update();
}

void TCoolMemo::SetFontColor(const QColor& value) {
  FFontColor = value;
  QPalette colours = palette();
  colours.setColor(QPalette::Text, value);
  setPalette(colours);
}

int TCoolMemo::SelStart() const {
  return textCursor().selectionStart();
}

void TCoolMemo::SetSelStart(int value) {
  QTextCursor cursor = textCursor();
  cursor.setPosition(std::clamp(value, 0, document()->characterCount() - 1));
  setTextCursor(cursor);
}

int TCoolMemo::SelLength() const {
  const QTextCursor cursor = textCursor();
  return cursor.selectionEnd() - cursor.selectionStart();
}

void TCoolMemo::SetSelLength(int value) {
  QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart();
  const int last = document()->characterCount() - 1;
  cursor.setPosition(start);
  cursor.setPosition(std::clamp(start + value, 0, last), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

void TCoolMemo::SetBorderPen(const QPen& value) {
  FBorderPen = value;
  update();
}

void TCoolMemo::SetCaptionColor(const QColor& value) {
  FCaptionColor = value;
  update();
}

void TCoolMemo::SetCaptionTextColor(const QColor& value) {
  FCaptionTextColor = value;
  update();
}

void TCoolMemo::SetCaptionWallpaper(const QImage& value) {
  FCaptionWallpaper = value;
  update();
}

void TCoolMemo::SetCoolImages(TCoolImages* value) {
  Reregister(FChangeLink, value);
  FCoolImages = value;
  disconnect(FStoreGone);
  if (value) FStoreGone = connect(value, &QObject::destroyed, this, [this] { Reframe(); });
  Reframe();
}

void TCoolMemo::SetEdgeBorders(TEdgeBorders value) {
  FEdgeBorders = value;
  Reframe();
}

void TCoolMemo::SetidCaptionWallpaper(int value) {
  FidCaptionWallpaper = value;
  update();
}

void TCoolMemo::SetidWallpaper(int value) {
  FidWallpaper = value;
  viewport()->update();
}

void TCoolMemo::SetOptions(TCoolOptions value) {
  if (value.Contains(ocPaintTransparently) && FOptions.Contains(ocPaintWallpaper))
    value.Exclude(ocPaintWallpaper);
  else if (value.Contains(ocPaintWallpaper) && FOptions.Contains(ocPaintTransparently))
    value.Exclude(ocPaintTransparently);
  FOptions = value;
  Reframe();
}

void TCoolMemo::SetTextAlign(TAlignment value) {
  FTextAlign = value;
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(HorizontalAlignment(value));
  document()->setDefaultTextOption(option);
  Reframe();
}

void TCoolMemo::SetTransparencyLevel(std::uint8_t value) {
  FTransparencyLevel = value;
  viewport()->update();
}

void TCoolMemo::SetWallpaper(const QImage& value) {
  FWallpaper = value;
  viewport()->update();
}

void TCoolMemo::SetCaption(const std::string& value) {
  if (FCaption == value) return;
  FCaption = value;
  Reframe();
}

const QImage* TCoolMemo::ChosenWallpaper() const {
  return ChooseWallpaper(FCoolImages, FidWallpaper, FWallpaper);
}

const QImage* TCoolMemo::ChosenCaptionWallpaper() const {
  return ChooseWallpaper(FCoolImages, FidCaptionWallpaper, FCaptionWallpaper);
}

bool TCoolMemo::BackgroundMode() const {
  return FOptions.Contains(ocPaintTransparently) ||
         (FOptions.Contains(ocPaintWallpaper) && ChosenWallpaper());
}

QFont TCoolMemo::CaptionFont() const {
  QFont captionFont = QApplication::font();
  captionFont.setBold(true);
  if (FOptions.Contains(ocSmallCaption)) captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
  return captionFont;
}

int TCoolMemo::CaptionHeight() const {
  return QFontMetrics(CaptionFont()).height() + 4;
}

QRect TCoolMemo::CaptionRect() const {
  if (FOptions.Contains(ocNoCaption)) return {};
  const int frame = frameWidth();
  return QRect(frame, frame, width() - 2 * frame, CaptionHeight());
}

// The frame, caption bar and edge lines live around the viewport, in the margins that
// the window's non-client area would have held.
void TCoolMemo::Reframe() {
  const bool framed = FBorderStyle == bsSingle || FOptions.Contains(ocFlatBorder);
  setFrameStyle(framed ? int(QFrame::Panel | QFrame::Sunken) : int(QFrame::NoFrame));
  setLineWidth(framed ? 2 : 0);
  const bool edges = FBorderStyle == bsNone;
  const int top = FOptions.Contains(ocNoCaption) ? 0 : CaptionHeight();
  setViewportMargins(edges && FEdgeBorders.Contains(ebLeft) ? 1 : 0,
                     top + (edges && FEdgeBorders.Contains(ebTop) ? 1 : 0),
                     edges && FEdgeBorders.Contains(ebRight) ? 1 : 0,
                     edges && FEdgeBorders.Contains(ebBottom) ? 1 : 0);
  update();
  viewport()->update();
}

bool TCoolMemo::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Paint: {
      const bool result = TSkinControl<QPlainTextEdit>::event(event);
      PaintFrame();
      return result;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      if (CaptionMouseEvent(static_cast<QMouseEvent*>(event))) return true;
      break;
    case QEvent::KeyPress:
      if (TabStaysInside(static_cast<QKeyEvent*>(event))) return true;
      break;
    default:
      break;
  }
  return TSkinControl<QPlainTextEdit>::event(event);
}

// A memo that accepts tab characters keeps Tab and Shift+Tab, read-only or not: Qt moves
// the focus on from a read-only text area whatever its tab setting. The key still goes
// through the key handlers, so an editable memo inserts its tab there.
bool TCoolMemo::TabStaysInside(QKeyEvent* event) {
  const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
  if (!FWantTabs || !tab || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    return false;
  keyPressEvent(event);
  event->accept();
  return true;
}

// Mouse events of the frame itself (the viewport's go to the handlers below). A double
// click on the caption does nothing; a drag on it moves the memo unless
// ocNoDragUsingCaption.
bool TCoolMemo::CaptionMouseEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (event->type() == QEvent::MouseMove) {
    if (!FDragging) return false;
    move(pos() + global - FDragStart);
    FDragStart = global;
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    const bool dragged = FDragging;
    FDragging = false;
    return dragged;
  }
  if (!CaptionRect().contains(event->position().toPoint())) return false;
  if (event->type() == QEvent::MouseButtonPress && event->button() == Qt::LeftButton &&
      !FOptions.Contains(ocNoDragUsingCaption)) {
    FDragging = true;
    FDragStart = global;
  }
  return true;
}

void TCoolMemo::PaintFrame() {
  QPainter painter(this);
  if (!FOptions.Contains(ocNoCaption)) PaintCaptionBar(painter);
  if (FOptions.Contains(ocFlatBorder)) PaintFlatBorder(painter);
  if (FBorderStyle == bsNone) PaintEdgeLines(painter);
}

void TCoolMemo::PaintCaptionBar(QPainter& painter) const {
  const QRect bar = CaptionRect();
  const QImage* wallpaper =
      FOptions.Contains(ocPaintCaptionWallpaper) ? ChosenCaptionWallpaper() : nullptr;
  if (wallpaper)
    DrawWallpaper(painter, *wallpaper, bar, true);
  else
    painter.fillRect(bar, FCaptionColor);
  painter.setFont(CaptionFont());
  painter.setPen(FCaptionTextColor);
  painter.drawText(bar.adjusted(2, 0, 0, 0),
                   int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), ToQString(FCaption));
}

void TCoolMemo::PaintFlatBorder(QPainter& painter) const {
  const QColor face = SysColor(*this, clBtnFace);
  QRect outer = rect();
  Frame3D(painter, outer, face, face, 2);
  if (FMouseInside || hasFocus()) {
    QRect edge = rect();
    Frame3D(painter, edge, SysColor(*this, clBtnShadow), SysColor(*this, clBtnHighlight), 1);
  }
}

void TCoolMemo::PaintEdgeLines(QPainter& painter) const {
  if (FEdgeBorders.Empty()) return;
  painter.setPen(FBorderPen);
  const int right = width() - 1, bottom = height() - 1;
  if (FEdgeBorders.Contains(ebTop)) painter.drawLine(0, 0, right, 0);
  if (FEdgeBorders.Contains(ebLeft)) painter.drawLine(0, 0, 0, bottom);
  if (FEdgeBorders.Contains(ebRight)) painter.drawLine(right, 0, right, bottom);
  if (FEdgeBorders.Contains(ebBottom)) painter.drawLine(0, bottom, right, bottom);
}

void TCoolMemo::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    if (FOptions.Contains(ocPaintTransparently)) {
      DrawTransparentBackground(painter, *this, *viewport(), FTransparencyLevel);
    } else {
      painter.fillRect(client, FColor);
      if (BackgroundMode())
        DrawWallpaper(painter, *ChosenWallpaper(), client, FOptions.Contains(ocTileWallpaper));
    }
  }
  TSkinControl<QPlainTextEdit>::paintEvent(event);
  if (FOptions.Contains(ocFlatBorder)) {
    QPainter painter(viewport());
    QRect ring = viewport()->rect();
    const QColor window = SysColor(*this, clWindow);
    Frame3D(painter, ring, window, window, 1);
  }
}

void TCoolMemo::scrollContentsBy(int dx, int dy) {
  TSkinControl<QPlainTextEdit>::scrollContentsBy(dx, dy);
  // The background stays put while the text scrolls over it.
  if (BackgroundMode()) viewport()->update();
}

// In the flat-border mode the paging keys are swallowed at the ends, where they would
// only move the caret.
bool TCoolMemo::SwallowPageKey(int key) const {
  if (!FOptions.Contains(ocFlatBorder)) return false;
  if (key == Qt::Key_PageUp) return verticalScrollBar()->value() == 0;
  if (key == Qt::Key_PageDown)
    return verticalScrollBar()->value() == verticalScrollBar()->maximum();
  return false;
}

void TCoolMemo::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (OnKeyDown) OnKeyDown(this, key, event->modifiers());
  if (key == 0 || SwallowPageKey(key)) return;
  const bool returnKey = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (returnKey && !FWantReturns && !(event->modifiers() & Qt::ControlModifier)) {
    event->ignore();
    return;
  }
  TSkinControl<QPlainTextEdit>::keyPressEvent(event);
}

void TCoolMemo::keyReleaseEvent(QKeyEvent* event) {
  int key = event->key();
  if (OnKeyUp) OnKeyUp(this, key, event->modifiers());
  if (key != 0) TSkinControl<QPlainTextEdit>::keyReleaseEvent(event);
}

void TCoolMemo::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
  TSkinControl<QPlainTextEdit>::mousePressEvent(event);
}

void TCoolMemo::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  TSkinControl<QPlainTextEdit>::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && viewport()->rect().contains(pos) && OnClick)
    OnClick(this);
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TCoolMemo::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
  TSkinControl<QPlainTextEdit>::mouseDoubleClickEvent(event);
}

void TCoolMemo::enterEvent(QEnterEvent* event) {
  TSkinControl<QPlainTextEdit>::enterEvent(event);
  FMouseInside = true;
  if (FOptions.Contains(ocFlatBorder)) update();
  if (OnMouseEnter) OnMouseEnter(this);
}

void TCoolMemo::leaveEvent(QEvent* event) {
  TSkinControl<QPlainTextEdit>::leaveEvent(event);
  FMouseInside = false;
  if (FOptions.Contains(ocFlatBorder)) update();
  if (OnMouseLeave) OnMouseLeave(this);
}

void TCoolMemo::focusInEvent(QFocusEvent* event) {
  TSkinControl<QPlainTextEdit>::focusInEvent(event);
  if (FOptions.Contains(ocFlatBorder)) update();
  if (OnEnter) OnEnter(this);
}

void TCoolMemo::focusOutEvent(QFocusEvent* event) {
  TSkinControl<QPlainTextEdit>::focusOutEvent(event);
  if (FOptions.Contains(ocFlatBorder)) update();
  if (OnExit) OnExit(this);
}

void TCoolMemo::moveEvent(QMoveEvent* event) {
  TSkinControl<QPlainTextEdit>::moveEvent(event);
  update();
  viewport()->update();
}

void TCoolMemo::contextMenuEvent(QContextMenuEvent* event) {
  if (FPopupMenu)
    FPopupMenu->exec(event->globalPos());
  else
    TSkinControl<QPlainTextEdit>::contextMenuEvent(event);
}
