#pragma once

#include <string>
#include <string_view>
#include <vector>

class TMemoryStream;

// An ordered list of text lines (Windows-1251 bytes).
class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines) : FLines(lines) {}

  int Count() const { return int(FLines.size()); }
  const std::string& operator[](int index) const { return FLines.at(size_t(index)); }
  std::string& operator[](int index) { return FLines.at(size_t(index)); }
  const std::string& Strings(int index) const { return (*this)[index]; }

  void Add(std::string line) { FLines.push_back(std::move(line)); }
  void Insert(int index, std::string line);
  void Delete(int index);
  void Clear() { FLines.clear(); }
  // Copies the other list's lines (assigning a list property copies, never shares).
  void Assign(const TStringList& other) { FLines = other.FLines; }
  int IndexOf(std::string_view line) const;

  // Splits text into lines at CR LF, a lone CR or a lone LF; a last line without a
  // terminator is kept, a terminator at the very end adds no empty line, and a NUL byte
  // ends the text.
  void SetText(std::string_view text);
  // Each line followed by CR LF.
  std::string Text() const;

  // Loads the bytes from the stream's position to its end by the rule of SetText; the
  // stream is left at its end.
  void LoadFromStream(TMemoryStream& stream);
  // Appends Text() at the stream's position.
  void SaveToStream(TMemoryStream& stream) const;

  const std::vector<std::string>& Lines() const { return FLines; }
  bool operator==(const TStringList& other) const = default;

 private:
  std::vector<std::string> FLines;
};
