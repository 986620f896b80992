#pragma once
// Puzzle::Puzzle: the board of a level. The picture area at (60, 54) on the GUI screen: the greyed
// picture underneath, one hidden slot per piece at its place, the cut lines above, a pause overlay and
// the closing model with its particles. A click within 26 units of the held piece's slot places it:
// the slot shows, the combo counts (quick placements, less than 2.8 s apart, count 1 to 5 and round
// again), 10 + 5 x (combo - 1) stars go to the level's earnings with a floating text and a sound. The
// tray's tip and magnet requests act on the slot of the next piece taken. Placing the last piece plays
// the completion sound, fades the music out and later starts the completion track; the cut lines fade
// out over a second, then the closing animation plays once with its particles.
//
// The class shares its namespace's name: outside it, write ::Puzzle::Puzzle.
// Ownership: the board owns its slots, its windows and its closing particles. Main thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/BoundingBox.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class TimerManager;
class GUIManager;
class GUIWindow;
class ParticleSystemManager;
class ParticleSystem;
class Controls;
class Model;
class AnimationControl;
}  // namespace CorvantisEngine

namespace GameFramework {
class AudioManager;
class GUIGameCursorBase;
class ScoreKeeper;
}  // namespace GameFramework

namespace GUITools {
class GUITextTool;
}

namespace Puzzle {

class BoardCells;
class GameData;
class GameLogicData;
class GUIGameLogicTextManager;
class PuzzleElement;
class PuzzleElementManager;
class Profile;

class Puzzle {
 public:
  static constexpr float kBoardX = 60.0f;
  static constexpr float kBoardY = 54.0f;
  static constexpr float kSnapDistance = 26.0f;
  static constexpr float kComboWindow = 2.8f;
  static constexpr std::uint32_t kMaxCombo = 5;
  // The backdrop round the board lies behind everything else of the level (the board has layer 1).
  static constexpr std::int32_t kBackdropLayer = 0;
  static constexpr std::int32_t kClosingLayer = 203;
  static constexpr std::int32_t kOutlineLayer = 204;
  static constexpr std::int32_t kOverlayLayer = 205;
  // The game's sound ids and music.
  static constexpr std::uint32_t kLevelCompleteSound = 5;
  static constexpr std::uint32_t kFirstPutSound = 8;
  static constexpr std::uint32_t kBadPutSound = 13;
  static constexpr std::uint32_t kMusicChannel = 1;
  static constexpr std::uint32_t kCompleteTrack = 1;
  // Cursor ids.
  static constexpr std::uint32_t kNormalCursor = 0;
  static constexpr std::uint32_t kTipCursor = 1;
  static constexpr std::uint32_t kMagnetCursor = 2;

  Puzzle(CorvantisEngine::Engine* engine, GameFramework::GUIGameCursorBase* cursor,
         GameFramework::AudioManager* audio, GUITools::GUITextTool* textTool, GameData* gameData,
         GameLogicData* levelData, GUIGameLogicTextManager* textManager, PuzzleElementManager* elementManager,
         GameFramework::ScoreKeeper* scoreKeeper, Profile* profile, bool relax,
         CorvantisEngine::GUIWindow* root);
  virtual ~Puzzle();

  Puzzle(const Puzzle&) = delete;
  Puzzle& operator=(const Puzzle&) = delete;

  void Update(bool paused, float fade);
  bool IsComplete() const;
  // Complete, and the closing animation has started and stopped.
  bool IsFinished() const;

  // The points of a placement at that combo.
  static std::uint32_t Points(std::uint32_t combo) { return 10 + 5 * (combo - 1); }

  const CorvantisEngine::BoundingBox& GetBoardRect() const { return boardRect; }
  const std::vector<std::unique_ptr<PuzzleElement>>& GetSlots() const { return slots; }
  std::uint32_t GetPlacedCount() const { return placedCount; }
  std::uint32_t GetCombo() const { return combo; }
  std::uint32_t GetComboPauseCredit() const { return comboPauseCredit; }
  CorvantisEngine::GUIWindow* GetSlotContainer() const { return slotContainer; }
  CorvantisEngine::GUIWindow* GetBackgroundWindow() const { return backgroundWindow; }
  CorvantisEngine::GUIWindow* GetBackdropWindow() const { return backdropWindow; }
  CorvantisEngine::GUIWindow* GetOutlineWindow() const { return outlineWindow; }
  // The greyed picture with the cut lines laid over it, where no slot draws; null without a device.
  CorvantisEngine::GUIWindow* GetLinedWindow() const { return linedWindow; }
  CorvantisEngine::GUIWindow* GetOverlayWindow() const { return overlayWindow; }
  CorvantisEngine::GUIWindow* GetClosingWindow() const { return closingWindow; }
  CorvantisEngine::ParticleSystem* GetClosingEffect() const { return closingEffect; }

  // Set by the tray when a bonus is taken.
  std::uint8_t magnetPending = 0;
  std::uint8_t magnetActive = 0;
  std::uint8_t tipPending = 0;

 private:
  PuzzleElement* FindHeld() const;
  PuzzleElement* FindSlot(std::uint32_t pieceIndex) const;
  void TryPlace(PuzzleElement* held, bool clicked);
  void Place(PuzzleElement* held, PuzzleElement* slot);
  void UpdateMarks(bool paused, float fade);
  void UpdateClosing(float dt);
  void SetCursor(std::uint32_t id);
  // Splits the board's cells between its layers again when the slots in view have changed.
  void UpdateCells();

  CorvantisEngine::TimerManager* timers;
  CorvantisEngine::GUIManager* gui;
  CorvantisEngine::ParticleSystemManager* particles;
  CorvantisEngine::Controls* controls;
  GameFramework::GUIGameCursorBase* cursor;
  GameFramework::AudioManager* audio;
  GUITools::GUITextTool* textTool;
  GameData* gameData;
  GameLogicData* levelData;
  GUIGameLogicTextManager* textManager;
  PuzzleElementManager* elementManager;
  GameFramework::ScoreKeeper* scoreKeeper;
  Profile* profile;
  std::uint8_t relax;
  CorvantisEngine::GUIWindow* backdropWindow = nullptr;
  CorvantisEngine::GUIWindow* backgroundWindow = nullptr;
  CorvantisEngine::GUIWindow* slotContainer = nullptr;
  CorvantisEngine::GUIWindow* outlineWindow = nullptr;
  CorvantisEngine::GUIWindow* linedWindow = nullptr;
  std::unique_ptr<BoardCells> cells;
  // One per cell: the cut lines can show there; the cut lines reach the board's edge there (the layers
  // always draw such a cell apart); a slot in view covers it (as the layers were last split); scratch
  // for the next split.
  std::vector<std::uint8_t> lineCells;
  std::vector<std::uint8_t> edgeLineCells;
  std::vector<std::uint8_t> slotCells;
  std::vector<std::uint8_t> shownCells;
  CorvantisEngine::GUIWindow* overlayWindow = nullptr;
  CorvantisEngine::GUIWindow* closingWindow = nullptr;
  CorvantisEngine::Model* closingModel = nullptr;
  CorvantisEngine::AnimationControl* closingAnimation = nullptr;
  CorvantisEngine::ParticleSystem* closingEffect = nullptr;
  std::uint8_t closingStarted = 0;
  std::vector<std::unique_ptr<PuzzleElement>> slots;
  PuzzleElement* lastHeld = nullptr;
  std::uint32_t placedCount = 0;
  CorvantisEngine::BoundingBox boardRect;
  std::uint32_t comboPauseCredit = 0;
  std::uint32_t combo = 1;
  float sinceLastPlacement = 100000.0f;
};

}  // namespace Puzzle
