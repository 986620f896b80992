#pragma once
// Path tests shared by the file classes (private to engine/files).
//
// Names are Windows-style with backslash separators. Besides the drive form ("C:..."), a name that
// starts with "/" is absolute too: the executable folder the platform reports on this host is a host
// path. A single leading backslash keeps its Windows meaning (relative to the folder it is joined to).

#include <string>

#include "engine/core/StringUtils.h"

namespace CorvantisEngine::files {

inline bool StartsWithSeparator(const std::string& path) {
  return !path.empty() && path[0] == '/';
}

// The drive form: at least two characters and the second is ':'.
inline bool IsDriveForm(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || StartsWithSeparator(path);
}

// FileBinary's test: the drive form, or two leading backslashes.
inline bool IsAbsoluteForBinary(const std::string& path) {
  return IsDriveForm(path) || path.rfind("\\\\", 0) == 0;
}

// The colon-anywhere test.
inline bool HasColon(const std::string& path) {
  return path.find(':') != std::string::npos || StartsWithSeparator(path);
}

// Joins with exactly one backslash inserted.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

// Where FileBinary opens a name: as it is when absolute by its test, else beside the executable.
inline std::string BinaryFullPath(const std::string& path) {
  return IsAbsoluteForBinary(path) ? path : JoinPath(GetExecutableFolder(), path);
}

// A path as the log shows it: a host path (see above) with every separator written "/", as the host
// writes them; any other name as it is.
inline std::string ShownPath(std::string path) {
  if (StartsWithSeparator(path)) {
    for (char& c : path) {
      c = c == '\\' ? '/' : c;
    }
  }
  return path;
}

}  // namespace CorvantisEngine::files
