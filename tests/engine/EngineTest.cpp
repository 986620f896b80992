#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Random.h"
#include "engine/core/TimerManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinSystem.h"
#include "platform/win32/WinTime.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

class EngineTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    // Every system starts on a fresh headless back end with no faults planned.
    platform::headless::SetClockMilliseconds(777777);
    display_ = platform_.SharedDisplay();
  }

  // The framework's usual record, with the log in the test's folder.
  EngineStartParameters Parameters() const {
    EngineStartParameters p = enginetest::GameParameters(folder_);
    p.htmlLog = 1;
    p.defaultVideoMode = "1024x768x32";
    return p;
  }

  std::vector<std::string> LogLines(const std::string& logName) const {
    return enginetest::LogLines(folder_ / (logName + ".html"));
  }

  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  testsupport::TempFolder temp_;
  const fs::path folder_ = temp_.Root();
};

TEST_F(EngineTest, TitleShowsTheVersionWithTwoDecimals) {
  struct Case {
    std::string name;
    std::uint32_t version;
    std::string expected;
  };
  const Case cases[] = {
      {"Brindlewick", 100, "Brindlewick 1.00"},
      {"Game", 105, "Game 1.05"},
      {"Game", 7, "Game 0.07"},
      {"Game", 0, "Game 0.00"},
      {"Game", 1234, "Game 12.34"},
      {"", 250, "Corvantis Engine 0.67"},  // an unnamed engine gets the engine's own name and version
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EngineTitle(c.name, c.version), c.expected);
  }
  // The engine's own title is the same function of its start record.
  EngineStartParameters p;
  p.name = "Brindlewick";
  p.version = 105;
  Engine engine(p);
  EXPECT_EQ(engine.GetTitle(), "Brindlewick 1.05");
}

TEST_F(EngineTest, UnnamedEngineLogsUnderTheEngineName) {
  EngineStartParameters p = Parameters();
  p.name.clear();
  p.logName.clear();
  { Engine engine(p); }
  const std::vector<std::string> lines = LogLines("Corvantis Engine");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().rfind("Corvantis Engine Log======== Corvantis Engine Log: ", 0), 0u)
      << lines.front();
}

TEST_F(EngineTest, LifeIsBracketedByComTheTimerPeriodAndTheLog) {
  ASSERT_EQ(platform::ComInitialisationDepth(), 0);
  {
    Engine engine(Parameters());
    EXPECT_EQ(platform::ComInitialisationDepth(), 1);
    EXPECT_EQ(platform::ActiveTimerPeriods().size(), 1u);
    ASSERT_NE(engine.GetMessageManager(), nullptr);
    ASSERT_NE(engine.GetTimerManager(), nullptr);
    engine.GetMessageManager()->Message("running");
  }
  // Everything made is unmade: the timer period ended, COM closed, and the log closed last.
  EXPECT_EQ(platform::ComInitialisationDepth(), 0);
  EXPECT_TRUE(platform::ActiveTimerPeriods().empty());
  const std::vector<std::string> lines = LogLines("Game");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines.front().rfind("Game Log======== Game Log: ", 0), 0u) << lines.front();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "running"), lines.end());
  EXPECT_EQ(lines.back().rfind("======== Game Log end: ", 0), 0u) << lines.back();
}

TEST_F(EngineTest, FailedComIsToleratedAndNotUndone) {
  // Someone else holds COM: the engine's CoInitialize answers S_FALSE and must not be undone by it.
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  { Engine engine(Parameters()); }
  EXPECT_EQ(platform::ComInitialisationDepth(), 2) << "the engine's own S_FALSE call is left alone";
  CoUninitialize();
  CoUninitialize();
}

TEST_F(EngineTest, FrameMeasuresTimeClearsRecordsAndSleeps) {
  Engine engine(Parameters());
  MessageManager& log = *engine.GetMessageManager();
  log.Message("before the first frame");
  platform::headless::StepClockMilliseconds(2000);
  engine.Tick();
  EXPECT_EQ(log.GetRecordCount(), 0) << "the frame start clears the previous frame's records";
  EXPECT_FLOAT_EQ(engine.GetTimerManager()->delta, 0.1f) << "a stall is clamped";

  const DWORD before = timeGetTime();
  engine.Update(20);
  EXPECT_EQ(timeGetTime() - before, 20u);
  engine.Update(0);
  EXPECT_EQ(timeGetTime() - before, 20u);
  EXPECT_EQ(log.GetRecordCount(), 0) << "nothing is logged at a frame end before exit";
}

TEST_F(EngineTest, ExitIsLoggedAtEveryFrameEndOnceRequested) {
  Engine engine(Parameters());
  EXPECT_FALSE(engine.IsExitRequested());
  engine.RequestExit();
  EXPECT_TRUE(engine.IsExitRequested());
  MessageManager& log = *engine.GetMessageManager();
  engine.Tick();
  engine.Update(0);
  engine.Update(0);
  ASSERT_EQ(log.GetRecordCount(), 2);
  EXPECT_EQ(log.GetRecord(0).text, "\nExiting...\n\n");
  EXPECT_EQ(log.GetRecord(0).type, LogRecord::kMessage);
}

TEST_F(EngineTest, RandomGeneratorIsSeededFromTheTickCount) {
  platform::headless::SetClockMilliseconds(123456);
  RandomSeed(123456);
  const int expected[3] = {Random(), Random(), Random()};
  RandomSeed(1);
  Engine engine(Parameters());
  EXPECT_EQ(Random(), expected[0]);
  EXPECT_EQ(Random(), expected[1]);
  EXPECT_EQ(Random(), expected[2]);
}

}  // namespace
}  // namespace CorvantisEngine
