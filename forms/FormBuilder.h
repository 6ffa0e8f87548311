#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include "AlignLayout.h"

class TCoolImages;
class TCoolPanel;

// Small helpers that let a window's layout function read like the window's component
// tree: every control is made with its parent, name, alignment, drawn bounds and anchors.
namespace FormBuilder {

// The light colour of the list, the search box, the code area, the splitter and the About
// window's link strip.
inline const QColor LightColor{224, 224, 234};

template <class T>
T* Place(QWidget* parent, const char* name, TAlign align, const QRect& bounds,
         TAnchors anchors = DefaultAnchors) {
  auto* control = new T(parent);
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(bounds);
  TAlignLayout::Of(parent)->Add(control, align, anchors);
  return control;
}

// A skinned panel without bevels; `store`/`id` choose its wallpaper (none for -1).
TCoolPanel* Panel(QWidget* parent, const char* name, TAlign align, const QRect& bounds,
                  TCoolImages* store = nullptr, int id = -1, TAnchors anchors = DefaultAnchors);

// The skinned frame that both windows wear, from the frame store (`CoolImages2`): a title
// bar of three pieces, a bottom edge of three, a left edge and a right edge of two around
// the client panel. The holders' names differ between the windows; the pieces' do not.
struct TSkinFrameNames {
  const char* TitleBar;
  const char* BottomEdge;
  const char* Middle;
  const char* RightEdge;
  const char* Client;
};
struct TSkinFrame {
  TCoolPanel* TitleBar;
  TCoolPanel* CoolPanel12;
  TCoolPanel* CoolPanel14;
  TCoolPanel* CoolPanel13;
  TCoolPanel* BottomEdge;
  TCoolPanel* CoolPanel18;
  TCoolPanel* CoolPanel19;
  TCoolPanel* CoolPanel17;
  TCoolPanel* Middle;
  TCoolPanel* CoolPanel20;
  TCoolPanel* RightEdge;
  TCoolPanel* CoolPanel15;
  TCoolPanel* CoolPanel16;
  TCoolPanel* Client;
};
// Fills `parent`, whose size is `size`.
TSkinFrame SkinFrame(QWidget* parent, const QSize& size, TCoolImages* frameStore,
                     const TSkinFrameNames& names);

QFont PixelFont(const char* family, int pixels, bool bold = false);

// Fills a store with the compiled-in pictures `:/skin/<folder>/00.bmp` ... in order; on a
// screen of twice the density or more, with their twins `00@2x.bmp` ... drawn for it.
void LoadStore(TCoolImages& store, const char* folder, int count);

}  // namespace FormBuilder
