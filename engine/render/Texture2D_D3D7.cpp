#include "engine/render/Texture2D_D3D7.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Vector.h"
#include "engine/render/Image.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TextureSurfaceFill.h"
#include "platform/ddraw/D3D.h"

namespace CorvantisEngine {

namespace {

constexpr const char* kCreateSurface = "Texture2D_D3D7::CreateSurface";
// Lock answers "still drawing" while the device uses the surface; give up after this many tries.
constexpr int kLockAttempts = 10000;

HRESULT CollectFormat(LPDDPIXELFORMAT format, LPVOID context) {
  static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*format);
  return D3DENUMRET_OK;
}

std::uint32_t LevelCount(std::uint32_t width, std::uint32_t height) {
  std::uint32_t largest = width > height ? width : height;
  std::uint32_t levels = 0;
  while (largest != 0) {
    ++levels;
    largest >>= 1;
  }
  return levels == 0 ? 1 : levels;
}

}  // namespace

Texture2D_D3D7::Texture2D_D3D7(MessageManager* log, Config* config, RenderSystem_D3D7* renderSystem,
                               TextureManager* textureManager, const std::string& key, Image* diffuse,
                               Image* opacity, bool mipMapping)
    : Texture2D(log, config, textureManager, key, mipMapping), renderSystem_(renderSystem) {
  CreateSurface(diffuse, opacity);
  renderSystem_->AddTexture(this);
}

Texture2D_D3D7::~Texture2D_D3D7() {
  ReleaseSurface();
  renderSystem_->RemoveTexture(this);
}

IDirectDrawSurface7* Texture2D_D3D7::GetSurface() {
  if (surface_ == nullptr && !failed_) {
    RestoreSurface();
  }
  return surface_;
}

void Texture2D_D3D7::BuildWaitingSurface() {
  if (waitingForFirstUse_) {
    RestoreSurface();
  }
}

void Texture2D_D3D7::ReleaseSurface() {
  if (surface_ != nullptr) {
    surface_->Release();
    surface_ = nullptr;
  }
}

void Texture2D_D3D7::RestoreSurface() {
  Image* diffuse = nullptr;
  Image* opacity = nullptr;
  bool deleteImages = false;
  if (waitingForFirstUse_) {
    waitingForFirstUse_ = false;
    textureManager_->LoadFirstUseImages(firstUseDiffuseName_, firstUseOpacityName_, diffuse, opacity);
    deleteImages = true;
  } else {
    textureManager_->GetTextureImages(this, diffuse, opacity, deleteImages);
  }
  failed_ = false;
  if (diffuse != nullptr) {
    CreateSurface(diffuse, opacity);
  }
  if (deleteImages) {
    delete diffuse;
    delete opacity;
  }
}

void Texture2D_D3D7::MarkFailed(HRESULT result) {
  ReleaseSurface();
  if (!failed_) {
    renderSystem_->ReportError(kCreateSurface, result);
    log_->Error("Texture Manager: \"" + key_ + "\" texture could not be created");
  }
  failed_ = true;
}

void Texture2D_D3D7::CreateSurface(Image* diffuse, Image* opacity) {
  if (surface_ != nullptr || diffuse == nullptr || diffuse->IsEmpty()) {
    return;
  }
  videoMemory_ = 0;
  width_ = diffuse->GetWidth();
  height_ = diffuse->GetHeight();
  std::uint32_t depth = opacity != nullptr ? 32 : diffuse->GetBitsPerPixel();
  if (depth == 8) {
    depth = 24;
  }

  // The device's texture formats, first asking for 32 bits per pixel, then 16.
  std::vector<DDPIXELFORMAT> formats;
  if (IDirect3DDevice7* device = renderSystem_->GetDevice()) {
    device->EnumTextureFormats(CollectFormat, &formats);
  }
  const bool withAlpha = depth == 32;
  int chosen = ChooseTextureFormat(formats, 32, withAlpha);
  if (chosen < 0) {
    chosen = ChooseTextureFormat(formats, 16, withAlpha);
  }
  if (chosen < 0) {
    log_->Abort("Direct3D Subsystem (Texture2D_D3D7::CreateSurface): Failed to find texture format");
  }
  const DDPIXELFORMAT format = formats[static_cast<std::size_t>(chosen)];

  DDSURFACEDESC2 description;
  std::memset(&description, 0, sizeof(description));
  description.dwSize = sizeof(description);
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
  description.dwWidth = width_;
  description.dwHeight = height_;
  description.ddpfPixelFormat = format;
  description.dwTextureStage = 0;
  description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
  const std::uint32_t levels = mipMapping_ ? LevelCount(width_, height_) : 1;
  if (mipMapping_) {
    description.dwFlags |= DDSD_MIPMAPCOUNT;
    description.dwMipMapCount = levels;
    description.ddsCaps.dwCaps |= DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
  }
  if (renderSystem_->IsHardwareDevice()) {
    description.ddsCaps.dwCaps2 |= DDSCAPS2_TEXTUREMANAGE;
  } else {
    description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  }
  IDirectDraw7* directDraw = renderSystem_->GetDirectDraw();
  if (directDraw == nullptr) {
    MarkFailed(DDERR_NOTINITIALIZED);
    return;
  }
  HRESULT result = directDraw->CreateSurface(&description, &surface_, nullptr);
  if (FAILED(result) || surface_ == nullptr) {
    surface_ = nullptr;
    MarkFailed(FAILED(result) ? result : DDERR_GENERIC);
    return;
  }

  // Level by level: the top from the given images, each further one halved from the one before.
  std::unique_ptr<Image> levelDiffuse;
  std::unique_ptr<Image> levelOpacity;
  const Image* currentDiffuse = diffuse;
  const Image* currentOpacity = opacity;
  std::uint32_t levelWidth = width_;
  std::uint32_t levelHeight = height_;
  IDirectDrawSurface7* level = surface_;
  level->AddRef();
  for (std::uint32_t i = 0; i < levels; ++i) {
    if (i > 0) {
      auto nextDiffuse = std::make_unique<Image>();
      HalveImage(*currentDiffuse, *nextDiffuse, levelWidth, levelHeight, false);
      std::unique_ptr<Image> nextOpacity;
      if (currentOpacity != nullptr) {
        nextOpacity = std::make_unique<Image>();
        HalveImage(*currentOpacity, *nextOpacity, levelWidth, levelHeight, true);
      }
      levelDiffuse = std::move(nextDiffuse);
      levelOpacity = std::move(nextOpacity);
      currentDiffuse = levelDiffuse.get();
      currentOpacity = levelOpacity.get();
      if (i == 1 && config_ != nullptr && config_->r_show_mip_maps != 0) {
        // Shows where the first smaller level is drawn.
        levelDiffuse->Fill(Vector4(1.0f, 0.0f, 0.0f, 1.0f));
        if (levelOpacity != nullptr) {
          levelOpacity->Fill(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
        }
      }
    }
    if (!FillLevel(level, format, *currentDiffuse, currentOpacity)) {
      level->Release();
      return;
    }
    videoMemory_ += levelWidth * levelHeight * depth / 8;
    if (i + 1 >= levels) {
      break;
    }
    levelWidth = levelWidth > 1 ? levelWidth / 2 : 1;
    levelHeight = levelHeight > 1 ? levelHeight / 2 : 1;
    DDSCAPS2 caps = {DDSCAPS_TEXTURE | DDSCAPS_MIPMAP, 0, 0, 0};
    IDirectDrawSurface7* next = nullptr;
    result = level->GetAttachedSurface(&caps, &next);
    level->Release();
    level = next;
    if (FAILED(result) || level == nullptr) {
      // The chain is shorter than asked: the levels made so far are used.
      renderSystem_->ReportError(kCreateSurface, FAILED(result) ? result : DDERR_NOTFOUND);
      return;
    }
  }
  level->Release();
}

bool Texture2D_D3D7::FillLevel(IDirectDrawSurface7* level, const DDPIXELFORMAT& format, const Image& diffuse,
                               const Image* opacity) {
  DDSURFACEDESC2 locked;
  std::memset(&locked, 0, sizeof(locked));
  locked.dwSize = sizeof(locked);
  HRESULT result = DDERR_WASSTILLDRAWING;
  for (int attempt = 0; attempt < kLockAttempts && result == DDERR_WASSTILLDRAWING; ++attempt) {
    result = level->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  }
  if (FAILED(result) || locked.lpSurface == nullptr) {
    MarkFailed(FAILED(result) ? result : DDERR_GENERIC);
    return false;
  }
  if (locked.dwWidth == diffuse.GetWidth() && locked.dwHeight == diffuse.GetHeight()) {
    FillTextureSurface(format, locked.lpSurface, locked.lPitch, diffuse, opacity);
  }
  result = level->Unlock(nullptr);
  renderSystem_->ReportError(kCreateSurface, result);
  return true;
}

}  // namespace CorvantisEngine
