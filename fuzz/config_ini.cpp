// Fuzzes the ini file: the bytes are loaded as the ini (encoding detection, lines, comments, names and
// values of every kind, unknown names kept for later), then every line of them is run again through
// ExecuteLine the way the console runs a typed line, and the input as one whole line. Nothing may
// throw, hang or grow without bound, and the variables' texts must read back.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "platform/win32/WinFiles.h"

namespace {

using namespace CorvantisEngine;

struct Corner {
  Corner() : log("Fuzz", 0, 0, "", "") {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindlewick-fuzz-ini-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::abort();
    }
    folder = pattern;
    files = std::make_unique<FileManager>(&log, platform::win32::ToWindowsPath(folder.string()), "");
  }
  ~Corner() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::filesystem::path folder;
  MessageManager log;
  std::unique_ptr<FileManager> files;
};

Corner& TheCorner() {
  static Corner corner;
  return corner;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) {
    return 0;
  }
  Corner& corner = TheCorner();
  {
    std::FILE* file = std::fopen((corner.folder / "Fuzz.ini").c_str(), "wb");
    if (file == nullptr) {
      return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  const bool force = size > 0 && (data[0] & 1) != 0;
  Config config(nullptr, corner.files.get(), corner.files->GetBaseFolder(), "Fuzz", force, "1024x768x32",
                force, false);
  config.Load();

  std::int32_t level = 0;
  float scale = 0;
  std::string text;
  std::uint8_t flag = 0;
  config.AddVariable("g_level", ConfigVariable::kInteger, false, true, &level, "1", false);
  config.AddVariable("g_scale", ConfigVariable::kFloat, false, true, &scale, "0.5", false);
  config.AddVariable("g_text", ConfigVariable::kText, false, true, &text, "abc", false);
  config.AddVariable("g_flag", ConfigVariable::kBool, false, true, &flag, "1", true);

  const std::string whole(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= whole.size()) {
    std::size_t end = whole.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      end = whole.size();
    }
    std::string name;
    const std::int32_t result = config.ExecuteLine(whole.substr(start, end - start), &name);
    if (result != Config::kLineDone && (result < Config::kLineReadOnly || result > Config::kLineEmpty)) {
      __builtin_trap();
    }
    start = end + 1;
  }
  config.ExecuteLine(whole, nullptr);

  std::vector<std::string> names;
  config.GetVariableNames(names);
  for (const std::string& name : names) {
    (void)config.GetValueText(name);
  }
  config.Update();
  config.ClearChangedFlags();
  return 0;
}
