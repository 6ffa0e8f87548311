// skin-gallery: every skinned control with the product's artwork in one window.
//   skin-gallery               show the window
//   skin-gallery --shot FILE   render the window into FILE (PNG) and quit
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "Exception.h"
#include "SkinGallery.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption shot("shot", "Render the window into <file> and quit.", "file");
  parser.addOption(shot);
  parser.process(app);

  try {
    TFormGallery gallery;
    gallery.show();
    if (!parser.isSet(shot)) return app.exec();
    // Let the window settle (first paints, deferred layout) before taking the picture.
    QTimer::singleShot(200, &app, &QCoreApplication::quit);
    app.exec();
    if (!gallery.grab().save(parser.value(shot))) {
      std::fprintf(stderr, "skin-gallery: cannot write %s\n", qPrintable(parser.value(shot)));
      return 1;
    }
    return 0;
  } catch (const Exception& error) {
    std::fprintf(stderr, "skin-gallery: %s\n", error.what());
    return 1;
  }
}
