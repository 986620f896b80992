#include "engine/render/Camera.h"

namespace CorvantisEngine {

Camera::Camera(std::uint32_t kind_) : kind(kind_), frustum(std::make_unique<Frustum>()) {}

Camera::~Camera() = default;

void Camera::Update(float aspect) {
  // The rows of the view's rotation (its columns in this layout) are the camera's axes.
  right = Vector3(view.m[0], view.m[4], view.m[8]);
  up = Vector3(view.m[1], view.m[5], view.m[9]);
  direction = Vector3(view.m[2], view.m[6], view.m[10]);
  direction.Normalize(1.0f);
  frustum->Update(projection, view);
}

}  // namespace CorvantisEngine
