// The message queue, dispatch and the default window procedure.
#include "platform/win32/WinMessages.h"

#include "platform/win32/WinWindow.h"
#include "platform/win32/WindowLayer_Local.h"

using namespace platform::window_layer;

namespace {

bool Matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
  if (window && m.hwnd != window)
    return false;
  if (filterMin == 0 && filterMax == 0)
    return true;
  return m.message >= filterMin && m.message <= filterMax;
}

WNDPROC ProcedureOf(HWND window) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  WindowEntry* e = FindEntry(window);
  return e ? e->proc : nullptr;
}

}  // namespace

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg)
    return FALSE;
  LayerState& s = State();
  s.driver->PumpEvents();
  std::lock_guard lock(s.mutex);
  for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax))
      continue;
    *msg = *it;
    if (removeFlags & PM_REMOVE)
      s.queue.erase(it);
    return TRUE;
  }
  return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
  return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd)
    return 0;
  WNDPROC proc = ProcedureOf(msg->hwnd);
  return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  if (window && !FindEntry(window))
    return FALSE;
  MSG m{};
  m.hwnd = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  s.queue.push_back(m);
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = ProcedureOf(window);
  return proc ? proc(window, message, wParam, lParam) : 0;
}

void PostQuitMessage(int exitCode) {
  PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT))
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          MinimiseWindow(window);
          break;
        case SC_RESTORE:
          RestoreWindow(window);
          break;
        case SC_CLOSE:
          SendMessageA(window, WM_CLOSE, 0, 0);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

SHORT GetAsyncKeyState(int virtualKey) {
  return State().driver->IsKeyDown(virtualKey) ? static_cast<SHORT>(0x8000) : SHORT{0};
}
