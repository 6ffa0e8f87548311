#include "RPSetFrm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "RPBase.h"
#include "RPDevice.h"
#include "RPFormHost.h"
#include "SaveFileDialog.h"

namespace {

template <class T>
T* Make(QWidget* parent, const char* name, const char* text, QRect bounds) {
  T* control = new T(QString::fromLatin1(text), parent);
  control->setObjectName(name);
  control->setGeometry(bounds);
  return control;
}

QLineEdit* Edit(QWidget* parent, const char* name, QRect bounds) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setGeometry(bounds);
  return edit;
}

// A whole decimal number as the runtime reads one; nullopt otherwise.
std::optional<int> ToInt(const QLineEdit* edit) {
  bool ok = false;
  const int value = edit->text().trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return value;
}

}  // namespace

TRPSetupForm::TRPSetupForm(TRPFormHost& host, QWidget* parent) : QDialog(parent), FHost(host) {
  setFixedSize(409, 301);
  BuildDestination();
  BuildRange();
  BuildOptions();
  PrinterGroup = Make<QGroupBox>(this, "PrinterGroup", "Selected Printer", {8, 8, 393, 49});
  PrinterLabel = Make<QLabel>(PrinterGroup, "PrinterLabel", "", {8, 20, 377, 17});
  OKButton = Make<QPushButton>(this, "OKButton", "   OK   ", {160, 268, 75, 25});
  OKButton->setDefault(true);
  CancelButton = Make<QPushButton>(this, "CancelButton", "Cancel", {243, 268, 75, 25});
  SetupButton = Make<QPushButton>(this, "SetupButton", "&Setup", {326, 268, 75, 25});
  connect(OKButton, &QPushButton::clicked, this, [this] { OKClick(); });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(SetupButton, &QPushButton::clicked, this, [this] { SetupClick(); });

  RangeGroup->hide();
  DestGroup->hide();
  FromLabel->hide();
  FromEdit->hide();
  ToLabel->hide();
  ToEdit->hide();
  SelectionEdit->setEnabled(false);
  FileNameEdit->setEnabled(false);
  BrowseButton->setEnabled(false);
}

void TRPSetupForm::BuildDestination() {
  DestGroup = Make<QGroupBox>(this, "DestGroup", "Report Destination", {8, 64, 193, 121});
  PrinterRadio = Make<QRadioButton>(DestGroup, "PrinterRadio", "&Printer", {8, 20, 113, 17});
  PreviewRadio = Make<QRadioButton>(DestGroup, "PreviewRadio", "Pre&view", {8, 40, 113, 17});
  FileRadio = Make<QRadioButton>(DestGroup, "FileRadio", "&File", {8, 60, 113, 17});
  FileNameEdit = Edit(DestGroup, "FileNameEdit", {8, 84, 145, 21});
  BrowseButton = Make<QPushButton>(DestGroup, "BrowseButton", "...", {160, 84, 25, 21});
  for (QRadioButton* radio : {PrinterRadio, PreviewRadio, FileRadio})
    connect(radio, &QRadioButton::toggled, this, [this] { DestinationClick(); });
  connect(BrowseButton, &QPushButton::clicked, this, [this] { BrowseClick(); });
}

void TRPSetupForm::BuildRange() {
  RangeGroup = Make<QGroupBox>(this, "RangeGroup", "Print Range", {8, 64, 193, 121});
  AllRadio = Make<QRadioButton>(RangeGroup, "AllRadio", "All", {8, 20, 81, 17});
  AllRadio->setChecked(true);
  SelectionRadio = Make<QRadioButton>(RangeGroup, "SelectionRadio", "Selection", {8, 44, 81, 17});
  PagesRadio = Make<QRadioButton>(RangeGroup, "PagesRadio", "Pages", {8, 68, 81, 17});
  SelectionEdit = Edit(RangeGroup, "SelectionEdit", {88, 42, 97, 21});
  FromLabel = Make<QLabel>(RangeGroup, "FromLabel", "From", {8, 92, 33, 17});
  FromEdit = Edit(RangeGroup, "FromEdit", {44, 90, 49, 21});
  ToLabel = Make<QLabel>(RangeGroup, "ToLabel", "to", {100, 92, 17, 17});
  ToEdit = Edit(RangeGroup, "ToEdit", {120, 90, 49, 21});
  for (QRadioButton* radio : {AllRadio, SelectionRadio, PagesRadio})
    connect(radio, &QRadioButton::toggled, this, [this] { RangeClick(); });
}

void TRPSetupForm::BuildOptions() {
  OptionsGroup = Make<QGroupBox>(this, "OptionsGroup", "Options", {208, 64, 193, 121});
  CopiesLabel = Make<QLabel>(OptionsGroup, "CopiesLabel", "&Copies", {8, 22, 49, 17});
  CopiesEdit = Edit(OptionsGroup, "CopiesEdit", {64, 20, 49, 21});
  CopiesLabel->setBuddy(CopiesEdit);
  CollateCheck = Make<QCheckBox>(OptionsGroup, "CollateCheck", "C&ollate", {8, 52, 97, 17});
  DuplexCheck = Make<QCheckBox>(OptionsGroup, "DuplexCheck", "&Duplex", {8, 76, 97, 17});
}

bool TRPSetupForm::Allowed(int setup) const {
  return FHost.Allows(TSystemSetup(setup));
}

bool TRPSetupForm::PrintersInstalled() const {
  return !RPDev().NoPrinters();
}

void TRPSetupForm::SetDestinationMode() {
  FReplay = nullptr;
  DestGroup->show();
}

void TRPSetupForm::SetRangeMode(TBaseReport& replay, int pageCount) {
  FReplay = &replay;
  RangeGroup->show();
  FromEdit->setText("1");
  ToEdit->setText(QString::number(pageCount));
  SelectionEdit->setText("1-" + QString::number(pageCount));
}

void TRPSetupForm::showEvent(QShowEvent* event) {
  UpdatePrinterLabel();
  ApplyPermissions();
  QDialog::showEvent(event);
}

void TRPSetupForm::UpdatePrinterLabel() {
  TRPDevice& device = RPDev();
  PrinterLabel->setText(device.NoPrinters() ? QString("No printers installed!")
                                            : ToQString(device.DeviceName() + " on " +
                                                                     device.PortName()));
}

void TRPSetupForm::ApplyPermissions() {
  const bool printers = PrintersInstalled();
  if (!DestGroup->isHidden()) {
    if (printers) {
      PrinterRadio->setEnabled(Allowed(ssAllowDestPrinter));
      PreviewRadio->setEnabled(Allowed(ssAllowDestPreview));
      FileRadio->setEnabled(Allowed(ssAllowDestFile));
      QRadioButton* current[] = {PreviewRadio, PrinterRadio, FileRadio};
      current[FHost.ReportDest()]->setChecked(true);
    } else {
      PrinterRadio->setEnabled(false);
      FileRadio->setEnabled(false);
      PreviewRadio->setEnabled(Allowed(ssAllowDestPreview));
      if (Allowed(ssAllowDestPreview)) PreviewRadio->setChecked(true);
    }
  }
  CollateCheck->setEnabled(printers && Allowed(ssAllowCollate));
  CopiesEdit->setEnabled(printers && Allowed(ssAllowCopies));
  CopiesLabel->setEnabled(printers && Allowed(ssAllowCopies));
  DuplexCheck->setEnabled(printers && Allowed(ssAllowDuplex));
  SetupButton->setEnabled(printers && Allowed(ssAllowPrinterSetup));
  CopiesEdit->setText(QString::number(FHost.PrintOptions().Copies));
  CollateCheck->setChecked(false);
  DuplexCheck->setChecked(false);
}

void TRPSetupForm::RangeClick() {
  const bool pages = PagesRadio->isChecked();
  const bool selection = SelectionRadio->isChecked();
  for (QWidget* w : {static_cast<QWidget*>(FromLabel), static_cast<QWidget*>(FromEdit),
                     static_cast<QWidget*>(ToLabel), static_cast<QWidget*>(ToEdit)}) {
    w->setVisible(pages);
    w->setEnabled(pages);
  }
  SelectionEdit->setVisible(!pages);
  SelectionEdit->setEnabled(selection);
}

void TRPSetupForm::DestinationClick() {
  const bool file = FileRadio->isChecked();
  FileNameEdit->setEnabled(file);
  BrowseButton->setEnabled(file);
}

void TRPSetupForm::BrowseClick() {
  const QString name = RunSaveFileDialog(this, FileNameEdit->text());
  if (!name.isEmpty()) FileNameEdit->setText(name);
}

void TRPSetupForm::SetupClick() {
  RPDev().PrinterSetup(this);
  UpdatePrinterLabel();
}

void TRPSetupForm::StoreOptions(TBaseReport* replay) {
  TRPPrintOptions settings = FHost.PrintOptions();
  if (Allowed(ssAllowCopies)) {
    if (const std::optional<int> copies = ToInt(CopiesEdit)) {
      settings.Copies = *copies;
      if (replay) replay->SetCopies(*copies);
    }
  }
  if (Allowed(ssAllowCollate)) settings.Collate = CollateCheck->isChecked();
  if (Allowed(ssAllowDuplex)) {
    if (!DuplexCheck->isChecked())
      settings.Duplex = 1;
    else if (settings.Duplex == 1)
      settings.Duplex = 2;
  }
  FHost.SetPrintOptions(settings);
  // The replaying printer prints on the device, which takes the choice at once.
  if (replay && PrintersInstalled()) {
    if (Allowed(ssAllowCollate)) RPDev().SetCollate(settings.Collate);
    if (Allowed(ssAllowDuplex)) RPDev().SetDuplex(settings.Duplex);
  }
}

void TRPSetupForm::OKClick() {
  if (FReplay) {
    FReplay->SetFirstPage(1);
    FReplay->SetLastPage(9999);
    FReplay->SetSelection("");
    if (SelectionRadio->isChecked()) {
      FReplay->SetSelection(SelectionEdit->text().toStdString());
    } else if (PagesRadio->isChecked()) {
      FReplay->SetFirstPage(ToInt(FromEdit).value_or(1));
      FReplay->SetLastPage(ToInt(ToEdit).value_or(9999));
    }
  } else if (PrinterRadio->isChecked()) {
    FHost.SetReportDest(rdPrinter);
    FHost.SetOutputFileName("");
  } else if (PreviewRadio->isChecked()) {
    FHost.SetReportDest(rdPreview);
    FHost.SetOutputFileName("");
  } else {
    FHost.SetReportDest(rdFile);
    // The engine's file names are Windows-1251, as the printer device opens them.
    FHost.SetOutputFileName(FromQString(FileNameEdit->text()));
  }
  StoreOptions(FReplay);
  accept();
}
