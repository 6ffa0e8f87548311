#include "FormBuilder.h"

#include <QGuiApplication>
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

TSkinFrame SkinFrame(QWidget* parent, const QSize& size, TCoolImages* frameStore,
                     const TSkinFrameNames& names) {
  const int w = size.width();
  const int h = size.height();
  const int middle = h - 27 - 6;
  TCoolImages* B = frameStore;
  TSkinFrame f;
  f.TitleBar = Panel(parent, names.TitleBar, alTop, {0, 0, w, 27});
  f.CoolPanel12 = Panel(f.TitleBar, "CoolPanel12", alLeft, {0, 0, 6, 27}, B, 0);
  f.CoolPanel14 = Panel(f.TitleBar, "CoolPanel14", alClient, {6, 0, w - 108, 27}, B, 1);
  f.CoolPanel13 = Panel(f.TitleBar, "CoolPanel13", alRight, {w - 102, 0, 102, 27}, B, 2);
  f.BottomEdge = Panel(parent, names.BottomEdge, alBottom, {0, h - 6, w, 6});
  f.CoolPanel18 = Panel(f.BottomEdge, "CoolPanel18", alLeft, {0, 0, 6, 6}, B, 7);
  f.CoolPanel19 = Panel(f.BottomEdge, "CoolPanel19", alClient, {6, 0, w - 12, 6}, B, 6);
  f.CoolPanel17 = Panel(f.BottomEdge, "CoolPanel17", alRight, {w - 6, 0, 6, 6}, B, 5);
  f.Middle = Panel(parent, names.Middle, alClient, {0, 27, w, middle});
  f.CoolPanel20 = Panel(f.Middle, "CoolPanel20", alLeft, {0, 0, 6, middle}, B, 8);
  f.RightEdge = Panel(f.Middle, names.RightEdge, alRight, {w - 6, 0, 6, middle});
  f.CoolPanel15 = Panel(f.RightEdge, "CoolPanel15", alTop, {0, 0, 6, 8}, B, 3);
  f.CoolPanel16 = Panel(f.RightEdge, "CoolPanel16", alClient, {0, 8, 6, middle - 8}, B, 4);
  f.Client = Panel(f.Middle, names.Client, alClient, {6, 0, w - 12, middle});
  return f;
}

QFont PixelFont(const char* family, int pixels, bool bold) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void LoadStore(TCoolImages& store, const char* folder, int count) {
  // The densest screen decides, as Qt's own choice of @2x pictures does: a window moved
  // there would otherwise show upscaled bitmaps.
  const bool dense = qGuiApp && qGuiApp->devicePixelRatio() > 1;
  for (int i = 0; i < count; ++i) {
    QImage picture;
    if (dense && picture.load(QString::asprintf(":/skin/%s/%02d@2x.bmp", folder, i)))
      picture.setDevicePixelRatio(2);
    else
      picture.load(QString::asprintf(":/skin/%s/%02d.bmp", folder, i));
    store.Bitmaps().Add(picture);
  }
}

}  // namespace FormBuilder
