#include "StringList.h"

#include "MemoryStream.h"

void TStringList::Insert(int index, std::string line) {
  if (index < 0 || index > Count()) index = Count();
  FLines.insert(FLines.begin() + index, std::move(line));
}

void TStringList::Delete(int index) {
  if (index >= 0 && index < Count()) FLines.erase(FLines.begin() + index);
}

int TStringList::IndexOf(std::string_view line) const {
  for (int i = 0; i < Count(); ++i)
    if (FLines[size_t(i)] == line) return i;
  return -1;
}

void TStringList::SetText(std::string_view text) {
  FLines.clear();
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      FLines.emplace_back(text.substr(start));
      break;
    }
    FLines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : FLines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TStringList::LoadFromStream(TMemoryStream& stream) {
  const int64_t from = stream.Position() < stream.Size() ? stream.Position() : stream.Size();
  SetText(std::string_view(reinterpret_cast<const char*>(stream.Memory()) + from,
                           size_t(stream.Size() - from)));
  stream.SetPosition(stream.Size());
}

void TStringList::SaveToStream(TMemoryStream& stream) const { stream.WriteString(Text()); }
