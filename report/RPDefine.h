#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "Color.h"
#include "Exception.h"
#include "NotifyEvent.h"

// Shared vocabulary of the report engine. The ordinals are stored in forms and in report
// streams, so neither names nor order may change.

enum TPrintUnits { unInch = 0, unMM = 1, unCM = 2, unPoint = 3, unUser = 4 };
enum TLineHeightMethod { lhmLinesPerInch = 0, lhmFont = 1, lhmUser = 2 };
enum TBKMode { bkTransparent = 0, bkOpaque = 1 };
enum TOrientation { poPortrait = 0, poLandScape = 1, poDefault = 2 };
enum TAccuracyMethod { amPositioning = 0, amAppearance = 1 };
enum TStreamMode { smMemory = 0, smFile = 1, smUser = 2, smTempFile = 3 };
enum TDistMethod { dmPage = 0, dmMargin = 1, dmSpecial = 2 };
enum THeightMethod { hmUnits = 0, hmLines = 1 };

// Units and UnitsFactor follow each other: a named unit fixes the factor (unUser keeps
// the current one), and a factor that is a named unit's selects it.
double UnitsFactorFor(TPrintUnits units, double current);
TPrintUnits UnitsFor(double factor);

// Font record fields with fixed codes (they are recorded in report streams).
enum TFontPitch { fpDefault = 0, fpVariable = 1, fpFixed = 2 };
enum TFontAlign { faBaseline = 0, faTop = 1, faBottom = 2 };
enum TPrintJustify { pjCenter = 0, pjLeft = 1, pjRight = 2, pjBlock = 3 };

// The blanks between words, over which block text spreads its slack; leading and trailing
// blanks do not count.
int InnerBlanks(std::string_view text);

// Which writers an operation reaches (a writer's OutputKind).
enum TOutputKind { okPrinter = 0, okPreview = 1, okReportStream = 2 };

// Text of the messages the engine raises; callers and tests compare them byte for byte.
namespace RPMessages {
inline constexpr const char* NotPrinting = "Invalid method call.  ReportPrinter is not printing.";
inline constexpr const char* AlreadyPrinting =
    "Invalid method call.  ReportPrinter already printing.";
inline constexpr const char* NoEngine = "No reporting engine provided for report shell.";
inline constexpr const char* MemoNoReport = "TMemoBuf.BaseReport not assigned.";
inline constexpr const char* MemoBadRange =
    "TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart";
// The runtime's integer-conversion error, %s being the offending token.
inline constexpr const char* NotAnInteger = "'%s' is not a valid integer value";
}  // namespace RPMessages

// The silent abort: unwinds a cancelled job to Execute without any message being shown.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// An engine component: a QObject so that owners free it and references to it (a shell's
// Engine, a writer's status label) clear themselves when it goes.
class TRPComponent : public QObject {
 public:
  explicit TRPComponent(QObject* owner = nullptr) : QObject(owner) {}

  // Read-only: the setter exists for form streaming and ignores the value.
  std::string Version() const;
  void SetVersion(const std::string&) {}
};

// Page-at-a-time printing: fills page PageNum, answers whether another page follows.
using TPrintPageEvent = std::function<bool(QObject* Sender, int& PageNum)>;

class TBaseReport;

// What a shell needs from a component that runs whole reports (the report system): the
// writer of the report it is generating, and a way to run a report through a handler.
class TRPReportRunner {
 public:
  virtual ~TRPReportRunner() = default;
  // The writer while a report is being generated, else nullptr.
  virtual TBaseReport* GeneratingReport() const = 0;
  // Runs one report whose writers call handler with themselves as the sender.
  virtual void ExecuteWith(TNotifyEvent handler) = 0;
};
