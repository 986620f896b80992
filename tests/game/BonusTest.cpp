// Bonuses: the kinds' chances follow how full the path is (only tips and magnets on an empty path or
// in relax mode), the taking animation grows and fades the bonus for a second and then it is deleted,
// a zero fade freezes it, and the hit test excludes the border.
#include <gtest/gtest.h>

#include <map>

#include "PlayTestSupport.h"
#include "engine/gui/GUIWindow.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

class BonusTest : public gametest::PlayTest {
 protected:
  std::map<BonusKind, int> Draw(BonusManager& manager, float ratio, int count) {
    std::map<BonusKind, int> kinds;
    for (int i = 0; i < count; ++i) {
      ++kinds[manager.CreateBonus(ratio)->GetKind()];
    }
    return kinds;
  }
};

TEST_F(BonusTest, KindsFollowTheFreeRatio) {
  LoadAll();
  CorvantisEngine::RandomSeed(7);
  BonusManager manager(engine_, gameData_.get(), false, gameData_->GetPieceWindow());
  // Mostly free: tips and magnets only (0.6 and 0.2 themselves belong to the rows below them).
  for (float ratio : {1.0f, 0.61f}) {
    SCOPED_TRACE(ratio);
    std::map<BonusKind, int> kinds = Draw(manager, ratio, 300);
    EXPECT_EQ(kinds[BonusKind::Pause] + kinds[BonusKind::RollBack], 0);
    EXPECT_GT(kinds[BonusKind::Tip], 60);
    EXPECT_GT(kinds[BonusKind::Magnet], 60);
  }
  // Filling: pauses outnumber roll backs (12 against 5).
  for (float ratio : {0.6f, 0.4f, 0.2f}) {
    SCOPED_TRACE(ratio);
    std::map<BonusKind, int> kinds = Draw(manager, ratio, 1000);
    EXPECT_GT(kinds[BonusKind::RollBack], 20);
    EXPECT_GT(kinds[BonusKind::Pause], kinds[BonusKind::RollBack]);
  }
  // Nearly full: roll backs outnumber pauses (22 against 12).
  std::map<BonusKind, int> full = Draw(manager, 0.19f, 1000);
  EXPECT_GT(full[BonusKind::Pause], 50);
  EXPECT_GT(full[BonusKind::RollBack], full[BonusKind::Pause]);
  EXPECT_EQ(manager.GetBonuses().size(), 4600u) << "every bonus is kept until it is taken";
  EXPECT_EQ(manager.GetContainer()->layer, 210);
}

TEST_F(BonusTest, RelaxModeOffersOnlyTipsAndMagnets) {
  LoadAll();
  CorvantisEngine::RandomSeed(3);
  BonusManager manager(engine_, gameData_.get(), true, gameData_->GetPieceWindow());
  std::map<BonusKind, int> kinds = Draw(manager, 0.0f, 500);
  EXPECT_EQ(kinds[BonusKind::Pause] + kinds[BonusKind::RollBack], 0);
  EXPECT_GT(kinds[BonusKind::Tip], 100);
  EXPECT_GT(kinds[BonusKind::Magnet], 100);
}

TEST_F(BonusTest, ATakenBonusGrowsFadesAndGoesAfterASecond) {
  LoadAll();
  BonusManager manager(engine_, gameData_.get(), false, gameData_->GetPieceWindow());
  Bonus* bonus = manager.CreateBonus(1.0f);
  EXPECT_FALSE(bonus->IsVisible()) << "the tray shows it";
  bonus->SetVisible(true);
  bonus->position = Vector2{300, 200};
  bonus->scale = 0.5f;
  Step(0.1f);
  manager.Update(1.0f);
  EXPECT_NEAR(bonus->GetPosition().x, 300.0f, 1e-3f);
  EXPECT_NEAR(bonus->GetPosition().y, 200.0f, 1e-3f);
  // Half of a 40-unit box: a 20-unit square around the position; its border is outside.
  EXPECT_TRUE(bonus->HitTest({309.9f, 209.9f}));
  EXPECT_FALSE(bonus->HitTest({310.0f, 200.0f}));
  EXPECT_FALSE(bonus->HitTest({300.0f, 190.0f}));

  // A zero fade freezes the animation and hides the bonus.
  bonus->Take();
  Step(0.1f);
  manager.Update(0.0f);
  EXPECT_FLOAT_EQ(bonus->GetTime(), 0.0f);
  EXPECT_FLOAT_EQ(bonus->GetWindow()->GetColour().w, 0.0f);

  Step(0.25f);
  manager.Update(1.0f);
  EXPECT_FLOAT_EQ(bonus->GetTime(), 0.25f);
  EXPECT_NEAR(bonus->GetWindow()->GetColour().w, 0.75f, 0.005f) << "colours are kept in bytes";
  EXPECT_TRUE(bonus->HitTest({312.0f, 200.0f})) << "grown by half the time: scale 0.625";
  EXPECT_FALSE(bonus->HitTest({312.6f, 200.0f}));
  int frames = 0;
  while (!manager.GetBonuses().empty() && frames < 100) {
    Step(0.05f);
    manager.Update(1.0f);
    ++frames;
  }
  EXPECT_EQ(frames, 15) << "deleted in the first frame whose time exceeds 0.9999";
}

}  // namespace
}  // namespace Puzzle
