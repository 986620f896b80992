#pragma once
// The Direct3D 7 forms of the hardware records: one DirectDraw driver (adapter), one of its 3-D devices,
// one display mode a device can render to. The render system owns the adapters; an adapter owns its
// devices, a device its modes. Filled by RenderSystem_D3D7::EnumerateAdapters.

#include <vector>

#include "engine/render/RenderSystem.h"
#include "platform/ddraw/D3D.h"
#include "platform/win32/WinDisplay.h"

namespace CorvantisEngine {

class ModeInfo_D3D7 : public ModeInfo {
 public:
  const DDSURFACEDESC2* surfaceDescription = nullptr;  // the adapter's record of this mode, not owned
};

class DeviceInfo_D3D7 : public DeviceInfo {
 public:
  GUID deviceGuid{};
  GUID* deviceGuidPointer = nullptr;  // points at deviceGuid
  char name[64] = {};
  char description[64] = {};
  D3DDEVICEDESC7 capabilities{};
  bool hardware = false;
};

class AdapterInfo_D3D7 : public AdapterInfo {
 public:
  GUID driverGuid{};
  GUID* driverGuidPointer = nullptr;  // null for the primary display driver
  char description[64] = {};
  DDCAPS hardwareCapabilities{};
  DDCAPS emulationCapabilities{};
  bool canRenderWindowed = false;
  DEVMODEA desktopMode{};
  std::vector<DDSURFACEDESC2> displayModes;
};

}  // namespace CorvantisEngine
