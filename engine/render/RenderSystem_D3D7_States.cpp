// How each cached state reaches the device, the fixed device states, scenes, drawing and the factories.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/config/Config.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/render/Camera_D3D7.h"
#include "engine/render/HardwareInfo_D3D7.h"
#include "engine/render/Image.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Light_D3D7.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/render/Texture2D_D3D7.h"
#include "engine/render/VertexBuffer.h"
#include "engine/render/VertexBuffer_D3D7.h"
#include "engine/window/Window.h"

namespace CorvantisEngine {

namespace {

D3DCULL CullValue(std::uint32_t mode) {
  switch (mode) {
    case 1:
      return D3DCULL_CW;
    case 2:
      return D3DCULL_CCW;
    default:
      return D3DCULL_NONE;
  }
}

D3DTEXTUREADDRESS AddressValue(std::uint32_t address) {
  return address == 0 ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
}

D3DBLEND BlendValue(std::uint32_t factor) {
  static constexpr D3DBLEND kTable[] = {D3DBLEND_ONE,          D3DBLEND_ONE,          D3DBLEND_DESTCOLOR,
                                        D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHA,     D3DBLEND_INVSRCALPHA,
                                        D3DBLEND_DESTALPHA,    D3DBLEND_INVDESTALPHA, D3DBLEND_SRCALPHASAT,
                                        D3DBLEND_SRCCOLOR,     D3DBLEND_INVSRCCOLOR};
  return factor < std::size(kTable) ? kTable[factor] : D3DBLEND_ZERO;
}

// Element k of the engine matrix, as the device's row-major D3DMATRIX.
D3DMATRIX CopyMatrix(const Matrix4& matrix) {
  D3DMATRIX d;
  std::memcpy(&d, matrix.m, sizeof(d));
  return d;
}

D3DMATRIX TransposeMatrix(const Matrix4& matrix) {
  D3DMATRIX d;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      d.m[row][column] = matrix.m[4 * column + row];
    }
  }
  return d;
}

D3DCOLORVALUE ColourValue(const Vector4& c) {
  D3DCOLORVALUE v;
  v.r = c.x;
  v.g = c.y;
  v.b = c.z;
  v.a = c.w;
  return v;
}

}  // namespace

std::uint32_t RenderSystem_D3D7::PackColour(const Vector4& colour) {
  auto channel = [](float c) -> std::uint32_t {
    const float clamped = c > 1.0f ? 1.0f : (c > 0.0f ? c : 0.0f);  // NaN gives 0
    return static_cast<std::uint32_t>(clamped * 255.0f);
  };
  return channel(colour.w) << 24 | channel(colour.x) << 16 | channel(colour.y) << 8 | channel(colour.z);
}

void RenderSystem_D3D7::UpdateProjectionMatrix() {
  if (device_ == nullptr)
    return;
  D3DMATRIX m = CopyMatrix(projectionMatrix);
  ReportError("RenderSystem_D3D7::UpdateProjectionMatrix",
              device_->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &m));
}

void RenderSystem_D3D7::UpdateViewMatrix() {
  if (device_ == nullptr)
    return;
  D3DMATRIX m = CopyMatrix(viewMatrix);
  float* e = &m._11;
  e[2] = -e[2];
  e[6] = -e[6];
  e[10] = -e[10];
  e[14] = -e[14];
  ReportError("RenderSystem_D3D7::UpdateViewMatrix", device_->SetTransform(D3DTRANSFORMSTATE_VIEW, &m));
}

void RenderSystem_D3D7::UpdateWorldMatrix() {
  if (device_ == nullptr)
    return;
  D3DMATRIX m = TransposeMatrix(worldMatrix);
  ReportError("RenderSystem_D3D7::UpdateWorldMatrix", device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &m));
}

void RenderSystem_D3D7::UpdateAmbientColor() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateAmbientColor",
              device_->SetRenderState(D3DRENDERSTATE_AMBIENT, PackColour(ambientColour)));
}

void RenderSystem_D3D7::UpdateAlphaBlend() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateAlphaBlend",
              device_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, alphaBlend ? TRUE : FALSE));
}

void RenderSystem_D3D7::UpdateBlend() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateBlend",
              device_->SetRenderState(D3DRENDERSTATE_SRCBLEND, BlendValue(sourceBlend)));
  ReportError("RenderSystem_D3D7::UpdateBlend",
              device_->SetRenderState(D3DRENDERSTATE_DESTBLEND, BlendValue(destinationBlend)));
}

void RenderSystem_D3D7::UpdateTexture(std::uint32_t stage) {
  if (device_ == nullptr || stage >= stageTexture.size())
    return;
  IDirectDrawSurface7* surface = nullptr;
  if (stageTexture[stage] != nullptr) {
    surface = static_cast<Texture2D_D3D7*>(stageTexture[stage])->GetSurface();
  }
  ReportError("RenderSystem_D3D7::UpdateTexture", device_->SetTexture(stage, surface));
}

void RenderSystem_D3D7::UpdateMaxTextureAnisotropy(std::uint32_t stage) {
  if (device_ == nullptr || stage >= stageMaxAnisotropy.size())
    return;
  ReportError("RenderSystem_D3D7::UpdateMaxTextureAnisotropy",
              device_->SetTextureStageState(stage, D3DTSS_MAXANISOTROPY, stageMaxAnisotropy[stage]));
}

void RenderSystem_D3D7::UpdateTextureFilter(std::uint32_t stage) {
  if (device_ == nullptr || stage >= stageFilter.size())
    return;
  D3DTEXTUREMAGFILTER magnification = 0;
  D3DTEXTUREMINFILTER minification = 0;
  D3DTEXTUREMIPFILTER mip = 0;
  switch (stageFilter[stage]) {
    case kFilterPoint:
      magnification = D3DTFG_POINT;
      minification = D3DTFN_POINT;
      mip = D3DTFP_NONE;
      break;
    case kFilterLinear:
      magnification = D3DTFG_LINEAR;
      minification = D3DTFN_LINEAR;
      mip = D3DTFP_NONE;
      break;
    case kFilterMipMapped:
      if (settings->r_texture_anisotropy < 2) {
        magnification = D3DTFG_LINEAR;
        minification = D3DTFN_LINEAR;
      } else {
        magnification = D3DTFG_ANISOTROPIC;
        minification = D3DTFN_ANISOTROPIC;
      }
      mip = D3DTFP_LINEAR;
      break;
    default:
      return;
  }
  const std::string method = "RenderSystem_D3D7::UpdateTextureFilter";
  ReportError(method, device_->SetTextureStageState(stage, D3DTSS_MAGFILTER, magnification));
  ReportError(method, device_->SetTextureStageState(stage, D3DTSS_MINFILTER, minification));
  ReportError(method, device_->SetTextureStageState(stage, D3DTSS_MIPFILTER, mip));
}

void RenderSystem_D3D7::UpdateTextureAdressU(std::uint32_t stage) {
  if (device_ == nullptr || stage >= stageAddressU.size())
    return;
  ReportError("RenderSystem_D3D7::UpdateTextureAdressU",
              device_->SetTextureStageState(stage, D3DTSS_ADDRESSU, AddressValue(stageAddressU[stage])));
}

void RenderSystem_D3D7::UpdateTextureAdressV(std::uint32_t stage) {
  if (device_ == nullptr || stage >= stageAddressV.size())
    return;
  ReportError("RenderSystem_D3D7::UpdateTextureAdressV",
              device_->SetTextureStageState(stage, D3DTSS_ADDRESSV, AddressValue(stageAddressV[stage])));
}

void RenderSystem_D3D7::UpdateTextureMatrix(std::uint32_t stage) {
  if (device_ == nullptr || stage >= stageTextureTransform.size())
    return;
  const TextureTransform& t = stageTextureTransform[stage];
  D3DMATRIX m{};
  m._11 = t.scaleU;
  m._22 = t.scaleV;
  m._33 = 1.0f;
  m._44 = 1.0f;
  m._31 = t.offsetU;  // element 8
  m._32 = t.offsetV;  // element 9
  ReportError("RenderSystem_D3D7::UpdateTextureMatrix",
              device_->SetTransform(D3DTRANSFORMSTATE_TEXTURE0 + stage, &m));
}

void RenderSystem_D3D7::UpdateCullMode() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateCullMode",
              device_->SetRenderState(D3DRENDERSTATE_CULLMODE, CullValue(cullMode)));
}

void RenderSystem_D3D7::UpdateLighting() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateLighting",
              device_->SetRenderState(D3DRENDERSTATE_LIGHTING, lighting));
}

void RenderSystem_D3D7::UpdateNormalizeNormals() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateNormalizeNormals",
              device_->SetRenderState(D3DRENDERSTATE_NORMALIZENORMALS, normalizeNormals));
}

void RenderSystem_D3D7::UpdateZ() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateZ",
              device_->SetRenderState(D3DRENDERSTATE_ZENABLE, z ? D3DZB_TRUE : D3DZB_FALSE));
}

void RenderSystem_D3D7::UpdateZWrite() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateZWrite",
              device_->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, zWrite));
}

void RenderSystem_D3D7::UpdateStencil() {
  if (device_ == nullptr)
    return;
  ReportError("RenderSystem_D3D7::UpdateStencil",
              device_->SetRenderState(D3DRENDERSTATE_STENCILENABLE, stencil));
}

void RenderSystem_D3D7::SetMaterial(const Vector4& ambient, const Vector4& diffuse, const Vector4& specular,
                                    const Vector4& emissive, float power) {
  if (device_ == nullptr)
    return;
  D3DMATERIAL7 material{};
  material.diffuse = ColourValue(diffuse);
  material.ambient = ColourValue(ambient);
  material.specular = ColourValue(specular);
  material.emissive = ColourValue(emissive);
  material.power = power;
  ReportError("RenderSystem_D3D7::SetMaterial", device_->SetMaterial(&material));
}

void RenderSystem_D3D7::SetDefaultStates() {
  RenderSystem::SetDefaultStates();
  if (device_ == nullptr)
    return;
  const std::string method = "RenderSystem_D3D7::SetDefaultStates";
  for (std::uint32_t stage = 0; stage < textureStageCount; ++stage) {
    ReportError(method, device_->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2));
    ReportError(method, device_->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0));
    ReportError(method, device_->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE));
    ReportError(method, device_->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE));
    ReportError(method, device_->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE));
    ReportError(method, device_->SetTextureStageState(stage, D3DTSS_ALPHAOP,
                                                      stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE));
  }
  ReportError(method, device_->SetRenderState(D3DRENDERSTATE_COLORVERTEX, TRUE));
  ReportError(method, device_->SetRenderState(D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1));
  ReportError(method, device_->SetRenderState(D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1));
  ReportError(method, device_->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS));
  if (stencilPresent) {
    ReportError(method, device_->SetRenderState(D3DRENDERSTATE_STENCILFUNC, D3DCMP_EQUAL));
    ReportError(method, device_->SetRenderState(D3DRENDERSTATE_STENCILREF, 0));
    ReportError(method, device_->SetRenderState(D3DRENDERSTATE_STENCILMASK, 0xFFFFFFFFu));
    ReportError(method, device_->SetRenderState(D3DRENDERSTATE_STENCILFAIL, D3DSTENCILOP_KEEP));
    ReportError(method, device_->SetRenderState(D3DRENDERSTATE_STENCILZFAIL, D3DSTENCILOP_KEEP));
    ReportError(method, device_->SetRenderState(D3DRENDERSTATE_STENCILPASS, D3DSTENCILOP_INCR));
  }
}

void RenderSystem_D3D7::BeginScene() {
  if (device_ == nullptr)
    return;
  const std::string method = "RenderSystem_D3D7::BeginScene";
  if (clearFlags != 0) {
    DWORD flags = 0;
    if ((clearFlags & 1) != 0)
      flags |= D3DCLEAR_TARGET;
    if ((clearFlags & 2) != 0)
      flags |= D3DCLEAR_ZBUFFER;
    if (stencilPresent)
      flags |= D3DCLEAR_STENCIL;
    ReportError(method, device_->Clear(0, nullptr, flags, PackColour(clearColour), 1.0f, 0));
  }
  HRESULT result = device_->BeginScene();
  if (result == DDERR_SURFACELOST) {
    ReportError(method, RestoreSurfaces());
    result = device_->BeginScene();
  }
  ReportError(method, result);
}

void RenderSystem_D3D7::EndScene() {
  if (device_ == nullptr)
    return;
  HRESULT result = device_->EndScene();
  if (result == DDERR_SURFACELOST) {
    result = RestoreSurfaces();
  }
  ReportError("RenderSystem_D3D7::EndScene", result);
}

void RenderSystem_D3D7::DrawIndexedPrimitive(std::uint32_t kind, IndexBuffer* indexBuffer,
                                             VertexBuffer* vertexBuffer, std::uint32_t count) {
  if (device_ == nullptr || indexBuffer == nullptr || vertexBuffer == nullptr)
    return;
  vertexBuffer->Reserved2();
  indexBuffer->Reserved3();
  const DWORD indexCount = kind == 0 ? count * 3 : count + 2;
  const DWORD format = vertexBuffer->HasColour() != 0
                           ? (D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1)
                           : (D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
  const D3DPRIMITIVETYPE primitive = kind == 0 ? D3DPT_TRIANGLELIST : D3DPT_TRIANGLESTRIP;
  // The reach of the indices in 64 bits: with 32-bit indices the smallest index plus the range (and the
  // range itself, for indices spanning 0 to 0xFFFFFFFF) wraps to a small number that would pass the check.
  const std::uint64_t range = indexBuffer->GetIndexRange() == 0 && indexBuffer->GetIndexCount() != 0
                                  ? std::uint64_t{1} << 32
                                  : indexBuffer->GetIndexRange();
  const std::uint64_t reach = indexBuffer->GetMinIndex() + range;
  if (reach > vertexBuffer->GetVertexCount()) {
    // Index values come from content files; indices past the vertices would make the device read outside
    // the vertex buffer. Refuse the draw, and say so once per index buffer rather than every frame.
    if (indexBuffer->FirstRangeWarning())
      ReportError("RenderSystem_D3D7::DrawIndexedPrimitive", DDERR_INVALIDPARAMS);
    return;
  }
  if (indexCount > indexBuffer->GetIndexCount()) {
    // A count past the indices in use would read indices the range above never checked (or past the
    // index buffer): refuse the draw.
    ReportError("RenderSystem_D3D7::DrawIndexedPrimitive", DDERR_INVALIDPARAMS);
    return;
  }
  const auto vertexCount = static_cast<DWORD>(reach);
  HRESULT result;
  if (indexBuffer->IsWide()) {
    result = device_->DrawIndexedPrimitive(primitive, format, vertexBuffer->GetData(), vertexCount,
                                           reinterpret_cast<LPDWORD>(indexBuffer->GetData()), indexCount, 0);
  } else {
    result = device_->DrawIndexedPrimitive(primitive, format, vertexBuffer->GetData(), vertexCount,
                                           reinterpret_cast<LPWORD>(indexBuffer->GetData()), indexCount, 0);
  }
  ReportError("RenderSystem_D3D7::DrawIndexedPrimitive", result);
}

// ---------------------------------------------------------------------------------------------------
// Factories.

Camera* RenderSystem_D3D7::CreateCamera(std::uint32_t kind) {
  return new Camera_D3D7(this, kind);
}

Light* RenderSystem_D3D7::CreateLight(std::uint32_t index) {
  return new Light_D3D7(messages, this, index);
}

VertexBuffer* RenderSystem_D3D7::CreateVertexBuffer(std::uint32_t usage, std::uint32_t hasColour,
                                                    std::uint32_t vertexCount) {
  auto* buffer = new VertexBuffer_D3D7(this, usage, hasColour, vertexCount);
  if (hasColour == 1) {
    buffer->SetColour(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
  }
  return buffer;
}

VertexBuffer* RenderSystem_D3D7::CreateVertexBufferFromData(std::uint32_t usage, std::uint32_t hasColour,
                                                            VertexBuffer* source) {
  const std::uint32_t count = source->GetVertexCount();
  auto* buffer = new VertexBuffer_D3D7(this, usage, hasColour, count);
  std::uint8_t* target = buffer->Lock(0, count);
  const std::uint8_t* from = source->GetData();
  if ((buffer->HasColour() != 0) == (source->HasColour() != 0)) {
    std::memcpy(target, from, static_cast<std::size_t>(buffer->GetStride()) * count);
    buffer->Unlock();
  } else if (source->HasColour() != 0) {
    auto* plain = reinterpret_cast<Vertex*>(target);
    for (std::uint32_t i = 0; i < count; ++i) {
      ColouredVertex v;
      std::memcpy(&v, from + 36 * static_cast<std::size_t>(i), sizeof(v));
      plain[i] = Vertex{v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v};
    }
    buffer->Unlock();
  } else {
    auto* coloured = reinterpret_cast<ColouredVertex*>(target);
    for (std::uint32_t i = 0; i < count; ++i) {
      Vertex v;
      std::memcpy(&v, from + 32 * static_cast<std::size_t>(i), sizeof(v));
      coloured[i] = ColouredVertex{v.x, v.y, v.z, v.nx, v.ny, v.nz, 0xFFFFFFFFu, v.u, v.v};
    }
    buffer->Unlock();
    buffer->SetColour(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
  }
  return buffer;
}

VertexBuffer* RenderSystem_D3D7::CopyVertexBuffer(VertexBuffer* source) {
  const std::uint32_t count = source->GetVertexCount();
  auto* buffer = new VertexBuffer_D3D7(this, source->GetUsage(), source->HasColour(), count);
  std::memcpy(buffer->Lock(0, count), source->GetData(),
              static_cast<std::size_t>(source->GetStride()) * count);
  buffer->Unlock();
  return buffer;
}

IndexBuffer* RenderSystem_D3D7::CreateIndexBuffer(std::uint32_t usage, std::uint32_t capacity) {
  return new IndexBuffer_D3D7(this, usage, capacity);
}

IndexBuffer* RenderSystem_D3D7::CreateIndexBufferFromData(std::uint32_t usage, IndexBuffer* source) {
  auto* buffer = new IndexBuffer_D3D7(this, usage, source->GetCapacity());
  std::memcpy(buffer->Lock(0, source->GetCapacity()), source->GetData(),
              static_cast<std::size_t>(source->GetCapacity()) * source->GetIndexSize());
  buffer->Unlock();
  buffer->SetIndexCount(source->GetIndexCount());
  return buffer;
}

IndexBuffer* RenderSystem_D3D7::CopyIndexBuffer(IndexBuffer* source) {
  return CreateIndexBufferFromData(source->GetUsage(), source);
}

Texture2D* RenderSystem_D3D7::CreateTexture(TextureManager* textureManager, const std::string& key,
                                            Image* diffuse, Image* opacity, bool mipMapping) {
  return new Texture2D_D3D7(messages, config, this, textureManager, key, diffuse, opacity, mipMapping);
}

void RenderSystem_D3D7::CopyScreenToImage(Image* image) {
  if (image == nullptr || directDraw_ == nullptr || backBuffer_ == nullptr) {
    return;
  }
  DDSURFACEDESC2 description = *backBufferDescription_;
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  description.ddsCaps = {};
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  IDirectDrawSurface7* copy = nullptr;
  if (FAILED(directDraw_->CreateSurface(&description, &copy, nullptr))) {
    throw Error("Error creating temporary surface!");
  }
  HRESULT result = copy->Blt(nullptr, backBuffer_, nullptr, DDBLT_WAIT, nullptr);
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  if (SUCCEEDED(result)) {
    result = copy->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
  }
  if (FAILED(result)) {
    ReportError("RenderSystem_D3D7::CopyScreenToImage", result);
    copy->Release();
    return;
  }
  const DWORD width = locked.dwWidth;
  const DWORD height = locked.dwHeight;
  image->Create(messages, width, height, 24);
  std::uint8_t* pixels = image->GetPixels();
  const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
  auto channel = [](DWORD value, DWORD mask) -> std::uint8_t {
    if (mask == 0)
      return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
      ++shift;
    const DWORD bits = static_cast<DWORD>(__builtin_popcount(mask));
    const DWORD v = (value & mask) >> shift;
    return static_cast<std::uint8_t>(bits >= 8 ? v >> (bits - 8) : (v * 255u) / ((1u << bits) - 1u));
  };
  const DWORD bytes = format.dwRGBBitCount / 8;
  for (DWORD y = 0; y < height; ++y) {
    // The image's rows run bottom-up.
    const std::uint8_t* row =
        static_cast<const std::uint8_t*>(locked.lpSurface) + static_cast<std::size_t>(y) * locked.lPitch;
    std::uint8_t* out = pixels + static_cast<std::size_t>(height - 1 - y) * width * 3;
    for (DWORD x = 0; x < width; ++x) {
      DWORD value = 0;
      std::memcpy(&value, row + static_cast<std::size_t>(x) * bytes, bytes);
      out[3 * x + 0] = channel(value, format.dwRBitMask);
      out[3 * x + 1] = channel(value, format.dwGBitMask);
      out[3 * x + 2] = channel(value, format.dwBBitMask);
    }
  }
  copy->Unlock(nullptr);
  copy->Release();
}

void RenderSystem_D3D7::CopyImageToScreen(const Image& image) {
  if (image.IsEmpty() || image.GetWidth() == 0 || image.GetHeight() == 0 || directDraw_ == nullptr ||
      primary_ == nullptr || backBuffer_ == nullptr) {
    return;
  }
  Image converted;
  const Image* source = &image;
  if (image.GetBitsPerPixel() != 24) {
    converted.CopyFrom(image);  // not expected of a picture, but allowed
    converted.ConvertBitsPerPixel(24);
    source = &converted;
  }
  // A surface of the image's size with 8 bits a channel whatever the back buffer's depth, so that the
  // picture keeps its colours in a 16-bit mode (the device draws into 8-bit channels as well); the blit
  // stretches it over the screen.
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  description.dwWidth = source->GetWidth();
  description.dwHeight = source->GetHeight();
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  description.ddpfPixelFormat.dwFlags = DDPF_RGB;
  description.ddpfPixelFormat.dwRGBBitCount = 32;
  description.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
  description.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
  description.ddpfPixelFormat.dwBBitMask = 0x000000FF;
  IDirectDrawSurface7* copy = nullptr;
  HRESULT result = directDraw_->CreateSurface(&description, &copy, nullptr);
  if (FAILED(result)) {
    ReportError("RenderSystem_D3D7::CopyImageToScreen", result);
    return;
  }
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  result = copy->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  if (FAILED(result)) {
    ReportError("RenderSystem_D3D7::CopyImageToScreen", result);
    copy->Release();
    return;
  }
  const DWORD width = locked.dwWidth;
  const DWORD height = locked.dwHeight;
  const std::uint8_t* pixels = source->GetPixels();
  for (DWORD y = 0; y < height; ++y) {
    // The image's rows run bottom-up.
    const std::uint8_t* in = pixels + static_cast<std::size_t>(height - 1 - y) * width * 3;
    std::uint8_t* row =
        static_cast<std::uint8_t*>(locked.lpSurface) + static_cast<std::size_t>(y) * locked.lPitch;
    for (DWORD x = 0; x < width; ++x, in += 3, row += 4) {
      const std::uint32_t value =
          static_cast<std::uint32_t>(in[0]) << 16 | static_cast<std::uint32_t>(in[1]) << 8 | in[2];
      std::memcpy(row, &value, 4);
    }
  }
  copy->Unlock(nullptr);
  RECT destination = ClientAreaOnScreen();
  result = primary_->Blt(window->IsFullScreen() ? nullptr : &destination, copy, nullptr, DDBLT_WAIT, nullptr);
  if (FAILED(result)) {
    ReportError("RenderSystem_D3D7::CopyImageToScreen", result);
  }
  copy->Release();
}

}  // namespace CorvantisEngine
