// The game cursor base over a headless engine: the "ui_custom_cursor" setting, filing cursors, switching
// between them while shown, the routing of visibility to the GUI element or the system cursor, and
// what the destructor gives back.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/input/Controls.h"
#include "framework/GUIGameCursorBase.h"
#include "tests/support/EngineRig.h"

namespace GameFramework {
namespace {

using CorvantisEngine::GUICursor;

class GameCursorTest : public testing::Test {
 protected:
  GameCursorTest()
      : engine_(&rig_.Start()),
        gui_(engine_->GetGUIManager()),
        controls_(engine_->GetControls()),
        config_(engine_->GetConfig()) {
    cursor_ = std::make_unique<GUIGameCursorBase>(engine_);
    arrow_ = gui_->CreateCursor(nullptr, 32.0f);
    hand_ = gui_->CreateCursor(nullptr, 32.0f);
    arrow_->visible = 1;
    cursor_->AddSystemCursor(0, 1000, arrow_);
    cursor_->AddSystemCursor(1, 107, hand_);
  }

  bool Registered() const {
    std::vector<std::string> names;
    config_->GetVariableNames(names);
    return std::find(names.begin(), names.end(), "ui_custom_cursor") != names.end();
  }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_;
  CorvantisEngine::GUIManager* gui_;
  CorvantisEngine::Controls* controls_;
  CorvantisEngine::Config* config_;
  std::unique_ptr<GUIGameCursorBase> cursor_;
  GUICursor* arrow_;
  GUICursor* hand_;
};

TEST_F(GameCursorTest, StartsWithTheCustomCursorAndNoCursorShown) {
  EXPECT_TRUE(Registered());
  EXPECT_EQ(config_->GetString("ui_custom_cursor"), "1");
  EXPECT_EQ(cursor_->customCursorSetting, 1);
  EXPECT_EQ(cursor_->customCursorInUse, 1);
  EXPECT_EQ(cursor_->currentId, GUIGameCursorBase::kNoCursor);
  EXPECT_FALSE(controls_->IsCursorVisible()) << "the system cursor is hidden at start";
  EXPECT_EQ(arrow_->visible, 0) << "filed elements start hidden";
  EXPECT_EQ(cursor_->cursors.size(), 2u);
}

TEST_F(GameCursorTest, AnIdFiledTwiceKeepsItsFirstEntry) {
  GUICursor* other = gui_->CreateCursor(nullptr, 16.0f);
  cursor_->AddSystemCursor(0, 106, other);
  EXPECT_EQ(cursor_->cursors.at(0).element, arrow_);
}

TEST_F(GameCursorTest, SwitchingKeepsAShownCustomCursorShown) {
  cursor_->ApplySystemCursor(0);
  EXPECT_EQ(cursor_->current, &cursor_->cursors.at(0));
  cursor_->SetVisible(true);
  EXPECT_EQ(arrow_->visible, 1);
  EXPECT_TRUE(cursor_->IsVisible());

  cursor_->ApplySystemCursor(1);
  EXPECT_EQ(arrow_->visible, 0);
  EXPECT_EQ(hand_->visible, 1);
  EXPECT_EQ(cursor_->current, &cursor_->cursors.at(1));

  // An id that is not filed changes only the current id; the same id again does nothing.
  cursor_->ApplySystemCursor(5);
  EXPECT_EQ(cursor_->currentId, 5u);
  EXPECT_EQ(cursor_->current, &cursor_->cursors.at(1));
  EXPECT_EQ(hand_->visible, 1);
  cursor_->ApplySystemCursor(1);
  cursor_->ApplySystemCursor(1);
  EXPECT_EQ(hand_->visible, 1);

  // A hidden cursor stays hidden through a switch.
  cursor_->SetVisible(false);
  cursor_->ApplySystemCursor(0);
  EXPECT_EQ(arrow_->visible, 0);
  EXPECT_EQ(hand_->visible, 0);
  EXPECT_FALSE(cursor_->IsVisible());
}

TEST_F(GameCursorTest, VisibilityGoesToTheSystemCursorWithoutCustomCursorOrEntry) {
  cursor_->SetVisible(true);  // no current entry yet
  EXPECT_TRUE(controls_->IsCursorVisible());
  EXPECT_TRUE(cursor_->IsVisible());
  cursor_->SetVisible(false);

  cursor_->customCursorInUse = 0;
  cursor_->ApplySystemCursor(0);
  cursor_->SetVisible(true);
  EXPECT_TRUE(controls_->IsCursorVisible());
  EXPECT_EQ(arrow_->visible, 0);
}

TEST_F(GameCursorTest, TheIniSettingTakesEffectAtTheNextUpdate) {
  // The setting is not read-only: an ini line sets it.
  EXPECT_EQ(config_->ExecuteLine("ui_custom_cursor 0", nullptr), CorvantisEngine::Config::kLineDone);
  EXPECT_EQ(cursor_->customCursorSetting, 0);

  cursor_->ApplySystemCursor(0);
  EXPECT_FALSE(cursor_->Update()) << "a hidden cursor is left alone";
  EXPECT_EQ(cursor_->customCursorInUse, 1);

  cursor_->SetVisible(true);
  EXPECT_TRUE(cursor_->Update());
  EXPECT_EQ(cursor_->customCursorInUse, 0);
  EXPECT_EQ(arrow_->visible, 0);
  EXPECT_TRUE(controls_->IsCursorVisible());
}

TEST_F(GameCursorTest, DestructorDestroysTheFiledElementsAndRemovesTheSetting) {
  const std::uint32_t before = gui_->cursors.count;
  cursor_.reset();
  EXPECT_EQ(gui_->cursors.count, before - 2);
  EXPECT_FALSE(Registered());
}

}  // namespace
}  // namespace GameFramework
