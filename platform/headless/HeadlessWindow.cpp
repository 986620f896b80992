// The headless window driver.
#include "platform/headless/HeadlessWindow.h"

#include <cstdio>

#include "platform/win32/WinDialog.h"
#include "platform/win32/WinMessages.h"

namespace platform::headless {

bool HeadlessWindowDriver::Allows(Step step) {
  auto fault = faults_.steps.find(step);
  if (fault == faults_.steps.end())
    return true;
  if (fault->second > 0 && --fault->second == 0)
    faults_.steps.erase(fault);
  return false;
}

bool HeadlessWindowDriver::CreateNativeWindow(const WindowRecord& window) {
  native_.insert(window.handle);
  return true;
}

void HeadlessWindowDriver::DestroyNativeWindow(HWND window) {
  native_.erase(window);
}

void HeadlessWindowDriver::PumpEvents() {
  // Events pushed while these run (a procedure reacting) wait for the next pump.
  auto events = std::move(pending_);
  pending_.clear();
  for (auto& event : events)
    event();
}

void HeadlessWindowDriver::PushClose(HWND window) {
  pending_.push_back([window] { PostMessageA(window, WM_CLOSE, 0, 0); });
}

void HeadlessWindowDriver::PushQuit() {
  pending_.push_back([] { NotifyQuitRequest(); });
}

void HeadlessWindowDriver::PushKey(HWND window, int virtualKey, bool release) {
  // Alt is read as the key is pushed, as the system reads it when the key goes down.
  bool alt = IsKeyDown(VK_MENU);
  pending_.push_back([window, virtualKey, release, alt] {
    // F10 and Alt combinations are system keys, as on Windows.
    bool system = alt || virtualKey == 0x79;
    LPARAM lParam = 1 | (alt ? KF_ALTDOWN_BIT : 0);
    PostMessageA(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(virtualKey), lParam);
    if (release) {
      lParam |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
      PostMessageA(window, system ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(virtualKey), lParam);
    }
  });
}

void HeadlessWindowDriver::PushChars(HWND window, const std::u16string& units) {
  pending_.push_back([window, units] {
    for (char16_t unit : units)
      PostMessageA(window, WM_CHAR, static_cast<WPARAM>(unit), 1);
  });
}

void HeadlessWindowDriver::PushFocus(HWND window) {
  pending_.push_back([window] {
    if (window) {
      NotifyFocusGained(window);
    } else {
      for (HWND top : TopLevelWindows())
        NotifyFocusLost(top);
    }
  });
}

void HeadlessWindowDriver::PushMinimise(HWND window) {
  pending_.push_back([window] {
    NotifyMinimised(window, true);
    NotifyFocusLost(window);
  });
}

void HeadlessWindowDriver::PushRestore(HWND window) {
  pending_.push_back([window] {
    NotifyMinimised(window, false);
    NotifyFocusGained(window);
  });
}

void HeadlessWindowDriver::SetKeyDown(int virtualKey, bool down) {
  if (down) {
    keysDown_.insert(virtualKey);
  } else {
    keysDown_.erase(virtualKey);
  }
}

bool HeadlessWindowDriver::IsKeyDown(int virtualKey) {
  auto held = [this](int vk) { return keysDown_.count(vk) != 0; };
  switch (virtualKey) {
    case VK_SHIFT:
      return held(VK_SHIFT) || held(VK_LSHIFT) || held(VK_RSHIFT);
    case VK_CONTROL:
      return held(VK_CONTROL) || held(VK_LCONTROL) || held(VK_RCONTROL);
    case VK_MENU:
      return held(VK_MENU) || held(VK_LMENU) || held(VK_RMENU);
    default:
      return held(virtualKey);
  }
}

int HeadlessWindowDriver::MessageBox(HWND owner, const std::string& text, const std::string& caption,
                                     UINT type) {
  boxes_.push_back({owner, text, caption, type});
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  UINT buttons = type & 0xF;
  if (buttons == MB_YESNO)
    return IDNO;
  if (buttons == MB_OKCANCEL)
    return IDCANCEL;
  return IDOK;
}

std::unique_ptr<WindowDriver> MakeWindowDriver() {
  return std::make_unique<HeadlessWindowDriver>();
}

HeadlessWindowDriver& InstallHeadlessWindows() {
  auto driver = std::make_unique<HeadlessWindowDriver>();
  HeadlessWindowDriver& ref = *driver;
  InstallWindowDriver(std::move(driver));
  return ref;
}

}  // namespace platform::headless
