#pragma once
// Model: the engine's only drawable. A mesh in one vertex and one index buffer, drawn with one shared
// shader, a world matrix, a camera and a set of render flags (the kModel* constants below; their values
// are part of the model file format and of the game's calls). A model is a box between two corners, an
// empty "self_made" mesh its creator fills, a model file ("QXMLF", see ModelFile.h) or a copy of another
// model. Each frame the ModelManager calls Update (animation, bounds, culling, depth, morphing or
// skinning) and then Draw for the visible ones; IntersectSegment serves mouse picking.
//
// Threads: prototypes are constructed on the resource loader's thread; Update and Draw run on the main
// thread only. Ownership: the model owns its buffers, animation control and skeleton, and holds one
// shader user of the ShaderManager (released by the destructor); the seven services and the camera are
// not owned. Failure: only the file constructor throws: a FileError from reading is logged and thrown
// again as Error with the same text (the model manager then substitutes a box).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/BoundingBox.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Ray.h"
#include "engine/core/Vector.h"

namespace CorvantisEngine {

class MessageManager;
class FileManager;
class TimerManager;
class RenderSystem;
class CameraManager;
class LightManager;
class ShaderManager;
class ShaderUser;
class ShaderDescriptor;
class Camera;
class IndexBuffer;
class VertexBuffer;
class AnimationControl;
class Skeleton;
struct ModelFileData;

// Render flags.
constexpr std::uint32_t kModelStatic = 0x1;
constexpr std::uint32_t kModelFrames = 0x2;
constexpr std::uint32_t kModelSkinned = 0x4;
constexpr std::uint32_t kModelTriangleList = 0x8;
constexpr std::uint32_t kModelColoured = 0x20;
constexpr std::uint32_t kModelLit = 0x40;
constexpr std::uint32_t kModelDepthTest = 0x80;
constexpr std::uint32_t kModelListA = 0x200;
constexpr std::uint32_t kModelListB = 0x400;
constexpr std::uint32_t kModelKeepDepth = 0x800;
constexpr std::uint32_t kModelDepthBiased = 0x1000;
constexpr std::uint32_t kModelCullClockwise = 0x2000;
constexpr std::uint32_t kModelTwoPasses = 0x4000;
constexpr std::uint32_t kModelRecomputeBounds = 0x8000;
constexpr std::uint32_t kModelVisible = 0x40000;
constexpr std::uint32_t kModelNoDepthWrite = 0x80000;
constexpr std::uint32_t kModelIndexUsage = 0x100000;
constexpr std::uint32_t kModelVertexUsage = 0x200000;
constexpr std::uint32_t kModelCullCounterClockwise = 0x400000;
constexpr std::uint32_t kModelStencil = 0x800000;
// What the box constructor starts from: visible, cull mode 1, list A, depth test, lit, triangle list,
// static.
constexpr std::uint32_t kModelBoxFlags = 0x422C9;

// The seven engine services every model receives from the model manager (none owned).
struct ModelServices {
  MessageManager* log = nullptr;
  FileManager* fileManager = nullptr;
  TimerManager* timerManager = nullptr;
  RenderSystem* renderSystem = nullptr;
  CameraManager* cameraManager = nullptr;
  LightManager* lightManager = nullptr;
  ShaderManager* shaderManager = nullptr;
};

// 32 bytes, as in the vertex buffer's plain layout.
struct FrameVertex {
  Vector3 position;
  Vector3 normal;
  float u = 0.0f;
  float v = 0.0f;
};

struct VertexInfluence {
  std::uint16_t boneIndex = 0;
  float weight = 0.0f;
  Vector3 position;  // relative to the bone
  Vector3 normal;
};

struct VertexWeights {
  std::uint16_t influenceCount = 0;  // at most 4
  VertexInfluence influences[4];
};

class Model {
 public:
  // A box between the corners a and b (24 vertices, 12 triangles). A null descriptor means the default
  // material; a null camera the camera manager's default camera.
  Model(const ModelServices& services, const Vector3& a, const Vector3& b, const ShaderDescriptor* descriptor,
        Camera* camera, std::uint32_t extraFlags);
  // An empty mesh for its creator to fill through the buffers' Lock and Unlock (the memory starts
  // zeroed). A flags value of 0 becomes 0x200000.
  Model(const ModelServices& services, std::uint32_t flags, std::uint32_t vertexCount,
        std::uint32_t indexCount, std::uint32_t frameCount, const ShaderDescriptor* descriptor,
        Camera* camera);
  // Reads a model file (a name relative to the data folder); its shader is the file of the same name
  // with the extension "srf". Throws Error (see above).
  Model(const ModelServices& services, const std::string& fileName, Camera* camera, std::uint32_t extraFlags);
  // A copy sharing the source's shader; extraFlags may add a colour layout. A null camera keeps the
  // source's camera.
  Model(const Model& source, Camera* camera, std::uint32_t extraFlags);
  Model& operator=(const Model&) = delete;
  virtual ~Model();

  // flags |= bits, keeping at most one draw list and one cull mode.
  void SetFlags(std::uint32_t bits);
  // Clearing one draw list flag sets the other; clearing both clears both.
  void ClearFlags(std::uint32_t bits);
  void SetColour(const Vector4& rgba);
  void SetCamera(Camera* newCamera);
  void ApplyShaderDescriptor(const ShaderDescriptor& descriptor);
  void SetShader(const ShaderDescriptor& descriptor) { ApplyShaderDescriptor(descriptor); }
  // The box around the vertices the indices reach; with toWorld the two corners go through world.
  void ComputeBoundingBox(BoundingBox& out, bool toWorld) const;
  void UpdatePrimitiveCount();
  void Update(bool cull);
  void Draw();
  // Picking: the segment from ray.origin to ray.origin + ray.direction against the triangles. distance
  // (may be null) receives the nearest hit in the model's own space, 100000 without one; with a null
  // distance the search stops at the first hit.
  bool IntersectSegment(const Ray& ray, float* distance) const;

  std::uint32_t GetFrameCount() const;

  MessageManager* log;
  FileManager* fileManager;
  TimerManager* timerManager;
  RenderSystem* renderSystem;
  CameraManager* cameraManager;
  LightManager* lightManager;
  ShaderManager* shaderManager;
  std::string name;
  std::uint32_t flags = 0;
  std::uint32_t strip = 0;
  IndexBuffer* indexBuffer = nullptr;     // owned
  VertexBuffer* vertexBuffer = nullptr;   // owned
  AnimationControl* animation = nullptr;  // owned; every model has one
  ShaderUser* shader = nullptr;           // one user of the shader manager, released by the destructor
  std::vector<VertexWeights> vertexWeights;
  std::vector<FrameVertex> frameVertices;
  Skeleton* skeleton = nullptr;  // owned; skinned models only
  std::vector<float> boneFrames;
  Camera* camera = nullptr;  // not owned; never null while a camera manager is present
  Matrix4 world;
  // The transform its owner builds world from (GUI widgets, the carriage and bonuses); copied with the
  // model, not used by the model itself.
  Matrix4 baseTransform;
  std::vector<BoundingBox> frameBoxes;
  BoundingBox box;
  std::uint32_t primitiveCount = 0;
  std::uint32_t visiblePrimitiveCount = 0;
  // Sort key of the model manager: larger for models farther away from the camera.
  float depth = 0.0f;
  // Added to depth for sorting only.
  float depthBias = 0.0f;
  // The owner's word that this model, drawn, paints every pixel of the view with full opacity (a
  // full-screen opaque picture): the model manager then draws nothing that would come before it. The
  // owner clears it as soon as that stops being true (the picture fades, moves or shrinks).
  bool coversView = false;
  bool morphCacheValid = false;
  std::uint32_t morphFrameA = 0;
  std::uint32_t morphFrameB = 0;
  float morphT = 0.0f;

 private:
  void StoreServices(const ModelServices& services);
  void InitialiseDrawState(Camera* newCamera);
  void CreateZeroedBuffers(std::uint32_t vertexCount, std::uint32_t indexCount);
  void BuildFromFile(const ModelFileData& data);
  void Release();
};

}  // namespace CorvantisEngine
