#pragma once
// A log, files, configuration and a headless window over a temporary folder, with fresh headless window
// and display drivers, for building a RenderSystem_D3D7 the way the Engine does.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Window.h"
#include "engine/files/FileManager.h"
#include "engine/render/HardwareInfo_D3D7.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "platform/ddraw/DisplayDriver.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessWindow.h"

namespace CorvantisEngine::testing {

class RenderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("render-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    windows_ = &platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
    baseline_ = platform::ddraw::LiveObjectCount();
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.string(), "");
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.string(), "test", false,
                                       "1024x768x32", false, false);
    config_->v_mode = "800x600x32";
  }

  void TearDown() override {
    render_.reset();
    window_.reset();
    config_.reset();
    files_.reset();
    log_.reset();
    std::filesystem::remove_all(folder_);
  }

  // Both the window layer's desktop and the display's.
  void SetDesktop(std::uint32_t width, std::uint32_t height, std::uint32_t bits = 32) {
    windows_->SetDesktopSize(static_cast<int>(width), static_cast<int>(height));
    display_->Plan().desktop = {width, height, bits, 60};
  }

  RenderSystem_D3D7& Make(bool stencil = false, bool keepWindowSize = false) {
    if (!window_) {
      POINT position{0, 0};
      window_ = std::make_unique<Window>(log_.get(), config_.get(), "Test", nullptr, 0, false, 800, 600,
                                         config_->v_fullscreen != 0, true, &position);
    }
    render_ = std::make_unique<RenderSystem_D3D7>(log_.get(), config_.get(), window_.get(), stencil,
                                                  keepWindowSize);
    return *render_;
  }

  // Texts of the log entries of one level, in order.
  std::vector<std::string> Entries(std::uint32_t type) const {
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < log_->GetRecordCount(); ++i) {
      const LogRecord record = log_->GetRecord(i);
      if (record.type == type) {
        out.push_back(record.text);
      }
    }
    return out;
  }
  bool Logged(std::uint32_t type, const std::string& part) const {
    for (const std::string& text : Entries(type)) {
      if (text.find(part) != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  DWORD RenderState(D3DRENDERSTATETYPE type) const {
    DWORD value = 0;
    render_->GetDevice()->GetRenderState(type, &value);
    return value;
  }
  DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    DWORD value = 0;
    render_->GetDevice()->GetTextureStageState(stage, type, &value);
    return value;
  }

  std::filesystem::path folder_;
  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  int baseline_ = 0;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<RenderSystem_D3D7> render_;
};

}  // namespace CorvantisEngine::testing
