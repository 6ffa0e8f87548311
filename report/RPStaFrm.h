#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TRPFormHost;

// The status window of a run: the running writer's status text and one button, Cancel
// while the report is produced and OK when the run waits to be acknowledged.
class TRPStatusForm : public QDialog {
 public:
  TRPStatusForm(TRPFormHost& host, QWidget* parent = nullptr);

  QLabel* StatusLabel;
  QPushButton* CancelButton;

  void SetCancelMode();
  // Turns the button into OK and processes window messages until it is pressed.
  void WaitForOK();
  bool CancelMode() const { return FCancelMode; }

 private:
  void ButtonClick();

  TRPFormHost& FHost;
  bool FCancelMode = true;
  bool FDone = false;
};
