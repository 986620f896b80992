// The carriage: the end-of-level run's motion and its payments (each of the 30 checkpoints once, plus
// 30 for each bonus still on the tray, and only the checkpoints ahead of a run that starts part-way),
// its heading at the path's corners and its spin after a roll back or a pause.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "PlayTestSupport.h"
#include "engine/resources/ParticleSystem.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

constexpr float kPi = std::numbers::pi_v<float>;

class CarriageTest : public gametest::PlayTest {
 protected:
  // Runs the carriage to its end in frames of dt; returns the number of frames.
  int Run(float dt, float fade = 1.0f) {
    int frames = 0;
    while (!depository_->IsCarriageFinished() && frames < 10000) {
      Tray(dt, false, fade);
      ++frames;
    }
    return frames;
  }
  std::size_t CountTexts(const std::wstring& text) const {
    std::size_t count = 0;
    for (const auto& floating : texts_->GetTexts()) {
      count += !floating->GetLines().empty() && floating->GetLines()[0] == text ? 1 : 0;
    }
    return count;
  }
};

TEST_F(CarriageTest, ARunFromTheStartPaysEveryCheckpointOnce) {
  Build();
  SkipIntro();
  ASSERT_FALSE(depository_->GetCarriage()->IsVisible());
  profile_->levelEarnings = 0;
  depository_->StartCarriage();
  EXPECT_TRUE(depository_->GetCarriage()->IsVisible());
  EXPECT_TRUE(depository_->IsCarriageRunning());
  EXPECT_FLOAT_EQ(depository_->carriagePosition, 0.0f);

  // 130 s^2 after a 0.05 s start delay, up to 600 units per second; a paused frame stands still.
  float time = 0.0f;
  for (int i = 0; i < 40; ++i) {
    Tray(0.02f);
    time += 0.02f;
    const float s = std::max(0.0f, time - 0.05f);
    ASSERT_NEAR(depository_->carriagePosition, std::min(600.0f, 130.0f * s) * s, 1e-2f) << i;
  }
  const float standing = depository_->carriagePosition;
  Tray(0.02f, true, 0.0f);
  EXPECT_FLOAT_EQ(depository_->carriagePosition, standing);
  EXPECT_TRUE(depository_->GetPathFinishEffect()->IsVisible());

  Run(0.02f);
  EXPECT_FALSE(depository_->IsCarriageRunning());
  EXPECT_EQ(profile_->levelEarnings, 60u) << "30 checkpoints of 2, none twice";
  EXPECT_EQ(CountTexts(L"+2"), 30u);
  EXPECT_FLOAT_EQ(depository_->carriagePosition, depository_->GetPathLength());
  EXPECT_FALSE(depository_->GetCarriage()->IsVisible()) << "it shrank away over the last 35 units";
  EXPECT_FALSE(depository_->GetPathFinishEffect()->emitting);
  // Finished: further frames pay nothing.
  for (int i = 0; i < 10; ++i) {
    Tray(0.02f);
  }
  EXPECT_EQ(profile_->levelEarnings, 60u);
}

// On a path longer than 2048 units a float's step exceeds twice the path tolerance: the run must still
// end once the carriage stands at the path's end.
TEST_F(CarriageTest, ARunOnALongPathEndsAtThePathEnd) {
  pathPoints_ = {{20, 580}, {780, 580}, {780, 20}, {20, 20}, {20, 300}, {780, 300}};
  Build();
  SkipIntro();
  ASSERT_GE(depository_->GetPathLength(), 2048.0f);
  depository_->StartCarriage();
  EXPECT_LT(Run(0.02f), 10000) << "the run ended";
  EXPECT_TRUE(depository_->IsCarriageFinished());
  EXPECT_FALSE(depository_->IsCarriageRunning());
  EXPECT_FLOAT_EQ(depository_->carriagePosition, depository_->GetPathLength());
}

TEST_F(CarriageTest, ARunPaysTheBonusesLeftOnTheTrayAndOnlyTheCheckpointsAhead) {
  Build();
  SkipIntro();
  int guard = 0;
  // Fill the tray until a bonus rides on it and the carriage follows.
  while (!depository_->GetCarriage()->IsVisible() && guard++ < 20000) {
    Tray(0.05f);
  }
  ASSERT_TRUE(depository_->GetCarriage()->IsVisible());
  // The pieces go to the board (taken and hidden); the bonuses stay.
  for (const auto& piece : elements_->GetPieces()) {
    piece->taken = 1;
    piece->SetVisible(false);
  }
  std::vector<Bonus*> bonuses;
  for (const auto& entry : depository_->GetQueue()) {
    if (entry->bonus != nullptr) {
      bonuses.push_back(entry->bonus);
    }
  }
  ASSERT_FALSE(bonuses.empty());
  const float start = depository_->carriagePosition;
  ASSERT_GT(start, 0.0f);
  profile_->levelEarnings = 0;
  depository_->StartCarriage();
  for (Bonus* bonus : bonuses) {
    EXPECT_TRUE(bonus->IsTaken());
  }
  EXPECT_EQ(CountTexts(L"+30"), bonuses.size());
  EXPECT_EQ(profile_->levelEarnings, 30u * bonuses.size());
  const float length = depository_->GetPathLength();
  std::uint32_t ahead = 0;
  for (std::uint32_t k = 0; k < 30; ++k) {
    ahead += static_cast<float>(k) * length / 29.0f >= start - 1e-4f ? 1 : 0;
  }
  Run(0.03f);
  EXPECT_EQ(profile_->levelEarnings, 30u * bonuses.size() + 2u * ahead);
  EXPECT_LT(ahead, 30u);
}

TEST_F(CarriageTest, TheCarriageTurnsAtTheCornersAndSpinsForRollBackAndPause) {
  LoadAll();
  MakeParts(true);  // no intro; the first frame feeds only after the heading is set
  struct Row {
    float position;
    float heading;
    const char* why;
  };
  const Row rows[] = {
      {100, -kPi / 2, "first segment"},
      {575, -kPi / 4, "halfway through the first turn"},
      {650, 0, "between the first two corners"},
      {690, 0.8f * kPi / 2, "turning into the third segment"},
      {1000, kPi / 2, "third segment"},
      {1290, 0.2f * kPi / 2 + 0.8f * kPi, "turning into the fourth"},
      {1395, kPi, "from the fourth corner on"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    RemakeTray(true);
    depository_->GetCarriage()->SetVisible(true);
    depository_->carriagePosition = row.position;
    Tray(0.0f);
    EXPECT_NEAR(depository_->GetCarriage()->GetRotation(), row.heading, 1e-4f);
  }

  // A roll back turns the carriage round; afterwards it completes the turn.
  RemakeTray(true);
  depository_->GetCarriage()->SetVisible(true);
  depository_->carriagePosition = 100.0f;
  depository_->rollBackTime = 100.0f;
  Tray(0.0f);
  depository_->rollBackTime = 100.0f;
  for (int i = 0; i < 30; ++i) {
    depository_->carriagePosition = 100.0f;
    depository_->GetCarriage()->SetVisible(true);
    Step(0.05f);
    depository_->rollBackTime = 100.0f;
    depository_->Update(false, 1.0f);
    EndFrame();
  }
  EXPECT_NEAR(depository_->carriageSpin, kPi, 1e-4f) << "half a turn, then it holds";
  // The roll back over: the turn is completed to a whole one and then rests.
  depository_->rollBackTime = 0.0f;
  for (int i = 0; i < 12; ++i) {
    depository_->carriagePosition = 100.0f;
    Tray(0.05f);
  }
  EXPECT_NEAR(depository_->carriageSpin, 0.0f, 1e-4f);
  EXPECT_NEAR(depository_->GetCarriage()->GetRotation(), -kPi / 2, 1e-4f);
  // A pause spins it once a second.
  for (int i = 0; i < 5; ++i) {
    depository_->carriagePosition = 100.0f;
    Step(0.05f);
    depository_->pauseTime = 100.0f;
    depository_->Update(false, 1.0f);
    EndFrame();
  }
  EXPECT_NEAR(depository_->carriageSpin, 2 * kPi * 0.25f, 1e-3f);
}

}  // namespace
}  // namespace Puzzle
