#pragma once
// The pattern behind every save file of the framework: read or write a whole body through a
// VersionedFile, refuse counts that the file cannot hold, and keep saved names within their one-byte
// count. At start-up a reader tells a missing file from one that is there but cannot be opened (never
// to be replaced) and from one that opens but cannot be trusted (kept beside as "<name>.damaged"
// before it is replaced). Main thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace CorvantisEngine {
class FileBinary;
class FileManager;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameTools {
class VersionedFile;
}

namespace GameFramework {

using BodyFunction = std::function<void(CorvantisEngine::FileBinary&)>;

// What reading a save file at start-up found.
enum class SavedFileState {
  kRead,        // read whole
  kMissing,     // not on the disk (a first start)
  kUnopenable,  // on the disk but it cannot be opened (permissions, another user's file, a folder)
  kDamaged,     // opened, but its header or body cannot be trusted
};

struct SavedFileReading {
  SavedFileState state = SavedFileState::kRead;
  std::string reason;  // the error's text, for the log
};

// Opens `path` for reading (header checked), reads the body, closes. CorvantisEngine::FileError passes
// on; the file is closed either way.
void ReadSavedFile(GameTools::VersionedFile& file, const std::string& path, const BodyFunction& readBody);

// ReadSavedFile that says what went wrong instead of throwing.
SavedFileReading TryReadSavedFile(GameTools::VersionedFile& file, CorvantisEngine::FileManager* files,
                                  const std::string& path, const BodyFunction& readBody);

// Copies the bytes of `path` to "<path>.damaged" (replacing an older copy). The copy's name, or an
// empty text when no copy could be made.
std::string KeepDamagedCopy(CorvantisEngine::FileManager* files, const std::string& path);

// Deletes "<path>.tmp", the body of a save that was cut off (the program was killed while writing);
// logged. True when there was one and it is gone.
bool RemoveUnfinishedSave(CorvantisEngine::FileManager* files, CorvantisEngine::MessageManager* log,
                          const std::string& path);

// Writes the header and the body to a temporary file that replaces `path` only once it is complete. A
// failure is logged as an error, leaves the old file as it was and is kept for the player (the folder
// and why nothing can be written there, SaveProblems). True when the new file is in place.
bool WriteSavedFile(GameTools::VersionedFile& file, CorvantisEngine::MessageManager* log,
                    const std::string& path, const BodyFunction& writeBody);

// Reads a u32 count of elements of at least `smallestElementBytes` each; a count that the rest of the
// file cannot hold throws CorvantisEngine::FileError naming the file and the list (`what`) before
// anything is allocated for it.
std::uint32_t ReadCount(CorvantisEngine::FileBinary& stream, std::uint32_t smallestElementBytes,
                        const std::string& what);
// A u32 count, checked as ReadCount does, and that many u32 values; `out` takes the count's size.
void ReadUIntList(CorvantisEngine::FileBinary& stream, std::vector<std::uint32_t>& out,
                  const std::string& what);

// A name as a save file can hold it: at most 254 UTF-16 units.
std::wstring LimitSavedName(const std::wstring& name);

// The host's form of a save path, as the player would look for it.
std::string HostPath(const std::string& path);

}  // namespace GameFramework
