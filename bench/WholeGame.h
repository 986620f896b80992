// The whole game driven as a player drives it, for the whole-game benchmarks: the real SDL and OpenGL
// back end on the built data, a home folder as a new machine has it (bench/FreshHome.h), the main loop's
// passes run one at a time, and clicks and typing sent through SDL's event queue as the game's input.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "bench/FreshHome.h"
#include "engine/Engine.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/input/Controls.h"
#include "engine/window/Window.h"
#include "framework/GUIFrameworkWindow.h"
#include "framework/GameLogicBase.h"
#include "game/Game.h"
#include "game/GameLogic.h"
#include "game/Profile.h"
#include "game/Puzzle.h"
#include "game/windows/GUIMenuWindow.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/WinMessages.h"
#include "tests/support/SdlEvents.h"
#include "tools/gui/GUIControl.h"

namespace benchsupport {

class WholeGame {
 public:
  using Clock = std::chrono::steady_clock;

  // The game's window slots the benchmarks wait for and click in.
  static constexpr std::size_t kLevelLoading = 2;
  static constexpr std::size_t kWelcome = 3;
  static constexpr std::size_t kMainMenu = 5;
  static constexpr std::size_t kStartGame = 11;

  // The home folder is made under the temporary folder, named after `name` and this process.
  explicit WholeGame(const std::string& name) : home_(name) {
    home_.Enter();
    platform::sdl::InstallBackend();
    game_ =
        std::make_unique<Puzzle::Game>(Puzzle::Game::kMaker, Puzzle::Game::kTitle, Puzzle::Game::kVersion);
  }
  ~WholeGame() { game_.reset(); }
  WholeGame(const WholeGame&) = delete;
  WholeGame& operator=(const WholeGame&) = delete;

  Puzzle::Game& Game() { return *game_; }

  // One pass of the main loop: the waiting messages, then a frame.
  void Frame() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    game_->Frame();
  }
  // Frames until `done` holds: false when it does not within `seconds` or the game quits.
  bool Until(const std::function<bool()>& done, double seconds = 60.0) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (Clock::now() > end || game_->IsQuit())
        return false;
      Frame();
    }
    return true;
  }
  void Wait(double seconds) {
    Until([] { return false; }, seconds);
  }

  bool Active(std::size_t slot) const {
    auto* window = dynamic_cast<Puzzle::GUIMenuWindow*>(game_->GetWindows()[slot]);
    return window != nullptr && window->IsActive();
  }
  Puzzle::GameLogic* Logic() const { return dynamic_cast<Puzzle::GameLogic*>(game_->GetGameLogic()); }
  bool Running() const {
    return game_->GetGameLogic() != nullptr &&
           game_->GetGameLogic()->state == GameFramework::GameLogicBase::kRunning;
  }
  // The pieces of the level in play (its board's slots).
  std::size_t Pieces() const {
    const Puzzle::GameLogic* logic = Logic();
    return logic != nullptr && logic->GetBoard() != nullptr ? logic->GetBoard()->GetSlots().size() : 0;
  }

  // The pointer on a point in GUI units.
  void PointAt(const CorvantisEngine::Vector2& gui) {
    CorvantisEngine::Engine* engine = game_->GetEngine();
    const float w = static_cast<float>(engine->GetWindow()->GetWidth());
    const float h = static_cast<float>(engine->GetWindow()->GetHeight());
    CorvantisEngine::GUIManager* manager = engine->GetGUIManager();
    engine->GetControls()->SetCursorPosition({gui.x * w / manager->GetScreenWidth() + 0.5f,
                                              h - 1.0f - gui.y * h / manager->GetScreenHeight() + 0.5f});
  }
  // The pointer to the screen's top-right corner, away from every button.
  void PointerAway() {
    PointAt({795.0f, 5.0f});
    Frame();
  }
  // A click on the window's control: the pointer on its middle, the button down and up (and a frame
  // after the release unless `lastFrame` is false).
  bool Click(std::size_t slot, const std::string& control, bool lastFrame = true) {
    auto* window = dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[slot]);
    const GUITools::GUIControl* found =
        window != nullptr ? window->GetControl(window->GetName() + control) : nullptr;
    if (found == nullptr || found->GetElement() == nullptr)
      return false;
    const CorvantisEngine::GUIWindow& widget = *found->GetElement();
    const CorvantisEngine::Vector2 corner = widget.GetAbsolutePosition();
    PointAt({corner.x + widget.size.x * 0.5f, corner.y + widget.size.y * 0.5f});
    Frame();
    Frame();
    testsupport::sdl::PushButton(true);
    Frame();
    testsupport::sdl::PushButton(false);
    if (lastFrame)
      Frame();
    return true;
  }
  void Type(const std::string& text) {
    for (char c : text) {
      testsupport::sdl::PushText(c);
      Frame();
    }
  }

  // A new player named on the welcome window reaches the main menu: false when a step does not come.
  // Each window is answered once it has finished appearing.
  bool ToMainMenu() {
    if (!Until([&] { return Active(kWelcome); }))
      return false;
    Wait(1.0);
    Type("Anna");
    return Click(kWelcome, "/window/button_1") && Until([&] { return Active(kMainMenu); });
  }
  // From the main menu to the start-game window, finished appearing.
  bool ToStartGame() {
    Wait(1.0);
    if (!Click(kMainMenu, "/window/start") || !Until([&] { return Active(kStartGame); }))
      return false;
    Wait(1.0);
    return Active(kStartGame);
  }
  // Ticks the start-game window's last size box (the largest puzzle): false when there is none or the
  // profile does not take it.
  bool ChooseLargestSize() {
    std::size_t last = 0;
    auto* window = dynamic_cast<GUITools::GUIWindowBase*>(game_->GetWindows()[kStartGame]);
    if (window == nullptr)
      return false;
    while (window->HasCheckBoxControl(window->GetName() + "/window/puzzle_size_" + std::to_string(last + 1)))
      ++last;
    if (last == 0 || !Click(kStartGame, "/window/puzzle_size_" + std::to_string(last)))
      return false;
    Wait(0.5);
    const auto* manager = dynamic_cast<Puzzle::ProfileManager*>(game_->GetProfileManager());
    const Puzzle::Profile* profile = manager != nullptr ? manager->GetCurrent() : nullptr;
    return profile != nullptr && profile->selectedPuzzleSize == last;
  }

 protected:
  FreshHome home_;
  std::unique_ptr<Puzzle::Game> game_;
};

}  // namespace benchsupport
