#include "FormBuilder.h"

#include <QGuiApplication>
#include <QImage>

#include "CoolCtrls.h"
#include "SkinMap.h"

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
  using namespace SkinMap;
  const int w = size.width();
  const int h = size.height();
  const int T = TitleBarHeight;
  const int E = EdgeWidth;
  const int R = TitleRightWidth;
  const int B = BottomEdgeHeight;
  const int middle = h - T - B;
  TCoolImages* S = frameStore;
  TSkinFrame f;
  f.TitleBar = Panel(parent, names.TitleBar, alTop, {0, 0, w, T});
  f.CoolPanel12 = Panel(f.TitleBar, "CoolPanel12", alLeft, {0, 0, E, T}, S, idTitleLeft);
  f.CoolPanel14 =
      Panel(f.TitleBar, "CoolPanel14", alClient, {E, 0, w - E - R, T}, S, idTitleMiddle);
  f.CoolPanel13 = Panel(f.TitleBar, "CoolPanel13", alRight, {w - R, 0, R, T}, S, idTitleRight);
  f.BottomEdge = Panel(parent, names.BottomEdge, alBottom, {0, h - B, w, B});
  f.CoolPanel18 = Panel(f.BottomEdge, "CoolPanel18", alLeft, {0, 0, E, B}, S, idBottomLeft);
  f.CoolPanel19 =
      Panel(f.BottomEdge, "CoolPanel19", alClient, {E, 0, w - 2 * E, B}, S, idBottomEdge);
  f.CoolPanel17 = Panel(f.BottomEdge, "CoolPanel17", alRight, {w - E, 0, E, B}, S, idBottomRight);
  f.Middle = Panel(parent, names.Middle, alClient, {0, T, w, middle});
  f.CoolPanel20 = Panel(f.Middle, "CoolPanel20", alLeft, {0, 0, E, middle}, S, idLeftEdge);
  f.RightEdge = Panel(f.Middle, names.RightEdge, alRight, {w - E, 0, E, middle});
  const int top = RightEdgeTopHeight;
  f.CoolPanel15 = Panel(f.RightEdge, "CoolPanel15", alTop, {0, 0, E, top}, S, idRightEdgeTop);
  f.CoolPanel16 =
      Panel(f.RightEdge, "CoolPanel16", alClient, {0, top, E, middle - top}, S, idRightEdge);
  f.Client = Panel(f.Middle, names.Client, alClient, {E, 0, w - 2 * E, middle});
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
