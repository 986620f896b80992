#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "EngineTestSupport.h"
#include "engine/Engine.h"
#include "engine/config/Config.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"
#include "support/TempFolder.h"
#include "tests/support/HeadlessTest.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

class EngineWindow : public testsupport::HeadlessTest {
 protected:
  void SetUp() override { system_ = &platform_.Windows(); }

  EngineStartParameters Parameters() const {
    EngineStartParameters p = enginetest::GameParameters(folder_);
    p.htmlLog = 1;
    p.saveConfigOnExit = 1;
    p.minimiseOnFocusLoss = 1;
    p.centreWindow = 1;
    return p;
  }

  std::string Read(const char* name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
  }

  platform::headless::HeadlessWindowDriver* system_ = nullptr;
  testsupport::TempFolder temp_;
  const fs::path folder_ = temp_.Root();
};

// The main loop's shape: one message at a time, a frame when the queue is empty, until "exit" fires.
TEST_F(EngineWindow, ClosingTheWindowEndsTheLoopWithLogAndIniWritten) {
  {
    Engine engine(Parameters());
    Window* window = engine.GetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetWidth(), 800u) << "the size comes from v_mode";
    EXPECT_EQ(window->GetHeight(), 600u);
    EXPECT_FALSE(window->IsFullScreen());
    char title[32];
    GetWindowTextA(window->GetHandle(), title, sizeof title);
    EXPECT_STREQ(title, "Game 1.00");

    int frames = 0;
    MSG msg;
    while (!engine.IsExitRequested() && frames < 100) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        continue;
      }
      engine.Tick();
      engine.Update(0);
      if (++frames == 3)
        system_->PushClose(window->GetHandle());
    }
    EXPECT_EQ(frames, 3) << "the close request ends the loop before another frame";
    EXPECT_TRUE(IsWindow(window->GetHandle())) << "closing issues exit; the engine destroys the window";
  }
  EXPECT_EQ(system_->NativeWindowCount(), 0);
  std::string log = Read("Game.html");
  EXPECT_NE(log.find("Window creation:"), std::string::npos);
  EXPECT_NE(log.find("...Unregistering class..."), std::string::npos);
  EXPECT_NE(log.find("Game Log end"), std::string::npos) << "the footer is written";
  EXPECT_NE(Read("Game.ini").find("v_mode 800x600x32"), std::string::npos) << "the ini is saved";
}

TEST_F(EngineWindow, FrameStartMinimisesOnFocusLoss) {
  Engine engine(Parameters());
  Window* window = engine.GetWindow();
  system_->PushFocus(nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);
  engine.Tick();
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);
  EXPECT_TRUE(window->IsMinimised());
  EXPECT_TRUE(IsIconic(window->GetHandle()));
}

}  // namespace
}  // namespace CorvantisEngine
