#pragma once
// Light_D3D7: a Light uploaded to the Direct3D 7 device's light slot `index`. It reaches the device
// through the address of the render system's device field, so a device re-created by a Reset is picked
// up without any step here (the manager re-uploads every light each frame anyway).
//
// Main thread only. Device failures are logged through RenderSystem_D3D7::ReportError with the method
// names "Light_D3D7::Refresh" and "Light_D3D7::DisableLight"; nothing throws. The destructor switches
// the device slot off.

#include <cstdint>

#include "engine/render/Light.h"
#include "platform/ddraw/D3D.h"

namespace CorvantisEngine {

class RenderSystem_D3D7;

class Light_D3D7 : public Light {
 public:
  Light_D3D7(MessageManager* messages, RenderSystem_D3D7* renderSystem, std::uint32_t index);
  ~Light_D3D7() override;

  // Uploads and enables the light, or only switches its slot off when it is not enabled.
  void Refresh() override;
  void Reserved2() override {}
  void DisableLight();

  // The device record Refresh uploads for the light as it is now (zeroed, then filled by type).
  D3DLIGHT7 MakeDeviceRecord() const;

 private:
  RenderSystem_D3D7* renderSystem_;  // not owned
  IDirect3DDevice7* const* device_;  // the render system's device field
};

}  // namespace CorvantisEngine
