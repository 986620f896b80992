#pragma once
// Win32-shaped cursors and icons, and the mouse cursor's position and visibility.
//
// LoadCursorA and LoadIconA with a null instance give the system's shapes (IDC_ARROW ...); with the
// program's instance they look a resource id up in the program's own small image table (icon 101,
// cursors 1000, 107 and 106) and fall back to the arrow (the application icon) for any other id.
// Cursor and icon handles are shared and need no release. Positions are in screen pixels.
// Main thread only.

#include "platform/win32/WinMessages.h"
#include "platform/win32/WinTypes.h"

// System cursor and icon names (integer resources).
inline LPCSTR IDC_ARROW = reinterpret_cast<LPCSTR>(std::uintptr_t{32512});
inline LPCSTR IDC_IBEAM = reinterpret_cast<LPCSTR>(std::uintptr_t{32513});
inline LPCSTR IDC_WAIT = reinterpret_cast<LPCSTR>(std::uintptr_t{32514});
inline LPCSTR IDC_CROSS = reinterpret_cast<LPCSTR>(std::uintptr_t{32515});
inline LPCSTR IDC_SIZEALL = reinterpret_cast<LPCSTR>(std::uintptr_t{32646});
inline LPCSTR IDC_NO = reinterpret_cast<LPCSTR>(std::uintptr_t{32648});
inline LPCSTR IDC_HAND = reinterpret_cast<LPCSTR>(std::uintptr_t{32649});
inline LPCSTR IDI_APPLICATION = reinterpret_cast<LPCSTR>(std::uintptr_t{32512});

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// Shows the cursor over the client areas and returns the one shown before (null the first time).
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The display counter: TRUE counts up, FALSE down; the cursor is visible while the count is 0 or more.
// Returns the new count.
int ShowCursor(BOOL show);
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);
