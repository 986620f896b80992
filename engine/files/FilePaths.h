#pragma once
// Path tests shared by the file classes (private to engine/files).
//
// Names are Windows-style with backslash separators. Besides the drive form ("C:..."), a name that
// starts with a separator is absolute too: the executable and per-user folders the platform reports
// on this host begin with "/".

#include <string>

namespace CorvantisEngine::files {

inline bool StartsWithSeparator(const std::string& path) {
  return !path.empty() && (path[0] == '/' || path[0] == '\\');
}

// The drive form: at least two characters and the second is ':'.
inline bool IsDriveForm(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || StartsWithSeparator(path);
}

// The colon-anywhere test.
inline bool HasColon(const std::string& path) {
  return path.find(':') != std::string::npos || StartsWithSeparator(path);
}

// Joins with exactly one backslash inserted.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

}  // namespace CorvantisEngine::files
