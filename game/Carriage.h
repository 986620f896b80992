#pragma once
// Puzzle::Carriage: the model that rides the tray's path behind the last entry. The tray shows it once
// every piece has been fed, moves it, turns it at the path's corners and spins it during a pause or a
// roll back; at the end of a level it drives to the path end (PuzzleDepository::StartCarriage).
//
// The carriage places its model itself: translation x scale x rotation about z x the base matrix,
// which centres the model on its origin. Main thread only; it owns its model window (destroyed through
// the GUIManager). Nothing throws.

#include <cstdint>

#include "engine/core/Vector.h"

namespace CorvantisEngine {
class Engine;
class GUIManager;
class GUIWindow;
class Model;
}  // namespace CorvantisEngine

namespace GameTools {
class DataKeeper;
}

namespace Puzzle {

class Carriage {
 public:
  static constexpr std::int32_t kLayer = 4;

  Carriage(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
           CorvantisEngine::GUIWindow* parent);
  virtual ~Carriage();

  Carriage(const Carriage&) = delete;
  Carriage& operator=(const Carriage&) = delete;

  bool IsVisible() const;
  void SetVisible(bool visible);
  void SetAlpha(float alpha);
  void SetPosition(const CorvantisEngine::Vector2& value);
  void SetScale(float value);
  // Radians about the screen normal.
  void SetRotation(float value);

  const CorvantisEngine::Vector2& GetPosition() const { return position; }
  float GetScale() const { return scale; }
  float GetRotation() const { return rotation; }
  CorvantisEngine::GUIWindow* GetWindow() const { return window; }

 private:
  void Place();

  CorvantisEngine::GUIManager* gui;
  CorvantisEngine::GUIWindow* window = nullptr;  // owned
  CorvantisEngine::Model* model = nullptr;       // the window's
  float rotation = 0.0f;
  float scale = 1.0f;
  CorvantisEngine::Vector2 position;
};

}  // namespace Puzzle
