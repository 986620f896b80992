#pragma once
// GameData: the game's long-lived resource keeper. The start-up queues the game's resource lists into
// it; its load runs them (on its worker thread) and then makes the two container windows that every
// level's windows hang under: the play window (shown, top layer) and the piece window inside it (layer
// 100). It also holds the two small publisher logos of the menu windows, when their files exist.
//
// Threads: as DataKeeper. The windows exist only after the load; nothing may be parented to them
// before. Ownership: the keeper destroys its two windows; the logo shaders are stored in the keeper.

#include <string>

#include "tools/game/DataKeeper.h"

namespace CorvantisEngine {
class GUIManager;
class GUIWindow;
}  // namespace CorvantisEngine

namespace Puzzle {

class GameData : public GameTools::DataKeeper {
 public:
  static constexpr std::int32_t kPieceLayer = 100;

  GameData(CorvantisEngine::Engine* engine, const std::string& language);
  ~GameData() override;

  // The logo shader of publisher 0 or 1, null when its files are missing.
  CorvantisEngine::ShaderUser* GetLogoShader(int index) const {
    return index == 0 ? logoShader0 : logoShader1;
  }
  CorvantisEngine::GUIWindow* GetPlayWindow() const { return playWindow; }
  CorvantisEngine::GUIWindow* GetPieceWindow() const { return pieceWindow; }

  // "data\ui\textures\publishers\<index>_logo_small.jpg" and its "_alpha" companion.
  static std::string LogoFile(int index, bool alpha);

 protected:
  void LoadPending() override;

 private:
  CorvantisEngine::ShaderUser* MakeLogo(int index);

  CorvantisEngine::GUIManager* gui_;
  CorvantisEngine::ShaderUser* logoShader0 = nullptr;
  CorvantisEngine::ShaderUser* logoShader1 = nullptr;
  CorvantisEngine::GUIWindow* playWindow = nullptr;
  CorvantisEngine::GUIWindow* pieceWindow = nullptr;
};

}  // namespace Puzzle
