// The tests' private CUPS scheduler with its default PDF queue "pdf", for scripts: prints
// its folder (jobs arrive as out/job-N.pdf, clients connect through cups.sock) on one line,
// then keeps it until it is sent SIGTERM or SIGINT, or its parent dies.
#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "CupsFixture.h"

int main(int argc, char** argv) {
  // Blocked before any thread starts, so that only sigwait below receives them.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  QCoreApplication app(argc, argv);
  try {
    TCupsScheduler cups;
    cups.AddQueue("pdf", true);
    std::printf("%s\n", cups.Dir().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cups-queue: %s\n", e.what());
    return 1;
  }
  return 0;
}
