#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include "CupsFixture.h"
#include "RPDevice.h"

// The main() of the benchmarks that print: offscreen windows, and a private CUPS scheduler
// whose default PDF queue gives the writers their printer.
inline int RunBenchmarksWithQueue(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TCupsScheduler cups;
  cups.AddQueue("pdf", true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  RPDevFree();
  return 0;
}
