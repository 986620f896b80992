#pragma once
// Process-level Win32 functions: the running executable's file name, the process identifier and the COM
// bracket.

#include <string>

#include "platform/win32/WinTypes.h"

// Writes the full path of the running executable (hModule must be null: the process's own module) into
// lpFilename, null-terminated. The path is the host's ("/opt/game/brindlewick"). Returns the number of
// characters written without the terminator; when the buffer is too small the path is truncated and
// nSize is returned; 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// The running process's identifier (no two running processes share it).
DWORD GetCurrentProcessId();

// COM needs no set-up here; the bracket is counted so that unbalanced calls show in tests.
HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();

namespace platform {

// The executable's full path as a std::string (empty when it cannot be found).
std::string ExecutablePath();

// Number of CoInitialize calls not yet matched by CoUninitialize.
int ComInitialisationDepth();

}  // namespace platform
