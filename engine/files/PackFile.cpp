#include "engine/files/PackFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/core/Error.h"
#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileBinary.h"
#include "engine/files/FilePaths.h"
#include "platform/win32/WinFileHandles.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinThreads.h"

namespace CorvantisEngine {

namespace {

const char kFormatError[] = "Incorrect pack file format";

std::uint32_t LittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Seek takes a signed 32-bit offset; positions beyond 2 GiB are reached in steps.
void SeekTo(FileBinary& file, std::uint32_t position) {
  constexpr std::uint32_t kStep = 0x7FFFFFFF;
  std::uint32_t step = position < kStep ? position : kStep;
  file.Seek(FileBinary::kFromStart, static_cast<std::int32_t>(step));
  for (std::uint32_t done = step; done < position; done += step) {
    step = position - done < kStep ? position - done : kStep;
    file.Seek(FileBinary::kFromCurrent, static_cast<std::int32_t>(step));
  }
}

}  // namespace

PackFile::PackFile(MessageManager* log, const std::string& name, std::uint32_t startOffset,
                   std::uint32_t expectedLength)
    : log_(log), fileName_(name), startOffset_(startOffset) {
  if (log_ != nullptr) {
    log_->Message("...Pack file " + files::ShownPath(name) + " found...");
  }
  // A pipe or a device would block or never end: only a regular file is read as an archive.
  std::error_code error;
  const std::filesystem::file_status status =
      std::filesystem::status(platform::win32::MapPath(files::BinaryFullPath(name)), error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw FileError("Not a regular file");
  }
  file_ = std::make_unique<FileBinary>(log, name, false, false, false, 0, nullptr);
  ReadDirectory(name, expectedLength);
  if (!file_->IsInMemory()) {
    file_.reset();
    HANDLE handle = CreateFileA(files::BinaryFullPath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      throw FileError("Failed to open \"" + name + "\" file");
    }
    handle_ = handle;
  }
}

PackFile::PackFile(MessageManager* log, const std::string& name, std::span<const std::uint8_t> bytes)
    : log_(log), fileName_(name), startOffset_(0) {
  if (log_ != nullptr) {
    log_->Message("...Pack file " + files::ShownPath(name) + " found...");
  }
  file_ = std::make_unique<FileBinary>(log, name, false, false, true,
                                       static_cast<std::uint32_t>(bytes.size()), bytes.data());
  ReadDirectory(name, 0);
}

PackFile::~PackFile() {
  Close();
}

void PackFile::Close() {
  file_.reset();
  if (handle_ != nullptr) {
    CloseHandle(handle_);
    handle_ = nullptr;
  }
  directory_.clear();
}

void PackFile::ReadDirectory(const std::string& name, std::uint32_t expectedLength) {
  FileBinary& file = *file_;
  const std::uint64_t fileSize = file.GetSize();
  if (startOffset_ >= fileSize) {
    // No header fits there: the short read it would be.
    throw FileError("Failed to read 13 bytes from \"" + file.GetName() + "\" file");
  }
  SeekTo(file, startOffset_);
  std::uint8_t header[13];
  file.Read(header, sizeof(header));

  const std::uint32_t totalLength = LittleEndian(header);
  const std::uint64_t available = fileSize - startOffset_;
  const std::uint64_t expected = expectedLength != 0 ? expectedLength : available;
  if (std::memcmp(header + 4, "QXPAK", 5) != 0 || totalLength != expected || totalLength > available ||
      totalLength < kHeaderSize) {
    throw FileError(kFormatError);
  }
  const std::uint32_t version = LittleEndian(header + 9);
  if (version != kVersion) {
    throw FileError("Incorrect pack file version, current is " + UIntToString(kVersion));
  }

  std::uint32_t count;
  file.ReadUInt(count);
  if (log_ != nullptr) {
    log_->Message("......It contains " + UIntToString(count) + " files...");
  }
  // Every entry takes at least its count byte and its 8-byte record: a count the pack cannot hold is
  // refused before anything is allocated for it.
  const std::uint64_t room = totalLength - std::uint64_t{kHeaderSize};
  if (std::uint64_t{count} * 9u > room) {
    throw FileError(kFormatError);
  }

  names_.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string entryName;
    file.ReadString(entryName);
    StringToLower(entryName);
    names_.push_back(std::move(entryName));
  }
  const std::uint64_t directoryEnd =
      std::uint64_t{file.GetPosition()} - startOffset_ + std::uint64_t{count} * 8u;
  if (directoryEnd > totalLength) {
    throw FileError(kFormatError);
  }
  std::vector<std::uint8_t> records(static_cast<std::size_t>(count) * 8u);
  if (count > 0) {
    file.Read(records.data(), static_cast<std::uint32_t>(records.size()));
  }

  for (std::uint32_t i = 0; i < count; ++i) {
    const Entry entry{LittleEndian(&records[8u * i]), LittleEndian(&records[8u * i + 4])};
    if (std::uint64_t{entry.offset} + entry.size > totalLength) {
      throw FileError(kFormatError);
    }
    directory_.emplace(names_[i], entry);
    const std::size_t slash = names_[i].rfind('\\');
    if (slash != std::string::npos) {
      ++folderTable_[names_[i].substr(0, slash)];
    }
  }
  folders_.reserve(folderTable_.size());
  for (const auto& [folder, entries] : folderTable_) {
    folders_.push_back(folder);
  }
}

bool PackFile::HasFile(const std::string& name) const {
  return directory_.count(StringToLowerCopy(name)) != 0;
}

bool PackFile::GetFileSize(const std::string& name, std::uint32_t& size) const {
  auto it = directory_.find(StringToLowerCopy(name));
  if (it == directory_.end()) {
    return false;
  }
  size = it->second.size;
  return true;
}

// The directory checked every entry against the archive's bounds, so an entry lies inside the file
// the archive was read from; a file that shrank since is a read error.
bool PackFile::ReadFile(const std::string& name, void* destination) const {
  auto it = directory_.find(StringToLowerCopy(name));
  if (it == directory_.end() || (!file_ && handle_ == nullptr)) {
    return false;
  }
  const std::uint64_t at = std::uint64_t{startOffset_} + it->second.offset;
  const std::uint32_t size = it->second.size;
  if (size == 0) {
    return true;
  }
  if (file_) {
    std::memcpy(destination, file_->GetMemory() + at, size);
    return true;
  }
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(at);
  where.OffsetHigh = static_cast<DWORD>(at >> 32);
  DWORD read = 0;
  if (!::ReadFile(handle_, destination, size, &read, &where) || read != size) {
    throw FileError("Failed to read " + UIntToString(size) + " bytes from \"" + fileName_ + "\" file");
  }
  return true;
}

std::uint32_t PackFile::ReadPart(const std::string& name, std::uint32_t offset, std::uint32_t bytes,
                                 void* destination) const {
  auto it = directory_.find(StringToLowerCopy(name));
  if (it == directory_.end() || (!file_ && handle_ == nullptr) || offset >= it->second.size) {
    return 0;
  }
  const std::uint32_t count = std::min(bytes, it->second.size - offset);
  if (count == 0) {
    return 0;
  }
  const std::uint64_t at = std::uint64_t{startOffset_} + it->second.offset + offset;
  if (file_) {
    std::memcpy(destination, file_->GetMemory() + at, count);
    return count;
  }
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(at);
  where.OffsetHigh = static_cast<DWORD>(at >> 32);
  DWORD read = 0;
  if (!::ReadFile(handle_, destination, count, &read, &where) || read != count) {
    throw FileError("Failed to read " + UIntToString(count) + " bytes from \"" + fileName_ + "\" file");
  }
  return count;
}

bool PackFile::HasFolder(const std::string& path) const {
  const std::string key = StringToLowerCopy(path);
  for (const std::string& folder : folders_) {
    if (folder.find(key) != std::string::npos) {
      return true;
    }
  }
  return false;
}

void PackFile::ListFolders(const std::string& folder, std::vector<std::string>& out) const {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') {
    prefix += '\\';
  }
  StringToLower(prefix);
  for (auto it = directory_.lower_bound(prefix); it != directory_.end(); ++it) {
    const std::string& entry = it->first;
    if (entry.compare(0, prefix.size(), prefix) != 0) {
      break;
    }
    const std::string rest = entry.substr(prefix.size());
    const std::size_t k = rest.find('\\');
    if (k != std::string::npos && rest.find('\\', k + 1) == std::string::npos) {
      out.push_back(prefix + rest.substr(0, k));
    }
  }
}

void PackFile::ListFiles(const std::string& folder, const std::string& mask,
                         std::vector<std::string>& out) const {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') {
    prefix += '\\';
  }
  StringToLower(prefix);
  std::string m = StringToLowerCopy(mask);
  for (char wildcard : {'*', '?'}) {
    for (std::size_t at = m.find(wildcard); at != std::string::npos; at = m.find(wildcard)) {
      if (at == 0) {
        m.erase(0, 1);
      } else {
        m.resize(at);
      }
    }
  }
  for (const std::string& name : names_) {
    if (name.compare(0, prefix.size(), prefix) != 0) {
      continue;
    }
    if (m.empty() || name.find(m, prefix.size()) != std::string::npos) {
      out.push_back(name);
    }
  }
}

}  // namespace CorvantisEngine
