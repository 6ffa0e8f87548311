#pragma once

// What the benchmarks of whole programs and widgets share.

#include <benchmark/benchmark.h>
#include <sys/types.h>

#include <QByteArray>
#include <string>
#include <vector>

// A program that a benchmark measures as a whole process: started offscreen, read through
// /proc while it runs, asked to stop and waited for when it goes out of scope.
class TOffscreenProgram {
 public:
  // Starts `program` with `arguments`; with a `site`, TRICKFOLIO_SITE points the program's
  // web banner there.
  TOffscreenProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& site = {});
  ~TOffscreenProgram();
  TOffscreenProgram(const TOffscreenProgram&) = delete;
  TOffscreenProgram& operator=(const TOffscreenProgram&) = delete;

  // Resident memory in KiB, as the kernel counts it; -1 when the process is gone.
  long ResidentKiB() const;
  // User and system time so far, in clock ticks.
  long CpuTicks() const;
  // -1 when the process is gone.
  int Threads() const;

 private:
  // The number after `field` in the process's status file, or -1.
  long StatusValue(const std::string& field) const;

  pid_t FPid;
};

// The benchmarks named on the command line, run inside an application object of type
// `TApplication` on the offscreen platform (unless QT_QPA_PLATFORM says otherwise); the
// exit code for main.
template <class TApplication>
int RunOffscreenBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
