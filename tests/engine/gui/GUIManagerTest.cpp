// The GUI manager's frame with real controls over the headless window and input layers: the cursor
// mapping, MOUSE1 reaching the widgets, typed keys reaching an edit box, and the manager's lifetime.
#include <cwctype>

#include "GUIFixture.h"
#include "engine/config/Config.h"
#include "engine/gui/GUIButton.h"
#include "engine/gui/GUICursor.h"
#include "engine/gui/GUIEditBox.h"
#include "engine/input/Controls_DI7.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessClock.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinMessages.h"

namespace CorvantisEngine::guitest {
namespace {

class ManagerTest : public GUIFixture {
 protected:
  ManagerTest() {
    config_ = std::make_unique<Config>(&log_, files_.get(), folder_.Root().string(), "GUI Test", false,
                                       "800x600x32", false, false);
    const POINT position{100, 50};
    window_ = std::make_unique<CorvantisEngine::Window>(&log_, config_.get(), "GUI Test", nullptr, 0, false,
                                                        400, 300, false, false, &position);
    controls_ = std::make_unique<Controls_DI7>(&log_, &timers_, window_.get(), true);
    gui_.reset();
    gui_ = std::make_unique<GUIManager>(&log_, files_.get(), window_.get(), &timers_, cameras_.get(),
                                        shaders_.get(), models_.get(), controls_.get(), nullptr);
    gui_->SetScreenSize(800.0f, 600.0f);
  }
  ~ManagerTest() override {
    gui_.reset();
    controls_.reset();
    window_.reset();
    config_.reset();
  }

  // One frame: controls read, GUI updated and rendered, frame end.
  void Frame() {
    controls_->Update();
    gui_->Update();
    gui_->Render();
    controls_->EndFrame();
    platform::headless::StepClockMilliseconds(20);
  }
  // Puts the system cursor at a client pixel.
  void MoveTo(float x, float y) { controls_->SetCursorPosition({x, y}); }

  std::unique_ptr<Config> config_;
  std::unique_ptr<CorvantisEngine::Window> window_;
  std::unique_ptr<Controls_DI7> controls_;
};

TEST_F(ManagerTest, CursorMapsClientPixelsToGUIUnitsWithYUp) {
  ASSERT_EQ(window_->GetWidth(), 400u);
  ASSERT_EQ(window_->GetHeight(), 300u);
  struct Case {
    Vector2 pixel;
    Vector2 gui;
  } cases[] = {{{0, 0}, {0, 600.0f * 299 / 300}},
               {{0, 299}, {0, 0}},
               {{200, 150}, {400, 298}},
               {{399, 0}, {798, 598}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pixel.x << ", " << c.pixel.y);
    MoveTo(c.pixel.x, c.pixel.y);
    Frame();
    EXPECT_NEAR(gui_->GetCursorPosition().x, c.gui.x, 1e-3f);
    EXPECT_NEAR(gui_->GetCursorPosition().y, c.gui.y, 1e-3f);
  }
}

TEST_F(ManagerTest, WindowWithoutAClientAreaLeavesTheCursorWhereItWas) {
  MoveTo(200, 150);
  Frame();
  window_->SetMode(0, 0, false, 1024, 768);
  ASSERT_EQ(window_->GetWidth(), 0u);
  MoveTo(10, 10);
  Frame();
  EXPECT_NEAR(gui_->GetCursorPosition().x, 400.0f, 1e-3f);
  EXPECT_NEAR(gui_->GetCursorPosition().y, 298.0f, 1e-3f);
}

TEST_F(ManagerTest, CursorModelFollowsTheMouseAndShowsByItsFlag) {
  GUICursor* cursor = gui_->CreateCursor(nullptr, 32.0f);
  ASSERT_NE(cursor->model, nullptr);
  EXPECT_FLOAT_EQ(cursor->model->depth, -30.1f);
  MoveTo(200, 150);
  Frame();
  EXPECT_EQ(cursor->model->flags & kModelVisible, 0u);
  cursor->visible = 1;
  Frame();
  EXPECT_EQ(cursor->model->flags & kModelVisible, kModelVisible);
  // The hot spot is the top-left corner; the image hangs below and to the right.
  const Vector3 hotSpot = cursor->model->world.TransformPoint(Vector3(0, 0, 0));
  EXPECT_NEAR(hotSpot.x, 400.0f, 1e-3f);
  EXPECT_NEAR(hotSpot.y, 298.0f, 1e-3f);
  const Vector3 corner = cursor->model->world.TransformPoint(Vector3(32, -32, 0));
  EXPECT_NEAR(corner.x, 432.0f, 1e-3f);
  EXPECT_NEAR(corner.y, 266.0f, 1e-3f);
  gui_->DestroyCursor(cursor);
  EXPECT_EQ(gui_->cursors.count, 1u) << "the default cursor stays";
}

TEST_F(ManagerTest, MouseButtonClicksAButtonThroughTheFrame) {
  GUIButton* button = gui_->CreateButton(kGUIShown, {300, 200}, {200, 200}, nullptr, nullptr, {1, 1});
  MoveTo(200, 150);  // GUI (400, 298)
  Frame();
  EXPECT_EQ(button->buttonState, 1u);
  platform::headless::PushMouseButton(0, true);
  Frame();
  EXPECT_EQ(button->buttonState, 2u);
  platform::headless::PushMouseButton(0, false);
  Frame();
  EXPECT_EQ(button->clicked, 1);
  Frame();
  EXPECT_EQ(button->clicked, 0);
}

TEST_F(ManagerTest, TypedCharactersReachAnActiveEditBox) {
  gui_->GetFontManager()->CreateFont(kFont, nullptr, "fonts\\test.fnt")->size = 10.0f;
  GUIEditBox* box = gui_->CreateEditBox(kGUIShown, {10, 10}, {200, 20}, nullptr, kFont, Vector4(), {}, 10,
                                        1000, 1000, '_', nullptr, {1, 1});
  for (const wchar_t c : std::wstring(L"Hi")) {
    window_->WindowProc(window_->GetHandle(), WM_CHAR, static_cast<WPARAM>(c), 0);
    Frame();
  }
  EXPECT_EQ(box->text, L"Hi");
  box->active = 0;
  window_->WindowProc(window_->GetHandle(), WM_CHAR, 'x', 0);
  Frame();
  EXPECT_EQ(box->text, L"Hi");
}

TEST_F(ManagerTest, KeysTypedBetweenTwoFramesAllReachTheEditBoxInOrder) {
  gui_->GetFontManager()->CreateFont(kFont, nullptr, "fonts\\test.fnt")->size = 10.0f;
  GUIEditBox* box = gui_->CreateEditBox(kGUIShown, {10, 10}, {200, 20}, nullptr, kFont, Vector4(), {}, 10,
                                        1000, 1000, '_', nullptr, {1, 1});
  Frame();
  // As the window layer sends them: each key's press, then its character; Backspace types no character
  // the box takes. A slip and its correction in the middle show that the order is kept.
  const HWND handle = window_->GetHandle();
  for (const wchar_t c : std::wstring(L"HelX\blo")) {
    if (c == L'\b') {
      window_->WindowProc(handle, WM_KEYDOWN, VK_BACK, 0);
      window_->WindowProc(handle, WM_CHAR, 0x08, 0);
      continue;
    }
    window_->WindowProc(handle, WM_KEYDOWN, static_cast<WPARAM>(std::towupper(c)), 0);
    window_->WindowProc(handle, WM_CHAR, static_cast<WPARAM>(c), 0);
  }
  Frame();
  EXPECT_EQ(box->text, L"Hello");
  EXPECT_EQ(box->caret, 5);
  Frame();
  EXPECT_EQ(box->text, L"Hello") << "the keys were taken once";
}

TEST_F(ManagerTest, DestroyingTheManagerReleasesModelsAndTheCamera) {
  const std::uint32_t models = models_->GetModelCount();
  const std::uint32_t cameras = cameras_->GetCameraCount();
  GUIWindow* parent = Window(kGUIShown);
  gui_->CreateButton(kGUIShown, {}, {10, 10}, nullptr, parent, {1, 1});
  gui_->CreateScroll(kGUIShown, {}, {10, 10}, nullptr, true, {}, {0, 10}, 5, parent, {1, 1});
  gui_->CreateCursor(nullptr, 16.0f);
  gui_->GetFontManager()->CreateFont(kFont, nullptr, "fonts\\test.fnt");
  EXPECT_GT(models_->GetModelCount(), models);
  gui_.reset();
  EXPECT_EQ(models_->GetModelCount(), models);
  EXPECT_EQ(cameras_->GetCameraCount(), cameras - 1);
}

}  // namespace
}  // namespace CorvantisEngine::guitest
