#pragma once
// The two loading screens: GUIGameLoadingWindow ("window_game_loading", the game's data at start-up)
// and GUIGameLogicLoadingWindow ("window_game_logic_loading", a level's data before play). Opened with
// a resource keeper, each waits for the menu lock, lets its title ("/title", optional) finish printing,
// and in the next frame runs the keeper's load through the loading loop (the frame loop is held there
// until the load is done), then answers 1. Without a title the load runs in the second frame on screen.
//
// Main thread only. The keeper is borrowed; the load's own failures end the program as the loading loop
// reports them.

#include <cstdint>

#include "framework/GUILoadingWindowBase.h"
#include "game/windows/GUIMenuWindow.h"

namespace Puzzle {

class GUILoadingWindow : public GameFramework::GUILoadingWindowBase, public GUIMenuWindow {
 public:
  GUILoadingWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                   GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                   CorvantisEngine::GUIWindow* parent, const std::string& windowName);

  // Shows the window; the keeper's load waits until the title has printed.
  void ShowWithTask(std::uint32_t opener, GameTools::DataKeeper* keeper) override;
  void Hide() override;
  void Update() override;

  bool IsReady() const { return ready != 0; }

 private:
  std::uint8_t ready = 0;
};

class GUIGameLoadingWindow : public GUILoadingWindow {
 public:
  static constexpr const char* kKey = "window_game_loading";

  GUIGameLoadingWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                       GameData* gameData, GUITools::GUIToolManager* toolManager,
                       GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
      : GUILoadingWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey) {}
};

class GUIGameLogicLoadingWindow : public GUILoadingWindow {
 public:
  static constexpr const char* kKey = "window_game_logic_loading";

  GUIGameLogicLoadingWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer,
                            GameData* gameData, GUITools::GUIToolManager* toolManager,
                            GUIMenuWindowManager* manager, CorvantisEngine::GUIWindow* parent)
      : GUILoadingWindow(engine, soundPlayer, gameData, toolManager, manager, parent, kKey) {}
};

}  // namespace Puzzle
