// Taking from and giving back to the tray with the mouse: a piece under the cursor is lifted (rear
// first) and the click goes no further, the obstacle blocks it, a bonus click applies its effect, a
// piece dropped near the path goes back into a wide enough gap, the right button puts it back (in relax
// mode it may leave the tray), nothing happens while paused, and holding the right button boosts.
#include <gtest/gtest.h>

#include <cmath>

#include "PlayTestSupport.h"
#include "engine/input/Controls.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

class TrayTest : public gametest::PlayTest {
 protected:
  // The tray with at least `count` entries, then frozen (frames of 0 seconds move nothing).
  void Fill(std::size_t count, bool relax = false) {
    Build(relax);
    SkipIntro();
    int guard = 0;
    while (depository_->GetQueue().size() < count && guard++ < 5000) {
      Tray(0.05f);
    }
    ASSERT_GE(depository_->GetQueue().size(), count);
  }
  // One frame with a button pressed at a point; released before the next.
  void Click(unsigned button, Vector2 at, bool paused = false) {
    MoveMouse(at);
    Press(button);
    Tray(0.0f, paused, paused ? 0.5f : 1.0f);
    Release(button);
    Tray(0.0f, paused, paused ? 0.5f : 1.0f);
  }
  std::size_t IndexOf(const PuzzleElement* piece) const {
    const auto& queue = depository_->GetQueue();
    for (std::size_t i = 0; i < queue.size(); ++i) {
      if (queue[i]->piece == piece) {
        return i;
      }
    }
    return queue.size();
  }
  // The index of the first piece entry from the rear, from `from` on.
  std::size_t PieceEntry(std::size_t from = 0) const {
    const auto& queue = depository_->GetQueue();
    for (std::size_t i = from; i < queue.size(); ++i) {
      if (queue[i]->piece != nullptr) {
        return i;
      }
    }
    return queue.size();
  }
};

TEST_F(TrayTest, AClickLiftsThePieceUnderTheCursorAndLocksTheInput) {
  Fill(4);
  // The cursor, through the GUI camera and back: the tray's mouse point.
  for (Vector2 at : {Vector2{400, 300}, Vector2{100, 500}, Vector2{0, 0}, Vector2{700, 100}}) {
    MoveMouse(at);
    Tray(0.0f);
    EXPECT_NEAR(depository_->GetMousePoint().x, at.x, 1e-2f);
    EXPECT_NEAR(depository_->GetMousePoint().y, at.y, 1e-2f);
  }
  const std::size_t index = PieceEntry(1);
  ASSERT_LT(index, depository_->GetQueue().size());
  PuzzleElement* piece = depository_->GetQueue()[index]->piece;
  const std::size_t before = depository_->GetQueue().size();
  MoveMouse(piece->GetPosition() + Vector2{5, -5});
  Press(0);
  Tray(0.0f);
  EXPECT_EQ(piece->taken, 1);
  EXPECT_TRUE(piece->IsVisible());
  EXPECT_EQ(Held(), piece);
  EXPECT_EQ(depository_->GetQueue().size(), before - 1);
  EXPECT_EQ(IndexOf(piece), depository_->GetQueue().size()) << "its entry is gone";
  EXPECT_TRUE(engine_->GetControls()->IsInputLocked()) << "the click reaches nothing else";
  EXPECT_FALSE(engine_->GetControls()->IsKeyPressed("MOUSE1"));
  EXPECT_NEAR(depository_->dragOffset.x, -5.0f, 1e-3f);
  EXPECT_NEAR(depository_->dragOffset.y, 5.0f, 1e-3f);
  Release(0);
  Tray(0.0f);

  // A far grip is shortened to 0.18 of the cell's diagonal.
  PuzzleElement* second = depository_->GetQueue()[PieceEntry()]->piece;
  Held()->SetVisible(false);  // the first one placed
  MoveMouse(second->GetPosition() + Vector2{14, 0});
  Press(0);
  Tray(0.0f);
  ASSERT_EQ(Held(), second);
  EXPECT_NEAR(std::hypot(depository_->dragOffset.x, depository_->dragOffset.y),
              0.18f * std::hypot(40.0f, 40.0f), 1e-3f);
}

TEST_F(TrayTest, NothingIsTakenThroughTheObstacleOrWhilePaused) {
  obstacleAt_ = gametest::PathPoints()[0] + Vector2{30, 0};
  Fill(3);
  // Whatever sits at the path start is under the obstacle.
  const auto& rear = depository_->GetQueue()[0];
  const Vector2 at = rear->piece != nullptr ? rear->piece->GetPosition() : rear->bonus->GetPosition();
  ASSERT_LT(std::fabs(at.x - obstacleAt_.x), 20.0f);
  Click(0, at);
  EXPECT_EQ(Held(), nullptr);
  const std::size_t index = PieceEntry(1);
  const Vector2 free = depository_->GetQueue()[index]->piece->GetPosition();
  ASSERT_GT(std::fabs(free.x - obstacleAt_.x), 25.0f);
  Click(0, free, true);
  EXPECT_EQ(Held(), nullptr) << "paused";
  Click(0, free);
  EXPECT_NE(Held(), nullptr);
}

TEST_F(TrayTest, ABonusClickAppliesItsEffect) {
  Build();
  SkipIntro();
  int guard = 0;
  auto findBonus = [this]() -> const DepositoryElement* {
    for (const auto& entry : depository_->GetQueue()) {
      if (entry->bonus != nullptr) {
        return entry.get();
      }
    }
    return nullptr;
  };
  while (findBonus() == nullptr && guard++ < 5000) {
    Tray(0.05f);
  }
  const DepositoryElement* entry = findBonus();
  ASSERT_NE(entry, nullptr);
  Bonus* bonus = entry->bonus;
  Voices({17, 18, 19, 20});
  Tray(0.0f);  // places the bonus model
  bonuses_->Update(1.0f);
  Click(0, bonus->GetPosition());
  EXPECT_TRUE(bonus->IsTaken());
  EXPECT_EQ(findBonus(), nullptr);
  EXPECT_EQ(Held(), nullptr);
  switch (bonus->GetKind()) {
    case BonusKind::Magnet:
      EXPECT_EQ(board_->magnetPending, 1);
      EXPECT_EQ(board_->tipPending, 0);
      EXPECT_GT(LastStart(18), 0.0f);
      break;
    case BonusKind::Tip:
      EXPECT_EQ(board_->tipPending, 1);
      EXPECT_EQ(board_->magnetPending, 0);
      EXPECT_GT(LastStart(17), 0.0f);
      break;
    case BonusKind::Pause:
      EXPECT_GT(depository_->pauseTime, 0.0f);
      EXPECT_GT(LastStart(19), 0.0f);
      break;
    case BonusKind::RollBack:
      EXPECT_GT(depository_->rollBackTime, 0.0f);
      EXPECT_GT(LastStart(20), 0.0f);
      break;
  }
  EXPECT_EQ(texts_->GetTexts().size(), 1u) << "the bonus's text floats up";
}

TEST_F(TrayTest, ADroppedPieceGoesBackIntoAGapNearThePath) {
  Fill(6);
  const std::size_t index = PieceEntry(2);
  ASSERT_LT(index + 1, depository_->GetQueue().size());
  PuzzleElement* piece = depository_->GetQueue()[index]->piece;
  const float next = depository_->GetQueue()[index + 1]->distance;
  const float prev = depository_->GetQueue()[index - 1]->distance;
  ASSERT_NEAR(next - prev, 120.0f, 1e-3f);
  Click(0, piece->GetPosition());
  ASSERT_EQ(Held(), piece);

  // 25 units off the path: not taken back (the click goes on to the board).
  Vector2 onPath = depository_->GetPointAtDistance(next - 30.0f);
  piece->SetPosition(onPath + Vector2{0, 25});
  Click(0, onPath + Vector2{0, 25});
  EXPECT_EQ(Held(), piece);

  // 30 behind the next entry: placed 60 behind it instead.
  piece->SetPosition(onPath + Vector2{0, 10});
  Voices({14});
  Click(0, onPath + Vector2{0, 10});
  EXPECT_EQ(Held(), nullptr);
  EXPECT_EQ(piece->taken, 0);
  ASSERT_EQ(IndexOf(piece), index);
  EXPECT_NEAR(depository_->GetQueue()[index]->distance, next - 60.0f, 1e-3f);
  EXPECT_NEAR(piece->GetScale(), 40.0f / 30.0f, 1e-4f);
  EXPECT_GT(LastStart(14), 0.0f);

  // Between two entries 60 apart there is no room: the drop is refused and the piece stays in hand.
  Click(0, piece->GetPosition());
  ASSERT_EQ(Held(), piece);
  ASSERT_LT(index + 2, depository_->GetQueue().size());
  const float inside = depository_->GetQueue()[index]->distance + 30.0f;
  ASSERT_NEAR(depository_->GetQueue()[index + 1]->distance - depository_->GetQueue()[index]->distance, 60.0f,
              1e-3f);
  piece->SetPosition(depository_->GetPointAtDistance(inside));
  Click(0, depository_->GetPointAtDistance(inside));
  EXPECT_EQ(Held(), piece);
}

TEST_F(TrayTest, TheRightButtonPutsThePieceBackAndDoesNotBoost) {
  Fill(5);
  PuzzleElement* piece = depository_->GetQueue()[PieceEntry(1)]->piece;
  Click(0, piece->GetPosition());
  ASSERT_EQ(Held(), piece);
  piece->SetPosition({400, 100});
  Click(1, {400, 100}, true);
  EXPECT_EQ(Held(), piece) << "nothing while paused";
  Click(1, {400, 100});
  EXPECT_EQ(Held(), nullptr);
  EXPECT_LT(IndexOf(piece), depository_->GetQueue().size());
  EXPECT_EQ(depository_->boostHeld, 0) << "the press put the piece back";
  const auto& queue = depository_->GetQueue();
  for (std::size_t i = 1; i < queue.size(); ++i) {
    EXPECT_GE(queue[i]->distance - queue[i - 1]->distance, 60.0f - 1e-3f);
  }
}

TEST_F(TrayTest, InRelaxModeAPiecePutBackBeforeTheCarriageLeavesTheTray) {
  Fill(3, true);
  ASSERT_FALSE(depository_->GetCarriage()->IsVisible());
  PuzzleElement* piece = depository_->GetQueue()[PieceEntry()]->piece;
  Click(0, piece->GetPosition());
  ASSERT_EQ(Held(), piece);
  Click(1, {400, 100});
  EXPECT_EQ(piece->taken, 0);
  EXPECT_FALSE(piece->IsVisible());
  EXPECT_EQ(IndexOf(piece), depository_->GetQueue().size()) << "waiting to be fed again";
  int guard = 0;
  while (IndexOf(piece) == depository_->GetQueue().size() && guard++ < 5000) {
    Tray(0.05f);
  }
  EXPECT_LT(IndexOf(piece), depository_->GetQueue().size()) << "the feeding brings it back";
}

TEST_F(TrayTest, HoldingTheRightButtonBoostsAfterHalfASecond) {
  Fill(2);
  MoveMouse({400, 100});
  Press(1);
  float held = 0.0f;
  while (held < 0.5f) {
    Tray(0.05f);
    held += 0.05f;
    EXPECT_FLOAT_EQ(depository_->boost, 0.0f) << held;
  }
  Tray(0.05f);
  Tray(0.05f);
  EXPECT_GT(depository_->boost, 0.0f);
  Release(1);
  for (int i = 0; i < 20; ++i) {
    Tray(0.05f);
  }
  EXPECT_FLOAT_EQ(depository_->boost, 0.0f) << "it falls away once released";
}

}  // namespace
}  // namespace Puzzle
