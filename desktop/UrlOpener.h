#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Opens web addresses in the user's browser the way the desktop asks: the default handler
// registered for text/html (looked up through GIO), its desktop entry's Exec line cut at
// the first placeholder, started without a shell with the address as one argument.
// Everything platform-specific about opening a link lives here.
namespace UrlOpener {

// Exec line of the default application for `mimeType`; empty when there is none.
QString HandlerCommand(const QString& mimeType = QStringLiteral("text/html"));

// Keeps the text before the first placeholder (%u, %U, %f, %F): before its opening quote
// when it stands quoted as "%u", before the percent sign otherwise; a line without a
// placeholder is kept whole.
QString CutAtPlaceholder(const QString& command);

// Splits a command line by the desktop-entry quoting rules into program and arguments
// ("%%" becomes "%", other field codes are dropped). Nothing for an unbalanced quote.
std::optional<QStringList> SplitCommand(const QString& command);

// The whole road: handler lookup, cut, split, start. False when nothing was started.
bool OpenUrl(const QString& url);

}  // namespace UrlOpener
