#include "RPStaFrm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "RPBase.h"
#include "RPFormHost.h"

TRPStatusForm::TRPStatusForm(TRPFormHost& host, QWidget* parent) : QDialog(parent), FHost(host) {
  setFixedSize(377, 101);
  StatusLabel = new QLabel(this);
  StatusLabel->setObjectName("StatusLabel");
  StatusLabel->setGeometry(16, 16, 345, 17);
  StatusLabel->setAlignment(Qt::AlignCenter);
  CancelButton = new QPushButton("Cancel", this);
  CancelButton->setObjectName("CancelButton");
  CancelButton->setGeometry(151, 56, 75, 25);
  connect(CancelButton, &QPushButton::clicked, this, [this] { ButtonClick(); });
}

void TRPStatusForm::SetCancelMode() {
  FCancelMode = true;
  CancelButton->setText("Cancel");
}

void TRPStatusForm::WaitForOK() {
  FCancelMode = false;
  FDone = false;
  CancelButton->setText("OK");
  while (!FDone && isVisible())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 50);
}

void TRPStatusForm::ButtonClick() {
  if (!FCancelMode) {
    FDone = true;
    return;
  }
  if (TBaseReport* writer = FHost.ReportPrinter()) writer->Abort();
}
