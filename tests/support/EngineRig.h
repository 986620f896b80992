#pragma once
// A whole Engine over the headless back end, its base folder a fresh temporary folder that the test
// fills with data files ("data/ui/..."). The log keeps records only (no file). Used by the tests of the
// tool libraries and the framework, which take their managers from an Engine.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/support/TempFolder.h"

namespace testsupport {

class EngineRig {
 public:
  EngineRig() {
    platform::headless::ResetClock();
    platform::headless::ResetInput();
    platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
  }
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
  const TempFolder& Folder() const { return folder_; }
  void Write(const std::string& relative, const std::string& bytes) const { folder_.Write(relative, bytes); }

  // Texts of the log entries of one level, in order.
  std::vector<std::string> Entries(std::uint32_t type) const {
    std::vector<std::string> out;
    CorvantisEngine::MessageManager& log = *engine_->GetMessageManager();
    for (std::int32_t i = 0; i < log.GetRecordCount(); ++i) {
      const CorvantisEngine::LogRecord record = log.GetRecord(i);
      if (record.type == type) {
        out.push_back(record.text);
      }
    }
    return out;
  }
  std::vector<std::string> Errors() const { return Entries(CorvantisEngine::LogRecord::kError); }
  // Log entries of any level that contain the text.
  int CountLogged(const std::string& part) const {
    int count = 0;
    CorvantisEngine::MessageManager& log = *engine_->GetMessageManager();
    for (std::int32_t i = 0; i < log.GetRecordCount(); ++i) {
      count += log.GetRecord(i).text.find(part) != std::string::npos ? 1 : 0;
    }
    return count;
  }
  void ClearLog() { engine_->GetMessageManager()->ClearRecords(); }

 private:
  TempFolder folder_;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  std::unique_ptr<CorvantisEngine::Engine> engine_;
};

}  // namespace testsupport
