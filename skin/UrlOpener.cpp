#include "UrlOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTextStream>

namespace UrlOpener {
namespace {

// One group of an ini-style file (mimeapps.list, mimeinfo.cache, a desktop entry).
using TGroup = QList<QPair<QString, QString>>;

TGroup ReadGroup(const QString& fileName, const QString& groupName) {
  TGroup entries;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entries;
  QTextStream in(&file);
  bool inGroup = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    if (line.startsWith('[')) {
      inGroup = line == '[' + groupName + ']';
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    if (inGroup && equals > 0)
      entries.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
  }
  return entries;
}

QString GroupValue(const TGroup& group, const QString& key) {
  for (const auto& [name, value] : group)
    if (name == key) return value;
  return {};
}

QStringList DesktopIds(const TGroup& group, const QString& mimeType) {
  return GroupValue(group, mimeType).split(';', Qt::SkipEmptyParts);
}

QString EnvOr(const char* name, const QString& fallback) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? fallback : value;
}

QStringList EnvDirs(const char* name, const QString& fallback) {
  return EnvOr(name, fallback).split(':', Qt::SkipEmptyParts);
}

QString ConfigHome() {
  return EnvOr("XDG_CONFIG_HOME", QDir::homePath() + "/.config");
}
QString DataHome() {
  return EnvOr("XDG_DATA_HOME", QDir::homePath() + "/.local/share");
}

QStringList ApplicationDirs() {
  QStringList dirs{DataHome() + "/applications"};
  for (const QString& dir : EnvDirs("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
    dirs.append(dir + "/applications");
  return dirs;
}

// The mimeapps.list files from the most to the least important, desktop-specific first.
QStringList MimeAppsLists() {
  QStringList desktops;
  for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':'))
    if (!desktop.isEmpty()) desktops.append(desktop.toLower());
  QStringList folders{ConfigHome()};
  folders += EnvDirs("XDG_CONFIG_DIRS", "/etc/xdg");
  folders += ApplicationDirs();
  QStringList lists;
  for (const QString& folder : folders) {
    for (const QString& desktop : desktops) lists.append(folder + '/' + desktop + "-mimeapps.list");
    lists.append(folder + "/mimeapps.list");
  }
  return lists;
}

// A desktop id "vendor-app.desktop" may also live as "vendor/app.desktop".
QStringList DesktopFileNames(const QString& desktopId) {
  QStringList names{desktopId};
  for (qsizetype dash = desktopId.indexOf('-'); dash >= 0; dash = desktopId.indexOf('-', dash + 1))
    names.append(QString(desktopId).replace(dash, 1, '/'));
  if (names.size() > 2) names.append(QString(desktopId).replace('-', '/'));
  return names;
}

QString FindDesktopFile(const QString& desktopId) {
  if (desktopId.contains('/') || desktopId.startsWith('.')) return {};
  for (const QString& dir : ApplicationDirs())
    for (const QString& name : DesktopFileNames(desktopId))
      if (QFileInfo(dir + '/' + name).isFile()) return dir + '/' + name;
  return {};
}

// Undoes the escapes of a desktop-entry string value.
QString UnescapeValue(const QString& value) {
  QString result;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      result += value[i];
      continue;
    }
    const QChar next = value[++i];
    if (next == 's')
      result += ' ';
    else if (next == 'n')
      result += '\n';
    else if (next == 't')
      result += '\t';
    else if (next == 'r')
      result += '\r';
    else if (next == '\\')
      result += '\\';
    else
      result += QString('\\') + next;
  }
  return result;
}

// Exec of an installed, not hidden desktop entry; empty otherwise.
QString ExecOf(const QString& desktopId) {
  const QString path = FindDesktopFile(desktopId);
  if (path.isEmpty()) return {};
  const TGroup entry = ReadGroup(path, "Desktop Entry");
  if (GroupValue(entry, "Hidden") == "true") return {};
  return UnescapeValue(GroupValue(entry, "Exec"));
}

bool IsPlaceholder(QChar code) {
  return code == 'u' || code == 'U' || code == 'f' || code == 'F';
}

}  // namespace

QString HandlerCommand(const QString& mimeType) {
  const QStringList lists = MimeAppsLists();
  for (const QString& list : lists)
    for (const QString& id : DesktopIds(ReadGroup(list, "Default Applications"), mimeType))
      if (const QString exec = ExecOf(id); !exec.isEmpty()) return exec;

  QSet<QString> removed;
  QStringList candidates;
  for (const QString& list : lists) {
    for (const QString& id : DesktopIds(ReadGroup(list, "Removed Associations"), mimeType))
      removed.insert(id);
    candidates += DesktopIds(ReadGroup(list, "Added Associations"), mimeType);
  }
  for (const QString& dir : ApplicationDirs())
    candidates += DesktopIds(ReadGroup(dir + "/mimeinfo.cache", "MIME Cache"), mimeType);
  for (const QString& id : candidates)
    if (!removed.contains(id))
      if (const QString exec = ExecOf(id); !exec.isEmpty()) return exec;
  return {};
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
