// The frames the window shows come from the device: the engine's frame clears and presents through the
// render system, and the window's framebuffer, read straight from OpenGL, holds the clear colour.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "engine/Engine.h"
#include "engine/EngineStartParameters.h"
#include "engine/config/Config.h"
#include "engine/render/RenderSystem.h"
#include "platform/win32/WinMessages.h"
#include "support/TempFolder.h"

namespace CorvantisEngine {
namespace {

// A pixel of the window (OpenGL's window coordinates: y up), as 0xRRGGBB, from the window's own framebuffer
// (not the device's off-screen one). Mesa's software renderer keeps the swapped frame in the window's back
// buffer, which is where the device's present copied it.
std::uint32_t WindowPixel(int x, int y) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  std::uint8_t rgba[4] = {};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return static_cast<std::uint32_t>(rgba[0]) << 16 | static_cast<std::uint32_t>(rgba[1]) << 8 | rgba[2];
}

EngineStartParameters Parameters(const testsupport::TempFolder& folder) {
  EngineStartParameters p;
  p.name = p.applicationName = p.logName = "Frames";
  p.version = 100;
  p.logFolder = p.configFolder = p.dataFolder = folder.Win("");
  p.packFolder = "Data";
  p.defaultVideoMode = "640x480x32";
  p.forceDefaultVideoMode = 1;
  p.forceDefaultFullScreen = 1;
  p.defaultFullScreen = 0;
  p.centreWindow = 1;
  p.stencilRequested = 1;
  return p;
}

void Frame(Engine& engine) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  engine.Tick();
  engine.Update(0);
}

TEST(WindowFrameTest, TheWindowShowsTheDevicesFrames) {
  testsupport::TempFolder folder;
  Engine engine(Parameters(folder));
  RenderSystem& render = *engine.GetRenderSystem();
  ASSERT_TRUE(render.IsReady());

  Frame(engine);
  EXPECT_EQ(WindowPixel(320, 240), 0u) << "the engine's default clear colour is black";

  render.SetClearColour(Vector4(0.2f, 0.4f, 0.6f, 1.0f));
  Frame(engine);
  const std::uint32_t shown = WindowPixel(320, 240);
  EXPECT_NEAR(static_cast<int>(shown >> 16), 51, 1) << std::hex << shown;
  EXPECT_NEAR(static_cast<int>((shown >> 8) & 255), 102, 1) << std::hex << shown;
  EXPECT_NEAR(static_cast<int>(shown & 255), 153, 1) << std::hex << shown;
}

TEST(WindowFrameTest, FullScreenScalesTheFrameWithItsAspectKept) {
  testsupport::TempFolder folder;
  EngineStartParameters p = Parameters(folder);
  p.defaultFullScreen = 1;  // 640x480 on the 1280x1024 screen: 1280x960 with bars of 32 rows
  Engine engine(p);
  engine.GetRenderSystem()->SetClearColour(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
  // From the first frame on: the window grew to cover the screen after the device was made.
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    Frame(engine);
    EXPECT_EQ(WindowPixel(640, 512), 0xFFFFFFu);
    EXPECT_EQ(WindowPixel(1270, 512), 0xFFFFFFu) << "the frame reaches the sides";
    EXPECT_EQ(WindowPixel(640, 10), 0u) << "bar below";
    EXPECT_EQ(WindowPixel(640, 1015), 0u) << "bar above";
  }
}

// Xvfb's swap returns at once whatever the swap interval: with "v_vsync" the device itself holds each
// frame to the display's refresh interval (60 Hz here), windowed as in full screen; without it, to twice
// that rate rather than as fast as the machine draws. Only lower bounds are checked: a slower machine only
// makes the frames later.
TEST(WindowFrameTest, TheFramesKeepToTheDisplaysRateWithVsyncAndToTwiceItWithout) {
  testsupport::TempFolder folder;
  Engine engine(Parameters(folder));
  ASSERT_NE(engine.GetConfig()->v_vsync, 0) << "on by default";
  auto framesTake = [&](int frames) {
    Frame(engine);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
      Frame(engine);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  constexpr int kFrames = 12;
  EXPECT_GE(framesTake(kFrames), 0.9 * (kFrames - 1) / 60.0) << "vsync on";
  engine.GetConfig()->v_vsync = 0;
  EXPECT_GE(framesTake(2 * kFrames), 0.9 * (2 * kFrames - 1) / 120.0) << "vsync off";
}

}  // namespace
}  // namespace CorvantisEngine
