#include "framework/SavedFile.h"

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "tools/game/VersionedFile.h"

namespace GameFramework {

void ReadSavedFile(GameTools::VersionedFile& file, const std::string& path, const BodyFunction& readBody) {
  try {
    file.Open(path, GameTools::VersionedFile::kRead, false, nullptr);
    readBody(*file.GetStream());
  } catch (...) {
    file.Close();
    throw;
  }
  file.Close();
}

bool WriteSavedFile(GameTools::VersionedFile& file, CorvantisEngine::MessageManager* log,
                    const std::string& path, const BodyFunction& writeBody) {
  try {
    file.Open(path, GameTools::VersionedFile::kWrite, false, nullptr);
    writeBody(*file.GetStream());
    file.Close();
    return true;
  } catch (const CorvantisEngine::FileError& error) {
    // A body cut short must never replace the old file.
    file.Discard();
    log->Error("Failed to save \"" + path + "\": " + error.GetMessage());
    return false;
  }
}

std::uint32_t ReadCount(CorvantisEngine::FileBinary& stream, std::uint32_t smallestElementBytes) {
  std::uint32_t count = 0;
  stream.ReadUInt(count);
  if (std::uint64_t{count} * smallestElementBytes > stream.GetRemaining()) {
    throw CorvantisEngine::FileError("Incorrect \"" + stream.GetName() + "\" file format (" +
                                     std::to_string(count) + " elements)");
  }
  return count;
}

std::wstring LimitSavedName(const std::wstring& name) {
  return name.substr(0, CorvantisEngine::FileBinary::kMaxWStringLength);
}

}  // namespace GameFramework
