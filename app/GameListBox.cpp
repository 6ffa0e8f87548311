#include "GameListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "SkinControl.h"

TGameListBox::TGameListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setSortingEnabled(false);
  // A list box clips a long name at its edge; it neither elides it nor scrolls sideways.
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

namespace {

class TFixedHeightDelegate : public QStyledItemDelegate {
 public:
  TFixedHeightDelegate(int height, QObject* parent)
      : QStyledItemDelegate(parent), FHeight(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), FHeight};
  }

 private:
  int FHeight;
};

}  // namespace

void TGameListBox::SetItemHeight(int pixels) {
  setItemDelegate(new TFixedHeightDelegate(pixels, this));
}

void TGameListBox::SetItemIndex(int index) {
  setCurrentRow(index);
  if (QListWidgetItem* selected = item(index)) scrollToItem(selected);
}

void TGameListBox::SetItems(const std::vector<std::string>& items) {
  QStringList texts;
  texts.reserve(qsizetype(items.size()));
  for (const std::string& line : items) texts.append(ToQString(line));
  setUpdatesEnabled(false);
  clear();
  addItems(texts);
  setUpdatesEnabled(true);
}

void TGameListBox::Click() {
  if (OnClick) OnClick(this);
}

void TGameListBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  FPressedRow = currentRow();
  QListWidget::mousePressEvent(event);
}

void TGameListBox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || FPressedRow == -2) return;
  const bool moved = currentRow() != FPressedRow;
  FPressedRow = -2;
  if (moved || itemAt(event->position().toPoint())) Click();
}

void TGameListBox::keyPressEvent(QKeyEvent* event) {
  const int before = currentRow();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before) Click();
}

void TGameListBox::keyReleaseEvent(QKeyEvent* event) {
  QListWidget::keyReleaseEvent(event);
  if (event->isAutoRepeat()) return;
  int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) key = 13;
  if (OnKeyUp) OnKeyUp(this, key, event->modifiers());
}
