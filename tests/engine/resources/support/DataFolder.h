#pragma once
// A data folder for the tests that read files: <temp>/<prefix>_<pid>_<test name>, with an empty "data"
// folder inside, made fresh when the object is made (inside a test or its fixture) and removed with it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace CorvantisEngine::testkit {

class DataFolder {
 public:
  explicit DataFolder(const std::string& prefix);
  ~DataFolder();

  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  // The folder a FileManager starts from; the data folder is Root() / "data".
  const std::filesystem::path& Root() const { return root_; }
  // Writes a file named relative to the data folder ("fx\\fire.srf" or "fx/fire.srf"), making its folders.
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

 private:
  std::filesystem::path root_;
};

}  // namespace CorvantisEngine::testkit
