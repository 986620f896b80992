#include "engine/gui/GUICursor.h"

#include "engine/core/Matrix4.h"
#include "engine/gui/GUIQuad.h"
#include "engine/input/Controls.h"
#include "engine/render/Camera.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/window/Window.h"

namespace CorvantisEngine {

GUICursor::GUICursor(MessageManager* log_, Window* window_, ModelManager* modelManager_, Controls* controls_,
                     Camera* camera_, const ShaderDescriptor* texture, float side)
    : log(log_), window(window_), modelManager(modelManager_), controls(controls_), camera(camera_) {
  if (modelManager != nullptr) {
    model = modelManager->CreateModel(kQuadFlags, 4, 4, 1, texture, camera);
  }
  if (model == nullptr) {
    return;
  }
  model->depth = kDepth;
  const float s = side;
  FillGUIQuad(*model, {{s, -s, 1, 0}, {s, 0, 1, 1}, {0, -s, 0, 0}, {0, 0, 0, 1}});
  model->baseTransform = model->world;
}

GUICursor::GUICursor(MessageManager* log_, Window* window_, ModelManager* modelManager_, Controls* controls_,
                     Camera* camera_, Model* prototype)
    : log(log_), window(window_), modelManager(modelManager_), controls(controls_), camera(camera_) {
  if (modelManager == nullptr || prototype == nullptr) {
    return;
  }
  model = modelManager->CloneModel(*prototype, nullptr, 0);
  if (model == nullptr) {
    return;
  }
  model->SetFlags(0xC00);
  model->ClearFlags(0x400C0);
  model->SetCamera(camera);
  model->depth = kDepth;
  model->baseTransform = model->world;
}

GUICursor::~GUICursor() {
  if (model != nullptr && modelManager != nullptr) {
    modelManager->DestroyModel(model);
  }
}

void GUICursor::Update() {
  if (controls == nullptr || window == nullptr || camera == nullptr) {
    return;
  }
  const float w = static_cast<float>(window->GetWidth());
  const float h = static_cast<float>(window->GetHeight());
  if (w <= 0.0f || h <= 0.0f) {
    return;
  }
  const Vector2 client = controls->GetCursorPosition();
  position = {client.x * camera->width / w, (h - client.y - 1.0f) * camera->height / h};
}

void GUICursor::Render() {
  if (model == nullptr) {
    return;
  }
  Matrix4 translation;
  translation.Translation(Vector3(position.x, position.y, 0.0f));
  model->world = translation * model->baseTransform;
  model->box.SetMatrix(model->world);
  if (visible != 0) {
    model->SetFlags(0x40000);
  } else {
    model->ClearFlags(0x40000);
  }
}

}  // namespace CorvantisEngine
