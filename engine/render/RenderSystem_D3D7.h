#pragma once
// RenderSystem_D3D7: the render back end over the DirectDraw 7 / Direct3D 7 interfaces. It lists the
// display drivers, their devices and modes, chooses a device (falling back to the software rasteriser
// when the hardware device cannot be created) and a display mode from "v_mode" / "v_fullscreen", creates
// DirectDraw, the screen surfaces, the device, the viewport and the depth buffer, presents frames (a flip
// in full screen, a blit into the window otherwise), notices a lost device or a changed desktop mode and
// re-creates everything on Reset, and pushes every cached state of RenderSystem to the device.
//
// Threads: main thread; AddTexture and RemoveTexture may also come from the resource loader's worker
// (textures are created there), so the texture list has a lock.
// Ownership: the DirectX objects are owned and released in a fixed order; the texture list does not own
// its textures.
// Failure: a failing creation step throws Error inside one creation attempt, which logs it and falls back
// to the software device; what cannot be mended ends through MessageManager::Abort (FatalError).
// Per-frame device failures never throw: they are logged as "Direct3D Subsystem (method): text".

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/render/RenderSystem.h"
#include "platform/ddraw/D3D.h"

namespace CorvantisEngine {

class Texture2D_D3D7;
class AdapterInfo_D3D7;
class DeviceInfo_D3D7;

class RenderSystem_D3D7 : public RenderSystem {
 public:
  RenderSystem_D3D7(MessageManager* messages, Config* config, Window* window, bool stencilRequested,
                    bool keepWindowSize);
  ~RenderSystem_D3D7() override;

  void Refresh() override;
  void BeginScene() override;
  void EndScene() override;
  void SwapBuffers() override;
  void CheckVideoMode() override;
  void Reset(std::uint32_t flags) override;
  void DrawIndexedPrimitive(std::uint32_t kind, IndexBuffer* indexBuffer, VertexBuffer* vertexBuffer,
                            std::uint32_t count) override;

  Camera* CreateCamera(std::uint32_t kind) override;
  VertexBuffer* CreateVertexBuffer(std::uint32_t usage, std::uint32_t hasColour,
                                   std::uint32_t vertexCount) override;
  VertexBuffer* CreateVertexBufferFromData(std::uint32_t usage, std::uint32_t hasColour,
                                           VertexBuffer* source) override;
  VertexBuffer* CopyVertexBuffer(VertexBuffer* source) override;
  IndexBuffer* CreateIndexBuffer(std::uint32_t usage, std::uint32_t capacity) override;
  IndexBuffer* CreateIndexBufferFromData(std::uint32_t usage, IndexBuffer* source) override;
  IndexBuffer* CopyIndexBuffer(IndexBuffer* source) override;
  Texture2D* CreateTexture(TextureManager* textureManager, const std::string& key, Image* diffuse,
                           Image* opacity, bool mipMapping) override;
  Light* CreateLight(std::uint32_t index) override;
  // Copies the back buffer into a 24-bit image (rows bottom-up). Throws Error when the temporary
  // surface cannot be made.
  void CopyScreenToImage(Image* image) override;
  // The image goes into a 32-bit system-memory surface of its own size, which is blitted (stretched)
  // to the primary surface; failures are reported in the log, and the screen keeps what it had.
  void CopyImageToScreen(const Image& image) override;

  void SetDefaultStates() override;
  void SetMaterial(const Vector4& ambient, const Vector4& diffuse, const Vector4& specular,
                   const Vector4& emissive, float power) override;

  void UpdateProjectionMatrix() override;
  void UpdateViewMatrix() override;
  void UpdateWorldMatrix() override;
  void UpdateAmbientColor() override;
  void UpdateAlphaBlend() override;
  void UpdateBlend() override;
  void UpdateTexture(std::uint32_t stage) override;
  void UpdateMaxTextureAnisotropy(std::uint32_t stage) override;
  void UpdateTextureFilter(std::uint32_t stage) override;
  void UpdateTextureAdressU(std::uint32_t stage) override;
  void UpdateTextureAdressV(std::uint32_t stage) override;
  void UpdateTextureMatrix(std::uint32_t stage) override;
  void UpdateCullMode() override;
  void UpdateLighting() override;
  void UpdateNormalizeNormals() override;
  void UpdateZ() override;
  void UpdateZWrite() override;
  void UpdateStencil() override;

  // Textures register themselves while they live.
  void AddTexture(Texture2D_D3D7* texture);
  void RemoveTexture(Texture2D_D3D7* texture);
  std::size_t GetTextureCount() const;

  // Logs a failed result (negative) as "Direct3D Subsystem (method): text"; success logs nothing.
  void ReportError(const std::string& method, HRESULT result);
  // The window's client area in screen coordinates, where a windowed present lands.
  RECT ClientAreaOnScreen() const;
  // The text logged for a result: the table's, or "Unknown error (Code: n)".
  static std::string ErrorText(HRESULT result);

  // Device access for the back-end classes (textures, lights, cameras). The pointers change at Reset:
  // keep the address of the field (GetDeviceLocation) or ask again.
  IDirect3DDevice7* GetDevice() const { return device_; }
  IDirect3DDevice7* const* GetDeviceLocation() const { return &device_; }
  IDirectDraw7* GetDirectDraw() const { return directDraw_; }
  IDirectDraw7* const* GetDirectDrawLocation() const { return &directDraw_; }
  // The chosen device rasterises in hardware (its textures are then managed by Direct3D).
  bool IsHardwareDevice() const;
  const DDSURFACEDESC2& GetBackBufferDescription() const { return *backBufferDescription_; }

  // Packs (r, g, b, a) floats as 0xAARRGGBB, each channel clamped to [0, 1] and truncated after * 255.
  static std::uint32_t PackColour(const Vector4& colour);

  // Hardware enumeration and choice.
  void EnumerateAdapters();
  void ChooseDevice(bool softwareOnly);
  void SelectVideoMode();

 private:
  void CreateDevice(bool logCapabilities);
  bool CreateDeviceObjects(bool logCapabilities);
  void CreateDepthBuffer();
  void ReleaseDevice(bool fromDestructor);
  void ReleaseSurfaces();
  HRESULT RestoreSurfaces();
  AdapterInfo_D3D7* CurrentAdapter() const;
  DeviceInfo_D3D7* CurrentDevice() const;

  IDirectDraw7* directDraw_ = nullptr;          // owned
  IDirect3D7* direct3D_ = nullptr;              // owned
  IDirect3DDevice7* device_ = nullptr;          // owned
  IDirectDrawSurface7* depthBuffer_ = nullptr;  // owned
  IDirectDrawSurface7* primary_ = nullptr;      // owned
  IDirectDrawSurface7* backBuffer_ = nullptr;   // owned
  std::unique_ptr<DDSURFACEDESC2> backBufferDescription_;
  mutable std::mutex texturesMutex_;
  std::vector<Texture2D_D3D7*> textures_;  // not owned
};

}  // namespace CorvantisEngine
