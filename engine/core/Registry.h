#pragma once
// The engine's registry reads, which the game framework uses for its installation values (install path,
// version, language). Results are reported by the return value only; nothing is logged or thrown.
// Any thread.

#include <cstdint>
#include <string>

#include "platform/win32/WinTypes.h"

namespace CorvantisEngine {

// 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_CONFIG, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS;
// any other index HKEY_CURRENT_USER.
HKEY RootKeyFromIndex(std::int32_t index);

// A string value (REG_SZ) of a key; text is untouched when the key, the value or the type is wrong.
bool ReadRegistryString(std::int32_t rootIndex, const std::string& keyPath, const std::string& valueName,
                        std::string& text);

// The machine-wide value when there is one, else the per-user value.
bool ReadRegistryStringAnyRoot(const std::string& keyPath, const std::string& valueName, std::string& text);

}  // namespace CorvantisEngine
