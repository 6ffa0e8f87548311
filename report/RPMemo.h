#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "RPBase.h"

class TMemoryStream;

// A block of plain text printed word-wrapped between PrintStart and PrintEnd, a few lines
// per call: the read position stays after the last line printed.
//
// Embedded format codes (runs from 0x01 to 0x04) are taken out of the text when it is
// loaded and put back into the lines at their places; their language is not interpreted
// here, so they take no width and change no font.
class TMemoBuf : public TBaseMemoBuf {
 public:
  struct TCode {
    std::string Code;  // the whole run, 0x01 .. 0x04
    int Pos;           // plain position it stands before
  };

  bool HardLines = false;
  int Justify = pjLeft;
  bool KeepSpaces = false;
  double PrintStart = 0;  // writer units
  double PrintEnd = 0;
  double MaxHeight = 0;
  bool NoNewLine = false;
  bool ProcessCodes = true;
  bool ReadRTF = false;
  bool ReplaceCodes = false;
  int FirstNonBlank = 0;
  double LeftIndent = 0;
  double RightIndent = 0;

  // A memory stream is read from its first byte, whatever its position; count is capped
  // at the stream's size.
  void LoadFromStream(const TMemoryStream& stream, int64_t count);
  // Other streams from their position; count 0 (or less) reads to the end.
  void LoadFromStream(std::istream& stream, int64_t count);
  void SetData(std::string_view bytes);
  void ClearBuffer();
  void Rewind();
  // Keeps a copy of the text and its codes; RestoreBuffer loads it again from the start.
  void SaveBuffer();
  void RestoreBuffer();

  const std::string& Buffer() const { return FBuffer; }
  int Size() const { return int(FBuffer.size()); }
  int Pos() const { return FPos; }
  void SetPos(int pos) { FPos = std::clamp(pos, 0, Size()); }
  bool NewParagraph() const { return FNewParagraph; }
  bool LineStarting() const { return FLineStarting; }
  const std::vector<TCode>& Codes() const { return FCodes; }

  // The next word with the blanks before it; "\r" for a line break; empty at the end.
  std::string GetWord();
  // The next line that fits width device pixels of the writer's current font.
  void GetLine(int width, bool& endOfParagraph, std::string& line);

  virtual void GetNextLine(bool& endOfParagraph, std::string& line);
  virtual int LineCount();
  double PrintLines(int count, bool tabbed) override;

 private:
  struct TUndo {
    int Pos;
    bool NewParagraph;
    bool LineStarting;
  };
  TUndo Undo() const { return {FPos, FNewParagraph, FLineStarting}; }
  void Restore(const TUndo& undo);
  TBaseReport& Report() const;
  int PixelWidth() const;
  void StoreCode(std::string code, int pos);
  // Plain bytes [from, to) with the code runs that stand among them.
  std::string WithCodes(int from, int to) const;
  // Takes bytes one by one while they fit (a word wider than the whole line).
  std::string SplitWord(int from, int width);

  std::string FBuffer;
  std::vector<TCode> FCodes;
  int FPos = 0;
  bool FNewParagraph = true;
  bool FLineStarting = true;
  std::string FSavedBuffer;
  std::vector<TCode> FSavedCodes;
};
