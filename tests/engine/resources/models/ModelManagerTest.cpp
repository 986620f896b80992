// The model manager's frame: which models are updated and drawn, in which order, the statistics, the
// lost device, presenting, and the difference between registered models and prototypes.
#include <gtest/gtest.h>

#include <limits>

#include "ModelFixture.h"
#include "engine/resources/AnimationControl.h"
#include "engine/resources/Model.h"

namespace CorvantisEngine::modeltest {
namespace {

class ModelManagerTest : public ModelFixture {
 protected:
  // A registered box in front of the default camera, with a fixed sort key.
  Model* At(float depth, std::uint32_t list, float bias = 0.0f) {
    Model* model =
        models_->CreateModel(kModelVisible | kModelStatic | kModelTriangleList | kModelKeepDepth | list, 3, 3,
                             1, nullptr, nullptr);
    model->box.SetBox(Vector3(-1, -1, -6), Vector3(1, 1, -4));
    model->depth = depth;
    model->depthBias = bias;
    return model;
  }
  // The models in the order they were drawn this frame.
  std::vector<Model*> DrawOrder(const std::vector<Model*>& models) const {
    std::vector<Model*> order;
    for (VertexBuffer* drawn : render_->drawn) {
      for (Model* model : models) {
        if (model->vertexBuffer == drawn) {
          order.push_back(model);
        }
      }
    }
    return order;
  }
  void Frame() {
    render_->events.clear();
    render_->drawn.clear();
    cameras_->Update();
    models_->Render();
  }
};

TEST_F(ModelManagerTest, ListAFrontToBackThenListBBackToFront) {
  Model* b1 = At(5.0f, 0);
  Model* a1 = At(9.0f, kModelListA);
  Model* b2 = At(20.0f, kModelListB);
  Model* a2 = At(1.0f, kModelListA);
  Model* b3 = At(3.0f, 0, 10.0f);  // the bias counts: 13
  Model* a3 = At(4.0f, kModelListA, -5.0f);
  Frame();
  EXPECT_EQ(DrawOrder({b1, a1, b2, a2, b3, a3}), (std::vector<Model*>{a3, a2, a1, b2, b3, b1}));
  EXPECT_EQ(render_->events.front(), "begin");
  EXPECT_EQ(render_->events.back(), "end");
}

TEST_F(ModelManagerTest, AViewCoverHidesWhatWouldBeDrawnBeforeIt) {
  // Draw order of these: a2, a1 (list A, front to back), then b2, b1 (list B, back to front).
  struct Case {
    const char* name;
    std::vector<int> covers;  // indices into {a1, a2, b1, b2}
    std::vector<int> drawn;
  };
  const Case cases[] = {
      {"no cover draws everything", {}, {1, 0, 3, 2}},
      {"the front-most model of list B hides all else", {2}, {2}},
      {"the back model of list B hides list A only", {3}, {3, 2}},
      {"of two covers the front-most counts", {3, 2}, {2}},
      {"a cover in list A hides what list A draws before it", {0}, {0, 3, 2}},
      {"a cover in list B makes one in list A irrelevant", {1, 3}, {3, 2}},
  };
  Model* a1 = At(9.0f, kModelListA);
  Model* a2 = At(1.0f, kModelListA);
  Model* b1 = At(5.0f, kModelListB);
  Model* b2 = At(20.0f, kModelListB);
  const std::vector<Model*> all{a1, a2, b1, b2};
  for (const Case& c : cases) {
    for (Model* model : all) {
      model->coversView = false;
    }
    for (int i : c.covers) {
      all[i]->coversView = true;
    }
    Frame();
    std::vector<Model*> expected;
    for (int i : c.drawn) {
      expected.push_back(all[i]);
    }
    EXPECT_EQ(DrawOrder(all), expected) << c.name;
    EXPECT_EQ(models_->drawnModelCount, 4u) << c.name << ": the statistics still count the scene";
  }
  // A cover that is not visible this frame hides nothing.
  for (Model* model : all) {
    model->coversView = false;
  }
  b1->coversView = true;
  b1->ClearFlags(kModelVisible);
  Frame();
  EXPECT_EQ(DrawOrder(all), (std::vector<Model*>{a2, a1, b2})) << "an invisible cover";
}

TEST_F(ModelManagerTest, EqualAndMissingDepthsKeepTheRegistryOrder) {
  Model* first = At(2.0f, 0);
  Model* nan = At(std::numeric_limits<float>::quiet_NaN(), 0);
  Model* second = At(2.0f, 0);
  Model* third = At(2.0f, 0);
  for (int frame = 0; frame < 3; ++frame) {
    Frame();
    const std::vector<Model*> order = DrawOrder({first, nan, second, third});
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order, (std::vector<Model*>{nan, first, second, third})) << "frame " << frame;
  }
}

TEST_F(ModelManagerTest, StatisticsCountVisibleDrawnAndTriangles) {
  DefaultCamera()->position = Vector3();
  Model* shown =
      models_->CreateModel(kModelVisible | kModelStatic | kModelTriangleList, 3, 6, 1, nullptr, nullptr);
  shown->box.SetBox(Vector3(-1, -1, -6), Vector3(1, 1, -4));
  Model* culled =
      models_->CreateModel(kModelVisible | kModelStatic | kModelTriangleList, 3, 9, 1, nullptr, nullptr);
  culled->box.SetBox(Vector3(-1, -1, 4), Vector3(1, 1, 6));  // behind the camera
  Model* hidden =
      models_->CreateModel(kModelStatic | kModelTriangleList | kModelFrames, 3, 3, 2, nullptr, nullptr);
  hidden->animation->speed = 10.0f;
  hidden->animation->Play();
  Frame();
  EXPECT_EQ(models_->visibleModelCount, 2u);
  EXPECT_EQ(models_->drawnModelCount, 1u);
  EXPECT_EQ(models_->drawnPrimitiveCount, 2u);
  EXPECT_EQ(DrawOrder({shown, culled, hidden}), std::vector<Model*>{shown});
  EXPECT_GT(hidden->animation->position, 0.0f) << "hidden models still animate";
}

TEST_F(ModelManagerTest, EmptySceneIsStillBracketedAndPresented) {
  Frame();
  EXPECT_EQ(render_->events, (std::vector<std::string>{"begin", "end"}));
  models_->PresentFrame();
  EXPECT_EQ(render_->events.back(), "present");
}

TEST_F(ModelManagerTest, LostDeviceSkipsTheWholePass) {
  Model* model = At(1.0f, 0);
  model->flags |= kModelFrames;
  model->animation->speed = 10.0f;
  model->animation->Play();
  Frame();
  EXPECT_EQ(models_->visibleModelCount, 1u);
  render_->ready = false;
  const float position = model->animation->position;
  Frame();
  models_->PresentFrame();
  EXPECT_TRUE(render_->events.empty());
  EXPECT_EQ(models_->visibleModelCount, 0u);
  EXPECT_EQ(models_->drawnModelCount, 0u);
  EXPECT_EQ(models_->drawnPrimitiveCount, 0u);
  EXPECT_EQ(model->animation->position, position) << "no model is updated either";
}

TEST_F(ModelManagerTest, PrototypesAreNeitherDrawnNorDestroyedByTheManager) {
  Model* prototype = models_->NewBoxModel(Vector3(-1, -1, -6), Vector3(1, 1, -4), nullptr, nullptr, 0);
  EXPECT_EQ(models_->GetModelCount(), 0u);
  models_->DestroyModel(prototype);
  models_->DestroyModel(nullptr);
  EXPECT_EQ(prototype->name, "box") << "still alive";
  Frame();
  EXPECT_TRUE(render_->drawn.empty());

  Model* clone = models_->CloneModel(*prototype, nullptr, 0);
  EXPECT_EQ(models_->GetModelCount(), 1u);
  Frame();
  EXPECT_EQ(DrawOrder({clone}), std::vector<Model*>{clone});
  models_->DestroyModel(clone);
  EXPECT_EQ(models_->GetModelCount(), 0u);
  Frame();
  EXPECT_TRUE(render_->drawn.empty());
  delete prototype;
}

}  // namespace
}  // namespace CorvantisEngine::modeltest
