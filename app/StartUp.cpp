#include "StartUp.h"

#include <QMessageBox>

#include "Exception.h"
#include "SkinControl.h"
#include "Unit1.h"

namespace StartUp {

std::unique_ptr<TFormMain> CreateMainWindow() {
  try {
    return std::make_unique<TFormMain>();
  } catch (const Exception& error) {
    QMessageBox box(QMessageBox::Critical, "Error", ToQString(error.Message()), QMessageBox::Ok);
    box.exec();
    return nullptr;
  }
}

}  // namespace StartUp
