// Window classes, window records, placement, focus and device contexts.
#include "platform/win32/WinWindow.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/headless/HeadlessWindow.h"
#include "platform/win32/WindowLayer_Local.h"

namespace platform::window_layer {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Fixed handles that are not windows of the table.
const HWND kDesktop = reinterpret_cast<HWND>(std::uintptr_t{0x10});
const HMODULE kModule = reinterpret_cast<HMODULE>(std::uintptr_t{0x400000});

// Rectangle of a window's parent client area on the screen (the screen itself for a top-level window).
POINT ParentOrigin(LayerState& s, HWND parent) {
  if (WindowEntry* p = FindEntry(parent))
    return {p->record.rect.left, p->record.rect.top};
  return {0, 0};
}

void CollectSubtree(LayerState& s, HWND root, std::vector<HWND>& out) {
  out.push_back(root);
  for (auto& [handle, entry] : s.windows) {
    if (entry.record.parent == root)
      CollectSubtree(s, handle, out);
  }
}

// Children keep their place in their parent's client area: a window that moves carries every window
// below it by the same offset.
void ShiftDescendants(LayerState& s, HWND root, LONG dx, LONG dy) {
  if (dx == 0 && dy == 0)
    return;
  std::vector<HWND> subtree;
  CollectSubtree(s, root, subtree);
  for (std::size_t i = 1; i < subtree.size(); ++i) {
    RECT& r = s.windows[subtree[i]].record.rect;
    r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  }
}

}  // namespace

LayerState& State() {
  static LayerState state;
  std::lock_guard lock(state.mutex);
  if (!state.driver)
    state.driver = platform::headless::MakeWindowDriver();
  return state;
}

std::uintptr_t NextHandle() {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  s.lastHandle += 4;
  return s.lastHandle;
}

WindowEntry* FindEntry(HWND window) {
  LayerState& s = State();
  auto it = s.windows.find(window);
  return it == s.windows.end() ? nullptr : &it->second;
}

HWND DesktopHandle() {
  return kDesktop;
}

bool IsInside(HWND window, HWND ancestor) {
  for (int depth = 0; window && depth < 64; ++depth) {
    if (window == ancestor)
      return true;
    WindowEntry* e = FindEntry(window);
    if (!e)
      return false;
    window = e->record.parent;
  }
  return false;
}

void MinimiseWindow(HWND window) {
  LayerState& s = State();
  HWND lostFocus = nullptr;
  {
    std::lock_guard lock(s.mutex);
    WindowEntry* e = FindEntry(window);
    if (!e || e->record.minimised)
      return;
    e->record.minimised = true;
    if (s.focus && IsInside(s.focus, window)) {
      lostFocus = s.focus;
      s.focus = nullptr;
    }
  }
  s.driver->MinimiseNativeWindow(window);
  if (lostFocus)
    PostMessageA(lostFocus, WM_KILLFOCUS, 0, 0);
}

void RestoreWindow(HWND window) {
  LayerState& s = State();
  {
    std::lock_guard lock(s.mutex);
    WindowEntry* e = FindEntry(window);
    if (!e || !e->record.minimised)
      return;
    e->record.minimised = false;
  }
  s.driver->RestoreNativeWindow(window);
}

}  // namespace platform::window_layer

using namespace platform::window_layer;

namespace platform {

void InstallWindowDriver(std::unique_ptr<WindowDriver> driver) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  s.windows.clear();
  s.classes.clear();
  s.queue.clear();
  s.focus = nullptr;
  s.cursorCount = 0;
  s.cursor = nullptr;
  s.cursorHandles.clear();
  s.cursorShapes.clear();
  s.driver = std::move(driver);
}

WindowDriver& CurrentWindowDriver() {
  return *State().driver;
}

void NotifyFocusGained(HWND window) {
  LayerState& s = State();
  HWND old = nullptr;
  {
    std::lock_guard lock(s.mutex);
    if (!FindEntry(window))
      return;
    if (s.focus && IsInside(s.focus, window))
      return;  // the focus stays on the child that had it
    old = s.focus;
    s.focus = window;
  }
  if (old)
    PostMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  PostMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

void NotifyFocusLost(HWND window) {
  LayerState& s = State();
  HWND old = nullptr;
  {
    std::lock_guard lock(s.mutex);
    if (!s.focus || !IsInside(s.focus, window))
      return;
    old = s.focus;
    s.focus = nullptr;
  }
  PostMessageA(old, WM_KILLFOCUS, 0, 0);
}

void NotifyMinimised(HWND window, bool minimised) {
  LayerState& s = State();
  {
    std::lock_guard lock(s.mutex);
    WindowEntry* e = FindEntry(window);
    if (!e || e->record.minimised == minimised)
      return;
    e->record.minimised = minimised;
  }
  PostMessageA(window, WM_SYSCOMMAND, minimised ? SC_MINIMIZE : SC_RESTORE, 0);
}

void NotifyMoved(HWND window, int x, int y) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e)
    return;
  RECT& r = e->record.rect;
  ShiftDescendants(s, window, x - r.left, y - r.top);
  r = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
}

void NotifyResized(HWND window, int width, int height) {
  LayerState& s = State();
  {
    std::lock_guard lock(s.mutex);
    WindowEntry* e = FindEntry(window);
    if (!e)
      return;
    RECT& r = e->record.rect;
    if (r.right - r.left == width && r.bottom - r.top == height)
      return;
    r.right = r.left + width;
    r.bottom = r.top + height;
  }
  PostMessageA(window, WM_SIZE, 0, (static_cast<LPARAM>(height & 0xFFFF) << 16) | (width & 0xFFFF));
}

void NotifyQuitRequest() {
  for (HWND window : TopLevelWindows())
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void NotifyDisplayLost() {
  static constexpr char kLine[] = "The connection to the display is lost: the program ends.\n";
  // Said before the windows hear of it: a procedure that hangs on the dead connection still leaves the
  // reason behind.
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kLine, sizeof kLine - 1);
  for (HWND window : TopLevelWindows())
    SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL);
  ::_exit(EXIT_FAILURE);
}

bool FindWindowRecord(HWND window, WindowRecord& out) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e)
    return false;
  out = e->record;
  return true;
}

std::vector<HWND> TopLevelWindows() {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  std::vector<HWND> out;
  for (auto& [handle, entry] : s.windows) {
    if (!entry.record.parent)
      out.push_back(handle);
  }
  return out;
}

}  // namespace platform

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
  return lpModuleName ? nullptr : kModule;
}

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !wndClass->lpfnWndProc || !wndClass->lpszClassName || !*wndClass->lpszClassName)
    return 0;
  LayerState& s = State();
  if (!s.driver->Allows(platform::WindowDriver::Step::RegisterClass))
    return 0;
  std::lock_guard lock(s.mutex);
  std::string key = Lower(wndClass->lpszClassName);
  if (s.classes.count(key))
    return 0;
  ClassEntry entry;
  entry.name = wndClass->lpszClassName;
  entry.proc = wndClass->lpfnWndProc;
  entry.instance = wndClass->hInstance;
  entry.cursor = wndClass->hCursor;
  auto iconNumber = reinterpret_cast<std::uintptr_t>(wndClass->hIcon);
  entry.iconId = (iconNumber > 0x60000 && iconNumber < 0x70000) ? static_cast<int>(iconNumber - 0x60000) : 0;
  s.classes[key] = entry;
  return static_cast<ATOM>(0xC000 + s.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  if (!className)
    return FALSE;
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  std::string key = Lower(className);
  auto it = s.classes.find(key);
  if (it == s.classes.end())
    return FALSE;
  for (auto& [handle, entry] : s.windows) {
    if (Lower(entry.record.className) == key)
      return FALSE;
  }
  s.classes.erase(it);
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  LayerState& s = State();
  platform::WindowRecord record;
  WNDPROC proc = nullptr;
  {
    std::lock_guard lock(s.mutex);
    if (!className)
      return nullptr;
    auto cls = s.classes.find(Lower(className));
    if (cls == s.classes.end())
      return nullptr;
    if (parent == kDesktop)
      parent = nullptr;
    if (parent && !FindEntry(parent))
      return nullptr;
    if ((style & WS_CHILD) && !parent)
      return nullptr;
    proc = cls->second.proc;
    if (x == CW_USEDEFAULT)
      x = y = 0;
    if (width == CW_USEDEFAULT) {
      width = 640;
      height = 480;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    POINT origin = (style & WS_CHILD) ? ParentOrigin(s, parent) : POINT{0, 0};
    record.parent = parent;
    record.className = cls->second.name;
    record.title = windowName ? windowName : "";
    record.style = style & ~(WS_VISIBLE | WS_MINIMIZE);
    record.exStyle = exStyle & ~WS_EX_TOPMOST;
    record.rect = {origin.x + x, origin.y + y, origin.x + x + width, origin.y + y + height};
    record.visible = (style & WS_VISIBLE) != 0;
    record.minimised = (style & WS_MINIMIZE) != 0;
    record.topmost = (exStyle & WS_EX_TOPMOST) != 0;
    record.iconId = cls->second.iconId;
  }
  if (!s.driver->Allows(platform::WindowDriver::Step::CreateWindow))
    return nullptr;
  record.handle = reinterpret_cast<HWND>(NextHandle());
  if (!s.driver->CreateNativeWindow(record))
    return nullptr;
  {
    std::lock_guard lock(s.mutex);
    WindowEntry entry;
    entry.record = record;
    entry.proc = proc;
    s.windows[record.handle] = entry;
  }
  if (SendMessageA(record.handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(param)) == -1) {
    DestroyWindow(record.handle);
    return nullptr;
  }
  return record.handle;
}

BOOL DestroyWindow(HWND window) {
  LayerState& s = State();
  std::vector<HWND> subtree;
  {
    std::lock_guard lock(s.mutex);
    if (!FindEntry(window))
      return FALSE;
    CollectSubtree(s, window, subtree);
  }
  // The parent hears WM_DESTROY first, then its children, while they all still exist.
  for (HWND h : subtree)
    SendMessageA(h, WM_DESTROY, 0, 0);
  {
    std::lock_guard lock(s.mutex);
    for (HWND h : subtree) {
      s.windows.erase(h);
      if (s.focus == h)
        s.focus = nullptr;
    }
    std::erase_if(s.queue, [&](const MSG& m) {
      return std::find(subtree.begin(), subtree.end(), m.hwnd) != subtree.end();
    });
  }
  // Children first, so a native parent never goes before what it holds.
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it)
    s.driver->DestroyNativeWindow(*it);
  return TRUE;
}

BOOL IsWindow(HWND window) {
  if (window == kDesktop)
    return TRUE;
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  return FindEntry(window) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  return e ? e->record.parent : nullptr;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  return rect ? TRUE : FALSE;
}

namespace {

// Applies a change to a window's record and hands the result to the driver.
template <class Change>
BOOL ChangeWindow(HWND window, Change change) {
  LayerState& s = State();
  platform::WindowRecord record;
  {
    std::lock_guard lock(s.mutex);
    WindowEntry* e = FindEntry(window);
    if (!e)
      return FALSE;
    change(s, *e);
    record = e->record;
  }
  s.driver->UpdateNativeWindow(record);
  return TRUE;
}

}  // namespace

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ChangeWindow(window, [&](LayerState& s, WindowEntry& e) {
    RECT& r = e.record.rect;
    if (!(flags & SWP_NOMOVE)) {
      POINT origin = (e.record.style & WS_CHILD) ? ParentOrigin(s, e.record.parent) : POINT{0, 0};
      ShiftDescendants(s, e.record.handle, origin.x + x - r.left, origin.y + y - r.top);
      r = {origin.x + x, origin.y + y, origin.x + x + (r.right - r.left), origin.y + y + (r.bottom - r.top)};
    }
    if (!(flags & SWP_NOSIZE)) {
      r.right = r.left + std::max(cx, 0);
      r.bottom = r.top + std::max(cy, 0);
    }
    if (!(flags & SWP_NOZORDER)) {
      if (insertAfter == HWND_TOPMOST)
        e.record.topmost = true;
      if (insertAfter == HWND_NOTOPMOST)
        e.record.topmost = false;
    }
    if (flags & SWP_SHOWWINDOW)
      e.record.visible = true;
    if (flags & SWP_HIDEWINDOW)
      e.record.visible = false;
  });
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  if (index != GWL_STYLE && index != GWL_EXSTYLE)
    return 0;
  LONG previous = GetWindowLongA(window, index);
  ChangeWindow(window, [&](LayerState&, WindowEntry& e) {
    if (index == GWL_STYLE) {
      e.record.style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_MINIMIZE);
    } else {
      e.record.exStyle = static_cast<DWORD>(value) & ~WS_EX_TOPMOST;
    }
  });
  return previous;
}

LONG GetWindowLongA(HWND window, int index) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e)
    return 0;
  if (index == GWL_STYLE) {
    return static_cast<LONG>(e->record.style | (e->record.visible ? WS_VISIBLE : 0) |
                             (e->record.minimised ? WS_MINIMIZE : 0));
  }
  if (index == GWL_EXSTYLE)
    return static_cast<LONG>(e->record.exStyle | (e->record.topmost ? WS_EX_TOPMOST : 0));
  return 0;
}

BOOL ShowWindow(HWND window, int command) {
  bool wasVisible = false;
  bool known = false;
  {
    LayerState& s = State();
    std::lock_guard lock(s.mutex);
    if (WindowEntry* e = FindEntry(window)) {
      wasVisible = e->record.visible;
      known = true;
    }
  }
  if (!known)
    return FALSE;
  switch (command) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      ChangeWindow(window, [](LayerState&, WindowEntry& e) { e.record.visible = true; });
      MinimiseWindow(window);
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      ChangeWindow(window, [](LayerState&, WindowEntry& e) { e.record.visible = true; });
      RestoreWindow(window);
      break;
    case SW_HIDE:
      ChangeWindow(window, [](LayerState&, WindowEntry& e) { e.record.visible = false; });
      break;
    default:
      ChangeWindow(window, [](LayerState&, WindowEntry& e) { e.record.visible = true; });
      break;
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL IsIconic(HWND window) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  return e && e->record.minimised ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  return ChangeWindow(window, [&](LayerState&, WindowEntry& e) { e.record.title = text ? text : ""; });
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e || !text || maxCount <= 0)
    return 0;
  int n = std::min(static_cast<int>(e->record.title.size()), maxCount - 1);
  std::copy_n(e->record.title.data(), n, text);
  text[n] = '\0';
  return n;
}

BOOL SetForegroundWindow(HWND window) {
  LayerState& s = State();
  HWND top = window;
  bool focusInside;
  {
    std::lock_guard lock(s.mutex);
    if (!FindEntry(window))
      return FALSE;
    while (WindowEntry* e = FindEntry(top)) {
      if (!e->record.parent)
        break;
      top = e->record.parent;
    }
    focusInside = s.focus && IsInside(s.focus, top);
  }
  // The top-level window comes forward; the focus moves to it unless it already lies inside it.
  if (focusInside) {
    s.driver->RaiseNativeWindow(top);
  } else {
    SetFocus(top);
  }
  return TRUE;
}

HWND SetFocus(HWND window) {
  LayerState& s = State();
  HWND old = nullptr;
  HWND top = window;
  {
    std::lock_guard lock(s.mutex);
    old = s.focus;
    if (window && !FindEntry(window))
      return nullptr;
    if (window == old)
      return old;
    s.focus = window;
    while (WindowEntry* e = FindEntry(top)) {
      if (!e->record.parent)
        break;
      top = e->record.parent;
    }
  }
  if (old)
    PostMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window) {
    PostMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    s.driver->RaiseNativeWindow(top);
  }
  return old;
}

HWND GetFocus() {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  return s.focus;
}

HWND GetDesktopWindow() {
  return kDesktop;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  if (!rect)
    return FALSE;
  LayerState& s = State();
  if (window == kDesktop) {
    *rect = s.driver->DesktopRect();
    return TRUE;
  }
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e)
    return FALSE;
  *rect = e->record.rect;
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  RECT r;
  if (!rect || !GetWindowRect(window, &r))
    return FALSE;
  *rect = {0, 0, r.right - r.left, r.bottom - r.top};
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  RECT r;
  if (!point || !GetWindowRect(window, &r))
    return FALSE;
  point->x -= r.left;
  point->y -= r.top;
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  RECT r;
  if (!point || !GetWindowRect(window, &r))
    return FALSE;
  point->x += r.left;
  point->y += r.top;
  return TRUE;
}

HDC GetDC(HWND window) {
  LayerState& s = State();
  if (!s.driver->Allows(platform::WindowDriver::Step::GetDC))
    return nullptr;
  std::uintptr_t fresh = NextHandle();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e)
    return nullptr;
  if (!e->dc)
    e->dc = reinterpret_cast<HDC>(fresh);
  ++e->dcTaken;
  return e->dc;
}

int ReleaseDC(HWND window, HDC dc) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  if (!e || !dc || e->dc != dc || e->dcTaken == 0)
    return 0;
  --e->dcTaken;
  return 1;
}

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object > 19)
    return nullptr;
  return reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x70000} + static_cast<std::uintptr_t>(object));
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (mode)
    return DISP_CHANGE_FAILED;
  return State().driver->RestoreDisplayMode() ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}
