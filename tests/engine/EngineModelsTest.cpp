// The Engine's frame draws the scene resources: particles emitted and their sprites rebuilt in the same
// frame, then every visible model between scene begin and end, then the present.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/core/TimerManager.h"
#include "engine/resources/Model.h"
#include "engine/resources/ModelManager.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/SpriteGroup.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

class EngineModelsTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    display_ = platform_.SharedDisplay();
    engine_ = std::make_unique<Engine>(enginetest::GameParameters(temp_.Root()));
  }
  void TearDown() override { engine_.reset(); }

  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  testsupport::TempFolder temp_;
  std::unique_ptr<Engine> engine_;
};

TEST_F(EngineModelsTest, FrameDrawsModelsAndFreshParticlesBetweenSceneBeginAndEnd) {
  ModelManager* models = engine_->GetModelManager();
  ASSERT_NE(models, nullptr);
  ASSERT_NE(engine_->GetSpriteGroupManager(), nullptr);
  ASSERT_NE(engine_->GetParticleSystemManager(), nullptr);

  std::unique_ptr<Model> prototype(
      models->NewBoxModel(Vector3(-1, -1, -6), Vector3(1, 1, -4), nullptr, nullptr, 0));
  Model* box = models->CloneModel(*prototype, nullptr, 0);
  std::unique_ptr<ParticleSystem> effect(engine_->GetParticleSystemManager()->NewParticleSystem(nullptr));
  effect->parameters.gravityOn = false;
  for (float& speed : effect->parameters.speedKeys) {
    speed = 0.0f;
  }
  ParticleSystem* particles = engine_->GetParticleSystemManager()->CreateParticleSystem(*effect);
  particles->SetPosition(Vector3(0, 0, -10));
  particles->emitting = true;

  engine_->Tick();
  engine_->GetTimerManager()->delta = 0.1f;  // one particle per frame at 10 a second
  display_->ClearCalls();
  engine_->Update(0);

  EXPECT_EQ(particles->liveCount, 1u);
  // The prototype's empty sprite group is registered too: visible, with nothing to draw.
  EXPECT_EQ(models->visibleModelCount, 3u);
  EXPECT_EQ(models->drawnModelCount, 2u);
  EXPECT_EQ(models->drawnPrimitiveCount, 14u) << "12 box triangles and one sprite's two";
  const std::vector<platform::headless::DrawRecord> draws = display_->Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].indexCount, 36u) << "list A (the box) before list B (the sprites)";
  EXPECT_EQ(draws[1].indexCount, 6u);

  std::vector<std::string> order;
  for (const platform::headless::RecordedCall& call : display_->Calls()) {
    if (call.name == "BeginScene" || call.name == "DrawIndexedPrimitive" || call.name == "EndScene") {
      order.push_back(call.name);
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"BeginScene", "DrawIndexedPrimitive", "DrawIndexedPrimitive",
                                             "EndScene"}));
  EXPECT_EQ(display_->Presents().size(), 1u);
  models->DestroyModel(box);
}

}  // namespace
}  // namespace CorvantisEngine
