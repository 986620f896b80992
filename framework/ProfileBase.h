#pragma once
// ProfileBase: one player's saved state and its ".prf" file in the "profiles" folder of the save
// folder: the display name, the game under way (counter, score, current level, whether it can be
// continued), the furthest level reached, the game mode, the best time per level and mode, and the two
// audio volumes. A game derives to add its own fields after the volumes (Write, Read).
//
// The file after its 13-byte header: the one-byte-counted UTF-16LE name; u32 gameMode, gameCounter,
// score, currentStage, currentLevel, reachedStage, reachedLevel; u8 gameCompleted; u32 N and N results
// of {u32 gameMode, u32 stage, u32 level, f32 time}; u8 gameInProgress; f32 musicVolume, f32
// soundVolume; then the game's section.
//
// Values the file holds out of their range (volumes outside 0..1, an unknown game mode) are put back
// in range as they are read, with a line in the log; the file itself is rewritten only by the next Save.
//
// Main thread only. The profile owns its results. Load passes on CorvantisEngine::FileError for a file
// that cannot be read or trusted (the profile manager then leaves it out); a failed Save is logged and
// leaves the old file as it was; nothing else throws.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/LevelManagerBase.h"
#include "tools/game/VersionedFile.h"

namespace CorvantisEngine {
class Engine;
class FileBinary;
class FileManager;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameFramework {

// The best time of one level in one game mode.
struct GameResult {
  std::uint32_t gameMode = 0;
  std::uint32_t stage = 0;
  std::uint32_t level = 0;
  float time = 0.0f;  // seconds
};

struct ProfileSettings {
  float soundVolume = 1.0f;
  float musicVolume = 1.0f;
};

class ProfileBase {
 public:
  static constexpr const char* kProfilesFolder = "profiles";
  static constexpr const char* kExtension = ".prf";
  // A new game's counter.
  static constexpr std::uint32_t kNewGameCounter = 3;
  // Game modes: 0 normal, 1 relax.
  static constexpr std::uint32_t kLastGameMode = 1;

  // Empty profile; the subclass then calls Load (existing file) or Create (new profile).
  ProfileBase(CorvantisEngine::Engine* engine, const std::string& saveFolder, const std::string& magic,
              std::uint32_t version);
  virtual ~ProfileBase();

  ProfileBase(const ProfileBase&) = delete;
  ProfileBase& operator=(const ProfileBase&) = delete;

  // Counter and score of a new game (nothing saved).
  virtual void ResetProgress();
  // Reads "<save folder>\profiles\<fileName>"; FileError passes on.
  virtual void Load(const std::string& fileName);
  // A new profile under the trimmed name (cut to 254 UTF-16 units) with a new file name; saves.
  virtual void Create(const std::wstring& name);
  virtual void Write(CorvantisEngine::FileBinary& stream);
  virtual void Read(CorvantisEngine::FileBinary& stream);
  virtual void WriteSettings(CorvantisEngine::FileBinary& stream);
  virtual void ReadSettings(CorvantisEngine::FileBinary& stream);

  // True when the file was written.
  bool Save();
  // Trimmed and cut like Create's; the file name stays.
  void Rename(const std::wstring& name);
  std::string GetProfilePath(const std::string& fileName) const;
  // Deletes the ".prf" file and the profile's data folder, only ever inside the "profiles" folder.
  void DeleteFiles();
  // Keeps the smaller time of the result's level and mode (or appends it), then saves.
  void AddGameResult(std::unique_ptr<GameResult> result);
  // Moves the reached level forward (or marks it completed) and saves; an earlier position changes
  // nothing.
  void UpdateReachedLevel(const LevelPosition& position, bool completed);
  // Puts the current and reached positions on existing levels (a file may have been written against
  // another levels file). True when something changed; nothing is saved.
  bool ClampLevelPositions(const LevelManagerBase& levels);

  const std::wstring& GetName() const { return name_; }
  const std::string& GetFileName() const { return fileName_; }
  const std::string& GetDataPath() const { return dataPath_; }
  const std::string& GetSaveFolder() const { return saveFolder_; }
  ProfileSettings& GetSettings() { return *settings_; }
  const ProfileSettings& GetSettings() const { return *settings_; }
  std::uint32_t GetGameMode() const { return gameMode_; }
  void SetGameMode(std::uint32_t mode) { gameMode_ = mode; }
  std::uint32_t GetGameCounter() const { return gameCounter_; }
  void SetGameCounter(std::uint32_t counter) { gameCounter_ = counter; }
  std::uint32_t GetScore() const { return score_; }
  void SetScore(std::uint32_t score) { score_ = score; }
  LevelPosition GetCurrentLevel() const { return {currentStage_, currentLevel_}; }
  void SetCurrentLevel(const LevelPosition& position) {
    currentStage_ = position.stage;
    currentLevel_ = position.level;
  }
  LevelPosition GetReachedLevel() const { return {reachedStage_, reachedLevel_}; }
  bool IsGameCompleted() const { return gameCompleted_ != 0; }
  void SetGameCompleted(bool completed) { gameCompleted_ = completed ? 1 : 0; }
  bool IsGameInProgress() const { return gameInProgress_ != 0; }
  void SetGameInProgress(bool inProgress) { gameInProgress_ = inProgress ? 1 : 0; }
  const std::vector<std::unique_ptr<GameResult>>& GetResults() const { return results_; }
  // The result of that level and mode, or null.
  const GameResult* FindResult(std::uint32_t gameMode, const LevelPosition& position) const;

 protected:
  // After reading: volumes back into 0..1 (a NaN to 1), an unknown game mode to 0, the two flags to 0
  // or 1; what was out of range is logged against `path`.
  void KeepReadValuesInRange(const std::string& path);
  // The trimmed name, cut to what a saved name can hold.
  static std::wstring CleanName(const std::wstring& name);
  // A free file name for the name (see the .cpp for the rule).
  std::string MakeFileName(const std::wstring& name) const;
  void SetFileName(const std::string& fileName);

  CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* files_;
  GameTools::VersionedFile file_;
  std::string saveFolder_;
  std::wstring name_;
  std::string fileName_;
  // The ".prf" path without its extension: the profile's data folder.
  std::string dataPath_;
  std::unique_ptr<ProfileSettings> settings_;
  std::uint32_t gameMode_ = 0;
  std::uint32_t gameCounter_ = 0;
  std::uint32_t score_ = 0;
  std::uint32_t currentStage_ = 0;
  std::uint32_t currentLevel_ = 0;
  std::uint32_t reachedStage_ = 0;
  std::uint32_t reachedLevel_ = 0;
  std::uint8_t gameCompleted_ = 0;
  // Best time per (game mode, stage, level), in order of first finish; owned.
  std::vector<std::unique_ptr<GameResult>> results_;
  std::uint8_t gameInProgress_ = 0;
};

}  // namespace GameFramework
