#include "game/Carriage.h"

#include "engine/Engine.h"
#include "engine/core/Matrix4.h"
#include "engine/gui/GUIManager.h"
#include "engine/gui/GUIWindow.h"
#include "engine/resources/Model.h"
#include "game/ModelCentring.h"
#include "tools/game/DataKeeper.h"

namespace Puzzle {

using CorvantisEngine::Matrix4;
using CorvantisEngine::Vector2;
using CorvantisEngine::Vector3;
using CorvantisEngine::Vector4;

Carriage::Carriage(CorvantisEngine::Engine* engine, GameTools::DataKeeper* dataKeeper,
                   CorvantisEngine::GUIWindow* parent)
    : gui(engine->GetGUIManager()) {
  window = gui->CreateModelWindow(CorvantisEngine::kGUIColoured, Vector2{0, 0}, Vector2{1, 1},
                                  dataKeeper->GetModel("carriage/model"), parent);
  window->SetLayer(kLayer);
  window->autoPlacement = 0;
  model = window->model;
  CentreModelOnOrigin(model);
}

Carriage::~Carriage() {
  gui->DestroyWindow(window);
}

bool Carriage::IsVisible() const {
  return (window->state & CorvantisEngine::kGUIShown) != 0;
}

void Carriage::SetVisible(bool visible) {
  if (visible) {
    window->SetState(CorvantisEngine::kGUIShown);
  } else {
    window->ClearState(CorvantisEngine::kGUIShown);
  }
}

void Carriage::SetAlpha(float alpha) {
  window->SetColour(Vector4{1, 1, 1, alpha});
}

void Carriage::SetPosition(const Vector2& value) {
  position = value;
  Place();
}

void Carriage::SetScale(float value) {
  scale = value;
  Place();
}

void Carriage::SetRotation(float value) {
  rotation = value;
  Place();
}

void Carriage::Place() {
  if (model == nullptr) {
    return;
  }
  Matrix4 translation;
  translation.Translation(Vector3{position.x, position.y, 0.0f});
  Matrix4 turn;
  turn.RotationZ(rotation);
  model->world =
      translation * Matrix4::MakeScaling(Vector3{scale, scale, 1.0f}) * turn * model->baseTransform;
  model->box.SetMatrix(model->world);
}

}  // namespace Puzzle
