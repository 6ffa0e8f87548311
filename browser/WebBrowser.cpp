#include "WebBrowser.h"

#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "PageDecode.h"
#include "PageFetch.h"
#include "PageMarkup.h"
#include "PageView.h"
#include "UrlOpener.h"

namespace {

const QString OpeningPage = QStringLiteral("Opening page ");
const QString DownloadingPicture = QStringLiteral("Downloading picture ");
const QString Done = QStringLiteral("Done");
const QString UnreachablePage = QStringLiteral("res://browser/navcancl.htm#");
const QString HttpErrorPage = QStringLiteral("res://browser/httperror.htm#");

QString ErrorHtml(const QString& page, const QString& failed) {
  const QString reason = page == HttpErrorPage ? QStringLiteral("Сервер ответил ошибкой.")
                                               : QStringLiteral("Страница недоступна.");
  return "<html><body><p><b>" + reason + "</b></p><p>" + failed.toHtmlEscaped() +
         "</p></body></html>";
}

}  // namespace

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent), FView(new TPageView(this)) {
  auto* layout = new QVBoxLayout(this);
  // The host places the control two pixels up and left of its area, where an embedded
  // browser keeps its border; this margin keeps the page itself at the area's corner.
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(FView);
  FView->OnPictureWanted = [this](const QUrl& url) { PictureWanted(url); };
  connect(FView, &QTextBrowser::anchorClicked, this, &TWebBrowser::LinkClicked);
  FDeadline.setSingleShot(true);
  connect(&FDeadline, &QTimer::timeout, this, &TWebBrowser::TimedOut);
  FRelayout.setSingleShot(true);
  FRelayout.setInterval(100);
  connect(&FRelayout, &QTimer::timeout, this, &TWebBrowser::Relayout);
  // One picture at a time: the decoding work and the memory it takes stay those of one.
  FDecoder.setMaxThreadCount(1);
}

TWebBrowser::~TWebBrowser() {
  FView->OnPictureWanted = nullptr;
  Stop();
  FDecoder.waitForDone();
}

void TWebBrowser::Navigate(const std::wstring& URL) {
  Stop();
  FRequested = QString::fromStdWString(URL);
  FLoading = true;
  PostStatusText(OpeningPage + FRequested);
  const QUrl url(FRequested);
  if (!IsWebUrl(url)) {
    ShowErrorPage(UnreachablePage);
    return;
  }
  FDeadline.start(FTimeout);
  FPage = std::make_unique<TPageFetch>(url, MaxPageBytes, MaxRedirects,
                                       [this](TPageFetch*) { PageFinished(); });
}

void TWebBrowser::Stop() {
  ++FNavigation;
  FDeadline.stop();
  FPage.reset();
  DropPictures();
  FLoading = false;
}

std::wstring TWebBrowser::LocationURL() const {
  return FLocation.toStdWString();
}

QString TWebBrowser::PageText() const {
  return FView->toPlainText();
}

void TWebBrowser::PageFinished() {
  const std::unique_ptr<TPageFetch> page = std::move(FPage);
  if (page->Result() != TPageFetch::frOk) {
    ShowErrorPage(page->Result() == TPageFetch::frHttpError ? HttpErrorPage : UnreachablePage);
    return;
  }
  ShowPage(*page);
}

void TWebBrowser::ShowPage(const TPageFetch& page) {
  const QString text = PageDecode::HtmlText(page.Data(), page.ContentType());
  const bool plain = page.ContentType().startsWith("text/plain", Qt::CaseInsensitive);
  const std::optional<QString> html = plain ? std::optional(text) : PageMarkup::Reduced(text);
  if (!html || (plain && text.size() > PageMarkup::MaxTextChars)) {
    ShowErrorPage(UnreachablePage);
    return;
  }
  QTextDocument* document = FView->document();
  document->clear();
  FPictureCount = 0;
  document->setBaseUrl(page.FinalUrl());
  if (plain)
    FView->setPlainText(text);
  else
    FView->setHtml(*html);
  FLocation = page.FinalUrl().toString();
  PostNavigateComplete2(FLocation);
  // The pictures are asked for now, whether the control shows or not, so that the page is
  // whole by the time the host shows it.
  FDeadline.start(FTimeout);
  FBudget = std::make_shared<TPictureBudget>(TPictureBudget{PageDecode::MaxPagePixels});
  FView->AskForPictures();
  FinishIfIdle();
}

void TWebBrowser::ShowErrorPage(const QString& page) {
  FDeadline.stop();
  FPage.reset();
  DropPictures();
  QTextDocument* document = FView->document();
  document->clear();
  document->setBaseUrl(QUrl());
  FView->setHtml(ErrorHtml(page, FRequested));
  FLocation = page + FRequested;
  PostStatusText(OpeningPage + FLocation);
  PostNavigateComplete2(FLocation);
  PostStatusText(Done);
  FLoading = false;
}

void TWebBrowser::PictureWanted(const QUrl& url) {
  if (!IsWebUrl(url) || FPictureCount >= MaxPictures) return;
  ++FPictureCount;
  if (!FDeadline.isActive()) FDeadline.start(FTimeout);
  FLoading = true;
  FWanted.push_back(url);
  FetchPictures();
}

void TWebBrowser::FetchPictures() {
  while (!FWanted.empty() && int(FPictures.size()) + FDecoding < MaxPicturesAtOnce) {
    const QUrl url = FWanted.front();
    FWanted.pop_front();
    FPictures.push_back(std::make_unique<TPageFetch>(
        url, MaxPictureBytes, MaxRedirects, [this](TPageFetch* fetch) { PictureFinished(fetch); }));
    PostStatusText(DownloadingPicture + url.toString());
  }
}

void TWebBrowser::PictureFinished(TPageFetch* fetch) {
  const auto found = std::find_if(FPictures.begin(), FPictures.end(),
                                  [fetch](const auto& item) { return item.get() == fetch; });
  const std::unique_ptr<TPageFetch> picture = std::move(*found);
  FPictures.erase(found);
  // A picture cut off at the limit is no picture.
  if (picture->Result() == TPageFetch::frOk && !picture->Truncated())
    Decode(picture->Url(), picture->Data());
  FetchPictures();
  FinishIfIdle();
}

void TWebBrowser::Decode(const QUrl& url, const QByteArray& data) {
  ++FDecoding;
  FDecoder.start([this, budget = FBudget, url, data] {
    const QImage image = PageDecode::Picture(data, budget->PixelsLeft);
    QMetaObject::invokeMethod(
        this, [this, budget, url, image] { Decoded(budget, url, image); }, Qt::QueuedConnection);
  });
}

void TWebBrowser::Decoded(const std::shared_ptr<TPictureBudget>& budget, const QUrl& url,
                          const QImage& image) {
  if (budget != FBudget) return;  // a picture of a page no longer shown
  --FDecoding;
  if (!image.isNull()) {
    FView->document()->addResource(QTextDocument::ImageResource, url, image);
    if (!FRelayout.isActive()) FRelayout.start();
  }
  FetchPictures();
  FinishIfIdle();
}

void TWebBrowser::DropPictures() {
  FWanted.clear();
  FPictures.clear();
  FDecoder.clear();
  FDecoding = 0;
  // Nothing more of the page is decoded; a picture still on its way is dropped.
  FBudget = std::make_shared<TPictureBudget>();
  FRelayout.stop();
}

void TWebBrowser::Relayout() {
  QTextDocument* document = FView->document();
  document->markContentsDirty(0, document->characterCount());
  FView->viewport()->update();
}

void TWebBrowser::TimedOut() {
  if (FPage) {
    ShowErrorPage(UnreachablePage);
    return;
  }
  DropPictures();
  FinishIfIdle();
}

void TWebBrowser::FinishIfIdle() {
  if (FPage || !FPictures.empty() || !FWanted.empty() || FDecoding > 0 || !FLoading) return;
  FDeadline.stop();
  if (FRelayout.isActive()) {
    FRelayout.stop();
    Relayout();
  }
  FLoading = false;
  PostStatusText(Done);
}

void TWebBrowser::LinkClicked(const QUrl& url) {
  const QUrl target = FView->document()->baseUrl().resolved(url);
  if (IsWebUrl(target)) UrlOpener::OpenUrl(target.toString(QUrl::FullyEncoded));
}

void TWebBrowser::Post(std::function<void()> event) {
  QMetaObject::invokeMethod(
      this,
      [this, navigation = FNavigation, event = std::move(event)] {
        if (navigation == FNavigation) event();
      },
      Qt::QueuedConnection);
}

void TWebBrowser::PostStatusText(const QString& text) {
  Post([this, text] {
    if (OnStatusTextChange) OnStatusTextChange(this, text.toStdWString());
  });
}

void TWebBrowser::PostNavigateComplete2(const QString& url) {
  Post([this, url] {
    if (OnNavigateComplete2) OnNavigateComplete2(this, url.toStdWString());
  });
}
