#include "HttpResponse.h"

#include <algorithm>

namespace {

// A chunk-size line is a number and perhaps a short extension.
constexpr qsizetype MaxChunkLine = 1024;

}  // namespace

void THttpResponse::Feed(QByteArrayView bytes) {
  while (!bytes.isEmpty() && FState != rsDone && FState != rsFailed)
    bytes = bytes.sliced(FState == rsBody || FState == rsChunk ? FeedBody(bytes) : FeedLine(bytes));
}

void THttpResponse::Closed() {
  if (FState == rsBody && FRemaining < 0)
    FState = rsDone;
  else if (FState != rsDone)
    Fail();
}

QByteArray THttpResponse::Header(QByteArrayView name) const {
  for (const auto& [field, value] : FHeaders)
    if (field.compare(name, Qt::CaseInsensitive) == 0) return value;
  return {};
}

qsizetype THttpResponse::FeedLine(QByteArrayView bytes) {
  const qsizetype end = bytes.indexOf('\n');
  const qsizetype taken = end < 0 ? bytes.size() : end + 1;
  const bool header = FState == rsStatus || FState == rsHeaders || FState == rsTrailers;
  if (header) FHeaderBytes += taken;
  if ((header && FHeaderBytes > MaxHeaderBytes) ||
      (!header && FLine.size() + taken > MaxChunkLine)) {
    Fail();
    return taken;
  }
  FLine += bytes.first(taken);
  if (end < 0) return taken;
  if (header && ++FHeaderLines > MaxHeaderLines) {
    Fail();
    return taken;
  }
  QByteArrayView line(FLine);
  line.chop(line.endsWith("\r\n") ? 2 : 1);
  Line(line);
  FLine.clear();
  return taken;
}

void THttpResponse::Line(QByteArrayView line) {
  switch (FState) {
    case rsStatus:
      if (!line.isEmpty()) StatusLine(line);
      break;
    case rsHeaders:
      if (line.isEmpty()) {
        HeadersEnd();
      } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
        FHeaders.append({line.first(colon).trimmed().toByteArray(),
                         line.sliced(colon + 1).trimmed().toByteArray()});
      }
      break;
    case rsChunkSize:
      ChunkSizeLine(line);
      break;
    case rsChunkEnd:
      if (line.isEmpty())
        FState = rsChunkSize;
      else
        Fail();
      break;
    case rsTrailers:
      if (line.isEmpty()) FState = rsDone;
      break;
    default:
      break;
  }
}

void THttpResponse::StatusLine(QByteArrayView line) {
  // "HTTP/1.1 200 OK": the version, a space and three digits.
  if (!line.startsWith("HTTP/1.") || line.size() < 12 || line[8] != ' ') {
    Fail();
    return;
  }
  bool number = false;
  FStatus = line.sliced(9, 3).toInt(&number);
  if (!number || FStatus < 100 || FStatus > 999 || (line.size() > 12 && line[12] != ' ')) {
    Fail();
    return;
  }
  FState = rsHeaders;
}

void THttpResponse::HeadersEnd() {
  if (FStatus < 200) {  // an interim answer; the real one follows
    FHeaders.clear();
    FState = rsStatus;
    return;
  }
  if (FStatus == 204 || FStatus == 304) {
    FState = rsDone;
    return;
  }
  const QByteArray transfer = Header("Transfer-Encoding").toLower();
  const QByteArray length = Header("Content-Length");
  if (transfer.endsWith("chunked")) {
    FState = rsChunkSize;
  } else if (!transfer.isEmpty() || length.isEmpty()) {
    FState = rsBody;
  } else {
    bool number = false;
    FRemaining = length.toLongLong(&number);
    if (!number || FRemaining < 0 || !std::all_of(length.begin(), length.end(), ::isdigit))
      Fail();
    else
      FState = FRemaining == 0 ? rsDone : rsBody;
  }
}

void THttpResponse::ChunkSizeLine(QByteArrayView line) {
  const qsizetype extension = line.indexOf(';');
  const QByteArrayView digits = (extension < 0 ? line : line.first(extension)).trimmed();
  bool number = false;
  FRemaining = digits.size() <= 15 ? digits.toLongLong(&number, 16) : -1;
  if (!number || FRemaining < 0 || digits.startsWith('-') || digits.startsWith('+'))
    Fail();
  else
    FState = FRemaining == 0 ? rsTrailers : rsChunk;
}

qsizetype THttpResponse::FeedBody(QByteArrayView bytes) {
  const qsizetype taken =
      FRemaining < 0 ? bytes.size() : qsizetype(std::min<qint64>(bytes.size(), FRemaining));
  // One byte past the limit tells a body of exactly the limit from a longer one.
  const qsizetype room = qsizetype(FMaxBody - FBody.size());
  if (taken > room) {
    FBody += bytes.first(room);
    FTruncated = true;
    FState = rsDone;
    return taken;
  }
  FBody += bytes.first(taken);
  if (FRemaining < 0) return taken;
  FRemaining -= taken;
  if (FRemaining == 0) FState = FState == rsChunk ? rsChunkEnd : rsDone;
  return taken;
}
