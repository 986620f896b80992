// Fuzzes the framework's save files: the same bytes are read as a high-score table, a profile and a
// profile list. Any input must be read or refused (the owner then falls back to an empty table, skips
// the profile, replaces the list), with no crash and no allocation beyond what the input holds.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "framework/HighScoresTable.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "platform/win32/WinFiles.h"

namespace {

using namespace GameFramework;

class FuzzProfile : public ProfileBase {
 public:
  FuzzProfile(CorvantisEngine::Engine* engine, const std::string& fileName, const std::string& saveFolder)
      : ProfileBase(engine, saveFolder, "PZPRF", 105) {
    Load(fileName);
  }
};

class FuzzProfileManager : public ProfileManagerBase {
 public:
  FuzzProfileManager(CorvantisEngine::Engine* engine, const std::string& saveFolder)
      : ProfileManagerBase(engine, nullptr, saveFolder, "QLPMF", 100) {
    LoadProfiles();
  }

 protected:
  std::unique_ptr<ProfileBase> OpenProfile(const std::string& fileName) override {
    return std::make_unique<FuzzProfile>(engine_, fileName, saveFolder_);
  }
  std::unique_ptr<ProfileBase> CreateProfile(const std::wstring&) override { return nullptr; }
};

struct Environment {
  Environment() {
    // Saves wait for the disk; a memory file system keeps that wait from dominating every run.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "brindlewick-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      abort();
    root = pattern;
    ::setenv("XDG_DATA_HOME", root.c_str(), 1);
    CorvantisEngine::EngineStartParameters parameters;
    parameters.name = parameters.applicationName = parameters.logName = "Fuzz";
    parameters.version = 100;
    parameters.logFolder = parameters.configFolder = parameters.dataFolder = root.string();
    parameters.packFolder = "Data";
    parameters.defaultVideoMode = "800x600x32";
    engine = std::make_unique<CorvantisEngine::Engine>(parameters);
    saveFolder = platform::win32::ToWindowsPath((root / "save").string());
  }
  void Put(const std::string& relative, const std::uint8_t* data, std::size_t size) const {
    const std::filesystem::path path = root / "save" / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  ~Environment() {
    engine.reset();
    std::error_code error;
    std::filesystem::remove_all(root, error);
  }

  std::filesystem::path root;
  std::unique_ptr<CorvantisEngine::Engine> engine;
  std::string saveFolder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Environment environment;
  if (size > (1u << 16))
    return 0;
  std::filesystem::remove_all(environment.root / "save");
  environment.Put(HighScoresTable::kFileName, data, size);
  environment.Put(std::string(ProfileBase::kProfilesFolder) + "/fuzz.prf", data, size);
  environment.Put(ProfileManagerBase::kListFileName, data, size);

  {
    HighScoresTable table(environment.engine.get(), 10, environment.saveFolder);
    // Every entry takes at least 15 bytes of the file.
    if (table.GetEntries().size() > size / 15)
      __builtin_trap();
    table.AddScore(L"fuzz", 0, 1);
  }
  {
    FuzzProfileManager manager(environment.engine.get(), environment.saveFolder);
    // Every record takes at least 19 bytes of the file, every result of a profile 16.
    if (manager.GetRecords().size() > size / 19)
      __builtin_trap();
    for (const auto& profile : manager.GetProfiles()) {
      if (profile->GetResults().size() > size / 16)
        __builtin_trap();
    }
  }
  environment.engine->GetMessageManager()->ClearRecords();
  return 0;
}
