#include "engine/render/Camera_D3D7.h"

#include <cmath>
#include <cstring>

#include "engine/render/RenderSystem_D3D7.h"

namespace CorvantisEngine {

namespace {

Matrix4 Zeros() {
  Matrix4 m;
  std::memset(m.m, 0, sizeof(m.m));
  return m;
}

}  // namespace

Camera_D3D7::Camera_D3D7(RenderSystem_D3D7* renderSystem, std::uint32_t kind_)
    : Camera(kind_), renderSystem_(renderSystem), device_(renderSystem->GetDeviceLocation()) {
  const Matrix4 identity;
  std::memcpy(deviceProjection, identity.m, sizeof(deviceProjection));
  std::memcpy(deviceZBiasedProjection, identity.m, sizeof(deviceZBiasedProjection));
}

Camera_D3D7::~Camera_D3D7() = default;

void Camera_D3D7::Update(float aspect) {
  if (IsPerspective()) {
    UpdatePerspective();
  } else {
    UpdateOrthographic();
  }
  UpdateView();
  Camera::Update(aspect);
}

void Camera_D3D7::UpdatePerspective() {
  const float n = nearClip;
  const float f = farClip;
  const float a = kAspect;
  const float h = n * std::tan(a * fieldOfView * 0.25f);
  const float r = h * a;
  const float l = -r;
  const float t = h;
  const float b = -h;

  // Device form: depth 0 at the near plane, 1 at the far plane, w = view-space depth.
  projection = Zeros();
  projection.m[0] = 2.0f * n / (r - l);
  projection.m[5] = 2.0f * n / (t - b);
  projection.m[8] = (r + l) / (l - r);
  projection.m[9] = (t + b) / (b - t);
  projection.m[10] = f / (f - n);
  projection.m[14] = f * n / (n - f);
  projection.m[11] = 1.0f;
  std::memcpy(deviceProjection, projection.m, sizeof(deviceProjection));

  const float fb = f + 1.0f;
  zBiasedProjection = projection;
  zBiasedProjection.m[10] = fb / (fb - n);
  zBiasedProjection.m[14] = fb * n / (n - fb);
  std::memcpy(deviceZBiasedProjection, zBiasedProjection.m, sizeof(deviceZBiasedProjection));

  // Engine form (depth -1..1) for the frustum and unprojection.
  projection = Zeros();
  projection.m[0] = 2.0f * n / (r - l);
  projection.m[5] = 2.0f * n / (t - b);
  projection.m[8] = (r + l) / (r - l);
  projection.m[9] = (t + b) / (t - b);
  projection.m[10] = -(f + n) / (f - n);
  projection.m[14] = -2.0f * f * n / (f - n);
  projection.m[11] = -1.0f;
}

void Camera_D3D7::UpdateOrthographic() {
  const float n = nearClip;
  const float f = farClip;
  const float l = 0.0f;
  const float r = width;
  const float b = 0.0f;
  const float t = height;

  // With near beyond far (the GUI's 500 and -500) element 10 is positive and depth 0 maps to 0.5.
  projection = Zeros();
  projection.m[0] = 2.0f / (r - l);
  projection.m[5] = 2.0f / (t - b);
  projection.m[10] = 1.0f / (n - f);
  projection.m[12] = -(r + l) / (r - l);
  projection.m[13] = -(t + b) / (t - b);
  projection.m[14] = n / (n - f);
  projection.m[15] = 1.0f;
  std::memcpy(deviceProjection, projection.m, sizeof(deviceProjection));

  const float fb = f + 1.0f;
  zBiasedProjection = projection;
  zBiasedProjection.m[10] = 1.0f / (n - fb);
  zBiasedProjection.m[14] = n / (n - fb);
  std::memcpy(deviceZBiasedProjection, zBiasedProjection.m, sizeof(deviceZBiasedProjection));

  projection = Zeros();
  projection.m[0] = 2.0f / (r - l);
  projection.m[5] = 2.0f / (t - b);
  projection.m[10] = -2.0f / (f - n);
  projection.m[12] = -(r + l) / (r - l);
  projection.m[13] = -(t + b) / (t - b);
  projection.m[14] = -(f + n) / (f - n);
  projection.m[15] = 1.0f;
}

void Camera_D3D7::UpdateView() {
  // The inverse of the camera transform (rotate by the orientation, then move to the position): the
  // transposed rotation after the negated translation, built in the engine's column layout and then
  // transposed into the device's row layout.
  orientation.ToMatrix(view);
  view.Transpose();
  Matrix4 translation;
  translation.Translation(-position);
  view = view * translation;
  view.Transpose();
}

void Camera_D3D7::Apply() {
  ApplyWith(deviceProjection, "Camera_D3D7::Apply");
}

void Camera_D3D7::ApplyZBiased() {
  ApplyWith(deviceZBiasedProjection, "Camera_D3D7::ApplyZBiased");
}

void Camera_D3D7::ApplyWith(const float* deviceMatrix, const char* method) {
  IDirect3DDevice7* device = *device_;
  if (device != nullptr) {
    D3DMATRIX matrix;
    static_assert(sizeof(matrix) == 16 * sizeof(float));
    std::memcpy(&matrix, deviceMatrix, sizeof(matrix));
    renderSystem_->ReportError(method, device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &matrix));
  }
  // The view is already in the device's layout; the render system's cache passes it on as it is.
  renderSystem_->SetViewMatrix(view);
}

}  // namespace CorvantisEngine
