#pragma once

#include <string>
#include <string_view>

// Core text is Windows-1251 bytes; these are the only crossings to and from Unicode.
namespace Codepage {

// Windows-1251 bytes to UTF-8. Every 1251 byte has a Unicode character except 0x98,
// which becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);
// UTF-8 to Windows-1251; characters without a 1251 form (and broken UTF-8) become '?'.
std::string Utf8ToCp1251(std::string_view text);

// The DOS (866) to Windows (1251) translation of stored archive names. Characters that
// 1251 lacks (box drawing and the like) get the nearest look-alike, else '?'.
char OemToAnsiChar(char c);
std::string OemToAnsi(std::string_view text);

// The system's upper-case mapping of code page 1251 (Cyrillic and Latin letters).
char AnsiUpperChar(char c);
std::string AnsiUpperCase(std::string_view text);

// The archive reader's folding: ASCII letters only, every other byte untouched.
inline char AsciiUpperChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
std::string AsciiUpperCase(std::string_view text);

}  // namespace Codepage
