#pragma once
// A headless RenderSystem_D3D7 (800 x 600 window, fresh window and display drivers) over a log, files and
// configuration in a temporary folder, with helpers to read the device and the log.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/Matrix4.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Window.h"
#include "engine/files/FileManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessWindow.h"

namespace CorvantisEngine::scenetest {

class SceneFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("scene-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
    log_ = std::make_unique<MessageManager>("Test", 0, 0, folder_.string(), "scene");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.string(), "");
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.string(), "test", false,
                                       "800x600x32", false, false);
    config_->v_mode = "800x600x32";
    config_->v_fullscreen = 0;
    POINT position{0, 0};
    window_ = std::make_unique<Window>(log_.get(), config_.get(), "Test", nullptr, 0, false, 800, 600, false,
                                       true, &position);
    render_ = std::make_unique<RenderSystem_D3D7>(log_.get(), config_.get(), window_.get(), false, false);
    ASSERT_NE(render_->GetDevice(), nullptr);
    display_->ClearCalls();
  }

  void TearDown() override {
    render_.reset();
    window_.reset();
    config_.reset();
    files_.reset();
    log_.reset();
    std::filesystem::remove_all(folder_);
  }

  IDirect3DDevice7* Device() const { return render_->GetDevice(); }

  Matrix4 DeviceTransform(D3DTRANSFORMSTATETYPE type) const {
    D3DMATRIX d;
    EXPECT_EQ(Device()->GetTransform(type, &d), D3D_OK);
    Matrix4 m;
    std::memcpy(m.m, &d, sizeof(m.m));
    return m;
  }

  // Log entries of one level that contain the text.
  int CountLogged(std::uint32_t type, const std::string& part) const {
    int count = 0;
    for (std::int32_t i = 0; i < log_->GetRecordCount(); ++i) {
      const LogRecord record = log_->GetRecord(i);
      if (record.type == type && record.text.find(part) != std::string::npos) {
        ++count;
      }
    }
    return count;
  }

  std::filesystem::path folder_;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<RenderSystem_D3D7> render_;
};

}  // namespace CorvantisEngine::scenetest
