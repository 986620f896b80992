#include "engine/files/FileManager.h"

#include <algorithm>
#include <cstring>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FilePaths.h"
#include "engine/files/FileTextual.h"
#include "engine/files/PackFile.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinSystem.h"

namespace CorvantisEngine {

FileManager::FileManager(MessageManager* log, const std::string& baseFolder, const std::string& packFolder,
                         const std::string& executablePath)
    : log_(log), baseFolder_(baseFolder) {
  if (log_ != nullptr) {
    log_->Message("Initialization of File Manager...");
  }
  if (baseFolder_.empty()) {
    baseFolder_ = GetExecutableFolder();
  }
  // Names are found without regard to case in the data and in the user's folder, never above them.
  ownFolders_.push_back(GetFullPath(baseFolder_));
  const std::string userFolder = GetUserDataFolder();
  if (!userFolder.empty()) {
    ownFolders_.push_back(userFolder);
  }
  for (const std::string& folder : ownFolders_) {
    platform::win32::AddCaselessFolder(folder);
  }

  std::string executable = executablePath;
  if (executable.empty()) {
    // Host paths may exceed MAX_PATH; a cut path would name another file.
    std::vector<char> buffer(4096);
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    executable.assign(buffer.data(), length < buffer.size() ? length : 0);
  }
  if (!executable.empty()) {
    MountAppendedPack(executable);
  }

  const std::string packPath = packFolder.empty() ? baseFolder_ : files::JoinPath(baseFolder_, packFolder);
  std::vector<std::string> archives;
  ListFilesOnDisk(packPath, "*.pak", archives);
  // Sorted by name, so an entry stored in two packs resolves to the same pack on every machine, whatever
  // order the folder search returns.
  std::sort(archives.begin(), archives.end());
  for (const std::string& archive : archives) {
    Mount(archive, 0, 0);
  }
}

FileManager::~FileManager() {
  for (std::unique_ptr<PackFile>& pack : packs_) {
    pack.reset();
  }
  for (const std::string& folder : ownFolders_) {
    platform::win32::RemoveCaselessFolder(folder);
  }
}

void FileManager::MountAppendedPack(const std::string& executablePath) {
  // Only the 7-byte trailer is read here; the archive itself is opened by PackFile when it is there.
  std::FILE* file = _fsopen(executablePath.c_str(), "rb", _SH_DENYNO);
  if (file == nullptr) {
    return;
  }
  std::uint8_t trailer[7];
  long size = -1;
  bool found = false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    size = std::ftell(file);
  }
  if (size >= 7 && size <= 0xFFFFFFFFl && std::fseek(file, size - 7, SEEK_SET) == 0 &&
      std::fread(trailer, 1, 7, file) == 7) {
    found = std::memcmp(trailer + 4, "APC", 3) == 0;
  }
  std::fclose(file);
  if (!found) {
    return;
  }
  const std::uint64_t length = static_cast<std::uint64_t>(trailer[0]) | (std::uint64_t{trailer[1]} << 8) |
                               (std::uint64_t{trailer[2]} << 16) | (std::uint64_t{trailer[3]} << 24);
  if (length == 0 || length + 7 > static_cast<std::uint64_t>(size)) {
    return;  // a trailer that does not fit the file names no pack
  }
  Mount(executablePath, static_cast<std::uint32_t>(size - 7 - static_cast<long>(length)),
        static_cast<std::uint32_t>(length));
}

void FileManager::Mount(const std::string& path, std::uint32_t startOffset, std::uint32_t expectedLength) {
  try {
    packs_.push_back(std::make_unique<PackFile>(log_, path, startOffset, expectedLength));
  } catch (const Error& error) {
    // A refused archive is skipped; the log and the start-up's error name it and say why.
    packErrors_.push_back("\"" + platform::win32::MapPath(files::BinaryFullPath(path)) +
                          "\": " + error.GetMessage());
    if (log_ != nullptr) {
      log_->Error("Pack file " + packErrors_.back());
    }
  }
}

std::string FileManager::ResolvePath(const std::string& name) const {
  return files::IsDriveForm(name) ? name : files::JoinPath(baseFolder_, name);
}

FileBinary* FileManager::OpenFile(const std::string& name, bool write, bool preload) {
  const std::string full = ResolvePath(name);
  if (write) {
    // The folders are made where FileBinary will open the file (beside the executable for a relative
    // base folder), not under the current folder.
    CreateFolders(files::BinaryFullPath(full));
    return new FileBinary(log_, full, true, preload, false, 0, nullptr);
  }
  std::uint32_t size = 0;
  if (!IsFileOnDisk(full) && FindInPacks(name, &size)) {
    // The entry is read once, into the buffer the file keeps (filled whole: not cleared first).
    auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size > 0 ? size : 1);
    if (size > 0 && !FindInPacks(name, nullptr, buffer.get())) {
      std::memset(buffer.get(), 0, size);  // an unreadable entry reads as zeros, as before
    }
    return new FileBinary(log_, full, std::move(buffer), size);
  }
  return new FileBinary(log_, full, false, preload, false, 0, nullptr);
}

FileBinary* FileManager::OpenFileInParts(const std::string& name) {
  const std::string full = ResolvePath(name);
  if (!IsFileOnDisk(full)) {
    std::string key = StringToLowerCopy(name);
    StringReplaceAll(key, "\\\\", "\\");
    for (const std::unique_ptr<PackFile>& pack : packs_) {
      std::uint32_t size = 0;
      if (!pack->GetFileSize(key, size)) {
        continue;
      }
      // The packs live as long as the manager, which outlives every file it opens.
      const PackFile* source = pack.get();
      MessageManager* log = log_;
      auto fetch = [source, key, log](std::uint32_t offset, std::uint32_t n, void* destination) {
        try {
          return source->ReadPart(key, offset, n, destination);
        } catch (const FileError& error) {
          if (log != nullptr) {
            log->Error(error.GetMessage());
          }
          return std::uint32_t{0};
        }
      };
      return new FileBinary(log_, full, std::move(fetch), size);
    }
  }
  return OpenFile(name, false);
}

bool FileManager::ReplaceFile(const std::string& source, const std::string& target) const {
  // Both names go where FileBinary opens them (beside the executable for a relative base folder).
  const std::string from = files::BinaryFullPath(ResolvePath(source));
  const std::string to = files::BinaryFullPath(ResolvePath(target));
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool FileManager::RemoveFile(const std::string& name) const {
  return DeleteFileA(files::BinaryFullPath(ResolvePath(name)).c_str()) != FALSE;
}

FileTextual* FileManager::OpenTextFile(const std::string& name, bool write, std::uint32_t encoding) {
  FileBinary* file = OpenFile(name, write, false);
  return new FileTextual(log_, file, write, encoding);
}

bool FileManager::FileExists(const std::string& name) const {
  if (IsFileOnDisk(ResolvePath(name))) {
    return true;
  }
  return FindInPacks(name);
}

bool FileManager::FolderExists(const std::string& path) const {
  if (IsFileOnDisk(ResolvePath(path))) {
    return true;
  }
  for (const std::unique_ptr<PackFile>& pack : packs_) {
    if (pack->HasFolder(path)) {
      return true;
    }
  }
  return false;
}

bool FileManager::FindInPacks(const std::string& name, std::uint32_t* size, void* buffer) const {
  std::string key = StringToLowerCopy(name);
  StringReplaceAll(key, "\\\\", "\\");
  for (const std::unique_ptr<PackFile>& pack : packs_) {
    if (!pack->HasFile(key)) {
      continue;
    }
    if (size != nullptr) {
      pack->GetFileSize(key, *size);
    }
    if (buffer != nullptr) {
      pack->ReadFile(key, buffer);
    }
    return true;
  }
  return false;
}

namespace {

// The folder's own prefix as a listing shows it: lower-cased, ending in one backslash.
std::string ListingPrefix(const std::string& folder) {
  std::string prefix = StringToLowerCopy(folder);
  if (prefix.empty() || prefix.back() != '\\') {
    prefix += '\\';
  }
  return prefix;
}

// Disk searches name what they find by the path they searched (absolute below the base folder); pack
// entries are relative. Both are brought to one form, the folder as passed (lower-cased) followed by the
// rest of the name, so an entry or folder present loose and in a pack is listed once. The form opens
// with OpenFile like either of the others (disk first, then the packs).
void MergeListing(const std::string& folder, const std::string& full, std::vector<std::string>& found) {
  const std::string relative = folder.empty() ? std::string() : ListingPrefix(folder);
  const std::string diskForms[] = {ListingPrefix(full), ListingPrefix(FileManager::GetFullPath(full))};
  for (std::string& name : found) {
    for (const std::string& disk : diskForms) {
      if (disk != relative && name.compare(0, disk.size(), disk) == 0) {
        name = relative + name.substr(disk.size());
        break;
      }
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
}

}  // namespace

void FileManager::ListFiles(const std::string& folder, const std::string& mask,
                            std::vector<std::string>& out) const {
  const std::string full = files::HasColon(folder) ? folder : files::JoinPath(baseFolder_, folder);
  std::vector<std::string> found;
  ListFilesOnDisk(full, mask, found);
  for (const std::unique_ptr<PackFile>& pack : packs_) {
    pack->ListFiles(folder, mask, found);
  }
  MergeListing(folder, full, found);
  out = std::move(found);
}

void FileManager::ListFolders(const std::string& folder, std::vector<std::string>& out) const {
  const std::string full = files::HasColon(folder) ? folder : files::JoinPath(baseFolder_, folder);
  std::vector<std::string> found;
  ListFoldersOnDisk(full, found);
  for (const std::unique_ptr<PackFile>& pack : packs_) {
    pack->ListFolders(folder, found);
  }
  MergeListing(folder, full, found);
  out = std::move(found);
}

}  // namespace CorvantisEngine
