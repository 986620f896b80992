// The play logic: the fade while paused, the piece in hand (its scale over the board and off it, the
// magnet's pull and glide, the slot's highlight), whole levels played by a script to completion (normal
// and relax) and to failure, the profile's money credited once, and no placing after the end.
#include <gtest/gtest.h>

#include <cmath>

#include "PlayTestSupport.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/AnimationControl.h"
#include "game/GameLogic.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

class PlayLogicTest : public gametest::PlayTest {
 protected:
  ~PlayLogicTest() override {
    logic_.reset();
    profiles_.reset();
  }
  void Make(bool relax) {
    LoadAll();
    profiles_ = std::make_unique<ProfileManager>(engine_, audio_.get(), rig_.Folder().Win("save"));
    profiles_->SetCurrentProfile(profiles_->AddProfile(L"Anna"), false);
    Current()->SetGameMode(relax ? 1 : 0);
    logic_ = std::make_unique<GameLogic>(engine_, nullptr, profiles_.get(), audio_.get(), gameData_.get(),
                                         level_.get(), nullptr, nullptr, nullptr, 0, "");
  }
  Profile* Current() const { return profiles_->GetCurrent(); }
  void Frame(float dt = 0.02f) {
    Step(dt);
    logic_->Update();
    // The board's closing model animates with the engine's model update.
    CorvantisEngine::Model* closing = Board().GetClosingWindow()->model;
    if (closing != nullptr && closing->animation != nullptr) {
      closing->animation->Update();
    }
    EndFrame();
  }
  void ClickFrame(unsigned button = 0) {
    Press(button);
    Frame();
    Release(button);
    Frame();
  }
  PuzzleDepository& Tray() const { return *logic_->GetDepository(); }
  ::Puzzle::Puzzle& Board() const { return *logic_->GetBoard(); }
  PuzzleElement* InHand() const { return logic_->GetElementManager()->FindHeld(); }
  Vector2 SlotPlace(const PuzzleElement* piece) const {
    return Board().GetSlotContainer()->GetAbsolutePosition() +
           Board().GetSlots()[piece->GetIndex()]->GetPosition();
  }
  // Takes the rearmost piece off the tray; false when there is none.
  bool TakeOne() {
    for (const auto& entry : Tray().GetQueue()) {
      if (entry->piece != nullptr) {
        MoveMouse(entry->piece->GetPosition());
        ClickFrame();
        return InHand() != nullptr;
      }
    }
    return false;
  }
  // Moves the piece in hand onto its slot and clicks there.
  void PlaceHeld() {
    PuzzleElement* held = InHand();
    MoveMouse(SlotPlace(held) - Tray().dragOffset);
    Frame();
    ClickFrame();
  }
  // Plays until every piece is placed.
  void PlayAll() {
    int guard = 0;
    while (!Board().IsComplete() && guard++ < 5000) {
      if (InHand() == nullptr && !TakeOne()) {
        Frame(0.05f);
        continue;
      }
      PlaceHeld();
    }
    ASSERT_TRUE(Board().IsComplete());
  }

  std::unique_ptr<ProfileManager> profiles_;
  std::unique_ptr<GameLogic> logic_;
};

TEST_F(PlayLogicTest, ThePlayFadesOutWhilePausedAndInAfter) {
  Make(false);
  EXPECT_FLOAT_EQ(logic_->GetFade(), 1.0f);
  logic_->SetPaused(true);
  Frame();
  EXPECT_NEAR(logic_->GetFade(), 0.96f, 1e-5f);
  for (int i = 0; i < 30; ++i) {
    Frame();
  }
  EXPECT_FLOAT_EQ(logic_->GetFade(), 0.0f);
  logic_->SetPaused(false);
  Frame();
  EXPECT_NEAR(logic_->GetFade(), 0.026f, 1e-5f);
  EXPECT_TRUE(Board().GetOverlayWindow()->visible || (Board().GetOverlayWindow()->state & 1) != 0)
      << "the board is covered while faded";
}

TEST_F(PlayLogicTest, TheHeldPieceGrowsOverTheBoardAndTheMagnetDrawsItHome) {
  // A path whose first segment runs right to left just above the board, the board on its left side.
  pathPoints_ = {{700, 150}, {100, 150}, {100, 250}, {700, 250}, {700, 350}, {100, 350}};
  Make(false);
  int guard = 0;
  while (Tray().GetQueue().size() < 3 && guard++ < 1000) {
    Frame(0.05f);
  }
  ASSERT_TRUE(TakeOne());
  PuzzleElement* held = InHand();
  const float fit = 40.0f / 30.0f;
  // Far from the path, but off the board: the tray size.
  MoveMouse({600, 20});
  Frame(0.0f);
  EXPECT_NEAR(held->GetScale(), fit, 1e-4f);
  // Over the board: the scale follows the drag distance from 20 to 45.
  const Vector2 slot = SlotPlace(held);
  ASSERT_LT(slot.y, 150.0f);
  for (float distance : {10.0f, 32.5f, 60.0f}) {
    MoveMouse(Vector2{150.0f, 150.0f - distance} - Tray().dragOffset);
    Frame(0.0f);  // the tray measures the distance of the piece's last place
    Frame(0.0f);
    EXPECT_NEAR(Tray().dragDistance, distance, 1e-3f);
    const float t = std::clamp((distance - 20.0f) / 25.0f, 0.0f, 1.0f);
    EXPECT_NEAR(held->GetScale(), (1 - t) * fit + t, 1e-4f) << distance;
  }

  // The magnet: 300 away the pull is 60 units towards the slot.
  held->target = Board().GetSlots()[held->GetIndex()].get();
  MoveMouse(slot + Vector2{300, 0} - Tray().dragOffset);
  Frame(0.02f);
  EXPECT_NEAR(held->GetPosition().x, slot.x + 240.0f, 1e-2f);
  EXPECT_NEAR(held->GetPosition().y, slot.y, 1e-2f);
  EXPECT_FALSE(Board().GetSlots()[held->GetIndex()]->IsHighlighted());
  // Within 200 it glides: each frame a fraction dt x fade / 0.35 of its remaining way.
  MoveMouse(slot + Vector2{150, 0} - Tray().dragOffset);
  Frame(0.02f);
  EXPECT_TRUE(Board().GetSlots()[held->GetIndex()]->IsHighlighted())
      << "highlighted on the first frame within 200";
  float before = held->GetPosition().x - slot.x;
  Frame(0.02f);
  EXPECT_NEAR(held->GetPosition().x - slot.x, before * (1.0f - 0.02f / 0.35f), 1e-2f);
  before = held->GetPosition().x - slot.x;
  MoveMouse(slot + Vector2{0, -120} - Tray().dragOffset);
  Frame(0.02f);
  EXPECT_NEAR(held->GetPosition().x - slot.x, before * (1.0f - 0.02f / 0.35f), 1e-2f)
      << "wherever the cursor goes within 200";
}

TEST_F(PlayLogicTest, AWholeLevelEndsAfterTheCarriageRunAndPaysOnce) {
  Make(false);
  const std::uint32_t money = Current()->money;
  PlayAll();
  EXPECT_EQ(logic_->state, GameFramework::GameLogicBase::kRunning)
      << "the board's closing and the run come first";
  EXPECT_TRUE(logic_->IsTimerPaused()) << "the level clock stops with the last piece";
  const float time = logic_->GetTime();
  int guard = 0;
  while (logic_->state == GameFramework::GameLogicBase::kRunning && guard++ < 5000) {
    Frame(0.05f);
  }
  ASSERT_EQ(logic_->state, GameFramework::GameLogicBase::kFinished);
  EXPECT_TRUE(Tray().IsCarriageFinished());
  EXPECT_TRUE(Board().IsFinished());
  EXPECT_FLOAT_EQ(logic_->GetTime(), time);
  const std::uint32_t earnings = Current()->levelEarnings;
  EXPECT_GE(earnings, 12u * 10u + 60u) << "every placement and every checkpoint";
  EXPECT_EQ(Current()->money, money + earnings);
  for (int i = 0; i < 50; ++i) {
    Frame(0.05f);
  }
  EXPECT_EQ(Current()->money, money + earnings) << "credited once";
  // And saved.
  Profile reread(engine_, Current()->GetFileName(), rig_.Folder().Win("save"), Profile::Existing{});
  EXPECT_EQ(reread.money, money + earnings);
}

TEST_F(PlayLogicTest, ARelaxLevelEndsWithTheBoardAndPaysNothing) {
  Make(true);
  const std::uint32_t money = Current()->money;
  PlayAll();
  int guard = 0;
  while (logic_->state == GameFramework::GameLogicBase::kRunning && guard++ < 5000) {
    Frame(0.05f);
  }
  ASSERT_EQ(logic_->state, GameFramework::GameLogicBase::kFinished);
  EXPECT_FALSE(Tray().IsCarriageRunning());
  EXPECT_FALSE(Tray().IsCarriageFinished()) << "no run in relax mode";
  EXPECT_EQ(Current()->money, money);
}

TEST_F(PlayLogicTest, AnUnattendedTrayLosesTheLevelAndNothingIsPaidOrPlacedAfter) {
  Make(false);
  const std::uint32_t money = Current()->money;
  int guard = 0;
  // One piece in hand, held away from its slot.
  while (Tray().GetQueue().empty() && guard++ < 1000) {
    Frame(0.05f);
  }
  ASSERT_TRUE(TakeOne());
  PuzzleElement* held = InHand();
  MoveMouse({760, 560});
  while (logic_->state == GameFramework::GameLogicBase::kRunning && guard++ < 20000) {
    Frame(0.05f);
  }
  ASSERT_EQ(logic_->state, GameFramework::GameLogicBase::kFailed);
  // A click on the slot after the end (on the game-over window, say) places nothing.
  MoveMouse(SlotPlace(held) - Tray().dragOffset);
  Frame();
  ClickFrame();
  EXPECT_TRUE(held->IsVisible());
  EXPECT_EQ(logic_->state, GameFramework::GameLogicBase::kFailed);
  EXPECT_EQ(Current()->money, money);
}

TEST_F(PlayLogicTest, ARelaxTrayNeverLosesTheLevel) {
  Make(true);
  for (int i = 0; i < 3000; ++i) {
    Frame(0.05f);
  }
  EXPECT_EQ(logic_->state, GameFramework::GameLogicBase::kRunning);
}

}  // namespace
}  // namespace Puzzle
