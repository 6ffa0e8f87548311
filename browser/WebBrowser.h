#pragma once

#include <QImage>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPageFetch;
class TPageView;

// The banner area's web page: a light HTML view that loads one page and its pictures over
// http or https and nothing else. The page is untrusted, so it runs no code, reads no
// local file, and the page as a whole has a budget: the bytes and headers of every
// response, its redirects, the time it takes, the elements, tables and text laid out, the
// number of its pictures, their decoded pixels together and the work of decoding each. A
// page past its layout budget is not shown (the error page is); pictures past theirs are
// left out. Pictures are decoded on a thread of their own, so that the window keeps
// answering. Links clicked in it open in the user's own browser.
//
// Showing, hiding and placing are the widget's own (show, hide, move, setGeometry).
// Addresses cross this interface as wide-character strings. Events arrive through the
// event loop, never from inside a call of the host's, and none arrives any more from a
// navigation that a newer one (or Stop) has replaced.
//
// What the status-text event reports, in this order, for one navigation:
//   "Opening page <address>"           when the navigation starts
//   "Downloading picture <address>"    for each picture of the page as its download starts
//   "Done"                             when the page and all its pictures are in
// A navigation that fails (no connection, refused, timed out, too many redirects, a
// scheme other than http or https, an HTTP error status, headers past their bounds, a page
// past its layout budget) goes on to a local error page
// instead and reports it as a navigation of its own:
//   "Opening page res://browser/navcancl.htm#<address>"    (the page could not be reached)
//   "Opening page res://browser/httperror.htm#<address>"   (the server answered an error)
// followed by the navigate-complete event with that res:// address and "Done".
class TWebBrowser : public QWidget {
  Q_OBJECT
 public:
  using TNavigateComplete2Event = std::function<void(QObject* Sender, const std::wstring& URL)>;
  using TStatusTextChangeEvent = std::function<void(QObject* Sender, const std::wstring& Text)>;

  static constexpr qint64 MaxPageBytes = 1 << 20;
  static constexpr qint64 MaxPictureBytes = 1 << 20;
  static constexpr int MaxPictures = 64;
  // Pictures being fetched or decoded at once: their bytes are held until decoded.
  static constexpr int MaxPicturesAtOnce = 4;
  static constexpr int MaxRedirects = 5;
  static constexpr int DefaultTimeout = 30000;

  explicit TWebBrowser(QWidget* parent = nullptr);
  ~TWebBrowser() override;

  // Starts loading URL; a navigation still running is dropped without further events.
  void Navigate(const std::wstring& URL);
  // Drops the running navigation, if any, without further events.
  void Stop();
  bool Busy() const { return FLoading; }

  // The control's own visibility flag (true at creation), apart from whether the widget
  // shows: an embedded view keeps it for its host and draws the same either way.
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }

  // How long the page, and then its pictures, may take before the navigation gives up
  // (milliseconds).
  int Timeout() const { return FTimeout; }
  void SetTimeout(int value) { FTimeout = value; }

  // The address of the page shown now (after redirects), empty before the first one.
  std::wstring LocationURL() const;
  // The text of the page shown now, as the view holds it.
  QString PageText() const;

  TNavigateComplete2Event OnNavigateComplete2;
  TStatusTextChangeEvent OnStatusTextChange;

 private:
  // What is left of the budget of the page's pictures, shared with the decoding thread;
  // a new one for each page, so that a late picture of an earlier page is told apart.
  struct TPictureBudget {
    qint64 PixelsLeft = 0;
  };

  void PageFinished();
  void ShowErrorPage(const QString& page);
  void ShowPage(const TPageFetch& page);
  void PictureWanted(const QUrl& url);
  void FetchPictures();
  void PictureFinished(TPageFetch* fetch);
  void Decode(const QUrl& url, const QByteArray& data);
  void Decoded(const std::shared_ptr<TPictureBudget>& budget, const QUrl& url, const QImage& image);
  void DropPictures();
  void Relayout();
  void TimedOut();
  void FinishIfIdle();
  void LinkClicked(const QUrl& url);
  // Events reach the host through the event loop, never from inside a call it made, and
  // only while the navigation that raised them is still the current one.
  void Post(std::function<void()> event);
  void PostStatusText(const QString& text);
  void PostNavigateComplete2(const QString& url);

  TPageView* FView;
  QTimer FDeadline;
  // Pictures that arrive close together are laid out together.
  QTimer FRelayout;
  std::unique_ptr<TPageFetch> FPage;
  std::deque<QUrl> FWanted;
  std::vector<std::unique_ptr<TPageFetch>> FPictures;
  QThreadPool FDecoder;
  std::shared_ptr<TPictureBudget> FBudget = std::make_shared<TPictureBudget>();
  int FDecoding = 0;
  quint64 FNavigation = 0;
  QString FRequested;
  QString FLocation;
  int FPictureCount = 0;
  bool FLoading = false;
  bool FVisible = true;
  int FTimeout = DefaultTimeout;
};
