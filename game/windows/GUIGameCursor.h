#pragma once
// GUIGameCursor: the game's mouse cursor. Three kinds are filed with the base: 0 the normal pointer, 1
// while a tip bonus is active and 2 while a magnet bonus is active, each a Windows cursor from the
// program's resources (1000, 107, 106) and a textured GUI cursor drawn when the custom cursor is in use.
// Two particle effects follow the pointer once the game's data is loaded: a trail behind it and a burst
// at every left click. The trail (and with it the click bursts) is switched off while a level is played.
//
// The cursor starts on the system cursor with "ui_custom_cursor" cleared; the first Update after the
// setting is turned on draws the GUI cursor instead. The tip and magnet kinds have their own pictures,
// hanging from the pointer by the same hot spot as their Windows cursors.
//
// Main thread only. The cursor owns its two particle systems (destroyed through the particle-system
// manager) and, through the base, its three GUI cursors. Nothing throws; a missing effect prototype
// leaves that effect out.

#include <cstdint>

#include "framework/GUIGameCursorBase.h"

namespace CorvantisEngine {
class ParticleSystem;
class ParticleSystemManager;
}  // namespace CorvantisEngine

namespace Puzzle {

class GameData;

class GUIGameCursor : public GameFramework::GUIGameCursorBase {
 public:
  // Cursor kinds, as the board and the game's handlers apply them.
  static constexpr std::uint32_t kNormal = 0;
  static constexpr std::uint32_t kTip = 1;
  static constexpr std::uint32_t kMagnet = 2;

  // The GUI cursors' side in GUI units.
  static constexpr float kCursorSize = 40.0f;
  // Where the trail is emitted, from the cursor's hot spot, in GUI units.
  static constexpr float kTrailOffsetX = 12.0f;
  static constexpr float kTrailOffsetY = -18.0f;
  static constexpr float kEffectDepth = -21.0f;

  explicit GUIGameCursor(CorvantisEngine::Engine* engine);
  ~GUIGameCursor() override;

  // Moves the trail after the cursor, starts a click burst on a left click (trail enabled only), then the
  // base's Update. Returns the base's answer.
  bool Update() override;
  // The base's SetVisible; the trail stops while the cursor is hidden and emits again when it is shown
  // with the trail enabled.
  void SetVisible(bool visible) override;

  // Clones "ui/cursor_train" and "ui/cursor_click" from the game data; a prototype the data lacks
  // leaves that effect out. Called once, after loading.
  void CreateEffects(GameData* gameData);
  void SetTrailEnabled(bool enabled);

  bool IsTrailEnabled() const { return trailEnabled != 0; }
  CorvantisEngine::ParticleSystem* GetTrail() const { return trail; }
  CorvantisEngine::ParticleSystem* GetClickEffect() const { return click; }

 private:
  CorvantisEngine::ParticleSystem* CreateEffect(GameData* gameData, const char* name, bool looping);
  // The trail emits exactly while it is enabled and the cursor is visible.
  void UpdateTrailEmission();

  CorvantisEngine::ParticleSystemManager* particleSystems;
  // Both owned; null until CreateEffects.
  CorvantisEngine::ParticleSystem* trail = nullptr;
  CorvantisEngine::ParticleSystem* click = nullptr;
  std::uint8_t trailEnabled = 1;
};

}  // namespace Puzzle
