// Buttons and check boxes driven by scripted mouse frames: states, the one-frame click, the looks and
// the GUI sounds they play.
#include "GUISoundFixture.h"
#include "engine/gui/GUIButton.h"
#include "engine/resources/ShaderDescriptor.h"
#include "engine/resources/ShaderUser.h"

namespace CorvantisEngine::guitest {
namespace {

constexpr Vector2 kInside{150, 150};
constexpr Vector2 kOutside{10, 10};

// One frame of input and what the button shows after it.
struct Step {
  Vector2 mouse;
  bool held;
  bool pressed;
  std::uint32_t state;
  bool clicked;
  std::vector<std::uint32_t> sounds;
};

class ButtonTest : public GUISoundFixture {
 protected:
  GUIButton* MakeButton() {
    return new GUIButton(Services(), guiSounds_.get(), kGUIShown, {100, 100}, {100, 100}, nullptr, nullptr,
                         {1, 1});
  }
  void Run(GUIButton& button, const std::vector<Step>& script) {
    Played();
    for (std::size_t i = 0; i < script.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "frame " << i);
      const Step& step = script[i];
      button.Update(step.mouse, step.held, step.pressed);
      EXPECT_EQ(button.buttonState, step.state);
      EXPECT_EQ(button.clicked != 0, step.clicked);
      EXPECT_EQ(Played(), step.sounds);
    }
  }
};

TEST_F(ButtonTest, Scripts) {
  Register({0, 1});
  struct Script {
    const char* why;
    std::vector<Step> steps;
  } scripts[] = {
      {"click: press inside, release inside; the click lasts one frame",
       {{kOutside, false, false, 0, false, {}},
        {kInside, false, false, 1, false, {0}},
        {kInside, true, true, 2, false, {1}},
        {kInside, true, false, 2, false, {}},
        {kInside, false, false, 1, true, {}},
        {kInside, false, false, 1, false, {}}}},
      {"press inside, drag out, release outside: no click, normal",
       {{kOutside, false, false, 0, false, {}},
        {kInside, true, true, 2, false, {1}},  // arriving pressed: no hover sound
        {kOutside, true, false, 0, false, {}},
        {kOutside, false, false, 0, false, {}}}},
      {"press inside, drag out and back in, release: one click",
       {{kOutside, false, false, 0, false, {}},
        {kInside, true, true, 2, false, {1}},  // arriving pressed: no hover sound
        {kOutside, true, false, 0, false, {}},
        {kInside, true, false, 2, false, {}},
        {kInside, false, false, 1, true, {}}}},
      {"press outside, drag in, release: no click, no press sound",
       {{kOutside, true, true, 0, false, {}},
        {kInside, true, false, 1, false, {0}},
        {kInside, false, false, 1, false, {}}}},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.why);
    std::unique_ptr<GUIButton> button(MakeButton());
    Run(*button, script.steps);
  }
}

TEST_F(ButtonTest, MouseStartingOverTheButtonPlaysNoHoverSound) {
  Register({0, 1});
  std::unique_ptr<GUIButton> button(MakeButton());
  Run(*button, {{kInside, false, false, 1, false, {}},
                {kOutside, false, false, 0, false, {}},
                {kInside, false, false, 1, false, {0}}});
}

TEST_F(ButtonTest, DisabledButtonIsFrozenAndDropsItsPress) {
  Register({0, 1});
  std::unique_ptr<GUIButton> button(MakeButton());
  Run(*button, {{kInside, true, true, 2, false, {1}}});
  button->SetEnabled(false);
  EXPECT_EQ(button->buttonState, 3u);
  EXPECT_EQ(button->GetLook(), 3);
  EXPECT_FALSE(button->Update(kInside, false, false));
  EXPECT_EQ(button->clicked, 0) << "a release while disabled is no click";
  button->SetEnabled(true);
  Run(*button, {{kInside, false, false, 1, false, {}}});
}

TEST_F(ButtonTest, HidingAndShowingReturnsToNormal) {
  std::unique_ptr<GUIButton> button(MakeButton());
  button->Update(kInside, true, true);
  EXPECT_EQ(button->buttonState, 2u);
  button->ClearState(kGUIShown);
  EXPECT_FALSE(button->Update(kInside, false, false));
  button->SetState(kGUIShown);
  EXPECT_EQ(button->buttonState, 0u);
  EXPECT_EQ(button->pressedFlag, 0);
  button->SetEnabled(false);
  button->ClearState(kGUIShown);
  button->SetState(kGUIShown);
  EXPECT_EQ(button->buttonState, 3u);
}

TEST_F(ButtonTest, CheckBoxTogglesAndShowsEightLooks) {
  Register({2, 3});
  std::unique_ptr<GUICheckBox> box(new GUICheckBox(Services(), guiSounds_.get(), kGUIShown, {100, 100},
                                                   {100, 100}, nullptr, nullptr, {1, 1}));
  Played();
  box->Update(kOutside, false, false);
  EXPECT_EQ(box->GetLook(), 0);
  box->Update(kInside, false, false);
  EXPECT_EQ(box->GetLook(), 1);
  box->Update(kInside, true, true);
  EXPECT_EQ(box->GetLook(), 2);
  EXPECT_EQ(Played(), (std::vector<std::uint32_t>{2, 3}));
  box->Update(kInside, false, false);
  EXPECT_EQ(box->checked, 1);
  EXPECT_EQ(box->GetLook(), 4);
  box->Update(kOutside, false, false);
  EXPECT_EQ(box->GetLook(), 3);
  box->Update(kInside, true, true);
  EXPECT_EQ(box->GetLook(), 5);
  box->SetEnabled(false);
  EXPECT_EQ(box->GetLook(), 7);
  box->Update(kInside, false, false);
  EXPECT_EQ(box->checked, 1) << "a disabled check box never toggles";
  box->checked = 0;
  EXPECT_EQ(box->GetLook(), 6);
}

TEST_F(ButtonTest, LookSelectsTheFrameOfTheTexturesFirstStage) {
  // A frame grid of eight looks in one texture (the stage loads no file).
  ShaderDescriptor grid;
  grid.AddStage(4, 1, 4, 2, 8, 0.0f, "", "", 0);
  std::unique_ptr<GUICheckBox> box(new GUICheckBox(Services(), guiSounds_.get(), kGUIShown, {100, 100},
                                                   {100, 100}, &grid, nullptr, {1, 1}));
  ASSERT_NE(box->GetTexture(), nullptr);
  ASSERT_EQ(box->GetTexture()->GetStage(0).frameCount, 8u);
  box->checked = 1;
  box->Update(kInside, false, false);
  EXPECT_TRUE(box->Render());
  EXPECT_FLOAT_EQ(box->GetTexture()->GetClock(0), 4.0f);
  box->SetEnabled(false);
  box->Render();
  EXPECT_FLOAT_EQ(box->GetTexture()->GetClock(0), 7.0f);
}

// GUI sounds.
class GUISoundTest : public GUISoundFixture {};

TEST_F(GUISoundTest, RecordingsAlternateAndRepeatsWithinTheWindowAreDropped) {
  guiSounds_->AddSound(0, "sounds\\a.wav");
  guiSounds_->AddSound(0, "sounds\\b.wav");
  ASSERT_EQ(guiSounds_->sounds[0].size(), 2u);
  GUISoundEntry* first = guiSounds_->sounds[0][0];
  GUISoundEntry* second = guiSounds_->sounds[0][1];
  guiSounds_->PlaySound(0);
  EXPECT_TRUE(first->played);
  EXPECT_FALSE(second->played);
  EXPECT_EQ(soundManager_->GetQueuedCount(), 1u);
  guiSounds_->PlaySound(0);
  EXPECT_FALSE(second->played) << "a second request in the same frame plays nothing";
  EXPECT_EQ(soundManager_->GetQueuedCount(), 1u);
  platform::headless::StepClockMilliseconds(20);
  guiSounds_->PlaySound(0);
  EXPECT_TRUE(second->played);
  platform::headless::StepClockMilliseconds(20);
  const float before = first->lastStart;
  guiSounds_->PlaySound(0);
  EXPECT_GT(first->lastStart, before) << "the one rested longest plays";
  guiSounds_->PlaySound(42);  // no recordings: nothing
  EXPECT_EQ(soundManager_->GetQueuedCount(), 3u);
}

TEST_F(GUISoundTest, RequestsNearTheTimersStartStillPlay) {
  platform::headless::ResetClock();
  TimerManager timers;
  GUISoundManager sounds(&timers, soundManager_.get());
  sounds.AddSound(5, "sounds\\a.wav");
  sounds.PlaySound(5);
  EXPECT_TRUE(sounds.sounds[5][0]->played);
}

TEST_F(GUISoundTest, MissingFileIsLoggedAndLeavesTheIdWorking) {
  EXPECT_NO_THROW(guiSounds_->AddSound(3, "sounds\\missing.wav"));
  EXPECT_EQ(CountLogged(2, "missing.wav"), 1);
  guiSounds_->AddSound(3, "sounds\\a.wav");
  EXPECT_NO_THROW(guiSounds_->PlaySound(3));
  EXPECT_EQ(soundManager_->GetQueuedCount(), 1u);
}

TEST_F(GUISoundTest, WithoutSoundNothingIsRegisteredOrPlayed) {
  GUISoundManager silent(&timers_, nullptr);
  silent.AddSound(0, "sounds\\a.wav");
  silent.PlaySound(0);
  EXPECT_TRUE(silent.sounds.empty());
}

TEST_F(GUISoundTest, DestructorDestroysItsSounds) {
  const std::uint32_t before = soundManager_->GetSoundCount();
  {
    GUISoundManager sounds(&timers_, soundManager_.get());
    sounds.AddSound(1, "sounds\\a.wav");
    sounds.AddSound(1, "sounds\\b.wav");
    EXPECT_EQ(soundManager_->GetSoundCount(), before + 2);
  }
  EXPECT_EQ(soundManager_->GetSoundCount(), before);
}

}  // namespace
}  // namespace CorvantisEngine::guitest
