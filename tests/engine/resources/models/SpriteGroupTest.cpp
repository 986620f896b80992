// Sprite groups: the free queue, the per-frame rebuild (corners facing the camera, colours, the centre,
// the index count), sorting, rotation, hidden groups and copies.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ModelFixture.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"
#include "engine/resources/Model.h"

namespace CorvantisEngine::modeltest {
namespace {

class SpriteGroupTest : public ModelFixture {
 protected:
  // Vertex i of the group's model.
  static ColouredVertex VertexOf(const SpriteGroup& group, std::uint32_t i) {
    ColouredVertex v;
    std::memcpy(&v, group.model->vertexBuffer->GetData() + 36 * static_cast<std::size_t>(i), sizeof(v));
    return v;
  }
  static Vector3 Corner(const SpriteGroup& group, std::uint32_t i) {
    const ColouredVertex v = VertexOf(group, i);
    return Vector3(v.x, v.y, v.z);
  }
};

TEST_F(SpriteGroupTest, FreeQueueHandsOutIndicesInTurn) {
  SpriteGroup* group = sprites_->CreateSpriteGroup(3, nullptr, nullptr);
  EXPECT_EQ(group->AddSprite(Vector3(), 1, Vector4()), 0u);
  EXPECT_EQ(group->AddSprite(Vector3(), 1, Vector4()), 1u);
  EXPECT_EQ(group->AddSprite(Vector3(), 1, Vector4()), 2u);
  EXPECT_EQ(group->AddSprite(Vector3(), 1, Vector4()), SpriteGroup::kNoSprite) << "full";
  group->RemoveSprite(1);
  group->RemoveSprite(1);   // already free: ignored
  group->RemoveSprite(17);  // out of range: ignored
  EXPECT_EQ(group->AddSprite(Vector3(), 1, Vector4()), 1u);
  EXPECT_EQ(group->AddSprite(Vector3(), 1, Vector4()), SpriteGroup::kNoSprite)
      << "a second removal of the same index would have handed it out twice";
  EXPECT_EQ(group->model->flags, SpriteGroup::kModelFlags);
  EXPECT_EQ(group->model->indexBuffer->GetCapacity(), 18u);
}

TEST_F(SpriteGroupTest, RebuildFacesTheCameraAndDrawsOnlySpritesInUse) {
  DefaultCamera()->position = Vector3();
  cameras_->Update();
  SpriteGroup* group = sprites_->CreateSpriteGroup(4, nullptr, nullptr);
  group->colour = Vector4(1, 0.5f, 1, 1);
  const std::uint32_t index = group->AddSprite(Vector3(1, 2, 3), 0.5f, Vector4(0.5f, 1, 0, 1));
  sprites_->Update();
  EXPECT_EQ(group->centre, Vector3(1, 2, 3));
  EXPECT_EQ(group->model->indexBuffer->GetIndexCount(), 6u);
  // Identity camera: right x, up y.
  EXPECT_EQ(Corner(*group, 0), Vector3(0.5f, 1.5f, 3));
  EXPECT_EQ(Corner(*group, 1), Vector3(0.5f, 2.5f, 3));
  EXPECT_EQ(Corner(*group, 2), Vector3(1.5f, 1.5f, 3));
  EXPECT_EQ(Corner(*group, 3), Vector3(1.5f, 2.5f, 3));
  EXPECT_EQ(VertexOf(*group, 2).colour, 0xFF808000u) << "sprite colour times group colour";
  EXPECT_EQ(VertexOf(*group, 1).u, 0.0f);
  EXPECT_EQ(VertexOf(*group, 1).v, 1.0f);
  EXPECT_EQ(VertexOf(*group, 2).u, 1.0f);

  group->RemoveSprite(index);
  sprites_->Update();
  EXPECT_EQ(group->model->indexBuffer->GetIndexCount(), 0u);
  EXPECT_EQ(group->GetUsedCount(), 0u);

  // Hidden: nothing is rebuilt.
  group->AddSprite(Vector3(), 1, Vector4());
  group->SetVisible(false);
  EXPECT_FALSE(group->IsVisible());
  sprites_->Update();
  EXPECT_EQ(group->model->indexBuffer->GetIndexCount(), 0u);
}

TEST_F(SpriteGroupTest, SortedFarToNearOrInIndexOrder) {
  DefaultCamera()->position = Vector3();
  cameras_->Update();
  SpriteGroup* group = sprites_->CreateSpriteGroup(3, nullptr, nullptr);
  group->AddSprite(Vector3(0, 0, -2), 1, Vector4());   // near
  group->AddSprite(Vector3(0, 0, -30), 1, Vector4());  // far
  group->AddSprite(Vector3(0, 0, -10), 1, Vector4());
  sprites_->Update();
  EXPECT_EQ(group->used, (std::vector<std::uint32_t>{1, 2, 0}));
  EXPECT_EQ(Corner(*group, 0).z, -30.0f);
  group->sort = false;
  sprites_->Update();
  EXPECT_EQ(group->used, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(Corner(*group, 0).z, -2.0f);
}

TEST_F(SpriteGroupTest, RotationAboutTheViewingDirection) {
  DefaultCamera()->position = Vector3();
  cameras_->Update();
  SpriteGroup* group = sprites_->CreateSpriteGroup(2, nullptr, nullptr);
  const std::uint32_t still = group->AddSprite(Vector3(0, 0, -5), 1, Vector4());
  const std::uint32_t turned = group->AddSprite(Vector3(0, 0, -5), 1, Vector4());
  group->sort = false;
  group->GetSprite(still)->angle = 0.00005f;
  group->GetSprite(turned)->angle = 1.5707964f;
  sprites_->Update();
  EXPECT_EQ(Corner(*group, 0), Vector3(-1, -1, -5)) << "below the threshold nothing turns";
  // A quarter turn moves each corner onto the next one round the square, in the plane of the view.
  const Vector3 c0 = Corner(*group, 4);
  EXPECT_NEAR(c0.z, -5.0f, 1e-5f);
  EXPECT_NEAR(std::fabs(c0.x), 1.0f, 1e-5f);
  EXPECT_NEAR(std::fabs(c0.y), 1.0f, 1e-5f);
  EXPECT_NE(c0, Vector3(-1, -1, -5));
  const Vector3 c3 = Corner(*group, 7);
  EXPECT_NEAR(c0.x, -c3.x, 1e-5f);
  EXPECT_NEAR(c0.y, -c3.y, 1e-5f);
}

TEST_F(SpriteGroupTest, CopiesWithAndWithoutSprites) {
  SpriteGroup* source = sprites_->CreateSpriteGroup(3, nullptr, nullptr);
  source->AddSprite(Vector3(1, 0, 0), 1, Vector4());
  source->AddSprite(Vector3(2, 0, 0), 1, Vector4());
  source->colour = Vector4(0.5f, 0.5f, 0.5f, 1);
  sprites_->Update();

  SpriteGroup* empty = sprites_->CloneSpriteGroup(*source, false);
  EXPECT_NE(empty->model, source->model);
  EXPECT_EQ(empty->colour, source->colour);
  for (std::uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(empty->GetSprite(i)->free, 1) << i;
  }
  EXPECT_EQ(empty->AddSprite(Vector3(), 1, Vector4()), 0u);
  EXPECT_EQ(empty->model->primitiveCount, 0u) << "nothing of the source's drawn before the first rebuild";

  SpriteGroup* full = sprites_->CloneSpriteGroup(*source, true);
  EXPECT_EQ(full->GetSprite(1)->position, Vector3(2, 0, 0));
  EXPECT_EQ(full->AddSprite(Vector3(), 1, Vector4()), 2u);
  EXPECT_EQ(full->AddSprite(Vector3(), 1, Vector4()), SpriteGroup::kNoSprite);

  const std::uint32_t models = models_->GetModelCount();
  sprites_->DestroySpriteGroup(full);
  EXPECT_EQ(models_->GetModelCount(), models - 1) << "the group's model goes with it";
  SpriteGroup* prototype = sprites_->NewSpriteGroup(2, nullptr, nullptr);
  sprites_->DestroySpriteGroup(prototype);  // unregistered: left alone
  EXPECT_EQ(sprites_->GetGroupCount(), 2u);
  delete prototype;
}

TEST_F(SpriteGroupTest, LargeGroupsUseWideIndices) {
  SpriteGroup* group = sprites_->CreateSpriteGroup(12000, nullptr, nullptr);
  ASSERT_TRUE(group->model->indexBuffer->IsWide());
  for (std::uint32_t i = 0; i < 12000; ++i) {
    group->AddSprite(Vector3(static_cast<float>(i), 0, -5), 1, Vector4());
  }
  sprites_->Update();
  std::uint32_t last[6];
  std::memcpy(last, group->model->indexBuffer->GetData() + 4 * (6 * 11999), sizeof(last));
  EXPECT_EQ(last[0], 4u * 11999);
  EXPECT_EQ(last[5], 4u * 11999 + 3);
  EXPECT_EQ(group->model->indexBuffer->GetIndexCount(), 72000u);
}

}  // namespace
}  // namespace CorvantisEngine::modeltest
