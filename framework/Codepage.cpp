#include "Codepage.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <cstdint>

namespace Codepage {
namespace {

// One iconv conversion of a whole buffer; unconvertible input is replaced byte by byte.
std::string Convert(const char* to, const char* from, std::string_view text, char replacement) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) return std::string(text);
  out.resize(text.size() * 4 + 4);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) != size_t(-1)) break;
    if (errno == E2BIG) {
      const size_t used = size_t(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      outLeft = out.size() - used;
      continue;
    }
    // Invalid or unmappable input: skip one byte (or one UTF-8 sequence's lead byte).
    if (outLeft == 0) continue;
    *dst++ = replacement;
    --outLeft;
    ++in;
    --inLeft;
    if (std::string_view(from) == "UTF-8")
      while (inLeft > 0 && (uint8_t(*in) & 0xC0) == 0x80) ++in, --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  out.resize(size_t(dst - out.data()));
  return out;
}

using ByteTable = std::array<char, 256>;

// Tables over all 256 bytes are derived once from the conversion library instead of
// being typed in by hand.
ByteTable MakeOemTable() {
  ByteTable table{};
  for (int b = 0; b < 256; ++b) {
    const char in = char(b);
    if (b < 0x80) {
      table[size_t(b)] = in;
      continue;
    }
    std::string utf8 = Convert("UTF-8", "CP866", std::string_view(&in, 1), '?');
    std::string ansi = Convert("CP1251//TRANSLIT", "UTF-8", utf8, '?');
    table[size_t(b)] = ansi.size() == 1 ? ansi[0] : '?';
  }
  return table;
}

ByteTable MakeUpperTable() {
  ByteTable table{};
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  for (int b = 0; b < 256; ++b) {
    const char in = char(b);
    table[size_t(b)] = AsciiUpperChar(in);
    if (b < 0x80 || !utf8) continue;
    std::string u8 = Convert("WCHAR_T", "CP1251", std::string_view(&in, 1), '?');
    if (u8.size() != sizeof(wchar_t)) continue;
    wchar_t wc;
    std::memcpy(&wc, u8.data(), sizeof wc);
    const wchar_t up = wchar_t(towupper_l(wint_t(wc), utf8));
    if (up == wc) continue;
    std::string back = Convert("CP1251", "WCHAR_T",
                               std::string_view(reinterpret_cast<const char*>(&up), sizeof up), '\0');
    if (back.size() == 1 && back[0] != '\0') table[size_t(b)] = back[0];
  }
  if (utf8) freelocale(utf8);
  return table;
}

const ByteTable& OemTable() {
  static const ByteTable table = MakeOemTable();
  return table;
}

const ByteTable& UpperTable() {
  static const ByteTable table = MakeUpperTable();
  return table;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view text) { return Convert("UTF-8", "CP1251", text, '?'); }

std::string Utf8ToCp1251(std::string_view text) { return Convert("CP1251", "UTF-8", text, '?'); }

char OemToAnsiChar(char c) { return OemTable()[uint8_t(c)]; }

std::string OemToAnsi(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = OemToAnsiChar(c);
  return out;
}

char AnsiUpperChar(char c) { return UpperTable()[uint8_t(c)]; }

std::string AnsiUpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AnsiUpperChar(c);
  return out;
}

std::string AsciiUpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpperChar(c);
  return out;
}

}  // namespace Codepage
