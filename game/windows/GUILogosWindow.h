#pragma once
// GUILogosWindow: the first screen after start-up. It shows up to two full-screen publisher logos
// ("data\ui\textures\publishers\0_logo_big.jpg" and "1_logo_big.jpg", 1024 x 1024 pictures of which
// the lower-left 800 x 600 part is the logo), each fully opaque for 1.5 s and then fading out over 1 s,
// the second under the first, and answers 1 once the last has gone, or at once when there is none.
// Missing pictures are skipped; with only the second one, it is shown as the first.
//
// It is no menu window: it has no window file and does not take the menu lock. Main thread only. The
// engine's services are borrowed; the root and logo windows are owned and destroyed through the GUI
// manager (the logos at Hide, the root with the window).

#include <cstdint>
#include <string>

#include "framework/GUIWindowBases.h"

namespace CorvantisEngine {
class Engine;
class FileManager;
class GUIManager;
class GUIWindow;
}  // namespace CorvantisEngine

namespace Puzzle {

class GUILogosWindow : public GameFramework::GUILogosWindowBase {
 public:
  static constexpr float kOpaqueTime = 1.5f;  // seconds before a logo starts to fade
  static constexpr std::int32_t kFrontLayer = 101;
  static constexpr std::int32_t kBackLayer = 100;

  explicit GUILogosWindow(CorvantisEngine::Engine* engine);
  ~GUILogosWindow() override;

  // Puts the first logo on the screen at once, as this window's first frame shows it, before anything
  // has been drawn: the player sees it while the rest of the game starts. Nothing when its picture is
  // missing or cannot be read (the window reports that when it makes its logos).
  static void ShowFirstLogo(CorvantisEngine::Engine* engine);

  void Show(std::uint32_t opener) override;
  void Update() override;
  // Destroys the logos; the root stays until the window goes.
  void Hide() override;

  CorvantisEngine::GUIWindow* GetLogo(int index) const { return index == 0 ? logo0 : logo1; }

 private:
  // The part of a logo's picture that is the logo, from its lower-left corner.
  static constexpr float kShownWidth = 800.0f / 1024.0f;
  static constexpr float kShownHeight = 600.0f / 1024.0f;

  // A logo's picture, under the data folder.
  static std::string LogoFile(int index);
  CorvantisEngine::GUIWindow* MakeLogo(int index);
  // Marks the logo's model as hiding everything behind it while it is drawn fully opaque.
  static void ShowAsCover(CorvantisEngine::GUIWindow* logo, bool opaque);

  CorvantisEngine::Engine* engine;
  CorvantisEngine::FileManager* fileManager;
  CorvantisEngine::GUIManager* guiManager;
  CorvantisEngine::GUIWindow* root = nullptr;
  CorvantisEngine::GUIWindow* logo0 = nullptr;
  CorvantisEngine::GUIWindow* logo1 = nullptr;
  std::uint8_t shown = 0;
  float time = 0.0f;          // seconds on the current logo
  std::uint32_t updates = 0;  // updates while shown
};

}  // namespace Puzzle
