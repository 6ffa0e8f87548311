// libFuzzer target for the report stream's replay: the input is the stream, painted on
// small offscreen images (QT_QPA_PLATFORM=offscreen).
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ReplayHarness.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzOneReplay(data, size);
  return 0;
}
