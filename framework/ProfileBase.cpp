#include "framework/ProfileBase.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "framework/SavedFile.h"

namespace GameFramework {

namespace {

// A name of fewer letters than this gets '_' and random digits up to kSuffixedLength characters.
constexpr std::size_t kPlainNameLetters = 15;
constexpr std::size_t kSuffixedLength = 16;
// Digits after '_' when a name of kPlainNameLetters letters or more needs telling apart.
constexpr std::size_t kLongNameDigits = 8;
// Letters kept of a long name, so that the file name stays far within what a file system accepts.
constexpr std::size_t kMaxNameLetters = 64;
constexpr std::uint32_t kFileNameAttempts = 1024;
constexpr std::uint32_t kResultBytes = 16;

char RandomDigit() {
  return static_cast<char>('0' + CorvantisEngine::RandomInt(0, 9));
}

// A plain file name of the profiles folder: something to delete there, never the folder itself or a
// path elsewhere.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?") == std::string::npos;
}

}  // namespace

ProfileBase::ProfileBase(CorvantisEngine::Engine* engine, const std::string& saveFolder,
                         const std::string& magic, std::uint32_t version)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      files_(engine->GetFileManager()),
      file_(engine, magic, version),
      saveFolder_(saveFolder),
      settings_(std::make_unique<ProfileSettings>()) {}

ProfileBase::~ProfileBase() = default;

void ProfileBase::ResetProgress() {
  gameCounter_ = kNewGameCounter;
  score_ = 0;
}

void ProfileBase::Load(const std::string& fileName) {
  SetFileName(fileName);
  ReadSavedFile(file_, GetProfilePath(fileName),
                [this](CorvantisEngine::FileBinary& stream) { Read(stream); });
}

void ProfileBase::Create(const std::wstring& name) {
  name_ = CleanName(name);
  settings_->soundVolume = 1.0f;
  settings_->musicVolume = 1.0f;
  gameMode_ = 0;
  gameInProgress_ = 0;
  currentStage_ = currentLevel_ = 0;
  reachedStage_ = reachedLevel_ = 0;
  gameCompleted_ = 0;
  results_.clear();
  ResetProgress();
  SetFileName(MakeFileName(name_));
  Save();
}

void ProfileBase::Write(CorvantisEngine::FileBinary& stream) {
  stream.WriteWString(name_);
  stream.WriteUInt(gameMode_);
  stream.WriteUInt(gameCounter_);
  stream.WriteUInt(score_);
  stream.WriteUInt(currentStage_);
  stream.WriteUInt(currentLevel_);
  stream.WriteUInt(reachedStage_);
  stream.WriteUInt(reachedLevel_);
  stream.WriteByte(gameCompleted_);
  stream.WriteUInt(static_cast<std::uint32_t>(results_.size()));
  for (const auto& result : results_) {
    stream.WriteUInt(result->gameMode);
    stream.WriteUInt(result->stage);
    stream.WriteUInt(result->level);
    stream.WriteFloat(result->time);
  }
  stream.WriteByte(gameInProgress_);
  WriteSettings(stream);
}

void ProfileBase::Read(CorvantisEngine::FileBinary& stream) {
  stream.ReadWString(name_);
  stream.ReadUInt(gameMode_);
  stream.ReadUInt(gameCounter_);
  stream.ReadUInt(score_);
  stream.ReadUInt(currentStage_);
  stream.ReadUInt(currentLevel_);
  stream.ReadUInt(reachedStage_);
  stream.ReadUInt(reachedLevel_);
  stream.ReadByte(gameCompleted_);
  const std::uint32_t count = ReadCount(stream, kResultBytes, "best times");
  results_.clear();
  results_.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    auto result = std::make_unique<GameResult>();
    stream.ReadUInt(result->gameMode);
    stream.ReadUInt(result->stage);
    stream.ReadUInt(result->level);
    stream.ReadFloat(result->time);
    results_.push_back(std::move(result));
  }
  stream.ReadByte(gameInProgress_);
  ReadSettings(stream);
  KeepReadValuesInRange(stream.GetName());
}

void ProfileBase::KeepReadValuesInRange(const std::string& path) {
  // One changed byte must not mute the game or switch it to a mode that does not exist.
  const auto volume = [&](float& value, const char* what) {
    if (value >= 0.0f && value <= 1.0f)
      return;
    const float kept = std::isnan(value) ? 1.0f : std::clamp(value, 0.0f, 1.0f);
    log_->Warning("\"" + path + "\" holds the " + what + " volume " +
                  CorvantisEngine::FloatToString(value, 2) + "; " + CorvantisEngine::FloatToString(kept, 2) +
                  " is used");
    value = kept;
  };
  volume(settings_->soundVolume, "sound");
  volume(settings_->musicVolume, "music");
  if (gameMode_ > kLastGameMode) {
    log_->Warning("\"" + path + "\" holds the game mode " + std::to_string(gameMode_) + "; 0 is used");
    gameMode_ = 0;
  }
  gameCompleted_ = gameCompleted_ != 0 ? 1 : 0;
  gameInProgress_ = gameInProgress_ != 0 ? 1 : 0;
}

void ProfileBase::WriteSettings(CorvantisEngine::FileBinary& stream) {
  stream.WriteFloat(settings_->musicVolume);
  stream.WriteFloat(settings_->soundVolume);
}

void ProfileBase::ReadSettings(CorvantisEngine::FileBinary& stream) {
  stream.ReadFloat(settings_->musicVolume);
  stream.ReadFloat(settings_->soundVolume);
}

bool ProfileBase::Save() {
  return WriteSavedFile(file_, log_, GetProfilePath(fileName_),
                        [this](CorvantisEngine::FileBinary& stream) { Write(stream); });
}

void ProfileBase::Rename(const std::wstring& name) {
  name_ = CleanName(name);
  Save();
}

std::string ProfileBase::GetProfilePath(const std::string& fileName) const {
  return saveFolder_ + "\\" + kProfilesFolder + "\\" + fileName;
}

void ProfileBase::DeleteFiles() {
  if (!IsPlainFileName(fileName_)) {
    log_->Warning("Profile file \"" + fileName_ + "\" not deleted");
    return;
  }
  const std::string path = GetProfilePath(fileName_);
  if (CorvantisEngine::FileManager::IsFileOnDisk(path))
    files_->DeleteFolder(path);
  // A file named just ".prf" has no data folder: its path would be the profiles folder itself.
  const std::string stem = dataPath_.substr(dataPath_.rfind('\\') + 1);
  if (IsPlainFileName(stem) && CorvantisEngine::FileManager::IsFileOnDisk(dataPath_))
    files_->DeleteFolder(dataPath_);
}

void ProfileBase::AddGameResult(std::unique_ptr<GameResult> result) {
  bool found = false;
  for (const auto& held : results_) {
    if (held->gameMode == result->gameMode && held->stage == result->stage && held->level == result->level) {
      held->time = std::min(held->time, result->time);
      found = true;
      break;
    }
  }
  if (!found)
    results_.push_back(std::move(result));
  Save();
}

void ProfileBase::UpdateReachedLevel(const LevelPosition& position, bool completed) {
  const LevelPosition reached = GetReachedLevel();
  const bool later =
      position.stage > reached.stage || (position.stage == reached.stage && position.level > reached.level);
  if (!later && !(position == reached && completed))
    return;
  reachedStage_ = position.stage;
  reachedLevel_ = position.level;
  gameCompleted_ = completed ? 1 : 0;
  Save();
}

bool ProfileBase::ClampLevelPositions(const LevelManagerBase& levels) {
  const LevelPosition current = levels.ClampPosition(GetCurrentLevel());
  const LevelPosition reached = levels.ClampPosition(GetReachedLevel());
  const bool changed = !(current == GetCurrentLevel()) || !(reached == GetReachedLevel());
  SetCurrentLevel(current);
  reachedStage_ = reached.stage;
  reachedLevel_ = reached.level;
  return changed;
}

const GameResult* ProfileBase::FindResult(std::uint32_t gameMode, const LevelPosition& position) const {
  for (const auto& result : results_) {
    if (result->gameMode == gameMode && result->stage == position.stage && result->level == position.level)
      return result.get();
  }
  return nullptr;
}

std::wstring ProfileBase::CleanName(const std::wstring& name) {
  return LimitSavedName(CorvantisEngine::WStringTrim(name));
}

// The letters 'a' to 'z' of the lower-cased name; a short one gets '_' and random digits up to 16
// characters, so "Anna" becomes "anna_" and 11 digits and a name without Latin letters '_' and 15
// digits. A name of 15 letters or more is used as it is, and only when that file exists gets '_' and
// digits too. The first name whose file does not exist is taken (after 1024 tries, the last one).
std::string ProfileBase::MakeFileName(const std::wstring& name) const {
  std::string letters;
  for (char c : CorvantisEngine::StringToLowerCopy(CorvantisEngine::WStringToStringCopy(name))) {
    if (c >= 'a' && c <= 'z' && letters.size() < kMaxNameLetters)
      letters.push_back(c);
  }
  std::string candidate;
  for (std::uint32_t attempt = 0; attempt < kFileNameAttempts; ++attempt) {
    candidate = letters;
    if (letters.size() < kPlainNameLetters) {
      candidate.push_back('_');
      while (candidate.size() < kSuffixedLength)
        candidate.push_back(RandomDigit());
    } else if (attempt > 0) {
      candidate.push_back('_');
      for (std::size_t i = 0; i < kLongNameDigits; ++i)
        candidate.push_back(RandomDigit());
    }
    candidate += kExtension;
    if (!files_->FileExists(GetProfilePath(candidate)))
      break;
  }
  return candidate;
}

void ProfileBase::SetFileName(const std::string& fileName) {
  fileName_ = fileName;
  std::string stem = fileName;
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos)
    stem.resize(dot);
  dataPath_ = GetProfilePath(stem);
}

}  // namespace GameFramework
