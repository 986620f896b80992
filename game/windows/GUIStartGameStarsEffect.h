#pragma once
// GUIStartGameStarsEffect: the stream of stars that flies from the start-game window's stars counter to
// an entry just bought. A clone of the particle system "ui/start_game_stars", drawn with the GUI camera
// in front of its host window, emits along a quadratic Bezier arc at 400 units per second of chord
// length; once it has arrived (or its host window is gone) emission stops, and when the last particle
// has died the system hides: the effect is finished and may be started again.
//
// Main thread only. The engine, game data and host window are borrowed; the effect owns its particle
// system (destroyed through the particle system manager). Nothing throws: without the prototype (the
// resource keeper logs it) the effect has no particle system, never flies and counts as finished.

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class GUIManager;
class GUIWindow;
class ParticleSystem;
class ParticleSystemManager;
class TimerManager;
}  // namespace CorvantisEngine

namespace Puzzle {

class GameData;

class GUIStartGameStarsEffect {
 public:
  static constexpr const char* kParticleSystemName = "ui/start_game_stars";
  // Units per second along the chord from start to end.
  static constexpr float kSpeed = 400.0f;
  // How far the arc's control point lies off the chord's middle, as a share of the chord's length.
  static constexpr float kBend = 0.3f;

  GUIStartGameStarsEffect(CorvantisEngine::Engine* engine, GameData* gameData,
                          CorvantisEngine::GUIWindow* host);
  virtual ~GUIStartGameStarsEffect();

  GUIStartGameStarsEffect(const GUIStartGameStarsEffect&) = delete;
  GUIStartGameStarsEffect& operator=(const GUIStartGameStarsEffect&) = delete;

  // Points in GUI units.
  void Start(const CorvantisEngine::Vector2& from, const CorvantisEngine::Vector2& to);
  void Update();
  // True when the particle system is not visible (or there is none).
  bool IsFinished() const;

  // The point of the arc at `progress` (0 at start, 1 at end).
  static CorvantisEngine::Vector2 ArcPoint(const CorvantisEngine::Vector2& from,
                                           const CorvantisEngine::Vector2& to, float progress);

  CorvantisEngine::ParticleSystem* GetParticleSystem() const { return particleSystem; }
  const CorvantisEngine::Vector2& GetCurrentPoint() const { return currentPoint; }

 protected:
  CorvantisEngine::Engine* engine;
  CorvantisEngine::TimerManager* timerManager;
  CorvantisEngine::GUIManager* guiManager;
  CorvantisEngine::ParticleSystemManager* particleSystemManager;
  GameData* gameData;
  CorvantisEngine::GUIWindow* host;
  CorvantisEngine::ParticleSystem* particleSystem = nullptr;  // owned; null without the prototype
  float time = 0.0f;
  CorvantisEngine::Vector2 startPoint;
  CorvantisEngine::Vector2 endPoint;
  CorvantisEngine::Vector2 currentPoint;
};

}  // namespace Puzzle
