#include "CodeText.h"

namespace CodeText {

std::string ExpandTabs(std::string line) {
  static const std::string spaces(TabWidth, ' ');
  // p counts from 1, so the stop arithmetic reads in columns as the catalogue's authors
  // count them; line[p - 1] is the character at p.
  size_t p = 1;
  while (p < line.size()) {
    if (line[p - 1] == '\t') {
      const size_t n = (p % TabWidth == 0) ? 1 : (p / TabWidth + 1) * TabWidth - p + 1;
      line.replace(p - 1, 1, spaces, 0, n);
      p += n;
    } else {
      ++p;
    }
  }
  return line;
}

void ExpandTabs(TStringList& lines) {
  for (int line = 0; line < lines.Count(); ++line) lines[line] = ExpandTabs(lines[line]);
}

}  // namespace CodeText
