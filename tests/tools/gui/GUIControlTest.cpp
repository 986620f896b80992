// The control base: show and hide requests, actions, timed and model-animation faders, the frame
// ranges of the model and animator animations, and the per-frame layout of the element. Time is stepped
// in eighths of a second so that offsets and fades land on exact updates.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GUIToolsFixture.h"
#include "tools/gui/GUIWindowControl.h"

namespace GUITools::guitest {
namespace {

constexpr float kStep = 0.125f;

class GUIControlTest : public GUIToolsFixture {
 protected:
  std::unique_ptr<GUIWindowControl> Make(const ControlDescription& description) {
    return std::make_unique<GUIWindowControl>(GetEngine(), Keeper(), Container(), description);
  }
  std::unique_ptr<GUIWindowControl> MakeQuad() {
    AddShader("panel");
    return Make(Describe("w", "", "panel"));
  }
  static void Timed(GUIControl& c, float showOffset, float hideOffset, float fadeOffset, float showSpeed,
                    float hideSpeed) {
    c.faderName = "f";
    c.showOffset = showOffset;
    c.hideOffset = hideOffset;
    c.fadeOffset = fadeOffset;
    c.showSpeed = showSpeed;
    c.hideSpeed = hideSpeed;
  }
  // One update each; the element's visible flag and alpha after it.
  struct Frame {
    bool visible;
    float alpha;
  };
  std::vector<Frame> Run(GUIControl& c, int updates) {
    std::vector<Frame> out;
    SetDelta(kStep);
    for (int i = 0; i < updates; ++i) {
      c.Update();
      out.push_back({c.GetElement()->visible != 0, c.GetElement()->GetColour().w});
    }
    return out;
  }
  static void ExpectFrames(const std::vector<Frame>& got, const std::vector<Frame>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].visible, want[i].visible) << "update " << i + 1;
      if (want[i].visible) {
        EXPECT_NEAR(got[i].alpha, want[i].alpha, 0.01f) << "update " << i + 1;
      }
    }
  }
};

TEST_F(GUIControlTest, StartsHiddenAndTakesTheDescriptionsName) {
  auto c = MakeQuad();
  EXPECT_EQ(c->name, "w");
  EXPECT_EQ(c->GetElement()->state & kGUIShown, 0u);
  EXPECT_FALSE(c->IsVisible());
  EXPECT_EQ(c->GetElement()->parent, Container());
}

TEST_F(GUIControlTest, TimedFaderShowsAfterItsOffsetAndFadesInThenOut) {
  auto c = MakeQuad();
  Timed(*c, 0.25f, 0.25f, 0.125f, 2.0f, 4.0f);
  c->SetVisible(true, true);
  EXPECT_TRUE(c->IsVisible()) << "shown counts at once";
  // Hidden for the show offset; then at min for the fade offset; then up to max in 1 / 2 s.
  ExpectFrames(Run(*c, 7),
               {{false, 0}, {true, 0}, {true, 0.25f}, {true, 0.5f}, {true, 0.75f}, {true, 1}, {true, 1}});

  c->SetVisible(false, true);
  // Unchanged for the hide offset, at max for the fade offset, then down to min in 1 / 4 s: hidden.
  const auto hide = Run(*c, 4);
  ExpectFrames(hide, {{true, 1}, {true, 1}, {true, 0.5f}, {false, 0}});
  EXPECT_FALSE(c->IsVisible());
  EXPECT_EQ(c->GetElement()->state & kGUIShown, 0u);
}

TEST_F(GUIControlTest, FaderAlphaRunsBetweenMinAndMax) {
  auto c = MakeQuad();
  Timed(*c, 0, 0, 0, 2.0f, 2.0f);
  c->fadeMin = 0.25f;
  c->fadeMax = 0.75f;
  c->SetVisible(true, false);
  EXPECT_FLOAT_EQ(c->fadeValue, 0.25f);
  ExpectFrames(Run(*c, 5), {{true, 0.375f}, {true, 0.5f}, {true, 0.625f}, {true, 0.75f}, {true, 0.75f}});
}

TEST_F(GUIControlTest, WithoutFaderOrAnimationShowAndHideTakeEffectInTheFirstUpdate) {
  auto c = MakeQuad();
  c->SetVisible(true, true);
  EXPECT_EQ(c->GetElement()->visible, 0);
  Run(*c, 1);
  EXPECT_EQ(c->GetElement()->visible, 1);
  EXPECT_FLOAT_EQ(c->GetElement()->GetColour().w, 1.0f) << "no fader leaves the colour alone";
  c->SetVisible(false, true);
  EXPECT_TRUE(c->IsVisible()) << "visible until the update";
  Run(*c, 1);
  EXPECT_FALSE(c->IsVisible());
}

TEST_F(GUIControlTest, ActionsDecideWhatAnAnimatedRequestDoes) {
  struct Row {
    const char* showAction;
    const char* hideAction;
    bool startShown;
    bool request;
    bool animated;
    bool shownAfter;
    bool pendingAfter;
    const char* why;
  };
  const Row rows[] = {
      {"show", "hide", false, true, true, true, true, "plain show"},
      {"hide", "hide", false, true, true, false, true, "show action hide: showing the window hides it"},
      {"show", "show", true, false, true, true, true, "hide action show: hiding the window shows it"},
      {"stay", "hide", false, true, true, false, false, "unknown show action: nothing at all"},
      {"show", "keep", true, false, true, true, false, "unknown hide action: nothing at all"},
      {"stay", "keep", false, true, false, true, true, "a direct request ignores the actions"},
      {"hide", "show", true, false, false, false, true, "a direct hide ignores the actions"},
  };
  for (const Row& row : rows) {
    auto c = MakeQuad();
    c->showAction = row.showAction;
    c->hideAction = row.hideAction;
    c->shown = row.startShown;
    c->pending = false;
    c->SetVisible(row.request, row.animated);
    EXPECT_EQ(c->shown, row.shownAfter) << row.why;
    EXPECT_EQ(c->pending, row.pendingAfter) << row.why;
  }
}

TEST_F(GUIControlTest, HidingAHiddenControlShowsItAndPlaysTheWholeHide) {
  auto c = MakeQuad();
  Timed(*c, 0, 0, 0, 1.0f, 4.0f);
  c->SetVisible(false, true);
  EXPECT_EQ(c->GetElement()->visible, 1) << "visible again at once";
  ExpectFrames(Run(*c, 3), {{true, 0.5f}, {false, 0}, {false, 0}});
}

TEST_F(GUIControlTest, ShowingAShownControlStartsTheShowAgain) {
  auto c = MakeQuad();
  Timed(*c, 0.25f, 0, 0, 4.0f, 1.0f);
  c->SetVisible(true, true);
  Run(*c, 6);
  ASSERT_EQ(c->GetElement()->visible, 1);
  c->SetVisible(true, true);
  EXPECT_EQ(c->GetElement()->visible, 0) << "hidden at once";
  EXPECT_FLOAT_EQ(c->fadeValue, 0.0f);
  ExpectFrames(Run(*c, 3), {{false, 0}, {true, 0.5f}, {true, 1.0f}});
}

TEST_F(GUIControlTest, AHideWhileTheParentIsHiddenEndsAtTheNextUpdate) {
  auto c = MakeQuad();
  Timed(*c, 0, 1.0f, 0, 1.0f, 1.0f);
  c->SetVisible(true, false);
  Run(*c, 2);
  Container()->ClearState(kGUIShown);
  c->SetVisible(false, true);
  EXPECT_NE(c->GetElement()->state & kGUIShown, 0u);
  Run(*c, 1);
  EXPECT_EQ(c->GetElement()->state & kGUIShown, 0u) << "no hide offset, no fade";
  EXPECT_FALSE(c->pending);
  Container()->SetState(kGUIShown);
  EXPECT_EQ(c->GetElement()->visible, 0);
}

TEST_F(GUIControlTest, ModelFrameRangesAreLimitedToTheModel) {
  struct Row {
    std::uint32_t frames;
    std::int32_t start;
    std::int32_t end;
    bool animated;
    std::uint32_t first;
    std::uint32_t last;
    const char* why;
  };
  const Row rows[] = {
      {10, -1, -1, true, 0, 9, "every frame"},
      {10, 2, 5, true, 2, 5, "given range"},
      {10, 7, 40, true, 7, 9, "end limited to the last frame"},
      {10, 15, -1, false, 9, 9, "start beyond the last frame: held on the last"},
      {10, 6, 3, false, 6, 6, "end before start is raised to it: held on that frame"},
      {10, 4, 4, false, 4, 4, "equal bounds: held on that frame"},
      {1, -1, -1, false, 0, 0, "one frame: no model animation"},
  };
  for (const Row& row : rows) {
    AddModel("m" + std::to_string(&row - rows), row.frames);
    ControlDescription d = Describe("w", "m" + std::to_string(&row - rows));
    d.modelStartFrame = row.start;
    d.modelEndFrame = row.end;
    auto c = Make(d);
    AnimationControl* animation = c->GetElement()->model->animation;
    EXPECT_FALSE(animation->loop) << row.why;
    if (row.animated) {
      ASSERT_EQ(c->modelAnimation, animation) << row.why;
      EXPECT_EQ(animation->animations.at(0), std::make_pair(row.first, row.last)) << row.why;
      EXPECT_EQ(animation->animations.at(1), std::make_pair(row.last, row.first)) << row.why;
    } else {
      EXPECT_EQ(c->modelAnimation, nullptr) << row.why;
      animation->Update();
      EXPECT_EQ(animation->frameA, row.first) << row.why;
      EXPECT_FALSE(animation->playing) << row.why;
    }
  }
}

TEST_F(GUIControlTest, ShowPlaysTheModelForwardsAndTheEndOfTheReverseAnimationHides) {
  AddModel("door", 5);
  auto c = Make(Describe("w", "door"));
  AnimationControl* animation = c->modelAnimation;
  ASSERT_NE(animation, nullptr);
  c->SetVisible(true, true);
  Run(*c, 1);
  EXPECT_EQ(c->GetElement()->visible, 1);
  EXPECT_EQ(animation->currentAnimation, 0u);
  EXPECT_TRUE(animation->playing);

  c->SetVisible(false, true);
  Run(*c, 1);
  EXPECT_EQ(animation->currentAnimation, 1u);
  EXPECT_TRUE(animation->playing);
  EXPECT_EQ(c->GetElement()->visible, 1) << "visible while the reverse animation plays";
  // The model manager advances the animation in the render pass: 4 frames at 10 per second.
  for (int i = 0; i < 3; ++i) {
    animation->Update();
  }
  Run(*c, 1);
  EXPECT_EQ(c->GetElement()->visible, 1);
  for (int i = 0; i < 3; ++i) {
    animation->Update();
  }
  ASSERT_FALSE(animation->playing);
  Run(*c, 1);
  EXPECT_EQ(c->GetElement()->visible, 0) << "hidden once the reverse animation has ended";
}

TEST_F(GUIControlTest, ATimedFaderFinishesTheHideEvenWhenTheAnimationEndsFirst) {
  AddModel("door", 2);
  auto c = Make(Describe("w", "door"));
  Timed(*c, 0, 0, 0, 8.0f, 2.0f);
  c->SetVisible(true, true);
  Run(*c, 1);
  c->SetVisible(false, true);
  Run(*c, 1);
  c->modelAnimation->Update();
  c->modelAnimation->Update();
  ASSERT_FALSE(c->modelAnimation->playing);
  Run(*c, 1);
  EXPECT_EQ(c->GetElement()->visible, 1) << "the fade is not over";
  Run(*c, 2);
  EXPECT_EQ(c->GetElement()->visible, 0);
}

TEST_F(GUIControlTest, ModelAnimationFaderFollowsTheAnimationsFrame) {
  AddModel("door", 5);
  auto c = Make(Describe("w", "door"));
  c->faderName = "f";
  c->faderType = "model_animation";
  c->SetVisible(true, true);
  Run(*c, 1);
  EXPECT_NEAR(c->GetElement()->GetColour().w, 0.0f, 1e-4f) << "frame 0 of 4";
  c->modelAnimation->Update();  // 1.25 frames at 10 per second and 1/8 s
  Run(*c, 1);
  EXPECT_NEAR(c->GetElement()->GetColour().w, 1.25f / 4.0f, 0.01f);

  c->SetVisible(false, true);
  Run(*c, 1);
  EXPECT_NEAR(c->GetElement()->GetColour().w, 1.0f, 1e-4f) << "reverse animation starts from the full range";
}

TEST_F(GUIControlTest, ModelAnimationFaderWithoutAnyAnimationKeepsTheMinimum) {
  auto c = MakeQuad();
  c->faderName = "f";
  c->faderType = "model_animation";
  c->fadeMin = 0.25f;
  c->SetVisible(true, true);
  ExpectFrames(Run(*c, 3), {{true, 0.25f}, {true, 0.25f}, {true, 0.25f}});
}

TEST_F(GUIControlTest, AnimatorMovesTheElementByItsBoxCentre) {
  AddShader("panel");
  AddModel("path", 4, {100, 50}, {10, 0});
  ControlDescription d = Describe("w", "", "panel");
  d.animatorModel = "path";
  d.animatorModelEndFrame = 2;
  auto c = Make(d);
  ASSERT_NE(c->animator, nullptr);
  ASSERT_NE(c->animatorAnimation, nullptr);
  EXPECT_NE(c->animator->flags & kModelVisible, 0u);
  EXPECT_EQ(c->animatorAnimation->animations.at(0), std::make_pair(0u, 2u));
  EXPECT_NE(c->animator, Keeper()->GetModel("ui/path")) << "an own copy";

  c->position = {5, 7};
  c->SetVisible(true, true);
  Run(*c, 1);
  EXPECT_TRUE(c->animatorAnimation->playing);
  EXPECT_NEAR(c->GetElement()->position.x, 5 + 100 + 12.5f, 0.01f) << "1.25 frames along";
  EXPECT_NEAR(c->GetElement()->position.y, 7 + 50, 0.01f);
  Run(*c, 1);
  EXPECT_NEAR(c->GetElement()->position.x, 5 + 120, 0.01f) << "held on the last frame of its range";
}

TEST_F(GUIControlTest, LayoutIsPushedIntoTheElementEveryUpdate) {
  auto c = MakeQuad();
  c->height = 3;
  c->position = {10, 20};
  c->size = {30, 40};
  c->selection = true;
  c->selectionPosition = {1, 2};
  c->selectionSize = {3, 4};
  c->SetVisible(true, false);
  Run(*c, 1);
  GUIWindow* e = c->GetElement();
  EXPECT_EQ(e->layer, 3);
  EXPECT_FLOAT_EQ(e->depth, Container()->depth - 0.03f);
  EXPECT_EQ(e->position, (Vector2{10, 20}));
  EXPECT_EQ(e->size, (Vector2{30, 40}));
  EXPECT_EQ(e->hoverRectangle, 1);
  EXPECT_EQ(e->hoverOffset, (Vector2{1, 2}));
  EXPECT_EQ(e->hoverSize, (Vector2{3, 4}));
  c->selection = false;
  Run(*c, 1);
  EXPECT_EQ(e->hoverRectangle, 0);
}

}  // namespace
}  // namespace GUITools::guitest
