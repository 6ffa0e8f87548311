#include "FormBuilder.h"

#include <QImage>

#include "CoolCtrls.h"

namespace FormBuilder {

TCoolPanel* Panel(QWidget* parent, const char* name, TAlign align, const QRect& bounds,
                  TCoolImages* store, int id, TAnchors anchors) {
  auto* panel = Place<TCoolPanel>(parent, name, align, bounds, anchors);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(panel->palette().color(QPalette::Button));
  if (store) {
    panel->SetCoolImages(store);
    panel->SetidWallpaper(id);
  }
  return panel;
}

QFont PixelFont(const char* family, int pixels, bool bold) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void LoadStore(TCoolImages& store, const char* folder, int count) {
  for (int i = 0; i < count; ++i)
    store.Bitmaps().Add(QImage(QString::asprintf(":/skin/%s/%02d.bmp", folder, i)));
}

}  // namespace FormBuilder
