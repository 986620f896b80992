#include "engine/render/RenderSystem.h"

#include <algorithm>
#include <cmath>

#include "engine/config/Config.h"

namespace CorvantisEngine {

DeviceInfo::~DeviceInfo() {
  for (ModeInfo* mode : modes) {
    delete mode;
  }
}

AdapterInfo::~AdapterInfo() {
  for (DeviceInfo* device : devices) {
    delete device;
  }
}

RenderSystem::RenderSystem(MessageManager* messages_, Config* config_, Window* window_,
                           bool stencilRequested_, bool keepWindowSize_)
    : messages(messages_),
      config(config_),
      window(window_),
      settings(config_),
      stencilRequested(stencilRequested_),
      keepWindowSize(keepWindowSize_) {}

RenderSystem::~RenderSystem() {
  for (AdapterInfo* adapter : adapters) {
    delete adapter;
  }
  adapters.clear();
}

bool RenderSystem::NearlyEqual(const Matrix4& a, const Matrix4& b) {
  for (int i = 0; i < 16; ++i) {
    if (!(std::fabs(a.m[i] - b.m[i]) <= kTolerance)) {
      return false;
    }
  }
  return true;
}

bool RenderSystem::NearlyEqual(const Vector4& a, const Vector4& b) {
  return std::fabs(a.x - b.x) <= kTolerance && std::fabs(a.y - b.y) <= kTolerance &&
         std::fabs(a.z - b.z) <= kTolerance && std::fabs(a.w - b.w) <= kTolerance;
}

void RenderSystem::Refresh() {
  std::int32_t anisotropy = settings->r_texture_anisotropy;
  if (anisotropy > static_cast<std::int32_t>(maxAnisotropy)) {
    anisotropy = static_cast<std::int32_t>(maxAnisotropy);
  }
  if (anisotropy < 1) {
    anisotropy = 1;
  }
  settings->r_texture_anisotropy = anisotropy;
  const auto value = static_cast<std::uint32_t>(anisotropy);
  for (std::uint32_t stage = 0; stage < textureStageCount && stage < stageMaxAnisotropy.size(); ++stage) {
    if (force || stageMaxAnisotropy[stage] != value) {
      stageMaxAnisotropy[stage] = value;
      UpdateMaxTextureAnisotropy(stage);
    }
  }
}

void RenderSystem::CheckVideoMode() {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bits = 0;
  Config::ParseMode(settings->v_mode, &width, &height, &bits);
  const ModeInfo* mode = CurrentMode();
  if (mode != nullptr && currentAdapter->currentDevice->fullScreen == (settings->v_fullscreen != 0) &&
      mode->width == width && mode->height == height && mode->bitsPerPixel == bits) {
    return;
  }
  resetNeeded = true;
}

void RenderSystem::Reset(std::uint32_t flags) {
  if ((flags & 1) != 0) {
    resetNeeded = false;
    ready = true;
  }
  if ((flags & 2) != 0) {
    modeChanged = false;
  }
}

void RenderSystem::InitStates() {
  stageTexture.assign(textureStageCount, nullptr);
  stageMaxAnisotropy.assign(textureStageCount, 0);
  stageFilter.assign(textureStageCount, 0);
  stageAddressU.assign(textureStageCount, 0);
  stageAddressV.assign(textureStageCount, 0);
  stageTextureTransform.assign(textureStageCount, TextureTransform{0.0f, 0.0f, 0.0f, 0.0f});
  ready = true;
  SetDefaultStates();
}

void RenderSystem::SetDefaultStates() {
  SetMaterial(Vector4(0.6f, 0.6f, 0.6f, 1.0f), Vector4(1.0f, 1.0f, 1.0f, 1.0f),
              Vector4(0.0f, 0.0f, 0.0f, 0.0f), Vector4(0.0f, 0.0f, 0.0f, 1.0f), 0.0f);
  force = true;
  SetViewMatrix(Matrix4());
  SetWorldMatrix(Matrix4());
  SetAmbientColor(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
  alphaBlend = false;
  UpdateAlphaBlend();
  sourceBlend = 0;
  destinationBlend = 0;
  UpdateBlend();
  for (std::uint32_t stage = 0; stage < textureStageCount; ++stage) {
    stageTexture[stage] = nullptr;
    UpdateTexture(stage);
    stageMaxAnisotropy[stage] = 1;
    UpdateMaxTextureAnisotropy(stage);
    stageFilter[stage] = kFilterLinear;
    UpdateTextureFilter(stage);
    stageAddressU[stage] = kAddressWrap;
    UpdateTextureAdressU(stage);
    stageAddressV[stage] = kAddressWrap;
    UpdateTextureAdressV(stage);
    SetTextureMatrix(stage, 1.0f, 1.0f, 0.0f, 0.0f);
  }
  SetCullMode(kCullNone);
  SetLighting(false);
  SetNormalizeNormals(false);
  SetZ(false);
  SetZWrite(true);
  SetStencil(false);
  force = false;
}

void RenderSystem::SetViewMatrix(const Matrix4& matrix) {
  if (!force && NearlyEqual(viewMatrix, matrix)) {
    return;
  }
  viewMatrix = matrix;
  UpdateViewMatrix();
}

void RenderSystem::SetWorldMatrix(const Matrix4& matrix) {
  if (!force && NearlyEqual(worldMatrix, matrix)) {
    return;
  }
  worldMatrix = matrix;
  UpdateWorldMatrix();
}

void RenderSystem::SetAmbientColor(const Vector4& colour) {
  if (!force && NearlyEqual(ambientColour, colour)) {
    return;
  }
  ambientColour = colour;
  UpdateAmbientColor();
}

void RenderSystem::SetTextureMatrix(std::uint32_t stage, float scaleU, float scaleV, float offsetU,
                                    float offsetV) {
  if (stage >= stageTextureTransform.size()) {
    return;
  }
  TextureTransform& t = stageTextureTransform[stage];
  if (!force && std::fabs(t.scaleU - scaleU) <= kTolerance && std::fabs(t.scaleV - scaleV) <= kTolerance &&
      std::fabs(t.offsetU - offsetU) <= kTolerance && std::fabs(t.offsetV - offsetV) <= kTolerance) {
    return;
  }
  t = {scaleU, scaleV, offsetU, offsetV};
  UpdateTextureMatrix(stage);
}

void RenderSystem::SetCullMode(std::uint32_t mode) {
  if (!force && cullMode == mode) {
    return;
  }
  cullMode = mode;
  UpdateCullMode();
}

void RenderSystem::SetLighting(bool enabled) {
  if (!force && lighting == enabled) {
    return;
  }
  lighting = enabled;
  UpdateLighting();
}

void RenderSystem::SetNormalizeNormals(bool enabled) {
  if (!force && normalizeNormals == enabled) {
    return;
  }
  normalizeNormals = enabled;
  UpdateNormalizeNormals();
}

void RenderSystem::SetZ(bool enabled) {
  if (!force && z == enabled) {
    return;
  }
  z = enabled;
  UpdateZ();
}

void RenderSystem::SetZWrite(bool enabled) {
  if (!force && zWrite == enabled) {
    return;
  }
  zWrite = enabled;
  UpdateZWrite();
}

void RenderSystem::SetStencil(bool enabled) {
  if (!force && stencil == enabled) {
    return;
  }
  stencil = enabled;
  UpdateStencil();
}

void RenderSystem::SetAlphaBlend(bool enabled) {
  if (!force && alphaBlend == enabled) {
    return;
  }
  alphaBlend = enabled;
  UpdateAlphaBlend();
}

void RenderSystem::SetBlend(std::uint32_t source, std::uint32_t destination) {
  if (!force && sourceBlend == source && destinationBlend == destination) {
    return;
  }
  sourceBlend = source;
  destinationBlend = destination;
  UpdateBlend();
}

void RenderSystem::SetTexture(std::uint32_t stage, Texture2D* texture) {
  if (stage >= stageTexture.size() || (!force && stageTexture[stage] == texture)) {
    return;
  }
  stageTexture[stage] = texture;
  UpdateTexture(stage);
}

void RenderSystem::SetTextureFilter(std::uint32_t stage, std::uint32_t filter) {
  if (stage >= stageFilter.size() || (!force && stageFilter[stage] == filter)) {
    return;
  }
  stageFilter[stage] = filter;
  UpdateTextureFilter(stage);
}

void RenderSystem::SetTextureAdressU(std::uint32_t stage, std::uint32_t address) {
  if (stage >= stageAddressU.size() || (!force && stageAddressU[stage] == address)) {
    return;
  }
  stageAddressU[stage] = address;
  UpdateTextureAdressU(stage);
}

void RenderSystem::SetTextureAdressV(std::uint32_t stage, std::uint32_t address) {
  if (stage >= stageAddressV.size() || (!force && stageAddressV[stage] == address)) {
    return;
  }
  stageAddressV[stage] = address;
  UpdateTextureAdressV(stage);
}

}  // namespace CorvantisEngine
