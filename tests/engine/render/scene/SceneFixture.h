#pragma once
// A headless RenderSystem_D3D7 (800 x 600 window, fresh window and display drivers) on the render rig,
// made before each test with the display's call record cleared, and a reader of the device's transforms.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/core/Matrix4.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/RenderRig.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine::scenetest {

class SceneFixture : public testsupport::HeadlessTest, public testsupport::RenderRig {
 protected:
  void SetUp() override {
    display_ = platform_.SharedDisplay();
    MakeRenderSystem();
    ASSERT_NE(render_->GetDevice(), nullptr);
    display_->ClearCalls();
  }

  IDirect3DDevice7* Device() const { return render_->GetDevice(); }

  Matrix4 DeviceTransform(D3DTRANSFORMSTATETYPE type) const {
    D3DMATRIX d;
    EXPECT_EQ(Device()->GetTransform(type, &d), D3D_OK);
    Matrix4 m;
    std::memcpy(m.m, &d, sizeof(m.m));
    return m;
  }

  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
};

}  // namespace CorvantisEngine::scenetest
