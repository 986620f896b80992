#include "engine/render/Light_D3D7.h"

#include "engine/render/RenderSystem_D3D7.h"

namespace CorvantisEngine {

namespace {

D3DCOLORVALUE ColourValue(const Vector4& c) {
  D3DCOLORVALUE value{};
  value.r = c.x;
  value.g = c.y;
  value.b = c.z;
  value.a = c.w;
  return value;
}

D3DVECTOR VectorValue(const Vector3& v) {
  D3DVECTOR value{};
  value.x = v.x;
  value.y = v.y;
  value.z = v.z;
  return value;
}

}  // namespace

Light_D3D7::Light_D3D7(MessageManager* messages_, RenderSystem_D3D7* renderSystem, std::uint32_t index_)
    : Light(messages_, index_), renderSystem_(renderSystem), device_(renderSystem->GetDeviceLocation()) {}

Light_D3D7::~Light_D3D7() {
  DisableLight();
}

void Light_D3D7::DisableLight() {
  IDirect3DDevice7* device = *device_;
  if (device == nullptr) {
    return;
  }
  renderSystem_->ReportError("Light_D3D7::DisableLight", device->LightEnable(index, FALSE));
}

D3DLIGHT7 Light_D3D7::MakeDeviceRecord() const {
  D3DLIGHT7 record{};
  record.dvRange = range;
  record.dcvAmbient = ColourValue(ambient);
  record.dcvDiffuse = ColourValue(diffuse);
  record.dcvSpecular = ColourValue(specular);
  switch (type) {
    case kDirectional:
      record.dltType = D3DLIGHT_DIRECTIONAL;
      record.dvDirection = VectorValue(direction);
      break;
    case kSpot:
    case kPoint:
      record.dvAttenuation0 = constantAttenuation;
      record.dvAttenuation1 = linearAttenuation;
      record.dvAttenuation2 = quadraticAttenuation;
      record.dvPosition = VectorValue(position);
      if (type == kSpot) {
        record.dltType = D3DLIGHT_SPOT;
        record.dvDirection = VectorValue(direction);
        record.dvTheta = theta;
        record.dvPhi = phi;
        record.dvFalloff = 1.0f;
      } else {
        record.dltType = D3DLIGHT_POINT;
      }
      break;
    default:
      // An unknown type keeps kind 0, which the device refuses; Refresh reports it.
      break;
  }
  return record;
}

void Light_D3D7::Refresh() {
  IDirect3DDevice7* device = *device_;
  if (device == nullptr) {
    return;
  }
  if (!enabled) {
    DisableLight();
    return;
  }
  D3DLIGHT7 record = MakeDeviceRecord();
  const HRESULT result = device->SetLight(index, &record);
  renderSystem_->ReportError("Light_D3D7::Refresh", result);
  if (FAILED(result)) {
    // The slot would otherwise light the scene with its previous record (or the device's default
    // white light when it never had one): keep it dark instead.
    renderSystem_->ReportError("Light_D3D7::Refresh", device->LightEnable(index, FALSE));
    return;
  }
  renderSystem_->ReportError("Light_D3D7::Refresh", device->LightEnable(index, TRUE));
}

}  // namespace CorvantisEngine
