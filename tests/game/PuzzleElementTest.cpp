// Pieces and slots: layout with the shadow, hit testing, the slot-only marks and their timing, showing
// a slot that flashes, the loose pieces' layers and fade, and the shuffled feeding order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "GameTestSupport.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/ParticleSystem.h"
#include "framework/AudioManager.h"
#include "game/GameData.h"
#include "game/PuzzleElement.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;
using CorvantisEngine::Vector4;

class PuzzleElementTest : public gametest::EngineTest {
 protected:
  PuzzleElementTest() {
    WriteLevel(gametest::Gradient(40, 30), gametest::GridShapes(40, 30, 4, 3), "<puzzle/>");
    Start();
    level_ = LoadLevel();
    gameData_ = std::make_unique<GameData>(engine_, "en");
    audio_ = std::make_unique<GameFramework::AudioManager>(engine_);
    parent_ = engine_->GetGUIManager()->CreateModelWindow(1, {100, 50}, {0, 0}, nullptr, nullptr);
  }
  ~PuzzleElementTest() override {
    audio_.reset();
    engine_->GetGUIManager()->DestroyWindow(parent_);
  }
  std::unique_ptr<PuzzleElement> Make(std::uint32_t index, bool loose) {
    return std::make_unique<PuzzleElement>(engine_, audio_.get(), gameData_.get(), level_.get(), index, loose,
                                           parent_);
  }
  void SetDelta(float dt) { engine_->GetTimerManager()->delta = dt; }

  std::unique_ptr<GameLogicData> level_;
  std::unique_ptr<GameData> gameData_;
  std::unique_ptr<GameFramework::AudioManager> audio_;
  CorvantisEngine::GUIWindow* parent_ = nullptr;
};

TEST_F(PuzzleElementTest, TheShadowFollowsTheSpriteByScale) {
  auto piece = Make(0, true);
  piece->SetPosition({200, 100});
  struct Row {
    float scale, offset;
  };
  for (const Row row : {Row{0.3f, 1.8f}, Row{0.5f, 3.0f}, Row{1.0f, 3.0f}}) {
    SCOPED_TRACE(row.scale);
    piece->SetScale(row.scale);
    EXPECT_FLOAT_EQ(piece->GetSize().x, 10 * row.scale);
    EXPECT_FLOAT_EQ(piece->GetSprite()->position.x, 200 - 5 * row.scale);
    EXPECT_NEAR(piece->GetShadow()->position.x - piece->GetSprite()->position.x, row.offset, 1e-5);
    EXPECT_NEAR(piece->GetShadow()->position.y - piece->GetSprite()->position.y, -row.offset, 1e-5);
  }
  EXPECT_EQ(piece->GetNeighbours(), (std::vector<std::uint32_t>{1}));
}

TEST_F(PuzzleElementTest, HitTestExcludesTheEdges) {
  auto piece = Make(0, true);
  piece->SetPosition({20, 10});  // 10 x 10: from (15, 5) inside the parent at (100, 50)
  EXPECT_FALSE(piece->HitTest({115, 55}));
  EXPECT_TRUE(piece->HitTest({115.01f, 55.01f}));
  EXPECT_TRUE(piece->HitTest({124.9f, 64.9f}));
  EXPECT_FALSE(piece->HitTest({125, 60}));
}

TEST_F(PuzzleElementTest, MarksAreForSlotsOnlyAndFadeOutWhenAskedToHide) {
  auto loose = Make(1, true);
  loose->StartHighlight();
  loose->ShowTip();
  EXPECT_FALSE(loose->IsFlashing());
  EXPECT_FALSE(loose->IsHighlighted());
  EXPECT_FALSE(loose->IsVisible());
  EXPECT_EQ(loose->GetTipEffect(), nullptr);

  auto slot = Make(1, false);
  EXPECT_EQ(slot->GetShadow(), nullptr);
  EXPECT_EQ(slot->GetSprite()->layer, 2);
  slot->ShowTip();
  ASSERT_NE(slot->GetTipEffect(), nullptr);
  EXPECT_TRUE(slot->GetTipEffect()->emitting);
  EXPECT_EQ(slot->GetTipEffect()->spawnPath.size(), level_->samplePoints[1].size());
  EXPECT_TRUE(slot->IsVisible());
  // Pulse to alpha 0.2, then hide at 0.03 a frame: 7 frames.
  SetDelta(0.02f);
  slot->Update(false, 1.0f);
  Vector4 colour = slot->GetSprite()->GetColour();
  EXPECT_NEAR(colour.w, 0.4f * std::sin(0.03f), 0.005f);
  colour.w = 0.2f;
  slot->GetSprite()->SetColour(colour);
  slot->RequestHideFlash();
  int frames = 0;
  while (slot->IsFlashing() && frames < 100) {
    slot->Update(false, 1.0f);
    ++frames;
  }
  EXPECT_EQ(frames, 7);
  EXPECT_FALSE(slot->GetTipEffect()->emitting);
  // Faded out, the slot is hidden again: nothing draws there at alpha 0.
  EXPECT_FALSE(slot->IsVisible());

  // With the highlight still pulsing, the end of the flash leaves the slot shown.
  slot->ShowTip();
  slot->StartHighlight();
  slot->RequestHideFlash();
  for (int frame = 0; frame < 100 && slot->IsFlashing(); ++frame) {
    slot->Update(false, 1.0f);
  }
  EXPECT_TRUE(slot->IsHighlighted());
  EXPECT_TRUE(slot->IsVisible());
  slot->RequestHideHighlight();
  for (int frame = 0; frame < 100 && slot->IsHighlighted(); ++frame) {
    slot->Update(false, 1.0f);
  }
  EXPECT_FALSE(slot->IsVisible());
}

TEST_F(PuzzleElementTest, ShowingASlotClearsItsMarksAndStopsTheParticles) {
  auto slot = Make(2, false);
  slot->ShowTip();
  slot->StartHighlight();
  slot->SetVisible(true);
  EXPECT_FALSE(slot->IsFlashing());
  EXPECT_FALSE(slot->IsHighlighted());
  EXPECT_FALSE(slot->GetTipEffect()->emitting);
  EXPECT_EQ(slot->GetSprite()->GetColour(), Vector4(1, 1, 1, 1));
}

TEST_F(PuzzleElementTest, ALoosePieceRisesInHandAndFadesWithThePlay) {
  auto piece = Make(3, true);
  piece->taken = 1;
  piece->Update(false, 0.5f);
  EXPECT_EQ(piece->GetSprite()->layer, PuzzleElement::kHeldLayer);
  EXPECT_EQ(piece->GetShadow()->layer, PuzzleElement::kHeldShadowLayer);
  EXPECT_NEAR(piece->GetSprite()->GetColour().w, 0.5f, 0.005f);
  EXPECT_NEAR(piece->GetShadow()->GetColour().w, 0.15f, 0.005f);
  piece->taken = 0;
  piece->Update(false, 1.0f);
  EXPECT_EQ(piece->GetSprite()->layer, PuzzleElement::kLooseLayer);
}

TEST_F(PuzzleElementTest, TheManagerShufflesEveryPieceOnce) {
  auto order = [&](std::uint32_t seed) {
    CorvantisEngine::RandomSeed(seed);
    PuzzleElementManager manager(engine_, audio_.get(), gameData_.get(), level_.get(), parent_);
    std::vector<std::uint32_t> indices;
    for (const auto& piece : manager.GetPieces()) {
      indices.push_back(piece->GetIndex());
      EXPECT_TRUE(piece->IsLoose());
    }
    EXPECT_EQ(manager.FindHeld(), nullptr);
    manager.GetPieces()[4]->taken = 1;
    manager.GetPieces()[4]->SetVisible(true);
    EXPECT_EQ(manager.FindHeld(), manager.GetPieces()[4].get());
    EXPECT_EQ(manager.GetContainer()->layer, 210);
    return indices;
  };
  const auto first = order(1);
  auto sorted = first;
  std::sort(sorted.begin(), sorted.end());
  for (std::uint32_t i = 0; i < sorted.size(); ++i) {
    EXPECT_EQ(sorted[i], i);
  }
  EXPECT_EQ(order(1), first);
  EXPECT_NE(order(2), first);
}

}  // namespace
}  // namespace Puzzle
