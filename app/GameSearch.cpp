#include "GameSearch.h"

#include "Codepage.h"

int TGameSearch::MatchLength(std::string_view item, std::string_view t) {
  const size_t limit = std::min(item.size(), t.size());
  size_t m = 0;
  while (m < limit && Codepage::AnsiUpperChar(item[m]) == Codepage::AnsiUpperChar(t[m])) ++m;
  return int(m);
}

int TGameSearch::Change(std::string_view t, const std::vector<std::string>& items) {
  if (t.empty()) return -1;
  if (int(t.size()) <= SearchLastLen) SearchBestLen = int(t.size()) - 1;
  for (size_t i = 0; i < items.size(); ++i) {
    const int m = MatchLength(items[i], t);
    if (m > SearchBestLen) {
      SearchBestLen = m;
      return int(i);
    }
  }
  return -1;
}
