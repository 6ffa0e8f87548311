#include "BenchSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

TOffscreenProgram::TOffscreenProgram(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::string& site)
    : FPid(::fork()) {
  if (FPid != 0) return;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!site.empty()) ::setenv("TRICKFOLIO_SITE", site.c_str(), 1);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

TOffscreenProgram::~TOffscreenProgram() {
  if (FPid <= 0) return;
  ::kill(FPid, SIGTERM);
  ::waitpid(FPid, nullptr, 0);
}

long TOffscreenProgram::StatusValue(const std::string& field) const {
  std::ifstream status("/proc/" + std::to_string(FPid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  return -1;
}

long TOffscreenProgram::ResidentKiB() const {
  return StatusValue("VmRSS:");
}

int TOffscreenProgram::Threads() const {
  return int(StatusValue("Threads:"));
}

long TOffscreenProgram::CpuTicks() const {
  std::ifstream stat("/proc/" + std::to_string(FPid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  // The fields after the command name, which may itself hold spaces and parentheses.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) {
      stime = std::stol(field);
      break;
    }
  }
  return utime + stime;
}
