#pragma once
// A fresh folder under the system's temporary folder for one test, removed with everything in it when
// the object goes. `Win` gives a path inside it in the Windows form the engine uses.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/WinFiles.h"

namespace testsupport {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindlewick-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    root_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Host(const std::string& relative) const { return root_ / relative; }
  // "Z:\tmp\brindlewick-abc\<relative with backslashes>"
  std::string Win(const std::string& relative = "") const {
    std::string path = platform::win32::ToWindowsPath(root_.string());
    if (!relative.empty()) {
      path += "\\" + relative;
    }
    return path;
  }

  void Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  }
  void Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const {
    Write(relative, std::string(bytes.begin(), bytes.end()));
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(root_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path root_;
};

}  // namespace testsupport
