#pragma once

#include <string>
#include <string_view>
#include <vector>

// The incremental search over the game list. The two counters outlive every change of
// the search text: a grown text only takes a game that matches more leading characters
// than the last match did, while a shortened one lowers the bar to its own length - 1.
class TGameSearch {
 public:
  int SearchLastLen = 0;
  int SearchBestLen = 0;

  // One change of the search text `t` (Windows-1251) over the list items. Returns the
  // index of the item to select, or -1 when nothing changes. On a hit SearchLastLen is
  // left for the caller to set after it has shown the game (see Commit).
  int Change(std::string_view t, const std::vector<std::string>& items);
  void Commit(std::string_view t) { SearchLastLen = int(t.size()); }

  // Leading characters of `item` that equal those of `t`, ignoring Windows-1251 case.
  static int MatchLength(std::string_view item, std::string_view t);
};
