// The game's main loop over the headless back end: how a close request ends it, with and without the
// window's focus, and the switch between full screen and windowed that the window asks for.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/MainLoop.h"
#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

class MainLoopTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    windows_ = &platform_.Windows();
    display_ = platform_.SharedDisplay();
    folder_ = fs::temp_directory_path() / ("brindlewick_main_loop_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    EngineStartParameters parameters;
    parameters.name = parameters.applicationName = parameters.logName = "Game";
    parameters.version = 100;
    parameters.logFolder = parameters.configFolder = folder_.string();
    parameters.dataFolder = (folder_ / "data").string();
    parameters.packFolder = "Data";
    parameters.defaultVideoMode = "800x600x32";
    parameters.minimiseOnFocusLoss = 1;
    parameters.defaultFullScreen = 1;
    engine_ = std::make_unique<Engine>(parameters);
  }
  void TearDown() override {
    engine_.reset();
    fs::remove_all(folder_);
  }

  int CountLogged(const std::string& text) const {
    MessageManager& log = *engine_->GetMessageManager();
    int count = 0;
    for (int i = 0; i < log.GetRecordCount(); ++i)
      count += log.GetRecord(i).text.find(text) != std::string::npos;
    return count;
  }

  headless::HeadlessWindowDriver* windows_ = nullptr;
  std::shared_ptr<headless::HeadlessDisplay> display_;
  fs::path folder_;
  std::unique_ptr<Engine> engine_;
};

TEST_F(MainLoopTest, CloseRequestEndsTheLoopAfterTheFrameEndThatLogsTheExit) {
  windows_->PushClose(engine_->GetWindow()->GetHandle());
  RunMainLoop(*engine_);
  EXPECT_TRUE(engine_->IsExitRequested());
  EXPECT_EQ(CountLogged("Exiting..."), 1);
  EXPECT_TRUE(IsWindow(engine_->GetWindow()->GetHandle())) << "the engine lets the window go, not the loop";
}

TEST_F(MainLoopTest, WithoutTheFocusNoFrameRunsButTheDeviceIsCheckedAndCloseStillEnds) {
  const std::size_t presents = display_->Presents().size();
  display_->Plan().cooperativeLevelAnswers = {DDERR_NOEXCLUSIVEMODE};
  windows_->PushFocus(nullptr);
  windows_->PushClose(engine_->GetWindow()->GetHandle());
  RunMainLoop(*engine_);
  EXPECT_TRUE(engine_->IsExitRequested());
  EXPECT_EQ(display_->Presents().size(), presents) << "no frame without the focus";
  EXPECT_TRUE(display_->Plan().cooperativeLevelAnswers.empty()) << "the device was checked";
  EXPECT_FALSE(engine_->GetRenderSystem()->ready);
}

TEST_F(MainLoopTest, AltEnterSwitchesTheWindowBeforeTheNextFrame) {
  Window& window = *engine_->GetWindow();
  ASSERT_TRUE(window.IsFullScreen());
  // The frame's window step sees Alt+Enter; the loop carries the switch out.
  windows_->SetKeyDown(VK_MENU, true);
  windows_->SetKeyDown(VK_RETURN, true);
  window.Update();
  windows_->SetKeyDown(VK_MENU, false);
  windows_->SetKeyDown(VK_RETURN, false);
  windows_->PushClose(window.GetHandle());
  RunMainLoop(*engine_);
  EXPECT_FALSE(window.IsFullScreen());
  EXPECT_FALSE(engine_->GetRenderSystem()->resetNeeded);
  EXPECT_TRUE(engine_->GetConfig()->GetBool("v_window_change_mode")) << "the command is re-armed";
  EXPECT_EQ(CountLogged("Exiting..."), 1);
}

}  // namespace
}  // namespace CorvantisEngine
