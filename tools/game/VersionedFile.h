#pragma once
// VersionedFile: the binary files the framework and the game keep (profiles, the profile list, the
// high-score table) and the piece-shape files they read, behind one 13-byte header, little-endian:
//
//   offset 0  u32      total length of the file in bytes, header included
//   offset 4  5 bytes  magic naming the format (no terminator)
//   offset 9  u32      format version
//
// The body follows at offset 13 and is read or written by the caller through GetStream().
//
// Reading checks the header: a wrong magic or a length other than the file's size is refused with
// "Incorrect \"<name>\" file format", another version (unless skipped) with
// "Incorrect \"<name>\" format version (<stored>), current is <current>".
//
// Writing never touches the file in place: the body goes to "<name>.tmp"; Close puts the final header
// in front, makes sure the disk holds it all and then renames it over "<name>" in one step. If
// anything fails on the way (or the object is destroyed while an exception is on its way out, or
// Discard is called) the temporary file is deleted and the old file stays as it was.
//
// All failures are CorvantisEngine::FileError (the stream's own open, read and write errors pass
// through). Close may throw; the destructor never does. One thread at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/Engine.h"

namespace CorvantisEngine {
class FileBinary;
}  // namespace CorvantisEngine

namespace GameTools {

class VersionedFile {
 public:
  static constexpr std::uint32_t kHeaderSize = 13;
  static constexpr std::uint32_t kMagicSize = 5;

  enum Mode : std::uint32_t { kRead = 0, kWrite = 1 };

  // Keeps the first five characters of `magic` (a shorter text is padded with zero bytes). Opens
  // nothing.
  // Inline, so that only programs that have an Engine need its code.
  VersionedFile(CorvantisEngine::Engine* engine, const std::string& magic, std::uint32_t version)
      : VersionedFile(engine->GetFileManager(), magic, version) {}
  VersionedFile(CorvantisEngine::FileManager* files, const std::string& magic, std::uint32_t version);
  // Closes what is open, or discards an unfinished write when an exception is unwinding the stack.
  ~VersionedFile();

  VersionedFile(const VersionedFile&) = delete;
  VersionedFile& operator=(const VersionedFile&) = delete;

  // Closes what is open first (finishing a file being written), then opens `name` (as FileManager::
  // OpenFile takes it). Reading leaves the stream at the body; with `skipVersion` any version is
  // accepted and the stored one goes to `storedVersion` when that is not null. Writing starts the
  // temporary file with a provisional header.
  void Open(const std::string& name, std::uint32_t mode, bool skipVersion = false,
            std::uint32_t* storedVersion = nullptr);
  // The open stream, or null; owned by this object.
  CorvantisEngine::FileBinary* GetStream() const { return stream_.get(); }
  // Reading: closes the stream. Writing: finishes the file as described above; on failure the old file
  // stays, the temporary one is gone and FileError is thrown. Closing a closed file does nothing.
  void Close();
  // Gives up a file being written: the temporary file is deleted and the old one stays. A file open for
  // reading is just closed.
  void Discard();

  bool IsOpen() const { return stream_ != nullptr; }

 private:
  void ReadHeader(const std::string& name, bool skipVersion, std::uint32_t* storedVersion);
  void WriteHeader(std::uint32_t length);

  CorvantisEngine::FileManager* files_;
  char magic_[kMagicSize] = {};
  std::uint32_t version_;
  std::unique_ptr<CorvantisEngine::FileBinary> stream_;
  std::uint32_t mode_ = kRead;
  std::string name_;
  // Exceptions in flight when the file was opened for writing: more at destruction means the writer is
  // being abandoned.
  int exceptionsAtOpen_ = 0;
};

}  // namespace GameTools
