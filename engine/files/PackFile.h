#pragma once
// PackFile: one mounted "QXPAK" archive (version 100), either a "*.pak" file or a pack appended to
// the executable. It checks the header, reads the directory, and answers whether an entry exists,
// its size, its whole content, and which entries and folders lie under a folder. Entry names are
// relative paths with backslash separators, stored and looked up lower-cased.
//
// Layout from the pack's start S: u32 total length, "QXPAK", u32 version, u32 N, N names (u8 n then
// n bytes), N records {u32 offset from S, u32 size}, then the entry data wherever the records point.
// An appended pack ends the executable as [pack of L bytes][u32 L]["APC"].
//
// Created and owned by FileManager. Once constructed, the queries and `ReadFile` may be called from
// several threads at once (the loading worker reads while the main thread streams music from the same
// pack): an archive small enough to be held in memory is copied from there, a larger one is read with
// positioned reads that share no file position. `Close` must not race with them. The constructor
// throws `FileError` for a file it refuses; every count, offset and size is checked against the
// archive's bounds before it is used, so a damaged archive is refused or its bad entry is unreadable,
// never an out-of-bounds read.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileBinary;

class PackFile {
 public:
  static constexpr std::uint32_t kVersion = 100;
  static constexpr std::uint32_t kHeaderSize = 17;

  // `expectedLength` 0 means "the rest of the file from the start offset".
  PackFile(MessageManager* log, const std::string& name, std::uint32_t startOffset,
           std::uint32_t expectedLength);
  // Reads an archive held in memory (used for archives built on the fly and by the fuzz target).
  PackFile(MessageManager* log, const std::string& name, std::span<const std::uint8_t> bytes);
  virtual ~PackFile();

  PackFile(const PackFile&) = delete;
  PackFile& operator=(const PackFile&) = delete;

  bool HasFile(const std::string& name) const;
  bool GetFileSize(const std::string& name, std::uint32_t& size) const;
  // Fills `destination` with the whole entry (GetFileSize bytes); throws the file's read error when the
  // archive turns out short.
  bool ReadFile(const std::string& name, void* destination) const;
  // Copies up to `bytes` bytes of the entry from `offset` into `destination` and answers how many (0 at
  // or past the entry's end, and for a name not in the archive); throws the file's read error when the
  // archive turns out short. May run beside ReadFile and other ReadPart calls.
  std::uint32_t ReadPart(const std::string& name, std::uint32_t offset, std::uint32_t bytes,
                         void* destination) const;
  // True when some folder of the archive contains the lower-cased path anywhere in its name.
  bool HasFolder(const std::string& path) const;
  // Appends the sub-folders directly below `folder` that hold entries directly (repeated once per
  // entry; FileManager removes the repetitions).
  void ListFolders(const std::string& folder, std::vector<std::string>& out) const;
  // Appends the entries anywhere below `folder` whose rest contains the mask with its wildcards cut.
  void ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& out) const;

  void Close();

  const std::vector<std::string>& GetNames() const { return names_; }
  const std::vector<std::string>& GetFolders() const { return folders_; }

 private:
  struct Entry {
    std::uint32_t offset;
    std::uint32_t size;
  };

  void ReadDirectory(const std::string& name, std::uint32_t expectedLength);

  MessageManager* log_;
  std::string fileName_;
  std::uint32_t startOffset_;
  // Holds the directory while it is read, and afterwards the whole archive when it is in memory.
  std::unique_ptr<FileBinary> file_;
  // The archive's file for positioned reads when it is not held in memory; null otherwise.
  void* handle_ = nullptr;
  std::map<std::string, Entry> directory_;
  std::vector<std::string> names_;
  std::map<std::string, std::uint32_t> folderTable_;
  std::vector<std::string> folders_;
};

}  // namespace CorvantisEngine
