#pragma once

#include <QString>
#include <string>
#include <string_view>

// Windows-1251 text of the core shown by Qt, and Qt's text back into the core: the one
// crossing at the widget, printer and file-name boundary.
QString ToQString(std::string_view cp1251);
// Characters without a 1251 form become '?'.
std::string FromQString(const QString& text);
