#include "PageFetch.h"

#include <QSslSocket>
#include <QTcpSocket>
#include <algorithm>

namespace {

// A small read buffer keeps the server from sending much more than the fetch takes.
constexpr qint64 ReadBufferBytes = 64 * 1024;

bool IsRedirect(int status) {
  static const int redirects[] = {301, 302, 303, 307, 308};
  return std::find(std::begin(redirects), std::end(redirects), status) != std::end(redirects);
}

}  // namespace

bool IsWebUrl(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() && (scheme == "http" || scheme == "https");
}

TPageFetch::TPageFetch(const QUrl& url, qint64 maxBytes, int maxRedirects,
                       std::function<void(TPageFetch*)> onFinished)
    : FOnFinished(std::move(onFinished)),
      FUrl(url),
      FFinalUrl(url),
      FMaxBytes(maxBytes),
      FRedirectsLeft(maxRedirects) {
  Get(url);
}

TPageFetch::~TPageFetch() {
  Drop();
}

void TPageFetch::Get(const QUrl& url) {
  FFinalUrl = url;
  FResponse = std::make_unique<THttpResponse>(FMaxBytes);
  FHeadersSeen = false;
  const bool secure = url.scheme().toLower() == "https";
  QTcpSocket* socket = secure ? new QSslSocket(this) : new QTcpSocket(this);
  FSocket = socket;
  socket->setReadBufferSize(ReadBufferBytes);
  connect(socket, &QTcpSocket::readyRead, this, &TPageFetch::Read);
  connect(socket, &QTcpSocket::disconnected, this, &TPageFetch::Closed);
  connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
    // The server's close ends a body that runs to it; anything else is a failure.
    if (error == QAbstractSocket::RemoteHostClosedError)
      Closed();
    else
      Finish(frUnreachable);
  });
  const auto port = quint16(url.port(secure ? 443 : 80));
  if (secure) {
    auto* tls = static_cast<QSslSocket*>(socket);
    connect(tls, &QSslSocket::encrypted, this, &TPageFetch::SendRequest);
    tls->connectToHostEncrypted(url.host(), port);
  } else {
    connect(socket, &QTcpSocket::connected, this, &TPageFetch::SendRequest);
    socket->connectToHost(url.host(), port);
  }
}

void TPageFetch::SendRequest() {
  QByteArray target =
      FFinalUrl.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
  if (!target.startsWith('/')) target.prepend('/');
  const QByteArray host =
      FFinalUrl.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1();
  FSocket->write("GET " + target + " HTTP/1.1\r\nHost: " + host +
                 "\r\nUser-Agent: Mozilla/5.0\r\nAccept: */*\r\n"
                 // An encoded body is not asked for, so none needs unpacking.
                 "Accept-Encoding: identity\r\nConnection: close\r\n\r\n");
}

void TPageFetch::Read() {
  FResponse->Feed(FSocket->readAll());
  if (FResponse->Failed()) {
    Finish(frUnreachable);
  } else if (FResponse->HeadersDone() && !FHeadersSeen) {
    FHeadersSeen = true;
    HeadersRead();
  } else if (FResponse->Done()) {
    FData = FResponse->Body();
    FTruncated = FResponse->Truncated();
    Finish(frOk);
  }
}

void TPageFetch::Closed() {
  if (!FSocket) return;
  FResponse->Feed(FSocket->readAll());
  FResponse->Closed();
  Read();
}

void TPageFetch::HeadersRead() {
  const int status = FResponse->Status();
  if (IsRedirect(status)) {
    const QUrl next = FFinalUrl.resolved(QUrl::fromEncoded(FResponse->Header("Location")));
    if (FResponse->Header("Location").isEmpty() || !IsWebUrl(next) || FRedirectsLeft-- == 0) {
      Finish(frUnreachable);
      return;
    }
    Drop();
    Get(next);
  } else if (status < 200 || status >= 300) {
    Finish(frHttpError);
  } else {
    const QByteArray encoding = FResponse->Header("Content-Encoding").toLower();
    if (!encoding.isEmpty() && encoding != "identity") {
      Finish(frUnreachable);
      return;
    }
    FContentType = QString::fromLatin1(FResponse->Header("Content-Type"));
    // The body may have come with the headers.
    Read();
  }
}

void TPageFetch::Finish(TResult result) {
  if (!FOnFinished) return;
  FResult = result;
  Drop();
  // Always from the event loop, never from inside a call of the owner's; the owner may
  // destroy this fetch from the callback.
  QMetaObject::invokeMethod(
      this, [this, onFinished = std::move(FOnFinished)] { onFinished(this); },
      Qt::QueuedConnection);
  FOnFinished = nullptr;
}

void TPageFetch::Drop() {
  if (!FSocket) return;
  disconnect(FSocket, nullptr, this, nullptr);
  FSocket->abort();
  FSocket->deleteLater();
  FSocket = nullptr;
}
