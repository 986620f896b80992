// Models: box geometry, flag algebra, the update's bounds, culling, depth, morphing and skinning, the
// draw sequence that reaches the device, copies and segment picking.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ModelFixture.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelFile.h"
#include "engine/resources/ShaderUser.h"
#include "engine/resources/Skeleton.h"
#include "tools/models/ModelFileWriter.h"

namespace CorvantisEngine::modeltest {
namespace {

Vector3 PositionOf(const VertexBuffer& buffer, std::uint32_t i) {
  float p[3];
  std::memcpy(p, buffer.GetData() + static_cast<std::size_t>(buffer.GetStride()) * i, sizeof(p));
  return Vector3(p[0], p[1], p[2]);
}

Vector3 NormalOf(const VertexBuffer& buffer, std::uint32_t i) {
  float n[3];
  std::memcpy(n, buffer.GetData() + static_cast<std::size_t>(buffer.GetStride()) * i + 12, sizeof(n));
  return Vector3(n[0], n[1], n[2]);
}

std::uint32_t IndexOf(const IndexBuffer& buffer, std::uint32_t i) {
  if (buffer.IsWide()) {
    std::uint32_t v;
    std::memcpy(&v, buffer.GetData() + 4 * i, 4);
    return v;
  }
  std::uint16_t v;
  std::memcpy(&v, buffer.GetData() + 2 * i, 2);
  return v;
}

void ExpectNear(const Vector3& actual, const Vector3& expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

class ModelTest : public ModelFixture {
 protected:
  std::unique_ptr<Model> Box(const Vector3& a, const Vector3& b, std::uint32_t extra = 0) {
    return std::unique_ptr<Model>(models_->NewBoxModel(a, b, nullptr, nullptr, extra));
  }
  // A frame-animated triangle (3 vertices, 2 frames): frame 1 is frame 0 moved by (10, 20, 30) with
  // other normals and texture coordinates.
  ModelFileData TwoFrameTriangle() {
    ModelFileData data;
    data.flags = kModelFrames | kModelTriangleList | kModelVisible;
    data.frameCount = 2;
    data.speed = 0.0f;
    data.indices = {0, 1, 2};
    data.vertexCount = 3;
    for (int frame = 0; frame < 2; ++frame) {
      for (int i = 0; i < 3; ++i) {
        ModelFileVertex v;
        v.position =
            Vector3(static_cast<float>(i), static_cast<float>(i % 2), 0) + Vector3(10, 20, 30) * frame;
        v.normal = frame == 0 ? Vector3(0, 0, 1) : Vector3(0, 1, 0);
        v.u = static_cast<float>(frame);
        v.v = 0.5f;
        data.vertices.push_back(v);
      }
      data.boxes.push_back(ModelFileBox{Vector3(0, 0, 0) + Vector3(10, 20, 30) * frame,
                                        Vector3(2, 1, 0) + Vector3(10, 20, 30) * frame});
    }
    return data;
  }
  void Save(const std::string& name, const ModelFileData& data) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(tools::EncodeModelFile(data, bytes));
    WriteData(name, bytes);
  }
  // Puts the default camera at the origin looking down -z and updates it.
  void CameraAtOrigin() {
    DefaultCamera()->position = Vector3();
    cameras_->Update();
  }
};

TEST_F(ModelTest, BoxHasTwelveOutwardTrianglesAndItsCornersAsBounds) {
  auto box = Box(Vector3(0, 0, 0), Vector3(1, 2, 3));
  EXPECT_EQ(box->name, "box");
  EXPECT_EQ(box->flags & 0xFFFFF, kModelBoxFlags);
  EXPECT_EQ(box->primitiveCount, 12u);
  EXPECT_EQ(box->strip, 0u);
  EXPECT_EQ(box->visiblePrimitiveCount, 0u) << "nothing is visible before the first update";
  EXPECT_EQ(box->box.localMin, Vector3(0, 0, 0));
  EXPECT_EQ(box->box.localMax, Vector3(1, 2, 3));
  EXPECT_EQ(box->animation->frameCount, 1u);

  const Vector3 centre(0.5f, 1.0f, 1.5f);
  for (std::uint32_t triangle = 0; triangle < 12; ++triangle) {
    const std::uint32_t i0 = IndexOf(*box->indexBuffer, 3 * triangle);
    const std::uint32_t i1 = IndexOf(*box->indexBuffer, 3 * triangle + 1);
    const std::uint32_t i2 = IndexOf(*box->indexBuffer, 3 * triangle + 2);
    const Vector3 a = PositionOf(*box->vertexBuffer, i0);
    const Vector3 b = PositionOf(*box->vertexBuffer, i1);
    const Vector3 c = PositionOf(*box->vertexBuffer, i2);
    const Vector3 middle = (a + b + c) / 3.0f;
    const Vector3 normal = NormalOf(*box->vertexBuffer, i0);
    EXPECT_EQ(normal, NormalOf(*box->vertexBuffer, i1));
    EXPECT_EQ(normal, NormalOf(*box->vertexBuffer, i2));
    EXPECT_GT(normal.Dot(middle - centre), 0.0f) << "triangle " << triangle << " normal points inwards";
    EXPECT_GT((b - a).Cross(c - a).Length(), 0.0f) << "triangle " << triangle << " is degenerate";
    // Every corner of a face lies on the face's plane, the box's side the normal names.
    for (const Vector3& p : {a, b, c}) {
      EXPECT_NEAR(normal.Dot(p - centre), std::fabs(normal.Dot(Vector3(0.5f, 1.0f, 1.5f))), 1e-5f);
    }
  }
}

TEST_F(ModelTest, FlagAlgebraKeepsOneDrawListAndOneCullMode) {
  struct Row {
    std::uint32_t start;
    bool set;
    std::uint32_t bits;
    std::uint32_t expected;
  };
  const Row rows[] = {
      {0x200, true, 0x400, 0x400},
      {0x400, true, 0x200, 0x200},
      {0x400, false, 0x400, 0x200},  // clearing one list sets the other
      {0x200, false, 0x200, 0x400},
      {0x200, false, 0x600, 0x000},  // clearing both clears both
      {0x2000 | 0x400000, true, 0x4000, 0x4000},
      {0x4000, true, 0x2000, 0x2000},
      {0x4000 | 0x2000, true, 0x400000, 0x400000},
      {0x40000 | 0x200, false, 0x40000, 0x200},
      {0x80, true, 0x40000, 0x40080},
  };
  auto model = Box(Vector3(), Vector3(1, 1, 1));
  for (const Row& row : rows) {
    model->flags = row.start;
    if (row.set) {
      model->SetFlags(row.bits);
    } else {
      model->ClearFlags(row.bits);
    }
    EXPECT_EQ(model->flags, row.expected)
        << std::hex << row.start << (row.set ? " set " : " clear ") << row.bits;
  }
}

TEST_F(ModelTest, SelfMadeModelStartsZeroedWithATinyBox) {
  std::unique_ptr<Model> model(models_->NewBoxModel(Vector3(), Vector3(1, 1, 1), nullptr, nullptr, 0));
  Model* made = models_->CreateModel(0, 50, 90, 1, nullptr, nullptr);
  EXPECT_EQ(made->name, "self_made");
  EXPECT_EQ(made->flags, kModelVertexUsage);
  EXPECT_EQ(made->camera, DefaultCamera());
  EXPECT_EQ(made->box.localMin, Vector3(-0.0001f, -0.0001f, -0.0001f));
  EXPECT_EQ(made->box.localMax, Vector3(0.0001f, 0.0001f, 0.0001f));
  EXPECT_EQ(made->strip, 1u);
  EXPECT_EQ(made->primitiveCount, 88u);
  for (std::uint32_t i = 0; i < 50 * 32; ++i) {
    ASSERT_EQ(made->vertexBuffer->GetData()[i], 0) << "byte " << i;
  }
  for (std::uint32_t i = 0; i < 90; ++i) {
    ASSERT_EQ(IndexOf(*made->indexBuffer, i), 0u);
  }
  Model* coloured = models_->CreateModel(kModelColoured | kModelVisible, 4, 6, 1, nullptr, nullptr);
  EXPECT_EQ(coloured->vertexBuffer->GetVertexColour(3), Vector4(1, 1, 1, 1));
}

TEST_F(ModelTest, StripWithFewerThanThreeIndicesHasNoTriangle) {
  for (std::uint32_t count : {0u, 1u, 2u, 3u, 5u}) {
    Model* model = models_->CreateModel(kModelVisible, 4, 8, 1, nullptr, nullptr);
    model->indexBuffer->SetIndexCount(count);
    model->UpdatePrimitiveCount();
    EXPECT_EQ(model->primitiveCount, count >= 3 ? count - 2 : 0u) << count;
  }
}

TEST_F(ModelTest, DepthGrowsWithDistanceAndCulledModelsKeepTheirs) {
  CameraAtOrigin();
  auto nearBox = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4));
  auto farBox = Box(Vector3(-1, -1, -21), Vector3(1, 1, -19));
  nearBox->Update(true);
  farBox->Update(true);
  EXPECT_EQ(nearBox->visiblePrimitiveCount, 12u);
  EXPECT_NEAR(nearBox->depth, 5.0f, 1e-4f);
  EXPECT_NEAR(farBox->depth, 20.0f, 1e-4f);

  // Behind the camera: culled, depth kept from the last visible update.
  farBox->world.Translation(Vector3(0, 0, 40));
  farBox->box.SetMatrix(farBox->world);
  farBox->Update(true);
  EXPECT_EQ(farBox->visiblePrimitiveCount, 0u);
  EXPECT_NEAR(farBox->depth, 20.0f, 1e-4f);
  farBox->Update(false);
  EXPECT_EQ(farBox->visiblePrimitiveCount, 12u) << "without culling every model is drawn";

  auto kept = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4), kModelKeepDepth);
  kept->depth = -3.0f;
  kept->Update(true);
  EXPECT_EQ(kept->depth, -3.0f);

  auto hidden = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4));
  hidden->ClearFlags(kModelVisible);
  hidden->Update(true);
  EXPECT_EQ(hidden->visiblePrimitiveCount, 0u);
}

TEST_F(ModelTest, MorphingBlendsFramesOnlyWhenThePairChanges) {
  CameraAtOrigin();
  Save("tri.mdl", TwoFrameTriangle());
  std::unique_ptr<Model> model(models_->LoadModel("tri.mdl", nullptr, 0));
  ASSERT_EQ(model->name, "tri.mdl");
  ASSERT_EQ(model->frameVertices.size(), 6u);
  model->world.Translation(Vector3(0, 0, -50));
  auto* vertices = static_cast<CountingVertexBuffer*>(model->vertexBuffer);

  model->animation->position = 0.25f;
  model->Update(false);
  EXPECT_EQ(model->animation->frameA, 0u);
  EXPECT_EQ(model->animation->frameB, 1u);
  ExpectNear(PositionOf(*vertices, 2), Vector3(2, 0, 0) + Vector3(2.5f, 5, 7.5f), "blended position");
  ExpectNear(NormalOf(*vertices, 0), Vector3(0, 0.25f, 0.75f), "blended normal");
  float uv[2];
  std::memcpy(uv, vertices->GetData() + 24, 8);
  EXPECT_NEAR(uv[0], 0.25f, 1e-6f);
  // The box follows the frames, in world space.
  EXPECT_NEAR(model->box.centre.z, 7.5f - 50.0f, 1e-4f);

  const int locks = vertices->locks;
  model->animation->position = 0.25f + 0.00005f;
  model->Update(false);
  EXPECT_EQ(vertices->locks, locks) << "the same pair within 0.0001 leaves the vertices alone";
  model->animation->position = 0.5f;
  model->Update(false);
  EXPECT_EQ(vertices->locks, locks + 1);

  // Culled: no morphing at all.
  model->world.Translation(Vector3(0, 0, 500));
  model->animation->position = 0.75f;
  model->Update(true);
  EXPECT_EQ(model->visiblePrimitiveCount, 0u);
  EXPECT_EQ(vertices->locks, locks + 1);
}

TEST_F(ModelTest, OneBoneSkinnedPose) {
  ModelFileData data;
  data.flags = kModelSkinned | kModelTriangleList | kModelVisible;
  data.frameCount = 1;
  ModelFileBone bone;
  bone.name = "root";
  bone.pivot = Vector3(5, 0, 0);  // moves positions, must not bend normals
  bone.boxMin = Vector3(-1, -1, -1);
  bone.boxMax = Vector3(1, 1, 1);
  data.bones.push_back(bone);
  const float s = std::sqrt(0.5f);
  // Translation (1, 2, 3), a quarter turn about z, unit scale.
  data.poses = {1, 2, 3, 0, 0, s, s, 1, 1, 1};
  data.indices = {0, 1, 2};
  data.vertexCount = 3;
  for (int i = 0; i < 3; ++i) {
    ModelFileSkinnedVertex v;
    v.u = 0.25f * static_cast<float>(i);
    ModelFileInfluence influence;
    influence.bone = 0;
    influence.weight = 1.0f;
    influence.position = Vector3(static_cast<float>(i) - 5.0f, 0, 0);
    influence.normal = Vector3(1, 0, 0);
    v.influences.push_back(influence);
    data.skinnedVertices.push_back(v);
  }
  data.boxes.push_back(ModelFileBox{Vector3(-9, -9, -9), Vector3(9, 9, 9)});
  Save("skin.mdl", data);
  std::unique_ptr<Model> model(models_->LoadModel("skin.mdl", nullptr, 0));
  ASSERT_NE(model->skeleton, nullptr);
  EXPECT_EQ(model->skeleton->GetBone(0)->name, "root");
  // The stored box gives way to the posed skeleton's.
  // The bone's box about the pivot (5, 0, 0), turned onto (0, 5, 0) and moved.
  ExpectNear(model->box.localMin, Vector3(0, 6, 2), "skeleton box min");
  ExpectNear(model->box.localMax, Vector3(2, 8, 4), "skeleton box max");

  model->Update(false);
  for (std::uint32_t i = 0; i < 3; ++i) {
    // (i - 5) + pivot 5 = i along x, turned onto y, then moved.
    ExpectNear(PositionOf(*model->vertexBuffer, i), Vector3(1, 2 + static_cast<float>(i), 3),
               "skinned position");
    ExpectNear(NormalOf(*model->vertexBuffer, i), Vector3(0, 1, 0), "skinned normal");
  }
  float uv[2];
  std::memcpy(uv, model->vertexBuffer->GetData() + 32 + 24, 8);
  EXPECT_EQ(uv[0], 0.25f);
}

TEST_F(ModelTest, DrawSequenceFollowsTheFlags) {
  struct Row {
    std::uint32_t extra;
    std::uint32_t clear;
    std::vector<std::string> expected;
  };
  // Each model is drawn on a fresh state cache (the defaults: depth writes on, everything else off).
  const Row rows[] = {
      {0, 0, {"camera", "lighting 1", "normalize 1", "z 1", "cull 1", "draw 0 12"}},
      {kModelTwoPasses,
       0,
       {"camera", "lighting 1", "normalize 1", "z 1", "cull 2", "draw 0 12", "cull 1", "draw 0 12"}},
      {kModelCullCounterClockwise | kModelNoDepthWrite | kModelDepthBiased,
       kModelLit | kModelDepthTest,
       {"camera biased", "zwrite 0", "cull 2", "draw 0 12"}},
      {0, kModelCullClockwise, {"camera", "lighting 1", "normalize 1", "z 1", "draw 0 12"}},
  };
  for (const Row& row : rows) {
    auto model = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4), row.extra);
    model->flags &= ~row.clear;
    CameraAtOrigin();
    render_->InitStates();
    render_->events.clear();
    model->Update(true);
    model->Draw();
    EXPECT_EQ(render_->events, row.expected) << std::hex << model->flags;
  }

  // The world matrix passes the cache only when it changes.
  auto model = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4));
  model->world.Translation(Vector3(0.5f, 0, 0));
  model->Update(true);
  render_->events.clear();
  model->Draw();
  EXPECT_EQ(std::count(render_->events.begin(), render_->events.end(), "world"), 1);
}

TEST_F(ModelTest, WhatIsNotDrawn) {
  CameraAtOrigin();
  auto stencilled = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4), kModelStencil);
  stencilled->Update(true);
  render_->events.clear();
  stencilled->Draw();
  EXPECT_TRUE(render_->events.empty()) << "stencil asked for without a stencil buffer";
  render_->stencilPresent = true;
  stencilled->Draw();
  EXPECT_NE(std::find(render_->events.begin(), render_->events.end(), "stencil 1"), render_->events.end());

  auto notUpdated = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4));
  render_->events.clear();
  notUpdated->Draw();
  EXPECT_TRUE(render_->events.empty()) << "visible primitives are 0 until the first update";

  auto twoStages = Box(Vector3(-1, -1, -6), Vector3(1, 1, -4));
  twoStages->Update(true);
  render_->textureStageCount = 0;
  ShaderDescriptor oneStage;
  oneStage.AddStage(0, 0, 1, 1, 1, 0.0f, "", "", 0);
  twoStages->ApplyShaderDescriptor(oneStage);
  render_->events.clear();
  twoStages->Draw();
  EXPECT_TRUE(render_->events.empty()) << "more stages than the device has";
}

TEST_F(ModelTest, CopiesTakeWhatTheSourceCarries) {
  auto box = Box(Vector3(0, 0, 0), Vector3(1, 2, 3));
  box->world.Translation(Vector3(5, 0, 0));
  box->baseTransform.Translation(Vector3(0, 7, 0));
  box->depthBias = 2.5f;
  const std::uint32_t users = shaders_->GetShaderUserCount();
  std::unique_ptr<Model> copy(models_->NewModelCopy(*box, nullptr, kModelColoured));
  EXPECT_EQ(shaders_->GetShaderUserCount(), users + 1) << "the copy holds its own user of the shader";
  EXPECT_EQ(copy->name, "box");
  EXPECT_EQ(copy->camera, box->camera);
  EXPECT_EQ(copy->vertexBuffer->GetStride(), 36u);
  EXPECT_EQ(copy->vertexBuffer->GetVertexColour(5), Vector4(1, 1, 1, 1));
  EXPECT_EQ(PositionOf(*copy->vertexBuffer, 6), Vector3(1, 2, 3));
  EXPECT_EQ(copy->world, box->world);
  EXPECT_EQ(copy->baseTransform, box->baseTransform);
  EXPECT_EQ(copy->depthBias, 2.5f);
  EXPECT_EQ(copy->primitiveCount, 12u);
  EXPECT_NEAR(copy->box.centre.x, 5.5f, 1e-5f);

  // Extra flags cannot make a skinned or frame-animated model out of a static one.
  std::unique_ptr<Model> odd(models_->NewModelCopy(*box, nullptr, kModelSkinned | kModelFrames));
  EXPECT_EQ(odd->skeleton, nullptr);
  odd->Update(true);
  odd->Draw();

  Camera* other = cameras_->CreateCamera(Camera::kOrthographic);
  std::unique_ptr<Model> moved(models_->NewModelCopy(*box, other, 0));
  EXPECT_EQ(moved->camera, other);
  copy.reset();
  odd.reset();
  moved.reset();
  box.reset();
  EXPECT_EQ(shaders_->GetShaderUserCount(), users - 1);
}

TEST_F(ModelTest, IntersectSegmentTable) {
  auto box = Box(Vector3(-1, -1, -1), Vector3(1, 1, 1));
  box->world.Translation(Vector3(10, 0, 0));
  box->box.SetMatrix(box->world);
  struct Row {
    Vector3 from, to;
    bool withDistance;
    bool hit;
    float distance;
    const char* why;
  };
  const Row rows[] = {
      {{10, 0, 5}, {10, 0, -5}, true, true, 4.0f, "straight through: the nearest face"},
      {{10, 0, -5}, {10, 0, 5}, true, true, 4.0f, "from the other side"},
      {{10, 0, 5}, {10, 0, -5}, false, true, 0.0f, "without a distance the first hit ends the search"},
      {{0, 0, 5}, {0, 0, -5}, true, false, 100000.0f, "misses the box"},
      {{10, 0, 5}, {10, 0, 3}, true, false, 100000.0f, "stops short of the box"},
      {{8.5f, 0, 5}, {8.5f, 0, -5}, true, false, 100000.0f, "beside the box"},
  };
  for (const Row& row : rows) {
    const Ray ray(row.from, row.to - row.from);
    float distance = -1.0f;
    const bool hit = box->IntersectSegment(ray, row.withDistance ? &distance : nullptr);
    EXPECT_EQ(hit, row.hit) << row.why;
    if (row.withDistance) {
      EXPECT_NEAR(distance, row.distance, 1e-3f) << row.why;
    }
  }

  // Crossing the box but no triangle: a strip model whose one triangle covers only a corner.
  Model* corner = models_->CreateModel(kModelVisible | kModelStatic, 3, 3, 1, nullptr, nullptr);
  Vertex* v = corner->vertexBuffer->LockVertices(0, 3);
  v[0] = Vertex{0, 0, 0, 0, 0, 1, 0, 0};
  v[1] = Vertex{1, 0, 0, 0, 0, 1, 0, 0};
  v[2] = Vertex{0, 1, 0, 0, 0, 1, 0, 0};
  corner->vertexBuffer->Unlock();
  const std::uint32_t order[] = {0, 1, 2};
  corner->indexBuffer->SetIndices(0, 3, order);
  corner->UpdatePrimitiveCount();
  corner->ComputeBoundingBox(corner->box, false);
  corner->box.SetBox(Vector3(0, 0, -1), Vector3(1, 1, 1));
  float distance = 0.0f;
  EXPECT_FALSE(corner->IntersectSegment(Ray(Vector3(0.9f, 0.9f, 1), Vector3(0, 0, -2)), &distance));
  EXPECT_EQ(distance, 100000.0f);
  EXPECT_TRUE(corner->IntersectSegment(Ray(Vector3(0.2f, 0.2f, 1), Vector3(0, 0, -2)), &distance));
  EXPECT_NEAR(distance, 1.0f, 1e-4f);
}

TEST_F(ModelTest, BoundsFromTheVerticesFollowTheWorld) {
  Model* model = models_->CreateModel(
      kModelVisible | kModelStatic | kModelRecomputeBounds | kModelTriangleList, 4, 3, 1, nullptr, nullptr);
  Vertex* v = model->vertexBuffer->LockVertices(0, 4);
  v[0] = Vertex{-1, 0, 0, 0, 0, 1, 0, 0};
  v[1] = Vertex{2, 3, 0, 0, 0, 1, 0, 0};
  v[2] = Vertex{0, 0, -4, 0, 0, 1, 0, 0};
  v[3] = Vertex{100, 100, 100, 0, 0, 1, 0, 0};  // not reached by an index
  model->vertexBuffer->Unlock();
  const std::uint32_t order[] = {0, 1, 2};
  model->indexBuffer->SetIndices(0, 3, order);
  model->world.Translation(Vector3(0, 0, -10));
  model->Update(false);
  EXPECT_EQ(model->box.localMin, Vector3(-1, 0, -4));
  EXPECT_EQ(model->box.localMax, Vector3(2, 3, 0));
  EXPECT_EQ(model->box.worldMin, Vector3(-1, 0, -14));
  BoundingBox world;
  model->ComputeBoundingBox(world, true);
  EXPECT_EQ(world.localMax, Vector3(2, 3, -10));
}

}  // namespace
}  // namespace CorvantisEngine::modeltest
