#pragma once
// GUINoticeWindow ("window_notice"): tells the player what went wrong with the saved games, once per
// session and news: that progress cannot be saved (the folder and the reason, "notice/unsaved"), or
// which saved files could not be read and were left as they are ("notice/unread"). Its button
// ("/window/button_0") or ENTER answers 20; the game then shows the next notice or goes back to the
// window the notice came over.
//
// Main thread only; nothing throws.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/GUIFrameworkWindow.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace Puzzle {

class GUINoticeWindow : public GameFramework::GUIFrameworkWindow, public GUIMenuWindow {
 public:
  static constexpr const char* kWindowName = "window_notice";
  static constexpr std::uint32_t kAnswered = 20;

  // `saveFolder` (host form) is cut from the front of the paths shown, and the home folder becomes "~".
  GUINoticeWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                  GameData* gameData, GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                  CorvantisEngine::GUIWindow* parent, const std::string& saveFolder);

  // Shows the next piece of news from SaveProblems; false (and nothing shown) when there is none.
  bool ShowNews(std::uint32_t opener);
  void Show(std::uint32_t opener) override;
  void Update() override;
  void Hide() override;

  // A file's path as the notice shows it: relative to the save folder when inside it.
  std::string ShortPath(const std::string& hostPath) const;
  // A folder as the notice shows it: the home folder as "~".
  static std::string ShortFolder(const std::string& hostPath);

 private:
  std::string saveFolder;
  CorvantisEngine::GUIButton* okButton;
};

}  // namespace Puzzle
