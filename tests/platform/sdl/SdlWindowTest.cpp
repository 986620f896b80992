#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "XConnection.h"
#include "engine/config/Config.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "engine/window/Window.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindow.h"

namespace CorvantisEngine {
namespace {

namespace fs = std::filesystem;

std::vector<Uint32> g_heard;

void Listen(const SDL_Event& event) {
  g_heard.push_back(event.type);
}

class RealWindow : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("sdl-window-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    platform::sdl::InstallWindowDriver();
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.string(), "");
    config_ = std::make_unique<Config>(log_.get(), files_.get(), folder_.string(), "test", false,
                                       "640x480x32", false, false);
    POINT position{0, 0};
    window_ = std::make_unique<Window>(log_.get(), config_.get(), "Brindlewick 1.00", nullptr, 101, false,
                                       640, 480, false, true, &position);
    g_heard.clear();
  }
  void TearDown() override {
    platform::sdl::RemoveEventListener(Listen);
    window_.reset();
    config_.reset();
    files_.reset();
    log_.reset();
    fs::remove_all(folder_);
  }

  // Runs the main loop's message side until the queue is empty.
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  fs::path folder_;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::unique_ptr<Config> config_;
  std::unique_ptr<Window> window_;
};

TEST_F(RealWindow, IsAnOpenGLWindowOfTheRequestedSize) {
  SDL_Window* sdl = platform::sdl::WindowFromHandle(window_->GetHandle());
  ASSERT_NE(sdl, nullptr);
  EXPECT_EQ(platform::sdl::WindowFromHandle(reinterpret_cast<HWND>(std::uintptr_t{0x999})), nullptr);
  EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL, 0u);
  int w = 0, h = 0;
  SDL_GetWindowSize(sdl, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Brindlewick 1.00");
  window_->SetTitle("Other");
  EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Other");
}

TEST_F(RealWindow, TheTitleIsWrittenInTheStandardTextTypes) {
  SDL_Window* sdl = platform::sdl::WindowFromHandle(window_->GetHandle());
  ASSERT_NE(sdl, nullptr);
  if (sdltest::XConnectionSocket(sdl) < 0)
    GTEST_SKIP() << "not an X display";
  struct Row {
    const char* title;
    const char* nameType;  // of WM_NAME
    std::string nameBytes;
  };
  // Latin-1 goes as STRING (its bytes Latin-1), anything beyond it as COMPOUND_TEXT.
  const Row rows[] = {{"Brindlewick 1.00", "STRING", "Brindlewick 1.00"},
                      {"Caf\xC3\xA9", "STRING", "Caf\xE9"},
                      {"\xE2\x98\x85 Stars", "COMPOUND_TEXT", ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    window_->SetTitle(row.title);
    const sdltest::XTextValue name = sdltest::ReadXProperty(sdl, "WM_NAME");
    EXPECT_EQ(name.type, row.nameType);
    if (!row.nameBytes.empty())
      EXPECT_EQ(name.bytes, row.nameBytes);
    else
      EXPECT_FALSE(name.bytes.empty());
    EXPECT_EQ(sdltest::ReadXProperty(sdl, "WM_ICON_NAME").type, row.nameType);
    const sdltest::XTextValue netName = sdltest::ReadXProperty(sdl, "_NET_WM_NAME");
    EXPECT_EQ(netName.type, "UTF8_STRING");
    EXPECT_EQ(netName.bytes, row.title);
  }
}

TEST_F(RealWindow, QuitEventFiresExit) {
  platform::sdl::AddEventListener(Listen);
  Pump();
  ASSERT_TRUE(config_->GetBool("exit"));
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  Pump();
  EXPECT_FALSE(config_->GetBool("exit")) << "exit issued";
  EXPECT_NE(std::find(g_heard.begin(), g_heard.end(), Uint32{SDL_QUIT}), g_heard.end())
      << "the listener heard the event first";
  EXPECT_TRUE(IsWindow(window_->GetHandle())) << "the window stays until the engine lets it go";
}

TEST_F(RealWindow, CloseAndKeyEventsBecomeMessages) {
  Pump();
  SDL_Window* sdl = platform::sdl::WindowFromHandle(window_->GetHandle());
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(sdl);
  ASSERT_EQ(SDL_PushEvent(&close), 1);
  Pump();
  EXPECT_FALSE(config_->GetBool("exit"));

  SetFocus(window_->GetHandle());
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.windowID = SDL_GetWindowID(sdl);
  key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  key.key.keysym.sym = SDLK_ESCAPE;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = SDL_GetWindowID(sdl);
  SDL_strlcpy(text.text.text, "\xc3\xa9", sizeof text.text.text);
  ASSERT_EQ(SDL_PushEvent(&text), 1);
  window_->ClearKeyEvents();
  MSG msg;
  std::vector<MSG> seen;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    seen.push_back(msg);
    DispatchMessageA(&msg);
  }
  auto find = [&](UINT message, WPARAM wParam) {
    return std::any_of(seen.begin(), seen.end(),
                       [&](const MSG& m) { return m.message == message && m.wParam == wParam; });
  };
  EXPECT_TRUE(find(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_TRUE(find(WM_CHAR, 0x1B)) << "Escape types its control character";
  EXPECT_TRUE(find(WM_CHAR, 0xE9)) << "text arrives as UTF-16 units";
  EXPECT_EQ(window_->GetKeyEvent().isCharacter, 1);
  EXPECT_EQ(window_->GetKeyEvent().code, 0xE9);
}

// The connection breaks under the program as when the X server goes away: the child of the death test
// closes its copy of the connection's socket, so the server and this process's connection stay as they are.
TEST_F(RealWindow, ABrokenDisplayConnectionEndsTheProgramAtOnceWithTheLogsLine) {
  window_.reset();
  MessageManager fileLog("Test", 1, 0, folder_.string(), "lost");
  POINT position{0, 0};
  window_ = std::make_unique<Window>(&fileLog, config_.get(), "Brindlewick 1.00", nullptr, 101, false, 640,
                                     480, false, true, &position);
  const int connection = sdltest::XConnectionSocket(platform::sdl::WindowFromHandle(window_->GetHandle()));
  if (connection < 0) {
    window_.reset();
    GTEST_SKIP() << "not an X display";
  }
  Pump();
  EXPECT_EXIT(
      {
        std::atexit([] { std::_Exit(7); });
        ::close(connection);
        // The next look at the queue reads the connection; give up after a few seconds.
        for (int i = 0; i < 500; ++i) {
          Pump();
          SDL_Delay(10);
        }
        std::_Exit(3);
      },
      testing::ExitedWithCode(EXIT_FAILURE), "connection to the display is lost");
  std::ifstream in(folder_ / "lost.html");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("The display or the session has gone"), std::string::npos) << text;
  window_.reset();
}

TEST_F(RealWindow, ScancodesAndVirtualKeysRoundTrip) {
  for (int vk : {int('A'), int('Z'), int('0'), int('9'), VK_F1, VK_F12, VK_RETURN, VK_ESCAPE, VK_SPACE,
                 VK_LEFT, VK_NUMPAD0, VK_NUMPAD0 + 9, VK_OEM_2, VK_DELETE}) {
    EXPECT_EQ(platform::sdl::VirtualKeyFromScancode(platform::sdl::ScancodeFromVirtualKey(vk)), vk) << vk;
  }
  EXPECT_EQ(platform::sdl::VirtualKeyFromScancode(SDL_SCANCODE_RALT), VK_MENU);
}

}  // namespace
}  // namespace CorvantisEngine
