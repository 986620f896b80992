#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/Light.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

class EngineSceneTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override { display_ = platform_.SharedDisplay(); }

  EngineStartParameters Parameters() const {
    EngineStartParameters p = enginetest::GameParameters(temp_.Root());
    p.forceDefaultVideoMode = 1;
    p.forceDefaultFullScreen = 1;
    return p;
  }

  testsupport::TempFolder temp_;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
};

TEST_F(EngineSceneTest, RenderPassUpdatesCamerasAndLights) {
  Engine engine(Parameters());
  CameraManager* cameras = engine.GetCameraManager();
  LightManager* lights = engine.GetLightManager();
  ASSERT_NE(cameras, nullptr);
  ASSERT_NE(lights, nullptr);
  Camera* camera = cameras->GetDefaultCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->projection, Matrix4()) << "nothing computed before the first frame";

  Light* light = lights->CreateLight();
  ASSERT_NE(light, nullptr);
  lights->SetAmbientColour(Vector4(0.25f, 0.5f, 0.75f, 1.0f));
  engine.Tick();
  engine.Update(0);

  EXPECT_NE(camera->projection, Matrix4());
  EXPECT_EQ(cameras->GetViewportWidth(), engine.GetWindow()->GetWidth());
  EXPECT_EQ(cameras->GetViewportHeight(), engine.GetWindow()->GetHeight());
  auto* render = static_cast<RenderSystem_D3D7*>(engine.GetRenderSystem());
  BOOL on = FALSE;
  ASSERT_EQ(render->GetDevice()->GetLightEnable(light->index, &on), D3D_OK);
  EXPECT_NE(on, FALSE);
  DWORD ambient = 0;
  render->GetDevice()->GetRenderState(D3DRENDERSTATE_AMBIENT, &ambient);
  EXPECT_EQ(ambient & 0x00FFFFFFu,
            RenderSystem_D3D7::PackColour(Vector4(0.25f, 0.5f, 0.75f, 1.0f)) & 0x00FFFFFFu);
  // The engine goes with a light still alive: the light's slot is switched off before the device goes.
}

}  // namespace
}  // namespace CorvantisEngine
