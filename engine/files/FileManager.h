#pragma once
// FileManager: the engine's single door to files. Relative names resolve against the base (data)
// folder; reading looks on the disk first, then in the mounted pack archives (a pack appended to the
// executable first, then every "*.pak" of the pack folder in sorted name order); writing creates the
// folders on the way. It answers existence queries, lists files and folders across disk and packs,
// and offers the path helpers the rest of the system uses.
//
// Created by the Engine right after the log; it owns the mounted PackFiles, and the FileBinary and
// FileTextual objects it opens belong to the caller. The mounted set never changes after construction,
// so opening, querying and listing may run on several threads at once (the resource loading worker
// and the main thread read the same packs). `OpenFile` and `OpenTextFile` throw `FileError`; the
// queries never throw; packs that fail their checks are skipped at mounting.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CorvantisEngine {

class MessageManager;
class FileBinary;
class FileTextual;
class PackFile;

class FileManager {
 public:
  // An empty base folder means the executable's folder; an empty pack folder means the base folder.
  // `executablePath` names the file searched for an appended pack; empty means the running program.
  FileManager(MessageManager* log, const std::string& baseFolder, const std::string& packFolder,
              const std::string& executablePath = "");
  virtual ~FileManager();

  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  // A new file the caller deletes. Reading: the disk file when it exists, else the first pack entry
  // of that name (a memory file), else `FileError` "Failed to open ..." with the full path.
  FileBinary* OpenFile(const std::string& name, bool write, bool preload = false);
  // A new file for reading that the caller deletes, as OpenFile(name, false), except that a pack entry
  // is not copied whole: its bytes are read from the archive as the file is read (for long files read
  // from front to back in pieces, such as a sound that plays as it is decoded). A piece the archive
  // fails to give is logged and reads short.
  FileBinary* OpenFileInParts(const std::string& name);
  // A new text file over OpenFile(name, write); the encoding matters for writing only.
  FileTextual* OpenTextFile(const std::string& name, bool write, std::uint32_t encoding);

  bool FileExists(const std::string& name) const;
  bool FolderExists(const std::string& path) const;
  // The name is looked up lower-cased with doubled backslashes collapsed. Fills the size and/or the
  // buffer (which must hold the size) from the first pack that has it.
  bool FindInPacks(const std::string& name, std::uint32_t* size = nullptr, void* buffer = nullptr) const;
  // The entries found on disk and in the packs, each as the folder as passed followed by the rest of
  // its name, lower-cased, sorted, without duplicates (an entry loose and packed is listed once); `out`
  // is replaced.
  void ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& out) const;
  void ListFolders(const std::string& folder, std::vector<std::string>& out) const;

  // Deletes a folder tree below the per-user folder or the base folder. Refuses (false, nothing
  // touched, a warning logged) an empty path, a root, wildcards, ".." and any other place.
  bool DeleteFolder(const std::string& path) const;

  // Renames the file `source` to `target` (both named as for OpenFile), replacing an existing target in
  // one step, so that readers see either the old or the new file; false when the rename fails.
  bool ReplaceFile(const std::string& source, const std::string& target) const;
  // Deletes one disk file named as for OpenFile; false when there is none or it cannot be deleted.
  bool RemoveFile(const std::string& name) const;

  // The path OpenFile uses for a name: the name when absolute, else base folder + "\" + name.
  std::string ResolvePath(const std::string& name) const;

  const std::string& GetBaseFolder() const { return baseFolder_; }
  std::size_t GetPackCount() const { return packs_.size(); }
  // One line per archive that was found but refused: its path and what is wrong with it.
  const std::vector<std::string>& GetPackErrors() const { return packErrors_; }

  // Relative paths below resolve against the executable's folder.
  static bool IsFileOnDisk(const std::string& path);
  static std::string GetFullPath(const std::string& path);
  // Creates every folder named before a backslash of the path (not the last part).
  static void CreateFolders(const std::string& path);
  static std::string MakeDataPath(const std::string& path);
  static std::string GetFolder(const std::string& path);
  static std::string GetFileName(const std::string& path);
  // The text after the last '.' of the last path part; empty when that part has none.
  static std::string GetExtension(const std::string& path);
  static bool HasExtension(const std::string& path, const std::string& extension);
  static void ChangeExtension(std::string& path, const std::string& extension);
  // The per-user application-data folder (created when missing); empty on failure.
  static std::string GetUserDataFolder();
  // Append to `out`. Files are searched recursively in sub-folders whose names match the mask.
  static void ListFilesOnDisk(const std::string& path, const std::string& mask,
                              std::vector<std::string>& out);
  static void ListFoldersOnDisk(const std::string& path, std::vector<std::string>& out);

 private:
  void MountAppendedPack(const std::string& executablePath);
  void Mount(const std::string& path, std::uint32_t startOffset, std::uint32_t expectedLength);

  MessageManager* log_;
  std::string baseFolder_;
  // The folders registered with the file layer as the program's own (names found there whatever their
  // case), withdrawn again on destruction.
  std::vector<std::string> ownFolders_;
  // Mounted archives in look-up order; owned.
  std::vector<std::unique_ptr<PackFile>> packs_;
  std::vector<std::string> packErrors_;
};

}  // namespace CorvantisEngine
