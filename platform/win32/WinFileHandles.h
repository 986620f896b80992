#pragma once
// Win32-shaped file handles for reading: CreateFileA (opening an existing file for reading),
// ReadFile (with an OVERLAPPED offset it reads at that offset and touches no shared position, so
// several threads may read one handle at once), GetFileSizeEx, and CloseHandle (declared with the
// threads; it closes file handles too). Names go through `platform::win32::MapPath` as in WinFiles.h.
// Nothing throws; failures answer as Win32 does (INVALID_HANDLE_VALUE, FALSE).

#include "platform/win32/WinTypes.h"

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x00000001u;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002u;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080u;

struct OVERLAPPED {
  std::uintptr_t Internal;
  std::uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

// Two forms are carried out (the engine writes through streams); anything else fails. A folder never
// opens.
// - GENERIC_READ with OPEN_EXISTING: a file to read.
// - GENERIC_READ | GENERIC_WRITE with share mode 0 and OPEN_ALWAYS: a lock file, created when missing,
//   that no other handle opens the same way while this one is open (the host's flock, which the system
//   drops when the handle closes or the process ends, however it ends). Taken already, the call fails
//   and GetFileLastError answers ERROR_SHARING_VIOLATION.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD creation,
                   DWORD flags, HANDLE templateFile);
// Why this thread's last CreateFileA failed: ERROR_SHARING_VIOLATION, or any other value.
DWORD GetFileLastError();
// Reads up to `count` bytes; `*read` receives how many (0 at the end of the file). With `overlapped`
// the read starts at its Offset/OffsetHigh and the call returns when it is done.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);

namespace platform::win32 {

// Closes a file handle of this layer; false when the handle is not one (CloseHandle then tries the
// other kinds).
bool CloseFileHandle(HANDLE handle);

}  // namespace platform::win32
