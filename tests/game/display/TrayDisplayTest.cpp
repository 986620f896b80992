// The tray's models on the real device: a bonus drawn where the tray puts it, at its scale, and fading
// out when taken; the carriage drawn at its point and turned by its heading.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <numbers>
#include <string>

#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ShaderDescriptor.h"
#include "game/Bonus.h"
#include "game/Carriage.h"
#include "game/GameData.h"
#include "tests/support/PixelProbe.h"

namespace Puzzle {
namespace {

namespace fs = std::filesystem;
using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;
using testsupport::Rgb;

bool Dark(const Rgb& c) {
  return c.r < 30 && c.g < 30 && c.b < 30;
}

class TrayDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("brindlewick_tray_display_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    engine_ =
        std::make_unique<CorvantisEngine::Engine>(testsupport::DisplayParameters(folder_.string(), "Tray"));
    engine_->GetGUIManager()->SetScreenSize(800, 600);
    gameData_ = std::make_unique<GameData>(engine_.get(), "en");
    gameData_->Load();
    gameData_->WaitForLoad();
  }
  void TearDown() override {
    gameData_.reset();
    engine_.reset();
    fs::remove_all(folder_);
  }
  // A flat box between the corners, blended by its colour's alpha, stored under the name.
  void AddBox(const std::string& name, Vector2 low, Vector2 high) {
    CorvantisEngine::ShaderDescriptor blended(CorvantisEngine::ShaderDescriptor::kAlphaBlend);
    blended.SetBlendFactor(0, CorvantisEngine::ShaderDescriptor::kBlendSourceAlpha);
    blended.SetBlendFactor(1, CorvantisEngine::ShaderDescriptor::kBlendInverseSourceAlpha);
    auto* model =
        new CorvantisEngine::Model(engine_->GetModelManager()->GetServices(), Vector3{low.x, low.y, 0},
                                   Vector3{high.x, high.y, 0.5f}, &blended, nullptr, 0);
    gameData_->AddModel(name, model);
  }
  void Draw() {
    for (int frame = 0; frame < 2; ++frame) {
      engine_->Tick();
      engine_->Render();
    }
    image_ = CorvantisEngine::Image();
    engine_->GetRenderSystem()->CopyScreenToImage(&image_);
    ASSERT_GT(image_.GetWidth(), 0u);
  }
  Rgb At(float x, float y) const { return testsupport::GUIPixel(image_, x, y); }

  fs::path folder_;
  std::unique_ptr<CorvantisEngine::Engine> engine_;
  std::unique_ptr<GameData> gameData_;
  CorvantisEngine::Image image_;
};

TEST_F(TrayDisplayTest, BonusesAndTheCarriageDrawWhereTheTrayPutsThem) {
  ASSERT_TRUE(engine_->GetRenderSystem()->IsReady());
  // Off-centre boxes: the models are centred on their origin when made.
  for (const char* name : {"bonuses/magnet", "bonuses/pause", "bonuses/rollback", "bonuses/tip"}) {
    AddBox(name, {100, 100}, {140, 140});
  }
  AddBox("carriage/model", {0, 0}, {60, 20});

  BonusManager bonuses(engine_.get(), gameData_.get(), false, gameData_->GetPieceWindow());
  Bonus* bonus = bonuses.CreateBonus(1.0f);
  bonus->SetVisible(true);
  bonus->position = Vector2{400, 300};
  bonus->scale = 0.5f;
  Carriage carriage(engine_.get(), gameData_.get(), gameData_->GetPieceWindow());
  carriage.SetVisible(true);
  carriage.SetPosition({200, 400});
  carriage.SetRotation(std::numbers::pi_v<float> / 2);
  bonuses.Update(1.0f);
  Draw();

  // The bonus: a 20-unit square round (400, 300).
  EXPECT_FALSE(Dark(At(400, 300)));
  EXPECT_FALSE(Dark(At(407, 293)));
  EXPECT_TRUE(Dark(At(414, 300)));
  EXPECT_TRUE(Dark(At(400, 286)));
  EXPECT_TRUE(Dark(At(120, 120))) << "not at the model's own place";
  // The carriage: 60 x 20 turned upright round (200, 400).
  EXPECT_FALSE(Dark(At(200, 400)));
  EXPECT_FALSE(Dark(At(200, 425)));
  EXPECT_TRUE(Dark(At(225, 400)));

  // Taken and faded out: gone from the screen.
  bonus->Take();
  engine_->GetTimerManager()->delta = 0.5f;
  bonuses.Update(1.0f);
  engine_->GetTimerManager()->delta = 0.49f;
  bonuses.Update(1.0f);
  ASSERT_FALSE(bonuses.GetBonuses().empty());
  Draw();
  const Rgb faded = At(400, 300);
  EXPECT_LT(faded.r + faded.g + faded.b, 40) << faded.r << " " << faded.g << " " << faded.b;
}

}  // namespace
}  // namespace Puzzle
