#include "CoolCtrls.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>
#include <algorithm>

#include "QtColor.h"

namespace {

// The framework's 3-D frame: the top and left lines in `topLeft`, the right and bottom
// lines (which own the two far corners) in `bottomRight`, `width` rings inwards. The
// rectangle shrinks by the rings drawn.
void Frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
             int width) {
  for (int ring = 0; ring < width && rect.width() > 0 && rect.height() > 0; ++ring) {
    const int l = rect.left(), t = rect.top(), w = rect.width(), h = rect.height();
    painter.fillRect(l, t, w - 1, 1, topLeft);
    painter.fillRect(l, t, 1, h - 1, topLeft);
    painter.fillRect(l + w - 1, t, 1, h, bottomRight);
    painter.fillRect(l, t + h - 1, w, 1, bottomRight);
    rect.adjust(1, 1, -1, -1);
  }
}

void Bevel(QPainter& painter, QRect& rect, TBevelCut cut, int width, const QWidget& control) {
  if (cut == bvNone) return;
  const QColor shadow = SysColor(control, clBtnShadow);
  const QColor highlight = SysColor(control, clBtnHighlight);
  if (cut == bvLowered)
    Frame3D(painter, rect, shadow, highlight, width);
  else
    Frame3D(painter, rect, highlight, shadow, width);
}

Qt::Alignment HorizontalAlignment(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify:
      return Qt::AlignLeft;
    case taRightJustify:
      return Qt::AlignRight;
    default:
      return Qt::AlignHCenter;
  }
}

// The wallpaper rule shared by panels and memos: the store's picture when the index
// names a non-empty one, else the control's own picture, else none.
const QImage* ChooseWallpaper(const TCoolImages* store, int index, const QImage& own) {
  if (store)
    if (const QImage* picture = store->Picture(index)) return picture;
  return own.isNull() ? nullptr : &own;
}

void Reregister(TCoolChangeLink& link, TCoolImages* store) {
  if (link.Sender()) link.Sender()->UnRegisterChanges(&link);
  if (store) store->RegisterChanges(&link);
}

}  // namespace

// ---------------------------------------------------------------- store

TBitmapItem::TBitmapItem(TBitmaps& collection) : FCollection(collection) {}

TBitmapItem::~TBitmapItem() {
  FCollection.Owner().Change();
}

void TBitmapItem::SetBitmap(const QImage& value) {
  FBitmap = value;
  FCollection.Owner().Change();
}

int TBitmapItem::Index() const {
  return FCollection.IndexOf(this);
}

TBitmaps::~TBitmaps() {
  Clear();
}

TBitmapItem* TBitmaps::Items(int index) const {
  CheckListIndex(index, Count());
  return FItems[size_t(index)].get();
}

TBitmapItem* TBitmaps::Add() {
  FItems.push_back(std::make_unique<TBitmapItem>(*this));
  return FItems.back().get();
}

TBitmapItem* TBitmaps::Add(const QImage& bitmap) {
  TBitmapItem* item = Add();
  item->SetBitmap(bitmap);
  return item;
}

void TBitmaps::Delete(int index) {
  Items(index);
  // Out of the list before it goes, so the users that repaint on its notice no longer
  // find it.
  std::unique_ptr<TBitmapItem> item = std::move(FItems[size_t(index)]);
  FItems.erase(FItems.begin() + index);
}

void TBitmaps::Clear() {
  std::vector<std::unique_ptr<TBitmapItem>> items;
  items.swap(FItems);
}

int TBitmaps::IndexOf(const TBitmapItem* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return int(i);
  return -1;
}

TCoolChangeLink::~TCoolChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TCoolChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TCoolImages::TCoolImages(QObject* owner)
    : QObject(owner), FBitmaps(std::make_unique<TBitmaps>(*this)) {}

TCoolImages::~TCoolImages() {
  while (!FLinks.empty()) UnRegisterChanges(FLinks.back());
  FBitmaps.reset();
}

void TCoolImages::RegisterChanges(TCoolChangeLink* link) {
  if (!link || link->FSender == this) return;
  // A link listed twice, or in two stores, would be left behind when it is destroyed.
  if (link->FSender) link->FSender->UnRegisterChanges(link);
  link->FSender = this;
  FLinks.push_back(link);
}

void TCoolImages::UnRegisterChanges(TCoolChangeLink* link) {
  auto found = std::find(FLinks.begin(), FLinks.end(), link);
  if (found == FLinks.end()) return;
  link->FSender = nullptr;
  FLinks.erase(found);
}

void TCoolImages::Change() {
  // A handler may unregister links (a panel destroyed on the notice): walk a copy and
  // skip links that left meanwhile.
  const std::vector<TCoolChangeLink*> links = FLinks;
  for (TCoolChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
}

const QImage* TCoolImages::Picture(int index) const {
  if (!FBitmaps || index < 0 || index >= FBitmaps->Count()) return nullptr;
  const QImage& picture = FBitmaps->Items(index)->Bitmap();
  return picture.isNull() ? nullptr : &picture;
}

// ---------------------------------------------------------------- drawing

void DrawWallpaper(QPainter& painter, const QImage& wallpaper, const QRect& rect, bool tiled) {
  if (wallpaper.isNull() || rect.isEmpty()) return;
  if (!tiled) {
    // A picture drawn for a denser screen has that many more pixels per unit.
    const qreal ratio = wallpaper.devicePixelRatio();
    painter.drawImage(QRectF(rect), wallpaper,
                      QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio));
    return;
  }
  // A texture brush whose origin is the rectangle's corner lays the same blocks as
  // copying the picture row by row and column by column, cut at the far edges.
  painter.save();
  painter.setBrushOrigin(rect.topLeft());
  painter.fillRect(rect, QBrush(wallpaper));
  painter.restore();
}

void DrawTransparentBackground(QPainter& painter, const QWidget& control, const QWidget& surface,
                               int level) {
  const QWidget* ancestor = &control;
  for (int i = 0; i < level && ancestor->parentWidget(); ++i) ancestor = ancestor->parentWidget();
  QWidget* parent = ancestor->parentWidget();
  if (!parent) return;
  // The part of the parent under the surface itself, so the pattern lines up with what
  // surrounds the control at every level.
  const QPoint origin = surface.mapTo(parent, QPoint(0, 0));
  painter.save();
  painter.translate(-origin);
  if (const auto* panel = dynamic_cast<const TCoolPanel*>(parent)) {
    panel->EraseBackground(painter, QPoint(0, 0));
  } else {
    // Another widget's background is its own painting without its children.
    parent->render(&painter, origin, QRegion(QRect(origin, surface.size())),
                   QWidget::DrawWindowBackground);
  }
  painter.restore();
}

// ---------------------------------------------------------------- panel

TCoolPanel::TCoolPanel(QWidget* parent) : TSkinControl<QWidget>(parent) {
  SetColor(SysColor(*this, clBtnShadow));
  FFontColor = palette().color(QPalette::WindowText);
  FChangeLink.OnChange = [this](QObject*) { update(); };
  setMouseTracking(true);
  resize(FButtonWidth + 2, 41);
  UpdateContentsMargins();

  FScrollUp = new QToolButton(this);
  FScrollUp->setArrowType(Qt::UpArrow);
  FScrollDown = new QToolButton(this);
  FScrollDown->setArrowType(Qt::DownArrow);
  for (QToolButton* button : {FScrollUp, FScrollDown}) {
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
  }
  connect(FScrollUp, &QToolButton::clicked, this, [this] {
    ScrollChildren(FButtonHeight);
    if (OnScrollUp) OnScrollUp(this);
  });
  connect(FScrollDown, &QToolButton::clicked, this, [this] {
    ScrollChildren(-FButtonHeight);
    if (OnScrollDown) OnScrollDown(this);
  });
  PlaceScrollButtons();
}

TCoolPanel::~TCoolPanel() = default;

void TCoolPanel::SetAlignment(TAlignment value) {
  FAlignment = value;
  update();
}

void TCoolPanel::SetBevelInner(TBevelCut value) {
  FBevelInner = value;
  UpdateContentsMargins();
  update();
}

void TCoolPanel::SetBevelOuter(TBevelCut value) {
  FBevelOuter = value;
  UpdateContentsMargins();
  update();
}

void TCoolPanel::SetBevelWidth(int value) {
  FBevelWidth = std::max(1, value);
  UpdateContentsMargins();
  update();
}

void TCoolPanel::SetBorderWidth(int value) {
  FBorderWidth = std::max(0, value);
  UpdateContentsMargins();
  update();
}

void TCoolPanel::SetCaption(const std::string& value) {
  if (FCaption == value) return;
  FCaption = value;
  update();
}

QColor TCoolPanel::Color() const {
  if (FParentColor) {
    if (const auto* panel = dynamic_cast<const TCoolPanel*>(parentWidget())) return panel->Color();
    if (parentWidget()) return parentWidget()->palette().color(QPalette::Window);
  }
  return FColor;
}

void TCoolPanel::SetColor(const QColor& value) {
  FColor = value;
  FParentColor = false;
  // Children that take their parent's colour (link labels, plain widgets) read it from
  // the palette, so the panel's colour must live there too.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, value);
  setPalette(pal);
  update();
}

void TCoolPanel::SetParentColor(bool value) {
  FParentColor = value;
  update();
}

void TCoolPanel::SetFontColor(const QColor& value) {
  FFontColor = value;
  update();
}

void TCoolPanel::SetButtonHeight(int value) {
  FButtonHeight = value;
  update();
}

void TCoolPanel::SetButtonWidth(int value) {
  FButtonWidth = value;
  resize(value + 2, height());
  PlaceScrollButtons();
}

void TCoolPanel::SetCoolImages(TCoolImages* value) {
  Reregister(FChangeLink, value);
  FCoolImages = value;
  // A store that goes away leaves the panel on its own wallpaper or colour.
  disconnect(FStoreGone);
  if (value) FStoreGone = connect(value, &QObject::destroyed, this, [this] { update(); });
  update();
}

void TCoolPanel::SetidWallpaper(int value) {
  if (FidWallpaper == value) return;
  FidWallpaper = value;
  update();
}

void TCoolPanel::SetWallpaper(const QImage& value) {
  FTransparent = false;
  FWallpaper = value;
  update();
}

void TCoolPanel::SetTransparent(bool value) {
  FTransparent = value;
  repaint();
}

void TCoolPanel::SetTransparencyLevel(std::uint8_t value) {
  if (FTransparencyLevel == value) return;
  FTransparencyLevel = value;
  update();
}

QColor TCoolPanel::BackgroundColor() const {
  if (FWallpaper.isNull()) return Color();
  return FWallpaper.pixelColor(0, FWallpaper.height() - 1);
}

const QImage* TCoolPanel::ChosenWallpaper() const {
  return ChooseWallpaper(FCoolImages, FidWallpaper, FWallpaper);
}

void TCoolPanel::EraseBackground(QPainter& painter, const QPoint& origin) const {
  if (FTransparent) {
    painter.save();
    painter.translate(origin);
    DrawTransparentBackground(painter, *this, *this, FTransparencyLevel);
    painter.restore();
  } else if (const QImage* wallpaper = ChosenWallpaper()) {
    DrawWallpaper(painter, *wallpaper, QRect(origin, size()), true);
  } else {
    painter.fillRect(QRect(origin, size()), Color());
  }
}

void TCoolPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  EraseBackground(painter, QPoint(0, 0));
  QRect rect = this->rect();
  Bevel(painter, rect, FBevelOuter, FBevelWidth, *this);
  Frame3D(painter, rect, Color(), Color(), FBorderWidth);
  Bevel(painter, rect, FBevelInner, FBevelWidth, *this);
  if (!FCaption.empty()) {
    painter.setFont(font());
    painter.setPen(FFontColor);
    const int h = QFontMetrics(font()).height();
    const int top = (rect.top() + rect.top() + rect.height() - h) / 2;
    const Qt::Alignment horizontal =
        QStyle::visualAlignment(layoutDirection(), HorizontalAlignment(FAlignment));
    // "&" is drawn as written, not taken as an accelerator prefix: a panel's caption is
    // a game's heading ("Orcs & Humans"), and a swallowed "&" would misname the game.
    painter.drawText(QRect(rect.left(), top, rect.width(), h),
                     int(horizontal | Qt::AlignVCenter | Qt::TextExpandTabs), ToQString(FCaption));
  }
  UpdateScrollButtons();
}

void TCoolPanel::resizeEvent(QResizeEvent*) {
  PlaceScrollButtons();
  if (OnResize) OnResize(this);
}

void TCoolPanel::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (ArmsClick(*event)) FLeftDown = true;
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TCoolPanel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    if (FLeftDown && rect().contains(pos) && OnClick) OnClick(this);
    FLeftDown = false;
  }
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TCoolPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
  mousePressEvent(event);
}

void TCoolPanel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
}

void TCoolPanel::UpdateContentsMargins() {
  const int margin = FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0) +
                     (FBevelInner != bvNone ? FBevelWidth : 0);
  setContentsMargins(margin, margin, margin, margin);
}

void TCoolPanel::PlaceScrollButtons() {
  if (!FScrollUp) return;
  FScrollUp->setGeometry(0, 0, FButtonWidth, 16);
  FScrollDown->setGeometry(0, height() - 16, FButtonWidth, 16);
}

void TCoolPanel::ScrollChildren(int dy) {
  const QRect area = contentsRect().adjusted(0, 17, 0, -17);
  for (QWidget* control : FButtonList)
    if (area.intersects(control->geometry().translated(0, dy)))
      control->move(control->x(), control->y() + dy);
}

void TCoolPanel::UpdateScrollButtons() {
  bool above = false, below = false;
  for (const QWidget* control : FButtonList) {
    above = above || control->y() < FScrollUp->y();
    below = below || control->y() + FButtonHeight > FScrollDown->y() + 16;
  }
  if (FScrollUp->isVisible() != above) FScrollUp->setVisible(above);
  if (FScrollDown->isVisible() != below) FScrollDown->setVisible(below);
  if (above || below) {
    FScrollUp->raise();
    FScrollDown->raise();
  }
}

// ---------------------------------------------------------------- memo lines

int TMemoStrings::Count() const {
  const QTextDocument* document = FEdit.document();
  int count = document->blockCount();
  if (document->lastBlock().text().isEmpty()) --count;
  return count;
}

std::string TMemoStrings::Strings(int index) const {
  CheckListIndex(index, Count());
  return FromQString(FEdit.document()->findBlockByNumber(index).text());
}

void TMemoStrings::Add(const std::string& line) {
  // As the framework's memo inserts a line: before the line at the new index when the
  // text ends with a line break (so it keeps ending with one), else after a break
  // appended to the last line.
  QTextDocument* document = FEdit.document();
  const int index = Count();
  QTextCursor cursor(document);
  if (index < document->blockCount()) {
    cursor.setPosition(document->findBlockByNumber(index).position());
    cursor.insertText(ToQString(line) + QLatin1Char('\n'));
  } else {
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QLatin1Char('\n') + ToQString(line));
  }
}

void TMemoStrings::Clear() {
  FEdit.clear();
}

void TMemoStrings::Assign(const TStringList& lines) {
  // Every line keeps its break, as the framework's memo text does, so that lines added
  // afterwards follow an empty last line instead of swallowing it.
  QString text;
  for (const std::string& line : lines.Lines()) text += ToQString(line) + QLatin1Char('\n');
  FEdit.setPlainText(text);
}

TStringList TMemoStrings::ToStringList() const {
  TStringList lines;
  for (int i = 0, count = Count(); i < count; ++i) lines.Add(Strings(i));
  return lines;
}

std::string TMemoStrings::Text() const {
  return ToStringList().Text();
}

void TMemoStrings::SetText(const std::string& text) {
  TStringList lines;
  lines.SetText(text);
  Assign(lines);
}

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
