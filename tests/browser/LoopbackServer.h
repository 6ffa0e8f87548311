#pragma once

// A small HTTP/1.0 server on 127.0.0.1 inside the test's own event loop: fixed answers by
// path, answers that never come, and the list of paths asked for.
#include <QHostAddress>
#include <QMap>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

class TLoopbackServer {
 public:
  TLoopbackServer() {
    Server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&Server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = Server.nextPendingConnection())
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Serve(socket); });
    });
  }

  QString Url(const QString& path) const {
    return QString("http://127.0.0.1:%1%2").arg(Server.serverPort()).arg(path);
  }

  void Answer(const QString& path, const QByteArray& body,
              const QByteArray& contentType = "text/html", int status = 200,
              const QByteArray& extraHeaders = {}) {
    Answers[path] = "HTTP/1.0 " + QByteArray::number(status) +
                    " Answer\r\nContent-Type: " + contentType +
                    "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
                    extraHeaders + "\r\n" + body;
  }
  void Redirect(const QString& path, const QString& location) {
    Answer(path, {}, "text/html", 302, "Location: " + location.toUtf8() + "\r\n");
  }
  // Takes the request and never answers.
  void Stall(const QString& path) { Answers[path] = {}; }

  QStringList Requests;

 private:
  void Serve(QTcpSocket* socket) {
    QByteArray& request = Pending[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n")) return;
    const QString path = QString::fromLatin1(request.split(' ').value(1));
    Requests.append(path);
    const QByteArray answer =
        Answers.value(path, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    Pending.remove(socket);
    if (answer.isEmpty()) return;
    socket->write(answer);
    socket->disconnectFromHost();
  }

  QTcpServer Server;
  QMap<QString, QByteArray> Answers;
  QMap<QTcpSocket*, QByteArray> Pending;
};
