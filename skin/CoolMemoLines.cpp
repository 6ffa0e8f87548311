#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "CoolCtrls.h"

// ---------------------------------------------------------------- memo lines

int TMemoStrings::Count() const {
  const QTextDocument* document = FEdit.document();
  int count = document->blockCount();
  if (document->lastBlock().text().isEmpty()) --count;
  return count;
}

std::string TMemoStrings::Strings(int index) const {
  CheckListIndex(index, Count());
  return FromQString(FEdit.document()->findBlockByNumber(index).text());
}

void TMemoStrings::Add(const std::string& line) {
  // As the framework's memo inserts a line: before the line at the new index when the
  // text ends with a line break (so it keeps ending with one), else after a break
  // appended to the last line.
  QTextDocument* document = FEdit.document();
  const int index = Count();
  QTextCursor cursor(document);
  if (index < document->blockCount()) {
    cursor.setPosition(document->findBlockByNumber(index).position());
    cursor.insertText(ToQString(line) + QLatin1Char('\n'));
  } else {
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QLatin1Char('\n') + ToQString(line));
  }
}

void TMemoStrings::Clear() {
  FEdit.clear();
}

void TMemoStrings::Assign(const TStringList& lines) {
  // Every line keeps its break, as the framework's memo text does, so that lines added
  // afterwards follow an empty last line instead of swallowing it.
  QString text;
  for (const std::string& line : lines.Lines()) text += ToQString(line) + QLatin1Char('\n');
  FEdit.setPlainText(text);
}

TStringList TMemoStrings::ToStringList() const {
  TStringList lines;
  for (int i = 0, count = Count(); i < count; ++i) lines.Add(Strings(i));
  return lines;
}

std::string TMemoStrings::Text() const {
  return ToStringList().Text();
}

void TMemoStrings::SetText(const std::string& text) {
  TStringList lines;
  lines.SetText(text);
  Assign(lines);
}
