#pragma once
// PuzzleElement: one piece on the screen, either a loose piece (carried by the tray, taken into the
// hand, dropped on the board; it has a drop shadow and rises above the tray while in hand) or a board
// slot (hidden until its piece is placed; it can flash in the tip colour with the tip particles, and
// glow while the magnet draws a piece to it). PuzzleElementManager makes the loose pieces, one per
// piece, in a shuffled order, and updates them.
//
// The sprite (and shadow) come from the level's texture pack; position is the piece's centre in GUI
// units, scale multiplies the piece's size.
//
// Ownership: an element destroys its windows and its tip particles; the manager owns its pieces and
// their container window. Main thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class TimerManager;
class ParticleSystemManager;
class ParticleSystem;
class GUIManager;
class GUIWindow;
}  // namespace CorvantisEngine

namespace GameFramework {
class AudioManager;
}

namespace Puzzle {

class GameData;
class GameLogicData;

class PuzzleElement {
 public:
  // Sound ids of the game's table.
  static constexpr std::uint32_t kTipSound = 15;
  // Layers: slots sit at index + 1; loose pieces at these, higher while in hand.
  static constexpr std::int32_t kLooseLayer = 5;
  static constexpr std::int32_t kLooseShadowLayer = 4;
  static constexpr std::int32_t kHeldLayer = 103;
  static constexpr std::int32_t kHeldShadowLayer = 102;

  PuzzleElement(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audio, GameData* gameData,
                GameLogicData* levelData, std::uint32_t index, bool loose,
                CorvantisEngine::GUIWindow* parent);
  virtual ~PuzzleElement();

  PuzzleElement(const PuzzleElement&) = delete;
  PuzzleElement& operator=(const PuzzleElement&) = delete;

  CorvantisEngine::Vector2 GetSize() const;
  bool IsVisible() const;
  void SetVisible(bool visible);
  void SetPosition(const CorvantisEngine::Vector2& centre);
  void SetScale(float value);
  // Strictly inside the sprite's rectangle; edges are outside.
  bool HitTest(const CorvantisEngine::Vector2& point) const;
  // Slots only: the magnet glow, and the tip flash with its particles.
  void StartHighlight();
  void ShowTip();
  void RequestHideFlash();
  void RequestHideHighlight();
  void Update(bool paused, float fade);

  CorvantisEngine::GUIWindow* GetSprite() const { return sprite; }
  CorvantisEngine::GUIWindow* GetShadow() const { return shadow; }
  CorvantisEngine::ParticleSystem* GetTipEffect() const { return tipEffect; }
  std::uint32_t GetIndex() const { return index; }
  bool IsLoose() const { return loose != 0; }
  const std::vector<std::uint32_t>& GetNeighbours() const { return neighbours; }
  float GetScale() const { return scale; }
  const CorvantisEngine::Vector2& GetPosition() const { return position; }
  bool IsFlashing() const { return flash != 0; }
  bool IsHighlighted() const { return highlight != 0; }

  // Set and cleared by the tray (in hand) and the board (magnet target).
  std::uint8_t taken = 0;
  PuzzleElement* target = nullptr;

 private:
  void Layout();
  void StartMark(std::uint8_t& on, std::uint8_t& hiding, float& time);
  // One frame of a pulsing mark; it switches itself off once it has faded out.
  void Pulse(std::uint8_t& on, std::uint8_t& hiding, float& time, float step);

  CorvantisEngine::Engine* engine;
  CorvantisEngine::TimerManager* timers;
  CorvantisEngine::ParticleSystemManager* particles;
  CorvantisEngine::GUIManager* gui;
  GameFramework::AudioManager* audio;
  GameData* gameData;
  GameLogicData* levelData;
  CorvantisEngine::GUIWindow* sprite = nullptr;
  CorvantisEngine::GUIWindow* shadow = nullptr;
  CorvantisEngine::ParticleSystem* tipEffect = nullptr;
  std::uint32_t index;
  std::uint8_t loose;
  std::vector<std::uint32_t> neighbours;
  float scale = 1.0f;
  CorvantisEngine::Vector2 position;
  std::uint8_t flash = 0;
  std::uint8_t flashHiding = 0;
  float flashTime = 0.0f;
  std::uint8_t highlight = 0;
  std::uint8_t highlightHiding = 0;
  float highlightTime = 0.0f;
};

// A registered copy of the game data's particle system, drawn with the GUI camera at the given depth
// (just below a window's depth puts the particles in front of that window).
CorvantisEngine::ParticleSystem* CreateGUIParticles(CorvantisEngine::Engine* engine, GameData* gameData,
                                                    const std::string& name, float depth);

// How far in front of the window they belong to the game's effects draw.
constexpr float kEffectDepthOffset = 0.001f;

class PuzzleElementManager {
 public:
  static constexpr std::int32_t kContainerLayer = 210;

  PuzzleElementManager(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audio,
                       GameData* gameData, GameLogicData* levelData, CorvantisEngine::GUIWindow* parent);
  virtual ~PuzzleElementManager();

  PuzzleElementManager(const PuzzleElementManager&) = delete;
  PuzzleElementManager& operator=(const PuzzleElementManager&) = delete;

  void Update(bool paused, float fade);
  // The first piece, in feeding order, that is visible and taken; null when none.
  PuzzleElement* FindHeld() const;

  const std::vector<std::unique_ptr<PuzzleElement>>& GetPieces() const { return pieces; }
  CorvantisEngine::GUIWindow* GetContainer() const { return container; }

 private:
  CorvantisEngine::GUIManager* gui;
  CorvantisEngine::GUIWindow* container;
  std::vector<std::unique_ptr<PuzzleElement>> pieces;
};

}  // namespace Puzzle
