#pragma once
// The viewer's windows on a catalogue of the tests' making, started the way the program
// starts: splash, then the main window shown and activated when the splash hides.

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "Abcspla.h"
#include "Catalogue.h"
#include "CatalogueMaker.h"
#include "Unit1.h"
#include "Unit2.h"

// Answers every modal message box that appears, remembering what it said.
class TMessageWatcher {
 public:
  TMessageWatcher() {
    FTimer.setInterval(10);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Texts.append(box->text());
        Titles.append(box->windowTitle());
        Icons.append(box->icon());
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
      }
    });
    FTimer.start();
  }

  QStringList Texts;
  QStringList Titles;
  QList<QMessageBox::Icon> Icons;

 private:
  QTimer FTimer;
};

inline bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(5);
  }
  return true;
}

class TFormHarness {
 public:
  explicit TFormHarness(const CatalogueMaker::TMembers* members) {
    if (members) Folder.Zip(*members);
    Main = std::make_unique<TFormMain>();
    About = std::make_unique<TFormAbout>(*Main, Main.get());
    Main->FormAbout = About.get();
    Main->Catalogue->ExeDir = Folder.Dir();
  }
  ~TFormHarness() {
    About.reset();
    Main.reset();
  }

  // The splash goes; the main window shows and activates, which reads the catalogue.
  void Start() {
    Main->abcSplash1->Hide();
    Started = WaitFor([this] { return Main->Terminated || !Main->CoolPanel6->Caption().empty(); });
  }

  bool Started = false;
  CatalogueMaker::TFolder Folder;
  TMessageWatcher Messages;
  std::unique_ptr<TFormMain> Main;
  std::unique_ptr<TFormAbout> About;
};
