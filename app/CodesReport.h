#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "StringList.h"

class QString;
class TBaseReport;
class TDetailShell;
class TMemoBuf;
class TReportSystem;

// What the codes report prints: the game's list line, the code area's lines (its logical
// lines, as the text holds them, not the lines wrapped on the screen) and the display
// flag "1" of a fixed-pitch game.
struct TCodesSource {
  std::string ListLine;
  TStringList Lines;
  bool FixedPitch = false;
};

// The main window's printing: its report system and detail shell with the window's
// settings, and their handlers laying the shown codes out on the report writer.
class TCodesReport {
 public:
  // owner parents the report components and, when it is a window, the message box (the
  // command line prints without one); source is read once per generated report.
  TCodesReport(QObject* owner, std::function<TCodesSource()> source);
  ~TCodesReport();

  TReportSystem* ReportSystem1;
  TDetailShell* DetailShell1;
  // The codes while one report is laid out; freed before the handler returns.
  std::unique_ptr<TMemoBuf> PrintBuf;
  int PrintRow = 0;

  // The print button: the message when no printer is installed, else the report run. The
  // run lets window messages through, so the button can be pressed again inside it: one
  // run at a time, and a press during it brings the run's window forward.
  void PrintButtonClick();
  bool Running() const { return FRunning; }
  // The owner is asked to close: during a run the run is cancelled and the owner closes
  // once it has ended (true: the close must wait).
  bool DeferClose();
  void ReportSystem1Print(QObject* Sender);
  void DetailShell1RowAfter(TBaseReport* ReportPrinter, TDetailShell* ReportShell, bool& Valid);

  static constexpr const char* NoPrintersMessage = "В системе не установлено ни одного принтера";

 private:
  void ShowError(const QString& text);
  // The memo's text is fully printed; a line break left unread after a last line that
  // filled the width exactly is not a line of its own.
  bool PrintBufDone() const;
  void BringRunForward();
  void CancelRun();

  QObject* FOwner;
  std::function<TCodesSource()> FSource;
  int FLineCount = 0;
  bool FRunning = false;
  bool FCloseAfterRun = false;
  bool FCancelled = false;
};
