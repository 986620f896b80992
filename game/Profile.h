#pragma once
// The puzzle game's profile and profile manager. The profile is the framework's plus the game's own
// section after the volumes: two option bytes and the relax offer, the four selections (theme, picture,
// puzzle, puzzle size), the unlocked themes, (theme, picture) pairs and puzzles, and the money. The
// stars earned in the level under way are kept beside it and never saved.
//
// Files: ".prf" with magic "PZPRF" version 105, the list "profiles.pmf" with "QLPMF" version 100.
// A list count larger than the bytes left is a FileError: the manager then leaves that profile out. An
// odd count of picture values keeps the whole pairs and drops the last value, with a line in the log.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"

namespace Puzzle {

class Profile : public GameFramework::ProfileBase {
 public:
  static constexpr const char* kMagic = "PZPRF";
  static constexpr std::uint32_t kVersion = 105;
  static constexpr std::uint32_t kStartMoney = 1500;

  struct Existing {};
  struct New {};

  // Reads "profiles\<fileName>" of the save folder; FileError passes on.
  Profile(CorvantisEngine::Engine* engine, const std::string& fileName, const std::string& saveFolder,
          Existing);
  // A new profile under that name, saved at once.
  Profile(CorvantisEngine::Engine* engine, const std::wstring& name, const std::string& saveFolder, New);
  ~Profile() override;

  void Load(const std::string& fileName) override;
  void Create(const std::wstring& name) override;
  void Write(CorvantisEngine::FileBinary& stream) override;
  void Read(CorvantisEngine::FileBinary& stream) override;

  std::uint8_t optionA = 1;
  std::uint8_t optionB = 1;
  std::uint8_t relaxOffer = 1;
  std::uint32_t selectedTheme = 0;
  std::uint32_t selectedPicture = 0;
  std::uint32_t selectedPuzzle = 0;
  std::uint32_t selectedPuzzleSize = 0;
  std::vector<std::uint32_t> unlockedThemes;
  // Flat (theme, picture) pairs.
  std::vector<std::uint32_t> unlockedPictures;
  std::vector<std::uint32_t> unlockedPuzzles;
  std::uint32_t money = 0;
  // Stars earned in the level under way; not saved.
  std::uint32_t levelEarnings = 0;
};

class ProfileManager : public GameFramework::ProfileManagerBase {
 public:
  static constexpr const char* kMagic = "QLPMF";
  static constexpr std::uint32_t kVersion = 100;

  // Reads every profile and the list at once.
  ProfileManager(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                 const std::string& saveFolder, const GameFramework::LevelManagerBase* levels = nullptr);
  ~ProfileManager() override;

  Profile* GetCurrent() const { return static_cast<Profile*>(GetCurrentProfile()); }

 protected:
  std::unique_ptr<GameFramework::ProfileBase> OpenProfile(const std::string& fileName) override;
  std::unique_ptr<GameFramework::ProfileBase> CreateProfile(const std::wstring& name) override;
};

}  // namespace Puzzle
