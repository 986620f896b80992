#include "framework/HighScoresTable.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "framework/SaveProblems.h"
#include "framework/SavedFile.h"

namespace GameFramework {

namespace {

// A name byte and its terminating unit, then category, score and sequence number.
constexpr std::uint32_t kSmallestEntryBytes = 1 + 2 + 3 * 4;

bool ComesBefore(const std::unique_ptr<HighScoreEntry>& a, const std::unique_ptr<HighScoreEntry>& b) {
  if (a->score != b->score)
    return a->score > b->score;
  return a->sequence < b->sequence;
}

}  // namespace

HighScoresTable::HighScoresTable(CorvantisEngine::Engine* engine, std::uint32_t limit,
                                 const std::string& saveFolder)
    : engine_(engine),
      log_(engine->GetMessageManager()),
      files_(engine->GetFileManager()),
      file_(engine, kMagic, kVersion),
      limit_(limit),
      saveFolder_(saveFolder) {
  Load();
}

HighScoresTable::~HighScoresTable() = default;

std::string HighScoresTable::GetFilePath() const {
  return saveFolder_ + "\\" + kFileName;
}

void HighScoresTable::Load() {
  const std::string path = GetFilePath();
  RemoveUnfinishedSave(files_, log_, path);
  const SavedFileReading reading = TryReadSavedFile(
      file_, files_, path, [this](CorvantisEngine::FileBinary& stream) { ReadBody(stream); });
  switch (reading.state) {
    case SavedFileState::kRead:
      break;
    case SavedFileState::kMissing:
      Clear();
      break;
    case SavedFileState::kDamaged: {
      // A file that cannot be trusted is replaced by an empty table once its bytes are safe beside it;
      // without a copy it stays as it is, and this session's scores are not saved.
      const std::string copy = KeepDamagedCopy(files_, path);
      if (copy.empty()) {
        keepFile_ = true;
        log_->Error("\"" + path + "\" is damaged (" + reading.reason +
                    ") and no copy of it could be made; it is left as it is and the high scores of this "
                    "session are not saved");
        SaveProblems::Get().AddUnreadFile(HostPath(path));
        nextSequence_ = 0;
        entries_.clear();
        break;
      }
      log_->Warning("\"" + path + "\" is damaged (" + reading.reason +
                    "); an empty table replaces it, the old bytes are kept in \"" + copy + "\"");
      Clear();
      break;
    }
    case SavedFileState::kUnopenable:
      // It may be whole: another user's file, or one without read permission.
      keepFile_ = true;
      log_->Error("\"" + path + "\" cannot be read (" + reading.reason +
                  "); it is left as it is and the high scores of this session are not saved");
      SaveProblems::Get().AddUnreadFile(HostPath(path));
      nextSequence_ = 0;
      entries_.clear();
      break;
  }
}

void HighScoresTable::ReadBody(CorvantisEngine::FileBinary& stream) {
  std::uint32_t sequence = 0;
  stream.ReadUInt(sequence);
  const std::uint32_t count = ReadCount(stream, kSmallestEntryBytes, "high scores");
  std::vector<std::unique_ptr<HighScoreEntry>> entries;
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    auto entry = std::make_unique<HighScoreEntry>();
    stream.ReadWString(entry->name);
    stream.ReadUInt(entry->category);
    stream.ReadUInt(entry->score);
    stream.ReadUInt(entry->sequence);
    entries.push_back(std::move(entry));
  }
  nextSequence_ = sequence;
  entries_ = std::move(entries);
}

void HighScoresTable::WriteBody(CorvantisEngine::FileBinary& stream) const {
  stream.WriteUInt(nextSequence_);
  stream.WriteUInt(static_cast<std::uint32_t>(entries_.size()));
  for (const auto& entry : entries_) {
    stream.WriteWString(entry->name);
    stream.WriteUInt(entry->category);
    stream.WriteUInt(entry->score);
    stream.WriteUInt(entry->sequence);
  }
}

void HighScoresTable::Clear() {
  nextSequence_ = 0;
  entries_.clear();
  Save();
}

bool HighScoresTable::Save() {
  if (keepFile_)
    return false;
  return WriteSavedFile(file_, log_, GetFilePath(),
                        [this](CorvantisEngine::FileBinary& stream) { WriteBody(stream); });
}

const HighScoreEntry* HighScoresTable::AddScore(const std::wstring& name, std::uint32_t category,
                                                std::uint32_t score) {
  auto added = std::make_unique<HighScoreEntry>();
  added->name = LimitSavedName(name);
  added->category = category;
  added->score = score;
  added->sequence = nextSequence_++;
  const HighScoreEntry* result = added.get();
  entries_.push_back(std::move(added));
  std::stable_sort(entries_.begin(), entries_.end(), ComesBefore);

  // Only the new entry's category is trimmed to the limit; the others stay as they are.
  std::vector<std::unique_ptr<HighScoreEntry>> kept;
  kept.reserve(entries_.size());
  std::uint32_t inCategory = 0;
  for (auto& entry : entries_) {
    if (entry->category == category && inCategory++ >= limit_) {
      if (entry.get() == result)
        result = nullptr;
      continue;
    }
    kept.push_back(std::move(entry));
  }
  entries_ = std::move(kept);
  Save();
  return result;
}

}  // namespace GameFramework
