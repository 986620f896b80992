#pragma once
// The objects behind the DirectDraw/Direct3D-shaped interfaces, shared by the layer's own files and its
// display drivers (headless and SDL). The engine never includes this header.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ddraw/D3D.h"
#include "platform/ddraw/DisplayDriver.h"

namespace platform::ddraw {

// What a DirectDraw object shares with its surfaces: the driver and the surface list. Surfaces keep it
// alive, so a surface outliving its DirectDraw object stays safe to call (it reports itself lost).
struct DirectDrawCore {
  std::shared_ptr<DisplayDriver> driver;
  std::mutex mutex;                // guards surfaces and released
  std::vector<Surface*> surfaces;  // every live surface, not owned
  bool released = false;           // the DirectDraw object is gone
  HWND window = nullptr;
  DWORD cooperativeFlags = 0;
  // WaitForVerticalBlank was called: the next blit to the primary surface is shown at the vertical
  // blank. Main thread only.
  bool waitForVerticalBlank = false;

  void MarkAllLost();
};

// Channel layout of a pixel format, for conversions.
struct ChannelMask {
  DWORD mask = 0;
  int shift = 0;  // lowest set bit
  int bits = 0;   // number of set bits
};
ChannelMask MakeChannelMask(DWORD mask);

// Converts one row of pixels in a surface's format to RGBA bytes (alpha 255 when the format has none).
void ConvertRowToRGBA(const DDPIXELFORMAT& format, const std::uint8_t* source, std::uint8_t* rgba,
                      DWORD width);
// Packs an RGBA byte quadruple into a format's pixel value.
DWORD PackRGBA(const DDPIXELFORMAT& format, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

// The pixel formats the layer offers.
DDPIXELFORMAT FormatARGB8888();
DDPIXELFORMAT FormatXRGB8888();
DDPIXELFORMAT FormatRGB565();
DDPIXELFORMAT FormatARGB1555();
DDPIXELFORMAT FormatARGB4444();
DDPIXELFORMAT FormatDepth(DWORD depthBits, DWORD stencilBits);

class Clipper;

// Counts live layer objects (see LiveObjectCount).
void CountObject(int delta);

class Surface final : public IDirectDrawSurface7 {
 public:
  Surface(std::shared_ptr<DirectDrawCore> core, const DDSURFACEDESC2& desc);

  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) override;
  HRESULT Unlock(LPRECT lpRect) override;
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 lpDDSurfaceDesc) override;
  HRESULT GetPixelFormat(LPDDPIXELFORMAT lpDDPixelFormat) override;
  HRESULT GetCaps(LPDDSCAPS2 lpDDSCaps) override;
  HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) override;
  HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) override;
  HRESULT DeleteAttachedSurface(DWORD dwFlags, LPDIRECTDRAWSURFACE7 lpDDSAttachedSurface) override;
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) override;
  HRESULT GetClipper(LPDIRECTDRAWCLIPPER* lplpDDClipper) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) override;
  HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
              LPDDBLTFX lpDDBltFx) override;
  HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect,
                  DWORD dwTrans) override;
  HRESULT IsLost() override;
  HRESULT Restore() override;
  HRESULT GetDDInterface(LPVOID* lplpDD) override;

  // Layer-side access.
  DWORD Width() const { return width_; }
  DWORD Height() const { return height_; }
  LONG Pitch() const { return pitch_; }
  DWORD Caps() const { return caps_.dwCaps; }
  const DDSCAPS2& CapsRecord() const { return caps_; }
  const DDPIXELFORMAT& Format() const { return format_; }
  DWORD BytesPerPixel() const { return bytesPerPixel_; }
  // The surface's pixels in system memory, made (zeroed) at the first use: a surface that only the
  // display driver draws into (a back buffer, a depth buffer) never needs them.
  std::uint8_t* Memory() const;
  // True while the surface holds its pixels in system memory.
  bool HoldsMemory() const;
  // The bytes of system memory the surface holds from the C library's heap: large surfaces map theirs
  // straight from the system, which has it back as soon as they discard it.
  std::size_t HeapBytes() const;
  // Frees the pixels in system memory once a driver holds its own copy (a texture uploaded to the
  // device); false when the surface is locked and keeps them. A later use makes them again, zeroed:
  // the driver's copy stays what is drawn until the surface changes.
  bool DiscardMemory();
  bool Lost() const { return lost_.load(); }
  void SetLost(bool lost) { lost_.store(lost); }
  ULONG ReferenceCount() const { return references_.load(); }
  // Changes whenever the pixels may have changed (Unlock, Blt, Restore); drivers upload on a change.
  std::uint64_t Version() const { return version_.load(); }
  void Touch() { version_.fetch_add(1); }
  // Never the same for two surfaces of one run: a driver tells a new surface from an old one made at the
  // same address.
  std::uint64_t Identity() const { return identity_; }
  // The mip-map levels below this one (this surface first), following the attachment chain.
  std::vector<Surface*> MipChain();
  Surface* AttachedWithCaps(DWORD caps) const;
  Clipper* AttachedClipper() const { return clipper_; }
  DirectDrawCore& Core() { return *core_; }
  bool IsTexture() const { return (caps_.dwCaps & DDSCAPS_TEXTURE) != 0; }
  bool IsMipSubLevel() const { return (caps_.dwCaps2 & DDSCAPS2_MIPMAPSUBLEVEL) != 0; }

  // Storage for the driver (an OpenGL texture name and the version it holds).
  std::atomic<std::uint32_t> driverHandle{0};
  std::uint64_t driverVersion = ~std::uint64_t{0};

 private:
  ~Surface();
  HRESULT PresentFrom(Surface& source, const RECT* destination, DisplayStep step, bool vsync);

  std::shared_ptr<DirectDrawCore> core_;
  std::atomic<ULONG> references_{1};
  DWORD width_ = 0;
  DWORD height_ = 0;
  LONG pitch_ = 0;
  DWORD bytesPerPixel_ = 4;
  DWORD mipMapCount_ = 0;
  DDPIXELFORMAT format_{};
  DDSCAPS2 caps_{};
  // Gives the memory back as it was taken: from the C library, or (mappedBytes > 0) straight from the
  // system (Surface.cpp).
  struct FreeMemory {
    FreeMemory() noexcept : mappedBytes(0) {}
    explicit FreeMemory(std::size_t bytes) noexcept : mappedBytes(bytes) {}
    void operator()(std::uint8_t* memory) const;
    std::size_t mappedBytes;
  };
  std::size_t memoryBytes_ = 0;
  mutable std::mutex memoryMutex_;
  mutable std::unique_ptr<std::uint8_t, FreeMemory> memory_;
  std::atomic<bool> lost_{false};
  std::atomic<bool> locked_{false};
  std::atomic<std::uint64_t> version_{0};
  inline static std::atomic<std::uint64_t> identities_{0};
  const std::uint64_t identity_ = identities_.fetch_add(1) + 1;
  std::vector<Surface*> attached_;  // each holds one reference
  Clipper* clipper_ = nullptr;      // holds one reference
};

class Clipper final : public IDirectDrawClipper {
 public:
  Clipper();
  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) override;
  HRESULT GetHWnd(HWND* lphWnd) override;
  HWND Window() const { return window_; }

 private:
  ~Clipper() = default;
  std::atomic<ULONG> references_{1};
  HWND window_ = nullptr;
};

class DirectDraw;

class Direct3D final : public IDirect3D7 {
 public:
  explicit Direct3D(DirectDraw* owner);
  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 lpEnumDevicesCallback, LPVOID lpUserArg) override;
  HRESULT CreateDevice(REFCLSID rclsid, LPDIRECTDRAWSURFACE7 lpDDS,
                       LPDIRECT3DDEVICE7* lplpD3DDevice) override;
  HRESULT EnumZBufferFormats(REFCLSID riidDevice, LPD3DENUMPIXELFORMATSCALLBACK lpEnumCallback,
                             LPVOID lpContext) override;
  HRESULT EvictManagedTextures() override;
  DirectDraw& Owner() { return *owner_; }

 private:
  ~Direct3D();
  std::atomic<ULONG> references_{1};
  DirectDraw* owner_;  // holds one reference
};

class DirectDraw final : public IDirectDraw7 {
 public:
  explicit DirectDraw(std::shared_ptr<DisplayDriver> driver);

  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetCaps(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) override;
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) override;
  HRESULT GetDisplayMode(LPDDSURFACEDESC2 lpDDSurfaceDesc2) override;
  HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate,
                         DWORD dwFlags) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT EnumDisplayModes(DWORD dwFlags, LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPVOID lpContext,
                           LPDDENUMMODESCALLBACK2 lpEnumModesCallback) override;
  HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                        IUnknown* pUnkOuter) override;
  HRESULT CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) override;
  HRESULT TestCooperativeLevel() override;
  HRESULT RestoreAllSurfaces() override;
  HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) override;
  HRESULT GetAvailableVidMem(LPDDSCAPS2 lpDDSCaps2, LPDWORD lpdwTotal, LPDWORD lpdwFree) override;

  std::shared_ptr<DirectDrawCore> Core() { return core_; }
  DisplayDriver& Driver() { return *core_->driver; }
  // The modes EnumDisplayModes lists: the standard ones up to the desktop size at 16 and 32 bits, the
  // reported ones and the desktop's own.
  std::vector<DisplayMode> ListModes();

 private:
  ~DirectDraw();
  std::shared_ptr<DirectDrawCore> core_;
  std::atomic<ULONG> references_{1};
  DisplayMode currentMode_{};
  bool modeSet_ = false;
};

struct LightSlot {
  D3DLIGHT7 light{};
  bool enabled = false;
};

// Everything the device's calls set; drivers read it when they draw. Each group has a serial that
// changes with it, so a driver re-applies only what changed since its last draw.
struct DeviceState {
  DeviceState();

  DWORD renderStates[kD3DRenderStateCount];
  DWORD stageStates[kD3DMaxTextureStages][kD3DTextureStageStateCount];
  Surface* textures[kD3DMaxTextureStages] = {};
  D3DMATRIX world;
  D3DMATRIX view;
  D3DMATRIX projection;
  D3DMATRIX textureTransforms[kD3DMaxTextureStages];
  D3DVIEWPORT7 viewport{};
  D3DMATERIAL7 material{};
  std::map<DWORD, LightSlot> lights;
  Surface* renderTarget = nullptr;
  bool hasDepth = false;
  bool hasStencil = false;
  bool inScene = false;

  std::uint32_t renderStateSerial = 1;
  std::uint32_t stageSerial = 1;
  std::uint32_t textureSerial = 1;
  std::uint32_t transformSerial = 1;
  std::uint32_t textureTransformSerial = 1;
  std::uint32_t viewportSerial = 1;
  std::uint32_t materialSerial = 1;
  std::uint32_t lightSerial = 1;
  std::uint32_t targetSerial = 1;
};

D3DMATRIX IdentityMatrix();
// Bytes per vertex of a flexible vertex format (position, rhw, normal, diffuse, specular, texture sets).
DWORD VertexStride(DWORD fvf);

class Device final : public IDirect3DDevice7 {
 public:
  Device(Direct3D* direct3D, Surface* renderTarget, bool hardware);

  HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetCaps(LPD3DDEVICEDESC7 lpD3DDevDesc) override;
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK lpD3DEnumPixelProc, LPVOID lpArg) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT GetDirect3D(LPDIRECT3D7* lplpD3D) override;
  HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7 lpNewRenderTarget, DWORD dwFlags) override;
  HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* lplpRenderTarget) override;
  HRESULT Clear(DWORD dwCount, LPRECT lpRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ,
                DWORD dwStencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX lpD3DMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX lpD3DMatrix) override;
  HRESULT SetViewport(LPD3DVIEWPORT7 lpViewport) override;
  HRESULT GetViewport(LPD3DVIEWPORT7 lpViewport) override;
  HRESULT SetMaterial(LPD3DMATERIAL7 lpMaterial) override;
  HRESULT GetMaterial(LPD3DMATERIAL7 lpMaterial) override;
  HRESULT SetLight(DWORD dwLightIndex, LPD3DLIGHT7 lpLight) override;
  HRESULT GetLight(DWORD dwLightIndex, LPD3DLIGHT7 lpLight) override;
  HRESULT LightEnable(DWORD dwLightIndex, BOOL bEnable) override;
  HRESULT GetLightEnable(DWORD dwLightIndex, BOOL* pbEnable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE type, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE type, LPDWORD value) override;
  HRESULT SetTexture(DWORD dwStage, LPDIRECTDRAWSURFACE7 lpTexture) override;
  HRESULT GetTexture(DWORD dwStage, LPDIRECTDRAWSURFACE7* lplpTexture) override;
  HRESULT SetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE dwState, DWORD dwValue) override;
  HRESULT GetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE dwState, LPDWORD lpdwValue) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD vertexCount,
                        DWORD flags) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD vertexCount,
                               LPWORD indices, DWORD indexCount, DWORD flags) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD vertexCount,
                               LPDWORD indices, DWORD indexCount, DWORD flags) override;

  const DeviceState& State() const { return state_; }

 private:
  ~Device();
  HRESULT Draw(const DrawCall& call);
  DisplayDriver& Driver();

  std::atomic<ULONG> references_{1};
  Direct3D* direct3D_;  // holds one reference
  bool hardware_;
  DeviceState state_;
};

// Fills the description of one of the layer's devices (software or hardware transform-and-lighting).
D3DDEVICEDESC7 DescribeDevice(bool hardware);
constexpr DWORD kMaxTextureSize = 4096;
constexpr DWORD kMaxAnisotropy = 16;
constexpr DWORD kTextureStages = 8;
constexpr DWORD kMaxActiveLights = 8;

}  // namespace platform::ddraw
