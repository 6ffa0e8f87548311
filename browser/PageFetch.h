#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

#include "HttpResponse.h"

class QTcpSocket;

// Only these schemes are fetched or handed on; a page never reaches local files,
// resources built into the program, or anything else.
bool IsWebUrl(const QUrl& url);

// One download over http or https with the bounds an untrusted page gets: at most
// `maxBytes` of the body are kept (the rest is cut off and the connection dropped), at
// most `maxRedirects` redirects, each to http or https again, and headers within
// THttpResponse's bounds. The body of a redirect or of an error is never read. The
// connection is the fetch's own and runs on this thread, so dropping it ends all work on
// it at once, whatever the server is doing. `onFinished` runs once, from the event loop,
// unless the fetch is destroyed first; destroying it drops the transfer.
class TPageFetch : public QObject {
 public:
  enum TResult { frOk, frUnreachable, frHttpError };

  TPageFetch(const QUrl& url, qint64 maxBytes, int maxRedirects,
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
  void SendRequest();
  void Read();
  void Closed();
  void HeadersRead();
  void Finish(TResult result);
  void Drop();

  QPointer<QTcpSocket> FSocket;
  std::unique_ptr<THttpResponse> FResponse;
  std::function<void(TPageFetch*)> FOnFinished;
  QUrl FUrl;
  QUrl FFinalUrl;
  qint64 FMaxBytes;
  int FRedirectsLeft;
  bool FHeadersSeen = false;
  QByteArray FData;
  bool FTruncated = false;
  TResult FResult = frUnreachable;
  QString FContentType;
};
