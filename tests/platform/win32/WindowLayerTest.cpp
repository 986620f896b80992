#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WinCursor.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinResources.h"
#include "platform/win32/WinWindow.h"

namespace {

struct Seen {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen> g_seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back({window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowLayer : public testing::Test {
 protected:
  void SetUp() override {
    g_seen.clear();
    system_ = &platform::headless::InstallHeadlessWindows();
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "test class";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }

  HWND Make(HWND parent = nullptr, DWORD style = WS_CAPTION) {
    return CreateWindowExA(0, "Test Class", "title", style | (parent ? WS_CHILD : 0), 10, 20, 300, 200,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  }

  // Dispatches everything waiting and returns the messages the procedures saw.
  std::vector<Seen> Pump() {
    g_seen.clear();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    return g_seen;
  }

  static bool Saw(const std::vector<Seen>& seen, UINT message, WPARAM wParam) {
    for (const Seen& s : seen) {
      if (s.message == message && s.wParam == wParam)
        return true;
    }
    return false;
  }

  platform::headless::HeadlessWindowDriver* system_ = nullptr;
};

TEST_F(WindowLayer, StaleAndInventedHandlesFailEveryCall) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(system_->NativeWindowCount(), 1);
  ASSERT_TRUE(DestroyWindow(window));

  HWND invented = reinterpret_cast<HWND>(std::uintptr_t{0x12345678});
  for (HWND stale : {window, invented}) {
    RECT r;
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_FALSE(DestroyWindow(stale));
    EXPECT_FALSE(SetWindowPos(stale, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(GetWindowRect(stale, &r));
    EXPECT_EQ(GetDC(stale), nullptr);
    EXPECT_FALSE(PostMessageA(stale, WM_USER, 0, 0));
    EXPECT_EQ(SetFocus(stale), nullptr);
  }
  EXPECT_EQ(system_->NativeWindowCount(), 0);
  // A new window never takes the old handle.
  EXPECT_NE(Make(), window);
}

TEST_F(WindowLayer, CreationChecksClassParentAndFaultPlan) {
  EXPECT_EQ(CreateWindowExA(0, "no such class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(CreateWindowExA(0, "test class", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr)
      << "a child needs a parent";
  system_->Faults().Fail(platform::WindowDriver::Step::CreateWindow);
  EXPECT_EQ(Make(), nullptr);
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Saw(g_seen, WM_CREATE, 0));

  // A class in use cannot go; a second class of the same name (any case) cannot come.
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "TEST CLASS";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_FALSE(UnregisterClassA("test class", nullptr));
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassA("test class", nullptr));
  system_->Faults().Fail(platform::WindowDriver::Step::RegisterClass);
  EXPECT_EQ(RegisterClassA(&wc), 0);
}

TEST_F(WindowLayer, DestroyingAParentTakesItsChildrenAndTheirQueuedMessages) {
  HWND parent = Make();
  HWND child = Make(parent);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), parent);
  RECT r;
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_EQ(r.left, 20) << "child positions are relative to the parent's client area";
  EXPECT_EQ(r.top, 40);
  SetFocus(child);
  PostMessageA(child, WM_USER, 1, 0);
  PostMessageA(nullptr, WM_USER, 2, 0);
  g_seen.clear();
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetFocus(), nullptr);
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].window, parent);
  EXPECT_EQ(g_seen[0].message, WM_DESTROY);
  EXPECT_EQ(g_seen[1].window, child);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u) << "the thread message stays, the child's is dropped";
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowLayer, ChildrenKeepTheirPlaceInAMovingParent) {
  HWND parent = Make();
  HWND child = Make(parent);
  HWND grandchild = Make(child);
  auto origin = [](HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return p;
  };
  struct Move {
    const char* why;
    bool bySystem;
    int x, y;
  };
  const Move moves[] = {{"moved by the program", false, 100, 50},
                        {"moved by the window manager", true, -30, 7}};
  for (const Move& move : moves) {
    SCOPED_TRACE(move.why);
    if (move.bySystem) {
      platform::NotifyMoved(parent, move.x, move.y);
    } else {
      ASSERT_TRUE(SetWindowPos(parent, nullptr, move.x, move.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    }
    EXPECT_EQ(origin(child).x, move.x + 10);
    EXPECT_EQ(origin(child).y, move.y + 20);
    EXPECT_EQ(origin(grandchild).x, move.x + 20);
    EXPECT_EQ(origin(grandchild).y, move.y + 40);
    RECT r;
    ASSERT_TRUE(GetWindowRect(child, &r));
    EXPECT_EQ(r.right - r.left, 300) << "moving keeps the size";
  }
}

TEST_F(WindowLayer, PeekFiltersByWindowAndRangeAndKeepsOrder) {
  HWND a = Make();
  HWND b = Make();
  PostMessageA(a, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostMessageA(a, WM_USER + 3, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, a);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowLayer, SystemEventsArriveAtTheNextPeekAsMessages) {
  HWND window = Make();
  SetFocus(window);
  Pump();
  system_->PushKey(window, 'A');
  system_->PushChars(window, u"a\u00e9\U0001F600");
  system_->SetKeyDown(VK_LMENU, true);
  system_->PushKey(window, VK_RETURN);
  auto seen = Pump();
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].message, WM_KEYDOWN);
  EXPECT_EQ(seen[0].wParam, WPARAM{'A'});
  EXPECT_EQ(seen[1].message, WM_CHAR);
  EXPECT_EQ(seen[2].wParam, 0xE9u);
  EXPECT_EQ(seen[3].wParam, 0xD83Du) << "characters beyond the BMP come as two UTF-16 units";
  EXPECT_EQ(seen[4].wParam, 0xDE00u);
  EXPECT_EQ(seen[5].message, WM_SYSKEYDOWN) << "keys pressed with Alt held are system keys";
  EXPECT_NE(seen[5].lParam & KF_ALTDOWN_BIT, 0);
  EXPECT_NE(GetAsyncKeyState(VK_MENU) & 0x8000, 0) << "either Alt reads as VK_MENU";
  EXPECT_EQ(GetAsyncKeyState(VK_RMENU), 0);
}

TEST_F(WindowLayer, DefaultHandlingOfCloseAndSystemCommands) {
  HWND window = Make();
  SetFocus(window);
  // Alt+F4 becomes SC_CLOSE, then WM_CLOSE, which the default handling answers by destroying the window.
  system_->SetKeyDown(VK_MENU, true);
  system_->PushKey(window, VK_F4);
  auto seen = Pump();
  EXPECT_TRUE(Saw(seen, WM_SYSCOMMAND, SC_CLOSE));
  EXPECT_TRUE(Saw(seen, WM_CLOSE, 0));
  EXPECT_FALSE(IsWindow(window));

  HWND other = Make();
  SetFocus(other);
  system_->PushMinimise(other);
  seen = Pump();
  EXPECT_TRUE(Saw(seen, WM_SYSCOMMAND, SC_MINIMIZE));
  EXPECT_TRUE(Saw(seen, WM_KILLFOCUS, 0));
  EXPECT_TRUE(IsIconic(other));
  EXPECT_EQ(GetFocus(), nullptr);
  system_->PushRestore(other);
  seen = Pump();
  EXPECT_TRUE(Saw(seen, WM_SYSCOMMAND, SC_RESTORE));
  EXPECT_FALSE(IsIconic(other));
  EXPECT_EQ(GetFocus(), other);

  // A posted minimise command (the low bits are the system's own) minimises through the default handling.
  PostMessageA(other, WM_SYSCOMMAND, SC_MINIMIZE | 0x2, 0);
  Pump();
  EXPECT_TRUE(IsIconic(other));
  EXPECT_NE(GetWindowLongA(other, GWL_STYLE) & WS_MINIMIZE, 0);
}

TEST_F(WindowLayer, QuitRequestClosesEveryTopLevelWindow) {
  HWND a = Make();
  HWND b = Make();
  Make(a);
  system_->PushQuit();
  auto seen = Pump();
  int closes = 0;
  for (const Seen& s : seen)
    closes += s.message == WM_CLOSE;
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
}

TEST_F(WindowLayer, PlacementStylesAndCoordinates) {
  HWND window = Make();
  RECT desktop;
  ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
  EXPECT_EQ(desktop.right, 1024);
  EXPECT_EQ(desktop.bottom, 768);

  ASSERT_TRUE(SetWindowPos(window, HWND_TOPMOST, 100, 50, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW));
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_EQ(SetWindowLongA(window, GWL_STYLE, WS_POPUP) & WS_CAPTION, LONG(WS_CAPTION));
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, 0);
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  POINT p{110, 40};
  ASSERT_TRUE(ScreenToClient(window, &p));
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, -10) << "a point above the window is negative in client space";
  ASSERT_TRUE(ClientToScreen(window, &p));
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 40);

  RECT r{0, 0, 640, 480};
  ASSERT_TRUE(AdjustWindowRectEx(&r, WS_CAPTION, FALSE, 0));
  EXPECT_EQ(r.right - r.left, 640) << "the window manager draws the frame, so the client area is the window";
  SetWindowTextA(window, "Brindlewick 1.00");
  char title[8];
  EXPECT_EQ(GetWindowTextA(window, title, sizeof title), 7);
  EXPECT_STREQ(title, "Brindle");
}

TEST_F(WindowLayer, DeviceContextIsReleasedOncePerGet) {
  HWND window = Make();
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(ReleaseDC(window, dc), 0) << "second release";
  system_->Faults().Fail(platform::WindowDriver::Step::GetDC);
  EXPECT_EQ(GetDC(window), nullptr);
}

TEST_F(WindowLayer, ShowCursorCountsAndShowsAtZeroOrMore) {
  struct Step {
    BOOL show;
    int count;
    bool visible;
  };
  const Step steps[] = {{FALSE, -1, false}, {FALSE, -2, false}, {TRUE, -1, false},
                        {TRUE, 0, true},    {TRUE, 1, true},    {FALSE, 0, true}};
  for (const Step& step : steps) {
    EXPECT_EQ(ShowCursor(step.show), step.count);
    EXPECT_EQ(system_->CursorVisible(), step.visible) << "count " << step.count;
  }
  ASSERT_TRUE(SetCursorPos(5, 7));
  POINT p;
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 7);
}

TEST_F(WindowLayer, CursorResourcesFallBackToTheArrow) {
  HINSTANCE own = GetModuleHandleA(nullptr);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorA(own, MAKEINTRESOURCEA(4242)), arrow) << "unknown own id";
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(4242)), nullptr) << "unknown system cursor";
  for (int id : {1000, 107, 106}) {
    HCURSOR cursor = LoadCursorA(own, MAKEINTRESOURCEA(static_cast<WORD>(id)));
    ASSERT_NE(cursor, nullptr);
    EXPECT_NE(cursor, arrow);
    EXPECT_EQ(LoadCursorA(own, MAKEINTRESOURCEA(static_cast<WORD>(id))), cursor) << "shared handle";
    SetCursor(cursor);
    EXPECT_TRUE(system_->CursorShown().own);
    EXPECT_EQ(system_->CursorShown().id, id);
  }
  EXPECT_NE(SetCursor(arrow), arrow) << "returns the cursor shown before";
  EXPECT_NE(LoadIconA(own, MAKEINTRESOURCEA(101)), LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_EQ(LoadIconA(own, MAKEINTRESOURCEA(55)), LoadIconA(nullptr, IDI_APPLICATION));
}

// The program's three cursors: 64 x 64 pictures, the pointer's hot spot at its corner, the tip's and the
// magnet's at (10, 10) on the picture, and no two alike.
TEST(CursorResources, EachKindIsItsOwn64PixelPicture) {
  struct Row {
    int id;
    int hotX, hotY;
  };
  const Row rows[] = {{1000, 0, 0}, {107, 10, 10}, {106, 10, 10}};
  std::vector<std::vector<std::uint32_t>> pictures;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    const platform::ResourceImage* image = platform::FindCursorImage(row.id);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 64);
    EXPECT_EQ(image->hotX, row.hotX);
    EXPECT_EQ(image->hotY, row.hotY);
    pictures.push_back(platform::ResourcePixels(*image));
    ASSERT_EQ(pictures.back().size(), 64u * 64u);
    // Opaque pixels near the hot spot (the arrow's tip), transparent ones in the far corner.
    int opaque = 0;
    for (int y = row.hotY; y < row.hotY + 6; ++y) {
      for (int x = row.hotX; x < row.hotX + 6; ++x) {
        opaque += (pictures.back()[static_cast<std::size_t>(y) * 64 + x] >> 24) > 200 ? 1 : 0;
      }
    }
    EXPECT_GT(opaque, 4);
    EXPECT_EQ(pictures.back()[64 * 64 - 1] >> 24, 0u);
  }
  for (std::size_t a = 0; a < pictures.size(); ++a) {
    for (std::size_t b = a + 1; b < pictures.size(); ++b) {
      int differing = 0;
      for (std::size_t i = 0; i < pictures[a].size(); ++i) {
        differing += pictures[a][i] != pictures[b][i] ? 1 : 0;
      }
      EXPECT_GT(differing, 400) << "cursors " << rows[a].id << " and " << rows[b].id;
    }
  }
  EXPECT_EQ(platform::FindCursorImage(4242), nullptr);
}

TEST_F(WindowLayer, MessagesPostedFromOtherThreadsAllArrive) {
  HWND window = Make();
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([window, t] {
      for (int i = 0; i < kEach; ++i)
        PostMessageA(window, WM_USER, static_cast<WPARAM>(t), i);
    });
  }
  int received = 0;
  std::vector<LPARAM> last(kThreads, -1);
  bool ordered = true;
  auto drain = [&] {
    MSG msg;
    while (PeekMessageA(&msg, window, WM_USER, WM_USER, PM_REMOVE)) {
      ++received;
      ordered = ordered && msg.lParam == last[msg.wParam] + 1;
      last[msg.wParam] = msg.lParam;
    }
  };
  // Drain while the threads post; a lost message shows as a short count once the deadline passes.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (received < kThreads * kEach && std::chrono::steady_clock::now() < deadline) {
    drain();
    std::this_thread::yield();
  }
  for (auto& poster : posters)
    poster.join();
  drain();
  EXPECT_EQ(received, kThreads * kEach);
  EXPECT_TRUE(ordered) << "each thread's messages keep their order";
}

}  // namespace
