#include "platform/win32/WinSystem.h"

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <atomic>
#include <cstring>
#include <vector>

namespace {

std::atomic<int> g_comDepth{0};

}  // namespace

namespace platform {

std::string ExecutablePath() {
  std::vector<char> buffer(512);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0)
      return {};
    if (static_cast<std::size_t>(length) < buffer.size())
      return std::string(buffer.data(), length);
    if (buffer.size() >= (1u << 16))
      return {};
    buffer.resize(buffer.size() * 2);
  }
}

int ComInitialisationDepth() {
  return g_comDepth.load();
}

}  // namespace platform

DWORD GetCurrentProcessId() {
  return static_cast<DWORD>(::getpid());
}

HANDLE GetProcessHeap() {
  static int heap = 0;
  return &heap;
}

SIZE_T HeapCompact(HANDLE, DWORD) {
#if defined(__GLIBC__)
  return ::malloc_trim(0) != 0 ? 1 : 0;
#else
  return 0;
#endif
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  if (hModule != nullptr || lpFilename == nullptr || nSize == 0)
    return 0;
  const std::string path = platform::ExecutablePath();
  if (path.empty())
    return 0;
  if (path.size() >= nSize) {
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    return nSize;
  }
  std::memcpy(lpFilename, path.data(), path.size());
  lpFilename[path.size()] = '\0';
  return static_cast<DWORD>(path.size());
}

HRESULT CoInitialize(LPVOID) {
  // Like COM: the first call initialises (S_OK), nested ones answer S_FALSE.
  return g_comDepth.fetch_add(1) == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  int depth = g_comDepth.load();
  while (depth > 0 && !g_comDepth.compare_exchange_weak(depth, depth - 1)) {
  }
}
