// Animation control: playback through ranges forwards and backwards, loops with limits and pauses, and
// the values from files that must neither hang the update nor leave the range.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Skeleton.h"

namespace CorvantisEngine {
namespace {

class AnimationControlTest : public ::testing::Test {
 protected:
  // Runs updates of dt seconds (a power of two keeps the sums exact).
  void Run(AnimationControl& control, int updates, float dt = 0.03125f) {
    timers_.delta = dt;
    for (int i = 0; i < updates; ++i) {
      control.Update();
    }
  }
  TimerManager timers_;
};

TEST_F(AnimationControlTest, PlaysOnceAndStopsOnTheLastFrame) {
  AnimationControl control(nullptr, &timers_, 5);
  control.speed = 10.0f;
  control.Play();
  Run(control, 8);  // 0.25 s
  EXPECT_EQ(control.frameA, 2u);
  EXPECT_EQ(control.frameB, 3u);
  EXPECT_FLOAT_EQ(control.t, 0.5f);
  EXPECT_TRUE(control.playing);
  Run(control, 24);  // 1 s in all
  EXPECT_EQ(control.frameA, 4u);
  EXPECT_EQ(control.frameB, 0u);
  EXPECT_EQ(control.t, 0.0f);
  EXPECT_FALSE(control.playing);
  EXPECT_FLOAT_EQ(control.position, 4.0f);
}

TEST_F(AnimationControlTest, ContinuousLoopWrapsOntoTheFirstFrame) {
  AnimationControl control(nullptr, &timers_, 5);
  control.loop = true;
  control.playing = true;
  control.position = 4.5f;
  Run(control, 1, 0.001f);
  EXPECT_FLOAT_EQ(control.position, 0.5f);
  EXPECT_EQ(control.loopsDone, 1u);
  EXPECT_EQ(control.frameA, 0u);
  EXPECT_EQ(control.frameB, 1u);
  EXPECT_FLOAT_EQ(control.t, 0.5f);
}

TEST_F(AnimationControlTest, LoopLimitWrapsOnceThenStopsOnTheFirstFrame) {
  AnimationControl control(nullptr, &timers_, 10);
  control.AddAnimation(7, 2, 6);
  control.SetAnimation(7);
  control.loop = true;
  control.loopLimit = 2;
  control.speed = 8.0f;
  control.Play();
  Run(control, 20);  // 5 frames in: one wrap (4 frames) done, position 1
  EXPECT_EQ(control.loopsDone, 1u);
  EXPECT_TRUE(control.playing);
  EXPECT_EQ(control.frameA, 3u);
  Run(control, 12);  // the second loop reaches its end
  EXPECT_FALSE(control.playing);
  EXPECT_EQ(control.frameA, 2u);
  EXPECT_EQ(control.frameB, 3u);
  EXPECT_EQ(control.position, 0.0f);
}

TEST_F(AnimationControlTest, PauseBetweenLoopsHoldsTheFirstFrame) {
  RandomSeed(1234);
  AnimationControl control(nullptr, &timers_, 5);
  control.loop = true;
  control.minDelay = 1.0f;
  control.maxDelay = 2.0f;
  control.speed = 16.0f;
  control.Play();
  const float pause = control.delay;
  ASSERT_GE(pause, 1.0f);
  ASSERT_LT(pause, 2.0f);
  // Play draws the pause first: nothing moves until it is over.
  Run(control, 16);  // 0.5 s
  EXPECT_EQ(control.position, 0.0f);
  // Play until the pause is over and the range has been played to its end.
  bool moved = false;
  int updates = 0;
  while (updates < 200 && !(moved && control.delay > 0.0f)) {
    Run(control, 1);
    moved = moved || control.position > 0.0f;
    ++updates;
  }
  ASSERT_TRUE(moved);
  EXPECT_GE(updates * 0.03125f, pause - 0.5f + 0.25f - 0.0625f) << "no frame moves before the pause is over";
  EXPECT_TRUE(control.playing);
  EXPECT_EQ(control.position, 0.0f);
  EXPECT_EQ(control.frameA, 0u);
  EXPECT_EQ(control.frameB, 1u);
  EXPECT_GE(control.delay, 0.9f) << "a second pause of 1 to 2 s starts";
  Run(control, 8);
  EXPECT_EQ(control.position, 0.0f) << "the position waits out the second pause";
}

TEST_F(AnimationControlTest, ReversedRangeRunsDownwards) {
  AnimationControl control(nullptr, &timers_, 10);
  control.AddAnimation(1, 9, 5);
  control.SetAnimation(1);
  control.playing = true;
  control.position = 1.25f;
  Run(control, 1, 0.001f);
  EXPECT_EQ(control.frameA, 7u);
  EXPECT_EQ(control.frameB, 8u);
  EXPECT_FLOAT_EQ(control.t, 0.75f);
}

TEST_F(AnimationControlTest, WithoutInterpolationTheReachedFrameIsShownInBothDirections) {
  struct Row {
    std::uint32_t first, last;
    float position;
    std::uint32_t shown;
  };
  const Row rows[] = {
      {0, 4, 1.25f, 1}, {0, 4, 2.9f, 2}, {9, 5, 1.25f, 8}, {9, 5, 0.0f, 9}, {9, 5, 3.5f, 6},
  };
  for (const Row& row : rows) {
    AnimationControl control(nullptr, &timers_, 10);
    control.AddAnimation(1, row.first, row.last);
    control.SetAnimation(1);
    control.interpolate = false;
    control.position = row.position;
    Run(control, 1, 0.001f);
    EXPECT_EQ(control.t, 0.0f);
    EXPECT_EQ(control.frameA, row.shown) << row.first << ".." << row.last << " at " << row.position;
  }
}

TEST_F(AnimationControlTest, RangesAndSelection) {
  AnimationControl control(nullptr, &timers_, 6);
  EXPECT_TRUE(control.AddAnimation(0, 1, 3));
  EXPECT_FALSE(control.AddAnimation(0, 2, 5));
  EXPECT_EQ(control.animations[0], std::make_pair(1u, 3u));
  EXPECT_EQ(control.animations[AnimationControl::kAllFrames], std::make_pair(0u, 5u));
  control.playing = true;
  control.position = 2.0f;
  control.SetAnimation(0);
  EXPECT_EQ(control.position, 0.0f);
  EXPECT_TRUE(control.playing);

  AnimationControl copy(control);
  EXPECT_EQ(copy.currentAnimation, 0u);
  EXPECT_EQ(copy.animations.size(), 2u);
  AnimationControl other(nullptr, &timers_, 3);
  other.CopyFrom(control);
  EXPECT_EQ(other.currentAnimation, AnimationControl::kAllFrames) << "frame counts differ: nothing is copied";
}

TEST_F(AnimationControlTest, OneFrameLoopNeverShowsASecondFrame) {
  for (std::uint32_t limit : {0u, 1u}) {
    AnimationControl control(nullptr, &timers_, 1);
    control.loop = true;
    control.loopLimit = limit;
    control.maxDelay = limit == 0 ? 0.5f : 0.0f;
    control.speed = 30.0f;
    control.Play();
    for (int i = 0; i < 100; ++i) {
      Run(control, 1);
      ASSERT_EQ(control.frameA, 0u);
      ASSERT_EQ(control.frameB, 0u) << "limit " << limit;
    }
  }
}

TEST_F(AnimationControlTest, ValuesFromFilesNeitherHangNorLeaveTheRange) {
  const float speeds[] = {
      1e30f, -1e30f, -7.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
      3e9f};
  const auto start = std::chrono::steady_clock::now();
  for (float speed : speeds) {
    for (bool loop : {false, true}) {
      for (bool backwards : {false, true}) {
        AnimationControl control(nullptr, &timers_, 40);
        control.AddAnimation(3, backwards ? 30 : 10, backwards ? 10 : 30);
        control.SetAnimation(3);
        control.loop = loop;
        control.speed = speed;
        control.Play();
        for (int i = 0; i < 50; ++i) {
          Run(control, 1, 0.1f);
          ASSERT_GE(control.frameA, 10u) << speed;
          ASSERT_LE(control.frameA, 30u) << speed;
          ASSERT_GE(control.frameB, 10u) << speed;
          ASSERT_LE(control.frameB, 30u) << speed;
          ASSERT_TRUE(std::isfinite(control.position)) << speed;
          ASSERT_GE(control.t, 0.0f);
          ASSERT_LE(control.t, 1.0f);
        }
      }
    }
  }
  // A wrap loop stepping one period at a time would take hours for these speeds.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(AnimationControlTest, NegativeSpeedLoopsRoundToTheEnd) {
  AnimationControl control(nullptr, &timers_, 5);
  control.loop = true;
  control.speed = -8.0f;
  control.Play();
  Run(control, 1, 0.0625f);  // half a frame back from the start
  EXPECT_FLOAT_EQ(control.position, 3.5f);
  EXPECT_EQ(control.frameA, 3u);
  EXPECT_EQ(control.frameB, 4u);
}

TEST_F(AnimationControlTest, RandomStartPicksAPauseOrAPositionInsideTheRange) {
  RandomSeed(99);
  int pauses = 0;
  int positions = 0;
  for (int i = 0; i < 200; ++i) {
    AnimationControl control(nullptr, &timers_, 12);
    control.AddAnimation(1, 10, 2);
    control.SetAnimation(1);
    control.minDelay = 0.5f;
    control.maxDelay = 1.0f;
    control.SetRandomStart();
    if (control.delay > 0.0f) {
      ++pauses;
      EXPECT_EQ(control.position, 0.0f);
      EXPECT_LT(control.delay, 1.0f);
    } else {
      ++positions;
      EXPECT_GE(control.position, 0.0f);
      EXPECT_LT(control.position, 8.0f);
    }
  }
  EXPECT_GT(pauses, 50);
  EXPECT_GT(positions, 50);
}

TEST(SkeletonTest, EqualFramesGiveTheSameMatricesForAnyBlend) {
  Skeleton skeleton(nullptr, 2);
  skeleton.GetBone(0)->box.SetBox(Vector3(-1, -1, -1), Vector3(1, 1, 1));
  skeleton.GetBone(1)->box.SetBox(Vector3(0, 0, 0), Vector3(2, 2, 2));
  skeleton.GetBone(1)->pivot = Vector3(0.5f, 0, 0);
  // Two frames, frame 1 equal to frame 0; rotation a quarter turn about z.
  const float s = std::sqrt(0.5f);
  const float pose[10] = {1, 2, 3, 0, 0, s, s, 1, 2, 1};
  std::vector<float> poses;
  for (int i = 0; i < 4; ++i) {
    poses.insert(poses.end(), pose, pose + 10);
  }
  skeleton.Update(poses.data(), 0, 1, 0.0f);
  const Matrix4 skin = skeleton.GetBone(1)->skinMatrix;
  const Matrix4 normal = skeleton.GetBone(1)->normalMatrix;
  for (float t : {0.3f, 0.75f, 1.0f}) {
    skeleton.Update(poses.data(), 0, 1, t);
    EXPECT_EQ(skeleton.GetBone(1)->skinMatrix, skin) << t;
    EXPECT_EQ(skeleton.GetBone(1)->normalMatrix, normal) << t;
  }
  // The pivot goes first: bone 1 maps (0, 0, 0) through the pivot (0.5, 0, 0), scale x 1, a quarter turn
  // to (0, 0.5, 0), then the translation.
  const Vector3 origin = skin.TransformPoint(Vector3());
  EXPECT_NEAR(origin.x, 1.0f, 1e-5f);
  EXPECT_NEAR(origin.y, 2.5f, 1e-5f);
  EXPECT_NEAR(origin.z, 3.0f, 1e-5f);
}

TEST(SkeletonTest, BoundsCoverTheIncludedBonesOnly) {
  Skeleton skeleton(nullptr, 2);
  EXPECT_EQ(skeleton.box.localMin, Vector3(-0.5f, -0.5f, -0.5f));
  skeleton.GetBone(0)->box.SetBox(Vector3(-1, -1, -1), Vector3(1, 1, 1));
  skeleton.GetBone(1)->box.SetBox(Vector3(-1, -1, -1), Vector3(1, 1, 1));
  skeleton.GetBone(1)->excludedFromBounds = 1;
  // Bone 0 moved by (10, 0, 0), bone 1 by (-50, 0, 0); unit scale, identity rotation.
  const float poses[20] = {10, 0, 0, 0, 0, 0, 1, 1, 1, 1, -50, 0, 0, 0, 0, 0, 1, 1, 1, 1};
  skeleton.Update(poses, 0, 0, 0.0f);
  EXPECT_EQ(skeleton.box.localMin, Vector3(9, -1, -1));
  EXPECT_EQ(skeleton.box.localMax, Vector3(11, 1, 1));

  skeleton.GetBone(0)->excludedFromBounds = 1;
  skeleton.Update(poses, 0, 0, 0.0f);
  EXPECT_EQ(skeleton.box.localMin.x, 100000.0f) << "every bone excluded leaves the box inverted";
  Skeleton copy(skeleton);
  EXPECT_EQ(copy.boneCount, 2);
  EXPECT_EQ(copy.GetBone(0)->skinMatrix, skeleton.GetBone(0)->skinMatrix);
}

}  // namespace
}  // namespace CorvantisEngine
