// One frame of the scene on the headless device: 2,000 registered box models (half of them behind the
// camera and culled) and a looping particle system of 1,000 particles. Reported per frame: the particle
// and sprite update (update_us), and the model manager's pass (render_us: every model's update with
// culling and depth, the sort of both draw lists and the draws through the headless device). The
// headless device records every call it gets, which a real device does not: the time spent inside the
// device (device_us) is measured apart, and engine_us is the pass without it, the engine's own cost.
// model_update_us is the models' update alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/TimerManager.h"
#include "engine/files/FileManager.h"
#include "engine/render/CameraManager.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/SpriteGroup.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessDisplay.h"

namespace {

using namespace CorvantisEngine;
using Clock = std::chrono::steady_clock;
using platform::ddraw::DisplayMode;
using platform::ddraw::DisplayStep;

// The headless device with a stopwatch around the calls that draw and record: the time they take is
// the device's, not the engine's.
class TimedDisplay final : public platform::ddraw::DisplayDriver {
 public:
  explicit TimedDisplay(std::shared_ptr<platform::headless::HeadlessDisplay> inner)
      : inner_(std::move(inner)) {}

  double seconds = 0.0;

  DisplayMode GetDesktopMode() override { return inner_->GetDesktopMode(); }
  std::vector<DisplayMode> GetReportedModes() override { return inner_->GetReportedModes(); }
  HRESULT CheckStep(DisplayStep step, const GUID* deviceId) override {
    return inner_->CheckStep(step, deviceId);
  }
  HRESULT TestCooperativeLevel(HWND window, bool exclusive) override {
    return inner_->TestCooperativeLevel(window, exclusive);
  }
  std::vector<DDPIXELFORMAT> GetDepthFormats() override { return inner_->GetDepthFormats(); }
  HRESULT CheckLock(const platform::ddraw::Surface& surface) override { return inner_->CheckLock(surface); }
  HRESULT SetWindow(HWND window, bool fullScreen) override { return inner_->SetWindow(window, fullScreen); }
  HRESULT SetDisplayMode(const DisplayMode& mode) override { return inner_->SetDisplayMode(mode); }
  void RestoreDisplayMode() override { inner_->RestoreDisplayMode(); }
  HRESULT OpenDevice(platform::ddraw::Surface& renderTarget) override {
    return inner_->OpenDevice(renderTarget);
  }
  void CloseDevice() override { inner_->CloseDevice(); }
  HRESULT Clear(const platform::ddraw::DeviceState& state, DWORD flags, D3DCOLOR colour, float depth,
                DWORD stencil) override {
    const auto start = Clock::now();
    const HRESULT result = inner_->Clear(state, flags, colour, depth, stencil);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return result;
  }
  HRESULT Draw(platform::ddraw::DeviceState& state, const platform::ddraw::DrawCall& call) override {
    const auto start = Clock::now();
    const HRESULT result = inner_->Draw(state, call);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return result;
  }
  HRESULT Present(platform::ddraw::Surface& backBuffer, const RECT* destination, bool vsync) override {
    return inner_->Present(backBuffer, destination, vsync);
  }
  void ReadBack(platform::ddraw::Surface& renderTarget) override { inner_->ReadBack(renderTarget); }
  void ReleaseSurface(platform::ddraw::Surface& surface) override { inner_->ReleaseSurface(surface); }
  void RecordCall(const char* name, DWORD a, DWORD b, DWORD c) override {
    const auto start = Clock::now();
    inner_->RecordCall(name, a, b, c);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }

 private:
  std::shared_ptr<platform::headless::HeadlessDisplay> inner_;
};

void BM_ModelManagerFrame(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bench_model_frame_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  {
    auto display = std::make_shared<platform::headless::HeadlessDisplay>();
    auto timed = std::make_shared<TimedDisplay>(display);
    platform::ddraw::InstallDisplayDriver(timed);
    MessageManager log("bench", 0, 0, "", "");
    FileManager files(&log, folder.string(), "");
    TimerManager timers;
    Config config(&log, &files, folder.string(), "bench", false, "800x600x32", false, false);
    config.v_mode = "800x600x32";
    POINT position{0, 0};
    Window window(&log, &config, "bench", nullptr, 0, false, 800, 600, false, true, &position);
    RenderSystem_D3D7 render(&log, &config, &window, false, false);
    CameraManager cameras(&log, &window, &render);
    LightManager lights(&log, &render);
    ShaderManager shaders(&log, &files, &timers, &config, &render);
    ModelManager models(&log, &files, &timers, &render, &cameras, &lights, &shaders);
    SpriteGroupManager sprites(&log, &cameras, &shaders, &models);
    ParticleSystemManager particles(&log, &files, &timers, &shaders, &sprites);

    std::unique_ptr<Model> box(
        models.NewBoxModel(Vector3(-0.5f, -0.5f, -0.5f), Vector3(0.5f, 0.5f, 0.5f), nullptr, nullptr, 0));
    for (int i = 0; i < 2000; ++i) {
      Model* model = models.CloneModel(*box, nullptr, i % 3 == 0 ? kModelListB : 0);
      // Even models in front of the camera (z < 0), odd ones behind it.
      const float z = (i % 2 == 0 ? -1.0f : 1.0f) * (5.0f + static_cast<float>(i % 97));
      model->world.Translation(
          Vector3(static_cast<float>(i % 7) - 3.0f, static_cast<float>(i % 5) - 2.0f, z));
      model->box.SetMatrix(model->world);
    }
    std::unique_ptr<ParticleSystem> prototype(particles.NewParticleSystem(nullptr));
    for (float& key : prototype->parameters.emissionKeys) {
      key = 2000.0f;
    }
    prototype->parameters.floorOn = false;
    prototype->parameters.gravityOn = false;
    // A prototype of 1,000 particles (as a file asking for them would make it).
    sprites.DestroySpriteGroup(prototype->spriteGroup);
    prototype->spriteGroup = sprites.CreateSpriteGroup(1000, nullptr, nullptr);
    prototype->maxParticles = 1000;
    ParticleSystem* effect = particles.CreateParticleSystem(*prototype);
    effect->SetPosition(Vector3(0, 0, -20));
    effect->emitting = true;
    effect->looping = true;

    timers.delta = 1.0f / 60.0f;
    // Warm up until the particle system is full.
    for (int i = 0; i < 120; ++i) {
      cameras.Update();
      particles.Update();
      sprites.Update();
      models.Render();
      display->ClearCalls();
    }

    double updateSeconds = 0.0;
    double renderSeconds = 0.0;
    double deviceSeconds = 0.0;
    double modelUpdateSeconds = 0.0;
    for (auto _ : state) {
      cameras.Update();
      const auto t0 = Clock::now();
      particles.Update();
      sprites.Update();
      const auto t1 = Clock::now();
      timed->seconds = 0.0;
      models.Render();
      const auto t2 = Clock::now();
      updateSeconds += std::chrono::duration<double>(t1 - t0).count();
      renderSeconds += std::chrono::duration<double>(t2 - t1).count();
      deviceSeconds += timed->seconds;
      state.PauseTiming();
      display->ClearCalls();
      // The models' own share of the pass (animation, bounds, culling, depth), without the device.
      const auto m0 = Clock::now();
      for (Model* model : models.GetModels().objects) {
        if (model != nullptr) {
          model->Update(true);
        }
      }
      modelUpdateSeconds += std::chrono::duration<double>(Clock::now() - m0).count();
      state.ResumeTiming();
    }
    state.counters["update_us"] = benchmark::Counter(updateSeconds * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["render_us"] = benchmark::Counter(renderSeconds * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["device_us"] = benchmark::Counter(deviceSeconds * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["engine_us"] =
        benchmark::Counter((renderSeconds - deviceSeconds) * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["model_update_us"] =
        benchmark::Counter(modelUpdateSeconds * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["drawn_models"] = models.drawnModelCount;
    state.counters["live_particles"] = effect->liveCount;
  }
  platform::headless::InstallHeadlessDisplay();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ModelManagerFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
