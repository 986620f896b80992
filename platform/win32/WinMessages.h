#pragma once
// Win32-shaped window messages: the thread's message queue, dispatch to window procedures, the default
// handling of system commands, and the keyboard's virtual-key codes.
//
// The queue is fed from two sides: PostMessageA (any thread) and the window driver, which turns the
// system's events into messages each time PeekMessageA looks at the queue (close -> WM_CLOSE, keys ->
// WM_KEYDOWN / WM_SYSKEYDOWN and WM_CHAR carrying UTF-16 units, minimise and restore -> WM_SYSCOMMAND,
// focus -> WM_SETFOCUS / WM_KILLFOCUS). Characters arrive as their own messages, so TranslateMessage has
// nothing to add. Dispatch runs on the main thread.

#include "platform/win32/WinTypes.h"

using SHORT = std::int16_t;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_USER = 0x0400;

// WM_ENDSESSION's lParam when the session ends whether the program agrees or not.
constexpr LPARAM ENDSESSION_CRITICAL = 0x40000000;

// WM_SYSCOMMAND commands; the low four bits are the system's own, so match on wParam & 0xFFF0.
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_RESTORE = 0xF120;
constexpr WPARAM SC_TASKLIST = 0xF130;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_HOTKEY = 0xF150;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

// Key messages' lParam: bit 29 is set while Alt is held, bit 30 when the key was already down, bit 31 on
// release; bits 16-23 carry the key's scan code.
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM{1} << 29;

// PeekMessageA.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Virtual-key codes.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their ASCII codes.
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F4 = 0x73;
constexpr int VK_F12 = 0x7B;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;       // ;:
constexpr int VK_OEM_PLUS = 0xBB;    // =+
constexpr int VK_OEM_COMMA = 0xBC;   // ,<
constexpr int VK_OEM_MINUS = 0xBD;   // -_
constexpr int VK_OEM_PERIOD = 0xBE;  // .>
constexpr int VK_OEM_2 = 0xBF;       // /?
constexpr int VK_OEM_3 = 0xC0;       // `~
constexpr int VK_OEM_4 = 0xDB;       // [{
constexpr int VK_OEM_5 = 0xDC;       // backslash |
constexpr int VK_OEM_6 = 0xDD;       // ]}
constexpr int VK_OEM_7 = 0xDE;       // '"

// Reads the system's events into the queue, then takes the first message matching the filter (a null
// window matches every window; min = max = 0 matches every message). FALSE when there is none.
BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Always FALSE: characters are queued by the driver, not made from key messages.
BOOL TranslateMessage(const MSG* msg);
// Calls the procedure of the message's window; 0 for a message without a (live) window.
LRESULT DispatchMessageA(const MSG* msg);
// Queues a message; a null window posts a thread message (WM_QUIT ends up here). FALSE for a window that
// does not exist.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure at once.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// The default handling: WM_CLOSE destroys the window; WM_SYSCOMMAND minimises, restores or closes
// (SC_CLOSE posts WM_CLOSE); Alt+F4 (WM_SYSKEYDOWN) issues SC_CLOSE; everything else answers 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 0x8000 set while the key is down (whatever window has the focus). VK_SHIFT, VK_CONTROL and VK_MENU
// read either side's key; VK_LBUTTON, VK_RBUTTON and VK_MBUTTON the mouse buttons.
SHORT GetAsyncKeyState(int virtualKey);
