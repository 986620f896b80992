#pragma once
// RenderSystem: the engine's abstract renderer. It owns the description of the display hardware
// (adapters, their 3-D devices and the display modes each device can use), the flags through which the
// frame loop learns that the device must be reset or that a frame may be presented, and a cache of every
// render state the engine changes. Every state change goes through a setter that compares the new value
// with the cached one (floats and matrices within 0.0001) and calls the matching Update slot only when
// the value changed or while `force` is set; the back end (RenderSystem_D3D7) pushes the cached value to
// the device in that slot.
//
// Threads: main thread, except CreateTexture, which the resource loader's worker calls while the main
// thread only presents (SwapBuffers). Ownership: the Engine creates and deletes the one render system;
// it owns the adapter records; the factories' results belong to the caller. Failure: the base class
// reports nothing; the back end logs device failures and aborts through the log where it cannot go on.
//
// The state fields are public: the model, shader and light code compare and write them at the call site
// (the same 0.0001 rule) before calling the Update slot, as the setters below do.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Matrix4.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class Camera;
class Config;
class Image;
class IndexBuffer;
class Light;
class MessageManager;
class Texture2D;
class TextureManager;
class VertexBuffer;
class Window;

// One display mode a device can render to.
class ModeInfo {
 public:
  virtual ~ModeInfo() = default;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitsPerPixel = 0;  // 16 or 32
};

// One 3-D device of an adapter; owns its modes.
class DeviceInfo {
 public:
  virtual ~DeviceInfo();
  std::vector<ModeInfo*> modes;
  ModeInfo* currentMode = nullptr;
  bool fullScreen = false;
};

// One display driver; owns its devices.
class AdapterInfo {
 public:
  virtual ~AdapterInfo();
  std::vector<DeviceInfo*> devices;
  DeviceInfo* currentDevice = nullptr;
};

// Per-stage texture transform: scale U, scale V, offset U, offset V.
struct TextureTransform {
  float scaleU = 1.0f;
  float scaleV = 1.0f;
  float offsetU = 0.0f;
  float offsetV = 0.0f;
};

class RenderSystem {
 public:
  // Engine values of the enumerations the Update slots map to device values.
  static constexpr std::uint32_t kCullNone = 0;
  static constexpr std::uint32_t kCullClockwise = 1;
  static constexpr std::uint32_t kCullCounterClockwise = 2;
  static constexpr std::uint32_t kFilterPoint = 0;
  static constexpr std::uint32_t kFilterLinear = 1;
  static constexpr std::uint32_t kFilterMipMapped = 2;
  static constexpr std::uint32_t kAddressClamp = 0;
  static constexpr std::uint32_t kAddressWrap = 1;
  static constexpr float kTolerance = 0.0001f;

  RenderSystem(MessageManager* messages, Config* config, Window* window, bool stencilRequested,
               bool keepWindowSize);
  // Deletes every mode, device and adapter record.
  virtual ~RenderSystem();

  RenderSystem(const RenderSystem&) = delete;
  RenderSystem& operator=(const RenderSystem&) = delete;

  // Per frame: the anisotropy limit (see the back end for the device checks).
  virtual void Refresh();
  virtual void BeginScene() {}
  virtual void EndScene() {}
  virtual void SwapBuffers() {}
  // Sets reset needed when "v_mode" / "v_fullscreen" differ from the current mode.
  virtual void CheckVideoMode();
  // Bit 0: reset needed false, ready true. Bit 1: mode changed false.
  virtual void Reset(std::uint32_t flags);
  // kind 0: triangle list of count triangles; otherwise a strip of count triangles.
  virtual void DrawIndexedPrimitive(std::uint32_t kind, IndexBuffer* indexBuffer, VertexBuffer* vertexBuffer,
                                    std::uint32_t count) {}

  // Factories: the caller owns the result.
  virtual Camera* CreateCamera(std::uint32_t kind) = 0;
  virtual VertexBuffer* CreateVertexBuffer(std::uint32_t usage, std::uint32_t hasColour,
                                           std::uint32_t vertexCount) = 0;
  virtual VertexBuffer* CreateVertexBufferFromData(std::uint32_t usage, std::uint32_t hasColour,
                                                   VertexBuffer* source) = 0;
  virtual VertexBuffer* CopyVertexBuffer(VertexBuffer* source) = 0;
  virtual IndexBuffer* CreateIndexBuffer(std::uint32_t usage, std::uint32_t capacity) = 0;
  virtual IndexBuffer* CreateIndexBufferFromData(std::uint32_t usage, IndexBuffer* source) = 0;
  virtual IndexBuffer* CopyIndexBuffer(IndexBuffer* source) = 0;
  // Without a diffuse image the texture has no surface until it is first used, when it asks the
  // texture manager for its images.
  virtual Texture2D* CreateTexture(TextureManager* textureManager, const std::string& key, Image* diffuse,
                                   Image* opacity, bool mipMapping) = 0;
  virtual Light* CreateLight(std::uint32_t index) = 0;
  virtual void CopyScreenToImage(Image* image) = 0;
  // Shows the image over the whole screen at once, scaled to it, without drawing: the screen has a
  // picture before the device has drawn anything. The next frame replaces it.
  virtual void CopyImageToScreen(const Image& image) = 0;

  // Sizes the per-stage arrays, sets ready and runs SetDefaultStates.
  virtual void InitStates();
  virtual void SetDefaultStates();
  virtual void SetMaterial(const Vector4& ambient, const Vector4& diffuse, const Vector4& specular,
                           const Vector4& emissive, float power) = 0;

  virtual void UpdateProjectionMatrix() = 0;
  virtual void UpdateViewMatrix() = 0;
  virtual void UpdateWorldMatrix() = 0;
  virtual void UpdateAmbientColor() = 0;
  virtual void UpdateAlphaBlend() = 0;
  virtual void UpdateBlend() = 0;
  virtual void UpdateTexture(std::uint32_t stage) = 0;
  virtual void UpdateMaxTextureAnisotropy(std::uint32_t stage) = 0;
  virtual void UpdateTextureFilter(std::uint32_t stage) = 0;
  virtual void UpdateTextureAdressU(std::uint32_t stage) = 0;
  virtual void UpdateTextureAdressV(std::uint32_t stage) = 0;
  virtual void UpdateTextureMatrix(std::uint32_t stage) = 0;
  virtual void UpdateCullMode() = 0;
  virtual void UpdateLighting() = 0;
  virtual void UpdateNormalizeNormals() = 0;
  virtual void UpdateZ() = 0;
  virtual void UpdateZWrite() = 0;
  virtual void UpdateStencil() = 0;

  // Cached setters.
  void SetViewMatrix(const Matrix4& matrix);
  void SetWorldMatrix(const Matrix4& matrix);
  void SetAmbientColor(const Vector4& colour);
  void SetTextureMatrix(std::uint32_t stage, float scaleU, float scaleV, float offsetU, float offsetV);
  void SetCullMode(std::uint32_t mode);
  void SetLighting(bool enabled);
  void SetNormalizeNormals(bool enabled);
  void SetZ(bool enabled);
  void SetZWrite(bool enabled);
  void SetStencil(bool enabled);
  // The same rule for the shader's stage set-up. Stages at or past the stage count are ignored.
  void SetAlphaBlend(bool enabled);
  // Both factors at once: one UpdateBlend when either differs.
  void SetBlend(std::uint32_t source, std::uint32_t destination);
  void SetTexture(std::uint32_t stage, Texture2D* texture);
  void SetTextureFilter(std::uint32_t stage, std::uint32_t filter);
  void SetTextureAdressU(std::uint32_t stage, std::uint32_t address);
  void SetTextureAdressV(std::uint32_t stage, std::uint32_t address);

  static bool NearlyEqual(const Matrix4& a, const Matrix4& b);
  static bool NearlyEqual(const Vector4& a, const Vector4& b);

  // Flags and capabilities other systems read.
  bool IsReady() const { return ready; }
  bool IsResetNeeded() const { return resetNeeded; }
  bool IsModeChanged() const { return modeChanged; }
  bool IsStencilPresent() const { return stencilPresent; }
  std::uint32_t GetTextureStageCount() const { return textureStageCount; }
  std::uint32_t GetMaxTextureWidth() const { return maxTextureWidth; }
  std::uint32_t GetMaxTextureHeight() const { return maxTextureHeight; }
  std::uint32_t GetMaxAnisotropy() const { return maxAnisotropy; }
  void SetClearColour(const Vector4& colour) { clearColour = colour; }
  void SetClearFlags(std::uint32_t flags) { clearFlags = flags; }
  MessageManager* GetMessages() const { return messages; }
  // The display mode of the current adapter's current device; null before one is chosen.
  const ModeInfo* CurrentMode() const {
    const DeviceInfo* device = currentAdapter != nullptr ? currentAdapter->currentDevice : nullptr;
    return device != nullptr ? device->currentMode : nullptr;
  }

  MessageManager* messages;  // not owned
  Config* config;            // not owned
  Window* window;            // not owned
  // The configuration's video and render values ("v_mode", "v_fullscreen", "v_vsync",
  // "r_texture_anisotropy", ...), read and written directly; not owned.
  Config* settings;
  std::vector<AdapterInfo*> adapters;  // owned
  AdapterInfo* currentAdapter = nullptr;
  bool stencilRequested;
  bool stencilPresent = false;
  bool keepWindowSize;
  std::uint32_t clearFlags = 3;
  Vector4 clearColour{0.0f, 0.0f, 0.0f, 1.0f};
  std::uint32_t maxTextureWidth = 0;
  std::uint32_t maxTextureHeight = 0;
  std::uint32_t textureStageCount = 0;
  std::uint32_t maxAnisotropy = 0;
  bool ready = false;
  bool resetNeeded = false;
  bool modeChanged = false;
  bool force = false;
  Matrix4 projectionMatrix;
  Matrix4 viewMatrix;
  Matrix4 worldMatrix;
  Vector4 ambientColour{0.0f, 0.0f, 0.0f, 1.0f};
  bool alphaBlend = false;
  std::uint32_t sourceBlend = 0;
  std::uint32_t destinationBlend = 0;
  std::vector<Texture2D*> stageTexture;  // not owned
  std::vector<std::uint32_t> stageMaxAnisotropy;
  std::vector<std::uint32_t> stageFilter;
  std::vector<std::uint32_t> stageAddressU;
  std::vector<std::uint32_t> stageAddressV;
  std::vector<TextureTransform> stageTextureTransform;
  std::uint32_t cullMode = 0;
  bool lighting = false;
  bool normalizeNormals = false;
  bool z = false;
  bool zWrite = false;
  bool stencil = false;
};

}  // namespace CorvantisEngine
