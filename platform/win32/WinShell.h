#pragma once
// Windows-shaped shell functions: the per-user application-data folder (`SHGetFolderPathA`) and
// deletion of a folder tree (`SHFileOperationA`, delete only).
//
// The application-data folder is XDG_DATA_HOME, or ~/.local/share when that is unset, reported in the
// layer's Windows form ("Z:\home\a\.local\share"). Any thread may call; nothing throws.

#include "platform/win32/WinTypes.h"

// Folder ids of `SHGetFolderPathA`.
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// Operations and flags of `SHFileOperationA`.
constexpr UINT FO_MOVE = 0x0001;
constexpr UINT FO_COPY = 0x0002;
constexpr UINT FO_DELETE = 0x0003;
constexpr UINT FO_RENAME = 0x0004;
using FILEOP_FLAGS = WORD;
constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;

struct SHFILEOPSTRUCTA {
  HWND hwnd;
  UINT wFunc;
  LPCSTR pFrom;  // one or more names, each ended by a zero, the list ended by a second zero
  LPCSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTA = SHFILEOPSTRUCTA*;

// Fills `path` (MAX_PATH characters) with the folder. S_OK on success; E_INVALIDARG for a folder id
// other than the application-data ones; E_FAIL when the folder is missing and CSIDL_FLAG_CREATE is
// not given, cannot be created, or its name does not fit.
HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);

// FO_DELETE removes every named file or folder tree (symbolic links are removed, never followed).
// 0 when everything named was removed; non-zero otherwise (a missing name, another operation).
int SHFileOperationA(LPSHFILEOPSTRUCTA operation);
