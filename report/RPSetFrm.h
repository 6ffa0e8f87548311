#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TBaseReport;
class TRPFormHost;

// The setup window. In destination mode (before a run) it picks printer, preview or file;
// in range mode (printing from the preview) it picks the pages of the replaying printer.
// Both modes choose copies, collation and duplex where the system allows them.
class TRPSetupForm : public QDialog {
 public:
  TRPSetupForm(TRPFormHost& host, QWidget* parent = nullptr);

  void SetDestinationMode();
  void SetRangeMode(TBaseReport& replay, int pageCount);

  QGroupBox* DestGroup;
  QRadioButton* PrinterRadio;
  QRadioButton* PreviewRadio;
  QRadioButton* FileRadio;
  QLineEdit* FileNameEdit;
  QPushButton* BrowseButton;
  QGroupBox* RangeGroup;
  QRadioButton* AllRadio;
  QRadioButton* SelectionRadio;
  QRadioButton* PagesRadio;
  QLineEdit* SelectionEdit;
  QLabel* FromLabel;
  QLineEdit* FromEdit;
  QLabel* ToLabel;
  QLineEdit* ToEdit;
  QGroupBox* OptionsGroup;
  QLabel* CopiesLabel;
  QLineEdit* CopiesEdit;
  QCheckBox* CollateCheck;
  QCheckBox* DuplexCheck;
  QGroupBox* PrinterGroup;
  QLabel* PrinterLabel;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QPushButton* SetupButton;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildDestination();
  void BuildRange();
  void BuildOptions();
  void UpdatePrinterLabel();
  void ApplyPermissions();
  void RangeClick();
  void DestinationClick();
  void BrowseClick();
  void SetupClick();
  void OKClick();
  // Copies, collation and duplex from the window onto a writer and the printer device.
  void StoreOptions(TBaseReport* replay);
  bool Allowed(int setup) const;
  bool PrintersInstalled() const;

  TRPFormHost& FHost;
  TBaseReport* FReplay = nullptr;  // range mode
};
