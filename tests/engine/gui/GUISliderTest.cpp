// Sliders and scrolls: the mouse-to-position mapping, the thumb's placement, counts and the arrows'
// stepping with repeat.
#include "GUIFixture.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUISlider.h"
#include "platform/headless/HeadlessClock.h"

namespace CorvantisEngine::guitest {
namespace {

class SliderTest : public GUIFixture {
 protected:
  // A horizontal slider at (100, 100), 200 x 20, track from (0, 0) to (180, 0), thumb 20 x 20.
  GUISlider* MakeSlider(std::uint32_t count, bool vertical = false) {
    GUISlider* slider =
        gui_->CreateSlider(kGUIShown, {100, 100}, {200, 20}, nullptr, vertical, {0, 0},
                           vertical ? Vector2{0, 180} : Vector2{180, 0}, count, nullptr, {1, 1});
    slider->CreateThumb({20, 20}, nullptr, {1, 1});
    return slider;
  }
  // Press on the track at x and drag to it.
  static void Drag(GUISlider* slider, float x, float y = 110) {
    slider->Update({x, y}, true, !slider->IsDragging());
  }
};

TEST_F(SliderTest, MouseMapsToTheNearestPosition) {
  GUISlider* slider = MakeSlider(11);
  struct Case {
    float mouseX;
    std::uint32_t position;
  } cases[] = {{110, 0}, {118, 0},  {119, 1},  {200, 5}, {208, 5},
               {209, 6}, {290, 10}, {299, 10}, {150, 2}, {265, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mouseX);
    slider->Update({c.mouseX, 110}, false, false);
    Drag(slider, c.mouseX);
    EXPECT_EQ(slider->GetPosition(), c.position);
  }
  // Dragged beyond the ends it clamps; released, it stays.
  Drag(slider, 700);
  EXPECT_EQ(slider->GetPosition(), 10u);
  slider->Update({700, 110}, false, false);
  slider->Update({120, 110}, false, false);
  EXPECT_EQ(slider->GetPosition(), 10u);
  EXPECT_FALSE(slider->IsDragging());
}

TEST_F(SliderTest, CountTwoSnapsAtTheMiddleAndReversedFlips) {
  GUISlider* slider = MakeSlider(2);
  Drag(slider, 110 + 89);
  EXPECT_EQ(slider->GetPosition(), 0u);
  Drag(slider, 110 + 90);
  EXPECT_EQ(slider->GetPosition(), 1u);
  slider->reversed = 1;
  Drag(slider, 110);
  EXPECT_EQ(slider->GetPosition(), 1u);
}

TEST_F(SliderTest, VerticalSliderFollowsY) {
  GUISlider* slider = gui_->CreateSlider(kGUIShown, {100, 100}, {20, 200}, nullptr, true, {0, 0}, {0, 180}, 3,
                                         nullptr, {1, 1});
  slider->CreateThumb({20, 20}, nullptr, {1, 1});
  slider->Update({110, 290}, true, true);
  EXPECT_EQ(slider->GetPosition(), 2u);
}

TEST_F(SliderTest, CountsBelowTwoActAsTwoAndSmallerCountsClamp) {
  GUISlider* slider =
      gui_->CreateSlider(kGUIShown, {}, {10, 10}, nullptr, false, {}, {100, 0}, 0, nullptr, {1, 1});
  EXPECT_EQ(slider->count, 2u);
  slider->SetCount(10);
  slider->SetPosition(8);
  slider->SetCount(5);
  EXPECT_EQ(slider->GetPosition(), 4u);
  slider->SetCount(1);
  EXPECT_EQ(slider->count, 2u);
  EXPECT_EQ(slider->GetPosition(), 1u);
  slider->SetPosition(100);
  EXPECT_EQ(slider->GetPosition(), 1u);
  // A count written directly below 2 still acts as 2 (no division by zero, no wrap).
  slider->CreateThumb({10, 10}, nullptr, {1, 1});
  slider->count = 0;
  slider->Update({95, 5}, true, true);
  EXPECT_EQ(slider->GetPosition(), 1u);
  EXPECT_TRUE(slider->Render());
  const Vector3 corner = slider->thumb->model->world.TransformPoint(Vector3(0, 0, 0));
  EXPECT_NEAR(corner.x, 100.0f, 1e-3f);
}

TEST_F(SliderTest, EqualStartAndEndJumpToAnEnd) {
  GUISlider* slider = gui_->CreateSlider(kGUIShown, {100, 100}, {40, 40}, nullptr, false, {10, 0}, {10, 30},
                                         5, nullptr, {1, 1});
  slider->CreateThumb({20, 20}, nullptr, {1, 1});
  slider->Update({125, 110}, true, true);
  EXPECT_EQ(slider->GetPosition(), 4u);
  slider->Update({115, 110}, true, false);
  EXPECT_EQ(slider->GetPosition(), 0u);
}

TEST_F(SliderTest, ThumbIsDrawnAtItsPositionAndCoversTheTrack) {
  GUISlider* slider = MakeSlider(4);
  ASSERT_NE(slider->thumb, nullptr);
  EXPECT_EQ(slider->thumb->parent, slider);
  EXPECT_EQ(slider->thumb->size.x, 200.0f);
  EXPECT_EQ(slider->thumb->hoverSound, 4u);
  EXPECT_EQ(slider->thumb->pressSound, 5u);
  EXPECT_NEAR(slider->thumb->depth, slider->depth - 0.01f, 1e-5f);
  slider->SetPosition(2);
  slider->Render();
  Vector3 corner = slider->thumb->model->world.TransformPoint(Vector3(0, 0, 0));
  EXPECT_NEAR(corner.x, 220.0f, 1e-3f);
  EXPECT_NEAR(corner.y, 100.0f, 1e-3f);
  const Vector3 far = slider->thumb->model->world.TransformPoint(Vector3(1, 1, 0));
  EXPECT_NEAR(far.x - corner.x, 20.0f, 1e-3f);
  slider->reversed = 1;
  slider->SetPosition(0);
  slider->Render();
  corner = slider->thumb->model->world.TransformPoint(Vector3(0, 0, 0));
  EXPECT_NEAR(corner.x, 280.0f, 1e-3f) << "reversed: position 0 at the end point";
  slider->SetEndPoint({100, 0});
  EXPECT_EQ(slider->thumb->size.x, 120.0f);
  slider->SetStartPoint({10, 5});
  EXPECT_EQ(slider->thumb->position.x, 10.0f);
  EXPECT_EQ(slider->thumb->size.x, 110.0f);
}

TEST_F(SliderTest, DisabledSliderIgnoresTheMouse) {
  GUISlider* slider = MakeSlider(11);
  slider->SetEnabled(false);
  EXPECT_EQ(slider->sliderState, 2u);
  EXPECT_FALSE(slider->thumb->IsEnabled());
  EXPECT_FALSE(slider->Update({290, 110}, true, true));
  EXPECT_EQ(slider->GetPosition(), 0u);
  slider->ClearState(kGUIShown);
  slider->SetState(kGUIShown);
  EXPECT_EQ(slider->sliderState, 2u);
  slider->SetEnabled(true);
  slider->Update({290, 110}, true, true);
  EXPECT_EQ(slider->GetPosition(), 10u);
  EXPECT_EQ(slider->sliderState, 1u);
}

TEST_F(SliderTest, ModelLessSliderMakesItsPartsWithTheGUICamera) {
  GUISlider* slider =
      gui_->CreateSliderFromModel(kGUIShown, {}, {100, 10}, nullptr, false, {}, {80, 0}, 5, nullptr);
  EXPECT_EQ(slider->model, nullptr);
  slider->CreateThumb({20, 10}, nullptr, {1, 1});
  ASSERT_NE(slider->thumb->model, nullptr);
  EXPECT_EQ(slider->thumb->model->camera, gui_->GetCamera());
  EXPECT_TRUE(slider->Render());
}

class ScrollTest : public SliderTest {
 protected:
  // A vertical scroll of 20 positions with arrows above and below the track.
  GUIScroll* MakeScroll() {
    GUIScroll* scroll = gui_->CreateScroll(kGUIShown, {100, 100}, {20, 200}, nullptr, true, {0, 20}, {0, 160},
                                           20, nullptr, {1, 1});
    scroll->CreateThumb({20, 20}, nullptr, {1, 1});
    scroll->CreateIncreaseButton({0, 180}, {20, 20}, nullptr, {1, 1});
    scroll->CreateDecreaseButton({0, 0}, {20, 20}, nullptr, {1, 1});
    return scroll;
  }
  static constexpr Vector2 kUp{110, 290};
  static constexpr Vector2 kDown{110, 110};
};

TEST_F(ScrollTest, PartsAndTheirSounds) {
  GUIScroll* scroll = MakeScroll();
  EXPECT_EQ(scroll->thumb->hoverSound, 6u);
  EXPECT_EQ(scroll->thumb->pressSound, 7u);
  EXPECT_EQ(scroll->thumb->layer, 2);
  EXPECT_EQ(scroll->increaseButton->hoverSound, 8u);
  EXPECT_EQ(scroll->decreaseButton->pressSound, 9u);
  EXPECT_EQ(scroll->children.size(), 3u);
  const std::uint32_t models = models_->GetModelCount();
  gui_->DestroyScroll(scroll);
  EXPECT_EQ(models_->GetModelCount(), models - 4);
}

TEST_F(ScrollTest, HoldingAnArrowForOneSecondGivesSevenSteps) {
  GUIScroll* scroll = MakeScroll();
  timers_.delta = 0.02f;
  scroll->Update(kUp, true, true);
  EXPECT_EQ(scroll->GetPosition(), 1u) << "the first step comes with the press";
  for (int frame = 1; frame < 50; ++frame) {
    scroll->Update(kUp, true, false);
  }
  EXPECT_EQ(scroll->GetPosition(), 7u);
  EXPECT_TRUE(scroll->IsDragging());
  scroll->Update(kUp, false, false);
  EXPECT_FALSE(scroll->IsDragging());
  // Off the arrow the repeat stops and starts afresh.
  scroll->Update(kDown, true, true);
  EXPECT_EQ(scroll->GetPosition(), 6u);
  scroll->Update({300, 300}, true, false);
  scroll->Update(kDown, true, false);
  EXPECT_EQ(scroll->GetPosition(), 5u) << "back on the arrow, the accumulator started from zero";
}

TEST_F(ScrollTest, StepsStopAtBothEndsAndReversedSwapsTheArrows) {
  GUIScroll* scroll = MakeScroll();
  scroll->step = 5;
  scroll->Update(kDown, true, true);
  EXPECT_EQ(scroll->GetPosition(), 0u);
  scroll->Update(kDown, false, false);
  scroll->SetPosition(17);
  scroll->Update(kUp, true, true);
  EXPECT_EQ(scroll->GetPosition(), 19u);
  scroll->Update(kUp, false, false);
  scroll->reversed = 1;
  scroll->Update(kUp, true, true);
  EXPECT_EQ(scroll->GetPosition(), 14u) << "reversed: the increase arrow lowers the position";
}

TEST_F(ScrollTest, DisablingReachesThumbAndArrows) {
  GUIScroll* scroll = MakeScroll();
  scroll->SetEnabled(false);
  EXPECT_FALSE(scroll->increaseButton->IsEnabled());
  EXPECT_FALSE(scroll->decreaseButton->IsEnabled());
  EXPECT_FALSE(scroll->thumb->IsEnabled());
  EXPECT_FALSE(scroll->Update(kUp, true, true));
  EXPECT_EQ(scroll->GetPosition(), 0u);
  scroll->SetColour(Vector4(1, 0, 0, 0.5f));
  EXPECT_FLOAT_EQ(scroll->increaseButton->GetColour().w, 1.0f) << "plain quads carry no colour";
}

}  // namespace
}  // namespace CorvantisEngine::guitest
