#pragma once

#include <QString>
#include <optional>

// The banner page reduced by a parser of our own to what a small advertisement needs
// (pictures, links, tables and a little formatted text) and written out anew, well formed
// and explicitly closed, so that the view's HTML parser builds exactly the tree counted
// here. The view's layout grows steeply with nested tables, table cells, spans and the
// length of the text, and its style-sheet parser can take minutes over a hostile sheet;
// style sheets are therefore left out, and within these bounds the worst page lays out in a
// few tens of milliseconds.
namespace PageMarkup {

inline constexpr int MaxElements = 500;
inline constexpr int MaxDepth = 32;
inline constexpr int MaxTableDepth = 2;
inline constexpr int MaxTableCells = 64;
// Larger spans are taken as this one.
inline constexpr int MaxSpan = 4;
// Characters of text, runs of white space counted as one.
inline constexpr qsizetype MaxTextChars = 4096;

// The page as the view gets it; nothing when the page goes past a bound.
std::optional<QString> Reduced(const QString& html);

}  // namespace PageMarkup
