#pragma once
// The help window ("window_credits"): how to play, then the credits. "/window/button_0" answers 3 (main
// menu). The window may hold pages, "/window/page_0", "/window/page_1", ..., each a window control with
// the controls of that page under it; one page is shown at a time, the first at every show, and the
// buttons "/window/previous" and "/window/next" turn them (each is left out on the page where it has
// nowhere to go). A window without pages is one page.
//
// Main thread only.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/GUIWindowBases.h"
#include "game/windows/GUIMenuWindow.h"

namespace CorvantisEngine {
class GUIButton;
}

namespace GUITools {
class GUIControl;
}

namespace Puzzle {

class GUIHelpWindow : public GameFramework::GUIHelpWindowBase, public GUIMenuWindow {
 public:
  static constexpr const char* kKey = "window_credits";

  GUIHelpWindow(CorvantisEngine::Engine* engine, GameFramework::AudioManager* soundPlayer, GameData* gameData,
                GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                CorvantisEngine::GUIWindow* parent);

  void Show(std::uint32_t opener) override;
  void Hide() override;
  void Update() override;

  std::size_t GetPageCount() const { return pages.size(); }
  // The page shown (0 without pages).
  std::size_t GetPage() const { return page; }

 private:
  // Enables the controls of the given page and of the page buttons that lead somewhere, disables the
  // rest; with `show`, the newly enabled controls appear (the window itself is on screen).
  void TurnTo(std::size_t newPage, bool show);

  CorvantisEngine::GUIButton* backButton;
  CorvantisEngine::GUIButton* previousButton = nullptr;
  CorvantisEngine::GUIButton* nextButton = nullptr;
  GUITools::GUIControl* previousControl = nullptr;
  GUITools::GUIControl* nextControl = nullptr;
  // The controls of each page: the page's own control first, then every control under it.
  std::vector<std::vector<GUITools::GUIControl*>> pages;
  std::size_t page = 0;
};

}  // namespace Puzzle
