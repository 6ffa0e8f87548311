#include "WebBrowser.h"

#include <QNetworkAccessManager>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "PageDecode.h"
#include "PageFetch.h"
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

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWidget(parent), FNetwork(new QNetworkAccessManager(this)), FView(new TPageView(this)) {
  auto* layout = new QVBoxLayout(this);
  // The host places the control two pixels up and left of its area, where an embedded
  // browser keeps its border; this margin keeps the page itself at the area's corner.
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(FView);
  FView->OnPictureWanted = [this](const QUrl& url) { PictureWanted(url); };
  connect(FView, &QTextBrowser::anchorClicked, this, &TWebBrowser::LinkClicked);
  FDeadline.setSingleShot(true);
  connect(&FDeadline, &QTimer::timeout, this, &TWebBrowser::TimedOut);
}

TWebBrowser::~TWebBrowser() {
  FView->OnPictureWanted = nullptr;
  Stop();
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
  FPage = std::make_unique<TPageFetch>(*FNetwork, url, MaxPageBytes, MaxRedirects,
                                       [this](TPageFetch*) { PageFinished(); });
}

void TWebBrowser::Stop() {
  ++FNavigation;
  FDeadline.stop();
  FPage.reset();
  FPictures.clear();
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
  QTextDocument* document = FView->document();
  document->clear();
  FPictureCount = 0;
  document->setBaseUrl(page->FinalUrl());
  const QString text = PageDecode::HtmlText(page->Data(), page->ContentType());
  if (page->ContentType().startsWith("text/plain", Qt::CaseInsensitive))
    FView->setPlainText(text);
  else
    FView->setHtml(PageDecode::BoundedHtml(text));
  FLocation = page->FinalUrl().toString();
  PostNavigateComplete2(FLocation);
  // The pictures are asked for now, whether the control shows or not, so that the page is
  // whole by the time the host shows it.
  FDeadline.start(FTimeout);
  FView->AskForPictures();
  FinishIfIdle();
}

void TWebBrowser::ShowErrorPage(const QString& page) {
  FDeadline.stop();
  FPage.reset();
  FPictures.clear();
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
  FPictures.push_back(
      std::make_unique<TPageFetch>(*FNetwork, url, MaxPictureBytes, MaxRedirects,
                                   [this](TPageFetch* fetch) { PictureFinished(fetch); }));
  PostStatusText(DownloadingPicture + url.toString());
}

void TWebBrowser::PictureFinished(TPageFetch* fetch) {
  const auto found = std::find_if(FPictures.begin(), FPictures.end(),
                                  [fetch](const auto& item) { return item.get() == fetch; });
  const std::unique_ptr<TPageFetch> picture = std::move(*found);
  FPictures.erase(found);
  // A picture cut off at the limit is no picture.
  if (picture->Result() == TPageFetch::frOk && !picture->Truncated()) {
    const QImage image = PageDecode::Picture(picture->Data());
    if (!image.isNull()) {
      QTextDocument* document = FView->document();
      document->addResource(QTextDocument::ImageResource, picture->Url(), image);
      document->markContentsDirty(0, document->characterCount());
      FView->viewport()->update();
    }
  }
  FinishIfIdle();
}

void TWebBrowser::TimedOut() {
  if (FPage) {
    ShowErrorPage(UnreachablePage);
    return;
  }
  FPictures.clear();
  FinishIfIdle();
}

void TWebBrowser::FinishIfIdle() {
  if (FPage || !FPictures.empty() || !FLoading) return;
  FDeadline.stop();
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
