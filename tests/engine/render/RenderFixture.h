#pragma once
// The render rig (log, files, configuration, window, RenderSystem_D3D7) over fresh headless window and
// display drivers, with the render system made by each test (Make), and readers of the device's states.

#include <gtest/gtest.h>

#include <memory>

#include "engine/render/HardwareInfo_D3D7.h"
#include "platform/ddraw/DisplayDriver.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/RenderRig.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine::testkit {

class RenderFixture : public testsupport::HeadlessTest, public testsupport::RenderRig {
 protected:
  // "v_mode" holds 800x600x32; its own text is 1024x768x32, the selection's first fallback.
  RenderFixture() : RenderRig("1024x768x32", "800x600x32") {}

  void SetUp() override {
    windows_ = &platform_.Windows();
    display_ = platform_.SharedDisplay();
    baseline_ = platform::ddraw::LiveObjectCount();
  }

  // Both the window layer's desktop and the display's.
  void SetDesktop(std::uint32_t width, std::uint32_t height, std::uint32_t bits = 32) {
    windows_->SetDesktopSize(static_cast<int>(width), static_cast<int>(height));
    display_->Plan().desktop = {width, height, bits, 60};
  }

  RenderSystem_D3D7& Make(bool stencil = false, bool keepWindowSize = false) {
    return MakeRenderSystem(stencil, keepWindowSize);
  }

  DWORD RenderState(D3DRENDERSTATETYPE type) const {
    DWORD value = 0;
    render_->GetDevice()->GetRenderState(type, &value);
    return value;
  }
  DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    DWORD value = 0;
    render_->GetDevice()->GetTextureStageState(stage, type, &value);
    return value;
  }

  platform::headless::HeadlessWindowDriver* windows_ = nullptr;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  int baseline_ = 0;
};

}  // namespace CorvantisEngine::testkit
