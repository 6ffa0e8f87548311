#pragma once

#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MemoryStream.h"
#include "RPBase.h"
#include "RPStream.h"

class QWidget;

// The recording writer: every drawing operation of a job is recorded as a command of the
// report stream (see RPStream.h for its format) instead of being drawn, so that the report
// can be replayed on any device, a page at a time, as often as needed.
class TReportFiler : public TBaseReport {
 public:
  explicit TReportFiler(QObject* owner = nullptr);
  ~TReportFiler() override;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string name) { FFileName = std::move(name); }
  TStreamMode StreamMode() const { return FStreamMode; }
  void SetStreamMode(TStreamMode mode) { FStreamMode = mode; }
  TAccuracyMethod AccuracyMethod() const { return FAccuracyMethod; }
  void SetAccuracyMethod(TAccuracyMethod method) { FAccuracyMethod = method; }
  // The stream of smUser (the report system hands over its memory stream); not owned.
  TMemoryStream* Stream() const { return FUserStream; }
  void SetStream(TMemoryStream* stream) { FUserStream = stream; }
  // Text with embedded format codes (0x01) keeps its own command, for the replay to split
  // into runs, unless the codes are ignored: then it is text like any other.
  bool IgnoreCodes = false;

  // Graphic slots 1..10: remember the last graphic written, make the next graphic a
  // reference to a remembered one, or forget one.
  void RegisterGraphic(int index);
  void ReuseGraphic(int index);
  void UnregisterGraphic(int index);
  // A named value for the value macros (command 37), also repeated at each page start.
  void SetNamedValue(const std::string& name, const std::string& value);

  int OutputKind() const override { return okReportStream; }
  // The stream is laid out for the selected printer: its paper, resolution and settings.
  bool NoPrinters() const override;
  void Start() override;
  void NewPage() override;
  void Finish() override;
  void DiscardPage() override;
  // Pages written into the stream so far.
  int PagesWritten() const { return FPagesWritten; }

  void SetTextBKMode(TBKMode value) override;
  void SetScaleX(double value) override;
  void SetScaleY(double value) override;
  void SetBackColor(TColor color) override;
  void SetPen(const TRPPen& pen) override;
  void SetBrush(const TRPBrush& brush) override;
  void PrintPreviewOnly() override;
  void PrintPrinterOnly() override;
  void PrintBoth() override;
  void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
           double y4) override;
  void BrushCopy(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                 TColor color) override;
  void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
             double y4) override;
  void CopyRect(const QRectF& dest, const QRectF& source) override;
  void Draw(double x, double y, const QImage& graphic) override;
  void DrawFocusRect(const QRectF& rect) override;
  void Ellipse(double x1, double y1, double x2, double y2) override;
  void FillRect(const QRectF& rect) override;
  void FloodFill(double x, double y, TColor color, int fillKind) override;
  void FrameRect(const QRectF& rect) override;
  void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
           double y4) override;
  void Polygon(const std::vector<QPointF>& points) override;
  void Polyline(const std::vector<QPointF>& points) override;
  void PrintBitmap(double x, double y, double scaleX, double scaleY, const QImage& bitmap) override;
  void PrintBitmapRect(double x1, double y1, double x2, double y2, const QImage& bitmap) override;
  void Rectangle(double x1, double y1, double x2, double y2) override;
  void TabRectangle(double x1, double y1, double x2, double y2) override;
  void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void StretchDraw(const QRectF& rect, const QImage& graphic) override;
  void TextRect(const QRectF& rect, double x, double y, std::string_view text) override;
  void PrintImageRect(double x1, double y1, double x2, double y2, const std::string& image,
                      const std::string& imageType) override;
  void PrintData(std::string_view bytes) override;
  void PrintDataStream(TMemoryStream& stream, int64_t count) override;
  bool SelectPaperBin(const std::string& binName) override;
  void SetDeviceByte(uint8_t value) override;
  // The graphic drawing mode of the next graphic command (command 34).
  void SetGraphicMode(uint8_t mode);

 protected:
  void DrawTextCentered(std::string_view text, double x) override;
  void DrawTextLeft(std::string_view text, double x) override;
  void DrawTextRight(std::string_view text, double x) override;
  void DrawTextBlock(std::string_view text, double width, double x) override;
  void DrawLineSegment(double x1, double y1, double x2, double y2) override;
  void FontChanged() override;
  void OrientationChanged() override;
  void ComputeLineHeight() override;
  QPaintDevice* MetricDevice() override;
  // Messages the user must see; a test may catch them instead.
  virtual void ShowError(const std::string& text);
  // A header holding the printer's settings (orientation, bin, collation, duplex, copies,
  // paper and output file); a new header's when the printer has none to give.
  virtual TStreamHeader HeaderDevice() const;
  bool ReadDeviceMetrics(TDeviceMetrics& metrics) override;

 private:
  // ---- Encoding of the writer's own coordinates and pictures ----
  void WriteXY(double xInches, double yInches);
  void WriteUnitsPoint(double x, double y) { WriteXY(UnitsToInches(x), UnitsToInches(y)); }
  void WriteUnitsRect(const QRectF& rect);
  void WriteGraphic(const QImage& image, uint8_t kind = 1);
  // Starts a command unless output is suppressed; false when nothing is to be written.
  bool Command(uint8_t code);

  // ---- Job pieces ----
  bool OpenStream();
  // Saves the stream of a file mode, or drops it (and the file) when keep is false.
  void CloseStream(bool keep);
  void WriteHeader();
  void WritePageRecord();
  void EndPage(bool last);
  void WriteState();
  void WriteFont(bool all);
  void WriteBrush(bool all);
  void WritePen(bool all);
  double ReferenceWidth();
  void RecordText(uint8_t code, std::string_view text, double x, double width);
  void DrawTextAt(std::string_view text, double x, TPrintJustify anchor);
  void FourPoints(uint8_t code, double x1, double y1, double x2, double y2, double x3, double y3,
                  double x4, double y4);
  void TwoPoints(uint8_t code, double x1, double y1, double x2, double y2);
  void Points(uint8_t code, const std::vector<QPointF>& points);
  void CheckSlot(int index, const char* operation) const;

  std::string FFileName;
  TStreamMode FStreamMode = smMemory;
  TAccuracyMethod FAccuracyMethod = amAppearance;
  TMemoryStream* FUserStream = nullptr;
  std::unique_ptr<TMemoryStream> FOwnStream;
  TReportStreamWriter FWriter;
  int64_t FPageRecordPos = 0;  // the last page record written
  int64_t FPreviousRecordPos = 0;
  int64_t FNextLinkPos = 0;
  int FPagesWritten = 0;
  bool FPageOpen = false;  // a record was written for the current page
  // What the stream says at this point of the page.
  TRPFontRecord FLastFont;
  TRPPen FLastPen;
  TRPBrush FLastBrush;
  std::vector<std::pair<std::string, std::string>> FNamedValues;
  std::array<int64_t, 10> FGraphicSlots{};
  int64_t FLastGraphicPos = 0;  // where the last graphic written begins
  int FReuseSlot = 0;           // slot whose graphic the next one refers to
};
