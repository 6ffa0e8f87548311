#include "arxDecompStream.h"

void TDecompMemoryStream::AddEntry(const TDecompEntry& entry) {
  FEntries.push_back(entry);
  std::string& name = FEntries.back().Name;
  if (name.size() > TDecompEntry::kMaxName) name.resize(TDecompEntry::kMaxName);
}

void TDecompMemoryStream::Reset() {
  ClearEntries();
  Clear();
}
