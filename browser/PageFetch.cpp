#include "PageFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>

bool IsWebUrl(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() && (scheme == "http" || scheme == "https");
}

TPageFetch::TPageFetch(QNetworkAccessManager& network, const QUrl& url, qint64 maxBytes,
                       int maxRedirects, std::function<void(TPageFetch*)> onFinished)
    : FNetwork(network),
      FOnFinished(std::move(onFinished)),
      FUrl(url),
      FFinalUrl(url),
      FMaxBytes(maxBytes),
      FRedirectsLeft(maxRedirects) {
  Get(url);
}

void TPageFetch::Get(const QUrl& url) {
  FFinalUrl = url;
  QNetworkRequest request(url);
  // Redirects are followed here, hop by hop, so that none leaves the web schemes or goes
  // on for ever.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  FReply = FNetwork.get(request);
  // A small read buffer keeps an endless answer from piling up before it is cut off.
  FReply->setReadBufferSize(64 * 1024);
  connect(FReply, &QNetworkReply::readyRead, this, &TPageFetch::Read);
  connect(FReply, &QNetworkReply::finished, this, &TPageFetch::Finished);
}

TPageFetch::~TPageFetch() {
  Drop();
}

void TPageFetch::Drop() {
  if (!FReply) return;
  disconnect(FReply, nullptr, this, nullptr);
  FReply->abort();
  FReply->deleteLater();
  FReply = nullptr;
}

bool TPageFetch::Take() {
  // One byte past the limit tells a page of exactly the limit from a longer one.
  FData += FReply->read(FMaxBytes + 1 - FData.size());
  if (FData.size() <= FMaxBytes) return false;
  FData.truncate(FMaxBytes);
  FTruncated = true;
  return true;
}

void TPageFetch::Read() {
  // The body of a redirect or an error is drained unread: it is not the page, whatever
  // its size, and a full read buffer would hold the answer up.
  if (!IsSuccess())
    FReply->skip(FReply->bytesAvailable());
  else if (Take())
    Succeed();
}

int TPageFetch::Status() const {
  return FReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool TPageFetch::IsSuccess() const {
  return Status() >= 200 && Status() < 300;
}

bool TPageFetch::IsRedirect() const {
  static const int redirects[] = {301, 302, 303, 307, 308};
  return std::find(std::begin(redirects), std::end(redirects), Status()) != std::end(redirects);
}

void TPageFetch::Succeed() {
  FContentType = FReply->header(QNetworkRequest::ContentTypeHeader).toString();
  Finish(frOk);
}

void TPageFetch::Finished() {
  if (FReply->error() != QNetworkReply::NoError) {
    Finish(Status() >= 400 ? frHttpError : frUnreachable);
  } else if (IsRedirect()) {
    const QUrl next = FFinalUrl.resolved(QUrl::fromEncoded(FReply->rawHeader("Location")));
    if (!IsWebUrl(next) || FRedirectsLeft-- == 0) {
      Finish(frUnreachable);
      return;
    }
    Drop();
    Get(next);
  } else {
    Take();
    Succeed();
  }
}

void TPageFetch::Finish(TResult result) {
  FResult = result;
  Drop();
  // The owner may destroy this fetch from the callback.
  if (auto onFinished = std::move(FOnFinished)) onFinished(this);
}
