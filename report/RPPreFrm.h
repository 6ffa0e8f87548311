#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;
class TFilePreview;
class TFilePrinter;
class TRPFormHost;

// The preview window: the generated report page by page with zoom and page controls, and
// its print button replaying the same stream onto the printer.
class TRPPreviewForm : public QDialog {
 public:
  TRPPreviewForm(TRPFormHost& host, QWidget* parent = nullptr);
  ~TRPPreviewForm() override;

  TFilePrinter& ReportPrinter() { return *FReportPrinter; }
  TFilePreview& FilePreview() { return *FFilePreview; }
  // Processes window messages until the window has closed (the modeless preview).
  void WaitForClose();
  bool Closed() const { return FClosed; }
  // The print button; it also serves the key and menu routes.
  void PrintClick();

  QToolButton* ZoomInButton;
  QToolButton* ZoomOutButton;
  QToolButton* ZoomPageWidthButton;
  QToolButton* ZoomWholePageButton;
  QToolButton* PrevPageButton;
  QToolButton* NextPageButton;
  QToolButton* PrintButton;
  QToolButton* DoneButton;
  QLabel* ZoomLabel;
  QLineEdit* ZoomEdit;
  QLabel* PageNumLabel;
  QLineEdit* PageEdit;
  QLabel* PageLabel;
  QScrollArea* ScrollBox;

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildToolBar(QWidget* bar);
  void PageChange();
  void ZoomChange();
  void ZoomEditDone();
  void PageEditDone();
  bool ScrollKey(int key, Qt::KeyboardModifiers modifiers);
  // Runs a handler of the window's controls; a failure inside is shown, it must not leave
  // the handler.
  void Guarded(const std::function<void()>& handler);
  void ShowFailure(const std::exception& error);

  TRPFormHost& FHost;
  std::unique_ptr<TFilePrinter> FReportPrinter;
  std::unique_ptr<TFilePreview> FFilePreview;
  bool FClosed = false;
  bool FPrintClicked = false;
  // The first page is drawn while the window shows; a close asked meanwhile waits for it.
  bool FStarting = false;
  int FDonePending = -1;
};
