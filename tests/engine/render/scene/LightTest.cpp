#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "SceneFixture.h"
#include "engine/render/Light.h"
#include "engine/render/LightManager.h"

namespace CorvantisEngine::scenetest {
namespace {

class LightTest : public SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    lights_ = std::make_unique<LightManager>(log_.get(), render_.get());
  }
  void TearDown() override {
    lights_.reset();
    SceneFixture::TearDown();
  }

  bool DeviceLight(DWORD index, D3DLIGHT7* record) const {
    return Device()->GetLight(index, record) == D3D_OK;
  }
  bool DeviceLightOn(DWORD index) const {
    BOOL on = FALSE;
    return Device()->GetLightEnable(index, &on) == D3D_OK && on != FALSE;
  }

  std::unique_ptr<LightManager> lights_;
};

void ExpectColour(const D3DCOLORVALUE& c, float r, float g, float b, float a) {
  EXPECT_FLOAT_EQ(c.r, r);
  EXPECT_FLOAT_EQ(c.g, g);
  EXPECT_FLOAT_EQ(c.b, b);
  EXPECT_FLOAT_EQ(c.a, a);
}

void ExpectVector(const D3DVECTOR& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

// Every light gets the same distinct values; each type must pass on exactly its own fields.
void Dress(Light& light, std::uint32_t type, float theta, float phi) {
  light.type = type;
  light.position = Vector3(1.0f, 2.0f, 3.0f);
  light.direction = Vector3(0.0f, -1.0f, 0.0f);
  light.range = 50.0f;
  light.ambient = Vector4(0.1f, 0.2f, 0.3f, 1.0f);
  light.diffuse = Vector4(0.4f, 0.5f, 0.6f, 0.9f);
  light.specular = Vector4(0.7f, 0.8f, 0.9f, 0.5f);
  light.constantAttenuation = 0.5f;
  light.linearAttenuation = 0.25f;
  light.quadraticAttenuation = 0.125f;
  light.theta = theta;
  light.phi = phi;
}

TEST_F(LightTest, EachTypeUploadsItsOwnFields) {
  struct Row {
    const char* why;
    std::uint32_t type;
    float theta, phi;
    D3DLIGHTTYPE deviceType;
    bool positioned;  // position and attenuation
    bool directed;
    bool cone;  // theta, phi and falloff 1
  };
  const Row rows[] = {
      {"point: no direction", Light::kPoint, 0.3f, 0.6f, D3DLIGHT_POINT, true, false, false},
      {"spot: everything", Light::kSpot, 0.3f, 0.6f, D3DLIGHT_SPOT, true, true, true},
      {"spot with a closed cone", Light::kSpot, 0.0f, 0.0f, D3DLIGHT_SPOT, true, true, true},
      {"directional: direction only", Light::kDirectional, 0.3f, 0.6f, D3DLIGHT_DIRECTIONAL, false, true,
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    Light* light = lights_->CreateLight();
    ASSERT_NE(light, nullptr);
    Dress(*light, row.type, row.theta, row.phi);
    lights_->Update();

    D3DLIGHT7 d{};
    ASSERT_TRUE(DeviceLight(light->index, &d));
    EXPECT_TRUE(DeviceLightOn(light->index));
    EXPECT_EQ(d.dltType, row.deviceType);
    EXPECT_FLOAT_EQ(d.dvRange, 50.0f);
    ExpectColour(d.dcvAmbient, 0.1f, 0.2f, 0.3f, 1.0f);
    ExpectColour(d.dcvDiffuse, 0.4f, 0.5f, 0.6f, 0.9f);
    ExpectColour(d.dcvSpecular, 0.7f, 0.8f, 0.9f, 0.5f);
    if (row.positioned) {
      ExpectVector(d.dvPosition, 1.0f, 2.0f, 3.0f);
      EXPECT_FLOAT_EQ(d.dvAttenuation0, 0.5f);
      EXPECT_FLOAT_EQ(d.dvAttenuation1, 0.25f);
      EXPECT_FLOAT_EQ(d.dvAttenuation2, 0.125f);
    } else {
      ExpectVector(d.dvPosition, 0.0f, 0.0f, 0.0f);
      EXPECT_EQ(d.dvAttenuation0, 0.0f);
      EXPECT_EQ(d.dvAttenuation1, 0.0f);
      EXPECT_EQ(d.dvAttenuation2, 0.0f);
    }
    if (row.directed) {
      ExpectVector(d.dvDirection, 0.0f, -1.0f, 0.0f);
    } else {
      ExpectVector(d.dvDirection, 0.0f, 0.0f, 0.0f);
    }
    EXPECT_FLOAT_EQ(d.dvTheta, row.cone ? row.theta : 0.0f);
    EXPECT_FLOAT_EQ(d.dvPhi, row.cone ? row.phi : 0.0f);
    EXPECT_FLOAT_EQ(d.dvFalloff, row.cone ? 1.0f : 0.0f);
    lights_->DestroyLight(light);
  }
  EXPECT_EQ(CountLogged(LogRecord::kError, "Direct3D Subsystem"), 0);
}

TEST_F(LightTest, NewLightIsAWhiteUnboundedPointLight) {
  Light* light = lights_->CreateLight();
  ASSERT_NE(light, nullptr);
  lights_->Update();
  D3DLIGHT7 d{};
  ASSERT_TRUE(DeviceLight(light->index, &d));
  EXPECT_EQ(d.dltType, D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(d.dvRange, 1.8446743e19f);
  ExpectColour(d.dcvDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
  EXPECT_FLOAT_EQ(d.dvAttenuation0, 1.0f);
  EXPECT_EQ(CountLogged(LogRecord::kError, "Direct3D Subsystem"), 0);
}

TEST_F(LightTest, DisabledLightOnlySwitchesItsSlotOffEveryFrame) {
  Light* light = lights_->CreateLight();
  light->enabled = false;
  for (int frame = 0; frame < 3; ++frame) {
    lights_->Update();
  }
  EXPECT_EQ(display_->CountCalls("SetLight"), 0);
  EXPECT_EQ(display_->CountCalls("LightEnable", light->index), 3);
  EXPECT_FALSE(DeviceLightOn(light->index));

  // Switching it back on uploads it; switching off again darkens the slot.
  light->enabled = true;
  lights_->Update();
  EXPECT_TRUE(DeviceLightOn(light->index));
  light->enabled = false;
  lights_->Update();
  EXPECT_FALSE(DeviceLightOn(light->index));
}

TEST_F(LightTest, AmbientColourReachesTheDeviceOnceOverSeveralFrames) {
  lights_->SetAmbientColour(Vector4(0.2f, 0.4f, 0.6f, 1.0f));
  for (int frame = 0; frame < 4; ++frame) {
    lights_->Update();
  }
  EXPECT_EQ(display_->CountCalls("SetRenderState", D3DRENDERSTATE_AMBIENT), 1);
  DWORD ambient = 0;
  Device()->GetRenderState(D3DRENDERSTATE_AMBIENT, &ambient);
  EXPECT_EQ(ambient & 0x00FFFFFFu,
            RenderSystem_D3D7::PackColour(Vector4(0.2f, 0.4f, 0.6f, 1.0f)) & 0x00FFFFFFu);
  // With no lights nothing else is sent.
  EXPECT_EQ(display_->CountCalls("SetLight"), 0);
  EXPECT_EQ(display_->CountCalls("LightEnable"), 0);
}

TEST_F(LightTest, LightingSwitchGoesThroughTheCache) {
  lights_->SetLightingEnabled(true);
  lights_->SetLightingEnabled(true);
  lights_->SetLightingEnabled(false);
  lights_->SetLightingEnabled(false);
  EXPECT_EQ(display_->CountCalls("SetRenderState", D3DRENDERSTATE_LIGHTING), 2);
  DWORD lighting = 1;
  Device()->GetRenderState(D3DRENDERSTATE_LIGHTING, &lighting);
  EXPECT_EQ(lighting, 0u);
}

TEST_F(LightTest, UnknownTypeIsReportedAndLeavesTheSlotDark) {
  Light* light = lights_->CreateLight();
  light->type = 7;
  lights_->Update();
  EXPECT_EQ(CountLogged(LogRecord::kError, "Direct3D Subsystem (Light_D3D7::Refresh)"), 1);
  EXPECT_FALSE(DeviceLightOn(light->index));
}

TEST_F(LightTest, FreedSlotsAreReusedLastFreedFirst) {
  Light* a = lights_->CreateLight();
  Light* b = lights_->CreateLight();
  Light* c = lights_->CreateLight();
  ASSERT_EQ(a->index, 0u);
  ASSERT_EQ(b->index, 1u);
  ASSERT_EQ(c->index, 2u);
  lights_->Update();
  lights_->DestroyLight(a);
  lights_->DestroyLight(c);
  EXPECT_FALSE(DeviceLightOn(0));  // a destroyed light switches its slot off
  EXPECT_FALSE(DeviceLightOn(2));
  EXPECT_TRUE(DeviceLightOn(1));
  EXPECT_EQ(lights_->GetLightCount(), 1u);
  EXPECT_EQ(lights_->CreateLight()->index, 2u);
  EXPECT_EQ(lights_->CreateLight()->index, 0u);
  EXPECT_EQ(lights_->CreateLight()->index, 3u);
  EXPECT_EQ(lights_->GetLightCount(), 4u);
}

TEST_F(LightTest, DestroyingAForeignOrNullLightChangesNothing) {
  Light* own = lights_->CreateLight();
  LightManager other(log_.get(), render_.get());
  Light* foreign = other.CreateLight();
  lights_->DestroyLight(nullptr);
  lights_->DestroyLight(foreign);
  EXPECT_EQ(CountLogged(LogRecord::kWarning, "LightManager::DestroyLight"), 1);
  EXPECT_EQ(lights_->GetLightCount(), 1u);
  EXPECT_EQ(lights_->GetLight(own->index), own);
  EXPECT_EQ(other.GetLightCount(), 1u);
}

TEST_F(LightTest, ManagerDestructionSwitchesEveryLightOff) {
  lights_->CreateLight();
  lights_->CreateLight();
  lights_->Update();
  ASSERT_TRUE(DeviceLightOn(0));
  lights_.reset();
  EXPECT_FALSE(DeviceLightOn(0));
  EXPECT_FALSE(DeviceLightOn(1));
}

TEST_F(LightTest, LightsFollowTheDeviceThroughAReset) {
  Light* light = lights_->CreateLight();
  light->type = Light::kDirectional;
  lights_->Update();
  render_->Reset(3);
  ASSERT_NE(Device(), nullptr);
  lights_->Update();
  D3DLIGHT7 d{};
  ASSERT_TRUE(DeviceLight(light->index, &d));
  EXPECT_EQ(d.dltType, D3DLIGHT_DIRECTIONAL);
  EXPECT_TRUE(DeviceLightOn(light->index));
}

}  // namespace
}  // namespace CorvantisEngine::scenetest
