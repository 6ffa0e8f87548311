#include "PageView.h"

#include <QTextDocument>
#include <QTextFormat>

TPageView::TPageView(QWidget* parent) : QTextBrowser(parent) {
  // Links go to the owner, never into the view: the banner shows one page only.
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  setFocusPolicy(Qt::NoFocus);
  setContextMenuPolicy(Qt::NoContextMenu);
  setUndoRedoEnabled(false);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(0);
}

QVariant TPageView::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::ImageResource && OnPictureWanted) OnPictureWanted(name);
  // An empty answer that is not a null variant, so the document takes it as given.
  return QByteArray();
}

void TPageView::AskForPictures() {
  QTextDocument* page = document();
  for (const QTextFormat& format : page->allFormats()) {
    const QString name = format.isImageFormat()
                             ? format.toImageFormat().name()
                             : format.stringProperty(QTextFormat::BackgroundImageUrl);
    if (!name.isEmpty()) page->resource(QTextDocument::ImageResource, QUrl(name));
  }
}
