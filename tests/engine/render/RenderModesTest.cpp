// Adapter and mode lists and the choice of video mode.
#include "RenderFixture.h"
#include "engine/core/Error.h"

namespace CorvantisEngine::testkit {
namespace {

using ModesTest = RenderFixture;

TEST_F(ModesTest, ModeListsAreSortedAndKeepOnlyUsableModes) {
  SetDesktop(1280, 1024);
  RenderSystem_D3D7& render = Make();
  ASSERT_EQ(render.adapters.size(), 1u);
  auto* adapter = static_cast<AdapterInfo_D3D7*>(render.adapters[0]);
  EXPECT_TRUE(adapter->canRenderWindowed);
  EXPECT_EQ(adapter->desktopMode.dmPelsWidth, 1280u);
  ASSERT_EQ(adapter->devices.size(), 2u) << "software and hardware";
  const auto& modes = adapter->devices[0]->modes;
  ASSERT_FALSE(modes.empty());
  for (std::size_t i = 0; i < modes.size(); ++i) {
    EXPECT_GE(modes[i]->width, 640u);
    EXPECT_GE(modes[i]->height, 400u);
    EXPECT_LE(modes[i]->width, 1280u);
    EXPECT_LE(modes[i]->height, 1024u);
    EXPECT_TRUE(modes[i]->bitsPerPixel == 16 || modes[i]->bitsPerPixel == 32);
    if (i > 0) {
      const ModeInfo& a = *modes[i - 1];
      const ModeInfo& b = *modes[i];
      EXPECT_TRUE(a.width > b.width ||
                  (a.width == b.width &&
                   (a.height > b.height || (a.height == b.height && a.bitsPerPixel > b.bitsPerPixel))))
          << "descending order at " << i;
    }
  }
  EXPECT_EQ(modes.front()->width, 1280u);
  EXPECT_EQ(modes.front()->bitsPerPixel, 32u);
}

TEST_F(ModesTest, VideoModeChoiceTable) {
  struct Row {
    const char* why;
    std::uint32_t desktopWidth, desktopHeight;
    const char* mode;
    bool fullScreen;
    bool keepWindowSize;
    std::uint32_t width, height, bits;
    const char* modeAfter;
    bool fullScreenAfter;
  };
  const Row rows[] = {
      {"the desktop's own mode, full screen", 1280, 1024, "Desktop", false, false, 1280, 1024, 32, "Desktop",
       true},
      {"windowed on a same-size desktop: the largest smaller 4:3 mode", 1280, 1024, "1280x1024x32", false,
       false, 1152, 864, 32, "1152x864x32", false},
      {"windowed larger than the desktop, kept as asked", 1024, 768, "1024x768x32", false, true, 1024, 768,
       32, "1024x768x32", false},
      {"windowed and smaller: exact", 1024, 768, "800x600x16", false, false, 800, 600, 16, "800x600x16",
       false},
      {"full screen at the desktop size: exact", 1024, 768, "1024x768x32", true, false, 1024, 768, 32,
       "1024x768x32", true},
      {"no 4:3 mode fits under the desktop: the exact mode", 800, 600, "800x600x32", false, false, 800, 600,
       32, "800x600x32", false},
      {"a missing mode falls back to the variable's own text", 1280, 1024, "1000x700x32", false, false, 1024,
       768, 32, "1024x768x32", false},
      {"a missing default falls back to 640x480x16", 800, 600, "1000x700x32", false, false, 640, 480, 16,
       "640x480x16", false},
      {"text that does not parse reads as 640x480x16", 1280, 1024, "fast", false, false, 640, 480, 16, "fast",
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    render_.reset();
    window_.reset();
    SetDesktop(row.desktopWidth, row.desktopHeight);
    config_->v_mode = row.mode;
    config_->v_fullscreen = row.fullScreen ? 1 : 0;
    RenderSystem_D3D7& render = Make(false, row.keepWindowSize);
    const DeviceInfo* device = render.currentAdapter->currentDevice;
    ASSERT_NE(device->currentMode, nullptr);
    EXPECT_EQ(device->currentMode->width, row.width);
    EXPECT_EQ(device->currentMode->height, row.height);
    EXPECT_EQ(device->currentMode->bitsPerPixel, row.bits);
    EXPECT_EQ(config_->v_mode, row.modeAfter);
    EXPECT_EQ(config_->v_fullscreen != 0, row.fullScreenAfter);
    EXPECT_EQ(device->fullScreen, row.fullScreenAfter);
    EXPECT_EQ(render.GetBackBufferDescription().dwWidth, row.width);
    EXPECT_EQ(window_->GetWidth(), row.width) << "the window took the mode's size";
  }
}

TEST_F(ModesTest, CheckVideoModeComparesTheConfiguredMode) {
  RenderSystem_D3D7& render = Make();
  render.modeChanged = false;
  config_->v_mode = "desktop";
  render.CheckVideoMode();
  EXPECT_TRUE(render.IsResetNeeded()) << "\"desktop\" is parsed as 640x480x16";
  EXPECT_TRUE(render.IsModeChanged());

  render.Reset(3);
  EXPECT_EQ(render.currentAdapter->currentDevice->currentMode->width, 1024u) << "the reset chose the desktop";
  EXPECT_TRUE(render.currentAdapter->currentDevice->fullScreen);
  config_->v_mode = "800x600x32";
  config_->v_fullscreen = 0;
  render.CheckVideoMode();
  EXPECT_TRUE(render.IsResetNeeded());
  render.Reset(3);
  render.CheckVideoMode();
  EXPECT_FALSE(render.IsResetNeeded());
  render_.reset();
  EXPECT_EQ(platform::ddraw::LiveObjectCount(), baseline_);
}

}  // namespace
}  // namespace CorvantisEngine::testkit
