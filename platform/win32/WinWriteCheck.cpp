#include "platform/win32/WinWriteCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/win32/WinFiles.h"

namespace platform::win32 {

namespace {

// The first part of the path that exists but is no folder, or an empty text.
std::string FindBlockingFile(const std::string& hostFolder) {
  std::filesystem::path walked;
  for (const std::filesystem::path& part : std::filesystem::path(hostFolder)) {
    walked /= part;
    struct stat status {};
    if (::stat(walked.c_str(), &status) != 0) {
      return {};
    }
    if (!S_ISDIR(status.st_mode)) {
      return walked.string();
    }
  }
  return {};
}

std::string Describe(int error, const std::string& hostFolder) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return "the disk is full";
    case EROFS:
      return "the disk is read-only";
    case EACCES:
    case EPERM:
      return "the folder may not be written to";
    case ENOTDIR:
    case EEXIST: {
      const std::string file = FindBlockingFile(hostFolder);
      if (!file.empty()) {
        return "\"" + file + "\" is a file, not a folder";
      }
      break;
    }
    default:
      break;
  }
  std::string text = std::strerror(error);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && (text.size() < 2 || text[1] > 'Z')) {
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string FindWriteProblem(std::string_view windowsFolder) {
  const std::string host = MapPath(windowsFolder);
  if (host.empty()) {
    return "the folder has no name";
  }
  std::error_code made;
  std::filesystem::create_directories(host, made);
  if (made) {
    return Describe(made.value(), host);
  }
  const std::string probe = host + "/.write-check-" + std::to_string(::getpid());
  const int descriptor = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (descriptor < 0) {
    return Describe(errno, host);
  }
  // A block's worth: an empty file can be made on a disk with no room left.
  const std::vector<char> block(4096, 0);
  int error = 0;
  // A short write is followed by another, which says why it stopped.
  for (std::size_t written = 0; written < block.size() && error == 0;) {
    const ssize_t count = ::write(descriptor, block.data() + written, block.size() - written);
    if (count < 0) {
      error = errno;
    } else if (count == 0) {
      error = ENOSPC;
    } else {
      written += static_cast<std::size_t>(count);
    }
  }
  if (error == 0 && ::fsync(descriptor) != 0) {
    error = errno;
  }
  ::close(descriptor);
  ::unlink(probe.c_str());
  if (error != 0) {
    return Describe(error, host);
  }
  struct statvfs space {};
  if (::statvfs(host.c_str(), &space) == 0 && space.f_bavail == 0) {
    return Describe(ENOSPC, host);
  }
  return {};
}

}  // namespace platform::win32
