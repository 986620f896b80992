#pragma once
// Win32-shaped registry reads over two small text files:
//   HKEY_LOCAL_MACHINE  <first folder of XDG_CONFIG_DIRS, default /etc/xdg>/corvantis/registry.ini
//   HKEY_CURRENT_USER   <XDG_CONFIG_HOME, default ~/.config>/corvantis/registry.ini
// Either may be absent (its keys then do not exist); the other roots hold no keys. A file holds sections
// named by key path and values under them, one per line:
//   [SOFTWARE\Pellucan Games\Brindlewick]
//   InstallPath=/opt/brindlewick        a string (REG_SZ)
//   Players=dword:0000000a              a 32-bit number (REG_DWORD), hexadecimal
//   ; a comment
// Key paths and value names compare without regard to case; "/" and "\" both separate keys. A key exists
// when a section names it or a key below it. The file is read when the key is opened. Any thread.

#include <string>

#include "platform/win32/WinTypes.h"

using PHKEY = HKEY*;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000u});
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001u});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003u});
inline const HKEY HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t{0x80000005u});

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

// Opens a key below a root (or below an open key); an empty or null path opens the root itself.
LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
// A null or empty name reads the key's default value ("@=" in the file). With data null only the type
// and size are answered; a buffer too small gives ERROR_MORE_DATA and the size needed. Strings are
// stored with their terminator.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);
LONG RegCloseKey(HKEY key);

namespace platform {

// The two files as this process finds them now (for messages and tests).
std::string MachineRegistryPath();
std::string UserRegistryPath();

}  // namespace platform
