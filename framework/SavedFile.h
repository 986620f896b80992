#pragma once
// The pattern behind every save file of the framework: read or write a whole body through a
// VersionedFile, refuse counts that the file cannot hold, and keep saved names within their one-byte
// count. Main thread only.

#include <cstdint>
#include <functional>
#include <string>

namespace CorvantisEngine {
class FileBinary;
class MessageManager;
}  // namespace CorvantisEngine

namespace GameTools {
class VersionedFile;
}

namespace GameFramework {

using BodyFunction = std::function<void(CorvantisEngine::FileBinary&)>;

// Opens `path` for reading (header checked), reads the body, closes. CorvantisEngine::FileError passes
// on; the file is closed either way.
void ReadSavedFile(GameTools::VersionedFile& file, const std::string& path, const BodyFunction& readBody);

// Writes the header and the body to a temporary file that replaces `path` only once it is complete. A
// failure is logged as an error and leaves the old file as it was. True when the new file is in place.
bool WriteSavedFile(GameTools::VersionedFile& file, CorvantisEngine::MessageManager* log,
                    const std::string& path, const BodyFunction& writeBody);

// Reads a u32 count of elements of at least `smallestElementBytes` each; a count that the rest of the
// file cannot hold throws CorvantisEngine::FileError before anything is allocated for it.
std::uint32_t ReadCount(CorvantisEngine::FileBinary& stream, std::uint32_t smallestElementBytes);

// A name as a save file can hold it: at most 254 UTF-16 units.
std::wstring LimitSavedName(const std::wstring& name);

}  // namespace GameFramework
