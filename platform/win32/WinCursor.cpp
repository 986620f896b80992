// Cursors, icons, the cursor's display counter and position, and message boxes.
#include "platform/win32/WinCursor.h"

#include "platform/win32/WinDialog.h"
#include "platform/win32/WinResources.h"
#include "platform/win32/WindowLayer_Local.h"

using namespace platform::window_layer;

namespace {

constexpr int kArrow = 32512;

bool IsSystemCursor(int id) {
  switch (id) {
    case 32512:
    case 32513:
    case 32514:
    case 32515:
    case 32646:
    case 32648:
    case 32649:
      return true;
    default:
      return false;
  }
}

HCURSOR CursorHandle(bool own, int id) {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  auto key = std::make_pair(own, id);
  auto it = s.cursorHandles.find(key);
  if (it != s.cursorHandles.end())
    return it->second;
  auto handle = reinterpret_cast<HCURSOR>(NextHandle());
  s.cursorHandles[key] = handle;
  s.cursorShapes[handle] = platform::CursorShape{own, id};
  return handle;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!IS_INTRESOURCE(name))
    return instance ? CursorHandle(false, kArrow) : nullptr;
  int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  if (!instance)
    return IsSystemCursor(id) ? CursorHandle(false, id) : nullptr;
  if (platform::FindCursorImage(id))
    return CursorHandle(true, id);
  return CursorHandle(false, kArrow);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  // Icon handles carry their resource id (0 for the application icon) above 0x60000.
  int id = 0;
  if (instance && IS_INTRESOURCE(name)) {
    int wanted = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
    if (platform::FindIconImage(wanted))
      id = wanted;
  }
  return reinterpret_cast<HICON>(std::uintptr_t{0x60000} + static_cast<std::uintptr_t>(id));
}

HCURSOR SetCursor(HCURSOR cursor) {
  LayerState& s = State();
  HCURSOR previous;
  platform::CursorShape shape;
  {
    std::lock_guard lock(s.mutex);
    previous = s.cursor;
    auto it = s.cursorShapes.find(cursor);
    if (it == s.cursorShapes.end())
      return previous;
    s.cursor = cursor;
    shape = it->second;
  }
  s.driver->SetCursorShape(shape);
  return previous;
}

HCURSOR GetCursor() {
  LayerState& s = State();
  std::lock_guard lock(s.mutex);
  return s.cursor;
}

int ShowCursor(BOOL show) {
  LayerState& s = State();
  int count;
  bool changed;
  {
    std::lock_guard lock(s.mutex);
    bool wasVisible = s.cursorCount >= 0;
    s.cursorCount += show ? 1 : -1;
    count = s.cursorCount;
    changed = wasVisible != (count >= 0);
  }
  if (changed)
    s.driver->ShowCursor(count >= 0);
  return count;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point)
    return FALSE;
  *point = State().driver->CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  State().driver->SetCursorPos(POINT{x, y});
  return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return State().driver->MessageBox(owner, text ? text : "", caption ? caption : "Error", type);
}
