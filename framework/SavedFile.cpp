#include "framework/SavedFile.h"

#include <memory>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FileManager.h"
#include "framework/SaveProblems.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinWriteCheck.h"
#include "tools/game/VersionedFile.h"

namespace GameFramework {

namespace {

constexpr const char* kDamagedSuffix = ".damaged";
constexpr const char* kTemporarySuffix = ".tmp";

}  // namespace

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

SavedFileReading TryReadSavedFile(GameTools::VersionedFile& file, CorvantisEngine::FileManager* files,
                                  const std::string& path, const BodyFunction& readBody) {
  if (!CorvantisEngine::FileManager::IsFileOnDisk(path))
    return {SavedFileState::kMissing, {}};
  try {
    ReadSavedFile(file, path, readBody);
    return {SavedFileState::kRead, {}};
  } catch (const CorvantisEngine::FileError& error) {
    // Whether the bytes could be had at all: a file that will not open is no proof of damage.
    try {
      std::unique_ptr<CorvantisEngine::FileBinary> bytes(files->OpenFile(path, false));
    } catch (const CorvantisEngine::FileError&) {
      return {SavedFileState::kUnopenable, error.GetMessage()};
    }
    return {SavedFileState::kDamaged, error.GetMessage()};
  }
}

std::string KeepDamagedCopy(CorvantisEngine::FileManager* files, const std::string& path) {
  const std::string copy = path + kDamagedSuffix;
  try {
    std::unique_ptr<CorvantisEngine::FileBinary> source(files->OpenFile(path, false, true));
    std::vector<std::uint8_t> bytes(source->GetSize());
    if (!bytes.empty())
      source->Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    std::unique_ptr<CorvantisEngine::FileBinary> target(files->OpenFile(copy, true));
    if (!bytes.empty())
      target->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    target->Close();
  } catch (const CorvantisEngine::FileError&) {
    files->RemoveFile(copy);
    return {};
  }
  return copy;
}

bool RemoveUnfinishedSave(CorvantisEngine::FileManager* files, CorvantisEngine::MessageManager* log,
                          const std::string& path) {
  const std::string temporary = path + kTemporarySuffix;
  if (!CorvantisEngine::FileManager::IsFileOnDisk(temporary) || !files->RemoveFile(temporary))
    return false;
  if (log != nullptr)
    log->Message("Removed \"" + temporary + "\", a save that was cut off");
  return true;
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
    SaveProblems& problems = SaveProblems::Get();
    if (!problems.HasWriteFailure()) {
      const std::string folder = CorvantisEngine::FileManager::GetFolder(path);
      std::string reason = platform::win32::FindWriteProblem(folder);
      if (reason.empty())
        reason = "the files could not be written";
      problems.AddWriteFailure(HostPath(folder), reason);
    }
    return false;
  }
}

std::uint32_t ReadCount(CorvantisEngine::FileBinary& stream, std::uint32_t smallestElementBytes,
                        const std::string& what) {
  std::uint32_t count = 0;
  stream.ReadUInt(count);
  if (std::uint64_t{count} * smallestElementBytes > stream.GetRemaining()) {
    throw CorvantisEngine::FileError(
        "Incorrect \"" + stream.GetName() + "\" file format (impossible count of " + what + ": " +
        std::to_string(count) + ", with " + std::to_string(stream.GetRemaining()) + " bytes left)");
  }
  return count;
}

void ReadUIntList(CorvantisEngine::FileBinary& stream, std::vector<std::uint32_t>& out,
                  const std::string& what) {
  const std::uint32_t count = ReadCount(stream, 4, what);
  out.resize(count);
  for (std::uint32_t& value : out)
    stream.ReadUInt(value);
}

std::wstring LimitSavedName(const std::wstring& name) {
  return name.substr(0, CorvantisEngine::FileBinary::kMaxWStringLength);
}

std::string HostPath(const std::string& path) {
  return platform::win32::MapPath(path);
}

}  // namespace GameFramework
