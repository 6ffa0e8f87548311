#include "AlignLayout.h"

#include <QWidget>
#include <algorithm>

TAlignLayout::TAlignLayout(QWidget* parent)
    : QLayout(parent), FDesignSize(parent->contentsRect().size()) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
  setSizeConstraint(QLayout::SetNoConstraint);
}

TAlignLayout::~TAlignLayout() {
  for (TItem& item : FItems) delete item.Item;
}

void TAlignLayout::Add(QWidget* child, TAlign align, TAnchors anchors) {
  const QRect drawn = child->geometry();
  addChildWidget(child);
  FItems.append({new QWidgetItem(child), align, anchors, drawn});
  invalidate();
}

TAlign TAlignLayout::AlignOf(const QWidget* child) const {
  for (const TItem& item : FItems)
    if (item.Item->widget() == child) return item.Align;
  return alNone;
}

void TAlignLayout::SetAlign(const QWidget* child, TAlign align) {
  for (TItem& item : FItems)
    if (item.Item->widget() == child) item.Align = align;
  invalidate();
  if (parentWidget()) setGeometry(parentWidget()->contentsRect());
}

TAlignLayout* TAlignLayout::Of(QWidget* parent) {
  if (auto* layout = dynamic_cast<TAlignLayout*>(parent->layout())) return layout;
  return new TAlignLayout(parent);
}

void TAlignLayout::addItem(QLayoutItem* item) {
  const QRect drawn = item->widget() ? item->widget()->geometry() : item->geometry();
  FItems.append({item, alNone, DefaultAnchors, drawn});
}

QLayoutItem* TAlignLayout::itemAt(int index) const {
  return index >= 0 && index < FItems.size() ? FItems[index].Item : nullptr;
}

QLayoutItem* TAlignLayout::takeAt(int index) {
  if (index < 0 || index >= FItems.size()) return nullptr;
  return FItems.takeAt(index).Item;
}

void TAlignLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  int left = rect.left(), top = rect.top(), right = rect.right() + 1, bottom = rect.bottom() + 1;
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient})
    AlignSide(align, left, top, right, bottom);
  for (const TItem& item : FItems)
    if (item.Align == alNone) Anchor(item, rect);
}

// Controls of one side are stacked in the order in which they lie towards the centre,
// so a control moved by a splitter keeps its place in the stack.
void TAlignLayout::AlignSide(TAlign align, int& left, int& top, int& right, int& bottom) {
  QList<QWidget*> controls;
  for (const TItem& item : FItems) {
    QWidget* w = item.Item->widget();
    if (item.Align == align && w && !w->isHidden()) controls.append(w);
  }
  auto key = [align](const QWidget* w) {
    switch (align) {
      case alTop:
        return w->y();
      case alBottom:
        return -(w->y() + w->height());
      case alLeft:
        return w->x();
      case alRight:
        return -(w->x() + w->width());
      default:
        return 0;
    }
  };
  std::stable_sort(controls.begin(), controls.end(),
                   [&](const QWidget* a, const QWidget* b) { return key(a) < key(b); });
  for (QWidget* w : controls) {
    const int width = std::max(0, right - left), height = std::max(0, bottom - top);
    switch (align) {
      case alTop:
        w->setGeometry(left, top, width, w->height());
        top += w->height();
        break;
      case alBottom:
        w->setGeometry(left, bottom - w->height(), width, w->height());
        bottom -= w->height();
        break;
      case alLeft:
        w->setGeometry(left, top, w->width(), height);
        left += w->width();
        break;
      case alRight:
        w->setGeometry(right - w->width(), top, w->width(), height);
        right -= w->width();
        break;
      default:
        w->setGeometry(left, top, width, height);
        break;
    }
  }
}

namespace {

// a * b / c rounded to the nearest integer, halves away from zero, as the framework scales
// the centre of a control that no anchor holds.
int MulDiv(int a, int b, int c) {
  const long long product = (long long)a * b;
  const long long half = c / 2;
  return int(product >= 0 ? (product + half) / c : -((-product + half) / c));
}

}  // namespace

void TAlignLayout::Anchor(const TItem& item, const QRect& rect) {
  QWidget* w = item.Item->widget();
  if (!w) return;
  const QRect& d = item.Drawn;
  // Only a control anchored to both edges of a direction changes its size; otherwise it
  // keeps the size it has now (a label sized to its text, a button sized to its bitmap).
  auto place = [](bool nearEdge, bool farEdge, int pos, int drawnSize, int size, int designParent,
                  int parent, int& outPos, int& outSize) {
    outPos = pos;
    outSize = size;
    if (nearEdge && farEdge) {
      outSize = drawnSize + parent - designParent;
    } else if (farEdge) {
      outPos = pos + drawnSize - size + parent - designParent;
    } else if (!nearEdge) {
      outPos =
          designParent > 0 ? MulDiv(pos + drawnSize / 2, parent, designParent) - size / 2 : pos;
    }
  };
  int x, y, width, height;
  place(item.Anchors & akLeft, item.Anchors & akRight, d.x(), d.width(), w->width(),
        FDesignSize.width(), rect.width(), x, width);
  place(item.Anchors & akTop, item.Anchors & akBottom, d.y(), d.height(), w->height(),
        FDesignSize.height(), rect.height(), y, height);
  w->setGeometry(rect.x() + x, rect.y() + y, std::max(0, width), std::max(0, height));
}
