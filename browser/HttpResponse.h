#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// An HTTP/1.x response read as its bytes arrive, within bounds that a hostile server cannot
// stretch: the status line and header fields together at most MaxHeaderBytes in at most
// MaxHeaderLines lines (interim 1xx responses and chunk trailers included), the body, by
// its length, by chunks or up to the end of the connection, cut after `maxBody` bytes.
class THttpResponse {
 public:
  static constexpr int MaxHeaderBytes = 32 * 1024;
  static constexpr int MaxHeaderLines = 128;

  explicit THttpResponse(qint64 maxBody) : FMaxBody(maxBody) {}

  // Takes the bytes that arrived next.
  void Feed(QByteArrayView bytes);
  // The server closed the connection: the end of a body that runs to it, a failure for
  // anything still unfinished.
  void Closed();

  bool HeadersDone() const { return FState > rsHeaders; }
  bool Done() const { return FState == rsDone; }
  bool Failed() const { return FState == rsFailed; }
  int Status() const { return FStatus; }
  // The field's value (the first, when it comes more than once), empty when absent.
  QByteArray Header(QByteArrayView name) const;
  const QByteArray& Body() const { return FBody; }
  // The body went on past `maxBody`; what was kept is its beginning.
  bool Truncated() const { return FTruncated; }

 private:
  enum TState {
    rsStatus,
    rsHeaders,
    rsBody,
    rsChunkSize,
    rsChunk,
    rsChunkEnd,
    rsTrailers,
    rsDone,
    rsFailed
  };

  qsizetype FeedLine(QByteArrayView bytes);
  void Line(QByteArrayView line);
  void StatusLine(QByteArrayView line);
  void HeadersEnd();
  void ChunkSizeLine(QByteArrayView line);
  qsizetype FeedBody(QByteArrayView bytes);
  void Fail() { FState = rsFailed; }

  qint64 FMaxBody;
  TState FState = rsStatus;
  QByteArray FLine;
  qint64 FHeaderBytes = 0;
  int FHeaderLines = 0;
  int FStatus = 0;
  QList<std::pair<QByteArray, QByteArray>> FHeaders;
  // Bytes still to come of the body (by its length) or of the current chunk; -1: up to the
  // end of the connection.
  qint64 FRemaining = -1;
  QByteArray FBody;
  bool FTruncated = false;
};
