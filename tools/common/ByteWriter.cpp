#include "tools/common/ByteWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tools {

namespace {

bool WriteAll(int descriptor, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(descriptor, bytes, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  // A file system that cannot sync folders (EINVAL) keeps its renames as well as it can.
  const bool synced = ::fsync(descriptor) == 0 || errno == EINVAL;
  ::close(descriptor);
  return synced;
}

}  // namespace

bool WriteWholeFile(const std::vector<std::uint8_t>& bytes, const std::string& path) {
  // The process's identifier keeps two runs apart; a name left behind by an earlier process of the
  // same identifier is skipped rather than reused (O_EXCL).
  const std::string stem = path + ".partial-" + std::to_string(::getpid()) + "-";
  std::string temporary;
  int descriptor = -1;
  for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
    temporary = stem + std::to_string(attempt);
    descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0 && errno != EEXIST) {
      return false;
    }
  }
  if (descriptor < 0) {
    return false;
  }
  const bool written = WriteAll(descriptor, bytes.data(), bytes.size()) && ::fsync(descriptor) == 0;
  const bool closed = ::close(descriptor) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return SyncFolderOf(path);
}

}  // namespace tools
