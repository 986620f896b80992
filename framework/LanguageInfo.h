#pragma once
// LanguageInfo: one interface language the game can run in: its two-letter code (also the name of its
// font folder under "data\ui\fonts"), its Windows language identifier and its C runtime locale name.

#include <cstdint>
#include <string>

namespace GameFramework {

struct LanguageInfo {
  std::string code;
  std::uint32_t languageId = 0;
  std::string name;
};

}  // namespace GameFramework
