#pragma once
// Light: one fixed-function light of the device (directional, spot or point) with its colours, position,
// direction, range, attenuation and cone. The fields are public data; nothing reaches the device until
// the next Refresh, which the LightManager runs for every light once per frame. Light_D3D7 uploads a
// light to its Direct3D 7 light slot (`index`).
//
// Main thread only. A light is made by RenderSystem::CreateLight and owned by whoever asked for it
// (normally the LightManager). Nothing here throws; device failures are logged by the back end.

#include <cstdint>

#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;

class Light {
 public:
  static constexpr std::uint32_t kDirectional = 0;
  static constexpr std::uint32_t kSpot = 1;
  static constexpr std::uint32_t kPoint = 2;
  // The device's largest light range: the square root of the largest float.
  static constexpr float kMaxRange = 1.8446743e19f;

  Light(MessageManager* messages, std::uint32_t index);
  virtual ~Light();

  Light(const Light&) = delete;
  Light& operator=(const Light&) = delete;

  // Puts the light on the device (nothing in the base class).
  virtual void Refresh() {}
  virtual void Reserved2() {}

  MessageManager* messages;  // not owned
  std::uint32_t index;       // device light slot
  bool enabled = true;
  std::uint32_t type = kPoint;
  Vector3 position{0.0f, 0.0f, 0.0f};
  Vector3 direction{0.0f, 0.0f, -1.0f};
  float range = kMaxRange;
  Vector4 ambient{1.0f, 1.0f, 1.0f, 1.0f};
  Vector4 diffuse{1.0f, 1.0f, 1.0f, 1.0f};
  Vector4 specular{1.0f, 1.0f, 1.0f, 1.0f};
  float constantAttenuation = 1.0f;
  float linearAttenuation = 0.0f;
  float quadraticAttenuation = 0.0f;
  float theta = 0.0f;  // inner cone angle, radians
  float phi = 0.0f;    // outer cone angle, radians
};

}  // namespace CorvantisEngine
