// The result windows with a screen: level complete (its time, stars and where its button leads), game
// over (the relax offer once per profile and never in relax mode, the answer at once for the offer's
// return) and the relax offer (yes saves relax mode, no leaves the profile alone). Each answers only
// while it is on screen.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "InputScript.h"
#include "MenuWindowFixture.h"
#include "framework/LevelManagerBase.h"
#include "game/windows/GUIGameOverWindow.h"
#include "game/windows/GUILevelCompleteWindow.h"
#include "game/windows/GUIRelaxWindow.h"
#include "tools/gui/GUITextControl.h"

namespace Puzzle::windowstest {
namespace {

class Levels : public GameFramework::LevelManagerBase {
 public:
  explicit Levels(CorvantisEngine::Engine* engine) : LevelManagerBase(engine) { Load(); }

 protected:
  std::unique_ptr<GameFramework::StageRecord> NewStage() override {
    return std::make_unique<GameFramework::StageRecord>();
  }
  std::unique_ptr<GameFramework::LevelRecord> NewLevel() override {
    return std::make_unique<GameFramework::LevelRecord>();
  }
};

constexpr const char* kFaders =
    "<faders>\n"
    "  <fader name=\"panel\" show_speed=\"100\" hide_speed=\"100\"/>\n"
    "</faders>\n";

std::string Panel(const std::string& name, const std::string& inner) {
  return "<window name=\"" + name +
         "\">\n"
         "  <window name=\"title_mount_animated\" fader=\"panel\" size=\"50 20\"/>\n"
         "  <window name=\"title_mount_static\" size=\"50 20\"/>\n"
         "  <window name=\"window\" fader=\"panel\" position=\"250 200\" size=\"300 200\">\n" +
         inner +
         "  </window>\n"
         "</window>\n";
}
const std::string kButton0 = "    <button name=\"button_0\" position=\"20 20\" size=\"80 30\"/>\n";
const std::string kButton1 = "    <button name=\"button_1\" position=\"180 20\" size=\"80 30\"/>\n";

class ResultWindowsTest : public MenuWindowFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    WriteWindow("faders.xml", kFaders);
    std::string texts;
    for (const char* name : {"your_time", "stars_earned", "stars_total"}) {
      texts += std::string("    <text_label name=\"") + name + "\" font=\"fixed\"/>\n";
    }
    WriteWindow("window_level_complete.xml", Panel("window_level_complete", texts + kButton0));
    WriteWindow("window_game_over.xml", Panel("window_game_over", kButton0));
    WriteWindow("window_relax.xml", Panel("window_relax", kButton0 + kButton1));
    // Stage 0 has two levels, stage 1 one.
    WriteFile("data/levels/levels.xml",
              "<levels><stage><level/><level/></stage><stage><level/></stage></levels>");
    Start();
    levels_ = std::make_unique<Levels>(engine_);
    profile_ = static_cast<Profile*>(Profiles()->AddProfile(L"Anna"));
    Profiles()->SetCurrentProfile(profile_, true);
  }
  void TearDown() override { levels_.reset(); }

  GUILevelCompleteWindow* MakeLevelComplete() {
    return Make<GUILevelCompleteWindow>(engine_, audio_.get(), levels_.get(), Profiles(), data_.get(),
                                        tools_.get(), manager_.get(), container_);
  }
  GUIGameOverWindow* MakeGameOver() {
    return Make<GUIGameOverWindow>(engine_, audio_.get(), Profiles(), data_.get(), tools_.get(),
                                   manager_.get(), container_);
  }
  GUIRelaxWindow* MakeRelax() {
    return Make<GUIRelaxWindow>(engine_, audio_.get(), Profiles(), data_.get(), tools_.get(), manager_.get(),
                                container_);
  }
  // The profile as its file holds it now.
  std::unique_ptr<Profile> Saved() {
    return std::make_unique<Profile>(engine_, profile_->GetFileName(), Profiles()->GetSaveFolder(),
                                     Profile::Existing{});
  }
  // Runs frames until the window is on screen and answering; false when it never gets there.
  bool Settle(GUIMenuWindow* window) {
    FramesUntil([&] { return window->IsActive(); });
    return window->IsActive();
  }
  // Clicks the button and runs the frame that reads it; the window's answer.
  std::uint32_t ClickAndRead(GameFramework::GUIFrameworkWindow* framework, GUIMenuWindow* window,
                             const std::string& button) {
    Click(window->GetButton(window->GetName() + button));
    Frame();
    return framework->result;
  }
  std::wstring Text(GUIMenuWindow* window, const std::string& name) {
    return window->GetTextControl(window->GetName() + name)->text;
  }
  bool Enabled(GUIMenuWindow* window, const std::string& name) {
    return window->IsControlEnabled(window->GetName() + name);
  }

  std::unique_ptr<Levels> levels_;
  Profile* profile_ = nullptr;
};

TEST(LevelCompleteTimeTest, MinutesAndTwoDigitSecondsOfTheTruncatedTime) {
  struct Row {
    float seconds;
    const wchar_t* shown;
  };
  const Row rows[] = {
      {75.9f, L"1:15"},
      {59.99f, L"0:59"},
      {600.0f, L"10:00"},
      {0.0f, L"0:00"},
      {0.5f, L"0:00"},
      {61.0f, L"1:01"},
      {3599.9f, L"59:59"},
      {6000.0f, L"100:00"},
      {-3.0f, L"0:00"},  // not a time: shown as none
      {std::numeric_limits<float>::quiet_NaN(), L"0:00"},
      {std::numeric_limits<float>::infinity(), L"71582788:15"},  // held at the largest count
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seconds);
    EXPECT_EQ(GUILevelCompleteWindow::FormatTime(row.seconds), row.shown);
  }
}

TEST_F(ResultWindowsTest, LevelCompleteShowsTheResultAndLeadsOnByTheLevel) {
  GUILevelCompleteWindow* window = MakeLevelComplete();
  EXPECT_FALSE(Enabled(window, "/title_mount_static"));
  EXPECT_EQ(rig_->CountLogged("window_level_complete/"), 0) << "every control is found";

  struct Row {
    GameFramework::LevelPosition level;
    std::uint32_t answer;
    const char* why;
  };
  const Row rows[] = {
      {{0, 0}, 13, "a level inside its stage: the next level"},
      {{0, 1}, 21, "the stage's last level"},
      {{1, 0}, 21, "the last level of the last stage"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    profile_->levelEarnings = 42;
    profile_->money = 1234;
    window->ShowWithResult(17, row.level, 75.9f);
    EXPECT_EQ(window->openerId, 17u);
    EXPECT_TRUE(Enabled(window, "/title_mount_animated"));
    EXPECT_EQ(Text(window, "/window/your_time"), L"1:15");
    EXPECT_EQ(Text(window, "/window/stars_earned"), L"42");
    EXPECT_EQ(Text(window, "/window/stars_total"), L"1234");

    ASSERT_TRUE(Settle(window));
    EXPECT_EQ(window->result, 0u) << "nothing before the button";
    EXPECT_EQ(ClickAndRead(window, window, "/window/button_0"), row.answer);
    Frame();
    EXPECT_EQ(window->result, 0u) << "an answer lasts one frame";

    window->Hide();
    EXPECT_FALSE(window->IsShown());
    EXPECT_FALSE(Enabled(window, "/title_mount_animated"));
    FramesUntil([&] { return manager_->IsFree(); });
  }
}

TEST_F(ResultWindowsTest, ButtonsAnswerNothingBeforeTheWindowIsOnScreen) {
  GUILevelCompleteWindow* level = MakeLevelComplete();
  GUIGameOverWindow* over = MakeGameOver();
  GUIRelaxWindow* relax = MakeRelax();
  // The level-complete window holds the screen; the others wait for it.
  level->ShowWithResult(17, {0, 0}, 1.0f);
  ASSERT_TRUE(Settle(level));
  over->Show(17);
  relax->Show(25);
  EXPECT_EQ(ClickAndRead(over, over, "/window/button_0"), 0u);
  EXPECT_EQ(ClickAndRead(relax, relax, "/window/button_1"), 0u);
  EXPECT_EQ(profile_->GetGameMode(), 0u);
  EXPECT_EQ(profile_->relaxOffer, 1);
}

TEST_F(ResultWindowsTest, GameOverOffersRelaxModeOncePerProfileAndNeverInRelaxMode) {
  GUIGameOverWindow* window = MakeGameOver();
  struct Row {
    std::uint32_t gameMode;
    std::uint8_t offer;
    std::uint32_t answer;
    std::uint8_t offerAfter;
    const char* why;
  };
  const Row rows[] = {
      {0, 1, 25, 0, "a new profile in normal mode: the offer"},
      {0, 0, 1, 0, "the offer was made already"},
      {1, 1, 1, 1, "relax mode: no offer, the byte is kept"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    profile_->SetGameMode(row.gameMode);
    profile_->relaxOffer = row.offer;
    profile_->Save();
    window->Show(17);
    EXPECT_TRUE(window->IsShown());
    EXPECT_TRUE(Enabled(window, "/title_mount_animated"));
    EXPECT_FALSE(Enabled(window, "/title_mount_static"));
    ASSERT_TRUE(Settle(window));
    EXPECT_EQ(ClickAndRead(window, window, "/window/button_0"), row.answer);
    EXPECT_EQ(profile_->relaxOffer, row.offerAfter);
    EXPECT_EQ(Saved()->relaxOffer, row.offerAfter) << "the used offer is saved";

    window->Hide();
    // On the way to the offer the static mount takes the title's place; else the animated one stays.
    EXPECT_EQ(Enabled(window, "/title_mount_static"), row.answer == 25);
    EXPECT_TRUE(Enabled(window, "/title_mount_animated") || row.answer == 25);
    FramesUntil([&] { return manager_->IsFree(); });
  }
}

TEST_F(ResultWindowsTest, GameOverOpenedByTheRelaxOfferAnswersAtOnceWithoutAppearing) {
  GUIGameOverWindow* window = MakeGameOver();
  window->Show(26);
  EXPECT_EQ(window->result, 1u);
  EXPECT_EQ(window->resultConsumed, 0) << "dispatched in the same frame";
  EXPECT_FALSE(window->IsShown());
  Frame();
  EXPECT_FALSE(OnScreen(window));
  EXPECT_EQ(window->result, 1u) << "kept until a handler takes it";
  window->Hide();
  Frame();
  EXPECT_EQ(window->result, 0u);
  EXPECT_TRUE(manager_->IsFree());
}

TEST_F(ResultWindowsTest, TheRelaxOfferSavesRelaxModeOnlyWhenTaken) {
  GUIRelaxWindow* window = MakeRelax();
  struct Row {
    const char* button;
    std::uint32_t modeAfter;
    const char* why;
  };
  const Row rows[] = {
      {"/window/button_0", 0, "declined: the profile is left alone"},
      {"/window/button_1", 1, "taken: relax mode, saved"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    profile_->SetGameMode(0);
    profile_->Save();
    window->Show(25);
    EXPECT_EQ(window->openerId, 25u);
    ASSERT_TRUE(Settle(window));
    EXPECT_EQ(ClickAndRead(window, window, row.button), 20u);
    EXPECT_EQ(profile_->GetGameMode(), row.modeAfter);
    EXPECT_EQ(Saved()->GetGameMode(), row.modeAfter);
    window->Hide();
    EXPECT_FALSE(window->IsShown());
    FramesUntil([&] { return manager_->IsFree(); });
  }
}

// The same answers with the player's input: the pointer put on the button and the left button pressed
// and released through the input back end, in whole engine frames.
TEST_F(ResultWindowsTest, APlayersClickOnTheButtonIsAnswered) {
  GUILevelCompleteWindow* level = MakeLevelComplete();
  GUIRelaxWindow* relax = MakeRelax();
  std::uint32_t levelAnswer = 0;
  std::uint32_t relaxAnswer = 0;
  InputScript script(engine_, [&] {
    platform::headless::StepClockMilliseconds(20);
    engine_->Tick();
    manager_->BeginUpdate();
    level->Update();
    relax->Update();
    manager_->Update();
    engine_->Update(0);
    levelAnswer = level->result != 0 ? level->result : levelAnswer;
    relaxAnswer = relax->result != 0 ? relax->result : relaxAnswer;
  });

  level->ShowWithResult(17, {0, 1}, 30.0f);
  ASSERT_TRUE(script.RunUntil([&] { return level->IsActive(); }));
  script.Frames(2);
  EXPECT_EQ(levelAnswer, 0u);
  ASSERT_TRUE(script.Click(*level, "/window/button_0"));
  EXPECT_EQ(levelAnswer, 21u);

  level->Hide();
  relax->Show(25);
  ASSERT_TRUE(script.RunUntil([&] { return relax->IsActive(); }));
  script.Frames(2);
  // A click beside the buttons answers nothing.
  script.ClickAt({5.0f, 5.0f});
  EXPECT_EQ(relaxAnswer, 0u);
  ASSERT_TRUE(script.Click(*relax, "/window/button_1"));
  EXPECT_EQ(relaxAnswer, 20u);
  EXPECT_EQ(profile_->GetGameMode(), 1u);
}

}  // namespace
}  // namespace Puzzle::windowstest
