#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

// The window layouts place controls the way the catalogue's original layouts were drawn:
// each control either sticks to one side of what its parent has left (top, bottom, left,
// right, in that order of precedence), fills the rest, or keeps its drawn bounds and
// follows the parent's edges it is anchored to. A control anchored to neither side of a
// direction keeps its centre at the same proportion of the parent.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = int;
inline constexpr TAnchors DefaultAnchors = akLeft | akTop;

class TAlignLayout : public QLayout {
 public:
  // Takes over `parent`'s layout; the parent's current size is its drawn size, against
  // which the anchors of its children are kept.
  explicit TAlignLayout(QWidget* parent);
  ~TAlignLayout() override;

  // `child` must already have its drawn bounds.
  void Add(QWidget* child, TAlign align, TAnchors anchors = DefaultAnchors);
  TAlign AlignOf(const QWidget* child) const;
  void SetAlign(const QWidget* child, TAlign align);
  // The layout of `parent`, made on first use.
  static TAlignLayout* Of(QWidget* parent);

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override { return int(FItems.size()); }
  QSize sizeHint() const override { return FDesignSize; }
  QSize minimumSize() const override { return {0, 0}; }
  void setGeometry(const QRect& rect) override;

 private:
  struct TItem {
    QLayoutItem* Item;
    TAlign Align;
    TAnchors Anchors;
    QRect Drawn;
  };
  void AlignSide(TAlign align, int& left, int& top, int& right, int& bottom);
  void Anchor(const TItem& item, const QRect& rect);

  QSize FDesignSize;
  QList<TItem> FItems;
};
