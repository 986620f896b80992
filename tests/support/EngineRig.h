#pragma once
// A whole Engine over a fresh headless platform (see HeadlessPlatform.h), its base folder a fresh
// temporary folder that the test fills with data files ("data/ui/..."). The log keeps records only (no
// file). Used by the tests of the tool libraries, the framework and the game, which take their managers
// from an Engine.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "tests/support/HeadlessPlatform.h"
#include "tests/support/LogProbe.h"
#include "tests/support/TempFolder.h"

namespace testsupport {

class EngineRig {
 public:
  EngineRig() = default;
  ~EngineRig() { engine_.reset(); }

  EngineRig(const EngineRig&) = delete;
  EngineRig& operator=(const EngineRig&) = delete;

  // The data files go in before the engine starts (packs are mounted at start).
  CorvantisEngine::Engine& Start() {
    CorvantisEngine::EngineStartParameters parameters;
    parameters.name = parameters.applicationName = parameters.logName = "Test";
    parameters.version = 100;
    parameters.logFolder = parameters.configFolder = folder_.Root().string();
    parameters.dataFolder = folder_.Root().string();
    parameters.packFolder = "Data";
    parameters.defaultVideoMode = "800x600x32";
    engine_ = std::make_unique<CorvantisEngine::Engine>(parameters);
    return *engine_;
  }

  CorvantisEngine::Engine& GetEngine() { return *engine_; }
  HeadlessPlatform& Platform() { return platform_; }
  const TempFolder& Folder() const { return folder_; }
  // The engine's log (after Start).
  LogProbe Log() const { return LogProbe(*engine_->GetMessageManager()); }
  void Write(const std::string& relative, const std::string& bytes) const { folder_.Write(relative, bytes); }

  // Texts of the log entries of one level, in order.
  std::vector<std::string> Entries(std::uint32_t type) const { return Log().Entries(type); }
  std::vector<std::string> Errors() const { return Log().Errors(); }
  // Log entries of any level that contain the text.
  int CountLogged(const std::string& part) const { return Log().Count(part); }
  void ClearLog() { engine_->GetMessageManager()->ClearRecords(); }

 private:
  HeadlessPlatform platform_;
  TempFolder folder_;
  std::unique_ptr<CorvantisEngine::Engine> engine_;
};

}  // namespace testsupport
