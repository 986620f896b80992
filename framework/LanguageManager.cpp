#include "framework/LanguageManager.h"

#include <clocale>

#include "engine/core/Registry.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"

namespace GameFramework {

using namespace CorvantisEngine;

namespace {

struct LanguageRow {
  const char* code;
  std::uint32_t languageId;
  const char* name;
  const char* locale;  // the host's locale of the language
};

constexpr LanguageRow kLanguages[] = {
    {"en", 0x409, "english", "en_US.UTF-8"}, {"ru", 0x419, "russian", "ru_RU.UTF-8"},
    {"ge", 0x407, "german", "de_DE.UTF-8"},  {"fr", 0x40C, "french", "fr_FR.UTF-8"},
    {"it", 0x410, "italian", "it_IT.UTF-8"}, {"sp", 0x40A, "spanish", "es_ES.UTF-8"},
};

const char* const kFontFolder = "data\\ui\\fonts\\";
const char* const kFallbackLocale = "C.UTF-8";

}  // namespace

LanguageManager::LanguageManager(FileManager* fileManager, const std::string& registryKey)
    : fileManager_(fileManager) {
  for (const LanguageRow& row : kLanguages) {
    languages_.push_back(std::make_unique<LanguageInfo>(LanguageInfo{row.code, row.languageId, row.name}));
  }
  ChooseLanguage(registryKey);
  ApplyLocale();
}

LanguageManager::~LanguageManager() = default;

const LanguageInfo* LanguageManager::FindLanguage(const std::string& code) const {
  const std::string wanted = StringToLowerCopy(code);
  for (const std::unique_ptr<LanguageInfo>& language : languages_) {
    if (StringToLowerCopy(language->code) == wanted) {
      return language.get();
    }
  }
  return nullptr;
}

std::string LanguageManager::GetLocaleName(const std::string& code) {
  const std::string wanted = StringToLowerCopy(code);
  for (const LanguageRow& row : kLanguages) {
    if (wanted == row.code) {
      return row.locale;
    }
  }
  return kFallbackLocale;
}

void LanguageManager::ChooseLanguage(const std::string& registryKey) {
  std::string code;
  if (!ReadRegistryStringAnyRoot(registryKey, "Language", code) ||
      !fileManager_->FolderExists(kFontFolder + code)) {
    code.clear();
  }
  if (code.empty()) {
    for (const std::unique_ptr<LanguageInfo>& language : languages_) {
      if (fileManager_->FolderExists(kFontFolder + language->code)) {
        code = language->code;
        break;
      }
    }
  }
  if (code.empty()) {
    code = "en";
  }
  current_ = FindLanguage(code);
  if (current_ == nullptr) {
    current_ = FindLanguage("en");
  }
}

void LanguageManager::ApplyLocale() const {
  std::setlocale(LC_ALL, "C");
  const std::string locale = GetLocaleName(current_->code);
  for (const int category : {LC_CTYPE, LC_COLLATE}) {
    if (std::setlocale(category, locale.c_str()) == nullptr) {
      std::setlocale(category, kFallbackLocale);
    }
  }
}

}  // namespace GameFramework
