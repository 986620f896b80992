#pragma once
// Texture2D_D3D7: a texture as a DirectDraw texture surface (with its mip-map chain when mip-mapped) in
// a pixel format the device offers. Made by the render system's CreateTexture; it registers with the
// render system, which releases and rebuilds the surfaces of all textures when it resets the device.
//
// A surface that cannot be created marks the texture failed: the failure is logged once and the texture
// draws as no texture until the next rebuild. No texture format that fits at all is fatal.

#include <cstdint>
#include <string>

#include "engine/render/Texture2D.h"
#include "platform/ddraw/DDraw.h"

namespace CorvantisEngine {

class RenderSystem_D3D7;

class Texture2D_D3D7 : public Texture2D {
 public:
  // Builds the surface from the images at once (they stay the caller's) and registers the texture. Without
  // a diffuse image there is no surface until GetSurface asks for one: it is then built from the texture
  // manager's images, or from the files the texture waits to read.
  Texture2D_D3D7(MessageManager* log, Config* config, RenderSystem_D3D7* renderSystem,
                 TextureManager* textureManager, const std::string& key, Image* diffuse, Image* opacity,
                 bool mipMapping);
  ~Texture2D_D3D7() override;

  // The surface, rebuilt first when a reset dropped it; null for a failed texture.
  IDirectDrawSurface7* GetSurface();
  void ReleaseSurface();
  // Asks the texture manager for the images and rebuilds the surface; a texture waiting for its first use
  // has its own files read.
  void RestoreSurface();
  void BuildWaitingSurface() override;

 private:
  void CreateSurface(Image* diffuse, Image* opacity);
  bool FillLevel(IDirectDrawSurface7* level, const DDPIXELFORMAT& format, const Image& diffuse,
                 const Image* opacity);
  void MarkFailed(HRESULT result);

  RenderSystem_D3D7* renderSystem_;
  IDirectDrawSurface7* surface_ = nullptr;
};

}  // namespace CorvantisEngine
