#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
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

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

class EngineTest : public testing::Test {
 protected:
  void SetUp() override {
    // Every system starts on a fresh headless back end with no faults planned.
    platform::headless::ResetClock();
    platform::headless::SetClockMilliseconds(777777);
    platform::headless::InstallHeadlessWindows();
    display_ = platform::headless::InstallHeadlessDisplay();
    platform::headless::ResetInput();
    platform::headless::ResetAudio();
    folder_ = fs::temp_directory_path() / ("brindlewick_engine_" + std::to_string(::getpid()) + "_" +
                                           testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The framework's usual record, with the log in the test's folder.
  EngineStartParameters Parameters() const {
    EngineStartParameters p;
    p.name = p.applicationName = p.logName = "Game";
    p.version = 100;
    p.htmlLog = 1;
    p.logFolder = p.configFolder = folder_.string();
    p.dataFolder = (folder_ / "data").string();
    p.packFolder = "Data";
    p.defaultVideoMode = "1024x768x32";
    return p;
  }

  // The log's pieces in file order, without their FONT tags, one per "<BR>"-separated line.
  std::vector<std::string> LogLines(const std::string& logName) const {
    std::ifstream in(folder_ / (logName + ".html"), std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    for (std::size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open)) {
      const std::size_t close = text.find('>', open);
      if (close == std::string::npos)
        break;
      const std::string tag = text.substr(open, close - open + 1);
      if (tag == "<BR>") {
        text.replace(open, tag.size(), "\n");
        ++open;
      } else {
        text.erase(open, tag.size());
      }
    }
    std::vector<std::string> lines;
    std::stringstream split(text);
    for (std::string line; std::getline(split, line);)
      lines.push_back(line);
    return lines;
  }

  std::shared_ptr<platform::headless::HeadlessDisplay> display_;
  fs::path folder_;
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
    EngineStartParameters p;
    p.name = c.name;
    p.version = c.version;
    Engine engine(p);
    EXPECT_EQ(engine.GetTitle(), c.expected);
  }
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
