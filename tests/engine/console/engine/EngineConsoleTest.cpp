// Engine::CreateConsole over the headless back end: the console sees the log of every frame (start-up
// included) before the records are cleared, a second console takes over the variables, and the values
// go to the ini file on exit and come back at the next start.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/EngineStartParameters.h"
#include "engine/config/Config.h"
#include "engine/console/Console.h"
#include "engine/core/MessageManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

class EngineConsoleTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override { display_ = platform_.SharedDisplay(); }

  EngineStartParameters Parameters() const {
    EngineStartParameters p;
    p.name = p.applicationName = p.logName = "Game";
    p.version = 100;
    p.saveConfigOnExit = 1;
    p.logFolder = p.configFolder = folder_.Win("");
    p.dataFolder = folder_.Win("data");
    p.packFolder = "Data";
    p.defaultVideoMode = "800x600x32";
    return p;
  }

  Console* MakeConsole(Engine& engine) {
    return engine.CreateConsole("Console", nullptr, 1, u'_', u'>', u'-', "F12", 0.8f, 300.0f, 1000.0f);
  }

  static bool Shows(const Console& console, const std::wstring& text) {
    for (const ConsoleLine& line : console.GetLines()) {
      if (line.text.find(text) != std::wstring::npos) {
        return true;
      }
    }
    return false;
  }

  testsupport::TempFolder folder_;
  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
};

TEST_F(EngineConsoleTest, TheConsoleSeesEachFramesLogBeforeItIsCleared) {
  Engine engine(Parameters());
  EXPECT_EQ(engine.GetConsole(), nullptr);
  engine.GetMessageManager()->Message("made before the console");
  Console* console = MakeConsole(engine);
  ASSERT_EQ(engine.GetConsole(), console);
  EXPECT_TRUE(console->GetLines().empty()) << "records are read by the frame, not at creation";

  engine.Tick();
  EXPECT_TRUE(Shows(*console, L"made before the console")) << "start-up entries show in the first frame";
  EXPECT_EQ(engine.GetMessageManager()->GetRecordCount(), 0);
  engine.Update(0);

  const std::size_t before = console->GetLines().size();
  engine.GetMessageManager()->Warning("during the game");
  engine.Tick();
  EXPECT_TRUE(Shows(*console, L"Warning: during the game!"));
  engine.Update(0);
  engine.Tick();
  engine.Update(0);
  EXPECT_EQ(console->GetLines().size(), before + 3) << "each entry once: blank row, text, blank row";
}

TEST_F(EngineConsoleTest, VariablesFollowTheNewestConsoleAndTheIniFile) {
  {
    Engine engine(Parameters());
    MakeConsole(engine);
    engine.GetConfig()->ExecuteLine("ui_console_size 250", nullptr);
    engine.GetConfig()->ExecuteLine("say hello", nullptr);
    Console* second = MakeConsole(engine);
    EXPECT_FLOAT_EQ(second->size, 250.0f) << "the value set on the first console carries over";
    engine.GetConfig()->ExecuteLine("ui_console_speed 640", nullptr);
    EXPECT_FLOAT_EQ(second->speed, 640.0f) << "the variable is bound to the second console's field";
  }
  const std::string ini = folder_.Read("Game.ini");
  EXPECT_NE(ini.find("ui_console_size 250.000000\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ui_console_speed 640.000000\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("say"), std::string::npos) << ini;

  Engine engine(Parameters());
  Console* console = MakeConsole(engine);
  EXPECT_FLOAT_EQ(console->size, 250.0f);
  EXPECT_FLOAT_EQ(console->speed, 640.0f);
  EXPECT_FLOAT_EQ(console->alpha, 0.8f);
}

}  // namespace
}  // namespace CorvantisEngine
