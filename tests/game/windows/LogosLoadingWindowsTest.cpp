// The logos window (zero, one or two publisher pictures, their timing, layers and fades, the answer,
// the textures made for later built while the first logo stands still) and the loading windows (the load
// starts only in the frame after the title has printed, and never before the window is on screen; then the
// answer 1).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "MenuWindowFixture.h"
#include "WindowFiles.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/resources/Model.h"
#include "engine/resources/ShaderManager.h"
#include "game/windows/GUILoadingWindows.h"
#include "game/windows/GUILogosWindow.h"
#include "tools/game/DataKeeper.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle::windowstest {
namespace {

class LogosWindowTest : public MenuWindowFixture {
 protected:
  void WriteLogo(int index) {
    WriteFile("data/ui/textures/publishers/" + std::to_string(index) + "_logo_big.jpg", "not a picture");
  }
  // One 50 ms frame of the logos window alone.
  void Step() {
    platform::headless::StepClockMilliseconds(50);
    engine_->GetTimerManager()->Update();
    logos_->Update();
  }
  // Frames until it answers 1 (at most 400); the number of frames.
  int FramesToAnswer() {
    int frames = 0;
    do {
      Step();
      ++frames;
    } while (logos_->result != 1 && frames < 400);
    return frames;
  }
  static float Alpha(const GUIWindow* logo) { return logo->GetColour().w; }
  CorvantisEngine::TextureManager* Textures() { return engine_->GetShaderManager()->GetTextureManager(); }
  // The keys of the textures still waiting for their first use, oldest first.
  std::vector<std::string> Waiting() {
    std::vector<CorvantisEngine::Texture2D*> textures;
    Textures()->GetTextureNames(textures);
    std::vector<std::string> keys;
    for (const CorvantisEngine::Texture2D* texture : textures) {
      if (texture->IsWaitingForFirstUse()) {
        keys.push_back(texture->GetKey());
      }
    }
    return keys;
  }

  std::unique_ptr<GUILogosWindow> logos_;
};

TEST_F(LogosWindowTest, TwoLogosFadeOneAfterTheOther) {
  WriteLogo(0);
  WriteLogo(1);
  Start();
  logos_ = std::make_unique<GUILogosWindow>(engine_);
  GUIWindow* first = logos_->GetLogo(0);
  GUIWindow* second = logos_->GetLogo(1);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->layer, 101);
  EXPECT_EQ(second->layer, 100);
  EXPECT_LT(first->depth, second->depth) << "the first logo is drawn in front";
  EXPECT_EQ(first->size, (Vector2{800, 600}));
  EXPECT_NE(first->visible, 0) << "both on screen from the start";
  EXPECT_NE(second->visible, 0);

  Step();
  EXPECT_EQ(logos_->result, 0u) << "nothing happens before Show";
  logos_->Show(1);
  // Times after the frames of 50 ms: opaque through 1.5 s, half at 2 s, gone at 2.5 s.
  for (int frame = 1; frame <= 50; ++frame) {
    Step();
    const float t = 0.05f * static_cast<float>(frame);
    if (t <= 1.5f + 1e-4f) {
      EXPECT_FLOAT_EQ(Alpha(first), 1.0f) << t;
      EXPECT_TRUE(first->model->coversView) << "an opaque logo hides what lies behind it, " << t;
    } else {
      EXPECT_FALSE(first->model->coversView) << "a fading logo lets the next show through, " << t;
      if (frame == 40) {
        EXPECT_NEAR(Alpha(first), 0.5f, 3e-3f) << "colours are kept in 8 bits";
      }
    }
    EXPECT_FLOAT_EQ(Alpha(second), 1.0f) << "the second waits at full opacity";
    EXPECT_TRUE(second->model->coversView) << "the waiting logo hides the menu behind it";
    EXPECT_EQ(logos_->result, 0u);
  }
  EXPECT_EQ(first->visible, 0) << "hidden once faded out";
  EXPECT_NE(second->visible, 0);
  int opaqueFrames = 0;
  while (Alpha(second) >= 1.0f && opaqueFrames < 100) {
    EXPECT_TRUE(second->model->coversView);
    Step();
    ++opaqueFrames;
  }
  EXPECT_FALSE(second->model->coversView) << "the last logo fades over the menu";
  const int rest = opaqueFrames + FramesToAnswer();
  EXPECT_EQ(second->visible, 0);
  EXPECT_EQ(rest, 51) << "another 2.5 s, then the answer in the next update";

  logos_->Hide();
  EXPECT_EQ(logos_->GetLogo(0), nullptr);
  EXPECT_EQ(logos_->GetLogo(1), nullptr);
}

TEST_F(LogosWindowTest, TexturesMadeForLaterAreBuiltOneAFrameWhileTheFirstLogoStandsStill) {
  WriteLogo(0);
  WriteLogo(1);
  WriteFile("data/ui/sheet.bmp", "not a picture either");
  Start();
  {
    // As start-up makes its fonts.
    const CorvantisEngine::TextureManager::SurfacesOnFirstUse later;
    Textures()->LoadTexture(false, "data\\ui\\sheet.bmp", "");
  }
  logos_ = std::make_unique<GUILogosWindow>(engine_);
  const std::vector<std::string> waiting = Waiting();
  ASSERT_EQ(waiting.size(), 2u) << "the sheet and the second logo; the first is drawn at once";
  EXPECT_NE(waiting[1].find("1_logo_big"), std::string::npos) << waiting[1];
  logos_->Show(1);
  Step();
  EXPECT_EQ(Waiting(), waiting) << "the first frame builds none";
  Step();
  EXPECT_EQ(Waiting(), std::vector<std::string>{waiting[1]}) << "the oldest first";
  Step();
  EXPECT_TRUE(Waiting().empty());

  // Made while the first logo fades, a texture waits for its draw.
  for (int frame = 0; frame < 30; ++frame) {
    Step();
  }
  ASSERT_LT(Alpha(logos_->GetLogo(0)), 1.0f);
  {
    const CorvantisEngine::TextureManager::SurfacesOnFirstUse later;
    Textures()->LoadTexture(true, "data\\ui\\sheet.bmp", "");
  }
  Step();
  Step();
  EXPECT_EQ(Waiting().size(), 1u);
}

TEST_F(LogosWindowTest, OneOrNoLogo) {
  struct Row {
    bool first;
    bool second;
    int frames;  // to the answer
  };
  for (const Row row : {Row{false, true, 51}, Row{true, false, 51}, Row{false, false, 1}}) {
    SCOPED_TRACE(std::to_string(row.first) + std::to_string(row.second));
    Reset();
    if (row.first) {
      WriteLogo(0);
    }
    if (row.second) {
      WriteLogo(1);
    }
    Start();
    logos_ = std::make_unique<GUILogosWindow>(engine_);
    EXPECT_EQ(logos_->GetLogo(0) != nullptr, row.first || row.second) << "a single logo is always the first";
    EXPECT_EQ(logos_->GetLogo(1), nullptr);
    logos_->Show(1);
    EXPECT_EQ(FramesToAnswer(), row.frames);
    logos_.reset();
  }
}

// A keeper whose load notes the thread it ran on and when.
class RecordingKeeper : public GameTools::DataKeeper {
 public:
  explicit RecordingKeeper(Engine* engine) : DataKeeper(engine, "en", false) {}
  ~RecordingKeeper() override { StopLoad(); }

  std::atomic<int> loads{0};
  std::thread::id thread;

 protected:
  void LoadPending() override {
    DataKeeper::LoadPending();
    thread = std::this_thread::get_id();
    ++loads;
  }
};

class LoadingWindowTest : public MenuWindowFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    // A title of 7 characters printed at 4 per second.
    WriteWindow("game_loading.xml",
                "<window name=\"window_game_loading\"><text_label name=\"title\" font=\"fixed\""
                " text=\"'Loading'\" printing_mode=\"1\" printing_speed=\"4\"/></window>\n");
    WriteWindow("logic_loading.xml", Window("window_game_logic_loading", ""));
    Start();
    keeper_ = std::make_unique<RecordingKeeper>(engine_);
  }
  void TearDown() override { keeper_.reset(); }

  std::unique_ptr<RecordingKeeper> keeper_;
};

TEST_F(LoadingWindowTest, WithoutTitleTheLoadRunsInTheSecondFrameOnScreen) {
  GUIGameLogicLoadingWindow* window = Make<GUIGameLogicLoadingWindow>(
      engine_, audio_.get(), data_.get(), tools_.get(), manager_.get(), container_);
  manager_->Acquire(nullptr);
  window->ShowWithTask(21, keeper_.get());
  EXPECT_EQ(window->openerId, 21u);
  for (int i = 0; i < 5; ++i) {
    Frame();
  }
  EXPECT_EQ(keeper_->loads.load(), 0) << "not while waiting for the lock";
  manager_->Release();
  Frame();  // appears
  Frame();  // first frame on screen: ready
  EXPECT_EQ(keeper_->loads.load(), 0);
  EXPECT_EQ(window->result, 0u);
  Frame();
  EXPECT_EQ(keeper_->loads.load(), 1);
  EXPECT_NE(keeper_->thread, std::this_thread::get_id()) << "loaded on the worker";
  EXPECT_EQ(window->result, 1u);

  window->Hide();
  EXPECT_EQ(window->task, nullptr);
  Frame();
  EXPECT_EQ(keeper_->loads.load(), 1) << "hidden: loaded once";
}

TEST_F(LoadingWindowTest, TheLoadWaitsForTheTitleToPrint) {
  GUIGameLoadingWindow* window = Make<GUIGameLoadingWindow>(engine_, audio_.get(), data_.get(), tools_.get(),
                                                            manager_.get(), container_);
  window->ShowWithTask(2, keeper_.get());
  GUITools::GUITextControl* title = window->GetTextControl("window_game_loading/title");
  int frames = 0;
  bool printedBefore = false;
  while (keeper_->loads.load() == 0 && frames < 100) {
    printedBefore = title->printingDone && title->IsVisible();
    Frame();
    ++frames;
    if (keeper_->loads.load() == 0) {
      EXPECT_EQ(window->result, 0u);
    }
  }
  EXPECT_TRUE(printedBefore) << "the title had printed by the frame before the load";
  EXPECT_GE(frames, 30) << "7 characters at 4 per second take 1.75 s";
  EXPECT_EQ(window->result, 1u);
}

}  // namespace
}  // namespace Puzzle::windowstest
