#pragma once
// ProfileManagerBase: every profile of the save folder, the current one, and a small table of best
// times across all profiles (the fastest player per level and game mode). The current profile's name
// and that table are kept in "profiles.pmf" in the save folder; the profiles are ".prf" files in its
// "profiles" folder (ProfileBase). A game derives to say how its profile objects are made
// (OpenProfile, CreateProfile), gives the list file's magic and version, and calls LoadProfiles from
// its constructor.
//
// The list file after its 13-byte header: the current profile's one-byte-counted UTF-16LE name (just
// the terminating unit when there is none); u32 R; R records of {u32 stage, u32 level, counted name of
// the holder, u32 gameMode, f32 time}.
//
// Invariants: names are unique compared lower-cased; the profiles are sorted by lower-cased name.
// Main thread only. The manager owns its profiles and records. Nothing throws: unreadable profiles are
// left out of the list (and on disk) with a line in the log and a note for the player (SaveProblems); a
// missing list file is written anew, a damaged one is kept as "profiles.pmf.damaged" and replaced, and
// one that cannot be opened is left alone and not written in this session; a failed save is logged and
// leaves the old file. Saves cut off by a kill ("*.tmp") are removed at start-up.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/LevelManagerBase.h"
#include "framework/ProfileBase.h"
#include "tools/game/VersionedFile.h"

namespace CorvantisEngine {
class Engine;
class FileBinary;
class FileManager;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameFramework {

class AudioManager;

// The fastest finish of one level in one game mode over all profiles.
struct ProfileRecord {
  std::uint32_t stage = 0;
  std::uint32_t level = 0;
  std::wstring name;  // the holder
  std::uint32_t gameMode = 0;
  float time = 0.0f;  // seconds
};

class ProfileManagerBase {
 public:
  static constexpr const char* kListFileName = "profiles.pmf";

  // `levels`, when given, puts the level positions of every loaded profile on existing levels.
  ProfileManagerBase(CorvantisEngine::Engine* engine, AudioManager* audioManager,
                     const std::string& saveFolder, const std::string& magic, std::uint32_t version,
                     const LevelManagerBase* levels = nullptr);
  virtual ~ProfileManagerBase();

  ProfileManagerBase(const ProfileManagerBase&) = delete;
  ProfileManagerBase& operator=(const ProfileManagerBase&) = delete;

  // The current profile's volumes to the audio manager. Runs whenever another profile becomes current
  // and once the list has been loaded.
  virtual void ApplyProfileVolumes();
  // Reads every profile and the list file; called once, by the subclass's constructor.
  virtual void LoadProfiles();

  // Compared lower-cased, untrimmed; null when absent.
  ProfileBase* FindProfile(const std::wstring& name) const;
  void SortProfiles();
  // True when the file was written.
  bool SaveList();
  void SetCurrentProfile(ProfileBase* profile, bool save);
  // The profile of that name (trimmed and cut as profiles store it) when there is one, else a new one
  // holding the current volumes. Does not make it current.
  ProfileBase* AddProfile(const std::wstring& name);
  // Nothing when the new name is taken (letter case alone counts as taken) or the old one is absent.
  void RenameProfile(const std::wstring& oldName, const std::wstring& newName);
  // Deletes the profile and its files; the first remaining profile (or none) becomes current.
  void DeleteProfile(const std::wstring& name);
  // True when the time is a new record for the level and mode (then saved).
  bool AddRecord(const LevelPosition& position, const std::wstring& holder, std::uint32_t gameMode,
                 float time);

  ProfileBase* GetCurrentProfile() const { return current_; }
  const std::vector<std::unique_ptr<ProfileBase>>& GetProfiles() const { return profiles_; }
  const std::vector<std::unique_ptr<ProfileRecord>>& GetRecords() const { return records_; }
  const ProfileRecord* FindRecord(const LevelPosition& position, std::uint32_t gameMode) const;
  const std::string& GetSaveFolder() const { return saveFolder_; }
  std::string GetListPath() const;
  // The host paths of the ".prf" files that could not be read at start-up (left on the disk).
  const std::vector<std::string>& GetUnreadProfiles() const { return unreadProfiles_; }
  // True when "profiles.pmf" was there but could not be opened: it is then never written over.
  bool IsListFileKept() const { return keepListFile_; }

 protected:
  // A profile read from "profiles\<fileName>"; throws what reading throws.
  virtual std::unique_ptr<ProfileBase> OpenProfile(const std::string& fileName) = 0;
  // A new profile, already saved under a new file name.
  virtual std::unique_ptr<ProfileBase> CreateProfile(const std::wstring& name) = 0;
  virtual void WriteData(CorvantisEngine::FileBinary& stream);
  virtual void ReadData(CorvantisEngine::FileBinary& stream);
  // The audio manager's volumes into the profile, which is saved.
  virtual void StoreVolumes(ProfileBase* profile);

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* files_;
  AudioManager* audioManager_;
  GameTools::VersionedFile file_;
  // Sorted by lower-cased name; owned.
  std::vector<std::unique_ptr<ProfileBase>> profiles_;
  // Into `profiles_`, or null.
  ProfileBase* current_ = nullptr;
  std::vector<std::unique_ptr<ProfileRecord>> records_;
  std::string saveFolder_;
  const LevelManagerBase* levels_;
  std::vector<std::string> unreadProfiles_;
  // The current player's name as the list file gave it.
  std::wstring storedName_;
  bool keepListFile_ = false;
};

}  // namespace GameFramework
