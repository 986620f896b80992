#include "engine/gui/GUITextManager.h"

#include "engine/core/StringUtils.h"

namespace CorvantisEngine {

GUITextManager::GUITextManager(MessageManager* log_, FileManager* fileManager_)
    : log(log_), fileManager(fileManager_) {}

GUITextManager::~GUITextManager() = default;

std::wstring GUITextManager::GetText(const std::string& key, std::int32_t index) const {
  std::string k = StringToUpperCopy(key);
  if (index != -1) {
    k += std::to_string(index);
  }
  const auto found = texts.find(k);
  if (found == texts.end()) {
    return L"UNKNOWN";
  }
  std::wstring text = found->second;
  if (text.find(L'%') == std::wstring::npos) {
    return text;
  }
  for (const auto& [name, value] : variables) {
    if (name.empty()) {
      continue;
    }
    std::size_t at = text.find(name);
    while (at != std::wstring::npos) {
      text.replace(at, name.size(), value);
      at = text.find(name, at + value.size());
    }
  }
  return text;
}

}  // namespace CorvantisEngine
