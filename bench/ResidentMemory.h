#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <fstream>
#include <string>

// The resident memory of a running process in KiB, as the kernel counts it; -1 when the
// process is gone.
inline long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}
