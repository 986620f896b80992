#include "framework/SaveProblems.h"

#include <algorithm>

namespace GameFramework {

SaveProblems& SaveProblems::Get() {
  static SaveProblems problems;
  return problems;
}

void SaveProblems::AddWriteFailure(const std::string& folder, const std::string& reason) {
  if (hasWriteFailure_)
    return;
  writeFailure_ = {folder, reason};
  hasWriteFailure_ = true;
  writeUntold_ = true;
}

void SaveProblems::AddUnreadFile(const std::string& path) {
  if (std::find(unread_.begin(), unread_.end(), path) == unread_.end())
    unread_.push_back(path);
}

bool SaveProblems::TakeWriteFailure(WriteFailure& out) {
  if (!writeUntold_)
    return false;
  writeUntold_ = false;
  out = writeFailure_;
  return true;
}

bool SaveProblems::TakeUnreadFiles(std::vector<std::string>& out) {
  if (unread_.empty())
    return false;
  out = std::move(unread_);
  unread_.clear();
  return true;
}

void SaveProblems::Reset() {
  *this = SaveProblems();
}

}  // namespace GameFramework
