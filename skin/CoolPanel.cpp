#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "CoolCtrls.h"
#include "CoolPaint.h"

using namespace coolpaint;

namespace {

void Bevel(QPainter& painter, QRect& rect, TBevelCut cut, int width, const QWidget& control) {
  if (cut == bvNone) return;
  const QColor shadow = SysColor(control, clBtnShadow);
  const QColor highlight = SysColor(control, clBtnHighlight);
  if (cut == bvLowered)
    Frame3D(painter, rect, shadow, highlight, width);
  else
    Frame3D(painter, rect, highlight, shadow, width);
}

}  // namespace

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
