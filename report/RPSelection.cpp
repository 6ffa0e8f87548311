#include "RPSelection.h"

#include <charconv>

#include "Codepage.h"
#include "Exception.h"
#include "RPDefine.h"

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

int ToInteger(std::string_view token) {
  int value = 0;
  const char* first = token.data();
  const char* last = first + token.size();
  if (!token.empty() && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (token.empty() || first == last || error != std::errc() || end != last) {
    std::string message = RPMessages::NotAnInteger;
    message.replace(message.find("%s"), 2, std::string(token));
    throw Exception(message);
  }
  return value;
}

// One item, already upper-cased and without its range start.
bool ItemSelects(std::string_view item, bool hasStart, int start, int page) {
  if (item == "E" || item == "EVEN") return page % 2 == 0;
  if (item == "O" || item == "ODD") return page % 2 == 1;
  if (item == "A" || item == "ALL") return true;
  if (item == "R") return false;
  if (item.empty()) return hasStart && page >= start;
  const int number = ToInteger(item);
  return hasStart ? (page >= start && page <= number) : page == number;
}

}  // namespace

bool SelectionSelects(std::string_view selection, int page) {
  const std::string upper = Codepage::AnsiUpperCase(selection);
  std::string_view rest = upper;
  while (true) {
    const size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    bool hasStart = false;
    int start = 1;
    const size_t dash = item.find('-');
    if (dash != std::string_view::npos) {
      hasStart = true;
      const std::string_view head = Trim(item.substr(0, dash));
      if (!head.empty()) start = ToInteger(head);
      item = item.substr(dash + 1);
    }
    if (ItemSelects(Trim(item), hasStart, start, page)) return true;
    if (comma == std::string_view::npos) return false;
    rest.remove_prefix(comma + 1);
  }
}

std::string FormatStatusText(std::string_view format, const TStatusFields& fields) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    const char code = Codepage::AsciiUpperChar(format[++i]);
    if (code >= '0' && code <= '9') {
      const int line = code - '0';
      if (fields.Lines && line < fields.Lines->Count()) out += (*fields.Lines)[line];
      continue;
    }
    switch (code) {
      case '%':
        out += '%';
        break;
      case 'C':
        out += std::to_string(fields.CurrentCopy);
        break;
      case 'D':
        out += fields.Device;
        break;
      case 'F':
        out += std::to_string(fields.FirstPage);
        break;
      case 'L':
        out += std::to_string(fields.LastPage);
        break;
      case 'N':
        // A Qt label breaks its lines at a line feed only.
        out += '\n';
        break;
      case 'P':
        out += std::to_string(fields.CurrentPage);
        break;
      case 'R':
        out += fields.Driver;
        break;
      case 'S':
        out += std::to_string(fields.TotalCopies);
        break;
      case 'T':
        out += fields.Port;
        break;
      default:
        out += "<ERROR-%";
        out += Codepage::AnsiUpperChar(code);
        out += '>';
    }
  }
  return out;
}
