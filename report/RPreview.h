#pragma once

#include <QImage>
#include <QPointer>
#include <memory>

#include "RPFPrint.h"

class QLabel;
class QScrollArea;

enum TMarginMethod { mmScaled = 0, mmFixed = 1 };
enum TRulerType { rtNone, rtHorizCm, rtVertCm, rtBothCm, rtHorizIn, rtVertIn, rtBothIn };

// The preview: replays one page at a time onto a screen bitmap shown in a scroll box, with
// zoom, rulers, a shadow and a grid. Only the shown page's bitmap is held, however long
// the report.
class TFilePreview : public TFilePrinter {
 public:
  explicit TFilePreview(QObject* owner = nullptr);
  ~TFilePreview() override;

  // ---- Published properties ----
  QScrollArea* ScrollBox() const { return FScrollBox; }
  void SetScrollBox(QScrollArea* box) { FScrollBox = box; }
  int ZoomInc() const { return FZoomInc; }
  void SetZoomInc(int value) { FZoomInc = value; }
  double ZoomFactor() const { return FZoomFactor; }
  // -1.9 or less: the page-width zoom; between -1.9 and 0: the whole-page zoom; then
  // limited to 10..200. What is not a number is ignored.
  void SetZoomFactor(double value);
  // Monochrome and shadows exclude each other; turning one on while the other is in
  // effect is refused with these texts, here and in the report system's settings.
  static constexpr const char* SMonochromeRefused =
      "Monochrome not allowed while shadows are in effect.\nChange ShadowDepth to 0 first";
  static constexpr const char* SShadowsRefused =
      "Shadows not allowed while monochrome in effect.\nChange Monochrome to false first";
  bool Monochrome() const { return FMonochrome; }
  void SetMonochrome(bool value);
  TMarginMethod MarginMethod() const { return FMarginMethod; }
  void SetMarginMethod(TMarginMethod value) { FMarginMethod = value; }
  double MarginPercent() const { return FMarginPercent; }
  void SetMarginPercent(double value) { FMarginPercent = value; }
  TRulerType RulerType() const { return FRulerType; }
  void SetRulerType(TRulerType value) { FRulerType = value; }
  const TRPPen& GridPen() const { return FGridPen; }
  void SetGridPen(const TRPPen& pen) { FGridPen = pen; }
  double GridHoriz() const { return FGridHoriz; }  // inches
  void SetGridHoriz(double value) { FGridHoriz = value; }
  double GridVert() const { return FGridVert; }
  void SetGridVert(double value) { FGridVert = value; }
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int value);
  int PageInc() const { return FPageInc; }
  void SetPageInc(int value) { FPageInc = value; }
  TNotifyEvent OnZoomChange;
  TNotifyEvent OnPageChange;

  // ---- Operations ----
  // Opens the stream and shows page 1 ("ScrollBox must be assigned for FilePreview
  // component" without a scroll box).
  void Start() override;
  // Frees the page bitmap and closes the stream; asked while a page is drawn, once that
  // page is done.
  void Finish() override;
  // Drawing lets window messages through: a page asked for meanwhile (a zoom, a step) is
  // drawn when the one in progress is done, the last one asked winning.
  void ShowPage(int n);
  bool Drawing() const { return FDrawing; }
  void NextPage();
  void PrevPage();
  void ZoomIn() { SetZoomFactor(FZoomFactor + FZoomInc); }
  void ZoomOut() { SetZoomFactor(FZoomFactor - FZoomInc); }
  // The zoom at which the page's width, or the whole page, fits the scroll box.
  double ZoomPageWidth();
  double ZoomWholePage();
  void Redraw() { ShowPage(FCurrentPage); }

  // The page bitmap shown (rulers, shadow and page); null while not running.
  const QImage& PageBitmap() const { return FBitmap; }
  // The image control inside the scroll box.
  QLabel* PageImage() const { return FImage; }

  bool NoPrinters() const override { return false; }
  int OutputKind() const override { return okPreview; }
  QPainter* Canvas() override { return FPainter.get(); }
  bool SelectPaperBin(const std::string&) override { return false; }

 protected:
  // Messages of the monochrome and shadow rules; a test may catch them instead.
  virtual void ShowMessage(const std::string& text);
  QPaintDevice* MetricDevice() override { return &FMetricImage; }
  void ApplyHeaderSettings() override {}
  void OrientationChanged() override {}
  void BeginReplayPage() override {}
  void DeviceBeginDoc() override {}
  void DeviceNewPage(bool) override {}
  void DeviceEndDoc(bool) override {}
  std::string DeviceName() const override { return "Preview"; }
  std::string DriverName() const override { return "Preview"; }
  std::string PortName() const override { return "Screen"; }

 private:
  void DrawPage(int n);
  void MeasureScrollBox();
  int LeftStrip() const;
  int TopStrip() const;
  // The margin around the page in the scroll box, pixels.
  int Margin() const;
  // The shown page's paper (the header's for streams whose records have none).
  double PageWidthInches() const;
  double PageHeightInches() const;
  int ScreenDpiX() const;
  int ScreenDpiY() const;
  // Shadow, corner, strips and the page with its frame; pw, ph: the page in pixels.
  void PaintFrame(QPainter& p, int pw, int ph);
  // Ticks and numbers within width x height, the bitmap's size.
  void PaintRulers(QPainter& p, int width, int height);
  void PaintGrid(QPainter& p, int pw, int ph);

  QPointer<QScrollArea> FScrollBox;
  QPointer<QLabel> FImage;
  int FZoomInc = 10;
  double FZoomFactor = 100;
  bool FMonochrome = false;
  TMarginMethod FMarginMethod = mmFixed;
  double FMarginPercent = 0;
  TRulerType FRulerType = rtNone;
  TRPPen FGridPen;
  double FGridHoriz = 0, FGridVert = 0;
  int FShadowDepth = 0;
  int FPageInc = 1;
  QImage FBitmap;
  QImage FMetricImage;
  std::unique_ptr<QPainter> FPainter;
  int FScrollBarWidth = 0, FScrollBarHeight = 0;
  int FBorderWidth = 0, FBorderHeight = 0;
  bool FDrawing = false;
  int FPendingPage = 0;
  bool FFinishPending = false;
};
