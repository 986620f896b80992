#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/core/MessageManager.h"
#include "engine/core/StringUtils.h"
#include "engine/files/FileManager.h"
#include "engine/files/FilePaths.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinShell.h"

namespace CorvantisEngine {

namespace {

std::string AgainstExecutable(const std::string& path) {
  return files::IsDriveForm(path) ? path : files::JoinPath(GetExecutableFolder(), path);
}

// The index just after the last separator: where the last path part starts.
std::size_t LastPartStart(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? 0 : slash + 1;
}

std::size_t ExtensionDot(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return (dot == std::string::npos || dot < LastPartStart(path)) ? std::string::npos : dot;
}

// The host form of a path with symbolic links and "." resolved as far as the path exists.
std::filesystem::path HostCanonical(const std::string& path) {
  std::error_code error;
  std::filesystem::path host = platform::win32::MapPath(path);
  std::filesystem::path canonical = std::filesystem::weakly_canonical(host, error);
  return (error ? host.lexically_normal() : canonical.lexically_normal());
}

// True when `inner` lies strictly below `outer`.
bool IsStrictlyInside(const std::filesystem::path& inner, const std::filesystem::path& outer) {
  if (outer.empty() || !outer.has_relative_path()) {
    return false;  // never the whole file system
  }
  auto i = inner.begin();
  for (auto o = outer.begin(); o != outer.end(); ++o) {
    if (o->empty()) {
      continue;  // a trailing separator
    }
    if (i == inner.end() || *i != *o) {
      return false;
    }
    ++i;
  }
  while (i != inner.end() && i->empty()) {
    ++i;
  }
  return i != inner.end();
}

constexpr std::size_t kMaxFolderDepth = 64;

// Folder links may loop back to a folder being searched: such a folder is not entered again, and the
// depth is bounded as well.
void ListFilesBelow(const std::string& path, const std::string& mask, std::vector<std::string>& out,
                    std::vector<std::filesystem::path>& ancestors) {
  if (ancestors.size() > kMaxFolderDepth) {
    return;
  }
  std::string root = FileManager::GetFullPath(path);
  if (root.empty() || root.back() != '\\') {
    root += '\\';
  }
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(platform::win32::MapPath(root), error);
  if (!error) {
    if (std::find(ancestors.begin(), ancestors.end(), real) != ancestors.end()) {
      return;
    }
    ancestors.push_back(real);
  }
  _finddata_t data;
  const std::intptr_t handle = _findfirst((root + mask).c_str(), &data);
  if (handle == -1) {
    if (!error) {
      ancestors.pop_back();
    }
    return;
  }
  const std::string prefix = (!path.empty() && path.back() == '\\') ? path : path + "\\";
  do {
    const std::string name = data.name;
    if ((data.attrib & _A_SUBDIR) == 0) {
      out.push_back(StringToLowerCopy(prefix + name));
    } else if (name != "." && name != "..") {
      ListFilesBelow(root + name, mask, out, ancestors);
    }
  } while (_findnext(handle, &data) == 0);
  _findclose(handle);
  if (!error) {
    ancestors.pop_back();
  }
}

}  // namespace

bool FileManager::IsFileOnDisk(const std::string& path) {
  return _access(AgainstExecutable(path).c_str(), 0) == 0;
}

std::string FileManager::GetFullPath(const std::string& path) {
  return files::HasColon(path) ? path : files::JoinPath(GetExecutableFolder(), path);
}

void FileManager::CreateFolders(const std::string& path) {
  for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
    if (at > 0) {
      CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
  }
}

bool FileManager::DeleteFolder(const std::string& path) const {
  auto refuse = [&](const char* why) {
    if (log_ != nullptr) {
      log_->Warning("Folder \"" + path + "\" not deleted: " + why);
    }
    return false;
  };
  if (path.empty()) {
    return refuse("empty path");
  }
  if (path.find_first_of("*?") != std::string::npos) {
    return refuse("wildcards");
  }
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) {
      end = path.size();
    }
    if (path.compare(start, end - start, "..") == 0) {
      return refuse("parent folder reference");
    }
    start = end + 1;
  }
  const std::string full = AgainstExecutable(path);
  const std::filesystem::path target = HostCanonical(full);
  if (target.empty() || !target.has_relative_path()) {
    return refuse("root folder");
  }
  const std::string userFolder = GetUserDataFolder();
  const bool inUserFolder = !userFolder.empty() && IsStrictlyInside(target, HostCanonical(userFolder));
  const bool inBaseFolder = IsStrictlyInside(target, HostCanonical(AgainstExecutable(baseFolder_)));
  if (!inUserFolder && !inBaseFolder) {
    return refuse("outside the user and data folders");
  }
  // The name list ends in two zero bytes; it is built to the path's length, whatever that is.
  std::string from = full;
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.pTo = nullptr;
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  operation.lpszProgressTitle = nullptr;
  return SHFileOperationA(&operation) == 0;
}

std::string FileManager::MakeDataPath(const std::string& path) {
  return files::HasColon(path) ? path : "data\\" + path;
}

std::string FileManager::GetFolder(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileManager::GetFileName(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileManager::GetExtension(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool FileManager::HasExtension(const std::string& path, const std::string& extension) {
  return StringToLowerCopy(GetExtension(path)) == StringToLowerCopy(extension);
}

void FileManager::ChangeExtension(std::string& path, const std::string& extension) {
  const std::size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) {
    if (!extension.empty()) {
      path += "." + extension;
    }
    return;
  }
  if (extension.empty()) {
    path.resize(dot);
  } else {
    path.replace(dot + 1, std::string::npos, extension);
  }
}

std::string FileManager::GetUserDataFolder() {
  char buffer[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer) !=
      S_OK) {
    return {};
  }
  return buffer;
}

void FileManager::ListFilesOnDisk(const std::string& path, const std::string& mask,
                                  std::vector<std::string>& out) {
  std::vector<std::filesystem::path> ancestors;
  ListFilesBelow(path, mask, out, ancestors);
}

void FileManager::ListFoldersOnDisk(const std::string& path, std::vector<std::string>& out) {
  std::string root = GetFullPath(path);
  if (root.empty() || root.back() != '\\') {
    root += '\\';
  }
  _finddata_t data;
  const std::intptr_t handle = _findfirst((root + "*.*").c_str(), &data);
  if (handle == -1) {
    return;
  }
  const std::string prefix = (!path.empty() && path.back() == '\\') ? path : path + "\\";
  do {
    const std::string name = data.name;
    if ((data.attrib & _A_SUBDIR) != 0 && name != "." && name != "..") {
      out.push_back(StringToLowerCopy(prefix + name));
    }
  } while (_findnext(handle, &data) == 0);
  _findclose(handle);
}

}  // namespace CorvantisEngine
