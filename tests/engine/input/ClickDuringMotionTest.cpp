// A click while the mouse moves, at a low frame rate: a mouse reports motion several times per frame,
// and the click between two frames must be seen in the frame that follows it.
#include "InputTestFixture.h"

namespace {

namespace headless = platform::headless;

class ClickDuringMotionTest : public inputtest::EngineCorner {};

TEST_F(ClickDuringMotionTest, PressAndReleaseAmidTwelveMotionEventsAreSeenInTheirFrame) {
  MakeControls();
  Frame();
  for (int i = 0; i < 6; ++i) {
    headless::PushMouseMotion(3, -2);
  }
  headless::PushMouseButton(0, true);
  headless::PushMouseButton(0, false);
  for (int i = 0; i < 6; ++i) {
    headless::PushMouseMotion(-1, 4);
  }
  Frame([&] {
    EXPECT_TRUE(controls_->IsKeyPressed("MOUSE1"));
    EXPECT_TRUE(controls_->IsKeyDown("MOUSE1"));
  });
  Frame([&] {
    EXPECT_FALSE(controls_->IsKeyPressed("MOUSE1"));
    EXPECT_FALSE(controls_->IsKeyDown("MOUSE1"));
  });
}

TEST_F(ClickDuringMotionTest, ButtonHeldThroughADragIsSeenPressedThenReleased) {
  MakeControls();
  for (int i = 0; i < 12; ++i) {
    headless::PushMouseMotion(2, 1);
  }
  headless::PushMouseButton(1, true);
  Frame([&] { EXPECT_TRUE(controls_->IsKeyPressed("MOUSE2")); });
  for (int frame = 0; frame < 3; ++frame) {
    for (int i = 0; i < 20; ++i) {
      headless::PushMouseMotion(1, 1);
    }
    Frame([&] {
      EXPECT_TRUE(controls_->IsKeyDown("MOUSE2"));
      EXPECT_FALSE(controls_->IsKeyPressed("MOUSE2"));
    });
  }
  for (int i = 0; i < 12; ++i) {
    headless::PushMouseMotion(-1, 0);
  }
  headless::PushMouseButton(1, false);
  headless::PushMouseButton(1, true);
  headless::PushMouseButton(1, false);
  for (int i = 0; i < 12; ++i) {
    headless::PushMouseMotion(0, -1);
  }
  Frame([&] { EXPECT_TRUE(controls_->IsKeyPressed("MOUSE2")) << "the second click of the frame"; });
  Frame([&] { EXPECT_FALSE(controls_->IsKeyDown("MOUSE2")); });
}

}  // namespace
