// main() for widget tests: a real QApplication on the offscreen platform unless the
// caller chose a display (the end-to-end run sets one).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QString dir = QDir::tempPath() + "/trickfolio-runtime";
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
