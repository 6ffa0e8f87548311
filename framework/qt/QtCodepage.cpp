#include "QtCodepage.h"

#include <array>
#include <cstdint>

#include "Codepage.h"

QString ToQString(std::string_view cp1251) {
  // Text is measured word after word: the code page's 256 characters are looked up once.
  static const std::array<QChar, 256> table = [] {
    std::array<QChar, 256> chars;
    for (int b = 0; b < 256; ++b) {
      const QString one = QString::fromStdString(Codepage::Cp1251ToUtf8(std::string(1, char(b))));
      chars[size_t(b)] = one.isEmpty() ? QChar() : one[0];
    }
    return chars;
  }();
  QString text(qsizetype(cp1251.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : cp1251) *out++ = table[uint8_t(c)];
  return text;
}

std::string FromQString(const QString& text) {
  return Codepage::Utf8ToCp1251(text.toStdString());
}
