#pragma once
// Win32-shaped threads over std::thread: CreateThread, waiting on a thread handle, its exit code, and
// CloseHandle. A handle closed while its thread still runs lets the thread finish on its own; the handle
// is gone at once (a second CloseHandle fails). Any thread may call these.

#include "platform/win32/WinTypes.h"

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD STILL_ACTIVE = 0x00000103u;
constexpr DWORD CREATE_SUSPENDED = 0x00000004u;

// The security attributes and stack size are ignored; CREATE_SUSPENDED holds the thread until
// ResumeThread. Null when the system cannot start a thread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
DWORD ResumeThread(HANDLE thread);
// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT when the time (ms) ran out first, WAIT_FAILED for
// a handle that is not an open thread.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// STILL_ACTIVE while the thread runs, then the value its procedure returned.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Closes a thread handle, or a file handle of WinFileHandles.h.
BOOL CloseHandle(HANDLE handle);
DWORD GetCurrentThreadId();
