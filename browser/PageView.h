#pragma once

#include <QTextBrowser>
#include <functional>

// The view of the banner page. It loads nothing by itself: every resource the page asks
// for is answered at once with nothing (so the document never falls back to reading a
// local file or a data address), and pictures are announced to the owner, which fetches
// them over the web and adds them to the document.
class TPageView : public QTextBrowser {
 public:
  explicit TPageView(QWidget* parent = nullptr);

  std::function<void(const QUrl& url)> OnPictureWanted;

  // Asks for every picture the document names, laid out or not: images, and backgrounds
  // that would otherwise be asked for only once painted.
  void AskForPictures();

  QVariant loadResource(int type, const QUrl& name) override;
};
