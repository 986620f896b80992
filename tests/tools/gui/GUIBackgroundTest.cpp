// The menu background: layers from its file (kinds, numbering, prefix, basic and additional), the
// animation and particle set-up of a layer, the whole-background fade, a layer's own fade-in, and an
// unreadable file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GUIToolsFixture.h"
#include "engine/resources/ParticleSystem.h"
#include "engine/resources/SpriteGroup.h"
#include "tools/gui/GUIBackgroundBase.h"
#include "tools/gui/GUIBackgroundLayer.h"

namespace GUITools::guitest {
namespace {

constexpr float kStep = 0.125f;

class GUIBackgroundTest : public GUIToolsFixture {
 protected:
  void SetUp() override {
    // The keys live under "bg/" (the file's prefix), not under "ui/".
    for (const char* name : {"sky", "hills", "path"}) {
      Model* model = AddModel(name, 8, {400, 300}, {10, 5}, "bg/");
      model->animation->speed = 4.0f;
    }
    auto* sparks = GetEngine()->GetParticleSystemManager()->NewParticleSystem(nullptr);
    sparks->spawnMode = 1;
    sparks->spawnBox.SetBox({-20, -10, 0}, {20, 10, 0});
    Keeper()->AddParticleSystem("bg/sparks", sparks);
    auto* dust = GetEngine()->GetParticleSystemManager()->NewParticleSystem(nullptr);
    Keeper()->AddParticleSystem("bg/dust", dust);
    shader_ = AddShader("tint", "bg/");
  }
  void TearDown() override { background_.reset(); }

  GUIBackgroundBase& Make(const std::string& text) {
    Write("data/ui/background/background.xml", text);
    background_ = std::make_unique<GUIBackgroundBase>(GetEngine(), Keeper(), nullptr,
                                                      "data\\ui\\background\\background.xml");
    return *background_;
  }
  void Step(int updates) {
    SetDelta(kStep);
    for (int i = 0; i < updates; ++i) {
      background_->Update();
    }
  }
  static float Alpha(const GUIBackgroundLayer* layer) { return layer->GetWindow()->GetColour().w; }

  ShaderUser* shader_ = nullptr;
  std::unique_ptr<GUIBackgroundBase> background_;
};

const char* kThreeChildren =
    "<background resources_prefix=\"bg\">\n"
    "  <model name=\"sky\" random_start_frame=\"0\" color=\"1 0.5 0.25 0.5\"/>\n"
    "  <picture name=\"hills\"/>\n"
    "  <particles name=\"sparks\" shader=\"tint\"/>\n"
    "  <model name=\"hills\" additional=\"1\" animation_speed=\"0\" random_start_frame=\"0\"/>\n"
    "  <model shader=\"tint\"/>\n"
    "</background>\n";

TEST_F(GUIBackgroundTest, LayersFromTheFile) {
  GUIBackgroundBase& b = Make(kThreeChildren);
  EXPECT_EQ(b.GetResourcePrefix(), "bg/");
  EXPECT_TRUE(b.GetLayers().empty()) << "no layer before the owner asks";
  EXPECT_EQ(b.GetMenuContainer()->layer, 5 + 3) << "above every layer: children + 3";
  EXPECT_EQ(b.GetRoot()->visible, 1);
  EXPECT_EQ(b.GetMenuContainer()->visible, 1);
  EXPECT_FALSE(b.IsVisible());

  b.LoadBasicLayers();
  ASSERT_EQ(b.GetLayers().size(), 2u) << "another element name and a nameless one give no layer";
  const GUIBackgroundLayer* sky = b.GetLayers()[0];
  const GUIBackgroundLayer* sparks = b.GetLayers()[1];
  EXPECT_EQ(sky->GetWindow()->layer, 1);
  EXPECT_EQ(sparks->GetWindow()->layer, 3) << "every child counts in the numbering";
  EXPECT_EQ(sky->GetWindow()->parent, b.GetLayerContainer());
  EXPECT_EQ(sky->GetWindow()->model->name, "model:sky");
  EXPECT_NE(sky->GetWindow()->model, Keeper()->GetModel("bg/sky")) << "a copy";
  EXPECT_EQ(sky->GetWindow()->state & kGUIShown, 0u);
  EXPECT_EQ(sparks->GetWindow()->model, nullptr);
  ASSERT_NE(sparks->GetParticleSystem(), nullptr);
  EXPECT_NE(sparks->GetParticleSystem(), Keeper()->GetParticleSystem("bg/sparks"));
  EXPECT_FALSE(LoggedError("There is no")) << "every name got its prefix";

  b.LoadAdditionalLayers();
  ASSERT_EQ(b.GetLayers().size(), 3u);
  EXPECT_EQ(b.GetLayers()[2]->GetWindow()->layer, 4);
  EXPECT_EQ(b.GetLayers()[2]->GetWindow()->model->name, "model:hills");
}

TEST_F(GUIBackgroundTest, LayerAnimationsLoopOnTheWindowsOwnCopy) {
  GUIBackgroundBase& b = Make(
      "<background resources_prefix=\"bg\">\n"
      "  <model name=\"sky\" random_start_frame=\"0\"/>\n"
      "  <model name=\"hills\" animation_speed=\"0\" random_start_frame=\"0\"/>\n"
      "  <model name=\"path\" animation_speed=\"-2\"/>\n"
      "  <model name=\"sky\" animation_speed=\"6\" animator_model=\"path\" random_start_frame=\"0\"/>\n"
      "</background>\n");
  b.LoadBasicLayers();
  ASSERT_EQ(b.GetLayers().size(), 4u);
  const AnimationControl* sky = b.GetLayers()[0]->GetAnimation();
  EXPECT_TRUE(sky->loop);
  EXPECT_TRUE(sky->playing);
  EXPECT_FLOAT_EQ(sky->position, 0.0f) << "random_start_frame 0 starts at the beginning";
  EXPECT_FLOAT_EQ(sky->speed, 4.0f) << "no speed: the model's own";
  EXPECT_FLOAT_EQ(b.GetLayers()[1]->GetAnimation()->speed, 0.0f) << "0 stops it";
  EXPECT_FLOAT_EQ(b.GetLayers()[2]->GetAnimation()->speed, 4.0f) << "negative: the model's own";
  const AnimationControl* prototype = Keeper()->GetModel("bg/sky")->animation;
  EXPECT_FALSE(prototype->loop) << "the keeper's model is left alone";
  EXPECT_FALSE(prototype->playing);

  GUIBackgroundLayer* moving = b.GetLayers()[3];
  ASSERT_NE(moving->GetAnimator(), nullptr);
  EXPECT_FLOAT_EQ(moving->GetAnimator()->animation->speed, 6.0f);
  EXPECT_TRUE(moving->GetAnimator()->animation->loop);
  b.SetVisible(true, false, 1.0f);
  Step(1);
  // 6 frames per second for 1/8 s: 0.75 of the way from frame 0 (400, 300) to frame 1 (410, 305), at
  // (407.5, 303.75), put on the nearest whole pixel of the 800 x 600 screen.
  EXPECT_FLOAT_EQ(moving->GetWindow()->position.x, 408.0f);
  EXPECT_FLOAT_EQ(moving->GetWindow()->position.y, 304.0f);
}

TEST_F(GUIBackgroundTest, ParticleLayersFollowTheirWindow) {
  GUIBackgroundBase& b = Make(
      "<background resources_prefix=\"bg\">\n"
      "  <particles name=\"sparks\" animator_model=\"path\" random_start_frame=\"0\" "
      "animation_speed=\"0\"/>\n"
      "  <particles name=\"dust\" shader=\"tint\" color=\"1 1 1 0.5\"/>\n"
      "</background>\n");
  const std::uint32_t systems = GetEngine()->GetParticleSystemManager()->GetSystemCount();
  b.LoadBasicLayers();
  ASSERT_EQ(b.GetLayers().size(), 2u);
  EXPECT_EQ(GetEngine()->GetParticleSystemManager()->GetSystemCount(), systems + 2) << "registered copies";
  ParticleSystem* sparks = b.GetLayers()[0]->GetParticleSystem();
  ParticleSystem* dust = b.GetLayers()[1]->GetParticleSystem();
  EXPECT_EQ(sparks->GetModel()->camera, GetEngine()->GetGUIManager()->GetCamera());
  EXPECT_NE(sparks->GetModel()->flags & kModelKeepDepth, 0u);
  EXPECT_FLOAT_EQ(sparks->GetModel()->depth, b.GetLayers()[0]->GetWindow()->depth);
  EXPECT_TRUE(sparks->looping);
  EXPECT_TRUE(sparks->emitting);
  EXPECT_FALSE(sparks->IsVisible()) << "hidden with its hidden background";
  EXPECT_EQ(dust->GetShader()->GetStage(0).diffuseName, "ui\\tint.tga");
  EXPECT_NE(dust->GetShader()->GetFlags() & ShaderDescriptor::kAlphaBlend, 0u);
  EXPECT_EQ(dust->GetShader()->GetSourceBlend(), 4u);
  EXPECT_EQ(dust->GetShader()->GetDestinationBlend(), 5u);

  b.SetVisible(true, false, 1.0f);
  EXPECT_TRUE(sparks->IsVisible());
  EXPECT_FLOAT_EQ(dust->GetSpriteGroup()->colour.w, 0.5f);
  b.GetLayers()[1]->GetWindow()->position = {50, 60};
  Step(1);
  // The animator holds at frame 0: the layer sits at (400, 300); the area emitter keeps its size.
  EXPECT_EQ(sparks->spawnBox.localMin, (Vector3{380, 290, 0}));
  EXPECT_EQ(sparks->spawnBox.localMax, (Vector3{420, 310, 0}));
  EXPECT_EQ(dust->position, (Vector3{50, 60, 0})) << "a point emitter goes to the layer's position";

  background_.reset();
  EXPECT_EQ(GetEngine()->GetParticleSystemManager()->GetSystemCount(), systems)
      << "the layers take them along";
}

TEST_F(GUIBackgroundTest, ModelLayersBlendTheirShader) {
  GUIBackgroundBase& b =
      Make("<background resources_prefix=\"bg\"><model name=\"sky\" shader=\"tint\"/></background>");
  b.LoadBasicLayers();
  const ShaderUser* shader = b.GetLayers()[0]->GetWindow()->GetTexture();
  ASSERT_NE(shader, nullptr);
  EXPECT_EQ(shader->GetStage(0).diffuseName, "ui\\tint.tga");
  EXPECT_NE(shader->GetFlags() & ShaderDescriptor::kAlphaBlend, 0u);
  EXPECT_EQ(shader->GetSourceBlend(), 4u);
  EXPECT_EQ(shader->GetDestinationBlend(), 5u);
}

TEST_F(GUIBackgroundTest, FadingTheWholeBackground) {
  GUIBackgroundBase& b = Make(kThreeChildren);
  b.LoadBasicLayers();
  const GUIBackgroundLayer* sky = b.GetLayers()[0];
  b.SetVisible(true, false, 1.0f);
  EXPECT_TRUE(b.IsVisible());
  EXPECT_NEAR(Alpha(sky), 0.5f, 0.01f) << "the layer's own alpha";
  Step(1);
  EXPECT_NEAR(Alpha(sky), 0.5f, 0.01f);

  b.SetVisible(false, true, 0.5f);
  Step(8);
  EXPECT_TRUE(b.IsVisible());
  EXPECT_NEAR(Alpha(sky), 0.25f, 0.01f) << "half way after 1 s of 2";
  Step(7);
  EXPECT_TRUE(b.IsVisible());
  Step(1);
  EXPECT_FALSE(b.IsVisible()) << "hidden after 2 s";
  EXPECT_EQ(sky->GetWindow()->visible, 0);
  EXPECT_FALSE(b.GetLayers()[1]->GetParticleSystem()->IsVisible());

  b.SetVisible(true, true, 1.0f);
  Step(4);
  EXPECT_NEAR(Alpha(sky), 0.25f, 0.01f);
  b.SetVisible(true, true, 1.0f);
  Step(1);
  EXPECT_NEAR(Alpha(sky), 0.5f * 0.125f, 0.01f) << "a second fade-in restarts from transparent";
  Step(7);
  EXPECT_NEAR(Alpha(sky), 0.5f, 0.01f);
  Step(2);
  EXPECT_NEAR(Alpha(sky), 0.5f, 0.01f) << "the fade is over";

  b.SetVisible(false, false, 1.0f);
  EXPECT_FALSE(b.IsVisible()) << "without fade: at once";
}

TEST_F(GUIBackgroundTest, ALayerAddedWhileShownFadesInOverASecond) {
  GUIBackgroundBase& b = Make(kThreeChildren);
  b.LoadBasicLayers();
  b.SetVisible(true, false, 1.0f);
  b.LoadAdditionalLayers();
  GUIBackgroundLayer* hills = b.GetLayers()[2];
  EXPECT_EQ(hills->GetWindow()->visible, 1);
  EXPECT_NEAR(Alpha(hills), 0.0f, 0.01f);
  Step(4);
  EXPECT_NEAR(hills->GetFactor(), 0.5f, 1e-4f);
  EXPECT_NEAR(Alpha(hills), 0.5f, 0.01f);
  Step(4);
  EXPECT_NEAR(Alpha(hills), 1.0f, 0.01f);
  EXPECT_FALSE(hills->IsFading());
}

TEST_F(GUIBackgroundTest, AnUnreadableFileGivesAnEmptyBackground) {
  background_ = std::make_unique<GUIBackgroundBase>(GetEngine(), Keeper(), nullptr, "data\\ui\\nothing.xml");
  EXPECT_TRUE(LoggedError("nothing.xml"));
  GUIBackgroundBase& b = *background_;
  b.LoadBasicLayers();
  b.LoadAdditionalLayers();
  b.SetVisible(true, true, 1.0f);
  Step(2);
  b.SetVisible(false, true, 1.0f);
  Step(10);
  EXPECT_TRUE(b.GetLayers().empty());
  EXPECT_FALSE(b.IsVisible());

  Make("<background><model name=\"sky\"></background>\n<second/>");
  EXPECT_GE(Logged(LogRecord::kError).size(), 2u) << "a malformed file is logged too";
  background_->LoadBasicLayers();
  EXPECT_TRUE(background_->GetLayers().empty());
}

}  // namespace
}  // namespace GUITools::guitest
