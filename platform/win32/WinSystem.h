#pragma once
// Process-level Win32 functions: the running executable's file name, the process identifier, the
// heap's compaction and the COM bracket.

#include <string>

#include "platform/win32/WinTypes.h"

// Writes the full path of the running executable (hModule must be null: the process's own module) into
// lpFilename, null-terminated. The path is the host's ("/opt/game/brindlewick"). Returns the number of
// characters written without the terminator; when the buffer is too small the path is truncated and
// nSize is returned; 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// The running process's identifier (no two running processes share it).
DWORD GetCurrentProcessId();

// The process's heap (the C library's), for HeapCompact.
HANDLE GetProcessHeap();
// Gives the memory that the heap holds free, in every thread's part of it, back to the system, so that
// what was freed after a load leaves the process's resident size. Flags are ignored. Returns 1 when
// memory was given back, else 0 (not the size of the largest free block).
SIZE_T HeapCompact(HANDLE hHeap, DWORD dwFlags);

// COM needs no set-up here; the bracket is counted so that unbalanced calls show in tests.
HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();

namespace platform {

// The executable's full path as a std::string (empty when it cannot be found).
std::string ExecutablePath();

// Number of CoInitialize calls not yet matched by CoUninitialize.
int ComInitialisationDepth();

}  // namespace platform
