#pragma once

#include <ostream>
#include <string_view>

// Writes a report stream as text: the header's fields, then each page record with its
// links and each command with its position, code, name and parameters, one per line.
// Raises the stream's message (an Exception) where the stream is damaged, after the lines
// that could be read.
void DumpReportStream(std::string_view stream, std::ostream& out);
