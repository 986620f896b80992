// What the whole-game benchmarks read of their own process.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

// The value of the first line of a /proc file that starts with `field` (kilobytes there), 0 when
// there is none.
inline long ProcKilobytes(const char* file, const std::string& field) {
  std::ifstream status(file);
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0)
      return std::atol(line.c_str() + field.size());
  }
  return 0;
}

// The resident size of this process in kilobytes (0 when it cannot be read).
inline long ResidentKilobytes() {
  return ProcKilobytes("/proc/self/status", "VmRSS:");
}

// The proportional size of this process in kilobytes: its resident pages, each shared page counted
// as its share among the processes that map it (0 when it cannot be read).
inline long ProportionalKilobytes() {
  return ProcKilobytes("/proc/self/smaps_rollup", "Pss:");
}

// The resident pages that only this process has written to, in kilobytes.
inline long PrivateDirtyKilobytes() {
  return ProcKilobytes("/proc/self/smaps_rollup", "Private_Dirty:");
}
