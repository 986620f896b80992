#include "engine/core/Registry.h"

#include <vector>

#include "platform/win32/WinRegistry.h"

namespace CorvantisEngine {

HKEY RootKeyFromIndex(std::int32_t index) {
  switch (index) {
    case 0:
      return HKEY_CLASSES_ROOT;
    case 1:
      return HKEY_CURRENT_CONFIG;
    case 2:
      return HKEY_CURRENT_USER;
    case 3:
      return HKEY_LOCAL_MACHINE;
    case 4:
      return HKEY_USERS;
    default:
      return HKEY_CURRENT_USER;
  }
}

bool ReadRegistryString(std::int32_t rootIndex, const std::string& keyPath, const std::string& valueName,
                        std::string& text) {
  HKEY key = nullptr;
  if (RegOpenKeyA(RootKeyFromIndex(rootIndex), keyPath.c_str(), &key) != ERROR_SUCCESS)
    return false;
  std::vector<BYTE> buffer(4096);
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(buffer.size());
  bool found =
      RegQueryValueExA(key, valueName.c_str(), nullptr, &type, buffer.data(), &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  RegCloseKey(key);
  if (!found)
    return false;
  // Up to the terminator, never past what was read (a value stored without one ends at its size).
  std::size_t length = 0;
  while (length < size && buffer[length] != 0)
    ++length;
  text.assign(reinterpret_cast<const char*>(buffer.data()), length);
  return true;
}

bool ReadRegistryStringAnyRoot(const std::string& keyPath, const std::string& valueName, std::string& text) {
  return ReadRegistryString(3, keyPath, valueName, text) || ReadRegistryString(2, keyPath, valueName, text);
}

}  // namespace CorvantisEngine
