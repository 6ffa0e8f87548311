#include "PrinterSetupDialog.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

namespace {

// Places the dialog once it has its final size, which it has only when shown.
class TPlacement : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show)
      if (auto* dialog = qobject_cast<QWidget*>(watched)) Place(*dialog);
    return false;
  }

 private:
  static void Place(QWidget& dialog) {
    QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = dialog.frameGeometry().size();
    dialog.move(area.left() + (area.width() - size.width()) / 2,
                area.top() + (area.height() - size.height()) / 3);
  }
};

}  // namespace

bool RunPrinterSetupDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize |
                    QAbstractPrintDialog::PrintCollateCopies);
  TPlacement placement;
  dialog.installEventFilter(&placement);
  return dialog.exec() == QDialog::Accepted;
}
