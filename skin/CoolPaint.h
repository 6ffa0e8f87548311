// What the skin's panel and memo draw alike, for the units of CoolCtrls.h only.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "CoolCtrls.h"

namespace coolpaint {

// The framework's 3-D frame: the top and left lines in `topLeft`, the right and bottom
// lines (which own the two far corners) in `bottomRight`, `width` rings inwards. The
// rectangle shrinks by the rings drawn.
void Frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
             int width);

Qt::Alignment HorizontalAlignment(TAlignment alignment);

// The wallpaper rule shared by panels and memos: the store's picture when the index
// names a non-empty one, else the control's own picture, else none.
const QImage* ChooseWallpaper(const TCoolImages* store, int index, const QImage& own);

void Reregister(TCoolChangeLink& link, TCoolImages* store);

}  // namespace coolpaint
