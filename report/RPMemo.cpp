#include "RPMemo.h"

#include <algorithm>
#include <iterator>

#include "MemoryStream.h"

namespace {

constexpr char kCodeStart = 0x01;
constexpr char kCodeEnd = 0x04;
// Longest run of blanks or of word bytes taken as one word.
constexpr int kMaxWord = 65520;
// Tab characters printed for tab stops, at most.
constexpr int kMaxTabs = 60;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

// ---- Loading ----

void TMemoBuf::LoadFromStream(const TMemoryStream& stream, int64_t count) {
  count = std::clamp<int64_t>(count, 0, stream.Size());
  SetData(std::string_view(reinterpret_cast<const char*>(stream.Memory()), size_t(count)));
}

void TMemoBuf::LoadFromStream(std::istream& stream, int64_t count) {
  // Read in pieces: the block grows with what arrives, not with what a count promises, and
  // a stream that cannot tell its size is read to its end.
  std::string block;
  char chunk[65536];
  while (stream && (count <= 0 || int64_t(block.size()) < count)) {
    const int64_t room = count <= 0 ? int64_t(sizeof chunk) : count - int64_t(block.size());
    stream.read(chunk, std::streamsize(std::min<int64_t>(int64_t(sizeof chunk), room)));
    block.append(chunk, size_t(std::max<std::streamsize>(0, stream.gcount())));
  }
  SetData(block);
}

void TMemoBuf::SetData(std::string_view bytes) {
  // No rich-text converter is built in: such text loads as it is.
  ReadRTF = false;
  ClearBuffer();
  if (!ProcessCodes || bytes.find(kCodeStart) == std::string_view::npos) {
    FBuffer.assign(bytes);
    return;
  }
  FBuffer.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    if (bytes[i] != kCodeStart) {
      FBuffer += bytes[i++];
      continue;
    }
    // A run without its end byte runs to the end of the text.
    const size_t end = bytes.find(kCodeEnd, i + 1);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    StoreCode(std::string(bytes.substr(i, next - i)), Size());
    i = next;
  }
}

void TMemoBuf::StoreCode(std::string code, int pos) {
  if (!FCodes.empty() && FCodes.back().Pos == pos) {
    if (ReplaceCodes) {
      FCodes.back().Code = std::move(code);
      ReplaceCodes = false;
    } else {
      FCodes.back().Code += code;
    }
    return;
  }
  FCodes.push_back({std::move(code), pos});
}

void TMemoBuf::ClearBuffer() {
  FBuffer.clear();
  FCodes.clear();
  Rewind();
}

void TMemoBuf::Rewind() {
  FPos = 0;
  FNewParagraph = true;
  FLineStarting = true;
}

void TMemoBuf::SaveBuffer() {
  FSavedBuffer = FBuffer;
  FSavedCodes = FCodes;
}

void TMemoBuf::RestoreBuffer() {
  FBuffer = FSavedBuffer;
  FCodes = FSavedCodes;
  Rewind();
}

std::string TMemoBuf::WithCodes(int from, int to) const {
  const auto first = std::lower_bound(FCodes.begin(), FCodes.end(), from,
                                      [](const TCode& c, int pos) { return c.Pos < pos; });
  std::string out;
  int at = from;
  for (auto it = first; it != FCodes.end() && (it->Pos < to || (it->Pos == to && to == Size()));
       ++it) {
    out.append(FBuffer, size_t(at), size_t(it->Pos - at));
    out += it->Code;
    at = it->Pos;
  }
  out.append(FBuffer, size_t(at), size_t(to - at));
  return out;
}

// ---- Words and lines ----

std::string TMemoBuf::GetWord() {
  if (FPos >= Size()) return {};
  int start = FPos;
  while (FPos < Size() && IsBlank(FBuffer[size_t(FPos)]) && FPos - start < kMaxWord) ++FPos;
  FirstNonBlank = FPos;
  if (FLineStarting) {
    // Leading blanks indent a paragraph's first line; on wrapped lines they vanish.
    if (!FNewParagraph && !KeepSpaces) start = FPos;
    FNewParagraph = false;
    FLineStarting = false;
  }
  if (FPos < Size() && FBuffer[size_t(FPos)] == '\r') {
    FNewParagraph = true;
    ++FPos;
    if (FPos < Size() && FBuffer[size_t(FPos)] == '\n') ++FPos;
    return "\r";
  }
  if (FPos < Size() && FBuffer[size_t(FPos)] == '\n') {
    FNewParagraph = true;
    ++FPos;
    return "\r";
  }
  while (FPos < Size() && !IsBlank(FBuffer[size_t(FPos)]) && !IsBreak(FBuffer[size_t(FPos)]) &&
         FPos - start < kMaxWord)
    ++FPos;
  return FBuffer.substr(size_t(start), size_t(FPos - start));
}

void TMemoBuf::GetLine(int width, bool& endOfParagraph, std::string& line) {
  endOfParagraph = false;
  FLineStarting = true;
  line.clear();
  TBaseReport& report = Report();
  int textStart = -1;
  while (true) {
    const int mark = FPos;
    const std::string word = GetWord();
    if (word.empty() || word == "\r") {
      endOfParagraph = true;
      return;
    }
    const int wordStart = FPos - int(word.size());
    if (textStart < 0) textStart = wordStart;
    const int measured = report.TextWidthPixels(
        std::string_view(FBuffer).substr(size_t(textStart), size_t(FPos - textStart)));
    if (measured > width)
      FPos = mark;
    else
      line = WithCodes(textStart, FPos);
    if (measured < width) continue;
    if (FPos > textStart) return;  // full; a word that fits exactly stays on the line
    line = SplitWord(wordStart, width);
    return;
  }
}

std::string TMemoBuf::SplitWord(int from, int width) {
  TBaseReport& report = Report();
  FPos = from;
  int end = from;
  while (end < Size() && !IsBreak(FBuffer[size_t(end)])) {
    const int measured = report.TextWidthPixels(
        std::string_view(FBuffer).substr(size_t(from), size_t(end + 1 - from)));
    if (measured > width) break;
    ++end;
    if (measured >= width) break;
  }
  // A block narrower than one character still takes one, so that every line moves on.
  if (end == from && end < Size() && !IsBreak(FBuffer[size_t(end)])) ++end;
  FPos = end;
  return WithCodes(from, end);
}

// ---- Printing ----

TBaseReport& TMemoBuf::Report() const {
  if (!BaseReport) throw Exception(RPMessages::MemoNoReport);
  return *BaseReport;
}

int TMemoBuf::PixelWidth() const {
  return Report().XU2D(PrintEnd) - Report().XU2D(PrintStart) + 1;
}

void TMemoBuf::Restore(const TUndo& undo) {
  FPos = undo.Pos;
  FNewParagraph = undo.NewParagraph;
  FLineStarting = undo.LineStarting;
}

void TMemoBuf::GetNextLine(bool& endOfParagraph, std::string& line) {
  GetLine(PixelWidth(), endOfParagraph, line);
}

int TMemoBuf::LineCount() {
  const int width = PixelWidth();
  const TUndo undo = Undo();
  int count = 0;
  bool eop = false;
  std::string line;
  while (FPos < Size()) {
    GetLine(width, eop, line);
    ++count;
  }
  Restore(undo);
  return count;
}

double TMemoBuf::PrintLines(int count, bool tabbed) {
  if (count < 0) return 0;
  TBaseReport& report = Report();
  const std::string tabs(tabbed ? size_t(std::min(report.TabCount(), kMaxTabs)) : 0, '\t');
  if (!(PrintEnd > PrintStart)) throw Exception(RPMessages::MemoBadRange);
  const int width = PixelWidth();
  double height = 0;
  bool eop = false;
  std::string line;
  for (int i = 0; count > 0 ? i < count : FPos < Size(); ++i) {
    GetLine(width, eop, line);
    if (i > 0) {
      if (FNewParagraph || HardLines)
        report.EndParagraph();
      else
        report.NewLine();
    }
    height += report.LineHeight();
    if (!tabs.empty()) report.PrintWithTabs(tabs);
    // The last line of a block paragraph is set left.
    const int justify = (eop && Justify == pjBlock) ? pjLeft : Justify;
    const double x = report.LineStart() + PrintStart + LeftIndent - report.SectionLeft();
    report.PrintJustified(line, justify,
                          report.UnitsToInches(PrintEnd - PrintStart - (LeftIndent + RightIndent)),
                          0, report.UnitsToInches(x));
  }
  if (!NoNewLine) {
    if (FNewParagraph || HardLines || FPos >= Size())
      report.EndParagraph();
    else
      report.NewLine();
  }
  return height;
}
