#pragma once

#include <string>
#include <string_view>

#include "StringList.h"

// Whether a page selection such as "1,3-4", "2-", "ODD" or "E" selects page. Items are read
// left to right and the first that selects the page decides; "R" selects none (it asks a
// replaying printer for reverse order). A token that is not a number raises the runtime's
// integer-conversion error.
bool SelectionSelects(std::string_view selection, int page);

// Values that the status codes of a status format stand for.
struct TStatusFields {
  const TStringList* Lines = nullptr;  // %0..%9
  int CurrentCopy = 1;                 // %C
  std::string Device;                  // %D
  int FirstPage = 1;                   // %F
  int LastPage = 9999;                 // %L
  int CurrentPage = 0;                 // %P
  std::string Driver;                  // %R
  int TotalCopies = 1;                 // %S
  std::string Port;                    // %T
};

// The format with each two-character code replaced; an unknown letter shows as
// "<ERROR-%X>" with the letter upper-cased.
std::string FormatStatusText(std::string_view format, const TStatusFields& fields);
