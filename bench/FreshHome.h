// A home folder as a new machine has it, for the whole-game benchmarks: an empty folder among a hundred
// others (the home folder's parent is a busy folder, as /home or a shared temporary folder is), no
// saves, no settings and an empty cache folder (no compiled shaders kept from an earlier run).
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

class FreshHome {
 public:
  static constexpr int kNeighbours = 100;

  // The parent folder is made under the temporary folder, named after `name` and this process.
  explicit FreshHome(const std::string& name)
      : parent_(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(parent_);
    for (int i = 0; i < kNeighbours; ++i)
      std::filesystem::create_directories(parent_ / ("user" + std::to_string(i)));
    Renew();
  }
  ~FreshHome() {
    std::error_code ignored;
    std::filesystem::remove_all(parent_, ignored);
  }
  FreshHome(const FreshHome&) = delete;
  FreshHome& operator=(const FreshHome&) = delete;

  // Empties the home folder again: what one run left (saves, settings, the shader cache) is gone.
  void Renew() {
    std::filesystem::remove_all(Home());
    std::filesystem::create_directories(Home());
  }

  std::filesystem::path Home() const { return parent_ / "player"; }

  // This process's environment points at the home folder: the game's data and settings in their
  // default places below it, the cache folder empty, the sound on the dummy driver.
  void Enter() const {
    setenv("HOME", Home().c_str(), 1);
    setenv("XDG_CACHE_HOME", (Home() / ".cache").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("MESA_SHADER_CACHE_DIR");
    unsetenv("MESA_GLSL_CACHE_DIR");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

 private:
  std::filesystem::path parent_;
};
