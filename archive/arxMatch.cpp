// TZipCommon (arxBase.h): stored names as the reader reads them, and their matching
// against FileSpec.
#include <algorithm>
#include <string_view>
#include <vector>

#include "Codepage.h"
#include "arxBase.h"

namespace {

// Well-formed UTF-8 as far as lead and continuation bytes go.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = uint8_t(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x06 ? 2
                          : (lead >> 4) == 0x0E ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || length > text.size() - i) return false;
    for (size_t k = 1; k < length; ++k)
      if ((uint8_t(text[i + k]) >> 6) != 0x02) return false;
    i += length;
  }
  return true;
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

// What WildcardMatch decides when neither side holds a wildcard, without its table.
bool SamePlain(std::string_view a, std::string_view b) {
  if (!a.empty() && a.back() == '.') a.remove_suffix(1);
  if (!b.empty() && b.back() == '.') b.remove_suffix(1);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Codepage::AsciiUpperChar(a[i]) != Codepage::AsciiUpperChar(b[i])) return false;
  return true;
}

// Directory and file parts as file-name matching splits them: at the last "\" or ":".
size_t MatchSplit(std::string_view name) {
  const size_t cut = name.find_last_of("\\:");
  return cut == std::string_view::npos ? 0 : cut + 1;
}

std::string_view MatchExt(std::string_view file) {
  const size_t dot = file.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : file.substr(dot);
}

// A name against a pattern, part by part, each compared by `same`: the directories when the
// pattern names one, then the extensions, then the whole file parts.
template <typename TSame>
bool MatchParts(std::string_view name, std::string_view pattern, TSame same) {
  const size_t nameCut = MatchSplit(name);
  const size_t patternCut = MatchSplit(pattern);
  if (pattern.find('\\') != std::string_view::npos &&
      !same(name.substr(0, nameCut ? nameCut - 1 : 0),
            pattern.substr(0, patternCut ? patternCut - 1 : 0)))
    return false;
  const std::string_view nameFile = name.substr(nameCut);
  const std::string_view patternFile = pattern.substr(patternCut);
  return same(MatchExt(nameFile), MatchExt(patternFile)) && same(nameFile, patternFile);
}

}  // namespace

std::string TZipCommon::TranslateName(std::string raw, uint16_t flags, bool madeOnUnix) const {
  const size_t nul = raw.find('\0');
  if (nul != std::string::npos) raw.resize(nul);
  // Names flagged as UTF-8 are not in the OEM code page whatever TranslateOemChar says, and
  // Unix zip programs store the system's own names, UTF-8 today, without the flag.
  if ((flags & kFlagUtf8) || (madeOnUnix && IsUtf8(raw)))
    raw = Codepage::Utf8ToCp1251(raw);
  else if (FTranslateOemChar)
    raw = Codepage::OemToAnsi(raw);
  std::replace(raw.begin(), raw.end(), '/', '\\');
  return raw;
}

bool TZipCommon::MatchFileSpec(const std::string& name) const {
  const bool plainName = !HasWildcard(name);
  for (const std::string& line : FFileSpec.Lines()) {
    if (line == "*.*") return true;
    // A name and a line without wildcards, the common case (the catalogue asks for one
    // member by its exact name among thousands), are compared without the matcher's table.
    if (plainName && !HasWildcard(line) ? MatchParts(name, line, SamePlain) : MatchName(name, line))
      return true;
  }
  return false;
}

bool TZipCommon::MatchName(const std::string& name, const std::string& pattern) {
  return MatchParts(name, pattern, [](std::string_view a, std::string_view b) {
    return WildcardMatch(std::string(a), std::string(b));
  });
}

bool TZipCommon::WildcardMatch(std::string a, std::string b) {
  if (!a.empty() && a.back() == '.') a.pop_back();
  if (!b.empty() && b.back() == '.') b.pop_back();
  // Both sides may carry wildcards, and stored names come from the archive: a table over
  // every pair of positions keeps hostile patterns from backtracking without end.
  const size_t n = a.size(), m = b.size();
  std::vector<uint8_t> next(m + 1), row(m + 1);
  for (size_t i = n + 1; i-- > 0;) {
    for (size_t j = m + 1; j-- > 0;) {
      bool match;
      if (i == n && j == m)
        match = true;
      else if (i < n && a[i] == '*')
        match = next[j] || (j < m && row[j + 1]);
      else if (j < m && b[j] == '*')
        match = row[j + 1] || (i < n && next[j]);
      else if (i < n && j < m)
        match = (a[i] == '?' || b[j] == '?' ||
                 Codepage::AsciiUpperChar(a[i]) == Codepage::AsciiUpperChar(b[j])) &&
                next[j + 1];
      else
        match = false;
      row[j] = match;
    }
    std::swap(next, row);
  }
  return next[0];
}
