// What only pixels show: the engine's console, once open, covers the top of the scene with its window in
// the console's alpha, and leaves the rest of the scene alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/Engine.h"
#include "engine/EngineStartParameters.h"
#include "engine/config/Config.h"
#include "engine/console/Console.h"
#include "engine/gui/GUIManager.h"
#include "engine/render/RenderSystem_D3D7.h"
#include "engine/resources/ShaderDescriptor.h"
#include "platform/ddraw/D3D.h"
#include "support/TempFolder.h"

// The system's D-Bus library keeps a buffer SDL's video start-up made until the process ends.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}

namespace CorvantisEngine {
namespace {

struct Rgb {
  int r, g, b;
};

// The back buffer's pixel (row 0 at the top) after the engine's render pass.
Rgb Pixel(Engine& engine, int x, int y) {
  auto* render = static_cast<RenderSystem_D3D7*>(engine.GetRenderSystem());
  LPDIRECTDRAWSURFACE7 target = nullptr;
  EXPECT_EQ(render->GetDevice()->GetRenderTarget(&target), D3D_OK);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  EXPECT_EQ(target->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  std::uint32_t value = 0;
  std::memcpy(&value, static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch + x * 4, 4);
  target->Unlock(nullptr);
  target->Release();
  return {static_cast<int>((value >> 16) & 255), static_cast<int>((value >> 8) & 255),
          static_cast<int>(value & 255)};
}

TEST(ConsoleDisplayTest, TheOpenConsoleDrawsOverTheScene) {
  testsupport::TempFolder folder;
  EngineStartParameters p;
  p.name = p.applicationName = p.logName = "Console Pixels";
  p.version = 100;
  p.logFolder = p.configFolder = p.dataFolder = folder.Win("");
  p.packFolder = "Data";
  p.defaultVideoMode = "640x480x32";
  p.forceDefaultVideoMode = 1;
  p.forceDefaultFullScreen = 1;
  p.defaultFullScreen = 0;
  p.centreWindow = 1;
  Engine engine(p);
  ASSERT_TRUE(engine.GetRenderSystem()->IsReady());
  engine.GetGUIManager()->SetScreenSize(800.0f, 600.0f);
  engine.GetRenderSystem()->SetClearColour(Vector4(0.0f, 0.0f, 1.0f, 1.0f));

  // An untextured window blended by its vertices' alpha; half the screen, opaque, fast enough to open
  // within a few frames whatever the clock does.
  ShaderDescriptor blended(ShaderDescriptor::kAlphaBlend);
  blended.SetBlendFactor(0, ShaderDescriptor::kBlendSourceAlpha);
  blended.SetBlendFactor(1, ShaderDescriptor::kBlendInverseSourceAlpha);
  Console* console =
      engine.CreateConsole("Console", &blended, 1, u'_', u'>', u'-', "F12", 1.0f, 300.0f, 1.0e6f);
  ASSERT_NE(console, nullptr);
  EXPECT_EQ(engine.GetConsole(), console);

  // Window rows 40 and 440 of 480: GUI heights 550 (under the open console) and 50 (the scene).
  auto frame = [&](Rgb& top, Rgb& bottom) {
    engine.Tick();
    engine.Render();
    top = Pixel(engine, 320, 40);
    bottom = Pixel(engine, 320, 440);
    engine.Update(0);
  };
  Rgb top{}, bottom{};
  frame(top, bottom);
  EXPECT_EQ(console->GetState(), Console::kClosed);
  EXPECT_EQ(top.r, 0) << "closed: the scene everywhere";
  EXPECT_EQ(top.b, 255);

  console->Toggle();
  for (int i = 0; i < 50 && console->GetState() != Console::kOpen; ++i) {
    frame(top, bottom);
  }
  ASSERT_EQ(console->GetState(), Console::kOpen);
  frame(top, bottom);
  EXPECT_EQ(top.r, 255) << "the console's white window covers the top";
  EXPECT_EQ(top.g, 255);
  EXPECT_EQ(bottom.r, 0) << "the scene below it is untouched";
  EXPECT_EQ(bottom.b, 255);

  // At alpha one half the scene shows through.
  engine.GetConfig()->ExecuteLine("ui_console_alpha 0.5", nullptr);
  frame(top, bottom);
  EXPECT_NEAR(top.r, 128, 3);
  EXPECT_EQ(top.b, 255);
}

}  // namespace
}  // namespace CorvantisEngine
