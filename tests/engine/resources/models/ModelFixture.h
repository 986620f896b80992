#pragma once
// The fixture of the model, sprite and particle tests: the services a model needs over a temporary data
// folder, drawing through the recording render system of tests/support.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Texture2D.h"
#include "engine/render/VertexBuffer_D3D7.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/SpriteGroup.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogProbe.h"
#include "tests/support/RecordingRenderSystem.h"

namespace CorvantisEngine::modeltest {

using testsupport::CountingVertexBuffer;
using testsupport::RecordingRenderSystem;
using testsupport::TestCamera;

class ModelFixture : public testsupport::HeadlessTest {
 protected:
  ModelFixture() {
    std::filesystem::create_directories(folder_.Host("data"));
    files_ = std::make_unique<FileManager>(&log_, folder_.Root().string(), "");
    render_ = std::make_unique<RecordingRenderSystem>(&log_);
    cameras_ = std::make_unique<CameraManager>(&log_, nullptr, render_.get());
    lights_ = std::make_unique<LightManager>(&log_, render_.get());
    shaders_ = std::make_unique<ShaderManager>(&log_, files_.get(), &timers_, nullptr, render_.get());
    models_ = std::make_unique<ModelManager>(&log_, files_.get(), &timers_, render_.get(), cameras_.get(),
                                             lights_.get(), shaders_.get());
    sprites_ = std::make_unique<SpriteGroupManager>(&log_, cameras_.get(), shaders_.get(), models_.get());
    particles_ = std::make_unique<ParticleSystemManager>(&log_, files_.get(), &timers_, shaders_.get(),
                                                         sprites_.get());
    cameras_->Update();
    timers_.delta = 0.01f;
    log_.ClearRecords();
  }
  ~ModelFixture() override {
    particles_.reset();
    sprites_.reset();
    models_.reset();
    shaders_.reset();
    lights_.reset();
    cameras_.reset();
    render_.reset();
    files_.reset();
  }

  void WriteData(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    std::string host = relative;
    std::replace(host.begin(), host.end(), '\\', '/');
    const std::filesystem::path path = folder_.Host("data/" + host);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  int CountLogged(std::uint32_t type, const std::string& part) const {
    return testsupport::LogProbe(log_).Count(type, part);
  }

  Camera* DefaultCamera() const { return cameras_->GetDefaultCamera(); }

  testsupport::TempFolder folder_;
  MessageManager log_{"test", 0, 0, "", ""};
  TimerManager timers_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<RecordingRenderSystem> render_;
  std::unique_ptr<CameraManager> cameras_;
  std::unique_ptr<LightManager> lights_;
  std::unique_ptr<ShaderManager> shaders_;
  std::unique_ptr<ModelManager> models_;
  std::unique_ptr<SpriteGroupManager> sprites_;
  std::unique_ptr<ParticleSystemManager> particles_;
};

}  // namespace CorvantisEngine::modeltest
