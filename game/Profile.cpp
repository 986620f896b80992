#include "game/Profile.h"

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "framework/SavedFile.h"

namespace Puzzle {

Profile::Profile(CorvantisEngine::Engine* engine, const std::string& fileName, const std::string& saveFolder,
                 Existing)
    : ProfileBase(engine, saveFolder, kMagic, kVersion) {
  Load(fileName);
}

Profile::Profile(CorvantisEngine::Engine* engine, const std::wstring& name, const std::string& saveFolder,
                 New)
    : ProfileBase(engine, saveFolder, kMagic, kVersion) {
  Create(name);
}

Profile::~Profile() = default;

void Profile::Load(const std::string& fileName) {
  ProfileBase::Load(fileName);
  levelEarnings = 0;
}

void Profile::Create(const std::wstring& name) {
  optionA = 1;
  optionB = 1;
  relaxOffer = 1;
  selectedTheme = 0;
  selectedPicture = 0;
  selectedPuzzle = 0;
  selectedPuzzleSize = 0;
  unlockedThemes.assign({0});
  unlockedPictures.assign({0, 0});
  unlockedPuzzles.assign({0});
  money = kStartMoney;
  levelEarnings = 0;
  ProfileBase::Create(name);
}

void Profile::Write(CorvantisEngine::FileBinary& stream) {
  ProfileBase::Write(stream);
  stream.WriteByte(optionA);
  stream.WriteByte(optionB);
  stream.WriteByte(relaxOffer);
  stream.WriteUInt(selectedTheme);
  stream.WriteUInt(selectedPicture);
  stream.WriteUInt(selectedPuzzle);
  stream.WriteUInt(selectedPuzzleSize);
  stream.WriteUIntVector(unlockedThemes);
  stream.WriteUIntVector(unlockedPictures);
  stream.WriteUIntVector(unlockedPuzzles);
  stream.WriteUInt(money);
}

void Profile::Read(CorvantisEngine::FileBinary& stream) {
  ProfileBase::Read(stream);
  stream.ReadByte(optionA);
  stream.ReadByte(optionB);
  stream.ReadByte(relaxOffer);
  stream.ReadUInt(selectedTheme);
  stream.ReadUInt(selectedPicture);
  stream.ReadUInt(selectedPuzzle);
  stream.ReadUInt(selectedPuzzleSize);
  // Each count is checked against the bytes left before anything is allocated.
  GameFramework::ReadUIntList(stream, unlockedThemes, "unlocked themes");
  GameFramework::ReadUIntList(stream, unlockedPictures, "unlocked pictures");
  if (unlockedPictures.size() % 2 != 0) {
    // The pairs before it are whole; the value without a partner names no picture.
    log_->Warning("\"" + stream.GetName() + "\" holds an odd count of unlocked pictures (" +
                  std::to_string(unlockedPictures.size()) + "); the last value is dropped");
    unlockedPictures.pop_back();
  }
  GameFramework::ReadUIntList(stream, unlockedPuzzles, "unlocked puzzles");
  stream.ReadUInt(money);
  levelEarnings = 0;
}

ProfileManager::ProfileManager(CorvantisEngine::Engine* engine, GameFramework::AudioManager* audioManager,
                               const std::string& saveFolder, const GameFramework::LevelManagerBase* levels)
    : ProfileManagerBase(engine, audioManager, saveFolder, kMagic, kVersion, levels) {
  LoadProfiles();
}

ProfileManager::~ProfileManager() = default;

std::unique_ptr<GameFramework::ProfileBase> ProfileManager::OpenProfile(const std::string& fileName) {
  return std::make_unique<Profile>(engine_, fileName, saveFolder_, Profile::Existing{});
}

std::unique_ptr<GameFramework::ProfileBase> ProfileManager::CreateProfile(const std::wstring& name) {
  return std::make_unique<Profile>(engine_, name, saveFolder_, Profile::New{});
}

}  // namespace Puzzle
