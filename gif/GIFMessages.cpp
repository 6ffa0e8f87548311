#include "GIFMessages.h"

#include <cstdio>

#include "Codepage.h"

std::string GIFMessageText(TGIFMessage message, int label) {
  // Written here as UTF-8 for the reader of the source; the core carries Windows-1251.
  static const std::string texts[] = {
      Codepage::Utf8ToCp1251("Неизвестная версия изображения GIF"),
      Codepage::Utf8ToCp1251("Неверное число цветов; должно быть степенью числа 2"),
      Codepage::Utf8ToCp1251("Неопределенное расширение GIF: %.2x"),
      Codepage::Utf8ToCp1251("Невозможно изменить размер изображения GIF"),
      "Stream read error",
      Codepage::Utf8ToCp1251("Изображение GIF слишком велико"),
      Codepage::Utf8ToCp1251("Недостаточно памяти для изображения GIF"),
  };
  const std::string& text = texts[message];
  if (message != gmUnknownExtension) return text;
  char formatted[128];
  std::snprintf(formatted, sizeof formatted, text.c_str(), unsigned(label) & 0xFF);
  return formatted;
}
