#include "RPPreFrm.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "Finally.h"
#include "RPDevice.h"
#include "RPFormHost.h"
#include "RPSetFrm.h"
#include "RPreview.h"

TRPPreviewForm::TRPPreviewForm(TRPFormHost& host, QWidget* parent)
    : QDialog(parent),
      FHost(host),
      FReportPrinter(std::make_unique<TFilePrinter>(this)),
      FFilePreview(std::make_unique<TFilePreview>(this)) {
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QWidget(this);
  bar->setObjectName("ToolBar");
  BuildToolBar(bar);
  layout->addWidget(bar);
  ScrollBox = new QScrollArea(this);
  ScrollBox->setObjectName("ScrollBox");
  layout->addWidget(ScrollBox, 1);

  FFilePreview->SetScrollBox(ScrollBox);
  FFilePreview->SetZoomFactor(100);
  FFilePreview->SetMarginPercent(5);
  FFilePreview->SetRulerType(rtBothIn);
  FFilePreview->SetShadowDepth(0);
  FFilePreview->OnPageChange = [this](QObject*) { PageChange(); };
  FFilePreview->OnZoomChange = [this](QObject*) { ZoomChange(); };
}

TRPPreviewForm::~TRPPreviewForm() = default;

void TRPPreviewForm::BuildToolBar(QWidget* bar) {
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 2, 4, 2);
  TFilePreview* p = FFilePreview.get();
  auto button = [&](const char* name, const char* text, std::function<void()> click) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(text);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this,
            [this, click = std::move(click)] { Guarded(click); });
    row->addWidget(b);
    return b;
  };
  ZoomInButton = button("ZoomInButton", "Zoom In", [p] { p->ZoomIn(); });
  ZoomOutButton = button("ZoomOutButton", "Zoom Out", [p] { p->ZoomOut(); });
  // The zoom factor's special values: -1.9 and below fits the width, up to 0 the page.
  ZoomPageWidthButton =
      button("ZoomPageWidthButton", "Zoom Page Width", [p] { p->SetZoomFactor(-2); });
  ZoomWholePageButton =
      button("ZoomWholePageButton", "Zoom Whole Page", [p] { p->SetZoomFactor(-1); });
  PrevPageButton = button("PrevPageButton", "Prev Page", [p] { p->PrevPage(); });
  NextPageButton = button("NextPageButton", "Next Page", [p] { p->NextPage(); });
  PrintButton = button("PrintButton", "Print", [this] { PrintClick(); });
  DoneButton = button("DoneButton", "Done", [this] { close(); });
  auto edit = [&](QLabel*& label, const char* caption, QLineEdit*& e, const char* name,
                  void (TRPPreviewForm::*apply)()) {
    label = new QLabel(caption, bar);
    e = new QLineEdit(bar);
    e->setObjectName(name);
    e->setFixedWidth(50);
    label->setBuddy(e);
    connect(e, &QLineEdit::editingFinished, this,
            [this, apply] { Guarded([this, apply] { (this->*apply)(); }); });
    row->addWidget(label);
    row->addWidget(e);
  };
  edit(ZoomLabel, "Zoom %", ZoomEdit, "ZoomEdit", &TRPPreviewForm::ZoomEditDone);
  edit(PageNumLabel, "Page #", PageEdit, "PageEdit", &TRPPreviewForm::PageEditDone);
  PageLabel = new QLabel(bar);
  PageLabel->setObjectName("PageLabel");
  row->addWidget(PageLabel);
  row->addStretch(1);
}

void TRPPreviewForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  installEventFilter(this);
  if (FFilePreview->Printing()) return;
  FStarting = true;
  Guarded([this] {
    FFilePreview->Start();
    FHost.PreviewShown(*FFilePreview);
  });
  FStarting = false;
  // Closed from inside the showing, the window would hide before a modal run's loop
  // starts, and that loop would wait for it for ever; the loop closes it instead.
  if (FDonePending >= 0)
    QMetaObject::invokeMethod(
        this, [this, result = std::exchange(FDonePending, -1)] { done(result); },
        Qt::QueuedConnection);
}

void TRPPreviewForm::done(int result) {
  if (FStarting) {
    FDonePending = result;
    return;
  }
  if (FFilePreview->Printing()) FFilePreview->Finish();
  FClosed = true;
  QDialog::done(result);
}

void TRPPreviewForm::WaitForClose() {
  while (!FClosed && isVisible())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 50);
}

void TRPPreviewForm::PageChange() {
  const int page = FFilePreview->CurrentPage();
  PageEdit->setText(QString::number(page));
  PageLabel->setText(QString("Page %1 of %2").arg(page).arg(FFilePreview->PageCount()));
}

void TRPPreviewForm::ZoomChange() {
  ZoomEdit->setText(QString::number(FFilePreview->ZoomFactor(), 'f', 1));
  if (FFilePreview->Printing() && FFilePreview->CurrentPage() > 0) FFilePreview->Redraw();
}

void TRPPreviewForm::ZoomEditDone() {
  bool ok = false;
  const double zoom = ZoomEdit->text().trimmed().toDouble(&ok);
  if (ok && zoom != FFilePreview->ZoomFactor()) FFilePreview->SetZoomFactor(zoom);
}

void TRPPreviewForm::PageEditDone() {
  bool ok = false;
  const int page = PageEdit->text().trimmed().toInt(&ok);
  if (!ok || page == FFilePreview->CurrentPage() || !FFilePreview->Printing()) return;
  if (page >= 1 && page <= FFilePreview->PageCount()) FFilePreview->ShowPage(page);
}

bool TRPPreviewForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (ScrollKey(key->key(), key->modifiers())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool TRPPreviewForm::ScrollKey(int key, Qt::KeyboardModifiers modifiers) {
  QScrollBar* v = ScrollBox->verticalScrollBar();
  QScrollBar* h = ScrollBox->horizontalScrollBar();
  const bool plainOrCtrl = modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier;
  const bool ctrl = modifiers == Qt::ControlModifier;
  const bool shiftCtrl = modifiers == (Qt::ShiftModifier | Qt::ControlModifier);
  auto move = [](QScrollBar* bar, int to) {
    bar->setValue(std::clamp(to, 0, std::max(bar->maximum(), 0)));
    return true;
  };
  switch (key) {
    case Qt::Key_PageUp:
      return plainOrCtrl && move(v, v->value() - ScrollBox->height());
    case Qt::Key_PageDown:
      return plainOrCtrl && move(v, v->value() + ScrollBox->height());
    case Qt::Key_Home:
      return plainOrCtrl && move(v, 0);
    case Qt::Key_End:
      return plainOrCtrl && move(v, v->maximum());
    case Qt::Key_Up:
      return plainOrCtrl && move(v, v->value() - v->singleStep());
    case Qt::Key_Down:
      return plainOrCtrl && move(v, v->value() + v->singleStep());
    case Qt::Key_Left:
      if (ctrl) return move(h, h->value() - h->singleStep());
      return shiftCtrl && move(h, h->value() - ScrollBox->width());
    case Qt::Key_Right:
      if (ctrl) return move(h, h->value() + h->singleStep());
      return shiftCtrl && move(h, h->value() + ScrollBox->width());
    default:
      return false;
  }
}

void TRPPreviewForm::PrintClick() {
  // A press while the job is set up or printed (both let window messages through) is the
  // same press.
  if (!FHost.HasOption(soAllowPrintFromPreview) || FPrintClicked) return;
  FPrintClicked = true;
  TFinally printed([this] { FPrintClicked = false; });
  TFilePrinter& printer = *FReportPrinter;
  if (FHost.Allows(ssAllowPreviewSetup)) {
    TRPSetupForm setup(FHost, this);
    setup.setWindowTitle(ToQString(FHost.SetupTitle()));
    setup.SetRangeMode(printer, printer.PageCount());
    if (setup.exec() != QDialog::Accepted) return;
    printer.KeepOwnSettings = true;
  }
  FHost.PrintReplay(printer);
}

void TRPPreviewForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowFailure(e);
  }
}

void TRPPreviewForm::ShowFailure(const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, "Error", ToQString(error.what()),
                  QMessageBox::Ok, this);
  box.exec();
}
