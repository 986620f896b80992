// CPU cost of one GUI frame: 200 widgets (windows, buttons, check boxes, edit boxes, sliders, scrolls)
// and 5,000 glyphs of text in 50 windows. BM_GUIFrame times GUIManager::Update and Render (hover tests,
// model placement, text queues, glyph batching, flush); BM_GUIFrameDrawn times the engine's whole frame
// around them, which also submits every model to the device. Runs on the headless back end: no display.
// The headless device records every call it gets; the recording is emptied after every frame, outside
// the timing, so that it neither grows through the run nor counts in the figure.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/gui/GUIFont.h"
#include "engine/gui/GUIFontManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUISlider.h"
#include "engine/gui/GUIWindow.h"
#include "platform/headless/HeadlessDisplay.h"

namespace {

using namespace CorvantisEngine;

constexpr std::uint32_t kFont = 1;
constexpr int kTextWindows = 50;
constexpr int kGlyphsPerWindow = 100;

// A font file with every printable ASCII code, each glyph half as wide as it is high.
std::vector<std::uint8_t> FontFile() {
  std::vector<std::uint8_t> out(17, 0);
  std::memcpy(out.data() + 4, "QXFNT", 5);
  const std::uint32_t version = 201;
  const std::uint32_t count = 95;
  std::memcpy(out.data() + 9, &version, 4);
  std::memcpy(out.data() + 13, &count, 4);
  for (std::uint16_t code = 32; code < 127; ++code) {
    const float values[5] = {(code % 16) / 16.0f, (code / 16) / 8.0f, 1 / 16.0f, 1 / 8.0f, 0.5f};
    out.push_back(static_cast<std::uint8_t>(code));
    out.push_back(0);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(values);
    out.insert(out.end(), bytes, bytes + sizeof(values));
  }
  const auto total = static_cast<std::uint32_t>(out.size());
  std::memcpy(out.data(), &total, 4);
  return out;
}

class GUIScene {
 public:
  GUIScene() {
    folder_ = std::filesystem::temp_directory_path() / ("bench-gui-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_ / "data" / "fonts");
    const auto font = FontFile();
    std::ofstream(folder_ / "data" / "fonts" / "bench.fnt", std::ios::binary)
        .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
    EngineStartParameters p;
    p.name = p.applicationName = p.logName = "GUI bench";
    p.version = 100;
    p.logFolder = p.configFolder = folder_.string();
    p.dataFolder = (folder_ / "data").string();
    p.defaultVideoMode = "800x600x32";
    display_ = platform::headless::InstallHeadlessDisplay();
    engine_ = std::make_unique<Engine>(p);
    gui_ = engine_->GetGUIManager();
    gui_->SetScreenSize(800, 600);
    gui_->GetFontManager()->CreateFont(kFont, nullptr, "fonts\\bench.fnt")->size = 8.0f;

    GUIWindow* panel =
        gui_->CreateWindow(kGUIShown | kGUILayer3, {0, 0}, {800, 600}, nullptr, nullptr, {1, 1});
    for (int i = 0; i < kTextWindows; ++i) {
      const Vector2 at{static_cast<float>(i % 5) * 160.0f, static_cast<float>(i / 5) * 60.0f};
      textWindows_.push_back(gui_->CreateWindow(kGUIShown, at, {150, 20}, nullptr, panel, {1, 1}));
    }
    for (int i = 0; i < 60; ++i) {
      gui_->CreateButton(kGUIShown, {static_cast<float>(i * 13 % 780), static_cast<float>(i * 7 % 580)},
                         {40, 20}, nullptr, panel, {1, 1});
    }
    for (int i = 0; i < 40; ++i) {
      gui_->CreateCheckBox(kGUIShown, {static_cast<float>(i * 19 % 780), 300}, {16, 16}, nullptr, panel,
                           {1, 1});
    }
    for (int i = 0; i < 19; ++i) {
      gui_->CreateEditBox(kGUIShown, {10, static_cast<float>(i * 30)}, {200, 20}, nullptr, kFont,
                          Vector4(1, 1, 1, 1), {2, 2}, 32, 400, 180, '_', panel, {1, 1})
          ->SetText(L"Player " + std::to_wstring(i));
    }
    for (int i = 0; i < 15; ++i) {
      GUISlider* slider = gui_->CreateSlider(kGUIShown, {500, static_cast<float>(i * 35)}, {200, 20}, nullptr,
                                             false, {0, 0}, {180, 0}, 11, panel, {1, 1});
      slider->CreateThumb({20, 20}, nullptr, {1, 1});
    }
    for (int i = 0; i < 15; ++i) {
      GUIScroll* scroll = gui_->CreateScroll(kGUIShown, {760, static_cast<float>(i * 38)}, {20, 36}, nullptr,
                                             true, {0, 8}, {0, 20}, 50, panel, {1, 1});
      scroll->CreateThumb({20, 8}, nullptr, {1, 1});
      scroll->CreateIncreaseButton({0, 28}, {20, 8}, nullptr, {1, 1});
      scroll->CreateDecreaseButton({0, 0}, {20, 8}, nullptr, {1, 1});
    }
    text_ = std::wstring(kGlyphsPerWindow, L'x');
    for (int i = 0; i < kGlyphsPerWindow; ++i) {
      text_[i] = static_cast<wchar_t>(L'A' + i % 26);
    }
  }
  ~GUIScene() {
    engine_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void QueueTexts() {
    for (GUIWindow* window : textWindows_) {
      window->PrintText(0, kFont, {2, 2}, Vector4(1, 1, 1, 1), text_, 0.0f, -1.0f);
    }
  }
  void GUIFrame() {
    QueueTexts();
    gui_->Update();
    gui_->Render();
  }
  void EngineFrame() {
    engine_->Tick();
    QueueTexts();
    engine_->Update(0);
  }
  void ClearRecording() { display_->ClearCalls(); }
  std::size_t WidgetCount() const {
    return gui_->windows.count + gui_->buttons.count + gui_->checkBoxes.count + gui_->editBoxes.count +
           gui_->sliders.count + gui_->scrolls.count;
  }

 private:
  std::filesystem::path folder_;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  std::unique_ptr<Engine> engine_;
  GUIManager* gui_ = nullptr;
  std::vector<GUIWindow*> textWindows_;
  std::wstring text_;
};

void BM_GUIFrame(benchmark::State& state) {
  GUIScene scene;
  for (auto _ : state) {
    scene.GUIFrame();
    state.PauseTiming();
    scene.ClearRecording();
    state.ResumeTiming();
  }
  state.counters["widgets"] = static_cast<double>(scene.WidgetCount());
  state.counters["glyphs"] = kTextWindows * kGlyphsPerWindow;
}
BENCHMARK(BM_GUIFrame)->Unit(benchmark::kMicrosecond);

void BM_GUIFrameDrawn(benchmark::State& state) {
  GUIScene scene;
  for (auto _ : state) {
    scene.EngineFrame();
    state.PauseTiming();
    scene.ClearRecording();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_GUIFrameDrawn)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
