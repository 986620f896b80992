#pragma once
// What the framework's tests share: a headless engine over a fresh test folder with a save folder in
// it, little-endian byte builders for hand-made files, and a file-size limit that makes every write
// past it fail.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/core/MessageManager.h"
#include "framework/SaveProblems.h"
#include "tests/support/EngineRig.h"

namespace GameFramework::frameworktest {

// A headless engine whose base folder is a fresh test folder; its "save" subfolder is the save folder,
// inside the per-user folder, where the engine may delete.
class SaveFolderTest : public testing::Test {
 protected:
  SaveFolderTest() {
    ::setenv("XDG_DATA_HOME", rig_.Folder().Root().c_str(), 1);
    SaveProblems::Get().Reset();
    engine_ = &rig_.Start();
  }

  // Save-folder paths: the engine's form, and the host's form relative to the save folder.
  std::string Save() const { return rig_.Folder().Win("save"); }
  std::string Read(const std::string& relative) const { return rig_.Folder().Read("save/" + relative); }
  void Write(const std::string& relative, const std::string& bytes) const {
    rig_.Write("save/" + relative, bytes);
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(rig_.Folder().Host("save/" + relative));
  }
  int CountLogged(std::uint32_t type, const std::string& text) const { return rig_.Log().Count(type, text); }

  testsupport::EngineRig rig_;
  CorvantisEngine::Engine* engine_ = nullptr;
};

// Little-endian pieces of hand-made files.
inline std::string U32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i)
    s[i] = static_cast<char>(v >> (8 * i));
  return s;
}
inline std::string F32(float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  return U32(v);
}
inline std::string U8(std::uint8_t v) {
  return std::string(1, static_cast<char>(v));
}
// One-byte count (length + 1), UTF-16LE units, terminating unit.
inline std::string WStr(const std::wstring& text) {
  std::string s = U8(static_cast<std::uint8_t>(text.size() + 1));
  for (wchar_t c : text) {
    s.push_back(static_cast<char>(c & 0xFF));
    s.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  s.append(2, '\0');
  return s;
}
// The 13-byte header for a body.
inline std::string WithHeader(const std::string& magic, std::uint32_t version, const std::string& body) {
  return U32(static_cast<std::uint32_t>(13 + body.size())) + magic + U32(version) + body;
}

// While it lives, no file of this process may grow past `bytes` (writes beyond fail with EFBIG instead
// of raising SIGXFSZ); works for root too, unlike file permissions.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  sighandler_t oldHandler_;
};

}  // namespace GameFramework::frameworktest
