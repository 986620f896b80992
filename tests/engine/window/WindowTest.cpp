#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "engine/config/Config.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Registry.h"
#include "engine/files/FileManager.h"
#include "engine/window/Window.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinCursor.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinWindow.h"
#include "platform/win32/WindowDriver.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogProbe.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& tag) {
  fs::path folder =
      fs::temp_directory_path() / ("window-" + std::to_string(::getpid()) + "-" + tag + "-" +
                                   testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// A log, files and configuration over a temporary folder, and a fresh headless window system.
class WindowFixture : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    folder_ = FreshFolder("ini");
    system_ = &platform_.Windows();
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.string(), "");
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.string(), "test", false,
                                       "1024x768x32", false, false);
  }
  void TearDown() override {
    window_.reset();
    config_.reset();
    files_.reset();
    log_.reset();
    fs::remove_all(folder_);
  }

  Window& Make(bool fullScreen, HWND host = nullptr, bool minimiseOnFocusLoss = true,
               std::uint32_t width = 640, std::uint32_t height = 480, bool centre = true,
               POINT position = {0, 0}) {
    config_->v_fullscreen = fullScreen ? 1 : 0;
    window_ = std::make_unique<Window>(log_.get(), config_.get(), "Test 1.00", host, 101, minimiseOnFocusLoss,
                                       width, height, fullScreen, centre, &position);
    return *window_;
  }

  bool Issued(const char* command) const { return !config_->GetBool(command); }
  void Rearm() {
    config_->SetBool("exit", true);
    config_->SetBool("v_window_change_mode", true);
  }

  // The saved ini's value of a variable; empty when the file or the line is missing.
  std::string SavedValue(const std::string& name) const {
    std::ifstream in(folder_ / "test.ini");
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind(name + " ", 0) == 0)
        return line.substr(name.size() + 1, line.find_last_not_of("\r") - name.size());
    }
    return "";
  }

  // One frame of the main loop: every waiting message dispatched, then the window's frame step.
  void Frame() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    window_->Update();
  }

  int CountMinimiseCommands() const {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, window_->GetHandle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
      count += (msg.wParam & 0xFFF0) == SC_MINIMIZE;
    }
    return count;
  }

  fs::path folder_;
  platform::headless::HeadlessWindowDriver* system_ = nullptr;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
};

struct ProcCase {
  const char* why;
  UINT message;
  WPARAM wParam;
  bool fullScreen;
  LRESULT result;  // -1: not checked (the default handling answers)
  bool exit;
  bool changeMode;
  int fullScreenAfter;
  int keyPresent;
  int keyIsCharacter;
  int keyCode;
};

TEST_F(WindowFixture, WindowProcTable) {
  const ProcCase cases[] = {
      {"WM_CLOSE issues exit, never destroys", WM_CLOSE, 0, false, 0, true, false, 0, 0, 0, 0},
      {"WM_QUIT issues exit", WM_QUIT, 0, false, 0, true, false, 0, 0, 0, 0},
      {"SC_CLOSE (Alt+F4) issues exit", WM_SYSCOMMAND, SC_CLOSE, false, 0, true, false, 0, 0, 0, 0},
      {"SC_CLOSE with the system's low bits", WM_SYSCOMMAND, SC_CLOSE | 3, false, 0, true, false, 0, 0, 0, 0},
      {"maximise windowed switches to full screen", WM_SYSCOMMAND, SC_MAXIMIZE, false, 0, false, true, 1, 0,
       0, 0},
      {"maximise in full screen does nothing", WM_SYSCOMMAND, SC_MAXIMIZE, true, 0, false, false, 1, 0, 0, 0},
      {"screen saver swallowed", WM_SYSCOMMAND, SC_SCREENSAVE, false, 0, false, false, 0, 0, 0, 0},
      {"monitor power-down swallowed", WM_SYSCOMMAND, SC_MONITORPOWER, false, 0, false, false, 0, 0, 0, 0},
      {"task list swallowed", WM_SYSCOMMAND, SC_TASKLIST, false, 0, false, false, 0, 0, 0, 0},
      {"a control character makes no key event", WM_CHAR, 0x1F, false, -1, false, false, 0, 0, 0, 0},
      {"a character", WM_CHAR, 'a', false, -1, false, false, 0, 1, 1, 'a'},
      {"a character beyond Latin-1 stays whole", WM_CHAR, 0x0416, false, -1, false, false, 0, 1, 1, 0x0416},
      {"a key", WM_KEYDOWN, VK_ESCAPE, false, -1, false, false, 0, 1, 0, VK_ESCAPE},
      {"a system key", WM_SYSKEYDOWN, VK_RETURN, false, -1, false, false, 0, 1, 0, VK_RETURN},
      {"system key up is swallowed", WM_SYSKEYUP, VK_MENU, false, 0, false, false, 0, 0, 0, 0},
      {"the cursor is set by the window", WM_SETCURSOR, 0, false, 1, false, false, 0, 0, 0, 0},
  };
  for (const ProcCase& c : cases) {
    SCOPED_TRACE(c.why);
    fs::remove(folder_ / "test.ini");
    Window& window = Make(c.fullScreen);
    Rearm();
    LRESULT result = window.WindowProc(window.GetHandle(), c.message, c.wParam, 0);
    if (c.result != -1) {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(Issued("exit"), c.exit);
    EXPECT_EQ(Issued("v_window_change_mode"), c.changeMode);
    EXPECT_EQ(config_->v_fullscreen, c.fullScreenAfter);
    EXPECT_EQ(fs::exists(folder_ / "test.ini"), c.changeMode) << "the ini is saved with a mode switch only";
    if (c.changeMode) {
      EXPECT_EQ(SavedValue("v_fullscreen"), "1");
    }
    EXPECT_EQ(window.GetKeyEvent().present, c.keyPresent);
    EXPECT_EQ(window.GetKeyEvent().isCharacter, c.keyIsCharacter);
    EXPECT_EQ(window.GetKeyEvent().code, c.keyCode);
    EXPECT_TRUE(IsWindow(window.GetHandle()));
    window_.reset();
  }
}

TEST_F(WindowFixture, MinimiseAndRestoreCommandsTrackTheState) {
  Window& window = Make(true);
  config_->v_gamma = 5.0f;
  window.WindowProc(window.GetHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(window.IsMinimised());
  EXPECT_TRUE(IsIconic(window.GetHandle())) << "the default handling minimises";
  window.WindowProc(window.GetHandle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(window.IsMinimised());
  EXPECT_FALSE(IsIconic(window.GetHandle()));
  EXPECT_EQ(config_->v_gamma, 2.0f) << "restoring in full screen applies the gamma";
}

TEST_F(WindowFixture, CreationPlacesWindowedFullScreenAndEmbeddedWindows) {
  struct PlaceCase {
    const char* why;
    bool fullScreen;
    std::uint32_t width, height;
    bool centre;
    POINT position;
    RECT expected;
    DWORD style;
    bool topmost;
  };
  const PlaceCase cases[] = {
      {"centred windowed", false, 640, 480, true, {0, 0}, {192, 144, 832, 624}, WS_CAPTION, false},
      {"larger than the desktop stays on screen",
       false,
       1280,
       1024,
       true,
       {0, 0},
       {0, 0, 1280, 1024},
       WS_CAPTION,
       false},
      {"at the given position", false, 640, 480, false, {30, 40}, {30, 40, 670, 520}, WS_CAPTION, false},
      {"full screen at the corner", true, 800, 600, true, {30, 40}, {0, 0, 800, 600}, WS_POPUP, true},
  };
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.why);
    Window& window = Make(c.fullScreen, nullptr, true, c.width, c.height, c.centre, c.position);
    RECT r;
    ASSERT_TRUE(GetWindowRect(window.GetHandle(), &r));
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
    LONG style = GetWindowLongA(window.GetHandle(), GWL_STYLE);
    EXPECT_EQ(style & c.style, LONG(c.style));
    EXPECT_NE(style & WS_VISIBLE, 0);
    EXPECT_EQ((GetWindowLongA(window.GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.topmost);
    EXPECT_EQ(GetFocus(), window.GetHandle());
    EXPECT_NE(window.GetDeviceContext(), nullptr);
    window_.reset();
    EXPECT_EQ(system_->NativeWindowCount(), 0);
  }
}

TEST_F(WindowFixture, CreationFailuresAbortAndUndo) {
  struct FailCase {
    const char* why;
    platform::WindowDriver::Step fault;
    const char* text;
  };
  const FailCase cases[] = {
      {"class", platform::WindowDriver::Step::RegisterClass, "Failed to register the window class"},
      {"window", platform::WindowDriver::Step::CreateWindow, "Failed to create window"},
      {"device context", platform::WindowDriver::Step::GetDC, "Failed to create a device context"},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.why);
    system_->Faults() = {};
    system_->Faults().Fail(c.fault, platform::headless::kEveryCall);
    try {
      Make(false);
      ADD_FAILURE() << "no abort";
    } catch (const FatalError& error) {
      EXPECT_EQ(error.GetMessage(), c.text);
    }
    EXPECT_EQ(system_->NativeWindowCount(), 0) << "no window left behind";
    system_->Faults() = {};
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = Window::kClassName;
    EXPECT_NE(RegisterClassA(&wc), 0) << "the class was unregistered";
    UnregisterClassA(Window::kClassName, nullptr);
  }
}

TEST_F(WindowFixture, LogsCreationAndDestructionSteps) {
  log_->ClearRecords();
  Make(false);
  window_.reset();
  const std::string all = testsupport::LogProbe(*log_).Text();
  EXPECT_EQ(all,
            " \nWindow creation:\n...Registering the window class...\n...Creating a device context...\n"
            "\nWindow destroying:\n...Releasing device context...\n...Releasing window...\n"
            "...Unregistering class...\n");
}

TEST_F(WindowFixture, FocusLossMinimisesOnceUntilRestored) {
  Window& window = Make(true);
  HWND handle = window.GetHandle();
  system_->PushFocus(nullptr);
  Frame();
  EXPECT_FALSE(window.HasFocus());
  window.Update();
  window.Update();
  EXPECT_EQ(CountMinimiseCommands(), 1) << "one minimise while it is on its way";
  window.WindowProc(handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(window.IsMinimised());
  window.Update();
  EXPECT_EQ(CountMinimiseCommands(), 0) << "none while minimised";

  system_->PushRestore(handle);
  Frame();
  EXPECT_FALSE(window.IsMinimised());
  EXPECT_TRUE(window.HasFocus());
  EXPECT_EQ(CountMinimiseCommands(), 0);

  // Without the flag the window stays as it is.
  window_.reset();
  Window& keeper = Make(false, nullptr, false);
  system_->PushFocus(nullptr);
  Frame();
  Frame();
  EXPECT_EQ(CountMinimiseCommands(), 0);
  EXPECT_FALSE(keeper.IsMinimised());
}

TEST_F(WindowFixture, AltEnterSwitchesOncePerPress) {
  Window& window = Make(true);
  Rearm();
  system_->SetKeyDown(VK_RETURN, true);
  window.Update();
  EXPECT_FALSE(Issued("v_window_change_mode")) << "Return alone";
  system_->SetKeyDown(VK_RETURN, false);
  system_->SetKeyDown(VK_LMENU, true);
  window.Update();
  system_->SetKeyDown(VK_RETURN, true);
  window.Update();
  EXPECT_TRUE(Issued("v_window_change_mode"));
  EXPECT_EQ(config_->v_fullscreen, 0) << "full screen to windowed";
  EXPECT_EQ(SavedValue("v_fullscreen"), "0");
  Rearm();
  for (int frame = 0; frame < 5; ++frame)
    window.Update();
  EXPECT_FALSE(Issued("v_window_change_mode")) << "a held press switches once";
  EXPECT_EQ(config_->v_fullscreen, 0);
  system_->SetKeyDown(VK_RETURN, false);
  window.Update();
  system_->SetKeyDown(VK_RETURN, true);
  window.Update();
  EXPECT_TRUE(Issued("v_window_change_mode")) << "a second press switches back";
  EXPECT_EQ(config_->v_fullscreen, 1);

  // Held Return, then Alt: Return did not go down while Alt was held.
  Rearm();
  system_->SetKeyDown(VK_LMENU, false);
  window.Update();
  system_->SetKeyDown(VK_RMENU, true);
  window.Update();
  EXPECT_FALSE(Issued("v_window_change_mode"));

  // Without the focus nothing switches.
  system_->SetKeyDown(VK_RETURN, false);
  window.Update();
  system_->PushFocus(nullptr);
  Frame();
  system_->SetKeyDown(VK_RETURN, true);
  window.Update();
  EXPECT_FALSE(Issued("v_window_change_mode"));
}

TEST_F(WindowFixture, EmbeddedWindowFollowsItsHost) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "host";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND outer = CreateWindowExA(0, "host", "", WS_CAPTION, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  HWND host = CreateWindowExA(0, "host", "", WS_CHILD, 10, 10, 320, 240, outer, nullptr, nullptr, nullptr);
  SetFocus(outer);
  Window& window = Make(true, host);
  EXPECT_FALSE(window.IsFullScreen()) << "an embedded window is never full screen";
  EXPECT_EQ(window.GetWidth(), 320u);
  EXPECT_EQ(window.GetHeight(), 240u);
  EXPECT_EQ(GetParent(window.GetHandle()), host);
  EXPECT_EQ(GetFocus(), outer) << "embedding takes no focus";
  EXPECT_TRUE(window.HasFocus()) << "the host chain holds the focus";
  SetFocus(window.GetHandle());
  EXPECT_TRUE(window.HasFocus()) << "so does the window itself";

  RECT before;
  GetWindowRect(window.GetHandle(), &before);
  window.SetMode(1024, 768, true, 1024, 768);
  RECT after;
  GetWindowRect(window.GetHandle(), &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left) << "SetMode leaves an embedded window";
  EXPECT_EQ(window.WindowProc(window.GetHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
  EXPECT_FALSE(window.IsMinimised());

  Rearm();
  window.Update();
  EXPECT_FALSE(Issued("exit"));
  system_->PushFocus(nullptr);
  Frame();
  EXPECT_EQ(CountMinimiseCommands(), 0) << "an embedded window never minimises itself";
  // The window must outlive its host record here, as an embedding program would destroy only its own.
  HWND own = window.GetHandle();
  ASSERT_TRUE(IsWindow(own));
  DestroyWindow(outer);
  window.Update();
  EXPECT_TRUE(Issued("exit")) << "the host has gone";
  UnregisterClassA("host", nullptr);
}

TEST_F(WindowFixture, SetModeSwitchesStyleAndPlace) {
  Window& window = Make(true, nullptr, true, 800, 600);
  window.SetMode(640, 480, false, 1024, 768);
  EXPECT_FALSE(window.IsFullScreen());
  EXPECT_EQ(system_->DisplayModeRestores(), 1) << "windowed returns to the desktop's mode";
  RECT r;
  GetWindowRect(window.GetHandle(), &r);
  EXPECT_EQ(r.left, 192);
  EXPECT_EQ(r.top, 144);
  EXPECT_EQ(r.right - r.left, 640);
  LONG style = GetWindowLongA(window.GetHandle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            LONG(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(GetWindowLongA(window.GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  config_->v_brightness = -1.0f;
  window.SetMode(1024, 768, true, 1024, 768);
  GetWindowRect(window.GetHandle(), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 1024);
  EXPECT_NE(GetWindowLongA(window.GetHandle(), GWL_STYLE) & WS_POPUP, 0);
  EXPECT_NE(GetWindowLongA(window.GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(config_->v_brightness, 0.0f) << "full screen applies the gamma";
  EXPECT_EQ(GetFocus(), window.GetHandle());
}

TEST_F(WindowFixture, GammaClampsIntoRange) {
  Window& window = Make(false);
  config_->v_brightness = 2.5f;
  config_->v_contrast = -0.5f;
  config_->v_gamma = 1.25f;
  window.ApplyGamma();
  EXPECT_EQ(config_->v_brightness, 2.0f);
  EXPECT_EQ(config_->v_contrast, 0.0f);
  EXPECT_EQ(config_->v_gamma, 1.25f);
}

TEST_F(WindowFixture, TitleAndCursor) {
  Window& window = Make(false);
  window.SetTitle("Brindlewick 1.00");
  char title[32];
  GetWindowTextA(window.GetHandle(), title, sizeof title);
  EXPECT_STREQ(title, "Brindlewick 1.00");
  HCURSOR hand = window.LoadCursor(107);
  EXPECT_NE(hand, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(window.LoadCursor(9999), LoadCursorA(nullptr, IDC_ARROW));
  window.SetCursor(hand);
  EXPECT_EQ(system_->CursorShown().id, 107);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  window.WindowProc(window.GetHandle(), WM_SETCURSOR, 0, 0);
  EXPECT_EQ(GetCursor(), hand) << "the window's cursor comes back over the client area";
}

TEST_F(WindowFixture, CloseFromTheSystemReachesTheWindowThroughTheQueue) {
  Window& window = Make(false);
  Rearm();
  system_->PushClose(window.GetHandle());
  Frame();
  EXPECT_TRUE(Issued("exit"));
  EXPECT_TRUE(IsWindow(window.GetHandle()));
  Rearm();
  system_->SetKeyDown(VK_MENU, true);
  system_->PushKey(window.GetHandle(), VK_F4);
  Frame();
  EXPECT_TRUE(Issued("exit")) << "Alt+F4";
  EXPECT_EQ(window.GetKeyEvent().code, VK_F4);
}

TEST_F(WindowFixture, LosingTheDisplayLogsTheLastLineAndEndsWithoutTeardown) {
  MessageManager fileLog("Test", 1, 0, folder_.string(), "lost");
  window_ = std::make_unique<Window>(&fileLog, config_.get(), "Test 1.00", nullptr, 101, false, 640, 480,
                                     false, true, nullptr);
  // An exit handler that ran would change the status: the end runs none, nor any static destructor.
  EXPECT_EXIT(
      {
        std::atexit([] { std::_Exit(7); });
        platform::NotifyDisplayLost();
      },
      testing::ExitedWithCode(EXIT_FAILURE), "connection to the display is lost");
  std::ifstream in(folder_ / "lost.html");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("The display or the session has gone"), std::string::npos) << text;

  // A session end the program may refuse (wParam FALSE) is not the end.
  const std::int32_t records = fileLog.GetRecordCount();
  SendMessageA(window_->GetHandle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(fileLog.GetRecordCount(), records);
  window_.reset();
}

// Both registry roots in temporary folders.
class RegistryPrecedence : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder("registry");
    for (const char* name : {"XDG_CONFIG_DIRS", "XDG_CONFIG_HOME"}) {
      const char* value = std::getenv(name);
      kept_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("XDG_CONFIG_DIRS", (folder_ / "machine").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder_ / "user").c_str(), 1);
  }
  void TearDown() override {
    for (auto& [name, value] : kept_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    fs::remove_all(folder_);
  }
  void Write(const char* root, const std::string& text) {
    fs::create_directories(folder_ / root / "corvantis");
    std::ofstream(folder_ / root / "corvantis" / "registry.ini") << text;
  }

  fs::path folder_;
  std::vector<std::pair<std::string, std::optional<std::string>>> kept_;
};

TEST_F(RegistryPrecedence, MachineWideWinsOverPerUser) {
  const std::string key = "SOFTWARE\\Pellucan Games\\Brindlewick";
  std::string text = "untouched";
  EXPECT_FALSE(ReadRegistryStringAnyRoot(key, "Language", text)) << "no files at all";
  EXPECT_EQ(text, "untouched");

  Write("user", "[" + key + "]\nLanguage=French\nInstallPath=/home/me/game\nPlayers=dword:3\n");
  ASSERT_TRUE(ReadRegistryStringAnyRoot(key, "Language", text));
  EXPECT_EQ(text, "French") << "per-user when no machine-wide value exists";

  Write("machine", "[" + key + "]\nLanguage=English\nVersion=100\n");
  ASSERT_TRUE(ReadRegistryStringAnyRoot(key, "Language", text));
  EXPECT_EQ(text, "English");
  ASSERT_TRUE(ReadRegistryStringAnyRoot(key, "InstallPath", text));
  EXPECT_EQ(text, "/home/me/game") << "a value missing machine-wide still comes from the user";

  text = "untouched";
  EXPECT_FALSE(ReadRegistryStringAnyRoot(key, "Players", text)) << "not a string";
  EXPECT_EQ(text, "untouched");
  EXPECT_FALSE(ReadRegistryString(4, key, "Language", text)) << "HKEY_USERS holds nothing";
  ASSERT_TRUE(ReadRegistryString(99, key, "Language", text)) << "an unknown root index is the current user";
  EXPECT_EQ(text, "French");

  Write("machine", "[" + key + "]\nLanguage=" + std::string(5000, 'x') + "\n");
  text = "untouched";
  ASSERT_TRUE(ReadRegistryStringAnyRoot(key, "Language", text)) << "too long for 4096 bytes: per-user";
  EXPECT_EQ(text, "French");
}

TEST(RegistryRoots, IndexTable) {
  EXPECT_EQ(RootKeyFromIndex(0), HKEY_CLASSES_ROOT);
  EXPECT_EQ(RootKeyFromIndex(1), HKEY_CURRENT_CONFIG);
  EXPECT_EQ(RootKeyFromIndex(2), HKEY_CURRENT_USER);
  EXPECT_EQ(RootKeyFromIndex(3), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RootKeyFromIndex(4), HKEY_USERS);
  EXPECT_EQ(RootKeyFromIndex(-1), HKEY_CURRENT_USER);
}

}  // namespace
}  // namespace CorvantisEngine
