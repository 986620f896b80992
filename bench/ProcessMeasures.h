// What the whole-game benchmarks read of their own process.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

// The resident size of this process in kilobytes (0 when it cannot be read).
inline long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0)
      return std::atol(line.c_str() + 6);
  }
  return 0;
}
