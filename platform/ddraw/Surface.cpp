// Surfaces: CPU memory with a pitch, attachment chains (flipping back buffer, mip-map levels, depth
// buffer), lost state, blits and presentation.
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "platform/ddraw/DDraw_Local.h"

namespace platform::ddraw {

void DirectDrawCore::MarkAllLost() {
  std::lock_guard lock(mutex);
  for (Surface* s : surfaces) {
    s->SetLost(true);
  }
}

Surface::Surface(std::shared_ptr<DirectDrawCore> core, const DDSURFACEDESC2& desc) : core_(std::move(core)) {
  CountObject(1);
  width_ = std::max<DWORD>(desc.dwWidth, 1);
  height_ = std::max<DWORD>(desc.dwHeight, 1);
  caps_ = desc.ddsCaps;
  format_ = desc.ddpfPixelFormat;
  bytesPerPixel_ = std::max<DWORD>(format_.dwRGBBitCount / 8, 1);
  // Rows are padded to 16 bytes, as display memory often is: callers must honour the pitch.
  const DWORD rowBytes = width_ * bytesPerPixel_;
  pitch_ = static_cast<LONG>((rowBytes + 15u) & ~15u);
  memoryBytes_ = static_cast<std::size_t>(pitch_) * height_;
  mipMapCount_ = (desc.dwFlags & DDSD_MIPMAPCOUNT) != 0 ? desc.dwMipMapCount : 0;
  std::lock_guard lock(core_->mutex);
  core_->surfaces.push_back(this);
}

namespace {

// Surfaces of this size and more (the large textures) take their memory straight from the system, in
// whole huge pages where it offers them: filling a texture of a few megabytes then costs a few page
// faults, not one for every 4 KB, and the pages go back to the system as soon as the texture has been
// handed to the graphics card.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Zeroed memory of `length` bytes (a multiple of kHugePage) aligned to kHugePage; null when the system
// has none.
std::uint8_t* MapZeroedPages(std::size_t length) {
  void* mapped =
      mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) {
    return nullptr;
  }
  // Only the aligned part is kept.
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  const std::uintptr_t end = start + length + kHugePage;
  if (aligned > start) {
    munmap(mapped, aligned - start);
  }
  if (end > aligned + length) {
    munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
  }
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<std::uint8_t*>(aligned);
}

}  // namespace

void Surface::FreeMemory::operator()(std::uint8_t* memory) const {
  if (mappedBytes > 0) {
    munmap(memory, mappedBytes);
  } else {
    std::free(memory);
  }
}

std::uint8_t* Surface::Memory() const {
  std::lock_guard lock(memoryMutex_);
  if (memory_ == nullptr) {
    // Fresh pages, from the system or from calloc, are zero already; they are not written here.
    if (memoryBytes_ >= kHugePage) {
      const std::size_t length = (memoryBytes_ + kHugePage - 1) & ~(kHugePage - 1);
      memory_ = std::unique_ptr<std::uint8_t, FreeMemory>(MapZeroedPages(length), FreeMemory{length});
    } else {
      memory_.reset(static_cast<std::uint8_t*>(std::calloc(memoryBytes_, 1)));
    }
    if (memory_ == nullptr) {
      throw std::bad_alloc();
    }
  }
  return memory_.get();
}

bool Surface::HoldsMemory() const {
  std::lock_guard lock(memoryMutex_);
  return memory_ != nullptr;
}

std::size_t Surface::HeapBytes() const {
  std::lock_guard lock(memoryMutex_);
  return memory_ != nullptr && memory_.get_deleter().mappedBytes == 0 ? memoryBytes_ : 0;
}

bool Surface::DiscardMemory() {
  if (locked_.load()) {
    return false;
  }
  std::lock_guard lock(memoryMutex_);
  memory_.reset();
  return true;
}

Surface::~Surface() {
  core_->driver->ReleaseSurface(*this);
  for (Surface* s : attached_) {
    s->Release();
  }
  if (clipper_ != nullptr) {
    clipper_->Release();
  }
  {
    std::lock_guard lock(core_->mutex);
    auto& list = core_->surfaces;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  CountObject(-1);
}

HRESULT Surface::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (ppvObj == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (riid == IID_IDirectDrawSurface7 || riid == IID_IUnknown) {
    AddRef();
    *ppvObj = static_cast<IDirectDrawSurface7*>(this);
    return DD_OK;
  }
  *ppvObj = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface::AddRef() {
  return ++references_;
}

ULONG Surface::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT Surface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 desc, DWORD dwFlags, HANDLE) {
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) {
    return DDERR_INVALIDPARAMS;
  }
  if (lost_) {
    return DDERR_SURFACELOST;
  }
  if ((caps_.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0 || (caps_.dwCaps & DDSCAPS_ZBUFFER) != 0) {
    // Neither the window's own pixels nor the depth buffer are ours to hand out.
    if ((caps_.dwCaps & DDSCAPS_ZBUFFER) != 0) {
      return DDERR_CANTLOCKSURFACE;
    }
  }
  if (lpDestRect != nullptr &&
      (lpDestRect->left < 0 || lpDestRect->top < 0 || lpDestRect->right > static_cast<LONG>(width_) ||
       lpDestRect->bottom > static_cast<LONG>(height_) || lpDestRect->left >= lpDestRect->right ||
       lpDestRect->top >= lpDestRect->bottom)) {
    return DDERR_INVALIDRECT;
  }
  const HRESULT busy = core_->driver->CheckLock(*this);
  if (busy != DD_OK) {
    return busy;
  }
  bool expected = false;
  if (!locked_.compare_exchange_strong(expected, true)) {
    return DDERR_SURFACEBUSY;
  }
  if ((caps_.dwCaps & DDSCAPS_3DDEVICE) != 0) {
    core_->driver->ReadBack(*this);
  }
  GetSurfaceDesc(desc);
  std::uint8_t* base = Memory();
  if (lpDestRect != nullptr) {
    base += static_cast<std::size_t>(lpDestRect->top) * pitch_ +
            static_cast<std::size_t>(lpDestRect->left) * bytesPerPixel_;
  }
  desc->lpSurface = base;
  desc->dwFlags |= DDSD_LPSURFACE;
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT) {
  bool expected = true;
  if (!locked_.compare_exchange_strong(expected, false)) {
    return DDERR_NOTLOCKED;
  }
  Touch();
  return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) {
    return DDERR_INVALIDPARAMS;
  }
  std::memset(desc, 0, sizeof(DDSURFACEDESC2));
  desc->dwSize = sizeof(DDSURFACEDESC2);
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = width_;
  desc->dwHeight = height_;
  desc->lPitch = pitch_;
  desc->ddpfPixelFormat = format_;
  desc->ddsCaps = caps_;
  if (mipMapCount_ != 0) {
    desc->dwFlags |= DDSD_MIPMAPCOUNT;
    desc->dwMipMapCount = mipMapCount_;
  }
  return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
  if (format == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *format = format_;
  return DD_OK;
}

HRESULT Surface::GetCaps(LPDDSCAPS2 caps) {
  if (caps == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *caps = caps_;
  return DD_OK;
}

Surface* Surface::AttachedWithCaps(DWORD caps) const {
  for (Surface* s : attached_) {
    if ((s->caps_.dwCaps & caps) == caps) {
      return s;
    }
  }
  return nullptr;
}

std::vector<Surface*> Surface::MipChain() {
  std::vector<Surface*> chain{this};
  Surface* level = this;
  while ((level = level->AttachedWithCaps(DDSCAPS_TEXTURE | DDSCAPS_MIPMAP)) != nullptr) {
    chain.push_back(level);
  }
  return chain;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* out) {
  if (caps == nullptr || out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *out = nullptr;
  if ((caps->dwCaps & DDSCAPS_BACKBUFFER) != 0) {
    const HRESULT fault = core_->driver->CheckStep(DisplayStep::GetAttachedBackBuffer, nullptr);
    if (fault != DD_OK) {
      return fault;
    }
  }
  Surface* found = AttachedWithCaps(caps->dwCaps);
  if (found == nullptr) {
    return DDERR_NOTFOUND;
  }
  found->AddRef();
  *out = found;
  return DD_OK;
}

HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7 other) {
  auto* surface = static_cast<Surface*>(other);
  if (surface == nullptr || surface == this) {
    return DDERR_INVALIDPARAMS;
  }
  const HRESULT fault = core_->driver->CheckStep(DisplayStep::AttachSurface, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  if (std::find(attached_.begin(), attached_.end(), surface) != attached_.end()) {
    return DDERR_SURFACEALREADYATTACHED;
  }
  if ((surface->caps_.dwCaps & DDSCAPS_ZBUFFER) != 0) {
    if ((caps_.dwCaps & DDSCAPS_3DDEVICE) == 0 || surface->width_ != width_ || surface->height_ != height_) {
      return DDERR_CANNOTATTACHSURFACE;
    }
    if (AttachedWithCaps(DDSCAPS_ZBUFFER) != nullptr) {
      return DDERR_SURFACEALREADYATTACHED;
    }
  }
  surface->AddRef();
  attached_.push_back(surface);
  return DD_OK;
}

HRESULT Surface::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE7 other) {
  auto* surface = static_cast<Surface*>(other);
  auto it = std::find(attached_.begin(), attached_.end(), surface);
  if (it == attached_.end()) {
    return DDERR_SURFACENOTATTACHED;
  }
  attached_.erase(it);
  surface->Release();
  return DD_OK;
}

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
  auto* c = static_cast<Clipper*>(clipper);
  if (c != nullptr) {
    c->AddRef();
  }
  if (clipper_ != nullptr) {
    clipper_->Release();
  }
  clipper_ = c;
  return DD_OK;
}

HRESULT Surface::GetClipper(LPDIRECTDRAWCLIPPER* out) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *out = clipper_;
  if (clipper_ == nullptr) {
    return DDERR_NOCLIPPERATTACHED;
  }
  clipper_->AddRef();
  return DD_OK;
}

HRESULT Surface::PresentFrom(Surface& source, const RECT* destination, DisplayStep step, bool vsync) {
  const HRESULT fault = core_->driver->CheckStep(step, nullptr);
  if (fault == DDERR_SURFACELOST) {
    core_->MarkAllLost();
  }
  if (fault != DD_OK) {
    return fault;
  }
  if (lost_ || source.lost_) {
    return DDERR_SURFACELOST;
  }
  const HRESULT result = core_->driver->Present(source, destination, vsync);
  return result;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7, DWORD dwFlags) {
  if ((caps_.dwCaps & DDSCAPS_FLIP) == 0 || (caps_.dwCaps & DDSCAPS_PRIMARYSURFACE) == 0) {
    return DDERR_NOTFLIPPABLE;
  }
  Surface* back = AttachedWithCaps(DDSCAPS_BACKBUFFER);
  if (back == nullptr) {
    return DDERR_NOTFLIPPABLE;
  }
  return PresentFrom(*back, nullptr, DisplayStep::Flip, (dwFlags & DDFLIP_NOVSYNC) == 0);
}

HRESULT Surface::Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                     LPDDBLTFX fx) {
  auto* source = static_cast<Surface*>(lpDDSrcSurface);
  if ((caps_.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
    if (source == nullptr) {
      return DDERR_INVALIDPARAMS;
    }
    return PresentFrom(*source, lpDestRect, DisplayStep::Blt,
                       std::exchange(core_->waitForVerticalBlank, false));
  }
  if (lost_ || (source != nullptr && source->lost_)) {
    return DDERR_SURFACELOST;
  }
  RECT dest{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (lpDestRect != nullptr) {
    dest = *lpDestRect;
  }
  if (dest.left < 0 || dest.top < 0 || dest.right > static_cast<LONG>(width_) ||
      dest.bottom > static_cast<LONG>(height_) || dest.left >= dest.right || dest.top >= dest.bottom) {
    return DDERR_INVALIDRECT;
  }
  if ((dwFlags & DDBLT_COLORFILL) != 0) {
    if (fx == nullptr) {
      return DDERR_INVALIDPARAMS;
    }
    for (LONG y = dest.top; y < dest.bottom; ++y) {
      std::uint8_t* row = Memory() + static_cast<std::size_t>(y) * pitch_;
      for (LONG x = dest.left; x < dest.right; ++x) {
        std::memcpy(row + static_cast<std::size_t>(x) * bytesPerPixel_, &fx->dwFillColor, bytesPerPixel_);
      }
    }
    Touch();
    return DD_OK;
  }
  if (source == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (source->format_.dwRGBBitCount != format_.dwRGBBitCount ||
      source->format_.dwRBitMask != format_.dwRBitMask ||
      source->format_.dwRGBAlphaBitMask != format_.dwRGBAlphaBitMask) {
    return DDERR_INVALIDPIXELFORMAT;
  }
  RECT src{0, 0, static_cast<LONG>(source->width_), static_cast<LONG>(source->height_)};
  if (lpSrcRect != nullptr) {
    src = *lpSrcRect;
  }
  if (src.left < 0 || src.top < 0 || src.right > static_cast<LONG>(source->width_) ||
      src.bottom > static_cast<LONG>(source->height_) || src.left >= src.right || src.top >= src.bottom) {
    return DDERR_INVALIDRECT;
  }
  if ((source->caps_.dwCaps & DDSCAPS_3DDEVICE) != 0) {
    core_->driver->ReadBack(*source);
  }
  std::uint8_t* target = Memory();
  const std::uint8_t* from = source->Memory();
  const LONG dw = dest.right - dest.left;
  const LONG dh = dest.bottom - dest.top;
  const LONG sw = src.right - src.left;
  const LONG sh = src.bottom - src.top;
  for (LONG y = 0; y < dh; ++y) {
    const LONG sy = src.top + static_cast<LONG>(static_cast<std::int64_t>(y) * sh / dh);
    std::uint8_t* d = target + static_cast<std::size_t>(dest.top + y) * pitch_ +
                      static_cast<std::size_t>(dest.left) * bytesPerPixel_;
    const std::uint8_t* s = from + static_cast<std::size_t>(sy) * source->pitch_;
    if (dw == sw) {
      std::memmove(d, s + static_cast<std::size_t>(src.left) * bytesPerPixel_,
                   static_cast<std::size_t>(dw) * bytesPerPixel_);
      continue;
    }
    for (LONG x = 0; x < dw; ++x) {
      const LONG sx = src.left + static_cast<LONG>(static_cast<std::int64_t>(x) * sw / dw);
      std::memcpy(d + static_cast<std::size_t>(x) * bytesPerPixel_,
                  s + static_cast<std::size_t>(sx) * bytesPerPixel_, bytesPerPixel_);
    }
  }
  Touch();
  return DD_OK;
}

HRESULT Surface::BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD) {
  auto* source = static_cast<Surface*>(lpDDSrcSurface);
  if (source == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  RECT src{0, 0, static_cast<LONG>(source->width_), static_cast<LONG>(source->height_)};
  if (lpSrcRect != nullptr) {
    src = *lpSrcRect;
  }
  RECT dest{static_cast<LONG>(dwX), static_cast<LONG>(dwY), static_cast<LONG>(dwX) + (src.right - src.left),
            static_cast<LONG>(dwY) + (src.bottom - src.top)};
  return Blt(&dest, lpDDSrcSurface, &src, DDBLT_WAIT, nullptr);
}

HRESULT Surface::IsLost() {
  return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
  {
    std::lock_guard lock(core_->mutex);
    if (core_->released) {
      return DDERR_WRONGMODE;
    }
  }
  if (lost_.exchange(false) && HoldsMemory()) {
    Touch();
  }
  for (Surface* s : attached_) {
    s->Restore();
  }
  return DD_OK;
}

HRESULT Surface::GetDDInterface(LPVOID* out) {
  if (out != nullptr) {
    *out = nullptr;
  }
  return DDERR_UNSUPPORTED;
}

// ---------------------------------------------------------------------------------------------------

Clipper::Clipper() {
  CountObject(1);
}

HRESULT Clipper::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (ppvObj == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (riid == IID_IDirectDrawClipper || riid == IID_IUnknown) {
    AddRef();
    *ppvObj = static_cast<IDirectDrawClipper*>(this);
    return DD_OK;
  }
  *ppvObj = nullptr;
  return E_NOINTERFACE;
}

ULONG Clipper::AddRef() {
  return ++references_;
}

ULONG Clipper::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    CountObject(-1);
    delete this;
  }
  return left;
}

HRESULT Clipper::SetHWnd(DWORD, HWND hWnd) {
  window_ = hWnd;
  return DD_OK;
}

HRESULT Clipper::GetHWnd(HWND* out) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *out = window_;
  return DD_OK;
}

}  // namespace platform::ddraw
