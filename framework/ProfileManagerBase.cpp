#include "framework/ProfileManagerBase.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "framework/AudioManager.h"
#include "framework/SaveProblems.h"
#include "framework/SavedFile.h"

namespace GameFramework {

namespace {

// stage, level, a name byte and its terminating unit, game mode, time.
constexpr std::uint32_t kSmallestRecordBytes = 4 + 4 + 1 + 2 + 4 + 4;

std::wstring Lower(const std::wstring& name) {
  return CorvantisEngine::WStringToLowerCopy(name);
}

}  // namespace

ProfileManagerBase::ProfileManagerBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                                       const std::string& saveFolder, const std::string& magic,
                                       std::uint32_t version, const LevelManagerBase* levels)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      files_(engine->GetFileManager()),
      audioManager_(audioManager),
      file_(engine, magic, version),
      saveFolder_(saveFolder),
      levels_(levels) {}

ProfileManagerBase::~ProfileManagerBase() = default;

std::string ProfileManagerBase::GetListPath() const {
  return saveFolder_ + "\\" + kListFileName;
}

void ProfileManagerBase::ApplyProfileVolumes() {
  if (current_ == nullptr || audioManager_ == nullptr)
    return;
  audioManager_->SetMusicVolume(current_->GetSettings().musicVolume);
  audioManager_->SetSoundVolume(current_->GetSettings().soundVolume);
}

void ProfileManagerBase::LoadProfiles() {
  const std::string profilesFolder = saveFolder_ + "\\" + ProfileBase::kProfilesFolder;
  std::vector<std::string> listed;
  // Saves cut off by a kill: the files they were to replace are whole.
  CorvantisEngine::FileManager::ListFilesOnDisk(profilesFolder, "*.prf.tmp", listed);
  for (const std::string& path : listed) {
    const std::string temporary = profilesFolder + "\\" + CorvantisEngine::FileManager::GetFileName(path);
    RemoveUnfinishedSave(files_, log_, temporary.substr(0, temporary.size() - 4));
  }
  RemoveUnfinishedSave(files_, log_, GetListPath());

  files_->ListFiles(profilesFolder, "*.prf", listed);
  for (const std::string& path : listed) {
    const std::string fileName = CorvantisEngine::FileManager::GetFileName(path);
    std::unique_ptr<ProfileBase> profile;
    try {
      profile = OpenProfile(fileName);
    } catch (const CorvantisEngine::Error& error) {
      // An unreadable profile is left out of the list and on the disk, and the player is told.
      const std::string file = profilesFolder + "\\" + fileName;
      log_->Warning("The player \"" + file +
                    "\" could not be read and is left as it is: " + error.GetMessage());
      unreadProfiles_.push_back(HostPath(file));
      SaveProblems::Get().AddUnreadFile(HostPath(file));
      continue;
    }
    if (profile == nullptr)
      continue;
    if (levels_ != nullptr)
      profile->ClampLevelPositions(*levels_);
    profiles_.push_back(std::move(profile));
  }
  SortProfiles();

  storedName_.clear();
  const SavedFileReading reading = TryReadSavedFile(
      file_, files_, GetListPath(), [this](CorvantisEngine::FileBinary& stream) { ReadData(stream); });
  if (reading.state != SavedFileState::kRead) {
    current_ = nullptr;
    records_.clear();
    storedName_.clear();
  }
  switch (reading.state) {
    case SavedFileState::kRead:
      break;
    case SavedFileState::kMissing:
      SaveList();
      break;
    case SavedFileState::kDamaged: {
      // Replaced once its bytes are safe beside it; without a copy it stays as it is.
      const std::string copy = KeepDamagedCopy(files_, GetListPath());
      if (copy.empty()) {
        keepListFile_ = true;
        log_->Error("\"" + GetListPath() + "\" is damaged (" + reading.reason +
                    ") and no copy of it could be made; it is left as it is and the list is not saved in "
                    "this session");
        SaveProblems::Get().AddUnreadFile(HostPath(GetListPath()));
        break;
      }
      log_->Warning("\"" + GetListPath() + "\" is damaged (" + reading.reason +
                    "); a new list replaces it, the old bytes are kept in \"" + copy + "\"");
      SaveList();
      break;
    }
    case SavedFileState::kUnopenable:
      // Another user's file, or one without read permission: it may be whole, so it stays as it is.
      keepListFile_ = true;
      log_->Error("\"" + GetListPath() + "\" cannot be read (" + reading.reason +
                  "); it is left as it is and the list is not saved in this session");
      SaveProblems::Get().AddUnreadFile(HostPath(GetListPath()));
      break;
  }
  if (current_ == nullptr && !profiles_.empty()) {
    // The list names a player whose file could not be read: keep that name for when the file is back.
    const bool currentUnread = !storedName_.empty() && !unreadProfiles_.empty();
    SetCurrentProfile(profiles_.front().get(), !currentUnread);
  } else {
    ApplyProfileVolumes();
  }
}

ProfileBase* ProfileManagerBase::FindProfile(const std::wstring& name) const {
  const std::wstring wanted = Lower(name);
  for (const auto& profile : profiles_) {
    if (Lower(profile->GetName()) == wanted)
      return profile.get();
  }
  return nullptr;
}

void ProfileManagerBase::SortProfiles() {
  std::stable_sort(profiles_.begin(), profiles_.end(),
                   [](const std::unique_ptr<ProfileBase>& a, const std::unique_ptr<ProfileBase>& b) {
                     return Lower(a->GetName()) < Lower(b->GetName());
                   });
}

bool ProfileManagerBase::SaveList() {
  if (keepListFile_)
    return false;
  return WriteSavedFile(file_, log_, GetListPath(),
                        [this](CorvantisEngine::FileBinary& stream) { WriteData(stream); });
}

void ProfileManagerBase::SetCurrentProfile(ProfileBase* profile, bool save) {
  const bool changed = profile != current_;
  current_ = profile;
  // A player's own volumes follow them in.
  if (changed)
    ApplyProfileVolumes();
  if (save)
    SaveList();
}

ProfileBase* ProfileManagerBase::AddProfile(const std::wstring& name) {
  // Compared as the profile will store it, so that "Anna " cannot make a second "Anna".
  const std::wstring stored = LimitSavedName(CorvantisEngine::WStringTrim(name));
  if (ProfileBase* existing = FindProfile(stored))
    return existing;
  std::unique_ptr<ProfileBase> created = CreateProfile(stored);
  ProfileBase* profile = created.get();
  StoreVolumes(profile);
  profiles_.push_back(std::move(created));
  SortProfiles();
  SaveList();
  return profile;
}

void ProfileManagerBase::RenameProfile(const std::wstring& oldName, const std::wstring& newName) {
  const std::wstring stored = LimitSavedName(CorvantisEngine::WStringTrim(newName));
  ProfileBase* profile = FindProfile(oldName);
  if (profile == nullptr || FindProfile(stored) != nullptr)
    return;
  profile->Rename(stored);
  SortProfiles();
  SaveList();
}

void ProfileManagerBase::DeleteProfile(const std::wstring& name) {
  ProfileBase* profile = FindProfile(name);
  if (profile == nullptr)
    return;
  profile->DeleteFiles();
  auto it = std::find_if(profiles_.begin(), profiles_.end(),
                         [&](const std::unique_ptr<ProfileBase>& held) { return held.get() == profile; });
  std::unique_ptr<ProfileBase> removed = std::move(*it);
  profiles_.erase(it);
  if (current_ == profile)
    SetCurrentProfile(profiles_.empty() ? nullptr : profiles_.front().get(), false);
  removed.reset();
  SaveList();
}

bool ProfileManagerBase::AddRecord(const LevelPosition& position, const std::wstring& holder,
                                   std::uint32_t gameMode, float time) {
  for (const auto& record : records_) {
    if (record->stage == position.stage && record->level == position.level && record->gameMode == gameMode) {
      if (!(time < record->time))
        return false;
      record->name = LimitSavedName(holder);
      record->time = time;
      SaveList();
      return true;
    }
  }
  auto record = std::make_unique<ProfileRecord>();
  record->stage = position.stage;
  record->level = position.level;
  record->name = LimitSavedName(holder);
  record->gameMode = gameMode;
  record->time = time;
  records_.push_back(std::move(record));
  SaveList();
  return true;
}

const ProfileRecord* ProfileManagerBase::FindRecord(const LevelPosition& position,
                                                    std::uint32_t gameMode) const {
  for (const auto& record : records_) {
    if (record->stage == position.stage && record->level == position.level && record->gameMode == gameMode)
      return record.get();
  }
  return nullptr;
}

void ProfileManagerBase::StoreVolumes(ProfileBase* profile) {
  if (audioManager_ != nullptr) {
    profile->GetSettings().musicVolume = audioManager_->GetMusicVolume();
    profile->GetSettings().soundVolume = audioManager_->GetSoundVolume();
  }
  profile->Save();
}

void ProfileManagerBase::WriteData(CorvantisEngine::FileBinary& stream) {
  stream.WriteWString(current_ != nullptr ? current_->GetName() : std::wstring());
  stream.WriteUInt(static_cast<std::uint32_t>(records_.size()));
  for (const auto& record : records_) {
    stream.WriteUInt(record->stage);
    stream.WriteUInt(record->level);
    stream.WriteWString(record->name);
    stream.WriteUInt(record->gameMode);
    stream.WriteFloat(record->time);
  }
}

void ProfileManagerBase::ReadData(CorvantisEngine::FileBinary& stream) {
  std::wstring name;
  stream.ReadWString(name);
  storedName_ = name;
  if (!name.empty())
    current_ = FindProfile(name);
  const std::uint32_t count = ReadCount(stream, kSmallestRecordBytes, "best-time records");
  for (std::uint32_t i = 0; i < count; ++i) {
    auto record = std::make_unique<ProfileRecord>();
    stream.ReadUInt(record->stage);
    stream.ReadUInt(record->level);
    stream.ReadWString(record->name);
    stream.ReadUInt(record->gameMode);
    stream.ReadFloat(record->time);
    records_.push_back(std::move(record));
  }
}

}  // namespace GameFramework
