#pragma once
// A fresh temporary folder (testsupport::TempFolder) with an empty "data" folder inside, for the tests
// that read files through a FileManager started at Root(). Removed with everything in it.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace testsupport {

class DataFolder : public TempFolder {
 public:
  DataFolder() { std::filesystem::create_directories(Host("data")); }

  // Writes a file named relative to the data folder ("fx\\fire.srf" or "fx/fire.srf"), making its folders.
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::string host = name;
    std::replace(host.begin(), host.end(), '\\', '/');
    TempFolder::Write("data/" + host, bytes);
  }
};

}  // namespace testsupport
