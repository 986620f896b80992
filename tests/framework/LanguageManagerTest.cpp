// The language choice from the registry value and the font folders, and the locale it leaves.
#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/MessageManager.h"
#include "engine/files/FileManager.h"
#include "framework/LanguageManager.h"
#include "tests/support/TempFolder.h"

namespace GameFramework {
namespace {

using namespace CorvantisEngine;

const char* const kKey = "SOFTWARE\\Pellucan Games\\Brindlewick";

// Points both registry roots at files of a temporary folder and keeps the process locale.
class LanguageManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    savedLocale_ = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"}) {
      const char* value = std::getenv(name);
      savedEnv_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("XDG_CONFIG_HOME", folder_.Host("user").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", folder_.Host("machine").c_str(), 1);
    log_ = std::make_unique<MessageManager>("Test", 0, 0, "", "test");
    files_ = std::make_unique<FileManager>(log_.get(), folder_.Host("game").string(), "");
  }
  void TearDown() override {
    std::setlocale(LC_ALL, savedLocale_.c_str());
    for (const auto& [name, value] : savedEnv_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  void SetRegistry(const char* root, const std::string& language) {
    folder_.Write(std::string(root) + "/corvantis/registry.ini",
                  "[" + std::string(kKey) + "]\nLanguage=" + language + "\n");
  }
  void MakeFontFolder(const std::string& code) {
    folder_.Write("game/data/ui/fonts/" + code + "/fonts.txt", "");
  }

  testsupport::TempFolder folder_;
  std::unique_ptr<MessageManager> log_;
  std::unique_ptr<FileManager> files_;
  std::string savedLocale_;
  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

TEST_F(LanguageManagerTest, ChoiceFromRegistryAndFontFolders) {
  struct Row {
    const char* why;
    const char* machine;  // registry value per root; null: no value
    const char* user;
    std::vector<std::string> folders;
    const char* expected;
  } rows[] = {
      {"the registry's language with its folder", "fr", nullptr, {"fr", "en"}, "fr"},
      {"a registry language without its folder gives the first folder in table order",
       "fr",
       nullptr,
       {"ge", "ru"},
       "ru"},
      {"no folder at all gives English", "ru", nullptr, {}, "en"},
      {"no registry value: the first folder in table order", nullptr, nullptr, {"sp", "it"}, "it"},
      {"codes compare in lower case", "RU", nullptr, {"ru", "en"}, "ru"},
      {"a code outside the table with a folder gives English", "xx", nullptr, {"xx", "ru"}, "en"},
      {"the per-user value when the machine has none", nullptr, "ge", {"ge", "en"}, "ge"},
      {"the machine-wide value first", "it", "ge", {"it", "ge"}, "it"},
  };
  for (const Row& row : rows) {
    std::filesystem::remove_all(folder_.Host("machine"));
    std::filesystem::remove_all(folder_.Host("user"));
    std::filesystem::remove_all(folder_.Host("game"));
    std::filesystem::create_directories(folder_.Host("game"));
    if (row.machine != nullptr) {
      SetRegistry("machine", row.machine);
    }
    if (row.user != nullptr) {
      SetRegistry("user", row.user);
    }
    for (const std::string& code : row.folders) {
      MakeFontFolder(code);
    }
    LanguageManager manager(files_.get(), kKey);
    ASSERT_NE(manager.GetCurrentLanguage(), nullptr) << row.why;
    EXPECT_EQ(manager.GetCurrentLanguage()->code, row.expected) << row.why;
  }
}

TEST_F(LanguageManagerTest, TableAndLookUp) {
  LanguageManager manager(files_.get(), kKey);
  std::vector<std::string> codes;
  for (const auto& language : manager.GetLanguages()) {
    codes.push_back(language->code);
  }
  EXPECT_EQ(codes, (std::vector<std::string>{"en", "ru", "ge", "fr", "it", "sp"}));
  ASSERT_NE(manager.FindLanguage("FR"), nullptr);
  EXPECT_EQ(manager.FindLanguage("FR")->languageId, 0x40Cu);
  EXPECT_EQ(manager.FindLanguage("sp")->name, "spanish");
  EXPECT_EQ(manager.FindLanguage("de"), nullptr);
  EXPECT_EQ(LanguageManager::GetLocaleName("ge"), "de_DE.UTF-8");
}

TEST_F(LanguageManagerTest, LocaleFollowsTheLanguageButNumbersStayC) {
  SetRegistry("machine", "ru");
  MakeFontFolder("ru");
  LanguageManager manager(files_.get(), kKey);
  ASSERT_EQ(manager.GetCurrentLanguage()->code, "ru");

  // The language's own locale where the system has it, else C.UTF-8.
  locale_t probe = ::newlocale(LC_CTYPE_MASK, "ru_RU.UTF-8", static_cast<locale_t>(0));
  const std::string expected = probe != static_cast<locale_t>(0) ? "ru_RU.UTF-8" : "C.UTF-8";
  if (probe != static_cast<locale_t>(0)) {
    ::freelocale(probe);
  }
  EXPECT_EQ(std::setlocale(LC_CTYPE, nullptr), expected);
  EXPECT_EQ(std::setlocale(LC_COLLATE, nullptr), expected);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  EXPECT_FLOAT_EQ(static_cast<float>(std::atof("0.285")), 0.285f);
  EXPECT_EQ(MB_CUR_MAX, 6u) << "narrow text is UTF-8";
}

}  // namespace
}  // namespace GameFramework
