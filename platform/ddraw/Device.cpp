// The Direct3D device: its state block with Direct3D's defaults, validation, and the hand-over of
// clears and draws to the display driver.
#include <algorithm>
#include <cstring>

#include "platform/ddraw/DDraw_Local.h"

namespace platform::ddraw {

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

DWORD VertexStride(DWORD fvf) {
  DWORD stride = 0;
  if ((fvf & D3DFVF_XYZ) != 0)
    stride += 12;
  if ((fvf & D3DFVF_XYZRHW) != 0)
    stride += 16;
  if ((fvf & D3DFVF_NORMAL) != 0)
    stride += 12;
  if ((fvf & D3DFVF_DIFFUSE) != 0)
    stride += 4;
  if ((fvf & D3DFVF_SPECULAR) != 0)
    stride += 4;
  stride += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  return stride;
}

DeviceState::DeviceState() {
  std::fill(std::begin(renderStates), std::end(renderStates), 0u);
  renderStates[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = TRUE;
  renderStates[D3DRENDERSTATE_ZENABLE] = D3DZB_FALSE;
  renderStates[D3DRENDERSTATE_FILLMODE] = D3DFILL_SOLID;
  renderStates[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
  renderStates[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
  renderStates[D3DRENDERSTATE_ALPHATESTENABLE] = FALSE;
  renderStates[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
  renderStates[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
  renderStates[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
  renderStates[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates[D3DRENDERSTATE_ALPHAREF] = 0;
  renderStates[D3DRENDERSTATE_ALPHAFUNC] = D3DCMP_ALWAYS;
  renderStates[D3DRENDERSTATE_STENCILENABLE] = FALSE;
  renderStates[D3DRENDERSTATE_STENCILFAIL] = D3DSTENCILOP_KEEP;
  renderStates[D3DRENDERSTATE_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  renderStates[D3DRENDERSTATE_STENCILPASS] = D3DSTENCILOP_KEEP;
  renderStates[D3DRENDERSTATE_STENCILFUNC] = D3DCMP_ALWAYS;
  renderStates[D3DRENDERSTATE_STENCILREF] = 0;
  renderStates[D3DRENDERSTATE_STENCILMASK] = 0xFFFFFFFFu;
  renderStates[D3DRENDERSTATE_STENCILWRITEMASK] = 0xFFFFFFFFu;
  renderStates[D3DRENDERSTATE_TEXTUREFACTOR] = 0xFFFFFFFFu;
  renderStates[D3DRENDERSTATE_CLIPPING] = TRUE;
  renderStates[D3DRENDERSTATE_LIGHTING] = TRUE;
  renderStates[D3DRENDERSTATE_AMBIENT] = 0;
  renderStates[D3DRENDERSTATE_COLORVERTEX] = TRUE;
  renderStates[D3DRENDERSTATE_LOCALVIEWER] = TRUE;
  renderStates[D3DRENDERSTATE_NORMALIZENORMALS] = FALSE;
  renderStates[D3DRENDERSTATE_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  renderStates[D3DRENDERSTATE_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  renderStates[D3DRENDERSTATE_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  renderStates[D3DRENDERSTATE_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  for (DWORD stage = 0; stage < kD3DMaxTextureStages; ++stage) {
    DWORD* s = stageStates[stage];
    std::fill(s, s + kD3DTextureStageStateCount, 0u);
    s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = stage;
    s[D3DTSS_ADDRESS] = D3DTADDRESS_WRAP;
    s[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DTSS_MAGFILTER] = D3DTFG_POINT;
    s[D3DTSS_MINFILTER] = D3DTFN_POINT;
    s[D3DTSS_MIPFILTER] = D3DTFP_NONE;
    s[D3DTSS_MAXANISOTROPY] = 1;
    s[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    textureTransforms[stage] = IdentityMatrix();
  }
  world = view = projection = IdentityMatrix();
  viewport.dvMaxZ = 1.0f;
}

D3DDEVICEDESC7 DescribeDevice(bool hardware) {
  D3DDEVICEDESC7 d{};
  d.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                D3DDEVCAPS_DRAWPRIMITIVES2;
  if (hardware) {
    d.dwDevCaps |=
        D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_TEXTUREVIDEOMEMORY;
  }
  for (D3DPRIMCAPS* caps : {&d.dpcLineCaps, &d.dpcTriCaps}) {
    caps->dwSize = sizeof(D3DPRIMCAPS);
    caps->dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_ANISOTROPY;
    caps->dwZCmpCaps = 0xFF;
    caps->dwSrcBlendCaps = 0x1FFF;
    caps->dwDestBlendCaps = 0x1FFF;
    caps->dwAlphaCmpCaps = 0xFF;
    caps->dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR |
                                D3DPTFILTERCAPS_MIPNEAREST | D3DPTFILTERCAPS_MIPLINEAR |
                                D3DPTFILTERCAPS_LINEARMIPNEAREST | D3DPTFILTERCAPS_LINEARMIPLINEAR;
    caps->dwTextureAddressCaps = 0x0F;
  }
  d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
  d.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_32;
  d.dwMinTextureWidth = 1;
  d.dwMinTextureHeight = 1;
  d.dwMaxTextureWidth = kMaxTextureSize;
  d.dwMaxTextureHeight = kMaxTextureSize;
  d.dwMaxTextureRepeat = 8192;
  d.dwMaxTextureAspectRatio = kMaxTextureSize;
  d.dwMaxAnisotropy = kMaxAnisotropy;
  d.dvGuardBandLeft = -8192.0f;
  d.dvGuardBandTop = -8192.0f;
  d.dvGuardBandRight = 8192.0f;
  d.dvGuardBandBottom = 8192.0f;
  d.dwStencilCaps = 0xFF;
  d.dwFVFCaps = 8;
  d.dwTextureOpCaps = 0xFFFF;
  d.wMaxTextureBlendStages = kTextureStages;
  d.wMaxSimultaneousTextures = kTextureStages;
  d.dwMaxActiveLights = kMaxActiveLights;
  d.dvMaxVertexW = 1.0e10f;
  d.deviceGUID = hardware ? IID_IDirect3DTnLHalDevice : IID_IDirect3DRGBDevice;
  d.wMaxUserClipPlanes = 0;
  d.wMaxVertexBlendMatrices = 0;
  return d;
}

Device::Device(Direct3D* direct3D, Surface* renderTarget, bool hardware)
    : direct3D_(direct3D), hardware_(hardware) {
  CountObject(1);
  direct3D_->AddRef();
  renderTarget->AddRef();
  state_.renderTarget = renderTarget;
  Surface* depth = renderTarget->AttachedWithCaps(DDSCAPS_ZBUFFER);
  state_.hasDepth = depth != nullptr;
  state_.hasStencil = depth != nullptr && depth->Format().dwStencilBitDepth != 0;
  state_.renderStates[D3DRENDERSTATE_ZENABLE] = state_.hasDepth ? D3DZB_TRUE : D3DZB_FALSE;
  state_.viewport = {0, 0, renderTarget->Width(), renderTarget->Height(), 0.0f, 1.0f};
}

Device::~Device() {
  Driver().CloseDevice();
  for (Surface*& texture : state_.textures) {
    if (texture != nullptr) {
      texture->Release();
      texture = nullptr;
    }
  }
  state_.renderTarget->Release();
  direct3D_->Release();
  CountObject(-1);
}

DisplayDriver& Device::Driver() {
  return direct3D_->Owner().Driver();
}

HRESULT Device::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (ppvObj == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (riid == IID_IDirect3DDevice7 || riid == IID_IUnknown) {
    AddRef();
    *ppvObj = static_cast<IDirect3DDevice7*>(this);
    return D3D_OK;
  }
  *ppvObj = nullptr;
  return E_NOINTERFACE;
}

ULONG Device::AddRef() {
  return ++references_;
}

ULONG Device::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT Device::GetCaps(LPD3DDEVICEDESC7 desc) {
  if (desc == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *desc = DescribeDevice(hardware_);
  return D3D_OK;
}

HRESULT Device::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) {
  if (callback == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  for (DDPIXELFORMAT format :
       {FormatARGB8888(), FormatXRGB8888(), FormatRGB565(), FormatARGB1555(), FormatARGB4444()}) {
    if (callback(&format, context) == D3DENUMRET_CANCEL) {
      break;
    }
  }
  return D3D_OK;
}

HRESULT Device::BeginScene() {
  if (state_.inScene) {
    return D3DERR_SCENE_IN_SCENE;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::BeginScene, nullptr);
  if (fault == DDERR_SURFACELOST) {
    state_.renderTarget->Core().MarkAllLost();
  }
  if (fault != DD_OK) {
    return fault;
  }
  if (state_.renderTarget->Lost()) {
    return DDERR_SURFACELOST;
  }
  Driver().RecordCall("BeginScene");
  state_.inScene = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!state_.inScene) {
    return D3DERR_SCENE_NOT_IN_SCENE;
  }
  state_.inScene = false;
  const HRESULT fault = Driver().CheckStep(DisplayStep::EndScene, nullptr);
  if (fault == DDERR_SURFACELOST) {
    state_.renderTarget->Core().MarkAllLost();
  }
  if (fault != DD_OK) {
    return fault;
  }
  Driver().RecordCall("EndScene");
  return state_.renderTarget->Lost() ? DDERR_SURFACELOST : D3D_OK;
}

HRESULT Device::GetDirect3D(LPDIRECT3D7* out) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  direct3D_->AddRef();
  *out = direct3D_;
  return D3D_OK;
}

HRESULT Device::SetRenderTarget(LPDIRECTDRAWSURFACE7 target, DWORD) {
  auto* surface = static_cast<Surface*>(target);
  if (surface == nullptr || (surface->Caps() & DDSCAPS_3DDEVICE) == 0) {
    return DDERR_INVALIDPARAMS;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::SetRenderTarget, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  const HRESULT opened = Driver().OpenDevice(*surface);
  if (opened != DD_OK) {
    return opened;
  }
  surface->AddRef();
  state_.renderTarget->Release();
  state_.renderTarget = surface;
  Surface* depth = surface->AttachedWithCaps(DDSCAPS_ZBUFFER);
  state_.hasDepth = depth != nullptr;
  state_.hasStencil = depth != nullptr && depth->Format().dwStencilBitDepth != 0;
  state_.viewport = {0, 0, surface->Width(), surface->Height(), 0.0f, 1.0f};
  ++state_.viewportSerial;
  ++state_.targetSerial;
  ++state_.renderStateSerial;
  Driver().RecordCall("SetRenderTarget");
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(LPDIRECTDRAWSURFACE7* out) {
  if (out == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  state_.renderTarget->AddRef();
  *out = state_.renderTarget;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD dwCount, LPRECT lpRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ,
                      DWORD dwStencil) {
  if ((dwCount != 0 && lpRects == nullptr) ||
      (dwFlags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0) {
    return DDERR_INVALIDPARAMS;
  }
  if ((dwFlags & D3DCLEAR_ZBUFFER) != 0 && !state_.hasDepth) {
    return D3DERR_ZBUFFER_NOTPRESENT;
  }
  if ((dwFlags & D3DCLEAR_STENCIL) != 0 && !state_.hasStencil) {
    return D3DERR_STENCILBUFFER_NOTPRESENT;
  }
  if (state_.renderTarget->Lost()) {
    return DDERR_SURFACELOST;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::Clear, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  Driver().RecordCall("Clear", dwFlags, dwColor, dwStencil);
  return Driver().Clear(state_, dwFlags, dwColor, std::clamp(dvZ, 0.0f, 1.0f), dwStencil);
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) {
  if (matrix == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::SetTransform, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  if (type == D3DTRANSFORMSTATE_WORLD) {
    state_.world = *matrix;
  } else if (type == D3DTRANSFORMSTATE_VIEW) {
    state_.view = *matrix;
  } else if (type == D3DTRANSFORMSTATE_PROJECTION) {
    state_.projection = *matrix;
  } else if (type >= D3DTRANSFORMSTATE_TEXTURE0 && type <= D3DTRANSFORMSTATE_TEXTURE7) {
    state_.textureTransforms[type - D3DTRANSFORMSTATE_TEXTURE0] = *matrix;
    ++state_.textureTransformSerial;
    Driver().RecordCall("SetTransform", type);
    return D3D_OK;
  } else {
    return DDERR_INVALIDPARAMS;
  }
  ++state_.transformSerial;
  Driver().RecordCall("SetTransform", type);
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) {
  if (matrix == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (type == D3DTRANSFORMSTATE_WORLD) {
    *matrix = state_.world;
  } else if (type == D3DTRANSFORMSTATE_VIEW) {
    *matrix = state_.view;
  } else if (type == D3DTRANSFORMSTATE_PROJECTION) {
    *matrix = state_.projection;
  } else if (type >= D3DTRANSFORMSTATE_TEXTURE0 && type <= D3DTRANSFORMSTATE_TEXTURE7) {
    *matrix = state_.textureTransforms[type - D3DTRANSFORMSTATE_TEXTURE0];
  } else {
    return DDERR_INVALIDPARAMS;
  }
  return D3D_OK;
}

HRESULT Device::SetViewport(LPD3DVIEWPORT7 viewport) {
  if (viewport == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  const Surface& target = *state_.renderTarget;
  if (viewport->dwWidth == 0 || viewport->dwHeight == 0 ||
      static_cast<std::uint64_t>(viewport->dwX) + viewport->dwWidth > target.Width() ||
      static_cast<std::uint64_t>(viewport->dwY) + viewport->dwHeight > target.Height() ||
      viewport->dvMinZ < 0.0f || viewport->dvMaxZ > 1.0f || viewport->dvMinZ > viewport->dvMaxZ) {
    return DDERR_INVALIDPARAMS;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::SetViewport, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  state_.viewport = *viewport;
  ++state_.viewportSerial;
  Driver().RecordCall("SetViewport", viewport->dwWidth, viewport->dwHeight);
  return D3D_OK;
}

HRESULT Device::GetViewport(LPD3DVIEWPORT7 viewport) {
  if (viewport == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *viewport = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetMaterial(LPD3DMATERIAL7 material) {
  if (material == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  state_.material = *material;
  ++state_.materialSerial;
  Driver().RecordCall("SetMaterial");
  return D3D_OK;
}

HRESULT Device::GetMaterial(LPD3DMATERIAL7 material) {
  if (material == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  *material = state_.material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, LPD3DLIGHT7 light) {
  if (light == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  if (light->dltType < D3DLIGHT_POINT || light->dltType > D3DLIGHT_DIRECTIONAL || light->dvRange < 0.0f ||
      light->dvRange > D3DLIGHT_RANGE_MAX) {
    return DDERR_INVALIDPARAMS;
  }
  if (light->dltType == D3DLIGHT_SPOT && (light->dvTheta < 0.0f || light->dvPhi < light->dvTheta)) {
    return DDERR_INVALIDPARAMS;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::SetLight, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  state_.lights[index].light = *light;
  ++state_.lightSerial;
  Driver().RecordCall("SetLight", index, light->dltType);
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, LPD3DLIGHT7 light) {
  if (light == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) {
    return DDERR_INVALIDPARAMS;
  }
  *light = it->second.light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) {
    if (!enable) {
      Driver().RecordCall("LightEnable", index, 0);
      return D3D_OK;
    }
    // Enabling a light never set gives Direct3D's default: white, directional, along +z.
    LightSlot slot;
    slot.light.dltType = D3DLIGHT_DIRECTIONAL;
    slot.light.dcvDiffuse.r = slot.light.dcvDiffuse.g = slot.light.dcvDiffuse.b = 1.0f;
    slot.light.dvDirection.z = 1.0f;
    it = state_.lights.emplace(index, slot).first;
  }
  if (enable && !it->second.enabled) {
    DWORD on = 0;
    for (const auto& [i, slot] : state_.lights) {
      on += slot.enabled ? 1 : 0;
    }
    if (on >= kMaxActiveLights) {
      return D3DERR_LIGHT_SET_FAILED;
    }
  }
  it->second.enabled = enable != FALSE;
  ++state_.lightSerial;
  Driver().RecordCall("LightEnable", index, enable ? 1 : 0);
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enabled) {
  if (enabled == nullptr) {
    return DDERR_INVALIDPARAMS;
  }
  auto it = state_.lights.find(index);
  if (it == state_.lights.end()) {
    return DDERR_INVALIDPARAMS;
  }
  *enabled = it->second.enabled ? TRUE : FALSE;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
  if (type == 0 || type >= kD3DRenderStateCount) {
    return DDERR_INVALIDPARAMS;
  }
  state_.renderStates[type] = value;
  ++state_.renderStateSerial;
  Driver().RecordCall("SetRenderState", type, value);
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, LPDWORD value) {
  if (value == nullptr || type == 0 || type >= kD3DRenderStateCount) {
    return DDERR_INVALIDPARAMS;
  }
  *value = state_.renderStates[type];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) {
  if (stage >= kD3DMaxTextureStages) {
    return DDERR_INVALIDPARAMS;
  }
  auto* surface = static_cast<Surface*>(texture);
  if (surface != nullptr && !surface->IsTexture()) {
    return DDERR_INVALIDPARAMS;
  }
  if (surface != nullptr) {
    surface->AddRef();
  }
  if (state_.textures[stage] != nullptr) {
    state_.textures[stage]->Release();
  }
  state_.textures[stage] = surface;
  ++state_.textureSerial;
  Driver().RecordCall("SetTexture", stage, surface != nullptr ? 1 : 0);
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, LPDIRECTDRAWSURFACE7* out) {
  if (out == nullptr || stage >= kD3DMaxTextureStages) {
    return DDERR_INVALIDPARAMS;
  }
  *out = state_.textures[stage];
  if (*out != nullptr) {
    (*out)->AddRef();
  }
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kD3DMaxTextureStages || type == 0 || type >= kD3DTextureStageStateCount) {
    return DDERR_INVALIDPARAMS;
  }
  state_.stageStates[stage][type] = value;
  if (type == D3DTSS_ADDRESS) {
    state_.stageStates[stage][D3DTSS_ADDRESSU] = value;
    state_.stageStates[stage][D3DTSS_ADDRESSV] = value;
  }
  ++state_.stageSerial;
  Driver().RecordCall("SetTextureStageState", stage, type, value);
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, LPDWORD value) {
  if (value == nullptr || stage >= kD3DMaxTextureStages || type == 0 || type >= kD3DTextureStageStateCount) {
    return DDERR_INVALIDPARAMS;
  }
  *value = state_.stageStates[stage][type];
  return D3D_OK;
}

HRESULT Device::Draw(const DrawCall& call) {
  if (!state_.inScene) {
    return D3DERR_SCENE_NOT_IN_SCENE;
  }
  if (call.primitiveType < D3DPT_POINTLIST || call.primitiveType > D3DPT_TRIANGLEFAN) {
    return D3DERR_INVALIDPRIMITIVETYPE;
  }
  if ((call.vertexFormat & (D3DFVF_XYZ | D3DFVF_XYZRHW)) == 0 || call.stride == 0) {
    return D3DERR_INVALIDVERTEXFORMAT;
  }
  if (call.vertices == nullptr || call.vertexCount == 0) {
    return DDERR_INVALIDPARAMS;
  }
  if (state_.renderTarget->Lost()) {
    return DDERR_SURFACELOST;
  }
  const HRESULT fault = Driver().CheckStep(DisplayStep::DrawIndexedPrimitive, nullptr);
  if (fault != DD_OK) {
    return fault;
  }
  Driver().RecordCall("DrawIndexedPrimitive", call.primitiveType, call.vertexFormat, call.indexCount);
  return Driver().Draw(state_, call);
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD vertexCount, DWORD) {
  DrawCall call;
  call.primitiveType = type;
  call.vertexFormat = fvf;
  call.stride = VertexStride(fvf);
  call.vertices = static_cast<const std::uint8_t*>(vertices);
  call.vertexCount = vertexCount;
  call.indexCount = vertexCount;
  return Draw(call);
}

namespace {

// Indices that reach past the vertices would read outside the caller's array.
template <typename Index>
bool IndicesInRange(const Index* indices, DWORD count, DWORD vertexCount) {
  Index largest = 0;
  for (DWORD i = 0; i < count; ++i) {
    largest = std::max(largest, indices[i]);
  }
  return count == 0 || static_cast<DWORD>(largest) < vertexCount;
}

}  // namespace

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD vertexCount,
                                     LPWORD indices, DWORD indexCount, DWORD) {
  if (indices == nullptr || !IndicesInRange(indices, indexCount, vertexCount)) {
    return DDERR_INVALIDPARAMS;
  }
  DrawCall call;
  call.primitiveType = type;
  call.vertexFormat = fvf;
  call.stride = VertexStride(fvf);
  call.vertices = static_cast<const std::uint8_t*>(vertices);
  call.vertexCount = vertexCount;
  call.indices = indices;
  call.indexCount = indexCount;
  return Draw(call);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, LPVOID vertices, DWORD vertexCount,
                                     LPDWORD indices, DWORD indexCount, DWORD) {
  if (indices == nullptr || !IndicesInRange(indices, indexCount, vertexCount)) {
    return DDERR_INVALIDPARAMS;
  }
  DrawCall call;
  call.primitiveType = type;
  call.vertexFormat = fvf;
  call.stride = VertexStride(fvf);
  call.vertices = static_cast<const std::uint8_t*>(vertices);
  call.vertexCount = vertexCount;
  call.indices = indices;
  call.wideIndices = true;
  call.indexCount = indexCount;
  return Draw(call);
}

}  // namespace platform::ddraw
