// The DirectDraw object, the Direct3D object and the layer's entry points.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/ddraw/DDraw_Local.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/win32/WinDisplay.h"

namespace platform::ddraw {

namespace {

std::atomic<int> liveObjects{0};
std::mutex driverMutex;
std::shared_ptr<DisplayDriver> installedDriver;

DDPIXELFORMAT DisplayFormat(DWORD bitsPerPixel) {
  if (bitsPerPixel <= 8) {
    // A palettised desktop: nothing the device can render to.
    DDPIXELFORMAT f{};
    f.dwSize = sizeof(DDPIXELFORMAT);
    f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    f.dwRGBBitCount = 8;
    return f;
  }
  return bitsPerPixel == 16 ? FormatRGB565() : FormatXRGB8888();
}

void DescribeMode(const DisplayMode& mode, DDSURFACEDESC2& desc) {
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(DDSURFACEDESC2);
  desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  desc.dwWidth = mode.width;
  desc.dwHeight = mode.height;
  desc.lPitch = static_cast<LONG>(mode.width * (mode.bitsPerPixel / 8));
  desc.dwRefreshRate = mode.refreshRate;
  desc.ddpfPixelFormat = DisplayFormat(mode.bitsPerPixel);
}

DWORD NormaliseDepth(DWORD bits) {
  return bits == 24 ? 32 : bits;
}

}  // namespace

void CountObject(int delta) {
  liveObjects.fetch_add(delta);
}

int LiveObjectCount() {
  return liveObjects.load();
}

std::shared_ptr<DisplayDriver> GetDisplayDriver() {
  std::lock_guard lock(driverMutex);
  if (!installedDriver) {
    installedDriver = std::make_shared<headless::HeadlessDisplay>();
  }
  return installedDriver;
}

void InstallDisplayDriver(std::shared_ptr<DisplayDriver> driver) {
  std::lock_guard lock(driverMutex);
  installedDriver = std::move(driver);
}

std::vector<DDPIXELFORMAT> DisplayDriver::GetDepthFormats() {
  return {FormatDepth(16, 0), FormatDepth(16, 1), FormatDepth(32, 0), FormatDepth(32, 8)};
}

// ---------------------------------------------------------------------------------------------------

DirectDraw::DirectDraw(std::shared_ptr<DisplayDriver> driver) : core_(std::make_shared<DirectDrawCore>()) {
  CountObject(1);
  core_->driver = std::move(driver);
}

DirectDraw::~DirectDraw() {
  if (modeSet_) {
    core_->driver->RestoreDisplayMode();
  }
  {
    std::lock_guard lock(core_->mutex);
    core_->released = true;
  }
  // Surfaces still held elsewhere outlive the object; they stay lost from now on.
  core_->MarkAllLost();
  CountObject(-1);
}

HRESULT DirectDraw::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (ppvObj == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *ppvObj = nullptr;
  if (riid == IID_IDirectDraw7 || riid == IID_IUnknown) {
    AddRef();
    *ppvObj = static_cast<IDirectDraw7*>(this);
    return DD_OK;
  }
  if (riid == IID_IDirect3D7) {
    const HRESULT fault = Driver().CheckStep(DisplayStep::QueryDirect3D, nullptr);
    if (fault != DD_OK) {
      return fault;
    }
    *ppvObj = static_cast<IDirect3D7*>(new Direct3D(this));
    return DD_OK;
  }
  return E_NOINTERFACE;
}

ULONG DirectDraw::AddRef() {
  return ++references_;
}

ULONG DirectDraw::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT DirectDraw::GetCaps(LPDDCAPS hardware, LPDDCAPS emulation) {
  if (hardware == nullptr && emulation == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  for (LPDDCAPS caps : {hardware, emulation}) {
    if (caps == nullptr) {
      continue;
    }
    if (caps->dwSize != sizeof(DDCAPS)) {
      return DDERR_INVALIDPARAMS;
    }
    std::memset(caps, 0, sizeof(DDCAPS));
    caps->dwSize = sizeof(DDCAPS);
    caps->dwCaps = DDCAPS_3D | DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_ZBLTS;
    caps->dwCaps2 = DDCAPS2_WIDESURFACES | DDCAPS2_FLIPNOVSYNC;
    caps->dwZBufferBitDepths = DDBD_16 | DDBD_32;
    caps->dwVidMemTotal = 256u << 20;
    caps->dwVidMemFree = 256u << 20;
  }
  if (hardware != nullptr) {
    hardware->dwCaps2 |= DDCAPS2_CANRENDERWINDOWED;
  }
  return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
  const bool exclusive = (dwFlags & DDSCL_EXCLUSIVE) != 0;
  const bool fullScreen = (dwFlags & DDSCL_FULLSCREEN) != 0;
  const bool normal = (dwFlags & DDSCL_NORMAL) != 0;
  if (exclusive != fullScreen || (normal && exclusive) || (!normal && !exclusive) ||
      (exclusive && hWnd == nullptr)) {
    return DDERR_INVALIDPARAMS;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::SetCooperativeLevel, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  if (hWnd != nullptr) {
    const HRESULT result = Driver().SetWindow(hWnd, exclusive);
    if (result != DD_OK) {
      return result;
    }
  }
  std::lock_guard lock(core_->mutex);
  core_->window = hWnd;
  core_->cooperativeFlags = dwFlags;
  return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC2 desc) {
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) {
    return DDERR_INVALIDPARAMS;
  }
  DisplayMode mode = modeSet_ ? currentMode_ : Driver().GetDesktopMode();
  DescribeMode(mode, *desc);
  return DD_OK;
}

std::vector<DisplayMode> DirectDraw::ListModes() {
  static constexpr DWORD kStandard[][2] = {
      {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 768}, {1280, 800},
      {1280, 960},  {1280, 1024}, {1360, 768},  {1366, 768},  {1440, 900},  {1600, 900}, {1600, 1200},
      {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440}, {2560, 1600}, {3840, 2160}};
  const DisplayMode desktop = Driver().GetDesktopMode();
  const DWORD refresh = desktop.refreshRate != 0 ? desktop.refreshRate : 60;
  std::vector<DisplayMode> modes;
  auto add = [&modes](DisplayMode m) {
    m.bitsPerPixel = NormaliseDepth(m.bitsPerPixel);
    if (m.bitsPerPixel != 16 && m.bitsPerPixel != 32) {
      return;
    }
    for (const DisplayMode& existing : modes) {
      if (existing.width == m.width && existing.height == m.height &&
          existing.bitsPerPixel == m.bitsPerPixel) {
        return;
      }
    }
    modes.push_back(m);
  };
  for (const auto& size : kStandard) {
    if (size[0] <= desktop.width && size[1] <= desktop.height) {
      add({size[0], size[1], 16, refresh});
      add({size[0], size[1], 32, refresh});
    }
  }
  for (const DisplayMode& m : Driver().GetReportedModes()) {
    add({m.width, m.height, 16, m.refreshRate != 0 ? m.refreshRate : refresh});
    add({m.width, m.height, 32, m.refreshRate != 0 ? m.refreshRate : refresh});
  }
  add({desktop.width, desktop.height, 16, refresh});
  add({desktop.width, desktop.height, 32, refresh});
  std::sort(modes.begin(), modes.end(), [](const DisplayMode& a, const DisplayMode& b) {
    if (a.width != b.width)
      return a.width < b.width;
    if (a.height != b.height)
      return a.height < b.height;
    return a.bitsPerPixel < b.bitsPerPixel;
  });
  return modes;
}

HRESULT DirectDraw::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD) {
  if ((core_->cooperativeFlags & DDSCL_EXCLUSIVE) == 0) {
    return DDERR_NOEXCLUSIVEMODE;
  }
  const DWORD bits = NormaliseDepth(dwBPP);
  DisplayMode wanted{};
  bool found = false;
  for (const DisplayMode& m : ListModes()) {
    if (m.width == dwWidth && m.height == dwHeight && m.bitsPerPixel == bits) {
      wanted = m;
      found = true;
      break;
    }
  }
  if (!found) {
    return DDERR_INVALIDMODE;
  }
  if (dwRefreshRate != 0) {
    wanted.refreshRate = dwRefreshRate;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::SetDisplayMode, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  const HRESULT result = Driver().SetDisplayMode(wanted);
  if (result != DD_OK) {
    return result;
  }
  currentMode_ = wanted;
  modeSet_ = true;
  return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
  if (modeSet_) {
    Driver().RestoreDisplayMode();
    modeSet_ = false;
  }
  return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD, LPDDSURFACEDESC2 filter, LPVOID context,
                                     LPDDENUMMODESCALLBACK2 callback) {
  if (callback == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  for (const DisplayMode& mode : ListModes()) {
    if (filter != nullptr) {
      if ((filter->dwFlags & DDSD_WIDTH) != 0 && filter->dwWidth != mode.width)
        continue;
      if ((filter->dwFlags & DDSD_HEIGHT) != 0 && filter->dwHeight != mode.height)
        continue;
    }
    DDSURFACEDESC2 desc;
    DescribeMode(mode, desc);
    if (callback(&desc, context) == DDENUMRET_CANCEL) {
      break;
    }
  }
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* out, IUnknown* outer) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *out = nullptr;
  if (outer != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2) || (desc->dwFlags & DDSD_CAPS) == 0) {
    return DDERR_INVALIDPARAMS;
  }
  const DWORD caps = desc->ddsCaps.dwCaps;
  DDSURFACEDESC2 made = *desc;
  DWORD levels = 1;

  if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
    if (core_->cooperativeFlags == 0) {
      return DDERR_NOCOOPERATIVELEVELSET;
    }
    {
      std::lock_guard lock(core_->mutex);
      for (Surface* s : core_->surfaces) {
        if ((s->Caps() & DDSCAPS_PRIMARYSURFACE) != 0) {
          return DDERR_PRIMARYSURFACEALREADYEXISTS;
        }
      }
    }
    if ((caps & DDSCAPS_FLIP) != 0) {
      if ((core_->cooperativeFlags & DDSCL_EXCLUSIVE) == 0) {
        return DDERR_NOEXCLUSIVEMODE;
      }
      if ((desc->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 || desc->dwBackBufferCount == 0 ||
          (caps & DDSCAPS_COMPLEX) == 0) {
        return DDERR_INVALIDCAPS;
      }
    }
    const HRESULT fault = Driver().CheckStep(DisplayStep::CreatePrimarySurface, nullptr);
    if (fault != DD_OK) {
      return fault;
    }
    const DisplayMode mode = modeSet_ ? currentMode_ : Driver().GetDesktopMode();
    made.dwWidth = mode.width;
    made.dwHeight = mode.height;
    made.ddpfPixelFormat = DisplayFormat(NormaliseDepth(mode.bitsPerPixel));
    made.ddsCaps.dwCaps |= DDSCAPS_VIDEOMEMORY | DDSCAPS_VISIBLE | DDSCAPS_FRONTBUFFER;
    made.dwFlags &= ~DDSD_MIPMAPCOUNT;
    auto* primary = new Surface(core_, made);
    if ((caps & DDSCAPS_FLIP) != 0) {
      DDSURFACEDESC2 back = made;
      back.ddsCaps.dwCaps = (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE)) |
                            DDSCAPS_BACKBUFFER | DDSCAPS_VIDEOMEMORY | DDSCAPS_3DDEVICE;
      auto* backBuffer = new Surface(core_, back);
      primary->AddAttachedSurface(backBuffer);
      backBuffer->Release();  // the primary's reference keeps it
    }
    *out = primary;
    return DD_OK;
  }

  if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 ||
      desc->dwHeight == 0) {
    return DDERR_INVALIDPARAMS;
  }
  if (desc->dwWidth > 16384 || desc->dwHeight > 16384) {
    return DDERR_TOOBIGSIZE;
  }

  DisplayStep step = DisplayStep::CreateOffscreenSurface;
  if ((caps & DDSCAPS_ZBUFFER) != 0) {
    step = DisplayStep::CreateZBuffer;
    if ((desc->dwFlags & DDSD_PIXELFORMAT) == 0 || (desc->ddpfPixelFormat.dwFlags & DDPF_ZBUFFER) == 0) {
      return DDERR_INVALIDPIXELFORMAT;
    }
    made.ddpfPixelFormat.dwRGBBitCount = desc->ddpfPixelFormat.dwZBufferBitDepth;
  } else if ((caps & DDSCAPS_TEXTURE) != 0) {
    step = DisplayStep::CreateTexture;
    if (desc->dwWidth > kMaxTextureSize || desc->dwHeight > kMaxTextureSize) {
      return DDERR_TOOBIGSIZE;
    }
    if ((caps & DDSCAPS_MIPMAP) != 0) {
      DWORD full = 0;
      for (DWORD size = std::max(desc->dwWidth, desc->dwHeight); size != 0; size >>= 1) {
        ++full;
      }
      levels = (desc->dwFlags & DDSD_MIPMAPCOUNT) != 0 ? desc->dwMipMapCount : full;
      if (levels == 0 || levels > full || (levels > 1 && (caps & DDSCAPS_COMPLEX) == 0)) {
        return DDERR_INVALIDPARAMS;
      }
      made.dwFlags |= DDSD_MIPMAPCOUNT;
      made.dwMipMapCount = levels;
    }
  } else if ((caps & DDSCAPS_3DDEVICE) != 0) {
    step = DisplayStep::CreateBackBuffer;
  }
  if ((desc->dwFlags & DDSD_PIXELFORMAT) == 0) {
    const DisplayMode mode = modeSet_ ? currentMode_ : Driver().GetDesktopMode();
    made.ddpfPixelFormat = DisplayFormat(NormaliseDepth(mode.bitsPerPixel));
  } else if ((caps & DDSCAPS_ZBUFFER) == 0) {
    const DDPIXELFORMAT& f = desc->ddpfPixelFormat;
    if ((f.dwFlags & DDPF_RGB) == 0 ||
        (f.dwRGBBitCount != 16 && f.dwRGBBitCount != 32 && f.dwRGBBitCount != 24 && f.dwRGBBitCount != 8)) {
      return DDERR_INVALIDPIXELFORMAT;
    }
  }
  const HRESULT fault = Driver().CheckStep(step, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  made.dwFlags |= DDSD_PIXELFORMAT;
  auto* top = new Surface(core_, made);
  Surface* previous = top;
  DWORD w = made.dwWidth;
  DWORD h = made.dwHeight;
  for (DWORD level = 1; level < levels; ++level) {
    w = std::max<DWORD>(w / 2, 1);
    h = std::max<DWORD>(h / 2, 1);
    DDSURFACEDESC2 sub = made;
    sub.dwWidth = w;
    sub.dwHeight = h;
    sub.dwMipMapCount = levels - level;
    sub.ddsCaps.dwCaps2 |= DDSCAPS2_MIPMAPSUBLEVEL;
    auto* next = new Surface(core_, sub);
    previous->AddAttachedSurface(next);
    next->Release();
    previous = next;
  }
  *out = top;
  return DD_OK;
}

HRESULT DirectDraw::CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* out, IUnknown* outer) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *out = nullptr;
  if (outer != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::CreateClipper, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  *out = new Clipper();
  return DD_OK;
}

HRESULT DirectDraw::TestCooperativeLevel() {
  if (core_->cooperativeFlags == 0) {
    return DDERR_NOCOOPERATIVELEVELSET;
  }
  return Driver().TestCooperativeLevel(core_->window, (core_->cooperativeFlags & DDSCL_EXCLUSIVE) != 0);
}

HRESULT DirectDraw::RestoreAllSurfaces() {
  const HRESULT fault = Driver().CheckStep(DisplayStep::RestoreAllSurfaces, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  std::lock_guard lock(core_->mutex);
  for (Surface* s : core_->surfaces) {
    if (s->Lost()) {
      s->SetLost(false);
      // A surface whose pixels live only in the driver's copy keeps that copy.
      if (s->HoldsMemory()) {
        s->Touch();
      }
    }
  }
  return DD_OK;
}

// A driver shows a frame at the vertical blank only as part of presenting it, so the wait is carried
// over to the blit to the primary surface that follows it.
HRESULT DirectDraw::WaitForVerticalBlank(DWORD, HANDLE) {
  Driver().RecordCall("WaitForVerticalBlank");
  core_->waitForVerticalBlank = true;
  return DD_OK;
}

HRESULT DirectDraw::GetAvailableVidMem(LPDDSCAPS2, LPDWORD total, LPDWORD free) {
  if (total != nullptr)
    *total = 256u << 20;
  if (free != nullptr)
    *free = 256u << 20;
  return DD_OK;
}

// ---------------------------------------------------------------------------------------------------

Direct3D::Direct3D(DirectDraw* owner) : owner_(owner) {
  CountObject(1);
  owner_->AddRef();
}

Direct3D::~Direct3D() {
  owner_->Release();
  CountObject(-1);
}

HRESULT Direct3D::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (ppvObj == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (riid == IID_IDirect3D7 || riid == IID_IUnknown) {
    AddRef();
    *ppvObj = static_cast<IDirect3D7*>(this);
    return DD_OK;
  }
  return owner_->QueryInterface(riid, ppvObj);
}

ULONG Direct3D::AddRef() {
  return ++references_;
}

ULONG Direct3D::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) {
  if (callback == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  char softwareDescription[] = "Software rasteriser over the display's renderer";
  char softwareName[] = "RGB Emulation";
  char hardwareDescription[] = "Hardware transform, lighting and rasterisation";
  char hardwareName[] = "Direct3D T&L HAL";
  D3DDEVICEDESC7 software = DescribeDevice(false);
  if (callback(softwareDescription, softwareName, &software, context) == D3DENUMRET_CANCEL) {
    return D3D_OK;
  }
  D3DDEVICEDESC7 hardware = DescribeDevice(true);
  callback(hardwareDescription, hardwareName, &hardware, context);
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID rclsid, LPDIRECTDRAWSURFACE7 target, LPDIRECT3DDEVICE7* out) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *out = nullptr;
  const bool hardware = rclsid == IID_IDirect3DHALDevice || rclsid == IID_IDirect3DTnLHalDevice;
  const bool software = rclsid == IID_IDirect3DRGBDevice || rclsid == IID_IDirect3DRefDevice ||
                        rclsid == IID_IDirect3DMMXDevice;
  if (!hardware && !software) {
    return DDERR_INVALIDPARAMS;
  }
  auto* surface = static_cast<Surface*>(target);
  if (surface == nullptr || (surface->Caps() & DDSCAPS_3DDEVICE) == 0) {
    return DDERR_INVALIDCAPS;
  }
  const HRESULT fault = owner_->Driver().CheckStep(DisplayStep::CreateDevice, &rclsid);
  if (fault != DD_OK) {
    return fault;
  }
  const HRESULT opened = owner_->Driver().OpenDevice(*surface);
  if (opened != DD_OK) {
    return opened;
  }
  *out = new Device(this, surface, hardware);
  return D3D_OK;
}

HRESULT Direct3D::EnumZBufferFormats(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) {
  if (callback == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  for (DDPIXELFORMAT format : owner_->Driver().GetDepthFormats()) {
    if (callback(&format, context) == D3DENUMRET_CANCEL) {
      break;
    }
  }
  return D3D_OK;
}

HRESULT Direct3D::EvictManagedTextures() {
  return D3D_OK;
}

}  // namespace platform::ddraw

// ---------------------------------------------------------------------------------------------------

using platform::ddraw::DisplayStep;

HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA lpCallback, LPVOID lpContext, DWORD) {
  if (lpCallback == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  char description[] = "Primary Display Driver";
  char name[] = "display";
  lpCallback(nullptr, description, name, lpContext, nullptr);
  return DD_OK;
}

HRESULT DirectDrawCreateEx(GUID* lpGUID, LPVOID* lplpDD, REFIID iid, IUnknown* pUnkOuter) {
  if (lplpDD == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *lplpDD = nullptr;
  if (pUnkOuter != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  if (!(iid == IID_IDirectDraw7)) {
    return DDERR_INVALIDPARAMS;
  }
  if (lpGUID != nullptr) {
    return DDERR_INVALIDDIRECTDRAWGUID;
  }
  auto driver = platform::ddraw::GetDisplayDriver();
  const HRESULT fault = driver->CheckStep(DisplayStep::CreateDirectDraw, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  *lplpDD = static_cast<IDirectDraw7*>(new platform::ddraw::DirectDraw(std::move(driver)));
  return DD_OK;
}

BOOL EnumDisplaySettingsA(LPCSTR lpszDeviceName, DWORD iModeNum, LPDEVMODEA lpDevMode) {
  if (lpDevMode == nullptr || (lpszDeviceName != nullptr && lpszDeviceName[0] != '\0' &&
                               std::strcmp(lpszDeviceName, "display") != 0)) {
    return FALSE;
  }
  auto driver = platform::ddraw::GetDisplayDriver();
  platform::ddraw::DisplayMode mode{};
  if (iModeNum == ENUM_CURRENT_SETTINGS || iModeNum == ENUM_REGISTRY_SETTINGS) {
    mode = driver->GetDesktopMode();
    mode.bitsPerPixel = mode.bitsPerPixel == 24 ? 32 : mode.bitsPerPixel;
  } else {
    std::vector<platform::ddraw::DisplayMode> modes = driver->GetReportedModes();
    if (iModeNum >= modes.size()) {
      return FALSE;
    }
    mode = modes[iModeNum];
  }
  const WORD driverExtra = lpDevMode->dmDriverExtra;
  std::memset(lpDevMode, 0, sizeof(DEVMODEA));
  std::memcpy(lpDevMode->dmDeviceName, "display", 8);
  lpDevMode->dmSize = sizeof(DEVMODEA);
  lpDevMode->dmDriverExtra = driverExtra;
  lpDevMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  lpDevMode->dmBitsPerPel = mode.bitsPerPixel;
  lpDevMode->dmPelsWidth = mode.width;
  lpDevMode->dmPelsHeight = mode.height;
  lpDevMode->dmDisplayFrequency = mode.refreshRate;
  return TRUE;
}
