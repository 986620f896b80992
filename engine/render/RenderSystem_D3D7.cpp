// Device life: creation with the software fallback, release, lost devices, presentation and reset.
#include "engine/render/RenderSystem_D3D7.h"

#include <algorithm>
#include <cstring>

#include "engine/config/Config.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/render/HardwareInfo_D3D7.h"
#include "engine/render/RenderSystemFactory.h"
#include "engine/render/Texture2D_D3D7.h"
#include "engine/window/Window.h"
#include "platform/win32/WinWindow.h"

namespace CorvantisEngine {

namespace {

const char* const kDottedLine = "........................................................";

template <typename T>
void ReleaseCom(T*& pointer) {
  if (pointer != nullptr) {
    pointer->Release();
    pointer = nullptr;
  }
}

}  // namespace

std::unique_ptr<RenderSystem> CreateRenderSystem(MessageManager* messages, Config* config, Window* window,
                                                 bool stencilRequested, bool keepWindowSize) {
  return std::make_unique<RenderSystem_D3D7>(messages, config, window, stencilRequested, keepWindowSize);
}

RenderSystem_D3D7::RenderSystem_D3D7(MessageManager* messages_, Config* config_, Window* window_,
                                     bool stencilRequested_, bool keepWindowSize_)
    : RenderSystem(messages_, config_, window_, stencilRequested_, keepWindowSize_),
      backBufferDescription_(std::make_unique<DDSURFACEDESC2>()) {
  messages->Message("\nInitialization of Direct3D subsystem...");
  EnumerateAdapters();
  CreateDevice(true);
  InitStates();
  messages->Message(" ");
}

RenderSystem_D3D7::~RenderSystem_D3D7() {
  messages->Message("\nDirect3D Subsystem destroying:");
  ReleaseDevice(true);
  std::lock_guard lock(texturesMutex_);
  textures_.clear();
}

AdapterInfo_D3D7* RenderSystem_D3D7::CurrentAdapter() const {
  return static_cast<AdapterInfo_D3D7*>(currentAdapter);
}

DeviceInfo_D3D7* RenderSystem_D3D7::CurrentDevice() const {
  return currentAdapter != nullptr ? static_cast<DeviceInfo_D3D7*>(currentAdapter->currentDevice) : nullptr;
}

bool RenderSystem_D3D7::IsHardwareDevice() const {
  const DeviceInfo_D3D7* device = CurrentDevice();
  return device != nullptr && device->deviceGuidPointer != nullptr &&
         (*device->deviceGuidPointer == IID_IDirect3DHALDevice ||
          *device->deviceGuidPointer == IID_IDirect3DTnLHalDevice);
}

void RenderSystem_D3D7::CreateDevice(bool logCapabilities) {
  if (currentAdapter == nullptr || currentAdapter->currentDevice == nullptr) {
    ChooseDevice(false);
  }
  if (CreateDeviceObjects(logCapabilities)) {
    return;
  }
  if (CurrentDevice()->hardware) {
    messages->Warning("......RenderSystem_D3D7: Switching to the software rasterizer");
    ChooseDevice(true);
    CreateDevice(true);
    return;
  }
  messages->Abort("RenderSystem_D3D7: Failed to create Direct3D device");
}

bool RenderSystem_D3D7::CreateDeviceObjects(bool logCapabilities) {
  try {
    SelectVideoMode();
    AdapterInfo_D3D7* adapter = CurrentAdapter();
    DeviceInfo_D3D7* device = CurrentDevice();
    const ModeInfo_D3D7* mode = static_cast<const ModeInfo_D3D7*>(device->currentMode);
    const bool fullScreen = device->fullScreen;
    const HWND hwnd = window->GetHandle();

    messages->Message("...Creating DirectDraw...");
    if (FAILED(DirectDrawCreateEx(adapter->driverGuidPointer, reinterpret_cast<LPVOID*>(&directDraw_),
                                  IID_IDirectDraw7, nullptr))) {
      directDraw_ = nullptr;
      throw Error("Failed to create DirectDraw");
    }
    const DWORD level =
        (fullScreen ? (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT) : DDSCL_NORMAL) |
        DDSCL_FPUPRESERVE;
    messages->Message("......Setting cooperative level...");
    if (FAILED(directDraw_->SetCooperativeLevel(hwnd, level))) {
      throw Error("Failed to set DirectDraw cooperative level");
    }
    DDSURFACEDESC2 displayMode{};
    displayMode.dwSize = sizeof(displayMode);
    if (FAILED(directDraw_->GetDisplayMode(&displayMode)) || displayMode.ddpfPixelFormat.dwRGBBitCount < 9) {
      throw Error("Invalid DirectDraw display mode");
    }

    messages->Message("......Creating screen buffers...");
    window->SetMode(mode->width, mode->height, fullScreen, adapter->desktopMode.dmPelsWidth,
                    adapter->desktopMode.dmPelsHeight);
    if (fullScreen) {
      const DDSURFACEDESC2& modeDescription = *mode->surfaceDescription;
      if (FAILED(directDraw_->SetDisplayMode(mode->width, mode->height,
                                             modeDescription.ddpfPixelFormat.dwRGBBitCount,
                                             modeDescription.dwRefreshRate, 0))) {
        throw Error("Failed to set display mode");
      }
    }

    DDSURFACEDESC2 primaryDescription{};
    primaryDescription.dwSize = sizeof(primaryDescription);
    primaryDescription.dwFlags = DDSD_CAPS;
    primaryDescription.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (fullScreen) {
      primaryDescription.dwFlags |= DDSD_BACKBUFFERCOUNT;
      primaryDescription.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
      primaryDescription.dwBackBufferCount = 1;
    }
    if (FAILED(directDraw_->CreateSurface(&primaryDescription, &primary_, nullptr))) {
      primary_ = nullptr;
      throw Error("Failed to create primary surface");
    }

    if (!fullScreen) {
      IDirectDrawClipper* clipper = nullptr;
      if (FAILED(directDraw_->CreateClipper(0, &clipper, nullptr))) {
        throw Error("Failed to create clipper");
      }
      clipper->SetHWnd(0, hwnd);
      primary_->SetClipper(clipper);
      clipper->Release();
      DDSURFACEDESC2 backDescription{};
      backDescription.dwSize = sizeof(backDescription);
      backDescription.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
      backDescription.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
      backDescription.dwWidth = mode->width;
      backDescription.dwHeight = mode->height;
      if (FAILED(directDraw_->CreateSurface(&backDescription, &backBuffer_, nullptr))) {
        backBuffer_ = nullptr;
        throw Error("Failed to create back buffer");
      }
    } else {
      DDSCAPS2 caps{};
      caps.dwCaps = DDSCAPS_BACKBUFFER;
      // GetAttachedSurface adds the reference this render system keeps.
      if (FAILED(primary_->GetAttachedSurface(&caps, &backBuffer_))) {
        backBuffer_ = nullptr;
        throw Error("Failed to create back buffer");
      }
    }
    *backBufferDescription_ = {};
    backBufferDescription_->dwSize = sizeof(DDSURFACEDESC2);
    backBuffer_->GetSurfaceDesc(backBufferDescription_.get());

    messages->Message("...Creating Direct3D...");
    if (FAILED(directDraw_->QueryInterface(IID_IDirect3D7, reinterpret_cast<LPVOID*>(&direct3D_)))) {
      direct3D_ = nullptr;
      throw Error("Failed to create Direct3D");
    }
    messages->Message("...Creating Direct3D device...");
    if (FAILED(direct3D_->CreateDevice(*device->deviceGuidPointer, backBuffer_, &device_))) {
      device_ = nullptr;
      throw Error("Failed to create Direct3D device");
    }
    messages->Message("......Setting viewport...");
    D3DVIEWPORT7 viewport{0, 0, mode->width, mode->height, 0.0f, 1.0f};
    if (FAILED(device_->SetViewport(&viewport))) {
      throw Error("Failed to set viewport");
    }
    messages->Message("......Creating Z Buffer...");
    if ((device->capabilities.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR) == 0) {
      CreateDepthBuffer();
    }

    if (logCapabilities) {
      messages->Message(kDottedLine);
      messages->Message("......Capabilities:");
    }
    D3DDEVICEDESC7 caps{};
    device_->GetCaps(&caps);
    textureStageCount = caps.wMaxSimultaneousTextures;
    maxTextureWidth = caps.dwMaxTextureWidth;
    maxTextureHeight = caps.dwMaxTextureHeight;
    maxAnisotropy = caps.dwMaxAnisotropy;
    if (logCapabilities) {
      messages->Message(".........Maximal texture units: " + std::to_string(textureStageCount));
      messages->Message(".........Maximal texture size: " + std::to_string(maxTextureWidth) + "x" +
                        std::to_string(maxTextureHeight));
      messages->Message(".........Maximal texture anisotropy: " + std::to_string(maxAnisotropy));
    }
    return true;
  } catch (const FatalError&) {
    throw;
  } catch (const Error& error) {
    ReleaseDevice(false);
    messages->Error("RenderSystem_D3D7: " + error.GetMessage());
    return false;
  }
}

namespace {

struct DepthSearch {
  DWORD depth = 0;
  DWORD stencil = 0;
  bool found = false;
  DDPIXELFORMAT format{};
};

HRESULT AcceptDepthFormat(LPDDPIXELFORMAT format, LPVOID context) {
  auto* search = static_cast<DepthSearch*>(context);
  if (format != nullptr && format->dwZBufferBitDepth == search->depth &&
      format->dwStencilBitDepth >= search->stencil) {
    search->format = *format;
    search->found = true;
    return D3DENUMRET_CANCEL;
  }
  return D3DENUMRET_OK;
}

}  // namespace

void RenderSystem_D3D7::CreateDepthBuffer() {
  const DeviceInfo_D3D7* device = CurrentDevice();
  const bool videoMemory = IsHardwareDevice();
  DepthSearch search;
  auto find = [&](DWORD depth, DWORD stencilBits) {
    search = {};
    search.depth = depth;
    search.stencil = stencilBits;
    direct3D_->EnumZBufferFormats(*device->deviceGuidPointer, AcceptDepthFormat, &search);
    return search.found;
  };
  const DWORD wantedStencil = stencilRequested ? 1 : 0;
  bool found =
      find(backBufferDescription_->ddpfPixelFormat.dwRGBBitCount, wantedStencil) || find(16, wantedStencil);
  bool withStencil = found && wantedStencil != 0;
  if (!found && wantedStencil != 0) {
    // Without the stencil the search runs at 16 bits; a device without a plain 16-bit format still
    // gets a depth buffer at the back buffer's depth rather than losing the hardware device.
    found = find(16, 0) || find(backBufferDescription_->ddpfPixelFormat.dwRGBBitCount, 0);
    withStencil = false;
  }
  if (!found) {
    throw Error("Failed to create Z Buffer");
  }
  stencilPresent = withStencil;

  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  description.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (videoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  description.dwWidth = backBufferDescription_->dwWidth;
  description.dwHeight = backBufferDescription_->dwHeight;
  description.ddpfPixelFormat = search.format;
  if (FAILED(directDraw_->CreateSurface(&description, &depthBuffer_, nullptr))) {
    depthBuffer_ = nullptr;
    throw Error("Failed to create Z Buffer");
  }
  if (FAILED(backBuffer_->AddAttachedSurface(depthBuffer_))) {
    throw Error("Failed to create Z Buffer");
  }
  if (FAILED(device_->SetRenderTarget(backBuffer_, 0))) {
    throw Error("Failed to set render target");
  }
}

void RenderSystem_D3D7::ReleaseDevice(bool fromDestructor) {
  if (directDraw_ != nullptr) {
    directDraw_->SetCooperativeLevel(window->GetHandle(), DDSCL_NORMAL);
  }
  messages->Message("...Releasing device...");
  ULONG deviceLeft = 0;
  if (device_ != nullptr) {
    deviceLeft = device_->Release();
    device_ = nullptr;
  }
  messages->Message("...Releasing surfaces...");
  ReleaseSurfaces();
  messages->Message("...Releasing Direct3D...");
  ReleaseCom(direct3D_);
  messages->Message("...Releasing DirectDraw...");
  ULONG directDrawLeft = 0;
  if (directDraw_ != nullptr) {
    directDrawLeft = directDraw_->Release();
    directDraw_ = nullptr;
  }
  // A reference still held elsewhere is a leak, not a reason to stop a shutdown half-way.
  const char* leak = deviceLeft != 0       ? "RenderSystem_D3D7: device object is still referenced"
                     : directDrawLeft != 0 ? "RenderSystem_D3D7: DirectDraw object is still referenced"
                                           : nullptr;
  if (leak != nullptr) {
    if (fromDestructor) {
      messages->Error(leak);
    } else {
      messages->Abort(leak);
    }
  }
}

void RenderSystem_D3D7::ReleaseSurfaces() {
  ReleaseCom(backBuffer_);
  ReleaseCom(depthBuffer_);
  ReleaseCom(primary_);
}

HRESULT RenderSystem_D3D7::RestoreSurfaces() {
  if (directDraw_ == nullptr) {
    return DDERR_NOTINITIALIZED;
  }
  return directDraw_->RestoreAllSurfaces();
}

void RenderSystem_D3D7::Refresh() {
  RenderSystem::Refresh();
  if (directDraw_ == nullptr) {
    return;
  }
  const HRESULT level = directDraw_->TestCooperativeLevel();
  if (level != DD_OK) {
    ready = false;
    if (level == DDERR_WRONGMODE && settings->v_fullscreen == 0) {
      resetNeeded = true;
      modeChanged = true;
    }
    return;
  }
  if (!ready) {
    const HRESULT restored = RestoreSurfaces();
    ReportError("RenderSystem_D3D7::Refresh", restored);
    if (SUCCEEDED(restored)) {
      ready = true;
    } else {
      resetNeeded = true;
      modeChanged = true;
    }
  }
}

void RenderSystem_D3D7::SwapBuffers() {
  if (!ready || primary_ == nullptr || backBuffer_ == nullptr) {
    return;
  }
  HRESULT result = DD_OK;
  if (window->IsFullScreen()) {
    result = primary_->Flip(nullptr, DDFLIP_WAIT | (settings->v_vsync == 0 ? DDFLIP_NOVSYNC : 0));
  } else {
    RECT destination = ClientAreaOnScreen();
    if (settings->v_vsync != 0) {
      directDraw_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    }
    result = primary_->Blt(&destination, backBuffer_, nullptr, DDBLT_WAIT, nullptr);
  }
  if (result == DDERR_SURFACELOST) {
    ReportError("RenderSystem_D3D7::SwapBuffers", RestoreSurfaces());
  }
}

RECT RenderSystem_D3D7::ClientAreaOnScreen() const {
  RECT area{};
  GetClientRect(window->GetHandle(), &area);
  POINT topLeft{area.left, area.top};
  POINT bottomRight{area.right, area.bottom};
  ClientToScreen(window->GetHandle(), &topLeft);
  ClientToScreen(window->GetHandle(), &bottomRight);
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void RenderSystem_D3D7::CheckVideoMode() {
  RenderSystem::CheckVideoMode();
  modeChanged = true;
}

void RenderSystem_D3D7::Reset(std::uint32_t flags) {
  if ((flags & 1) != 0) {
    messages->Message("\nResetting Direct3D device:");
    if (modeChanged) {
      std::lock_guard lock(texturesMutex_);
      for (Texture2D_D3D7* texture : textures_) {
        texture->ReleaseSurface();
      }
    }
    messages->Message(kDottedLine);
    ReleaseDevice(false);
    messages->Message(kDottedLine);
    CreateDevice(false);
    messages->Message(kDottedLine);
    SetDefaultStates();
  }
  if ((flags & 2) != 0 && modeChanged) {
    std::vector<Texture2D_D3D7*> textures;
    {
      std::lock_guard lock(texturesMutex_);
      textures = textures_;
    }
    for (Texture2D_D3D7* texture : textures) {
      texture->RestoreSurface();
    }
  }
  RenderSystem::Reset(flags);
}

void RenderSystem_D3D7::AddTexture(Texture2D_D3D7* texture) {
  std::lock_guard lock(texturesMutex_);
  textures_.push_back(texture);
}

void RenderSystem_D3D7::RemoveTexture(Texture2D_D3D7* texture) {
  {
    std::lock_guard lock(texturesMutex_);
    auto it = std::find(textures_.begin(), textures_.end(), texture);
    if (it != textures_.end()) {
      textures_.erase(it);
      return;
    }
  }
  // Reached from the texture's destructor: log it and let the destruction go on.
  messages->Error("RenderSystem_D3D7: Failed to remove texture \"" + texture->GetKey() + "\"");
}

std::size_t RenderSystem_D3D7::GetTextureCount() const {
  std::lock_guard lock(texturesMutex_);
  return textures_.size();
}

}  // namespace CorvantisEngine
