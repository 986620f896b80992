#pragma once
// LightManager: holds the scene's lights in numbered slots (a light's slot number is also its device
// light index) and the scene's ambient colour, and puts both on the device once per frame (Update, run
// by the Engine's render pass after the GUI). The model drawing switches device lighting through
// SetLightingEnabled, which goes through the render system's lighting cache.
//
// Main thread only. Ownership: the manager owns every light it created; the pointers it hands out do
// not own. A freed slot is reused before the slot list grows, the most recently freed first.
// Failure: nothing throws; device failures are logged by the lights, misuse (destroying a light the
// manager does not hold) is logged as a warning and ignored.

#include <cstdint>
#include <vector>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class Light;
class MessageManager;
class RenderSystem;

class LightManager {
 public:
  LightManager(MessageManager* messages, RenderSystem* renderSystem);
  virtual ~LightManager();

  LightManager(const LightManager&) = delete;
  LightManager& operator=(const LightManager&) = delete;

  // Once per frame: the ambient colour (cached by the render system), then every light's Refresh in
  // the order the lights were created.
  void Update();
  // Device lighting on or off, through the render system's cache.
  void SetLightingEnabled(bool enabled);

  // A new light (at its defaults: an enabled white point light) in a free slot; null when the render
  // system cannot make one. The manager owns it.
  Light* CreateLight();
  // Switches the light's slot off and deletes it. Null is ignored; a light the manager does not hold
  // is logged and left alone.
  void DestroyLight(Light* light);

  void SetAmbientColour(const Vector4& colour) { ambientColour_ = colour; }
  const Vector4& GetAmbientColour() const { return ambientColour_; }
  std::uint32_t GetLightCount() const { return static_cast<std::uint32_t>(liveIds_.size()); }
  // The light in a slot; null for a free or unknown slot.
  Light* GetLight(std::uint32_t id) const;

 private:
  MessageManager* messages_;              // not owned
  RenderSystem* renderSystem_;            // not owned
  std::vector<std::uint32_t> freeSlots_;  // used as a stack
  std::vector<std::uint32_t> liveIds_;    // in creation order
  std::vector<Light*> slots_;             // owned; a freed slot holds null
  Vector4 ambientColour_{0.0f, 0.0f, 0.0f, 1.0f};
};

}  // namespace CorvantisEngine
