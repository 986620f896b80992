#pragma once
// Win32-shaped windows: classes, creation, styles, placement, focus, device contexts and the desktop.
//
// Windows are records in one handle table shared by every back end; the installed window driver
// (platform/win32/WindowDriver.h) gives them a real form (an SDL window) or none (headless). Handles are
// never reused, so a destroyed or invented handle fails every call. The layer draws no frames of its
// own (the host's window manager does), so AdjustWindowRectEx leaves a rectangle as it is and a window's
// rectangle is its client area placed on the screen.
//
// Threads: windows are made, changed and destroyed on the main thread; PostMessageA (WinMessages.h) may
// be called from any thread.

#include "platform/win32/WinMessages.h"
#include "platform/win32/WinTypes.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using ATOM = WORD;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Extended window styles.
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// SetWindowPos.
inline const HWND HWND_TOP = reinterpret_cast<HWND>(0);
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// SetWindowLongA / GetWindowLongA indices.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int GRAY_BRUSH = 2;
constexpr int BLACK_BRUSH = 4;

// ChangeDisplaySettingsA results. The mode record itself belongs to the display code; null restores the
// desktop's mode, which is all the window needs.
struct DEVMODEA;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;

// Resource names: a small integer id carried in a string pointer.
inline bool IS_INTRESOURCE(const void* name) {
  return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}

// The process's own module (lpModuleName must be null); never null.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

// Registers a window class by name (case-insensitive); 0 when the name is taken, the name or procedure is
// missing, or the system refuses.
ATOM RegisterClassA(const WNDCLASSA* wndClass);
// Fails while a window of the class exists.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Sends WM_CREATE to the class's procedure before it returns; null when the class is unknown, the
// parent is not a window, WS_CHILD is asked without a parent, or the system refuses the window.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Destroys the window and its children (WM_DESTROY to each); messages still queued for them are dropped.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HWND GetParent(HWND window);

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
LONG SetWindowLongA(HWND window, int index, LONG value);
LONG GetWindowLongA(HWND window, int index);
BOOL ShowWindow(HWND window, int command);
BOOL IsIconic(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
// Copies the title, null-terminated; returns its length.
int GetWindowTextA(HWND window, LPSTR text, int maxCount);

// Focus: the window that receives the keyboard. SetFocus returns the previously focused window.
BOOL SetForegroundWindow(HWND window);
HWND SetFocus(HWND window);
HWND GetFocus();

// The desktop is a window of its own: its rectangle is the screen.
HWND GetDesktopWindow();
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL ScreenToClient(HWND window, LPPOINT point);
BOOL ClientToScreen(HWND window, LPPOINT point);

// One device context per window; a second release of it fails.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

HGDIOBJ GetStockObject(int object);

// Only null (back to the desktop's display mode) is handled.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
