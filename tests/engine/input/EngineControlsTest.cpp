// The controls inside the Engine: created after the window and released before it, read at the frame
// start, and the frame end's screenshot key.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/input/Controls.h"
#include "platform/dinput/DInput.h"
#include "platform/dinput/SystemInput.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogProbe.h"
#include "tests/support/TempFolder.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

class EngineControlsTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    folder_ = temp_.Root() / "game";
    parameters_.name = parameters_.applicationName = parameters_.logName = "Game";
    parameters_.version = 100;
    parameters_.logFolder = parameters_.configFolder = folder_.string();
    parameters_.dataFolder = (folder_ / "data").string();
    parameters_.packFolder = "Data";
    parameters_.defaultVideoMode = "1024x768x32";
  }
  testsupport::TempFolder temp_;
  fs::path folder_;
  EngineStartParameters parameters_;
};

TEST_F(EngineControlsTest, KeysAreSeenByNameDuringTheFrameAndPrintScreenIssuesTheScreenshot) {
  Engine engine(parameters_);
  Controls* controls = engine.GetControls();
  ASSERT_NE(controls, nullptr);
  Config& config = *engine.GetConfig();

  headless::PushKey(DIK_SYSRQ, true);
  headless::PushMouseButton(0, true);
  engine.Tick();
  EXPECT_TRUE(controls->IsKeyPressed("PRINTSCRN"));
  EXPECT_TRUE(controls->IsKeyDown("MOUSE1"));
  EXPECT_TRUE(config.GetBool("sc_take_screenshot")) << "not issued before the frame end";
  engine.Update(0);
  EXPECT_FALSE(config.GetBool("sc_take_screenshot"));
  EXPECT_FALSE(controls->IsKeyPressed("PRINTSCRN")) << "the frame end clears the pressed keys";
  EXPECT_TRUE(controls->IsKeyDown("MOUSE1"));

  config.SetBool("sc_take_screenshot", true);
  engine.Tick();
  engine.Update(0);
  EXPECT_TRUE(config.GetBool("sc_take_screenshot")) << "a held key is no new press";
}

TEST_F(EngineControlsTest, ControlsLiveInsideTheWindowsLifetime) {
  std::string text;
  {
    Engine engine(parameters_);
    text = testsupport::LogProbe(*engine.GetMessageManager()).Text();
    EXPECT_EQ(platform::dinput::OpenObjectCount(), 3u);
  }
  EXPECT_EQ(platform::dinput::OpenObjectCount(), 0u);
  const std::size_t window = text.find("Window creation:");
  const std::size_t input = text.find("Initialization of DirectInput devices...");
  ASSERT_NE(window, std::string::npos);
  ASSERT_NE(input, std::string::npos);
  EXPECT_LT(window, input);
}

}  // namespace
}  // namespace CorvantisEngine
