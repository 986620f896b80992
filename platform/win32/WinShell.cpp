#include "platform/win32/WinShell.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/win32/WinFiles.h"

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  if (path == nullptr) {
    return E_INVALIDARG;
  }
  path[0] = '\0';
  const int id = folder & 0xFF;
  if (id != CSIDL_APPDATA && id != CSIDL_LOCAL_APPDATA) {
    return E_INVALIDARG;
  }
  std::string host;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') {
    host = dataHome;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
      return E_FAIL;
    }
    host = std::string(home) + "/.local/share";
  }
  while (host.size() > 1 && host.back() == '/') {
    host.pop_back();
  }
  std::error_code error;
  if (!std::filesystem::is_directory(host, error)) {
    if ((folder & CSIDL_FLAG_CREATE) == 0) {
      return E_FAIL;
    }
    std::filesystem::create_directories(host, error);
    if (error) {
      return E_FAIL;
    }
  }
  std::string windowsPath = platform::win32::ToWindowsPath(host);
  if (windowsPath.size() >= MAX_PATH) {
    return E_FAIL;
  }
  std::memcpy(path, windowsPath.c_str(), windowsPath.size() + 1);
  return S_OK;
}

int SHFileOperationA(LPSHFILEOPSTRUCTA operation) {
  constexpr int kFailed = 0x7C;  // "the path is invalid"
  if (operation == nullptr || operation->pFrom == nullptr) {
    return kFailed;
  }
  operation->fAnyOperationsAborted = FALSE;
  if (operation->wFunc != FO_DELETE) {
    return kFailed;
  }
  int result = 0;
  for (const char* name = operation->pFrom; *name != '\0'; name += std::strlen(name) + 1) {
    std::string host = platform::win32::MapPath(name);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(host, error))) {
      result = kFailed;
      continue;
    }
    std::filesystem::remove_all(host, error);
    if (error) {
      result = kFailed;
    }
  }
  return result;
}
