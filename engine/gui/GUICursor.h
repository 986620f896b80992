#pragma once
// GUICursor: the GUI's mouse cursor, a model that follows the system cursor in GUI units (y up, the
// bottom pixel row at 0). Its hot spot is the model's corner (0, 0); a quad cursor's image hangs below
// and to the right of it. It is drawn in front of every widget (depth -30.1). The GUIManager's default
// cursor has no model and only tracks the mouse position for the widgets.
//
// Main thread only. The cursor owns its model (destroyed through the model manager); the log, window,
// model manager, controls and camera are borrowed. Nothing throws.

#include <cstdint>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class Window;
class ModelManager;
class Controls;
class Camera;
class Model;
class ShaderDescriptor;

class GUICursor {
 public:
  static constexpr float kDepth = -30.1f;
  static constexpr std::uint32_t kQuadFlags = 0x48C11;

  // A quad of side `side` with the texture (may be null).
  GUICursor(MessageManager* log, Window* window, ModelManager* modelManager, Controls* controls,
            Camera* camera, const ShaderDescriptor* texture, float side);
  // A clone of the prototype; no model when it is null.
  GUICursor(MessageManager* log, Window* window, ModelManager* modelManager, Controls* controls,
            Camera* camera, Model* prototype);
  GUICursor(const GUICursor&) = delete;
  GUICursor& operator=(const GUICursor&) = delete;
  virtual ~GUICursor();

  // Maps the system cursor's client position to GUI units; a window without a client area leaves the
  // position as it was.
  void Update();
  void Render();

  MessageManager* log;
  Window* window;
  ModelManager* modelManager;
  Controls* controls;
  Camera* camera;
  Model* model = nullptr;  // owned, destroyed through the model manager
  std::uint8_t visible = 0;
  Vector2 position;
};

}  // namespace CorvantisEngine
