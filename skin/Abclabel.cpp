#include "Abclabel.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "QtColor.h"
#include "UrlOpener.h"

namespace {

// almColor and almColorShadow exclude each other; the one just added wins.
TabcLabelMouseEffects Exclusive(TabcLabelMouseEffects old, TabcLabelMouseEffects value) {
  if (value.Contains(almColorShadow) && !old.Contains(almColorShadow))
    return value.Exclude(almColor);
  if (value.Contains(almColor) && !old.Contains(almColor)) return value.Exclude(almColorShadow);
  return value;
}

int HorizontalFlag(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight;
    case taCenter:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft;
  }
}

}  // namespace

TabcCustomMouseLabel::TabcCustomMouseLabel(QWidget* parent)
    : TSkinControl<QWidget>(parent),
      FFontColor(palette().color(QPalette::WindowText)),
      FColor(palette().color(QPalette::Window)),
      FMouseOverColor(ToQColor(clYellow)),
      FMouseDownColor(ToQColor(clAqua)) {
  resize(65, 17);
}

void TabcCustomMouseLabel::SetCaption(const std::string& value) {
  if (value == FCaption) return;
  FCaption = value;
  AdjustBounds();
  update();
}

void TabcCustomMouseLabel::SetAlignment(TAlignment value) {
  FAlignment = value;
  update();
}

void TabcCustomMouseLabel::SetLayout(TTextLayout value) {
  FLayout = value;
  update();
}

void TabcCustomMouseLabel::SetWordWrap(bool value) {
  FWordWrap = value;
  AdjustBounds();
  update();
}

void TabcCustomMouseLabel::SetShowAccelChar(bool value) {
  FShowAccelChar = value;
  AdjustBounds();
  update();
}

void TabcCustomMouseLabel::SetTransparent(bool value) {
  FTransparent = value;
  update();
}

void TabcCustomMouseLabel::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustBounds();
}

void TabcCustomMouseLabel::SetFontColor(const QColor& value) {
  FFontColor = value;
  update();
}

QColor TabcCustomMouseLabel::Color() const {
  if (!FParentColor) return FColor;
  const QWidget* parent = parentWidget();
  return parent ? parent->palette().color(parent->backgroundRole())
                : palette().color(QPalette::Window);
}

void TabcCustomMouseLabel::SetColor(const QColor& value) {
  FColor = value;
  FParentColor = false;
  update();
}

void TabcCustomMouseLabel::SetParentColor(bool value) {
  FParentColor = value;
  update();
}

void TabcCustomMouseLabel::SetMouseOverEffects(TabcLabelMouseEffects value) {
  FMouseOverEffects = Exclusive(FMouseOverEffects, value);
  if (FHovering && !FPressed) update();
}

void TabcCustomMouseLabel::SetMouseDownEffects(TabcLabelMouseEffects value) {
  FMouseDownEffects = Exclusive(FMouseDownEffects, value);
  if (FPressed) update();
}

void TabcCustomMouseLabel::SetMouseOverColor(const QColor& value) {
  FMouseOverColor = value;
  if (FHovering && !FPressed) update();
}

void TabcCustomMouseLabel::SetMouseDownColor(const QColor& value) {
  FMouseDownColor = value;
  if (FPressed) update();
}

void TabcCustomMouseLabel::Click() {
  if (OnClick) OnClick(this);
}

QString TabcCustomMouseLabel::DisplayText() const {
  return ToQString(FCaption);
}

// An empty caption, or a lone accelerator mark, still measures one line high.
QString TabcCustomMouseLabel::MeasureText() const {
  QString text = DisplayText();
  if (text.isEmpty() || (FShowAccelChar && text == "&")) text += ' ';
  return text;
}

int TabcCustomMouseLabel::TextFlags() const {
  int flags = Qt::TextExpandTabs | Qt::AlignTop | HorizontalFlag(FAlignment);
  if (FWordWrap) flags |= Qt::TextWordWrap;
  if (FShowAccelChar) flags |= Qt::TextShowMnemonic;
  return flags;
}

QRect TabcCustomMouseLabel::TextRect() const {
  QRect rect = this->rect();
  if (FLayout == tlTop) return rect;
  const int textHeight =
      QFontMetrics(font()).boundingRect(rect, TextFlags(), MeasureText()).height();
  const int space = rect.height() - textHeight;
  rect.translate(0, FLayout == tlBottom ? space : space / 2);
  return rect;
}

QSize TabcCustomMouseLabel::sizeHint() const {
  const QRect bounds(0, 0, FWordWrap ? width() : 0x7FFF, 0x7FFF);
  const QRect text = QFontMetrics(font()).boundingRect(bounds, TextFlags(), MeasureText());
  return {FWordWrap ? width() : text.width(), text.height()};
}

void TabcCustomMouseLabel::AdjustBounds() {
  if (!FAutoSize) return;
  const QSize size = sizeHint();
  QRect bounds = geometry();
  if (FAlignment == taRightJustify) bounds.setLeft(bounds.left() + width() - size.width());
  bounds.setSize(size);
  setGeometry(bounds);
}

void TabcCustomMouseLabel::DrawText(QPainter& painter, const QRect& rect,
                                    const QColor& color) const {
  painter.setPen(color);
  painter.drawText(rect, TextFlags(), DisplayText());
}

void TabcCustomMouseLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!FTransparent) painter.fillRect(rect(), Color());
  const QRect rect = TextRect();
  if (!Enabled()) {
    // The embossed look of disabled text: a highlight copy under a shadow copy.
    DrawText(painter, rect.translated(1, 1), SysColor(*this, clBtnHighlight));
    DrawText(painter, rect, SysColor(*this, clBtnShadow));
    return;
  }
  if (!FPressed && !FHovering) {
    DrawText(painter, rect, FFontColor);
    return;
  }
  const TabcLabelMouseEffects effects = FPressed ? FMouseDownEffects : FMouseOverEffects;
  const QColor effectColor = FPressed ? FMouseDownColor : FMouseOverColor;
  QFont drawingFont = font();
  if (effects.Contains(almUnderline)) drawingFont.setUnderline(true);
  painter.setFont(drawingFont);
  QColor color = FFontColor;
  if (effects.Contains(almColor)) {
    color = effectColor;
  } else if (effects.Contains(almColorShadow)) {
    DrawText(painter, rect.translated(-1, -1), effectColor);
    DrawText(painter, rect.translated(1, 1), effectColor);
  }
  DrawText(painter, rect, color);
}

void TabcCustomMouseLabel::PlaySound(TabcLabelMouseEffects effects, std::uint16_t sound) {
  if (effects.Contains(almSound) && FSoundList) FSoundList->Play(sound);
}

void TabcCustomMouseLabel::MouseEntered() {
  if (!FHovering && Enabled()) {
    FHovering = true;
    update();
    PlaySound(FMouseOverEffects, FSoundOver);
  }
  if (OnMouseEnter) OnMouseEnter(this);
}

void TabcCustomMouseLabel::MouseLeft() {
  if (Enabled()) {
    FHovering = false;
    update();
  }
  if (OnMouseLeave) OnMouseLeave(this);
}

void TabcCustomMouseLabel::enterEvent(QEnterEvent*) {
  MouseEntered();
}

void TabcCustomMouseLabel::leaveEvent(QEvent*) {
  MouseLeft();
}

void TabcCustomMouseLabel::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (ArmsClick(*event)) FLeftDown = true;
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
  if (!FPressed && Enabled()) {
    FPressed = true;
    update();
    PlaySound(FMouseDownEffects, FSoundDown);
  }
}

void TabcCustomMouseLabel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
}

void TabcCustomMouseLabel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const bool click = event->button() == Qt::LeftButton && FLeftDown && rect().contains(pos);
  if (event->button() == Qt::LeftButton) FLeftDown = false;
  if (click) Click();
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
  if (FPressed && Enabled()) {
    FPressed = false;
    update();
  }
}

void TabcCustomMouseLabel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) Resynchronise();
  if (event->type() == QEvent::FontChange) AdjustBounds();
}

// After Enabled changes the hover state is taken afresh from where the pointer is.
void TabcCustomMouseLabel::Resynchronise() {
  FPressed = false;
  FLeftDown = false;
  update();
  if (!Enabled()) return;
  if (rect().contains(mapFromGlobal(QCursor::pos()))) {
    FHovering = false;
    MouseEntered();
  } else {
    FHovering = true;
    MouseLeft();
  }
}

TabcURLLabel::TabcURLLabel(QWidget* parent) : TabcMouseLabel(parent) {
  SetMouseDownEffects({almColor, almSound});
  SetMouseDownColor(ToQColor(clPurple));
  SetFontColor(ToQColor(clBlue));
}

void TabcURLLabel::Click() {
  TabcMouseLabel::Click();
  OpenURL();
}

bool TabcURLLabel::OpenURL() const {
  return UrlOpener::OpenUrl(ToQString(FURL));
}
