#pragma once
// Private to the window layer's sources (WinWindow.cpp, WinMessages.cpp, WinCursor.cpp): the one state
// they share. Never included by a public header.

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/WinWindow.h"
#include "platform/win32/WindowDriver.h"

namespace platform::window_layer {

struct ClassEntry {
  std::string name;  // as registered
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  int iconId = 0;
  HCURSOR cursor = nullptr;
};

struct WindowEntry {
  WindowRecord record;
  WNDPROC proc = nullptr;
  HDC dc = nullptr;
  int dcTaken = 0;
};

struct LayerState {
  // Guards every table below. Never held while a window procedure or the driver runs.
  std::recursive_mutex mutex;
  std::unique_ptr<WindowDriver> driver;
  std::map<std::string, ClassEntry> classes;  // by lower-case name
  std::map<HWND, WindowEntry> windows;
  std::deque<MSG> queue;
  std::uintptr_t lastHandle = 0x10000;
  HWND focus = nullptr;
  int cursorCount = 0;
  HCURSOR cursor = nullptr;
  std::map<std::pair<bool, int>, HCURSOR> cursorHandles;  // (own, id) -> handle
  std::map<HCURSOR, CursorShape> cursorShapes;
};

LayerState& State();
// A fresh handle number, never handed out before in this process.
std::uintptr_t NextHandle();
WindowEntry* FindEntry(HWND window);  // call with the mutex held
HWND DesktopHandle();
void MinimiseWindow(HWND window);
void RestoreWindow(HWND window);
bool IsInside(HWND window, HWND ancestor);  // window is ancestor or below it; mutex held

}  // namespace platform::window_layer
