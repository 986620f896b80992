#include "engine/resources/ModelManager.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "engine/core/Error.h"
#include "engine/render/RenderSystem.h"

namespace CorvantisEngine {

namespace {

// depth + depthBias, with NaN placed after everything (never breaking the sort's ordering).
float SortKey(const Model* model) {
  const float key = model->depth + model->depthBias;
  return std::isnan(key) ? std::numeric_limits<float>::infinity() : key;
}

}  // namespace

ModelManager::ModelManager(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
                           RenderSystem* renderSystem, CameraManager* cameraManager,
                           LightManager* lightManager, ShaderManager* shaderManager) {
  services_.log = log;
  services_.fileManager = fileManager;
  services_.timerManager = timerManager;
  services_.renderSystem = renderSystem;
  services_.cameraManager = cameraManager;
  services_.lightManager = lightManager;
  services_.shaderManager = shaderManager;
}

ModelManager::~ModelManager() {
  listA_.clear();
  listA_.shrink_to_fit();
  listB_.clear();
  listB_.shrink_to_fit();
  // models_ deletes every registered model when it goes.
}

Model* ModelManager::Register(Model* model) {
  models_.AddObject(model);
  return model;
}

Model* ModelManager::CreateModel(std::uint32_t flags, std::uint32_t vertexCount, std::uint32_t indexCount,
                                 std::uint32_t frameCount, const ShaderDescriptor* descriptor,
                                 Camera* camera) {
  return Register(new Model(services_, flags, vertexCount, indexCount, frameCount, descriptor, camera));
}

Model* ModelManager::CreateModelFromFile(const std::string& fileName, Camera* camera,
                                         std::uint32_t extraFlags) {
  return Register(LoadModel(fileName, camera, extraFlags));
}

Model* ModelManager::CloneModel(const Model& source, Camera* camera, std::uint32_t extraFlags) {
  return Register(new Model(source, camera, extraFlags));
}

Model* ModelManager::NewBoxModel(const Vector3& a, const Vector3& b, const ShaderDescriptor* descriptor,
                                 Camera* camera, std::uint32_t extraFlags) {
  return new Model(services_, a, b, descriptor, camera, extraFlags);
}

Model* ModelManager::LoadModel(const std::string& fileName, Camera* camera, std::uint32_t extraFlags) {
  try {
    return new Model(services_, fileName, camera, extraFlags);
  } catch (const Error&) {
    // The reader has logged the reason; the box keeps the caller's object visible and named.
    Model* box = new Model(services_, Vector3(-1.0f, -1.0f, -1.0f), Vector3(1.0f, 1.0f, 1.0f), nullptr,
                           camera, extraFlags);
    box->name = fileName;
    return box;
  }
}

Model* ModelManager::NewModelCopy(const Model& source, Camera* camera, std::uint32_t extraFlags) {
  return new Model(source, camera, extraFlags);
}

void ModelManager::DestroyModel(Model* model) {
  if (models_.RemoveObject(model)) {
    delete model;
  }
}

std::size_t ModelManager::FrontCover(const std::vector<DrawEntry>& list) {
  for (std::size_t i = list.size(); i-- > 0;) {
    if (list[i].model->coversView) {
      return i;
    }
  }
  return list.size();
}

void ModelManager::Render() {
  visibleModelCount = 0;
  drawnModelCount = 0;
  drawnPrimitiveCount = 0;
  RenderSystem* renderSystem = services_.renderSystem;
  if (!renderSystem->IsReady()) {
    return;
  }

  listA_.clear();
  listB_.clear();
  const std::size_t slots = models_.objects.size();
  if (listA_.capacity() < slots) {
    listA_.reserve(slots);
  }
  if (listB_.capacity() < slots) {
    listB_.reserve(slots);
  }

  std::uint32_t order = 0;
  for (Model* model : models_.objects) {
    if (model == nullptr) {
      continue;
    }
    ++order;
    model->Update(true);
    if (!(model->flags & kModelVisible)) {
      continue;
    }
    ++visibleModelCount;
    drawnPrimitiveCount += model->visiblePrimitiveCount;
    if (model->visiblePrimitiveCount == 0) {
      continue;
    }
    ++drawnModelCount;
    (model->flags & kModelListA ? listA_ : listB_).push_back(DrawEntry{model, SortKey(model), order});
  }

  // Ties keep the registry order, so coplanar blended models do not flicker from frame to frame; the
  // sort itself allocates nothing.
  std::sort(listA_.begin(), listA_.end(), [](const DrawEntry& a, const DrawEntry& b) {
    return a.key < b.key || (a.key == b.key && a.order < b.order);
  });
  std::sort(listB_.begin(), listB_.end(), [](const DrawEntry& a, const DrawEntry& b) {
    return a.key > b.key || (a.key == b.key && a.order < b.order);
  });

  // Whatever comes before the front-most model that covers the view opaquely would be painted over.
  std::size_t firstA = 0;
  std::size_t firstB = 0;
  if (const std::size_t b = FrontCover(listB_); b != listB_.size()) {
    firstA = listA_.size();
    firstB = b;
  } else if (const std::size_t a = FrontCover(listA_); a != listA_.size()) {
    firstA = a;
  }

  renderSystem->BeginScene();
  for (std::size_t i = firstA; i < listA_.size(); ++i) {
    listA_[i].model->Draw();
  }
  for (std::size_t i = firstB; i < listB_.size(); ++i) {
    listB_[i].model->Draw();
  }
  renderSystem->EndScene();
}

void ModelManager::PresentFrame() {
  if (services_.renderSystem->IsReady()) {
    services_.renderSystem->SwapBuffers();
  }
}

}  // namespace CorvantisEngine
