#include <QApplication>

#include "Abcspla.h"
#include "MessageHook.h"
#include "PrintCommand.h"
#include "StartUp.h"
#include "Unit1.h"
#include "Unit2.h"

int main(int argc, char** argv) {
  if (PrintCommand::Requested(argc, argv)) return PrintCommand::Main(argc, argv);
  QApplication application(argc, argv);
  // The main window shows when the splash hides; until then closing the splash must not
  // end the program.
  application.setQuitOnLastWindowClosed(false);
  MessageHook::SetProcessMessages([] { QCoreApplication::processEvents(); });

  const std::unique_ptr<TFormMain> formMain = StartUp::CreateMainWindow();
  if (!formMain) return 1;
  TFormAbout formAbout(*formMain, formMain.get());
  formMain->FormAbout = &formAbout;

  // Without the splash nothing would ever show the main window.
  if (TabcSplash::NoSplashRequested(QCoreApplication::arguments().mid(1)))
    formMain->abcSplash1Hide(nullptr);
  const int result = application.exec();
  MessageHook::SetProcessMessages(nullptr);
  return result;
}
