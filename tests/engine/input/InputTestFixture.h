#pragma once
// A headless engine corner for the controls: log (no file), timers, files, configuration and a real
// window on the headless window layer, fresh for every test, with the headless input layer reset.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/input/Controls_DI7.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogProbe.h"
#include "tests/support/TempFolder.h"

namespace inputtest {

class EngineCorner : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    windows_ = &platform_.Windows();
    folder_ = temp_.Root();
    log_ = std::make_unique<CorvantisEngine::MessageManager>("Input Test", 0, 0, "", "");
    files_ = std::make_unique<CorvantisEngine::FileManager>(log_.get(), folder_, "");
    timers_ = std::make_unique<CorvantisEngine::TimerManager>();
    config_ = std::make_unique<CorvantisEngine::Config>(log_.get(), files_.get(), folder_, "Input Test",
                                                        false, "800x600x32", false, false);
    const POINT position{100, 50};
    window_ = std::make_unique<CorvantisEngine::Window>(log_.get(), config_.get(), "Input Test", nullptr, 0,
                                                        false, 800, 600, false, false, &position);
  }

  void TearDown() override {
    controls_.reset();
    window_.reset();
    config_.reset();
    timers_.reset();
    files_.reset();
    log_.reset();
  }

  CorvantisEngine::Controls_DI7& MakeControls(bool buffered = true) {
    controls_ =
        std::make_unique<CorvantisEngine::Controls_DI7>(log_.get(), timers_.get(), window_.get(), buffered);
    return *controls_;
  }

  // One engine frame as far as the controls go: the frame start reads the devices, `during` queries,
  // the frame end clears the pressed flags and the key event.
  template <class During>
  void Frame(During during) {
    controls_->Update();
    during();
    controls_->EndFrame();
  }
  void Frame() {
    Frame([] {});
  }

  // Every log record's text, one after another.
  std::string LogText() const { return testsupport::LogProbe(*log_).Text(); }

  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
  testsupport::TempFolder temp_;
  std::filesystem::path folder_;
  std::unique_ptr<CorvantisEngine::MessageManager> log_;
  std::unique_ptr<CorvantisEngine::FileManager> files_;
  std::unique_ptr<CorvantisEngine::TimerManager> timers_;
  std::unique_ptr<CorvantisEngine::Config> config_;
  std::unique_ptr<CorvantisEngine::Window> window_;
  std::unique_ptr<CorvantisEngine::Controls_DI7> controls_;
};

}  // namespace inputtest
