// The start-game window: openers that need no choice, buying themes, pictures and puzzles with stars
// (and refusing without enough), the lock frames, prices and cursor tip of hovered entries, slots the
// catalogue does not fill, the picture list following the theme, relax mode and sizes written to the
// profile file, selections brought back into the catalogue, and the stars effect's flight.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "InGameWindowsFixture.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/Model.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/ShaderManager.h"
#include "engine/resources/ShaderUser.h"
#include "game/Content.h"
#include "game/windows/GUIStartGameLogicWindow.h"
#include "game/windows/GUIStartGameStarsEffect.h"
#include "tools/gui/GUITextControl.h"
#include "tools/gui/GUIWindowControl.h"

namespace Puzzle::windowstest {
namespace {

using CorvantisEngine::Vector2;
using Entry = GUIStartGameLogicWindow::Entry;

// One slot of a list: a check box with its lock, preview, star and price.
std::string Slot(const std::string& name, int x, int y) {
  return "<check_box name=\"" + name + "\" position=\"" + std::to_string(x) + " " + std::to_string(y) +
         "\" size=\"40 40\">"
         "<window name=\"lock\" shader=\"lock\" size=\"10 10\"/>"
         "<window name=\"picture\" shader=\"blank\" size=\"30 30\"/>"
         "<window name=\"star\" shader=\"star\" size=\"10 10\"/>"
         "<text_label name=\"text\" font=\"fixed\" color=\"0.25 0.125 0 1\"/>"
         "</check_box>";
}

std::string List(const std::string& list, const std::string& prefix, int count, int y) {
  std::string xml = "<window name=\"" + list + "\">";
  for (int i = 0; i < count; ++i) {
    xml += Slot(prefix + (i < 10 ? "0" : "") + std::to_string(i), 10 + 50 * i, y);
  }
  return xml + "</window>";
}

class StartGameLogicWindowTest : public InGameWindowsFixture {
 protected:
  void SetUp() override {
    WriteFonts();
    WriteMinimalCatalogue();
  }
  void TearDown() override { window_.reset(); }

  void WriteMinimalCatalogue() {
    rig_.Write("data/themes/alpha/00.jpg", "x");
    rig_.Write("data/themes/themes.xml",
               "<content><theme_cost>1000</theme_cost><picture_cost>250</picture_cost></content>");
    rig_.Write("data/puzzles/00/puzzle.xml", "<content><puzzle_cost>0</puzzle_cost></content>");
  }

  // The window with that many slots; the catalogue: themes alpha (3 pictures), beta (1), gamma (2),
  // delta (1), epsilon (1); puzzles 00 (free) and 01 (700).
  void Make(int themeSlots = 5, int pictureSlots = 3, int puzzleSlots = 2, int sizes = 3) {
    std::string xml = "<window name=\"window_start_game\"><window name=\"window\" size=\"800 600\">";
    xml +=
        "<button name=\"button_0\"/><button name=\"button_1\"><text_label name=\"title\" "
        "font=\"fixed\"/></button>";
    xml += "<check_box name=\"relax_mode\"/>";
    xml += List("themes", "theme_", themeSlots, 400);
    xml += List("pictures", "picture_", pictureSlots, 300);
    xml += List("puzzles", "puzzle_", puzzleSlots, 200);
    for (int n = 0; n < sizes; ++n) {
      xml += "<check_box name=\"puzzle_size_" + std::to_string(n) + "\"/>";
    }
    xml +=
        "<window name=\"stars_erned\" position=\"600 500\"><text_label name=\"text\" font=\"fixed\" "
        "size=\"100 20\"/></window>";
    xml += "</window><text_label name=\"cursor_tip\" font=\"fixed\" position=\"12 -20\"/></window>\n";
    WriteWindow("window_start_game.xml", xml);
    MakeServices();
    for (const char* name : {"lock", "blank", "star"}) {
      AddShader(name, 3);
    }
    for (const char* preview : {"themes/alpha/preview_00", "themes/alpha/preview_01",
                                "themes/alpha/preview_02", "themes/beta/preview_00", "puzzles/00/preview"}) {
      AddPreview(preview);
    }
    content_ = std::make_unique<Content>(engine_, profiles_.get(), gameData_.get());
    content_->themeCount = 5;
    content_->themeNames = {"alpha", "beta", "gamma", "delta", "epsilon"};
    content_->pictureCounts = {3, 1, 2, 1, 1};
    content_->themeCost = 1000;
    content_->pictureCost = 250;
    content_->puzzleCount = 2;
    content_->puzzleCosts = {0, 700};
    window_ = std::make_unique<GUIStartGameLogicWindow>(engine_, audio_.get(), nullptr, profiles_.get(),
                                                        gameData_.get(), tools_.get(), menus_.get(), nullptr,
                                                        content_.get());
  }
  // One frame as the game runs it: the windows' update, then the menu manager's.
  std::uint32_t Frame(bool mouse = false) {
    Step(
        {},
        [&] {
          window_->Update();
          menus_->Update();
        },
        mouse);
    return window_->result;
  }
  void Open(std::uint32_t opener = 7) {
    window_->Show(opener);
    Frame();
    ASSERT_TRUE(window_->IsActive());
  }
  Entry Theme(int i) { return window_->GetThemeEntries()[i]; }
  Entry Picture(int i) { return window_->GetPictureEntries()[i]; }
  Entry Puzzle(int i) { return window_->GetPuzzleEntries()[i]; }
  static float LockFrame(const Entry& entry) { return entry.lockWindow->GetTexture()->GetClock(0); }
  // The profile as its file holds it.
  std::unique_ptr<Profile> Saved() {
    return std::make_unique<Profile>(engine_, CurrentProfile().GetFileName(), Save(), Profile::Existing{});
  }
  // Hovers the entry in this frame (and MOUSE1 with `buy`); the answer.
  std::uint32_t Hover(const Entry& entry, bool buy = false) {
    entry.checkBox->hovered = 1;
    const std::uint32_t answer = Frame(buy);
    entry.checkBox->hovered = 0;
    return answer;
  }
  void Click(CorvantisEngine::GUIButton* button) {
    button->clicked = 1;
    Frame();
    button->clicked = 0;
  }
  void AddPreview(const std::string& key) {
    const CorvantisEngine::ShaderDescriptor descriptor =
        CorvantisEngine::CreateTextureShader(key + ".tga", "32bit", false);
    gameData_->AddShaderUser(key, engine_->GetShaderManager()->GetShader(descriptor));
  }
  // The diffuse file of the window's texture.
  static std::string TextureOf(const CorvantisEngine::GUIWindow* window) {
    const CorvantisEngine::ShaderUser* shader = window->GetTexture();
    return shader != nullptr && shader->GetStageCount() > 0 ? shader->GetStage(0).diffuseName : "";
  }
  void AddStarsPrototype() {
    auto* stars = engine_->GetParticleSystemManager()->NewParticleSystem(nullptr);
    gameData_->AddParticleSystem(GUIStartGameStarsEffect::kParticleSystemName, stars);
  }

  std::unique_ptr<Content> content_;
  std::unique_ptr<GUIStartGameLogicWindow> window_;
};

TEST_F(StartGameLogicWindowTest, OpenersThatNeedNoChoiceAnswerAtOnceWithoutAppearing) {
  struct Row {
    std::uint32_t opener;
    bool inProgress;
    bool opens;
  };
  Make();
  for (const Row& row : {Row{22, false, false}, Row{19, false, false}, Row{21, true, false},
                         Row{21, false, true}, Row{7, false, true}}) {
    CurrentProfile().SetGameInProgress(row.inProgress);
    window_->Show(row.opener);
    EXPECT_EQ(Frame(), row.opens ? 0u : 24u) << row.opener;
    EXPECT_EQ(window_->openerId, row.opener == 7 ? 7u : 0u) << "only the flows' openers are cleared";
    EXPECT_EQ(window_->IsActive(), row.opens) << row.opener;
    EXPECT_EQ(Frame(), 0u) << "the answer is given once";
    window_->Hide();
    for (int i = 0; i < 3; ++i) {
      Frame();
    }
  }
}

TEST_F(StartGameLogicWindowTest, BuyingSpendsTheStarsUnlocksAndSelectsTheEntry) {
  Make();
  Open();
  Profile& profile = CurrentProfile();

  // A theme at exactly its price: picture 0 of it comes with it, and it is selected with picture 0.
  profile.money = 1000;
  profile.selectedPicture = 0;
  Hover(Theme(2), true);
  EXPECT_EQ(profile.money, 0u);
  EXPECT_EQ(profile.unlockedThemes, (std::vector<std::uint32_t>{0, 2}));
  EXPECT_EQ(profile.unlockedPictures, (std::vector<std::uint32_t>{0, 0, 2, 0}));
  EXPECT_EQ(profile.selectedTheme, 2u);
  EXPECT_EQ(profile.selectedPicture, 0u);
  EXPECT_TRUE(Theme(2).checkBox->IsEnabled()) << "a bought theme can be chosen";
  EXPECT_EQ(Theme(2).checkBox->checked, 1);
  EXPECT_EQ(Theme(0).checkBox->checked, 0);
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/pictures/picture_02"))
      << "gamma has two pictures";

  // A picture of the selected theme.
  profile.money = 300;
  Hover(Picture(1), true);
  EXPECT_EQ(profile.money, 50u);
  EXPECT_EQ(profile.unlockedPictures, (std::vector<std::uint32_t>{0, 0, 2, 0, 2, 1}));
  EXPECT_EQ(profile.selectedPicture, 1u);

  // A puzzle at its own price.
  profile.money = 700;
  Hover(Puzzle(1), true);
  EXPECT_EQ(profile.money, 0u);
  EXPECT_EQ(profile.unlockedPuzzles, (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(profile.selectedPuzzle, 1u);
  EXPECT_EQ(Puzzle(1).checkBox->checked, 1);

  const std::unique_ptr<Profile> saved = Saved();
  EXPECT_EQ(saved->money, 0u);
  EXPECT_EQ(saved->unlockedThemes, profile.unlockedThemes);
  EXPECT_EQ(saved->unlockedPictures, profile.unlockedPictures);
  EXPECT_EQ(saved->unlockedPuzzles, profile.unlockedPuzzles);
  EXPECT_EQ(saved->selectedTheme, 2u);
  EXPECT_EQ(saved->selectedPicture, 1u);
  EXPECT_EQ(saved->selectedPuzzle, 1u);
}

TEST_F(StartGameLogicWindowTest, TooFewStarsShowTheDearLockAndARedPriceAndBuyNothing) {
  Make();
  Open();
  Profile& profile = CurrentProfile();
  profile.money = 999;
  profile.Save();
  Hover(Theme(1), true);
  EXPECT_EQ(profile.money, 999u);
  EXPECT_EQ(profile.unlockedThemes, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(profile.selectedTheme, 0u);
  EXPECT_EQ(LockFrame(Theme(1)), 2.0f);
  EXPECT_TRUE(Theme(1).star->shown);
  const CorvantisEngine::Vector4 star = Theme(1).star->GetElement()->GetColour();
  EXPECT_EQ((std::vector<float>{star.x, star.y, star.z}), (std::vector<float>{1, 0, 0}));
  EXPECT_EQ(Theme(1).text->colour.y, 0.0f) << "the price is red too";
  EXPECT_EQ(Theme(1).text->text, L"1000");
  EXPECT_FALSE(window_->GetTextControl("window_start_game/cursor_tip")->shown)
      << "the tip only shows over what can be bought";
  EXPECT_EQ(Saved()->money, 999u);
  EXPECT_EQ(Saved()->unlockedThemes, (std::vector<std::uint32_t>{0})) << "nothing was bought";
}

TEST_F(StartGameLogicWindowTest, EachLockShowsItsOwnFrameAndTheTipFollowsAffordableHover) {
  Make();
  Open();
  CurrentProfile().money = 5000;
  Theme(1).checkBox->hovered = 1;
  Frame();
  EXPECT_EQ(LockFrame(Theme(1)), 1.0f) << "affordable";
  EXPECT_EQ(LockFrame(Theme(2)), 0.0f) << "not hovered: each lock keeps its own frame";
  EXPECT_NE(Theme(1).lockWindow->GetTexture(), Theme(2).lockWindow->GetTexture());
  EXPECT_TRUE(Theme(1).star->shown);
  EXPECT_EQ(Theme(1).star->GetElement()->GetColour().y, 1.0f) << "white when affordable";
  EXPECT_EQ(Theme(1).text->colour, (CorvantisEngine::Vector4{0.25f, 0.125f, 0.0f, 1.0f}))
      << "the price keeps the description's colour, readable on its plate";
  GUITools::GUITextControl* tip = window_->GetTextControl("window_start_game/cursor_tip");
  EXPECT_TRUE(tip->shown);
  const Vector2 cursor = engine_->GetGUIManager()->GetCursorPosition();
  EXPECT_EQ(tip->position, (cursor + Vector2{12, -20})) << "the tip follows the cursor at its offset";

  Theme(1).checkBox->hovered = 0;
  Frame();
  EXPECT_EQ(LockFrame(Theme(1)), 0.0f);
  EXPECT_FALSE(Theme(1).star->shown) << "the price goes when the cursor leaves";
  EXPECT_FALSE(tip->shown);
  EXPECT_EQ(LockFrame(Theme(0)), 0.0f) << "an unlocked entry's lock is left alone";
}

TEST_F(StartGameLogicWindowTest, SlotsBeyondTheCatalogueAreDisabled) {
  Make(12, 3, 4);
  Open();
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(window_->IsControlEnabled("window_start_game/window/themes/theme_" +
                                        std::string(i < 10 ? "0" : "") + std::to_string(i)),
              i < 5)
        << i;
  }
  EXPECT_EQ(window_->GetThemeEntries().size(), 12u);
  EXPECT_TRUE(window_->IsControlEnabled("window_start_game/window/puzzles/puzzle_01"));
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/puzzles/puzzle_02"));
  EXPECT_EQ(Puzzle(1).text->text, L"700");
  EXPECT_FALSE(Theme(1).checkBox->IsEnabled()) << "a locked theme cannot be chosen by a click";
  EXPECT_TRUE(Theme(1).lock->shown);
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/themes/theme_00/lock"));
}

TEST_F(StartGameLogicWindowTest, ThePictureListFollowsTheSelectedTheme) {
  Make();
  CurrentProfile().unlockedThemes = {0, 1};
  Open();
  EXPECT_EQ(TextureOf(Theme(0).picture), "themes/alpha/preview_00.tga");
  EXPECT_EQ(TextureOf(Theme(2).picture), "ui\\blank.tga") << "a missing preview leaves the window as it was";
  EXPECT_GE(rig_.CountLogged("themes/gamma/preview_00"), 1) << "and is logged";
  EXPECT_EQ(TextureOf(Picture(2).picture), "themes/alpha/preview_02.tga");
  EXPECT_EQ(TextureOf(Puzzle(0).picture), "puzzles/00/preview.tga");
  for (int j = 0; j < 3; ++j) {
    EXPECT_TRUE(window_->IsControlEnabled("window_start_game/window/pictures/picture_0" + std::to_string(j)));
  }
  Theme(1).checkBox->clicked = 1;
  Frame();
  Theme(1).checkBox->clicked = 0;
  EXPECT_EQ(CurrentProfile().selectedTheme, 1u);
  EXPECT_TRUE(window_->IsControlEnabled("window_start_game/window/pictures/picture_00"));
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/pictures/picture_01"));
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/pictures/picture_02"));
  EXPECT_TRUE(Picture(0).lock->shown) << "beta's picture 0 was never unlocked";
  EXPECT_EQ(TextureOf(Picture(0).picture), "themes/beta/preview_00.tga");

  Theme(0).checkBox->clicked = 1;
  Frame();
  Theme(0).checkBox->clicked = 0;
  EXPECT_TRUE(window_->IsControlEnabled("window_start_game/window/pictures/picture_02"));
  EXPECT_TRUE(Picture(2).control->shown);
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/pictures/picture_00/lock"));
}

TEST_F(StartGameLogicWindowTest, RelaxSizesAndButtonsAreWrittenAndAnswered) {
  Make();
  Open();
  for (std::uint32_t expected : {1u, 0u}) {
    CorvantisEngine::GUICheckBox* relax = window_->GetCheckBox("window_start_game/window/relax_mode");
    relax->checked = expected;
    Click(relax);
    EXPECT_EQ(Saved()->GetGameMode(), expected);
  }
  CorvantisEngine::GUICheckBox* size2 = window_->GetPuzzleSizeBoxes()[2];
  Click(size2);
  EXPECT_EQ(Saved()->selectedPuzzleSize, 2u);
  EXPECT_EQ(window_->GetPuzzleSizeBoxes()[2]->checked, 1);
  EXPECT_EQ(window_->GetPuzzleSizeBoxes()[0]->checked, 0);

  CorvantisEngine::GUIButton* back = window_->GetButton("window_start_game/window/button_0");
  CorvantisEngine::GUIButton* start = window_->GetButton("window_start_game/window/button_1");
  back->clicked = 1;
  EXPECT_EQ(Frame(), 3u);
  start->clicked = 1;
  EXPECT_EQ(Frame(), 24u) << "both clicked: start is tested last";
  back->clicked = 0;
  EXPECT_EQ(Frame(), 24u);
}

TEST_F(StartGameLogicWindowTest, SelectionsOutsideTheCatalogueAreBroughtBackWhenItOpens) {
  Make();
  Profile& profile = CurrentProfile();
  profile.unlockedThemes = {3};
  profile.selectedTheme = 9;
  profile.selectedPicture = 7;
  profile.selectedPuzzle = 5;
  Open();
  EXPECT_EQ(profile.selectedTheme, 3u) << "the first unlocked theme";
  EXPECT_EQ(profile.selectedPicture, 0u);
  EXPECT_EQ(profile.selectedPuzzle, 0u);
  EXPECT_EQ(Saved()->selectedTheme, 3u);
  EXPECT_TRUE(window_->GetButton("window_start_game/window/button_1")->IsEnabled());
  window_->Hide();

  content_->puzzleCount = 0;
  content_->puzzleCosts.clear();
  window_->Show(7);
  for (int i = 0; i < 5 && !window_->IsActive(); ++i) {
    Frame();
  }
  CorvantisEngine::GUIButton* start = window_->GetButton("window_start_game/window/button_1");
  EXPECT_FALSE(start->IsEnabled()) << "no puzzle: no level can be made";
  start->clicked = 1;
  EXPECT_EQ(Frame(), 0u);
}

TEST_F(StartGameLogicWindowTest, APurchaseFliesStarsAndAFinishedEffectIsReused) {
  Make();
  AddStarsPrototype();
  Open();
  CurrentProfile().money = 10000;
  Hover(Theme(1), true);
  ASSERT_EQ(window_->GetStarsEffects().size(), 1u);
  GUIStartGameStarsEffect* effect = window_->GetStarsEffects()[0];
  EXPECT_FALSE(effect->IsFinished());
  const Vector2 start = window_->GetTextControl("window_start_game/window/stars_erned/text")
                            ->GetElement()
                            ->GetAbsolutePosition() +
                        Vector2{50, 10};
  EXPECT_EQ(effect->GetCurrentPoint(), start) << "from the centre of the stars counter";
  const CorvantisEngine::Model* model = effect->GetParticleSystem()->GetModel();
  ASSERT_NE(model, nullptr);
  EXPECT_FLOAT_EQ(model->depth, window_->GetContainer()->depth - 102.0f) << "in front of the window";
  EXPECT_NE(model->flags & CorvantisEngine::kModelKeepDepth, 0u);
  EXPECT_EQ(model->camera, engine_->GetGUIManager()->GetCamera());

  engine_->GetTimerManager()->delta = 0.1f;
  for (int i = 0; i < 40 && !effect->IsFinished(); ++i) {
    Frame();
  }
  EXPECT_TRUE(effect->IsFinished());
  const Entry target = Theme(1);
  EXPECT_EQ(effect->GetCurrentPoint(), (target.checkBox->GetAbsolutePosition() + Vector2{20, 20}))
      << "at the centre of the bought entry";

  Hover(Theme(2), true);
  EXPECT_EQ(window_->GetStarsEffects().size(), 1u) << "the finished effect flies again";
  Hover(Theme(3), true);
  EXPECT_EQ(window_->GetStarsEffects().size(), 2u) << "one still flying: a second one";
}

TEST_F(StartGameLogicWindowTest, HidingTheWindowEndsTheFlightAndThePrices) {
  Make();
  AddStarsPrototype();
  Open();
  CurrentProfile().money = 10000;
  Hover(Theme(1), true);
  Theme(2).checkBox->hovered = 1;
  Frame();
  GUIStartGameStarsEffect* effect = window_->GetStarsEffects().at(0);
  ASSERT_FALSE(effect->IsFinished());
  ASSERT_TRUE(Theme(2).star->shown);
  window_->Hide();
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/themes/theme_02/star"));
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/window/themes/theme_02/text"));
  EXPECT_FALSE(window_->IsControlEnabled("window_start_game/cursor_tip"));
  for (int i = 0; i < 10 && window_->GetContainer()->visible != 0; ++i) {
    Frame();
  }
  ASSERT_EQ(window_->GetContainer()->visible, 0);
  Frame();
  EXPECT_TRUE(effect->IsFinished()) << "no stars fly over a window that is gone";
  EXPECT_FALSE(effect->GetParticleSystem()->emitting);
}

TEST_F(StartGameLogicWindowTest, WithoutThePrototypeAPurchaseStillWorks) {
  Make();
  Open();
  CurrentProfile().money = 1000;
  Hover(Theme(1), true);
  EXPECT_EQ(CurrentProfile().money, 0u);
  ASSERT_EQ(window_->GetStarsEffects().size(), 1u);
  EXPECT_TRUE(window_->GetStarsEffects()[0]->IsFinished());
  EXPECT_EQ(window_->GetStarsEffects()[0]->GetParticleSystem(), nullptr);
}

TEST(StartGameStarsEffectArcTest, TheArcBendsOffTheChordAndEndsOnTheTarget) {
  const Vector2 from{100, 100};
  const Vector2 to{500, 400};  // chord length 500
  const Vector2 control = Vector2{300, 250} + Vector2{-150, 150};
  const Vector2 middle = GUIStartGameStarsEffect::ArcPoint(from, to, 0.5f);
  const Vector2 expected = from * 0.25f + control * 0.5f + to * 0.25f;
  EXPECT_NEAR(middle.x, expected.x, 1e-3);
  EXPECT_NEAR(middle.y, expected.y, 1e-3);
  EXPECT_EQ(GUIStartGameStarsEffect::ArcPoint(from, to, 0.0f), from);
  EXPECT_EQ(GUIStartGameStarsEffect::ArcPoint(from, to, 1.0f), to);
}

}  // namespace
}  // namespace Puzzle::windowstest
