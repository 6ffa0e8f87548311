#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MemoryStream.h"
#include "RPStream.h"
#include "RPrinter.h"

// An image of an arbitrary format recorded in a report stream, handed over for decoding
// into Bitmap.
using TDecodeImageEvent = std::function<void(QObject* Sender, TMemoryStream& ImageStream,
                                             const std::string& ImageType, QImage& Bitmap)>;

// The hourglass while a job or a page is replayed (when there is a screen to show it on).
class TWaitCursor {
 public:
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  bool FSet = false;
};

// The replaying writer: reads a report stream recorded by the stream writer and performs
// its pages on the printer, in any order and as often as asked. Pages are found through
// the records' links, so a page is replayed without reading the pages before it.
//
// It shares the printer writer's device; the preview replaces the device by its bitmap.
class TFilePrinter : public TReportPrinter {
 public:
  explicit TFilePrinter(QObject* owner = nullptr);
  ~TFilePrinter() override;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string name) { FFileName = std::move(name); }
  TStreamMode StreamMode() const { return FStreamMode; }
  void SetStreamMode(TStreamMode mode) { FStreamMode = mode; }
  // The stream of smUser; not owned.
  TMemoryStream* Stream() const { return FUserStream; }
  void SetStream(TMemoryStream* stream) { FUserStream = stream; }
  TDecodeImageEvent OnDecodeImage;
  // When set, the stream's paper bin, collation, duplex and copies are not applied: the
  // user chose them for this printing.
  bool KeepOwnSettings = false;

  // PrintRange(0, 0, 0).
  void Execute() override;
  // Replays pages first..last (0: from the first, to the last) onto the printer; copies
  // above 0 replace the stream's copy count.
  void PrintRange(int first, int last, int copies);
  // The page count of the header; opens the stream when it is not open.
  int PageCount();
  // Positions the input at page n's content, following the links from the current page.
  void GotoPage(int n);
  // Replays page n onto the canvas.
  void PlayPage(int n);
  // What the stream's header said (after the stream was opened).
  const TStreamHeader& Header() const { return FHeader; }
  // The current page record's paper, in inches.
  double StreamPageWidth() const { return FPage.Width; }
  double StreamPageHeight() const { return FPage.Height; }

 protected:
  // Opens the input as the stream mode says; false (and the message shown) on failure.
  bool OpenInput();
  void CloseInput();
  bool InputOpen() const { return FReader != nullptr; }
  // Reads the header, keeps its page data and hands its settings to the device.
  void ReadHeader();
  // The header's printer settings applied to the printer device.
  virtual void ApplyHeaderSettings();
  // Messages shown to the user; a test may catch them instead.
  virtual void ShowError(const std::string& text);
  // A replayed page's start on the device; the printer opens a page unless skipped.
  virtual void BeginReplayPage();
  // The text with its macro markers replaced.
  std::string ExpandMacros(std::string_view text) const;

  TStreamHeader FHeader;
  TPageRecord FPage;
  int FPendingOrientation = 2;
  int64_t FStartTime = 0;  // seconds since the epoch, for the date and time macros

 private:
  TReportReader& Reader();
  void ReadCurrentPageRecord(int64_t position);
  void EndReplayJob();
  // Performs one command; false at the end of the page.
  bool Perform(const TStreamCommand& command);
  void PerformFontSize(double size, double referenceWidth);
  void PerformText(const TStreamCommand& command);
  void PerformGraphics(const TStreamCommand& command);
  void PerformState(const TStreamCommand& command);
  QImage GraphicImage(const TStreamField& field) const;
  std::string MacroText(int index) const;
  std::string NamedValueText(const std::string& name) const;
  // Aborts the job and raises the damaged-stream error.
  [[noreturn]] void Damaged();

  std::string FFileName;
  TStreamMode FStreamMode = smMemory;
  TMemoryStream* FUserStream = nullptr;
  std::unique_ptr<TMemoryStream> FOwnStream;
  TMemoryStream* FInput = nullptr;
  std::unique_ptr<TReportReader> FReader;
  std::vector<std::pair<std::string, std::string>> FNamedValues;
};
