#pragma once
// What a RenderSystem_D3D7 stands on, built the way the Engine builds it, over a fresh temporary folder:
// the log (records only, no file), the file manager, the configuration with "v_mode" set, then on
// request the window (the mode's size, windowed or full screen as "v_fullscreen" says) and the render
// system. Everything goes in the reverse order of its making. The caller installs the platform drivers
// (headless or SDL) before it makes the window. Used by the render tests, the device texture tests and
// the quad benchmark.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/window/Window.h"
#include "tests/support/LogProbe.h"
#include "tests/support/TempFolder.h"

namespace testsupport {

class RenderRig {
 public:
  // defaultMode is the "v_mode" variable's own text (the selection's first fallback); mode is its value.
  explicit RenderRig(const std::string& defaultMode = "800x600x32", const std::string& mode = "") {
    using namespace CorvantisEngine;
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.Root().string(), "");
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.Root().string(), "test", false,
                                       defaultMode, false, false);
    config_->v_mode = mode.empty() ? defaultMode : mode;
    config_->v_fullscreen = 0;
    Config::ParseMode(config_->v_mode, &windowWidth_, &windowHeight_, &windowBits_);
  }

  ~RenderRig() {
    render_.reset();
    window_.reset();
    config_.reset();
    files_.reset();
    log_.reset();
  }

  RenderRig(const RenderRig&) = delete;
  RenderRig& operator=(const RenderRig&) = delete;

  CorvantisEngine::Window& MakeWindow() {
    POINT position{0, 0};
    window_ = std::make_unique<CorvantisEngine::Window>(log_.get(), config_.get(), "Test", nullptr, 0, false,
                                                        windowWidth_, windowHeight_,
                                                        config_->v_fullscreen != 0, true, &position);
    return *window_;
  }

  // Makes the window first when there is none.
  CorvantisEngine::RenderSystem_D3D7& MakeRenderSystem(bool stencil = false, bool keepWindowSize = false) {
    if (!window_) {
      MakeWindow();
    }
    render_ = std::make_unique<CorvantisEngine::RenderSystem_D3D7>(log_.get(), config_.get(), window_.get(),
                                                                   stencil, keepWindowSize);
    return *render_;
  }

  LogProbe Log() const { return LogProbe(*log_); }
  // Texts of the log entries of one level, in order.
  std::vector<std::string> Entries(std::uint32_t type) const { return Log().Entries(type); }
  // Entries of one level that contain the text.
  int CountLogged(std::uint32_t type, const std::string& part) const { return Log().Count(type, part); }
  bool Logged(std::uint32_t type, const std::string& part) const { return Log().Logged(type, part); }

  TempFolder folder_;
  std::unique_ptr<CorvantisEngine::MessageManager> log_;
  std::unique_ptr<CorvantisEngine::FileManager> files_;
  std::unique_ptr<CorvantisEngine::Config> config_;
  std::unique_ptr<CorvantisEngine::Window> window_;
  std::unique_ptr<CorvantisEngine::RenderSystem_D3D7> render_;

 private:
  std::uint32_t windowWidth_ = 800;
  std::uint32_t windowHeight_ = 600;
  std::uint32_t windowBits_ = 32;
};

}  // namespace testsupport
