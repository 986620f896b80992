// The tray: its path and path queries, the intro run, the speed law, roll back and pause, the queue's
// motion and spacing (a randomized run), feeding pieces and bonuses, the failure at the path end, and
// the relax mode's differences.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "PlayTestSupport.h"
#include "engine/core/Error.h"
#include "engine/resources/ParticleSystem.h"

namespace Puzzle {
namespace {

using CorvantisEngine::Vector2;

class DepositoryTest : public gametest::PlayTest {};

TEST_F(DepositoryTest, PathQueriesWalkTheMarkers) {
  Build();
  ASSERT_EQ(depository_->GetPathPoints().size(), 6u);
  EXPECT_FLOAT_EQ(depository_->GetPathLength(), 2000.0f);
  struct Row {
    float distance;
    Vector2 point;
    const char* why;
  };
  const Row rows[] = {
      {0, {100, 500}, "the start"},
      {250, {350, 500}, "inside the first segment"},
      {650, {700, 450}, "inside the second"},
      {-50, {50, 500}, "before the start: the first segment extended backwards"},
      {2000, {700, 300}, "the end"},
      {2500, {700, 300}, "beyond the end: the last point"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const Vector2 p = depository_->GetPointAtDistance(row.distance);
    EXPECT_NEAR(p.x, row.point.x, 1e-3f);
    EXPECT_NEAR(p.y, row.point.y, 1e-3f);
  }
  struct Projection {
    Vector2 point;
    float distance;
    std::uint8_t side;
    const char* why;
  };
  const Projection projections[] = {
      {{300, 510}, 200, 1, "above the first segment: left of its direction"},
      {{300, 490}, 200, 0, "below the first segment"},
      {{300, 440}, 1100, 0, "nearer the third segment than the first, right of its direction"},
      {{690, 430}, 670, 0, "beside the second segment, inside the turn"},
      {{50, 600}, 0, 1, "beside no segment"},
  };
  for (const Projection& row : projections) {
    SCOPED_TRACE(row.why);
    std::uint8_t side = 7;
    EXPECT_NEAR(depository_->ProjectOntoPath(row.point, side), row.distance, 1e-3f);
    EXPECT_EQ(side, row.side);
  }
}

TEST_F(DepositoryTest, ADegeneratePathStopsTheLevelStart) {
  LoadAll();
  // The third marker on top of the second: a segment of length 0.
  gameData_ = nullptr;
  gameData_ = std::make_unique<GameData>(engine_, "en");
  gameData_->Load();
  gameData_->WaitForLoad();
  for (std::size_t n = 0; n < 6; ++n) {
    AddBox("depository/path/00" + std::to_string(n), gametest::PathPoints()[n == 2 ? 1 : n], 2.0f);
  }
  EXPECT_THROW(MakeParts(false), CorvantisEngine::FatalError);
  EXPECT_EQ(rig_.CountLogged("is too short"), 1);
}

TEST_F(DepositoryTest, TheIntroRunsAlongThePathBeforeAnythingMoves) {
  Build();
  Voices({22});
  EXPECT_EQ(depository_->introFinished, 0);
  float time = 0.0f;
  int frames = 0;
  while (depository_->introFinished == 0 && frames < 1000) {
    Tray(0.02f);
    time += 0.02f;
    ++frames;
    const float t = std::max(0.0f, time - 0.3f);
    const float d = (std::min(750.0f, 160.0f * t) + 360.0f) * t;
    if (depository_->introFinished == 0) {
      const CorvantisEngine::Vector3 at = depository_->GetPathStartEffect()->position;
      const Vector2 expected = depository_->GetPointAtDistance(d);
      ASSERT_NEAR(at.x, expected.x, 0.05f) << "frame " << frames;
      ASSERT_NEAR(at.y, expected.y, 0.05f) << "frame " << frames;
      EXPECT_TRUE(depository_->GetQueue().empty()) << "nothing is fed during the intro";
    } else {
      EXPECT_GT(d, 2000.0f) << "the intro ends in the first frame beyond the path end";
      const float before = std::max(0.0f, time - 0.02f - 0.3f);
      EXPECT_LE((std::min(750.0f, 160.0f * before) + 360.0f) * before, 2000.0f);
    }
  }
  EXPECT_EQ(depository_->introFinished, 1);
  EXPECT_FALSE(depository_->GetPathStartEffect()->emitting);
  EXPECT_GT(LastStart(22), 0.0f) << "the intro's end sound";
  Tray(0.02f);
  ASSERT_EQ(depository_->GetQueue().size(), 1u) << "feeding starts after the intro";
  EXPECT_FLOAT_EQ(depository_->GetQueue()[0]->distance, 0.0f);
}

TEST_F(DepositoryTest, SpeedTargetFollowsTheFreeLength) {
  Build();
  depository_->extraSpeed = 0.0f;
  struct Row {
    float free;
    float target;
    const char* why;
  };
  const Row rows[] = {
      {2000, 31.6f, "the whole path free"},
      {0, 8.0f, "nothing free"},
      {1000, 8 + 7.0f, "half free"},
      {1400, 8 + 9.8f + 1.7f, "0.7 free: the third term starts at 0.6"},
      {1800, 8 + 12.6f + 1.4f + 5.1f, "0.9 free: all three terms"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    depository_->freeLength = row.free;
    EXPECT_NEAR(depository_->SpeedTarget(), row.target, 1e-3f);
  }
  depository_->boost = 100.0f;
  depository_->extraSpeed = 50.0f;
  depository_->freeLength = 0.0f;
  EXPECT_NEAR(depository_->SpeedTarget(), 158.0f, 1e-3f) << "extra speed and boost add on";
}

TEST_F(DepositoryTest, TheQueueAdvancesAtTheSpeedTargetFrameByFrame) {
  Build();
  SkipIntro();
  Tray(0.02f);
  // The start-up extra speed falls away by max(20, 0.7 x itself) a second.
  const float extra = depository_->extraSpeed;
  Tray(0.1f);
  EXPECT_NEAR(depository_->extraSpeed, extra - 0.1f * std::max(20.0f, 0.7f * extra), 1e-2f);
  depository_->extraSpeed = 0.0f;
  for (int i = 0; i < 200; ++i) {
    const float target = depository_->SpeedTarget();
    const float front = depository_->GetQueue().back()->distance;
    Tray(0.1f);
    ASSERT_NEAR(depository_->GetQueue().back()->distance - front, target * 0.1f, 1e-3f) << "frame " << i;
    const auto& entry = *depository_->GetQueue().back();
    const Vector2 expected = depository_->GetPointAtDistance(entry.distance);
    ASSERT_NEAR(entry.piece != nullptr ? entry.piece->GetPosition().x : entry.bonus->position.x, expected.x,
                1e-3f);
    ASSERT_NEAR(entry.piece != nullptr ? entry.piece->GetPosition().y : entry.bonus->position.y, expected.y,
                1e-3f);
  }
  EXPECT_GT(depository_->freeLength, 0.0f);
  EXPECT_LT(depository_->freeLength, 2000.0f);
}

TEST_F(DepositoryTest, TheWarningQuickensAsThePathFills) {
  Build();
  Voices({25});
  SkipIntro();
  float lastPlay = 0.0f;
  float expectedGap = -1.0f;
  int plays = 0;
  for (int i = 0; i < 20000 && depository_->endReached == 0; ++i) {
    Tray(0.02f);
    if (LastStart(25) != lastPlay) {
      ++plays;
      EXPECT_LT(depository_->freeLength, 450.0f) << "never while 450 or more are free";
      if (expectedGap > 0.0f) {
        EXPECT_NEAR(LastStart(25) - lastPlay, expectedGap, 0.021f)
            << "the next warning follows the free length";
      }
      lastPlay = LastStart(25);
      expectedGap = depository_->freeLength / 180.0f + 0.7f;
    }
    if (depository_->freeLength >= 450.0f) {
      expectedGap = -1.0f;
    }
  }
  EXPECT_GE(plays, 3);
}

TEST_F(DepositoryTest, RelaxModeDrivesAtFortyOnFivePointsWithoutIntro) {
  Build(true);
  EXPECT_EQ(depository_->GetPathPoints().size(), 5u);
  EXPECT_EQ(depository_->introFinished, 1);
  EXPECT_FLOAT_EQ(depository_->extraSpeed, 1350.0f);
  depository_->extraSpeed = 0.0f;
  depository_->freeLength = 700.0f;
  EXPECT_FLOAT_EQ(depository_->SpeedTarget(), 47.0f) << "the free length term still counts when set";
  // In play the free length is never computed, so the target stays at 40 plus the extras.
  for (int i = 0; i < 50; ++i) {
    Tray(0.02f);
  }
  depository_->freeLength = 0.0f;
  Tray(0.02f);
  EXPECT_FLOAT_EQ(depository_->freeLength, 0.0f);
}

TEST_F(DepositoryTest, APauseBrakesToAStandstillAndARollBackDrivesBackwards) {
  Build();
  SkipIntro();
  depository_->extraSpeed = 0.0f;
  for (int i = 0; i < 400; ++i) {
    Tray(0.02f);
  }
  ASSERT_GE(depository_->GetQueue().size(), 2u);
  const auto front = [this] { return depository_->GetQueue().back()->distance; };

  // Pause: the queue slows while the brake rises to the target, then stands.
  const float r = depository_->freeLength / depository_->GetPathLength();
  depository_->AddPause();
  EXPECT_FLOAT_EQ(depository_->pauseTime, r > 0.9f ? 1.5f : r > 0.8f ? 3.5f : r > 0.6f ? 5.5f : 9.5f);
  float before = front();
  Tray(0.02f);
  EXPECT_GT(front(), before) << "the brake starts at 0";
  int frames = 1;
  while (depository_->brake + 1e-4f < depository_->SpeedTarget() && frames < 500) {
    Tray(0.02f);
    ++frames;
  }
  ASSERT_LT(frames, 100) << "the brake reaches the target within a couple of seconds";
  before = front();
  for (int i = 0; i < 100; ++i) {
    Tray(0.02f);
  }
  EXPECT_NEAR(front(), before, 1e-3f) << "standing while the pause runs";
  while (depository_->pauseTime > 0.0f) {
    Tray(0.02f);
  }
  const float brake = depository_->brake;
  Tray(0.02f);
  EXPECT_NEAR(depository_->brake, brake - (0.6f * brake + 30.0f) * 0.02f, 1e-3f) << "the brake eases off";
  for (int i = 0; i < 200; ++i) {
    Tray(0.02f);
  }
  EXPECT_FLOAT_EQ(depository_->brake, 0.0f);

  // Roll back: backwards at up to 160 less the target while the time runs.
  depository_->AddRollBack();
  EXPECT_FLOAT_EQ(depository_->rollBackTime, 3.1f);
  float slowest = 0.0f;
  for (int i = 0; i < 150; ++i) {
    before = front();
    Tray(0.02f);
    slowest = std::min(slowest, (front() - before) / 0.02f);
  }
  EXPECT_LT(slowest, -100.0f);
  EXPECT_GE(slowest, -(160.0f - 8.0f) - 0.5f) << "the target is at least 8";
  EXPECT_FALSE(depository_->GetWaiting().empty()) << "the rear went behind the path start";
}

TEST_F(DepositoryTest, AnEmptyOrUnstartedQueueCancelsPauseAndRollBack) {
  Build();
  SkipIntro();
  depository_->AddPause();
  depository_->AddRollBack();
  Tray(0.02f);
  EXPECT_EQ(depository_->pauseTime, 0.0f) << "the only entry is still below 0.5";
  EXPECT_EQ(depository_->rollBackTime, 0.0f);
}

// Random frames, pauses, roll backs, picks, put-backs and placements: after every frame the entries keep
// their spacing, the carriage stays behind the rear, every piece is in one place only and the entries
// behind the path start come back frontmost first.
TEST_F(DepositoryTest, TheQueueKeepsItsSpacingWhateverHappens) {
  Build();
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    CorvantisEngine::RandomSeed(seed);
    depository_.reset();
    depository_ = std::make_unique<PuzzleDepository>(
        engine_, audio_.get(), gameData_.get(), level_.get(), nullptr, texts_.get(), bonuses_.get(),
        elements_.get(), board_.get(), nullptr, profile_.get(), false, gameData_->GetPlayWindow());
    for (const auto& piece : elements_->GetPieces()) {
      piece->taken = 0;
      piece->SetVisible(false);
    }
    SkipIntro();
    bool mouseDown = false;
    std::vector<const DepositoryElement*> previous;
    for (int frame = 0; frame < 4000 && depository_->failed == 0; ++frame) {
      if (mouseDown) {
        Release(0);
        Release(1);
        mouseDown = false;
      }
      const int dice = CorvantisEngine::RandomInt(0, 199);
      const auto& queue = depository_->GetQueue();
      if (dice == 0) {
        depository_->AddRollBack();
      } else if (dice == 1) {
        depository_->AddPause();
      } else if (dice < 8 && Held() == nullptr && !queue.empty()) {
        const auto& entry = queue[static_cast<std::size_t>(CorvantisEngine::RandomInt(0, 99)) % queue.size()];
        MoveMouse(entry->piece != nullptr ? entry->piece->GetPosition() : entry->bonus->GetPosition());
        Press(0);
        mouseDown = true;
      } else if (dice < 12 && Held() != nullptr) {
        Press(1);
        mouseDown = true;
      } else if (dice < 14 && Held() != nullptr) {
        Held()->SetVisible(false);  // placed on the board
      }
      Tray(0.005f + 0.045f * static_cast<float>(CorvantisEngine::RandomInt(0, 100)) / 100.0f);

      const auto& entries = depository_->GetQueue();
      for (std::size_t i = 1; i < entries.size(); ++i) {
        ASSERT_GE(entries[i]->distance - entries[i - 1]->distance, 60.0f - 1e-3f) << "frame " << frame;
      }
      if (depository_->GetCarriage()->IsVisible() && !entries.empty()) {
        ASSERT_GE(entries[0]->distance - depository_->carriagePosition, 60.0f - 1e-3f) << "frame " << frame;
      }
      // The entries behind the start and on the path keep their order: the rearmost at the bottom of
      // the waiting stack, the frontmost at the end of the queue.
      const auto& waiting = depository_->GetWaiting();
      std::vector<const DepositoryElement*> order;
      for (const auto& entry : waiting) {
        order.push_back(entry.get());
      }
      for (const auto& entry : entries) {
        order.push_back(entry.get());
      }
      std::vector<const DepositoryElement*> kept;
      std::copy_if(previous.begin(), previous.end(), std::back_inserter(kept),
                   [&](const DepositoryElement* e) {
                     return std::find(order.begin(), order.end(), e) != order.end();
                   });
      std::vector<const DepositoryElement*> common;
      std::copy_if(order.begin(), order.end(), std::back_inserter(common), [&](const DepositoryElement* e) {
        return std::find(previous.begin(), previous.end(), e) != previous.end();
      });
      ASSERT_EQ(common, kept) << "frame " << frame;
      previous = order;
      for (const auto& piece : elements_->GetPieces()) {
        int places = 0;
        for (const auto* list : {&entries, &waiting}) {
          for (const auto& entry : *list) {
            places += entry->piece == piece.get() ? 1 : 0;
          }
        }
        if (piece->taken != 0) {
          ASSERT_EQ(places, 0) << "a piece in hand or placed is on no tray, frame " << frame;
        } else {
          ASSERT_LE(places, 1) << "frame " << frame;
        }
      }
    }
  }
}

TEST_F(DepositoryTest, FeedingFillsThePathStartAndShowsTheCarriageAtTheEnd) {
  Build();
  SkipIntro();
  Tray(0.02f);
  EXPECT_EQ(Distances(), (std::vector<float>{0.0f})) << "one entry at 0, and no room for a second";
  while (depository_->GetQueue().size() < 2) {
    Tray(0.02f);
  }
  EXPECT_NEAR(depository_->GetQueue()[1]->distance - depository_->GetQueue()[0]->distance, 60.0f, 1e-3f);
  EXPECT_LT(depository_->GetQueue()[0]->distance, 10.0f) << "the next follows once the rear moved 60";
  // Every piece fed once: the carriage comes 60 behind the rear.
  int guard = 0;
  while (!depository_->GetCarriage()->IsVisible() && guard++ < 20000) {
    Tray(0.05f);
  }
  ASSERT_TRUE(depository_->GetCarriage()->IsVisible());
  EXPECT_NEAR(depository_->GetQueue()[0]->distance - depository_->carriagePosition, 60.0f, 1e-3f);
  std::size_t pieces = 0;
  std::size_t bonuses = 0;
  for (const auto& entry : depository_->GetQueue()) {
    pieces += entry->piece != nullptr ? 1 : 0;
    bonuses += entry->bonus != nullptr ? 1 : 0;
    if (entry->piece != nullptr) {
      EXPECT_NEAR(entry->piece->GetScale(), 40.0f / 30.0f, 1e-4f) << "pieces fit a 40 x 40 cell";
    }
  }
  EXPECT_EQ(pieces, 12u);
  EXPECT_GE(bonuses, 1u) << "a bonus after 6 to 8 pieces";
  EXPECT_LE(bonuses, 2u);
  // The first bonus follows 6 to 8 pieces.
  std::size_t before = 0;
  for (std::size_t i = depository_->GetQueue().size(); i-- > 0;) {
    if (depository_->GetQueue()[i]->bonus != nullptr) {
      break;
    }
    ++before;
  }
  EXPECT_GE(before, 6u);
  EXPECT_LE(before, 8u);
}

TEST_F(DepositoryTest, AFullTrayRacesToTheEndAndTheLevelIsLostWhenTheCarriageVanishes) {
  Build();
  Voices({6});
  audio_->AddMusicTrack(1, "", true);
  audio_->PlayMusic(1, 1, false, 1.0f);
  SkipIntro();
  float failSound = 0.0f;
  bool fadedToPause = false;
  int frames = 0;
  while (depository_->failed == 0 && frames++ < 20000) {
    Tray(0.05f);
    if (failSound == 0.0f && LastStart(6) > 0.0f) {
      failSound = LastStart(6);
      EXPECT_EQ(depository_->endReached, 1);
      fadedToPause = audio_->GetChannelTrack(1)->GetFadeState() == GameFramework::MusicTrack::kFadeToPause;
    }
    if (depository_->endReached != 0) {
      EXPECT_FLOAT_EQ(depository_->GetCarriage()->GetScale() > 0.0f ? 1.0f : 1.0f, 1.0f);
    }
  }
  ASSERT_EQ(depository_->failed, 1);
  EXPECT_GT(failSound, 0.0f);
  EXPECT_FLOAT_EQ(LastStart(6), failSound) << "the failure sound plays once";
  EXPECT_TRUE(fadedToPause) << "the level music is paused with a fade";
  EXPECT_FALSE(depository_->GetCarriage()->IsVisible());
  EXPECT_TRUE(depository_->GetQueue().empty()) << "every entry vanished at the end";
  for (const auto& piece : elements_->GetPieces()) {
    EXPECT_FALSE(piece->IsVisible());
    EXPECT_EQ(piece->taken, 0);
  }
  // Nothing moves or feeds any more.
  Tray(0.05f);
  EXPECT_TRUE(depository_->GetQueue().empty());
}

TEST_F(DepositoryTest, ACarriageReachingTheEndOfAnEmptyTrayLosesTheLevelWithTheFailureSound) {
  Build();
  Voices({6});
  SkipIntro();
  // Every piece placed but the one in hand: nothing more to feed, so the carriage comes out at once.
  for (const auto& piece : elements_->GetPieces()) {
    piece->taken = 1;
    piece->SetVisible(false);
  }
  elements_->GetPieces()[0]->SetVisible(true);
  Tray(0.02f);
  ASSERT_TRUE(depository_->GetQueue().empty());
  ASSERT_TRUE(depository_->GetCarriage()->IsVisible());
  int frames = 0;
  while (depository_->failed == 0 && frames++ < 20000) {
    Tray(0.05f);
  }
  EXPECT_EQ(depository_->failed, 1);
  EXPECT_GT(LastStart(6), 0.0f) << "the failure is heard even with nothing on the tray";
  EXPECT_FALSE(depository_->GetCarriage()->IsVisible());
}

TEST_F(DepositoryTest, RelaxModeStopsAtThePathEndAndNeverFails) {
  Build(true);
  for (int i = 0; i < 4000; ++i) {
    Tray(0.05f);
  }
  EXPECT_EQ(depository_->failed, 0);
  EXPECT_EQ(depository_->endReached, 0);
  ASSERT_FALSE(depository_->GetQueue().empty());
  EXPECT_NEAR(depository_->GetQueue().back()->distance, depository_->GetPathLength(), 1e-3f);
  EXPECT_TRUE(depository_->GetQueue().back()->IsVisible());
}

}  // namespace
}  // namespace Puzzle
