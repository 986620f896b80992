#pragma once
// The seam between the DirectDraw/Direct3D-shaped objects (whose logic is shared: reference counts,
// surface memory, attachment chains, the device's state block) and what actually shows pixels. The
// headless driver (platform/headless/HeadlessDisplay.h, the default) records and answers from a fault
// plan; the SDL driver (platform/sdl/SdlDisplay.cpp) draws with fixed-function OpenGL in the window.
//
// A DirectDraw object takes the driver installed when it is created and keeps it until its last surface
// is gone, so installing another driver affects only objects created afterwards.
//
// Threads: InstallDisplayDriver and every drawing call run on the main thread. ReleaseSurface may come
// from the loading worker (a texture deleted there); drivers defer their own clean-up to the main
// thread.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ddraw/D3D.h"

namespace platform::ddraw {

class Surface;
struct DeviceState;

struct DisplayMode {
  DWORD width = 0;
  DWORD height = 0;
  DWORD bitsPerPixel = 0;
  DWORD refreshRate = 0;
};

// Places where device set-up and presentation can fail. The real driver never fails them; the headless
// driver answers from its fault plan. CreateDevice is asked with the device's id (see deviceId).
enum class DisplayStep {
  CreateDirectDraw,
  QueryDirect3D,
  SetCooperativeLevel,
  SetDisplayMode,
  CreatePrimarySurface,
  CreateBackBuffer,
  GetAttachedBackBuffer,
  CreateClipper,
  CreateOffscreenSurface,
  CreateTexture,
  CreateZBuffer,
  AttachSurface,
  CreateDevice,
  SetRenderTarget,
  SetViewport,
  Flip,
  Blt,
  BeginScene,
  EndScene,
  RestoreAllSurfaces,
  Clear,
  DrawIndexedPrimitive,
  SetLight,
  SetTransform,
};

// One indexed draw as the device received it.
struct DrawCall {
  D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLELIST;
  DWORD vertexFormat = 0;  // D3DFVF_ bits
  DWORD stride = 0;        // bytes per vertex, from the format
  const std::uint8_t* vertices = nullptr;
  DWORD vertexCount = 0;
  const void* indices = nullptr;  // null for a non-indexed draw
  bool wideIndices = false;       // 32-bit indices
  DWORD indexCount = 0;           // or vertices drawn when not indexed
};

class DisplayDriver {
 public:
  virtual ~DisplayDriver() = default;

  // The desktop's current mode (a 24-bit desktop reports 32).
  virtual DisplayMode GetDesktopMode() = 0;
  // Modes the display itself reports; the layer adds the standard modes up to the desktop size.
  virtual std::vector<DisplayMode> GetReportedModes() = 0;

  // Fault points (see DisplayStep); deviceId is set for CreateDevice. DD_OK lets the step go on.
  virtual HRESULT CheckStep(DisplayStep step, const GUID* deviceId) { return DD_OK; }
  // TestCooperativeLevel's answer for a DirectDraw object whose level is set.
  virtual HRESULT TestCooperativeLevel(HWND window, bool exclusive) { return DD_OK; }
  // The depth-buffer formats offered, in order.
  virtual std::vector<DDPIXELFORMAT> GetDepthFormats();
  // DDERR_WASSTILLDRAWING makes a Lock without DDLOCK_WAIT fail (and one with it retry).
  virtual HRESULT CheckLock(const Surface& surface) { return DD_OK; }

  // The window the device draws into (from the cooperative level); full screen or not.
  virtual HRESULT SetWindow(HWND window, bool fullScreen) { return DD_OK; }
  // Display-mode switch for full screen; a driver that cannot switch modes scales the back buffer.
  virtual HRESULT SetDisplayMode(const DisplayMode& mode) { return DD_OK; }
  virtual void RestoreDisplayMode() {}

  // A device was created on (or re-targeted to) this render target; released with the device.
  virtual HRESULT OpenDevice(Surface& renderTarget) = 0;
  virtual void CloseDevice() = 0;

  virtual HRESULT Clear(const DeviceState& state, DWORD flags, D3DCOLOR colour, float depth,
                        DWORD stencil) = 0;
  virtual HRESULT Draw(DeviceState& state, const DrawCall& call) = 0;
  // Shows the render target in the window: a flip in full screen, a blit into the client area windowed
  // (destination in screen coordinates, null for the whole window). vsync: shown at the vertical blank
  // (a flip without DDFLIP_NOVSYNC, a blit after WaitForVerticalBlank); where the system's swap does not
  // wait for it, the driver waits out the rest of the display's refresh interval itself.
  virtual HRESULT Present(Surface& backBuffer, const RECT* destination, bool vsync) = 0;
  // Copies the pixels the device drew into the render target's memory (before a Lock).
  virtual void ReadBack(Surface& renderTarget) {}
  // A surface is going away; the driver drops what it keeps for it (an OpenGL texture).
  virtual void ReleaseSurface(Surface& surface) {}

  // Records one device call (the headless driver keeps a log for tests).
  virtual void RecordCall(const char* name, DWORD a = 0, DWORD b = 0, DWORD c = 0) {}
};

// The driver new DirectDraw objects use; a fresh headless driver when none was installed.
std::shared_ptr<DisplayDriver> GetDisplayDriver();
void InstallDisplayDriver(std::shared_ptr<DisplayDriver> driver);

// DirectDraw, Direct3D, device, surface and clipper objects alive in the process (every one is counted
// from creation to its last Release), so tests can see that everything was released.
int LiveObjectCount();

}  // namespace platform::ddraw
