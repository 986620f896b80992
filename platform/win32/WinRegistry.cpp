// Registry reads over the machine-wide and per-user text files.
#include "platform/win32/WinRegistry.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

namespace {

struct Value {
  DWORD type = REG_SZ;
  std::string text;  // REG_SZ
  DWORD number = 0;  // REG_DWORD
};

struct OpenKey {
  HKEY root;
  std::string path;  // normalised
};

struct KeyTable {
  std::mutex mutex;
  std::map<HKEY, OpenKey> keys;
  std::uintptr_t lastHandle = 0x7E000000;
};

KeyTable& Table() {
  static KeyTable table;
  return table;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Lower case, "/" as "\", no leading, trailing or doubled separators.
std::string NormalisePath(std::string_view path) {
  std::string out;
  for (char c : path) {
    if (c == '/')
      c = '\\';
    if (c == '\\' && (out.empty() || out.back() == '\\'))
      continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  while (!out.empty() && out.back() == '\\')
    out.pop_back();
  return out;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos)
    return "";
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

std::string FileOfRoot(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE)
    return platform::MachineRegistryPath();
  if (root == HKEY_CURRENT_USER)
    return platform::UserRegistryPath();
  return "";
}

using Sections = std::map<std::string, std::map<std::string, Value>>;

Sections ReadFile(const std::string& path) {
  Sections sections;
  if (path.empty())
    return sections;
  std::ifstream in(path);
  std::string line;
  std::map<std::string, Value>* current = nullptr;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#')
      continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      if (close == std::string::npos) {
        current = nullptr;
        continue;
      }
      current = &sections[NormalisePath(line.substr(1, close - 1))];
      continue;
    }
    size_t equals = line.find('=');
    if (!current || equals == std::string::npos)
      continue;
    std::string name = Lower(Trim(line.substr(0, equals)));
    if (name == "@")
      name.clear();
    std::string data = Trim(line.substr(equals + 1));
    Value value;
    if (Lower(data.substr(0, 6)) == "dword:") {
      char* end = nullptr;
      unsigned long number = std::strtoul(data.c_str() + 6, &end, 16);
      if (end == data.c_str() + 6 || *end != '\0' || number > 0xFFFFFFFFul)
        continue;
      value.type = REG_DWORD;
      value.number = static_cast<DWORD>(number);
    } else {
      value.text = data;
    }
    (*current)[name] = value;
  }
  return sections;
}

bool KeyExists(const Sections& sections, const std::string& path) {
  if (path.empty())
    return true;
  for (const auto& [section, values] : sections) {
    if (section == path || (section.size() > path.size() && section.compare(0, path.size(), path) == 0 &&
                            section[path.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

bool IsRoot(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
}

// The root and path behind a handle: a root itself or an open key.
std::optional<OpenKey> Resolve(HKEY key) {
  if (IsRoot(key))
    return OpenKey{key, ""};
  KeyTable& t = Table();
  std::lock_guard lock(t.mutex);
  auto it = t.keys.find(key);
  if (it == t.keys.end())
    return std::nullopt;
  return it->second;
}

}  // namespace

namespace platform {

std::string MachineRegistryPath() {
  std::string dirs = Env("XDG_CONFIG_DIRS");
  std::string first = dirs.substr(0, dirs.find(':'));
  if (first.empty())
    first = "/etc/xdg";
  return first + "/corvantis/registry.ini";
}

std::string UserRegistryPath() {
  std::string home = Env("XDG_CONFIG_HOME");
  if (home.empty()) {
    std::string user = Env("HOME");
    if (user.empty())
      return "";
    home = user + "/.config";
  }
  return home + "/corvantis/registry.ini";
}

}  // namespace platform

LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  if (!result)
    return ERROR_INVALID_PARAMETER;
  auto base = Resolve(key);
  if (!base)
    return ERROR_INVALID_HANDLE;
  std::string path = base->path;
  std::string below = NormalisePath(subKey ? subKey : "");
  if (!below.empty())
    path = path.empty() ? below : path + "\\" + below;
  if (!KeyExists(ReadFile(FileOfRoot(base->root)), path) || FileOfRoot(base->root).empty()) {
    return ERROR_FILE_NOT_FOUND;
  }
  KeyTable& t = Table();
  std::lock_guard lock(t.mutex);
  t.lastHandle += 4;
  auto handle = reinterpret_cast<HKEY>(t.lastHandle);
  t.keys[handle] = OpenKey{base->root, path};
  *result = handle;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  auto open = Resolve(key);
  if (!open)
    return ERROR_INVALID_HANDLE;
  if (data && !dataSize)
    return ERROR_INVALID_PARAMETER;
  Sections sections = ReadFile(FileOfRoot(open->root));
  auto section = sections.find(open->path);
  if (section == sections.end())
    return ERROR_FILE_NOT_FOUND;
  auto found = section->second.find(Lower(valueName ? valueName : ""));
  if (found == section->second.end())
    return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  DWORD needed = value.type == REG_SZ ? static_cast<DWORD>(value.text.size() + 1) : DWORD{4};
  if (type)
    *type = value.type;
  if (!data) {
    if (dataSize)
      *dataSize = needed;
    return ERROR_SUCCESS;
  }
  if (*dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  if (value.type == REG_SZ) {
    std::memcpy(data, value.text.c_str(), needed);
  } else {
    for (int i = 0; i < 4; ++i)
      data[i] = static_cast<BYTE>(value.number >> (8 * i));
  }
  *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (IsRoot(key))
    return ERROR_SUCCESS;
  KeyTable& t = Table();
  std::lock_guard lock(t.mutex);
  return t.keys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
