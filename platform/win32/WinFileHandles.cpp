// File handles are host file descriptors kept in a guarded table; a read looks its descriptor up and
// reads outside the lock with pread, so reads on one handle from several threads never share a file
// position.
#include "platform/win32/WinFileHandles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>

#include "platform/win32/WinFiles.h"

namespace platform::win32 {
namespace {

struct FileTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, int> files;  // handle value -> descriptor
  std::uintptr_t next = 0x46000000;               // apart from the thread handles' values
};

FileTable& Files() {
  static FileTable table;
  return table;
}

thread_local DWORD lastError = 0;

HANDLE AddHandle(int descriptor) {
  FileTable& table = Files();
  std::lock_guard lock(table.mutex);
  const std::uintptr_t handle = ++table.next;
  table.files.emplace(handle, descriptor);
  return reinterpret_cast<HANDLE>(handle);
}

HANDLE OpenLockFile(const std::string& host) {
  const int descriptor = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor < 0) {
    lastError = static_cast<DWORD>(errno);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (::fstat(descriptor, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(descriptor);
    return INVALID_HANDLE_VALUE;
  }
  int locked;
  do {
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    lastError = errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : static_cast<DWORD>(errno);
    ::close(descriptor);
    return INVALID_HANDLE_VALUE;
  }
  return AddHandle(descriptor);
}

int Descriptor(HANDLE handle) {
  FileTable& table = Files();
  std::lock_guard lock(table.mutex);
  auto it = table.files.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == table.files.end() ? -1 : it->second;
}

}  // namespace

bool CloseFileHandle(HANDLE handle) {
  int descriptor;
  {
    FileTable& table = Files();
    std::lock_guard lock(table.mutex);
    auto it = table.files.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.files.end()) {
      return false;
    }
    descriptor = it->second;
    table.files.erase(it);
  }
  ::close(descriptor);
  return true;
}

}  // namespace platform::win32

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creation, DWORD,
                   HANDLE) {
  platform::win32::lastError = 0;
  if (name != nullptr && *name != '\0' && access == (GENERIC_READ | GENERIC_WRITE) && shareMode == 0 &&
      creation == OPEN_ALWAYS) {
    return platform::win32::OpenLockFile(platform::win32::MapPath(name));
  }
  if (name == nullptr || *name == '\0' || access != GENERIC_READ || creation != OPEN_EXISTING) {
    return INVALID_HANDLE_VALUE;
  }
  const std::string host = platform::win32::MapPath(name);
  const int descriptor = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (::fstat(descriptor, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(descriptor);
    return INVALID_HANDLE_VALUE;
  }
  return platform::win32::AddHandle(descriptor);
}

DWORD GetFileLastError() {
  return platform::win32::lastError;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read != nullptr) {
    *read = 0;
  }
  const int descriptor = platform::win32::Descriptor(file);
  if (descriptor < 0 || (buffer == nullptr && count > 0)) {
    return FALSE;
  }
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  const off_t start =
      overlapped != nullptr
          ? static_cast<off_t>((std::uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset)
          : 0;
  while (done < count) {
    const ssize_t got = overlapped != nullptr
                            ? ::pread(descriptor, out + done, count - done, start + static_cast<off_t>(done))
                            : ::read(descriptor, out + done, count - done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return FALSE;
    }
    if (got == 0) {
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  if (read != nullptr) {
    *read = static_cast<DWORD>(done);
  }
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  const int descriptor = platform::win32::Descriptor(file);
  struct stat st;
  if (descriptor < 0 || size == nullptr || ::fstat(descriptor, &st) != 0) {
    return FALSE;
  }
  size->QuadPart = static_cast<LONGLONG>(st.st_size);
  return TRUE;
}
