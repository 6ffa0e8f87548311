#include "UrlOpener.h"

// GIO's headers name a structure field "signals", which Qt defines as a macro.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QProcess>

namespace UrlOpener {
namespace {

bool IsPlaceholder(QChar code) {
  return code == 'u' || code == 'U' || code == 'f' || code == 'F';
}

}  // namespace

QString HandlerCommand(const QString& mimeType) {
  // GIO reads the user's and the system's mimeapps.list files, desktop-specific ones first,
  // and the installed desktop entries, as the desktop itself does; it passes over entries
  // that are hidden or whose program is not installed.
  gchar* contentType = g_content_type_from_mime_type(mimeType.toUtf8().constData());
  if (!contentType) return {};
  GAppInfo* handler = g_app_info_get_default_for_type(contentType, FALSE);
  g_free(contentType);
  if (!handler) return {};
  const QString command = QString::fromUtf8(g_app_info_get_commandline(handler));
  g_object_unref(handler);
  return command;
}

QString CutAtPlaceholder(const QString& command) {
  for (qsizetype i = 0; i + 3 < command.size(); ++i)
    if (command[i] == '"' && command[i + 1] == '%' && IsPlaceholder(command[i + 2]) &&
        command[i + 3] == '"')
      return command.left(i);
  for (qsizetype i = 0; i + 1 < command.size(); ++i) {
    if (command[i] != '%') continue;
    if (IsPlaceholder(command[i + 1])) return command.left(i);
    ++i;  // "%%" or another field code: its second character is no new start
  }
  return command;
}

std::optional<QStringList> SplitCommand(const QString& command) {
  QStringList parts;
  QString part;
  bool inPart = false, quoted = false, keepEmpty = false;
  for (qsizetype i = 0; i < command.size(); ++i) {
    const QChar c = command[i];
    if (quoted && c == '\\' && i + 1 < command.size()) {
      part += command[++i];
    } else if (c == '"') {
      quoted = !quoted;
      inPart = keepEmpty = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\n')) {
      if (inPart && (keepEmpty || !part.isEmpty())) parts.append(part);
      part.clear();
      inPart = keepEmpty = false;
    } else if (c == '%' && i + 1 < command.size()) {
      // Field codes other than the address (%i, %c, %k and the deprecated ones) expand
      // to details we do not pass; "%%" is a literal percent sign.
      if (command[++i] == '%') part += '%';
      inPart = true;
    } else {
      part += c;
      inPart = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inPart && (keepEmpty || !part.isEmpty())) parts.append(part);
  return parts;
}

bool OpenUrl(const QString& url) {
  const QString command = HandlerCommand();
  if (command.isEmpty()) return false;
  const std::optional<QStringList> parts = SplitCommand(CutAtPlaceholder(command));
  if (!parts || parts->isEmpty()) return false;
  // No shell and one argument: blanks or quotes in the address can neither split it nor
  // start anything else.
  return QProcess::startDetached(parts->first(), parts->mid(1) << url);
}

}  // namespace UrlOpener
