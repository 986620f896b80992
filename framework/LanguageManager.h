#pragma once
// LanguageManager: decides once, at start-up, which of the six interface languages the game runs in,
// and makes the C library's character classification and collation follow it.
//
// The choice: the "Language" value under the game's registry key when the folder
// "data\ui\fonts\<code>" exists (on disk or in a pack); else the first language of the table whose
// folder exists; else English. A registry code outside the table whose folder exists also gives
// English. Codes compare in lower case.
//
// The locale: LC_CTYPE and LC_COLLATE become the language's UTF-8 locale when the system has it, else
// C.UTF-8; everything else stays "C", so numbers keep the '.' decimal point. The keyboard layout is
// left alone: typed characters already arrive in the user's own layout.
//
// Main thread, once. Owns its table; the file manager is borrowed. Nothing fails: every lack falls
// back as above.

#include <memory>
#include <string>
#include <vector>

#include "framework/LanguageInfo.h"

namespace CorvantisEngine {
class FileManager;
}

namespace GameFramework {

class LanguageManager {
 public:
  // registryKey: the game's key, as "SOFTWARE\Pellucan Games\Brindlewick".
  LanguageManager(CorvantisEngine::FileManager* fileManager, const std::string& registryKey);
  virtual ~LanguageManager();

  LanguageManager(const LanguageManager&) = delete;
  LanguageManager& operator=(const LanguageManager&) = delete;

  const LanguageInfo* GetCurrentLanguage() const { return current_; }
  // The table entry whose code equals code, both lower-cased; null when there is none.
  const LanguageInfo* FindLanguage(const std::string& code) const;
  const std::vector<std::unique_ptr<LanguageInfo>>& GetLanguages() const { return languages_; }

  // The host locale tried for a language code ("ru" gives "ru_RU.UTF-8"); C.UTF-8 for other codes.
  static std::string GetLocaleName(const std::string& code);

 private:
  void ChooseLanguage(const std::string& registryKey);
  void ApplyLocale() const;

  CorvantisEngine::FileManager* fileManager_;
  std::vector<std::unique_ptr<LanguageInfo>> languages_;
  const LanguageInfo* current_ = nullptr;
};

}  // namespace GameFramework
