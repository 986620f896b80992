#include "platform/win32/WinFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform::win32 {
namespace {

bool IsDriveForm(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) {
    return name;
  }
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Folder listings kept for names that are looked up again and again (every file probed on disk before
// the packs walks the same folders, every new save looks in its folder), so that a folder is read once.
// A listing is used only while the folder is the same one with the same modification time. It is kept
// when that time lies further in the past than the file system's timestamp resolution, so that a
// change made by others after the listing can never carry the same time and be hidden by it, or when
// the folder's last change was this program's own (a file or folder made, renamed or deleted through
// this layer).
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  std::shared_ptr<const std::vector<std::string>> names;
};

// The folders this program has changed, with their modification times just after the change.
struct OwnChanges {
  std::mutex mutex;
  std::unordered_map<std::string, timespec> folders;
};

OwnChanges& Changes() {
  static OwnChanges changes;
  return changes;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The folder holding a host path ("." for a bare name, "/" for a name in the root).
std::string ParentFolder(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') {
    trimmed.pop_back();
  }
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : trimmed.substr(0, slash);
}

// Records that this program has just changed an entry of the folder holding `path`.
void NoteOwnChange(const std::string& path) {
  constexpr std::size_t kMaxFolders = 1024;
  const std::string folder = ParentFolder(path);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) {
    return;
  }
  OwnChanges& changes = Changes();
  std::lock_guard lock(changes.mutex);
  if (changes.folders.size() >= kMaxFolders) {
    changes.folders.clear();
  }
  changes.folders[folder] = st.st_mtim;
}

bool ChangedLastByThisProgram(const std::string& folder, const struct stat& st) {
  OwnChanges& changes = Changes();
  std::lock_guard lock(changes.mutex);
  auto it = changes.folders.find(folder);
  return it != changes.folders.end() && SameTime(it->second, st.st_mtim);
}

struct ListingCache {
  std::mutex mutex;
  std::unordered_map<std::string, Listing> folders;
};

ListingCache& Listings() {
  static ListingCache cache;
  return cache;
}

bool SameFolder(const Listing& listing, const struct stat& st) {
  return listing.device == st.st_dev && listing.inode == st.st_ino &&
         listing.modified.tv_sec == st.st_mtim.tv_sec && listing.modified.tv_nsec == st.st_mtim.tv_nsec;
}

// True when a folder last changed at `modified` can be listed at `now` without a later change being
// stamped with the same time. File systems that keep fractions of a second stamp a change with a
// clock that runs at most a few milliseconds behind; those that keep whole seconds (or coarser) need
// seconds to pass.
bool Settled(const timespec& modified, const timespec& now) {
  constexpr long long kFineMargin = 50'000'000;       // nanoseconds
  constexpr long long kCoarseMargin = 3'000'000'000;  // nanoseconds
  const long long age = (static_cast<long long>(now.tv_sec) - modified.tv_sec) * 1'000'000'000 +
                        (now.tv_nsec - modified.tv_nsec);
  return age > (modified.tv_nsec != 0 ? kFineMargin : kCoarseMargin);
}

// The names in `folder` (its entries as read now, or as kept while the folder is unchanged).
std::shared_ptr<const std::vector<std::string>> FolderNames(const std::string& folder) {
  constexpr std::size_t kMaxFolders = 1024;
  const std::string path = folder.empty() ? "." : folder;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return nullptr;
  }
  ListingCache& cache = Listings();
  {
    std::lock_guard lock(cache.mutex);
    auto it = cache.folders.find(path);
    if (it != cache.folders.end() && SameFolder(it->second, st)) {
      return it->second.names;
    }
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) {
    return nullptr;
  }
  auto names = std::make_shared<std::vector<std::string>>();
  while (dirent* entry = ::readdir(dir)) {
    names->emplace_back(entry->d_name);
  }
  ::closedir(dir);
  if (Settled(st.st_mtim, now) || ChangedLastByThisProgram(path, st)) {
    Listing listing;
    listing.names = names;
    listing.device = st.st_dev;
    listing.inode = st.st_ino;
    listing.modified = st.st_mtim;
    std::lock_guard lock(cache.mutex);
    if (cache.folders.size() >= kMaxFolders) {
      cache.folders.clear();
    }
    cache.folders[path] = std::move(listing);
  }
  return names;
}

// The entries of `folder` whose names equal `name` without regard to case but differ from it.
std::vector<std::string> CaseVariants(const std::string& folder, const std::string& name) {
  std::vector<std::string> found;
  const std::shared_ptr<const std::vector<std::string>> names = FolderNames(folder);
  if (names == nullptr) {
    return found;
  }
  for (const std::string& entry : *names) {
    if (::strcasecmp(entry.c_str(), name.c_str()) == 0 && name != entry) {
      found.push_back(entry);
    }
  }
  return found;
}

// Finds an existing path whose components equal parts[i...] without regard to case. Several folders
// may differ only by case ("Data" and "data"): the exact name is tried first (without reading the
// folder), then each variant in turn.
bool FindExisting(const std::string& prefix, const std::vector<std::string>& parts, std::size_t i,
                  std::string& out) {
  if (i == parts.size()) {
    out = prefix;
    return true;
  }
  const std::string exact = Join(prefix, parts[i]);
  if ((parts[i] == "." || parts[i] == "..") || Exists(exact)) {
    if (FindExisting(exact, parts, i + 1, out)) {
      return true;
    }
    if (parts[i] == "." || parts[i] == "..") {
      return false;
    }
  }
  for (const std::string& candidate : CaseVariants(prefix, parts[i])) {
    if (FindExisting(Join(prefix, candidate), parts, i + 1, out)) {
      return true;
    }
  }
  return false;
}

struct VariantCache {
  std::mutex mutex;
  std::unordered_map<std::string, std::string> paths;
};

VariantCache& Variants() {
  static VariantCache cache;
  return cache;
}

// The host path found earlier for a path written in other case, when it still exists; else empty.
std::string CachedVariant(const std::string& key) {
  VariantCache& cache = Variants();
  std::string found;
  {
    std::lock_guard lock(cache.mutex);
    auto it = cache.paths.find(key);
    if (it == cache.paths.end()) {
      return {};
    }
    found = it->second;
  }
  return Exists(found) ? found : std::string();
}

void RememberVariant(const std::string& key, const std::string& path) {
  constexpr std::size_t kMaxEntries = 4096;
  VariantCache& cache = Variants();
  std::lock_guard lock(cache.mutex);
  if (cache.paths.size() >= kMaxEntries) {
    cache.paths.clear();
  }
  cache.paths[key] = path;
}

// The entry of `folder` whose name equals `name` without regard to case; empty when there is none.
std::string FindCaseless(const std::string& folder, const std::string& name) {
  std::vector<std::string> found = CaseVariants(folder, name);
  return found.empty() ? std::string() : found.front();
}

// The components of a Windows-style or host path, with "\" and "/" both separators.
std::vector<std::string> SplitParts(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("/\\", start);
    if (end == std::string::npos) {
      end = text.size();
    }
    if (end > start) {
      parts.emplace_back(text.substr(start, end - start));
    }
    start = end + 1;
  }
  return parts;
}

// The program's own folders, as the components of their absolute host paths (one entry per
// registration).
struct CaselessFolders {
  std::mutex mutex;
  std::vector<std::vector<std::string>> folders;
};

CaselessFolders& Caseless() {
  static CaselessFolders registry;
  return registry;
}

std::vector<std::string> HostParts(std::string_view windowsPath) {
  std::string text(windowsPath);
  if (IsDriveForm(text)) {
    text.erase(0, 2);
  }
  return SplitParts(text);
}

constexpr std::size_t kOutsideFolders = static_cast<std::size_t>(-1);

bool SameWithoutCase(const std::string& a, const std::string& b) {
  return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// How many leading components of an absolute path name a registered folder (the deepest that holds
// the path, its name matched without regard to case, as lower-cased listings give it); `folder` gets
// that folder's components as registered. None with no folder registered; kOutsideFolders when the
// path lies outside every registered folder.
std::size_t FixedParts(const std::vector<std::string>& parts, std::vector<std::string>& folder) {
  CaselessFolders& registry = Caseless();
  std::lock_guard lock(registry.mutex);
  if (registry.folders.empty()) {
    return 0;
  }
  std::size_t fixed = kOutsideFolders;
  for (const std::vector<std::string>& own : registry.folders) {
    if (own.size() <= parts.size() && std::equal(own.begin(), own.end(), parts.begin(), SameWithoutCase) &&
        (fixed == kOutsideFolders || own.size() > fixed)) {
      fixed = own.size();
      folder = own;
    }
  }
  return fixed;
}

}  // namespace

void AddCaselessFolder(std::string_view windowsPath) {
  std::vector<std::string> parts = HostParts(windowsPath);
  CaselessFolders& registry = Caseless();
  std::lock_guard lock(registry.mutex);
  registry.folders.push_back(std::move(parts));
}

void RemoveCaselessFolder(std::string_view windowsPath) {
  const std::vector<std::string> parts = HostParts(windowsPath);
  CaselessFolders& registry = Caseless();
  std::lock_guard lock(registry.mutex);
  auto it = std::find(registry.folders.begin(), registry.folders.end(), parts);
  if (it != registry.folders.end()) {
    registry.folders.erase(it);
  }
}

std::string MapPath(std::string_view windowsPath) {
  std::string text(windowsPath);
  for (char& c : text) {
    if (c == '\\') {
      c = '/';
    }
  }
  bool absolute = false;
  if (IsDriveForm(text)) {
    text.erase(0, 2);
    absolute = true;
  }
  if (!text.empty() && text[0] == '/') {
    absolute = true;
  }
  const bool trailing = !text.empty() && text.back() == '/';

  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('/', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    if (end > start) {
      parts.emplace_back(text.substr(start, end - start));
    }
    start = end + 1;
  }

  std::string result = absolute ? "/" : "";
  auto join = [&](const std::string& part) {
    if (!result.empty() && result.back() != '/') {
      result += '/';
    }
    result += part;
  };
  for (const std::string& part : parts) {
    join(part);
  }
  if (trailing && !result.empty() && result.back() != '/') {
    result += '/';
  }
  if (parts.empty() || Exists(result)) {
    return result;
  }
  // The program's own folders are searched without regard to case, never the folders above them.
  std::vector<std::string> own;
  const std::size_t fixed = absolute ? FixedParts(parts, own) : 0;
  if (fixed == kOutsideFolders) {
    return result;
  }
  // The registered folder is spelt as it was registered, whatever the case of the name asked for.
  std::string ownFolder = absolute ? "/" : "";
  for (std::size_t i = 0; i < fixed; ++i) {
    ownFolder = Join(ownFolder, own[i]);
  }
  if (fixed == parts.size()) {
    return trailing && !ownFolder.empty() && ownFolder.back() != '/' ? ownFolder + "/" : ownFolder;
  }

  // Some component is absent under its exact name: look for the path whose names differ only by case.
  // Earlier answers are kept (and checked to still exist), since the same lower-cased names from
  // folder listings are opened again and again.
  const std::string key = result;
  std::string existing = CachedVariant(key);
  if (existing.empty() && FindExisting(ownFolder, parts, fixed, existing)) {
    RememberVariant(key, existing);
  }
  if (!existing.empty()) {
    if (trailing && existing.back() != '/') {
      existing += '/';
    }
    return existing;
  }
  // Nothing matches as a whole (a file about to be created): resolve the folders that exist and keep
  // the rest as given.
  result = ownFolder;
  bool resolving = true;
  for (std::size_t i = fixed; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string folder = result;
    join(part);
    if (!resolving || part == "." || part == ".." || Exists(result)) {
      continue;
    }
    std::string match = FindCaseless(folder, part);
    if (match.empty()) {
      resolving = false;  // nothing below a missing folder can exist
      continue;
    }
    result.resize(result.size() - part.size());
    result += match;
  }
  if (trailing && !result.empty() && result.back() != '/') {
    result += '/';
  }
  return result;
}

std::string ToWindowsPath(std::string_view hostPath) {
  std::string result;
  if (!hostPath.empty() && hostPath[0] == '/') {
    result = "Z:";
  }
  for (char c : hostPath) {
    result += (c == '/') ? '\\' : c;
  }
  return result;
}

namespace {

struct Search {
  std::vector<_finddata_t> matches;
  std::size_t next = 0;
};

struct SearchTable {
  std::mutex mutex;
  std::map<std::intptr_t, Search> searches;
  std::intptr_t nextHandle = 1;
};

SearchTable& Searches() {
  static SearchTable table;
  return table;
}

bool MatchesMask(const std::string& mask, const char* name) {
  // "*.*" and "*" match every name, also names without a dot.
  if (mask == "*.*" || mask == "*") {
    return true;
  }
  return ::fnmatch(mask.c_str(), name, FNM_CASEFOLD | FNM_NOESCAPE) == 0;
}

}  // namespace
}  // namespace platform::win32

int _access(const char* path, int mode) {
  if (path == nullptr || *path == '\0') {
    errno = ENOENT;
    return -1;
  }
  int flags = F_OK;
  if (mode & 2) {
    flags |= W_OK;
  }
  if (mode & 4) {
    flags |= R_OK;
  }
  return ::access(platform::win32::MapPath(path).c_str(), flags) == 0 ? 0 : -1;
}

std::intptr_t _findfirst(const char* pattern, _finddata_t* data) {
  using namespace platform::win32;
  if (pattern == nullptr || data == nullptr) {
    return -1;
  }
  std::string text(pattern);
  std::size_t cut = text.find_last_of("\\/");
  std::string folder = (cut == std::string::npos) ? "" : text.substr(0, cut + 1);
  std::string mask = (cut == std::string::npos) ? text : text.substr(cut + 1);
  if (mask.empty()) {
    return -1;
  }
  if (folder.empty() && IsDriveForm(mask)) {
    folder = mask.substr(0, 2) + "\\";
    mask.erase(0, 2);
  }
  std::string hostFolder = folder.empty() ? "." : MapPath(folder);
  DIR* dir = ::opendir(hostFolder.c_str());
  if (dir == nullptr) {
    return -1;
  }
  Search search;
  while (dirent* entry = ::readdir(dir)) {
    if (!MatchesMask(mask, entry->d_name)) {
      continue;
    }
    std::string full = hostFolder;
    if (full.back() != '/') {
      full += '/';
    }
    full += entry->d_name;
    struct stat st;
    if (::stat(full.c_str(), &st) != 0) {
      continue;  // a dangling link
    }
    _finddata_t found{};
    found.attrib = S_ISDIR(st.st_mode) ? _A_SUBDIR : _A_ARCH;
    if (entry->d_name[0] == '.' && std::strcmp(entry->d_name, ".") != 0 &&
        std::strcmp(entry->d_name, "..") != 0) {
      found.attrib |= _A_HIDDEN;
    }
    if (::access(full.c_str(), W_OK) != 0) {
      found.attrib |= _A_RDONLY;
    }
    found.time_create = st.st_ctime;
    found.time_access = st.st_atime;
    found.time_write = st.st_mtime;
    found.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint32_t>(st.st_size);
    std::strncpy(found.name, entry->d_name, MAX_PATH - 1);
    search.matches.push_back(found);
  }
  ::closedir(dir);
  if (search.matches.empty()) {
    errno = ENOENT;
    return -1;
  }
  *data = search.matches[0];
  search.next = 1;
  SearchTable& table = Searches();
  std::lock_guard lock(table.mutex);
  std::intptr_t handle = table.nextHandle++;
  table.searches.emplace(handle, std::move(search));
  return handle;
}

int _findnext(std::intptr_t handle, _finddata_t* data) {
  using namespace platform::win32;
  SearchTable& table = Searches();
  std::lock_guard lock(table.mutex);
  auto it = table.searches.find(handle);
  if (it == table.searches.end() || data == nullptr) {
    errno = EINVAL;
    return -1;
  }
  Search& search = it->second;
  if (search.next >= search.matches.size()) {
    errno = ENOENT;
    return -1;
  }
  *data = search.matches[search.next++];
  return 0;
}

int _findclose(std::intptr_t handle) {
  using namespace platform::win32;
  SearchTable& table = Searches();
  std::lock_guard lock(table.mutex);
  return table.searches.erase(handle) == 1 ? 0 : -1;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  if (path == nullptr || *path == '\0') {
    return FALSE;
  }
  std::string host = platform::win32::MapPath(path);
  if (::mkdir(host.c_str(), 0777) != 0) {
    return FALSE;
  }
  platform::win32::NoteOwnChange(host);
  return TRUE;
}

std::FILE* _fsopen(const char* path, const char* mode, int) {
  if (path == nullptr || mode == nullptr || *path == '\0') {
    errno = ENOENT;
    return nullptr;
  }
  std::string host = platform::win32::MapPath(path);
  struct stat st;
  if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EACCES;  // Windows refuses to open a folder as a file
    return nullptr;
  }
  std::string hostMode;
  for (const char* m = mode; *m != '\0'; ++m) {
    if (*m != 't') {
      hostMode += *m;
    }
  }
  const bool creates = hostMode.find_first_of("wa") != std::string::npos && ::lstat(host.c_str(), &st) != 0;
  std::FILE* file = std::fopen(host.c_str(), hostMode.c_str());
  if (file != nullptr && creates) {
    platform::win32::NoteOwnChange(host);
  }
  return file;
}

int _fileno(std::FILE* stream) {
  return stream == nullptr ? -1 : ::fileno(stream);
}

int _commit(int descriptor) {
  return descriptor >= 0 && ::fsync(descriptor) == 0 ? 0 : -1;
}

BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (existingName == nullptr || newName == nullptr || *existingName == '\0' || *newName == '\0') {
    return FALSE;
  }
  const std::string from = platform::win32::MapPath(existingName);
  const std::string to = platform::win32::MapPath(newName);
  struct stat st;
  if ((flags & MOVEFILE_REPLACE_EXISTING) == 0 && ::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return FALSE;
  }
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    return FALSE;
  }
  platform::win32::NoteOwnChange(from);
  platform::win32::NoteOwnChange(to);
  if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
    // The rename lives in the folder: syncing the folder makes it durable.
    const std::size_t slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : to.substr(0, slash));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
      return FALSE;
    }
    // A file system that cannot sync folders (EINVAL) keeps its renames as well as it can.
    const bool synced = ::fsync(descriptor) == 0 || errno == EINVAL;
    ::close(descriptor);
    return synced ? TRUE : FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR name) {
  if (name == nullptr || *name == '\0') {
    return FALSE;
  }
  const std::string host = platform::win32::MapPath(name);
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    return FALSE;
  }
  if (::unlink(host.c_str()) != 0) {
    return FALSE;
  }
  platform::win32::NoteOwnChange(host);
  return TRUE;
}
