#pragma once
// Puzzle::GameLogic: one level in play. It makes the level's parts (floating texts, loose pieces,
// bonuses, the board, the tray with its carriage), runs them once a frame in the order tray, piece in
// hand, board, loose pieces, bonuses, texts, moves the piece in hand (its scale between the tray cell
// and full size, its place under the cursor and the magnet's pull towards its slot) and ends the level:
// finished (state 2) when every piece is placed, the board's closing animation is over and, outside
// relax mode, the carriage has run to the path end, with the level's earnings added to the profile's
// stars and the profile saved once; lost (state 3) when the tray has run out, never in relax mode.
// The play fades out while the level is paused (state 1) and in again after.
//
// Placing, completing and losing happen only while the level runs (state 0): a finished or lost level
// keeps being drawn and updated, but a click can no longer place a piece or pay for the level.
//
// Main thread only. The logic owns the level's parts and its root window; the profile manager, the
// keepers, the cursor and the tools are borrowed. Failure: a broken tray path ends the program through
// the log's Abort (see PuzzleDepository).

#include <cstdint>
#include <memory>
#include <string>

#include "framework/GameLogicBase.h"

namespace CorvantisEngine {
class GUIManager;
class GUIWindow;
}  // namespace CorvantisEngine

namespace GameFramework {
class GUIGameCursorBase;
}

namespace GUITools {
class GUIToolManager;
class GUIFontTool;
class GUITextTool;
}  // namespace GUITools

namespace Puzzle {

class BonusManager;
class GameData;
class GameLogicData;
class GUIGameLogicTextManager;
class ProfileManager;
class Puzzle;
class PuzzleDepository;
class PuzzleElementManager;

class GameLogic : public GameFramework::GameLogicBase {
 public:
  static constexpr std::uint32_t kLevelBeginSound = 4;
  static constexpr std::uint32_t kMagnetSound = 16;

  GameLogic(CorvantisEngine::Engine* engine, GameFramework::GUIGameCursorBase* cursor,
            ProfileManager* profileManager, GameFramework::AudioManager* audio, GameData* gameData,
            GameLogicData* levelData, GUITools::GUIToolManager* toolManager,
            GameFramework::StageRecord* stageRecord, GameFramework::LevelRecord* levelRecord,
            std::uint32_t gameCounter, const std::string& dataPath);
  ~GameLogic() override;

  void Update() override;

  float GetFade() const { return fade; }
  bool IsRelax() const { return relax != 0; }
  float GetAttraction() const { return attraction; }
  CorvantisEngine::GUIWindow* GetRootWindow() const { return rootWindow; }
  GUIGameLogicTextManager* GetTextManager() const { return textManager.get(); }
  PuzzleElementManager* GetElementManager() const { return elementManager.get(); }
  PuzzleDepository* GetDepository() const { return depository.get(); }
  BonusManager* GetBonusManager() const { return bonusManager.get(); }
  Puzzle* GetBoard() const { return board.get(); }

 private:
  // The piece in hand follows the cursor; true when the magnet draws it within reach of its slot.
  bool MoveHeldPiece(bool& heldWithTarget);
  void UpdateMagnetSound(bool heldWithTarget);
  void CheckEnd();

  CorvantisEngine::GUIManager* gui;
  GameFramework::GUIGameCursorBase* cursor;
  ProfileManager* profileManager;
  GameData* gameData;
  GameLogicData* levelData;
  GUITools::GUIFontTool* fontTool;
  GUITools::GUITextTool* textTool;
  CorvantisEngine::GUIWindow* rootWindow = nullptr;  // owned, destroyed through the GUIManager
  std::unique_ptr<GUIGameLogicTextManager> textManager;
  std::unique_ptr<PuzzleElementManager> elementManager;
  std::unique_ptr<PuzzleDepository> depository;
  std::unique_ptr<BonusManager> bonusManager;
  std::unique_ptr<Puzzle> board;
  float fade = 1.0f;
  std::uint8_t relax = 0;
  float attraction = 0.0f;
};

}  // namespace Puzzle
