// The game's cursor over a headless engine: its three kinds, the custom cursor taken from the setting,
// and the trail and click effects (before they exist, while hidden, with the trail switched off, on
// quick clicks) and what the destructor gives back.
#include <gtest/gtest.h>

#include <memory>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderUser.h"
#include "game/GameData.h"
#include "game/windows/GUIGameCursor.h"
#include "platform/headless/HeadlessInput.h"
#include "tests/support/EngineRig.h"

namespace Puzzle {
namespace {

using CorvantisEngine::ParticleSystem;
using CorvantisEngine::Vector2;

class GameCursorTest : public testing::Test {
 protected:
  GameCursorTest()
      : engine_(&rig_.Start()),
        gui_(engine_->GetGUIManager()),
        controls_(engine_->GetControls()),
        particles_(engine_->GetParticleSystemManager()) {
    gameData_ = std::make_unique<GameData>(engine_, "en");
    gameData_->Load();
    gameData_->WaitForLoad();
    cursor_ = std::make_unique<GUIGameCursor>(engine_);
  }
  ~GameCursorTest() override { cursor_.reset(); }

  void AddPrototypes(bool trail, bool click) {
    if (trail) {
      gameData_->AddParticleSystem("ui/cursor_train", particles_->NewParticleSystem(nullptr));
    }
    if (click) {
      gameData_->AddParticleSystem("ui/cursor_click", particles_->NewParticleSystem(nullptr));
    }
  }
  // One frame of the cursor with the pointer at `at` (GUI units), optionally with a left click.
  void Frame(const Vector2& at, bool click) {
    gui_->GetDefaultCursor()->position = at;
    if (click) {
      platform::headless::PushMouseButton(0, true);
    }
    controls_->Update();
    cursor_->Update();
    if (click) {
      platform::headless::PushMouseButton(0, false);
    }
    controls_->EndFrame();
    controls_->Update();
  }
  CorvantisEngine::GUICursor* Element(std::uint32_t id) { return cursor_->cursors.at(id).element; }
  // The diffuse picture a kind's GUI cursor is drawn with.
  std::string PictureOf(std::uint32_t id) {
    const CorvantisEngine::ShaderUser* shader = Element(id)->model->shader;
    return shader != nullptr && shader->GetStageCount() > 0 ? shader->GetStage(0).diffuseName : "";
  }
  void UseCustomCursor() { engine_->GetConfig()->ExecuteLine("ui_custom_cursor 1", nullptr); }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_;
  CorvantisEngine::GUIManager* gui_;
  CorvantisEngine::Controls* controls_;
  CorvantisEngine::ParticleSystemManager* particles_;
  std::unique_ptr<GameData> gameData_;
  std::unique_ptr<GUIGameCursor> cursor_;
};

TEST_F(GameCursorTest, FilesThreeKindsAndStartsOnTheNormalOne) {
  ASSERT_EQ(cursor_->cursors.size(), 3u);
  for (std::uint32_t id : {GUIGameCursor::kNormal, GUIGameCursor::kTip, GUIGameCursor::kMagnet}) {
    SCOPED_TRACE(id);
    EXPECT_NE(cursor_->cursors.at(id).handle, nullptr);
    ASSERT_NE(Element(id), nullptr);
    EXPECT_NE(Element(id)->model, nullptr) << "each kind has its own textured quad";
    EXPECT_EQ(Element(id)->visible, 0);
  }
  // Each kind has its own Windows cursor from the program's resources.
  EXPECT_NE(cursor_->cursors.at(0).handle, cursor_->cursors.at(1).handle);
  EXPECT_NE(cursor_->cursors.at(1).handle, cursor_->cursors.at(2).handle);
  // Each kind has its own picture.
  EXPECT_EQ(PictureOf(GUIGameCursor::kNormal), "ui\\cursors\\cursor.jpg");
  EXPECT_EQ(PictureOf(GUIGameCursor::kTip), "ui\\cursors\\cursor_tip.jpg");
  EXPECT_EQ(PictureOf(GUIGameCursor::kMagnet), "ui\\cursors\\cursor_magnet.jpg");
  // The tip and magnet pictures hang from the pointer by their hot spot, 10 of 64 pixels in.
  for (std::uint32_t id : {GUIGameCursor::kTip, GUIGameCursor::kMagnet}) {
    Element(id)->position = {100.0f, 200.0f};
    Element(id)->Render();
    const CorvantisEngine::Vector3 corner = Element(id)->model->world.TransformPoint({0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(corner.x, 100.0f - 6.25f, 1e-4f);
    EXPECT_NEAR(corner.y, 200.0f + 6.25f, 1e-4f);
  }
  // The game starts on the system cursor.
  EXPECT_EQ(cursor_->customCursorSetting, 0);
  EXPECT_EQ(cursor_->customCursorInUse, 0);
  EXPECT_EQ(cursor_->currentId, GUIGameCursor::kNormal);
  EXPECT_TRUE(cursor_->IsTrailEnabled());
  EXPECT_EQ(cursor_->GetTrail(), nullptr);
  EXPECT_EQ(cursor_->GetClickEffect(), nullptr);
}

// The cursor starts on the system cursor with the setting cleared; the first Update after the cursor is
// shown takes the setting over.
TEST_F(GameCursorTest, TheCustomCursorFollowsTheSetting) {
  struct Case {
    const char* line;
    bool custom;
  };
  for (const Case& c :
       {Case{nullptr, false}, Case{"ui_custom_cursor 0", false}, Case{"ui_custom_cursor 1", true}}) {
    SCOPED_TRACE(c.line != nullptr ? c.line : "default");
    cursor_.reset();
    cursor_ = std::make_unique<GUIGameCursor>(engine_);
    if (c.line != nullptr) {
      engine_->GetConfig()->ExecuteLine(c.line, nullptr);
    }
    EXPECT_EQ(cursor_->customCursorSetting, c.custom ? 1 : 0);
    EXPECT_EQ(cursor_->customCursorInUse, 0);

    cursor_->SetVisible(true);
    EXPECT_TRUE(controls_->IsCursorVisible()) << "shown first as the system cursor";
    Frame({100.0f, 100.0f}, false);
    EXPECT_EQ(cursor_->customCursorInUse, c.custom ? 1 : 0);
    EXPECT_EQ(Element(0)->visible, c.custom ? 1 : 0);
    EXPECT_EQ(controls_->IsCursorVisible(), !c.custom);
    EXPECT_TRUE(cursor_->IsVisible());
  }
}

TEST_F(GameCursorTest, KindsSwitchTheShownCursorAndTheSameKindChangesNothing) {
  UseCustomCursor();
  cursor_->SetVisible(true);
  Frame({0.0f, 0.0f}, false);
  ASSERT_EQ(Element(0)->visible, 1);

  cursor_->ApplySystemCursor(GUIGameCursor::kTip);
  EXPECT_EQ(Element(0)->visible, 0);
  EXPECT_EQ(Element(1)->visible, 1);
  cursor_->ApplySystemCursor(GUIGameCursor::kTip);
  EXPECT_EQ(Element(1)->visible, 1);
  EXPECT_EQ(cursor_->current, &cursor_->cursors.at(1));

  cursor_->ApplySystemCursor(GUIGameCursor::kMagnet);
  EXPECT_EQ(Element(1)->visible, 0);
  EXPECT_EQ(Element(2)->visible, 1);
  cursor_->ApplySystemCursor(GUIGameCursor::kNormal);
  EXPECT_EQ(Element(2)->visible, 0);
  EXPECT_EQ(Element(0)->visible, 1);
}

TEST_F(GameCursorTest, WithoutEffectsEveryEffectStepIsSkipped) {
  cursor_->SetVisible(true);
  Frame({10.0f, 20.0f}, true);
  cursor_->SetTrailEnabled(false);
  cursor_->SetVisible(false);
  cursor_->SetTrailEnabled(true);
  cursor_->SetVisible(true);
  Frame({30.0f, 40.0f}, true);
  EXPECT_TRUE(cursor_->IsVisible());
  EXPECT_EQ(particles_->GetSystemCount(), 0u);

  // Prototypes the data lacks leave their effects out, with a warning each.
  cursor_->CreateEffects(gameData_.get());
  EXPECT_EQ(cursor_->GetTrail(), nullptr);
  EXPECT_EQ(cursor_->GetClickEffect(), nullptr);
  EXPECT_EQ(rig_.CountLogged("ui/cursor_train"), 1);
  EXPECT_EQ(rig_.CountLogged("ui/cursor_click"), 1);
  Frame({30.0f, 40.0f}, true);
}

TEST_F(GameCursorTest, EffectsAreGUIParticlesInFrontOfTheWindows) {
  AddPrototypes(true, true);
  cursor_->SetVisible(true);
  cursor_->CreateEffects(gameData_.get());
  ASSERT_NE(cursor_->GetTrail(), nullptr);
  ASSERT_NE(cursor_->GetClickEffect(), nullptr);
  EXPECT_EQ(particles_->GetSystemCount(), 2u);
  for (ParticleSystem* effect : {cursor_->GetTrail(), cursor_->GetClickEffect()}) {
    ASSERT_NE(effect->GetModel(), nullptr);
    EXPECT_EQ(effect->GetModel()->camera, gui_->GetCamera());
    EXPECT_NE(effect->GetModel()->flags & CorvantisEngine::kModelKeepDepth, 0u);
    EXPECT_FLOAT_EQ(effect->GetModel()->depth, GUIGameCursor::kEffectDepth);
    EXPECT_TRUE(effect->IsVisible());
  }
  EXPECT_TRUE(cursor_->GetTrail()->looping);
  EXPECT_TRUE(cursor_->GetTrail()->emitting);
  EXPECT_FALSE(cursor_->GetClickEffect()->looping);
  EXPECT_FALSE(cursor_->GetClickEffect()->emitting) << "a burst waits for a click";

  // Made a second time, nothing is cloned again.
  cursor_->CreateEffects(gameData_.get());
  EXPECT_EQ(particles_->GetSystemCount(), 2u);

  cursor_.reset();
  EXPECT_EQ(particles_->GetSystemCount(), 0u);
}

TEST_F(GameCursorTest, TheTrailFollowsThePointerAndEmitsOnlyWhileShownAndEnabled) {
  AddPrototypes(true, true);
  cursor_->CreateEffects(gameData_.get());
  ParticleSystem* trail = cursor_->GetTrail();
  EXPECT_FALSE(trail->emitting) << "the cursor is hidden until the game shows it";

  cursor_->SetVisible(true);
  EXPECT_TRUE(trail->emitting);
  Frame({200.0f, 300.0f}, false);
  EXPECT_FLOAT_EQ(trail->position.x, 212.0f);
  EXPECT_FLOAT_EQ(trail->position.y, 282.0f);
  EXPECT_FLOAT_EQ(trail->position.z, 0.0f);
  EXPECT_TRUE(trail->emitting) << "the base's Update re-shows the cursor";

  cursor_->SetVisible(false);
  EXPECT_FALSE(trail->emitting) << "hiding stops the trail at once";
  cursor_->SetTrailEnabled(false);
  cursor_->SetVisible(true);
  EXPECT_FALSE(trail->emitting) << "shown with the trail disabled it stays stopped";
  Frame({400.0f, 100.0f}, false);
  EXPECT_FLOAT_EQ(trail->position.x, 212.0f) << "a disabled trail is not moved";
  EXPECT_FALSE(trail->emitting);

  cursor_->SetVisible(false);
  cursor_->SetTrailEnabled(true);
  EXPECT_FALSE(trail->emitting) << "enabled while hidden it waits for the cursor";
  cursor_->SetVisible(true);
  EXPECT_TRUE(trail->emitting);
}

TEST_F(GameCursorTest, EachClickStartsABurstAtThePointer) {
  AddPrototypes(true, true);
  cursor_->CreateEffects(gameData_.get());
  cursor_->SetVisible(true);
  ParticleSystem* burst = cursor_->GetClickEffect();

  Frame({50.0f, 60.0f}, true);
  EXPECT_TRUE(burst->emitting);
  EXPECT_FLOAT_EQ(burst->position.x, 50.0f);
  EXPECT_FLOAT_EQ(burst->position.y, 60.0f);

  // The burst runs on; a second click soon after restarts it at the new place.
  burst->emitterTime = 0.05f;
  Frame({70.0f, 80.0f}, false);
  EXPECT_FLOAT_EQ(burst->emitterTime, 0.05f);
  EXPECT_FLOAT_EQ(burst->position.x, 50.0f);
  Frame({90.0f, 100.0f}, true);
  EXPECT_FLOAT_EQ(burst->emitterTime, 0.0f);
  EXPECT_FLOAT_EQ(burst->position.x, 90.0f);
  EXPECT_FLOAT_EQ(burst->position.y, 100.0f);

  // While a level is played the trail is off, and clicks start no burst.
  burst->emitting = false;
  cursor_->SetTrailEnabled(false);
  Frame({120.0f, 130.0f}, true);
  EXPECT_FALSE(burst->emitting);
  EXPECT_FLOAT_EQ(burst->position.x, 90.0f);
}

}  // namespace
}  // namespace Puzzle
