// The pointer on the real back end under an X display, moved the way an absolute pointer moves it (a
// warp by another program: one position, no raw device motion, no button): the game's cursor and a
// button's hover follow every move, also after another program grabbed the pointer for a moment and
// after the window lost the focus and got it back.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "XPointer.h"
#include "engine/Engine.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "game/windows/GUIGameCursor.h"
#include "platform/win32/WinMessages.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/SdlEvents.h"

namespace Puzzle {
namespace {

namespace fs = std::filesystem;
using CorvantisEngine::Vector2;

class PointerDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("brindlewick_pointer_display_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    engine_ = std::make_unique<CorvantisEngine::Engine>(
        testsupport::DisplayParameters(folder_.string(), "Pointer"));
    gui_ = engine_->GetGUIManager();
    gui_->SetScreenSize(800, 600);
  }
  void TearDown() override {
    engine_.reset();
    fs::remove_all(folder_);
  }
  // The screen pixel of a window pixel.
  static SDL_Point OnScreen(int x, int y) {
    SDL_Window* window = SDL_GetWindowFromID(testsupport::sdl::WindowId());
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(window, &left, &top);
    return {left + x, top + y};
  }
  // Warps the pointer to a pixel of the window, as a tablet or a remote desktop places it.
  static void WarpTo(int x, int y) {
    const SDL_Point at = OnScreen(x, y);
    ASSERT_TRUE(displaytest::WarpPointer(at.x, at.y));
  }
  // A few frames of the game's loop, time for the X server's events to arrive.
  void Frames() {
    for (int frame = 0; frame < 5; ++frame) {
      SDL_Delay(10);
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
      }
      engine_->Tick();
    }
  }
  // The GUI point of a window pixel (800 x 600 units, y up).
  static Vector2 GUIPoint(int x, int y) { return {static_cast<float>(x), static_cast<float>(599 - y)}; }
  void ExpectCursorAt(const GUIGameCursor& cursor, int x, int y) {
    const Vector2 expected = GUIPoint(x, y);
    EXPECT_NEAR(gui_->GetCursorPosition().x, expected.x, 1.0f);
    EXPECT_NEAR(gui_->GetCursorPosition().y, expected.y, 1.0f);
    // Every kind of the game's drawn cursor stands there.
    for (const auto& [id, entry] : cursor.cursors) {
      SCOPED_TRACE(testing::Message() << "cursor kind " << id);
      ASSERT_NE(entry.element, nullptr);
      EXPECT_NEAR(entry.element->position.x, expected.x, 1.0f);
      EXPECT_NEAR(entry.element->position.y, expected.y, 1.0f);
    }
  }

  fs::path folder_;
  std::unique_ptr<CorvantisEngine::Engine> engine_;
  CorvantisEngine::GUIManager* gui_ = nullptr;
};

TEST_F(PointerDisplayTest, TheCursorAndAButtonsHoverFollowAPointerMovedWithoutAButton) {
  ASSERT_NE(SDL_GetWindowFromID(testsupport::sdl::WindowId()), nullptr);
  GUIGameCursor cursor(engine_.get());
  cursor.SetVisible(true);
  // A button over window pixels x 400-500, y 100-200.
  CorvantisEngine::GUIButton* button =
      gui_->CreateButton(CorvantisEngine::kGUIShown, {400, 400}, {100, 100}, nullptr, nullptr, {1, 1});
  ASSERT_NE(button, nullptr);

  WarpTo(100, 500);
  Frames();
  ExpectCursorAt(cursor, 100, 500);
  EXPECT_EQ(button->buttonState, CorvantisEngine::GUIButton::kNormal);

  WarpTo(450, 150);
  Frames();
  ExpectCursorAt(cursor, 450, 150);
  EXPECT_EQ(button->buttonState, CorvantisEngine::GUIButton::kHover);

  // Another program grabs the pointer for a moment and moves it; the moves after it are followed.
  {
    const SDL_Point at = OnScreen(200, 400);
    ASSERT_TRUE(displaytest::GrabPointerAndWarp(at.x, at.y));
  }
  Frames();
  WarpTo(430, 120);
  Frames();
  ExpectCursorAt(cursor, 430, 120);
  EXPECT_EQ(button->buttonState, CorvantisEngine::GUIButton::kHover);
  WarpTo(250, 350);
  Frames();
  ExpectCursorAt(cursor, 250, 350);
  EXPECT_EQ(button->buttonState, CorvantisEngine::GUIButton::kNormal);

  // The window loses the focus and gets it back; the pointer goes on moving all the while.
  testsupport::sdl::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  Frames();
  WarpTo(700, 300);
  Frames();
  ExpectCursorAt(cursor, 700, 300);
  EXPECT_EQ(button->buttonState, CorvantisEngine::GUIButton::kNormal);
  testsupport::sdl::PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  WarpTo(420, 180);
  Frames();
  ExpectCursorAt(cursor, 420, 180);
  EXPECT_EQ(button->buttonState, CorvantisEngine::GUIButton::kHover);
  gui_->DestroyWindow(button);
}

}  // namespace
}  // namespace Puzzle
