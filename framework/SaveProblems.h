#pragma once
// SaveProblems: what went wrong with the save files in this session, kept so that the player can be
// told once: the first save that could not be written (the folder and the reason), and the files that
// could not be read and were left as they are. The savers report here; the game shows it.
//
// One record for the process (the savers are made in many places and share no owner below the game).
// Main thread only; nothing throws.

#include <string>
#include <vector>

namespace GameFramework {

class SaveProblems {
 public:
  struct WriteFailure {
    std::string folder;  // the host's form of the folder the file was to go to
    std::string reason;  // plain words for the player
  };

  static SaveProblems& Get();

  // The first failure of the session is kept; later ones are already covered by it.
  void AddWriteFailure(const std::string& folder, const std::string& reason);
  // A save file that could not be read and stays on the disk as it was (host form of its path).
  void AddUnreadFile(const std::string& path);

  // Each hands out its news once: true and the text when there is something the player was not told.
  bool TakeWriteFailure(WriteFailure& out);
  bool TakeUnreadFiles(std::vector<std::string>& out);
  bool HasNews() const { return writeUntold_ || !unread_.empty(); }
  bool HasWriteFailure() const { return hasWriteFailure_; }

  // Forgets everything (a new session, or a test).
  void Reset();

 private:
  WriteFailure writeFailure_;
  bool hasWriteFailure_ = false;
  bool writeUntold_ = false;
  std::vector<std::string> unread_;
};

}  // namespace GameFramework
