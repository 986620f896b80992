#pragma once
// Win32-shaped message boxes. With a display the driver shows a modal box (SDL's); without one, and in
// headless runs, the caption and text go to standard error. Main thread only.

#include "platform/win32/WinTypes.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Returns the button chosen; IDOK for a box that could only be printed (IDNO / IDCANCEL when it asked a
// question: nobody answered).
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
