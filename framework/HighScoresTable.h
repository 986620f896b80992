#pragma once
// HighScoresTable: the best game scores of all players on this machine, per category (the game mode
// of the profile that played), kept in "high_scores.hsf" in the save folder ("GFHSF", version 101).
// The list is one vector sorted by score descending and, for equal scores, by entry order (the older
// entry first); categories are mixed in it and each keeps at most `limit` entries.
//
// The file after its 13-byte header: u32 next sequence number, u32 entry count N, then N entries of
// {one-byte-counted UTF-16LE name, u32 category, u32 score, u32 sequence number} in list order.
//
// Main thread only. The table owns its entries. Nothing throws: a missing file gives an empty table
// that is written at once; a damaged or outdated one is kept as "high_scores.hsf.damaged", logged and
// replaced the same way (left as it is when no copy can be made); one that is there but cannot be
// opened is logged and never written over in this session (the table starts empty); a failed save is
// logged and leaves the old file. A save cut off by a kill ("high_scores.hsf.tmp") is removed at
// start-up.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/game/VersionedFile.h"

namespace CorvantisEngine {
class Engine;
class FileBinary;
class FileManager;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameFramework {

struct HighScoreEntry {
  std::wstring name;
  std::uint32_t category = 0;
  std::uint32_t score = 0;
  // Order of entry, increasing over the life of the file.
  std::uint32_t sequence = 0;
};

class HighScoresTable {
 public:
  static constexpr const char* kFileName = "high_scores.hsf";
  static constexpr const char* kMagic = "GFHSF";
  static constexpr std::uint32_t kVersion = 101;

  // Loads the file of the save folder, or starts (and writes) an empty table.
  HighScoresTable(CorvantisEngine::Engine* engine, std::uint32_t limit, const std::string& saveFolder);
  virtual ~HighScoresTable();

  HighScoresTable(const HighScoresTable&) = delete;
  HighScoresTable& operator=(const HighScoresTable&) = delete;

  // Empties the table, restarts the sequence and saves.
  void Clear();
  // True when the file was written.
  bool Save();
  // Enters the score and saves; the new entry, or null when it did not make its category's list. Names
  // are cut to the 254 UTF-16 units a saved name can hold.
  const HighScoreEntry* AddScore(const std::wstring& name, std::uint32_t category, std::uint32_t score);

  const std::vector<std::unique_ptr<HighScoreEntry>>& GetEntries() const { return entries_; }
  std::uint32_t GetLimit() const { return limit_; }
  std::uint32_t GetNextSequence() const { return nextSequence_; }
  std::string GetFilePath() const;
  // True when the file was there but could not be opened: it is then never written over.
  bool IsFileKept() const { return keepFile_; }

 private:
  void Load();
  void WriteBody(CorvantisEngine::FileBinary& stream) const;
  void ReadBody(CorvantisEngine::FileBinary& stream);

  [[maybe_unused]] CorvantisEngine::Engine* engine_;
  CorvantisEngine::MessageManager* log_;
  CorvantisEngine::FileManager* files_;
  GameTools::VersionedFile file_;
  std::uint32_t limit_;
  // Always sorted; owned.
  std::vector<std::unique_ptr<HighScoreEntry>> entries_;
  std::string saveFolder_;
  std::uint32_t nextSequence_ = 0;
  bool keepFile_ = false;
};

}  // namespace GameFramework
