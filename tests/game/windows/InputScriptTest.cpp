// The scripted input of the whole-frame tests, on a window of a button and a name field: a click on a
// control reaches its widget, a click beside it does not, typed text arrives one character a frame and
// a key press is seen for one frame.
#include <gtest/gtest.h>

#include "InputScript.h"
#include "MenuWindowFixture.h"
#include "engine/gui/GUIEditBox.h"

namespace Puzzle::windowstest {
namespace {

class InputScriptTest : public MenuWindowFixture {};

TEST_F(InputScriptTest, ClicksTypingAndKeysReachTheWidgetsThroughTheInputBackEnd) {
  WriteFonts();
  WriteWindow("window_probe.xml",
              "<window name=\"window_probe\">\n"
              "  <window name=\"window\" position=\"200 150\" size=\"400 300\">\n"
              "    <button name=\"button_0\" position=\"20 20\" size=\"100 40\"/>\n"
              "    <edit_box name=\"name\" position=\"20 120\" size=\"300 40\" font=\"fixed\"/>\n"
              "  </window>\n"
              "</window>\n");
  platform::headless::HeadlessWindowDriver& driver = platform::headless::InstallHeadlessWindows();
  Start();
  GUIMenuWindow* window = MakeMenu("window_probe");
  CorvantisEngine::GUIButton* button = window->GetButton("window_probe/window/button_0");
  ASSERT_NE(button, nullptr);
  int clicks = 0;
  int enters = 0;
  InputScript script(engine_, [&] {
    platform::headless::StepClockMilliseconds(20);
    engine_->Tick();
    manager_->BeginUpdate();
    manager_->Update();
    clicks += button->clicked;
    enters += engine_->GetControls()->IsKeyPressed("ENTER") ? 1 : 0;
    engine_->Update(0);
  });
  window->SetShown(true);
  ASSERT_TRUE(script.RunUntil([&] { return window->IsActive(); }, 10));

  script.ClickAt({10.0f, 10.0f});
  EXPECT_EQ(clicks, 0) << "beside the button";
  ASSERT_TRUE(script.Click(*window, "/window/button_0"));
  EXPECT_EQ(clicks, 1);

  ASSERT_TRUE(script.Click(*window, "/window/name"));
  script.Type(driver, u"Anna");
  EXPECT_EQ(window->GetEditBox("window_probe/window/name")->text, L"Anna");

  script.Press(DIK_RETURN);
  EXPECT_EQ(enters, 1);
  EXPECT_GT(script.FrameCount(), 10);
}

}  // namespace
}  // namespace Puzzle::windowstest
