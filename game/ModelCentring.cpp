#include "game/ModelCentring.h"

#include "engine/core/Matrix4.h"
#include "engine/resources/Model.h"

namespace Puzzle {

void CentreModelOnOrigin(CorvantisEngine::Model* model) {
  if (model == nullptr) {
    return;
  }
  CorvantisEngine::Matrix4 centring;
  centring.Translation(model->box.centre * -1.0f);
  model->baseTransform = centring * model->world;
  model->world = model->baseTransform;
  model->box.SetMatrix(model->world);
}

}  // namespace Puzzle
