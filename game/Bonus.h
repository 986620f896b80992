#pragma once
// Bonuses: small models that ride the tray among the pieces. Clicking one applies its effect (the
// tray does that): the magnet draws the next dragged piece to its place, the tip shows where it
// belongs, the pause stops the tray for a while and the roll back drives it backwards.
// Puzzle::BonusManager owns the live bonuses, picks the kind of each new one with weights that follow
// how full the path is (pauses and roll backs only once the path fills; never in relax mode), updates
// them every frame and deletes each one when its taking animation (one second: it grows by half its
// size and fades out) is over.
//
// Main thread only. The manager owns its bonuses and their container window; a bonus owns its model
// window. The tray's entries only point at bonuses. Nothing throws.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class GUIManager;
class GUIWindow;
class TimerManager;
class Model;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
class RandomSelecter;
}  // namespace GameTools

namespace Puzzle {

enum class BonusKind : std::uint32_t { Magnet = 0, Pause = 1, RollBack = 2, Tip = 3 };

class Bonus {
 public:
  // The keeper names of the kinds' models.
  static const char* ModelName(BonusKind kind);

  Bonus(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper, BonusKind kind,
        CorvantisEngine::GUIWindow* container);
  virtual ~Bonus();

  Bonus(const Bonus&) = delete;
  Bonus& operator=(const Bonus&) = delete;

  // One frame; fade is the play's fade factor (0 freezes the taking animation and hides the bonus).
  void Update(float fade);
  void Take();
  // Strictly inside the x and y extent of the model's world box; the border is outside.
  bool HitTest(const CorvantisEngine::Vector2& point) const;
  // The centre of the model's world box.
  CorvantisEngine::Vector2 GetPosition() const;
  bool IsVisible() const;
  void SetVisible(bool visible);

  BonusKind GetKind() const { return kind; }
  bool IsAlive() const { return alive != 0; }
  bool IsTaken() const { return taken != 0; }
  float GetTime() const { return time; }
  CorvantisEngine::GUIWindow* GetWindow() const { return window; }
  CorvantisEngine::Model* GetModel() const { return model; }

  // Set by the tray.
  CorvantisEngine::Vector2 position;
  float scale = 1.0f;

 private:
  CorvantisEngine::GUIManager* gui;
  CorvantisEngine::TimerManager* timers;
  CorvantisEngine::GUIWindow* window = nullptr;  // owned, destroyed through the GUIManager
  CorvantisEngine::Model* model = nullptr;       // the window's
  BonusKind kind;
  float time = 0.0f;
  std::uint8_t alive = 1;
  std::uint8_t taken = 0;
};

class BonusManager {
 public:
  static constexpr std::int32_t kContainerLayer = 210;
  // Weights of the kinds; the pause and roll back weights change with the free ratio.
  static constexpr std::uint32_t kTipWeight = 20;
  static constexpr std::uint32_t kMagnetWeight = 16;

  BonusManager(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper, bool relax,
               CorvantisEngine::GUIWindow* parent);
  virtual ~BonusManager();

  BonusManager(const BonusManager&) = delete;
  BonusManager& operator=(const BonusManager&) = delete;

  // A new bonus, kept in the list; freeRatio is the tray's free length over the path length.
  Bonus* CreateBonus(float freeRatio);
  // Updates every bonus and deletes those whose taking animation is over.
  void Update(float fade);

  // The pause and roll back weights for a free ratio, outside relax mode.
  static std::uint32_t PauseWeight(float freeRatio);
  static std::uint32_t RollBackWeight(float freeRatio);

  const std::vector<std::unique_ptr<Bonus>>& GetBonuses() const { return bonuses; }
  CorvantisEngine::GUIWindow* GetContainer() const { return container; }

 private:
  CorvantisEngine::Engine* engine;
  CorvantisEngine::GUIManager* gui;
  GameTools::DataKeeper* dataKeeper;
  CorvantisEngine::GUIWindow* container = nullptr;  // owned, destroyed through the GUIManager
  std::unique_ptr<GameTools::RandomSelecter> picker;
  std::vector<std::unique_ptr<Bonus>> bonuses;
  std::uint8_t relax;
};

}  // namespace Puzzle
