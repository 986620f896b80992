// Display adapters, their devices and modes; the choice of device and of video mode.
#include <algorithm>
#include <cstring>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/render/HardwareInfo_D3D7.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/window/Window.h"
#include "platform/win32/WinWindow.h"

namespace CorvantisEngine {

namespace {

const char* const kNoDevices = "RenderSystem_D3D7: Failed to find any compatible Direct3D devices";

void CopyText(char (&target)[64], const char* source) {
  std::memset(target, 0, sizeof(target));
  if (source != nullptr) {
    std::strncpy(target, source, sizeof(target) - 1);
  }
}

HRESULT CollectMode(LPDDSURFACEDESC2 description, LPVOID context) {
  auto* modes = static_cast<std::vector<DDSURFACEDESC2>*>(context);
  if (description != nullptr && description->dwWidth >= 640 && description->dwHeight >= 400) {
    modes->push_back(*description);
  }
  return DDENUMRET_OK;
}

HRESULT CollectDevice(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 capabilities, LPVOID context) {
  auto* adapter = static_cast<AdapterInfo_D3D7*>(context);
  auto* device = new DeviceInfo_D3D7();
  device->deviceGuid = capabilities->deviceGUID;
  device->deviceGuidPointer = &device->deviceGuid;
  CopyText(device->name, name);
  CopyText(device->description, description);
  device->capabilities = *capabilities;
  device->hardware = (capabilities->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
  if (adapter->driverGuidPointer != nullptr && !device->hardware) {
    delete device;
    return D3DENUMRET_OK;
  }
  const DWORD depths = capabilities->dwDeviceRenderBitDepth;
  for (const DDSURFACEDESC2& mode : adapter->displayModes) {
    const DWORD bits = mode.ddpfPixelFormat.dwRGBBitCount;
    const bool renderable = (bits == 32 && (depths & DDBD_32) != 0) ||
                            (bits == 24 && (depths & DDBD_24) != 0) ||
                            (bits == 16 && (depths & DDBD_16) != 0);
    if (!renderable) {
      continue;
    }
    auto* info = new ModeInfo_D3D7();
    info->width = mode.dwWidth;
    info->height = mode.dwHeight;
    info->bitsPerPixel = bits == 16 ? 16 : 32;
    info->surfaceDescription = &mode;
    device->modes.push_back(info);
  }
  if (device->modes.empty()) {
    delete device;
  } else {
    adapter->devices.push_back(device);
  }
  return D3DENUMRET_OK;
}

BOOL CollectAdapter(GUID* guid, LPSTR description, LPSTR, LPVOID context, HMONITOR) {
  auto* adapters = static_cast<std::vector<AdapterInfo*>*>(context);
  IDirectDraw7* directDraw = nullptr;
  if (FAILED(DirectDrawCreateEx(guid, reinterpret_cast<LPVOID*>(&directDraw), IID_IDirectDraw7, nullptr))) {
    return TRUE;
  }
  IDirect3D7* direct3D = nullptr;
  if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<LPVOID*>(&direct3D)))) {
    directDraw->Release();
    return TRUE;
  }
  auto* adapter = new AdapterInfo_D3D7();
  adapters->push_back(adapter);
  CopyText(adapter->description, description);
  if (guid != nullptr) {
    adapter->driverGuid = *guid;
    adapter->driverGuidPointer = &adapter->driverGuid;
  }
  adapter->hardwareCapabilities.dwSize = sizeof(DDCAPS);
  adapter->emulationCapabilities.dwSize = sizeof(DDCAPS);
  directDraw->GetCaps(&adapter->hardwareCapabilities, &adapter->emulationCapabilities);
  adapter->canRenderWindowed =
      guid == nullptr && (adapter->hardwareCapabilities.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) != 0;
  adapter->desktopMode.dmSize = sizeof(DEVMODEA);
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &adapter->desktopMode);
  directDraw->EnumDisplayModes(0, nullptr, &adapter->displayModes, CollectMode);
  std::sort(adapter->displayModes.begin(), adapter->displayModes.end(),
            [](const DDSURFACEDESC2& a, const DDSURFACEDESC2& b) {
              if (a.dwWidth != b.dwWidth)
                return a.dwWidth > b.dwWidth;
              if (a.dwHeight != b.dwHeight)
                return a.dwHeight > b.dwHeight;
              return a.ddpfPixelFormat.dwRGBBitCount > b.ddpfPixelFormat.dwRGBBitCount;
            });
  direct3D->EnumDevices(CollectDevice, adapter);
  direct3D->Release();
  directDraw->Release();
  return TRUE;
}

}  // namespace

void RenderSystem_D3D7::EnumerateAdapters() {
  messages->Message("...Level device list...");
  DirectDrawEnumerateExA(
      CollectAdapter, &adapters,
      DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
  if (adapters.empty() || adapters.front()->devices.empty()) {
    messages->Abort(kNoDevices);
  }
}

void RenderSystem_D3D7::ChooseDevice(bool softwareOnly) {
  // Classes in order of preference: TnL HAL, other hardware, other software, reference rasteriser.
  AdapterInfo* chosenAdapter[4] = {};
  DeviceInfo* chosenDevice[4] = {};
  for (AdapterInfo* adapterBase : adapters) {
    auto* adapter = static_cast<AdapterInfo_D3D7*>(adapterBase);
    if (!adapter->canRenderWindowed) {
      continue;
    }
    for (DeviceInfo* deviceBase : adapter->devices) {
      auto* device = static_cast<DeviceInfo_D3D7*>(deviceBase);
      int kind = 0;
      if (device->hardware) {
        kind = device->deviceGuid == IID_IDirect3DTnLHalDevice ? 0 : 1;
      } else {
        kind = device->deviceGuid == IID_IDirect3DRefDevice ? 3 : 2;
      }
      chosenAdapter[kind] = adapter;
      chosenDevice[kind] = device;
    }
  }
  for (int kind = softwareOnly ? 2 : 0; kind < 4; ++kind) {
    if (chosenDevice[kind] != nullptr) {
      currentAdapter = chosenAdapter[kind];
      currentAdapter->currentDevice = chosenDevice[kind];
      return;
    }
  }
  messages->Abort(kNoDevices);
}

void RenderSystem_D3D7::SelectVideoMode() {
  AdapterInfo_D3D7* adapter = CurrentAdapter();
  DeviceInfo_D3D7* device = CurrentDevice();
  for (;;) {
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    const auto desktopWidth = static_cast<std::uint32_t>(std::max<LONG>(desktop.right - desktop.left, 0));
    const auto desktopHeight = static_cast<std::uint32_t>(std::max<LONG>(desktop.bottom - desktop.top, 0));

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bits = 0;
    if (StringToLowerCopy(settings->v_mode) == "desktop") {
      width = adapter->desktopMode.dmPelsWidth;
      height = adapter->desktopMode.dmPelsHeight;
      bits = adapter->desktopMode.dmBitsPerPel;
      settings->v_fullscreen = 1;
    } else {
      Config::ParseMode(settings->v_mode, &width, &height, &bits);
    }

    ModeInfo* chosen = nullptr;
    if (settings->v_fullscreen == 0 && !keepWindowSize &&
        (width >= desktopWidth || height >= desktopHeight)) {
      for (ModeInfo* mode : device->modes) {
        if (mode->width % 4 == 0 && mode->height % 3 == 0 && mode->width / 4 == mode->height / 3 &&
            mode->width < desktopWidth && mode->height < desktopHeight && mode->width > 640 &&
            mode->height > 480 && mode->bitsPerPixel == bits) {
          chosen = mode;
          settings->v_mode = std::to_string(mode->width) + "x" + std::to_string(mode->height) + "x" +
                             std::to_string(mode->bitsPerPixel);
          break;
        }
      }
    }
    // When no 4:3 mode fits under the desktop, the exact match and the fallbacks below decide.
    if (chosen == nullptr) {
      for (ModeInfo* mode : device->modes) {
        if (mode->width == width && mode->height == height && mode->bitsPerPixel == bits) {
          chosen = mode;
          break;
        }
      }
    }
    if (chosen != nullptr) {
      device->currentMode = chosen;
      break;
    }
    const std::string bound = StringToLowerCopy(settings->v_mode);
    if (bound == "640x480x16") {
      messages->Abort("RenderSystem_D3D7: Failed to find compatible video mode");
    }
    const std::string own = StringToLowerCopy(config->GetDefaultText("v_mode"));
    if (!own.empty() && own != bound) {
      config->ApplyVariable("v_mode");
    } else {
      settings->v_mode = "640x480x16";
    }
  }
  device->fullScreen = settings->v_fullscreen != 0;
  if (window->GetHostWindow() != nullptr) {
    device->fullScreen = false;
  }
}

}  // namespace CorvantisEngine
