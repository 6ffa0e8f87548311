#include "SaveFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

class TSaveFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    const QStringList files = selectedFiles();
    const QFileInfo file(files.isEmpty() ? QString() : files.first());
    // A folder typed as the name is opened by the dialog itself.
    if (!files.isEmpty() && !file.isDir()) {
      if (!file.absoluteDir().exists())
        return Refuse(QString("The folder \"%1\" does not exist.").arg(file.absolutePath()));
      // The file's own bits (not WriteUser, which asks access()): root may write anywhere,
      // but a file marked read-only is still not to be replaced.
      constexpr QFile::Permissions anyWrite =
          QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
      if (file.exists() && !(file.permissions() & anyWrite))
        return Refuse(QString("\"%1\" is read-only.").arg(file.absoluteFilePath()));
    }
    QFileDialog::accept();
  }

 private:
  void Refuse(const QString& text) {
    QMessageBox::warning(this, windowTitle(), text + "\nChoose another name.");
  }
};

}  // namespace

QString RunSaveFileDialog(QWidget* parent, const QString& start) {
  TSaveFileDialog dialog(parent, QString(), start, "All Files (*)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The same dialog on every desktop, and one whose accept() is this class's.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}
