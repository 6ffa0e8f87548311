#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// Only these schemes are fetched or handed on; a page never reaches local files,
// resources built into the program, or anything else.
bool IsWebUrl(const QUrl& url);

// One download over http or https with the bounds an untrusted page gets: at most
// `maxBytes` are kept (the rest is cut off and the transfer dropped), at most
// `maxRedirects` redirects, each to http or https again. `onFinished` runs once, from
// the event loop, unless the fetch is destroyed first; destroying it drops the transfer.
class TPageFetch : public QObject {
 public:
  enum TResult { frOk, frUnreachable, frHttpError };

  TPageFetch(QNetworkAccessManager& network, const QUrl& url, qint64 maxBytes, int maxRedirects,
             std::function<void(TPageFetch*)> onFinished);
  ~TPageFetch() override;

  QUrl Url() const { return FUrl; }
  // The address that answered, after redirects.
  QUrl FinalUrl() const { return FFinalUrl; }
  TResult Result() const { return FResult; }
  const QByteArray& Data() const { return FData; }
  bool Truncated() const { return FTruncated; }
  QString ContentType() const { return FContentType; }

 private:
  void Get(const QUrl& url);
  bool Take();
  void Read();
  int Status() const;
  bool IsSuccess() const;
  bool IsRedirect() const;
  void Succeed();
  void Finished();
  void Finish(TResult result);
  void Drop();

  QNetworkAccessManager& FNetwork;
  QPointer<QNetworkReply> FReply;
  std::function<void(TPageFetch*)> FOnFinished;
  QUrl FUrl;
  QUrl FFinalUrl;
  qint64 FMaxBytes;
  int FRedirectsLeft;
  QByteArray FData;
  bool FTruncated = false;
  TResult FResult = frUnreachable;
  QString FContentType;
};
