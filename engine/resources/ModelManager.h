#pragma once
// ModelManager: creates every Model and draws the registered ones once per frame. Registered models
// (CreateModel, CreateModelFromFile, CloneModel) are owned, updated and drawn by the manager; prototypes
// (NewBoxModel, LoadModel, NewModelCopy) are only constructed and handed back, never updated or drawn,
// and are deleted by whoever asked for them.
//
// Render, once per frame between the Engine's other render steps: every registered model is updated
// with culling, the visible ones go to list A (flag 0x200, drawn nearest first) or list B (everything
// else, drawn farthest first), and both lists are drawn between BeginScene and EndScene. Nothing is
// updated or drawn while the render system's device is not ready.
//
// Threads: the prototype operations may run on the resource loader's thread (they touch nothing of the
// manager but its service pointers); everything else runs on the main thread. No locks.
// Failure: a model file that cannot be read never escapes LoadModel or CreateModelFromFile: the caller
// gets a 2 x 2 x 2 box named after the file. Other creators pass the Model constructors' exceptions on.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/ObjectManager.h"
#include "engine/core/Vector.h"
#include "engine/resources/Model.h"

namespace CorvantisEngine {

class ModelManager {
 public:
  ModelManager(MessageManager* log, FileManager* fileManager, TimerManager* timerManager,
               RenderSystem* renderSystem, CameraManager* cameraManager, LightManager* lightManager,
               ShaderManager* shaderManager);
  virtual ~ModelManager();

  ModelManager(const ModelManager&) = delete;
  ModelManager& operator=(const ModelManager&) = delete;

  // Registered models: owned by the manager until DestroyModel.
  Model* CreateModel(std::uint32_t flags, std::uint32_t vertexCount, std::uint32_t indexCount,
                     std::uint32_t frameCount, const ShaderDescriptor* descriptor, Camera* camera);
  Model* CreateModelFromFile(const std::string& fileName, Camera* camera, std::uint32_t extraFlags);
  Model* CloneModel(const Model& source, Camera* camera, std::uint32_t extraFlags);
  // Prototypes: owned by the caller, never updated or drawn by the manager.
  Model* NewBoxModel(const Vector3& a, const Vector3& b, const ShaderDescriptor* descriptor = nullptr,
                     Camera* camera = nullptr, std::uint32_t extraFlags = 0);
  Model* LoadModel(const std::string& fileName, Camera* camera, std::uint32_t extraFlags);
  Model* NewModelCopy(const Model& source, Camera* camera, std::uint32_t extraFlags);
  // Removes and deletes a registered model; null or an unregistered model is left alone.
  void DestroyModel(Model* model);

  // The frame's update and draw pass.
  void Render();
  // Presents the frame while the render system's device is ready.
  void PresentFrame();

  const ModelServices& GetServices() const { return services_; }
  std::uint32_t GetModelCount() const { return models_.count; }
  const ObjectManager<Model>& GetModels() const { return models_; }

  // Statistics of the last Render.
  std::uint32_t visibleModelCount = 0;
  std::uint32_t drawnModelCount = 0;
  std::uint32_t drawnPrimitiveCount = 0;

 private:
  Model* Register(Model* model);

  // One entry of a draw list: the sort key is taken once per frame, and the registry order breaks ties
  // so that models at equal depths keep their order from frame to frame.
  struct DrawEntry {
    Model* model;
    float key;
    std::uint32_t order;
  };

  ModelServices services_;
  ObjectManager<Model> models_;   // registered models, owned
  std::vector<DrawEntry> listA_;  // this frame's draw lists; not owning
  std::vector<DrawEntry> listB_;

  // The index of the last model in the list that covers the view opaquely (Model::coversView), or the
  // list's size when none does.
  static std::size_t FrontCover(const std::vector<DrawEntry>& list);
};

}  // namespace CorvantisEngine
