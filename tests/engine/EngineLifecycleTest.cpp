// The Engine's creation and destruction order as the log shows it, for a whole life and for a start-up
// that fails part-way: whatever was made is unmade, in reverse, before the log closes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/core/Error.h"
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
namespace headless = platform::headless;

// Marker lines each system writes when it is created or destroyed.
constexpr const char* kFilesUp = "Initialization of File Manager...";
constexpr const char* kWindowUp = "Window creation:";
constexpr const char* kRenderUp = "Initialization of Direct3D subsystem...";
constexpr const char* kInputUp = "Initialization of DirectInput devices...";
constexpr const char* kSoundUp = "Initialization of DirectSound Subsystem:";
constexpr const char* kSoundDown = "DirectSound system destroying:";
constexpr const char* kInputDown = "DirectInput devices destroying:";
constexpr const char* kRenderDown = "Direct3D Subsystem destroying:";
constexpr const char* kWindowDown = "Window destroying:";
constexpr const char* kLogEnd = "======== Game Log end: ";

class EngineLifecycleTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override { display_ = platform_.SharedDisplay(); }

  EngineStartParameters Parameters() const {
    EngineStartParameters p = enginetest::GameParameters(folder_);
    p.htmlLog = 1;
    p.saveConfigOnExit = 1;
    p.centreWindow = 1;
    return p;
  }

  std::vector<std::string> LogLines() const { return enginetest::LogLines(folder_ / "Game.html"); }

  // Index of the first line starting with `prefix` at or after `from`; -1 when there is none.
  static int Find(const std::vector<std::string>& lines, const std::string& prefix, int from = 0) {
    for (int i = std::max(from, 0); i < static_cast<int>(lines.size()); ++i) {
      if (lines[i].rfind(prefix, 0) == 0)
        return i;
    }
    return -1;
  }

  // Every marker appears, each after the one before it.
  static void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& markers) {
    int at = 0;
    for (const std::string& marker : markers) {
      const int found = Find(lines, marker, at);
      ASSERT_GE(found, 0) << "\"" << marker << "\" missing or out of order";
      at = found + 1;
    }
  }

  bool IniWritten() const { return fs::exists(folder_ / "Game.ini"); }

  std::shared_ptr<headless::HeadlessDisplay> display_;
  testsupport::TempFolder temp_;
  const fs::path folder_ = temp_.Root();
};

TEST_F(EngineLifecycleTest, SystemsAreDestroyedInReverseOrderOfCreation) {
  {
    Engine engine(Parameters());
    EXPECT_NE(engine.GetSoundSystem(), nullptr);
    engine.Tick();
    engine.Update(0);
  }
  const std::vector<std::string> lines = LogLines();
  ExpectInOrder(lines, {kFilesUp, kWindowUp, kRenderUp, kInputUp, kSoundUp, kSoundDown, kInputDown,
                        kRenderDown, kWindowDown, kLogEnd});
  EXPECT_EQ(Find(lines, kLogEnd), static_cast<int>(lines.size()) - 1) << "the log closes last";
  EXPECT_TRUE(IniWritten());
  EXPECT_EQ(platform::ComInitialisationDepth(), 0);
  EXPECT_TRUE(platform::ActiveTimerPeriods().empty());
}

TEST_F(EngineLifecycleTest, StartThatFailsPartWayUnmakesWhatItMade) {
  struct Case {
    const char* why;
    std::function<void()> fault;
    std::string abortText;
    // Creation markers, the abort, then the destruction markers of what had been made.
    std::vector<std::string> sequence;
    std::vector<std::string> neverMade;
  };
  const Case cases[] = {
      {"the window class is refused",
       [] {
         headless::InstallHeadlessWindows().Faults().Fail(platform::WindowDriver::Step::RegisterClass,
                                                          headless::kEveryCall);
       },
       "Failed to register the window class",
       {kFilesUp, kWindowUp, "PROGRAM ABORTING: Failed to register the window class", kLogEnd},
       {kRenderUp, kInputUp, kSoundUp, kWindowDown}},
      {"DirectInput cannot be created",
       [] {
         headless::FailInputCall(headless::InputCall::CreateDirectInput, headless::InputDevice::Keyboard,
                                 E_FAIL, headless::kEveryCall);
       },
       "Failed to create a DirectInput object",
       {kFilesUp, kWindowUp, kRenderUp, kInputUp, "PROGRAM ABORTING: Failed to create a DirectInput object",
        kRenderDown, kWindowDown, kLogEnd},
       {kSoundUp}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    platform_.Reset();
    SetUp();
    c.fault();
    try {
      Engine engine(Parameters());
      ADD_FAILURE() << "the engine started";
    } catch (const FatalError& error) {
      EXPECT_EQ(error.GetMessage(), c.abortText);
    }
    const std::vector<std::string> lines = LogLines();
    ExpectInOrder(lines, c.sequence);
    for (const std::string& marker : c.neverMade)
      EXPECT_EQ(Find(lines, marker), -1) << marker;
    EXPECT_FALSE(IniWritten()) << "a start that failed saves nothing";
    EXPECT_EQ(platform::ComInitialisationDepth(), 0);
    EXPECT_TRUE(platform::ActiveTimerPeriods().empty());
  }
}

}  // namespace
}  // namespace CorvantisEngine
